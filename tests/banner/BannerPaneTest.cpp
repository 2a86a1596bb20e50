#include "banner/BannerList.h"
#include "banner/BannerPane.h"
#include "banner/RenderAnswer.h"
#include "banner/Cryptapi.h"
#include "support/TempFiles.h"

#include <QBuffer>
#include <QFile>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const std::vector<std::string> names = folder();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].rfind("byteloom-banner-", 0), 0u) << names[0];
    EXPECT_GE(names[0].size(), std::string("byteloom-banner-").size() + 6);
    struct stat info {};
    ASSERT_EQ(lstat(temp.file(names[0]).c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the list must not be readable by others while it is written";

    downloader->complete(true, ListOf({"<b>one</b>", "two\r\nlines"}));
    EXPECT_FALSE(pane->downloading());
    EXPECT_EQ(pane->bannerList(), Items({"<b>one</b>", "two\r\nlines"}));
    EXPECT_TRUE(folder().empty());
}

TEST_F(BannerPaneTest, TheFileNameCannotBeForetoldFromTheClockOrTheGenerator)
{
    // Another pane with the same clock and the same numbers: someone who knows both
    // still cannot name the file in advance.
    auto twinRandom = std::make_unique<ScriptedRandom>();
    auto twinDownloader = std::make_unique<FakeDownloader>();
    FakeDownloader* twin = twinDownloader.get();
    twin->cancels = &cancels;
    Seams seams;
    seams.clock = [this] { return now; };
    seams.random = std::move(twinRandom);
    seams.downloader = std::move(twinDownloader);
    seams.tempFolder = QString::fromStdString(temp.path());
    BannerPane other(std::move(seams), nullptr);

    ASSERT_TRUE(pane->downloadBannerList());
    ASSERT_NE(downloader->target, nullptr);
    const QString first = downloader->target->fileName();
    downloader->complete(false);
    ASSERT_TRUE(other.downloadBannerList());
    ASSERT_NE(twin->target, nullptr);
    EXPECT_NE(twin->target->fileName(), first);
    twin->complete(false);
    EXPECT_TRUE(folder().empty());
}

TEST_F(BannerPaneTest, WithoutAFolderToWriteInNothingIsFetched)
{
    download({"old"});
    Seams seams;
    auto d = std::make_unique<FakeDownloader>();
    FakeDownloader* lonely = d.get();
    lonely->cancels = &cancels;
    seams.downloader = std::move(d);
    seams.tempFolder = QString::fromStdString(temp.file("no-such-folder"));
    BannerPane homeless(std::move(seams), nullptr);
    int finished = 0;
    EXPECT_TRUE(homeless.downloadBannerList([&] { ++finished; }));
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(homeless.downloading());
    EXPECT_TRUE(lonely->requests.empty());
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

// What the folder holds at start-up: leftovers of ours and things that are not ours.
struct Planted {
    std::string name;
    enum Kind { File, Link, Folder } kind;
    std::int64_t age; // seconds before now
    bool removed;
};

TEST_F(BannerPaneTest, StartRemovesOnlyOurOwnLeftoversOlderThanADay)
{
    const std::string outside = temp.file("outside-target");
    temp.write("outside-target", {1, 2, 3});
    const std::vector<Planted> planted{
        {"byteloom-banner-old", Planted::File, 2 * 86400, true},
        {"byteloom-banner-justOverADay", Planted::File, 86400 + 60, true},
        {"byteloom-banner-fresh", Planted::File, 3600, false},
        {"someone-elses-old", Planted::File, 2 * 86400, false},
        {"byteloom-banneR-case", Planted::File, 2 * 86400, false},
        {"byteloom-banner-link", Planted::Link, 2 * 86400, false},
        {"byteloom-banner-folder", Planted::Folder, 2 * 86400, false},
    };
    for (const Planted& p : planted) {
        const std::string path = temp.file(p.name);
        if (p.kind == Planted::File)
            temp.write(p.name, {7});
        else if (p.kind == Planted::Link)
            std::filesystem::create_symlink(outside, path);
        else
            std::filesystem::create_directory(path);
        const timespec when{static_cast<time_t>(now - p.age), 0};
        const timespec times[2]{when, when};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << p.name;
    }
    // The link's target is old too, and must survive its link.
    const timespec old{static_cast<time_t>(now - 3 * 86400), 0};
    const timespec oldTimes[2]{old, old};
    ASSERT_EQ(utimensat(AT_FDCWD, outside.c_str(), oldTimes, 0), 0);

    pane->start();
    for (const Planted& p : planted) {
        struct stat info {};
        EXPECT_EQ(lstat(temp.file(p.name).c_str(), &info) != 0, p.removed) << p.name;
    }
    EXPECT_TRUE(std::filesystem::exists(outside));
}

TEST_F(BannerPaneTest, StartLeavesOtherUsersFilesAlone)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "making a file of another user needs root";
    temp.write("byteloom-banner-theirs", {7});
    const std::string path = temp.file("byteloom-banner-theirs");
    ASSERT_EQ(chown(path.c_str(), 12345, 12345), 0);
    const timespec when{static_cast<time_t>(now - 2 * 86400), 0};
    const timespec times[2]{when, when};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    pane->start();
    EXPECT_TRUE(std::filesystem::exists(path));
}

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

// An item over the byte cap keeps its place in the list, and showing it leaves the
// view as it was; an item within it goes to the view whatever its markup, since the
// view's render child bounds what it may cost.
TEST_F(BannerPaneTest, ItemsOverTheByteCapKeepTheirPlaceAndShowNothing)
{
    const std::string longWord(400000, 'a');
    const std::string atCap(MaxItemBytes - StartDelimiter().size(), 'a');
    const std::string overCap(MaxItemBytes - StartDelimiter().size() + 1, 'a');
    std::string deep;
    for (int i = 0; i < 2000; ++i)
        deep += "<div>";
    download({longWord, "one", longWord, overCap, atCap, deep, "six"});
    ASSERT_EQ(pane->bannerList().size(), 7u);

    for (std::uint32_t k : {2u, 3u, 9u, 10u})
        pane->showBannerItem(k);
    EXPECT_TRUE(view.shown.empty());
    pane->showBannerItem(6);
    pane->showBannerItem(8); // 8 % 7 == 1
    pane->showBannerItem(7); // item 0 navigates, whatever its text
    pane->showBannerItem(4);
    pane->showBannerItem(5);
    const std::vector<std::string> expected{BuildItemPage(StartDelimiter() + "six", PageHead(), PageTail()),
                                            BuildItemPage(StartDelimiter() + "one", PageHead(), PageTail()),
                                            "navigate " + itemZeroAddress,
                                            BuildItemPage(StartDelimiter() + atCap, PageHead(), PageTail()),
                                            BuildItemPage(StartDelimiter() + deep, PageHead(), PageTail())};
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
