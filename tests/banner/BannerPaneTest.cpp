#include "banner/BannerList.h"
#include "banner/BannerPane.h"
#include "banner/Cryptapi.h"
#include "support/TempFiles.h"

#include <QBuffer>
#include <QFile>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace banner;
using testing_support::TempDir;

namespace {

// Hands out the scripted numbers first, then distinct ones.
class ScriptedRandom final : public RandomSource {
public:
    std::deque<std::uint32_t> script;
    std::vector<std::uint32_t> seeds;
    std::uint32_t fallback = 500;

    void seed(std::uint32_t value) override { seeds.push_back(value); }
    std::uint32_t next() override
    {
        if (script.empty())
            return fallback++;
        const std::uint32_t value = script.front();
        script.pop_front();
        return value;
    }
};

// Holds each fetch until the test completes it.
class FakeDownloader final : public Downloader {
public:
    std::vector<DownloadRequest> requests;
    QFile* target = nullptr;
    Done pending;
    int* cancels = nullptr; // outlives the downloader, which the pane owns

    void fetch(const DownloadRequest& request, QIODevice& into, Done done) override
    {
        requests.push_back(request);
        target = dynamic_cast<QFile*>(&into);
        pending = std::move(done);
    }
    void cancel() override
    {
        ++*cancels;
        pending = nullptr;
        target = nullptr;
    }
    bool running() const { return static_cast<bool>(pending); }
    // Writes the body into the file and reports the outcome.
    void complete(bool ok, const std::string& body = {})
    {
        target->write(body.data(), static_cast<qint64>(body.size()));
        Done done = std::exchange(pending, nullptr);
        target = nullptr;
        done(ok);
    }
};

class FakeView final : public HtmlView {
public:
    std::vector<std::string> shown; // "navigate <address>" or the loaded bytes

    void navigate(const std::string& address) override { shown.push_back("navigate " + address); }
    void loadHtml(const QByteArray& bytes) override { shown.push_back(bytes.toStdString()); }
};

const std::string itemZeroAddress = "http://127.0.0.1:9/zero.html";

std::string ListOf(const std::vector<std::string>& items)
{
    std::string text = "preamble that is dropped\r\n";
    for (const std::string& item : items)
        text += StartDelimiter() + item;
    return text + EndMarker() + "\r\nafter the end";
}

class BannerPaneTest : public ::testing::Test {
protected:
    TempDir temp;
    ScriptedRandom* random = nullptr;
    FakeDownloader* downloader = nullptr;
    FakeView view;
    std::int64_t now = 1700000123;
    int cancels = 0;
    std::unique_ptr<BannerPane> pane;

    void SetUp() override
    {
        Seams seams;
        seams.clock = [this] { return now; };
        auto r = std::make_unique<ScriptedRandom>();
        random = r.get();
        seams.random = std::move(r);
        auto d = std::make_unique<FakeDownloader>();
        downloader = d.get();
        downloader->cancels = &cancels;
        seams.downloader = std::move(d);
        seams.listAddress = [] { return std::string("http://127.0.0.1:9/list.txt"); };
        seams.itemZeroAddress = [] { return itemZeroAddress; };
        seams.tempFolder = QString::fromStdString(temp.path());
        pane = std::make_unique<BannerPane>(std::move(seams), &view);
    }

