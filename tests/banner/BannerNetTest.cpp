#include "LocalHttpServer.h"
#include "banner/BannerPane.h"
#include "banner/Cryptapi.h"
#include "banner/DefaultSeams.h"
#include "banner/NetworkModule.h"
#include "support/TempFiles.h"
#include "support/Wait.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using namespace banner;
using testing_support::LocalHttpServer;
using testing_support::TempDir;
using testing_support::RunEventsFor;
using testing_support::WaitUntil;

namespace {

QByteArray ListOf(const std::vector<std::string>& items)
{
    std::string text = "# banner list\n";
    for (const std::string& item : items)
        text += StartDelimiter() + item;
    return QByteArray::fromStdString(text + EndMarker());
}

class BannerDownloadTest : public ::testing::Test {
protected:
    TempDir temp;
    LocalHttpServer server;
    std::unique_ptr<BannerPane> pane;

    void makePane(const QString& path)
    {
        Seams seams = DefaultSeams();
        seams.listAddress = [this, path] { return server.url(path); };
        seams.tempFolder = QString::fromStdString(temp.path());
        pane = std::make_unique<BannerPane>(std::move(seams), nullptr);
    }
    bool folderEmpty() const { return std::filesystem::is_empty(temp.path()); }
};

TEST_F(BannerDownloadTest, RealDownloadFromALocalServerFillsTheListAndLeavesNoFile)
{
    server.set("/list.txt", {200, ListOf({"<b>first</b>\r\n", "second"}), "text/plain", false});
    makePane("/list.txt");
    ASSERT_TRUE(pane->downloadBannerList());
    EXPECT_TRUE(pane->downloading()) << "the download must not block its caller";
    EXPECT_FALSE(folderEmpty());
    ASSERT_TRUE(WaitUntil([&] { return !pane->downloading(); }));

    EXPECT_EQ(server.hits("/list.txt"), 1);
    const std::vector<std::string> expected{StartDelimiter() + "<b>first</b>\r\n", StartDelimiter() + "second"};
    EXPECT_EQ(pane->bannerList(), expected);
    EXPECT_TRUE(folderEmpty());
}

TEST_F(BannerDownloadTest, AnErrorAnswerKeepsTheOldListAndLeavesNoFile)
{
    server.set("/list.txt", {200, ListOf({"kept"}), "text/plain", false});
    makePane("/list.txt");
    pane->downloadBannerList();
    ASSERT_TRUE(WaitUntil([&] { return !pane->downloading(); }));
    ASSERT_EQ(pane->bannerList().size(), 1u);

    server.set("/list.txt", {500, ListOf({"error page that looks like a list"}), "text/plain", false});
    pane->downloadBannerList();
    ASSERT_TRUE(WaitUntil([&] { return !pane->downloading(); }));
    EXPECT_EQ(pane->bannerList(), std::vector<std::string>{StartDelimiter() + "kept"});
    EXPECT_TRUE(folderEmpty());
}

TEST_F(BannerDownloadTest, ClosingWhileTheServerIsSilentLeavesNoFile)
{
    server.set("/list.txt", {200, {}, "text/plain", true});
    makePane("/list.txt");
    pane->downloadBannerList();
    ASSERT_TRUE(WaitUntil([&] { return server.hits("/list.txt") == 1; }));
    pane.reset();
    EXPECT_TRUE(folderEmpty());
}

struct FetchCase {
    const char* name;
    LocalHttpServer::Response response;
    std::int64_t maxBytes;
    bool ok;
};

void PrintTo(const FetchCase& c, std::ostream* os) { *os << c.name; }

class HttpDownloaderTest : public ::testing::TestWithParam<FetchCase> {};

TEST_P(HttpDownloaderTest, ReportsWhetherTheWholeBodyArrivedInTime)
{
    const FetchCase& c = GetParam();
    LocalHttpServer server;
    server.set("/x", c.response);
    const std::unique_ptr<Downloader> downloader = ModuleDownloader();
    QBuffer target;
    target.open(QIODevice::ReadWrite);
    std::optional<bool> result;
    int calls = 0;
    downloader->fetch({server.url("/x"), std::chrono::milliseconds(400), c.maxBytes}, target, [&](bool ok) {
        result = ok;
        ++calls;
    });
    EXPECT_FALSE(result.has_value()) << "the outcome comes later, from the event loop";
    ASSERT_TRUE(WaitUntil([&] { return result.has_value(); }));
    EXPECT_EQ(*result, c.ok);
    if (c.ok) {
        EXPECT_EQ(target.data(), c.response.body);
    }
    RunEventsFor(std::chrono::milliseconds(100));
    EXPECT_EQ(calls, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, HttpDownloaderTest,
    ::testing::Values(FetchCase{"Success", {200, QByteArray(100000, 'z'), "text/plain", false}, 1 << 20, true},
                      FetchCase{"EmptyBody", {200, {}, "text/plain", false}, 1 << 20, true},
                      FetchCase{"NotFound", {404, "gone", "text/plain", false}, 1 << 20, false},
                      FetchCase{"ServerError", {503, "busy", "text/plain", false}, 1 << 20, false},
                      FetchCase{"OverTheSizeLimit", {200, QByteArray(5000, 'z'), "text/plain", false}, 4999, false},
                      FetchCase{"SilentServerRunsOutOfTime", {200, {}, "text/plain", true}, 1 << 20, false}),
    [](const ::testing::TestParamInfo<FetchCase>& p) { return std::string(p.param.name); });

TEST(HttpDownloader, RefusedConnectionAndCancelledFetchEndAsExpected)
{
    const std::unique_ptr<Downloader> downloader = ModuleDownloader();
    QBuffer target;
    target.open(QIODevice::ReadWrite);

    // Port 1 on loopback has no listener.
    std::optional<bool> refused;
    downloader->fetch({"http://127.0.0.1:1/x", std::chrono::milliseconds(2000), 100}, target,
                     [&](bool ok) { refused = ok; });
    ASSERT_TRUE(WaitUntil([&] { return refused.has_value(); }));
    EXPECT_FALSE(*refused);

    LocalHttpServer server;
    server.set("/slow", {200, {}, "text/plain", true});
    bool called = false;
    downloader->fetch({server.url("/slow"), std::chrono::milliseconds(300), 100}, target, [&](bool) { called = true; });
    ASSERT_TRUE(WaitUntil([&] { return server.hits("/slow") == 1; }));
    downloader->cancel();
    RunEventsFor(std::chrono::milliseconds(600));
    EXPECT_FALSE(called) << "a cancelled fetch reports nothing";
}

// A network module that cannot be loaded, or is no network module: every fetch fails,
// later and once, as a failed transfer does, and cancelling one still silences it.
struct BrokenModule {
    const char* name;
    std::string (*path)(const TempDir& scratch);
};

void PrintTo(const BrokenModule& c, std::ostream* os) { *os << c.name; }

class BrokenNetworkModule : public ::testing::TestWithParam<BrokenModule> {};

TEST_P(BrokenNetworkModule, MakesEveryFetchFailLaterAndOnce)
{
    TempDir temp;
    const std::string path = GetParam().path(temp);
    const std::unique_ptr<Downloader> downloader = ModuleDownloader(path);
    QBuffer target;
    target.open(QIODevice::ReadWrite);
    std::vector<bool> results;
    downloader->fetch({"http://127.0.0.1:1/x", std::chrono::milliseconds(2000), 100}, target,
                      [&](bool ok) { results.push_back(ok); });
    EXPECT_TRUE(results.empty()) << "the outcome comes later, from the event loop";
    ASSERT_TRUE(WaitUntil([&] { return !results.empty(); }));
    RunEventsFor(std::chrono::milliseconds(50));
    EXPECT_EQ(results, std::vector<bool>{false});

    downloader->fetch({"http://127.0.0.1:1/x", std::chrono::milliseconds(2000), 100}, target,
                      [&](bool ok) { results.push_back(ok); });
    downloader->cancel();
    RunEventsFor(std::chrono::milliseconds(50));
    EXPECT_EQ(results.size(), 1u) << "a cancelled fetch reports nothing";
    EXPECT_EQ(target.size(), 0);
}

std::string ProgramFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

INSTANTIATE_TEST_SUITE_P(
    Modules, BrokenNetworkModule,
    ::testing::Values(BrokenModule{"Missing", [](const TempDir& scratch) { return scratch.file(NetworkModuleName); }},
                      BrokenModule{"NotALibrary",
                                   [](const TempDir& scratch) {
                                       return scratch.write(NetworkModuleName, {'n', 'o', 't', ' ', 'E', 'L', 'F'});
                                   }},
                      // The block I/O library beside the program loads, but has no downloader.
                      BrokenModule{"WithoutTheEntry", [](const TempDir&) { return ProgramFolder() + "/libzere100.so"; }}),
    [](const ::testing::TestParamInfo<BrokenModule>& p) { return std::string(p.param.name); });

// The banner pane over a module that does not load: its list stays as it was and no
// temporary file is left behind.
TEST_F(BannerDownloadTest, AMissingNetworkModuleIsAFailedDownload)
{
    Seams seams;
    seams.downloader = ModuleDownloader(temp.path() + "/missing/" + NetworkModuleName);
    seams.tempFolder = QString::fromStdString(temp.path());
    pane = std::make_unique<BannerPane>(std::move(seams), nullptr);
    ASSERT_TRUE(pane->downloadBannerList());
    EXPECT_TRUE(pane->downloading()) << "the download must not block its caller";
    ASSERT_TRUE(WaitUntil([&] { return !pane->downloading(); }));
    EXPECT_TRUE(pane->bannerList().empty());
    EXPECT_TRUE(folderEmpty());
}

} // namespace