    std::vector<std::string> folder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    void download(const std::vector<std::string>& items)
    {
        ASSERT_TRUE(pane->downloadBannerList());
        downloader->complete(true, ListOf(items));
    }
};

std::vector<std::string> Items(const std::vector<std::string>& texts)
{
    std::vector<std::string> items;
    for (const std::string& text : texts)
        items.push_back(StartDelimiter() + text);
    return items;
}

TEST_F(BannerPaneTest, DownloadGoesIntoANewPrivateFileThatIsDeletedAfterTheParse)
{
    random->script = {2, 123, 456789};
    ASSERT_TRUE(pane->downloadBannerList());

    EXPECT_EQ(random->seeds, std::vector<std::uint32_t>{static_cast<std::uint32_t>(now)});
    ASSERT_EQ(downloader->requests.size(), 1u);
    EXPECT_EQ(downloader->requests[0].url, "http://127.0.0.1:9/list.txt");
    EXPECT_EQ(downloader->requests[0].limit, BannerPane::DownloadLimit);
    EXPECT_TRUE(pane->downloading());
    EXPECT_EQ(folder(), std::vector<std::string>{"c123456789"});
    struct stat info {};
    ASSERT_EQ(stat(temp.file("c123456789").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the list must not be readable by others while it is written";

    downloader->complete(true, ListOf({"<b>one</b>", "two\r\nlines"}));
    EXPECT_FALSE(pane->downloading());
    EXPECT_EQ(pane->bannerList(), Items({"<b>one</b>", "two\r\nlines"}));
    EXPECT_TRUE(folder().empty());
}

TEST_F(BannerPaneTest, FailedDownloadKeepsTheOldListAndDeletesItsFile)
{
    download({"a", "b"});
    const std::vector<std::string> before = pane->bannerList();
    ASSERT_EQ(before.size(), 2u);

    ASSERT_TRUE(pane->downloadBannerList());
    downloader->complete(false, ListOf({"half of a new list"}));
    EXPECT_EQ(pane->bannerList(), before);
    EXPECT_TRUE(folder().empty());

    // A body over the size limit counts as a failure even when reported as success.
    ASSERT_TRUE(pane->downloadBannerList());
    downloader->complete(true, ListOf({std::string(BannerPane::MaxListBytes, 'x')}));
    EXPECT_EQ(pane->bannerList(), before);
    EXPECT_TRUE(folder().empty());

    // A successful download replaces the list as a whole, even with an empty one.
    ASSERT_TRUE(pane->downloadBannerList());
    downloader->complete(true, "no delimiter in here");
    EXPECT_TRUE(pane->bannerList().empty());
}

TEST_F(BannerPaneTest, ADownloadStillRunningIsNotStartedTwice)
{
    int finished = 0;
    ASSERT_TRUE(pane->downloadBannerList([&] { ++finished; }));
    EXPECT_FALSE(pane->downloadBannerList([&] { finished += 100; }));
    EXPECT_EQ(downloader->requests.size(), 1u);
    EXPECT_EQ(folder().size(), 1u);

    downloader->complete(true, ListOf({"x"}));
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(pane->downloadBannerList());
    EXPECT_EQ(downloader->requests.size(), 2u);
}

TEST_F(BannerPaneTest, ClosingDuringADownloadCancelsItAndDeletesTheFile)
{
    ASSERT_TRUE(pane->downloadBannerList());
    ASSERT_EQ(folder().size(), 1u);
    pane.reset();
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(folder().empty());
}

enum class Occupant { RegularFile, LinkToAFile, DanglingLink };

struct OccupantCase {
    const char* name;
    Occupant occupant;
};

void PrintTo(const OccupantCase& c, std::ostream* os) { *os << c.name; }

class TakenNameTest : public BannerPaneTest, public ::testing::WithParamInterface<OccupantCase> {
protected:
    const std::string victim = "must stay unchanged";

    // Puts the occupant at the name; returns the path that must never be written.
    std::string occupy(const std::string& name)
    {
        const std::string path = temp.file(name);
        switch (GetParam().occupant) {
        case Occupant::RegularFile:
            temp.write(name, {victim.begin(), victim.end()});
            return path;
        case Occupant::LinkToAFile:
            temp.write("victim", {victim.begin(), victim.end()});
            std::filesystem::create_symlink(temp.file("victim"), path);
            return temp.file("victim");
        case Occupant::DanglingLink:
            std::filesystem::create_symlink(temp.file("created-through-link"), path);
            return temp.file("created-through-link");
        }
        return path;
    }

    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_P(TakenNameTest, IsNeverFollowedAndAnotherNameIsDrawn)
{
    const std::string guarded = occupy("a12");
    random->script = {0, 1, 2, 1, 3, 4};
    ASSERT_TRUE(pane->downloadBannerList());
    ASSERT_NE(downloader->target, nullptr);
    EXPECT_EQ(downloader->target->fileName().toStdString(), temp.file("b34"));
    downloader->complete(true, ListOf({"fresh"}));

    EXPECT_EQ(pane->bannerList(), Items({"fresh"}));
    EXPECT_TRUE(std::filesystem::is_symlink(temp.file("a12")) || std::filesystem::exists(temp.file("a12")))
        << "someone else's file is not ours to delete";
    EXPECT_FALSE(std::filesystem::exists(temp.file("b34")));
    if (GetParam().occupant == Occupant::DanglingLink)
        EXPECT_FALSE(std::filesystem::exists(guarded));
    else
        EXPECT_EQ(contents(guarded), victim);
}

TEST_P(TakenNameTest, WhenEveryNameIsTakenTheDownloadFailsSafely)
{
    download({"old"});
    const std::string guarded = occupy("a00");
    random->fallback = 0;
    random->script.assign(3 * BannerPane::NameAttempts, 0);
    int finished = 0;
    pane->downloadBannerList([&] { ++finished; });

    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(pane->downloading());
    EXPECT_EQ(downloader->requests.size(), 1u) << "nothing is fetched without a file of our own";
    EXPECT_EQ(pane->bannerList(), Items({"old"}));
    if (GetParam().occupant == Occupant::DanglingLink)
        EXPECT_FALSE(std::filesystem::exists(guarded));
    else
        EXPECT_EQ(contents(guarded), victim);
}

INSTANTIATE_TEST_SUITE_P(Occupants, TakenNameTest,
                         ::testing::Values(OccupantCase{"RegularFile", Occupant::RegularFile},
                                           OccupantCase{"LinkToAFile", Occupant::LinkToAFile},
                                           OccupantCase{"DanglingLink", Occupant::DanglingLink}),
                         [](const ::testing::TestParamInfo<OccupantCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(BannerPaneTest, ShowBannerItemTakesTheNumberModuloTheItemCount)
{
    pane->showBannerItem(5);
    EXPECT_TRUE(view.shown.empty()) << "an empty list shows nothing";

    download({"zero", "<i>one</i>\nmore", "two"});
    pane->showBannerItem(7);
    pane->showBannerItem(9);
    pane->showBannerItem(0);
    pane->showBannerItem(4294967295u); // 4294967295 % 3 == 0
    pane->showBannerItem(2);
    const std::vector<std::string> expected{
        BuildItemPage(StartDelimiter() + "<i>one</i>\nmore", PageHead(), PageTail()),
        "navigate " + itemZeroAddress,
        "navigate " + itemZeroAddress,
        "navigate " + itemZeroAddress,
        BuildItemPage(StartDelimiter() + "two", PageHead(), PageTail()),
    };
    EXPECT_EQ(view.shown, expected);
}

TEST_F(BannerPaneTest, StartSeedsDownloadsAndShowsItemZeroWhenTheDownloadEnds)
{
    pane->start();
    EXPECT_EQ(random->seeds.size(), 2u);
    EXPECT_TRUE(pane->downloading()) << "start returns while the download runs";
    EXPECT_TRUE(view.shown.empty());
    downloader->complete(true, ListOf({"zero", "one"}));
    EXPECT_EQ(view.shown, std::vector<std::string>{"navigate " + itemZeroAddress});
}

TEST_F(BannerPaneTest, StartWithAFailedDownloadShowsNothing)
{
    pane->start();
    downloader->complete(false);
    EXPECT_TRUE(view.shown.empty());
    EXPECT_TRUE(pane->bannerList().empty());
}

TEST_F(BannerPaneTest, TicksCountOnlyWhileShownAndDownloadEveryFiftieth)
{
    download({"zero", "one", "two"});
    view.shown.clear();
    const std::size_t downloads = downloader->requests.size();

    for (int i = 0; i < 10; ++i)
        pane->tick(false);
    EXPECT_EQ(pane->tickCount(), 0u);
    EXPECT_TRUE(view.shown.empty());

    random->script = {1};
    pane->tick(true);
    ASSERT_EQ(view.shown.size(), 1u);
    EXPECT_EQ(view.shown[0], BuildItemPage(StartDelimiter() + "one", PageHead(), PageTail()));

    for (int i = 1; i < 49; ++i)
        pane->tick(true);
    EXPECT_EQ(downloader->requests.size(), downloads);
    pane->tick(true);
    EXPECT_EQ(pane->tickCount(), 50u);
    EXPECT_EQ(downloader->requests.size(), downloads + 1);
    EXPECT_EQ(view.shown.size(), 50u) << "every counted tick shows an item";

    // The download of tick 50 hangs; tick 100 does not start a second one.
    for (int i = 0; i < 50; ++i)
        pane->tick(true);
    EXPECT_EQ(downloader->requests.size(), downloads + 1);
    downloader->complete(true, ListOf({"new"}));
    EXPECT_EQ(pane->bannerList(), Items({"new"}));
}

TEST_F(BannerPaneTest, TicksWithAnEmptyListShowNothingUntilADownloadSucceeds)
{
    for (int i = 0; i < 49; ++i)
        pane->tick(true);
    EXPECT_TRUE(view.shown.empty());
    pane->tick(true);
    downloader->complete(true, ListOf({"zero", "one"}));
    random->script = {1};
    pane->tick(true);
    EXPECT_EQ(view.shown, std::vector<std::string>{BuildItemPage(StartDelimiter() + "one", PageHead(), PageTail())});
}

TEST(LoadHtmlIntoBrowser, LoadsTheWholeStreamFromItsStartAndIgnoresMissingParts)
{
    FakeView view;
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    stream.write("<p>page</p>");
    loadHtmlIntoBrowser(&view, &stream);
    loadHtmlIntoBrowser(nullptr, &stream);
    loadHtmlIntoBrowser(&view, nullptr);
    EXPECT_EQ(view.shown, std::vector<std::string>{"<p>page</p>"});
}

} // namespace
