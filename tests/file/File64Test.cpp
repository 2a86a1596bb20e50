#include "file/File64.h"
#include "file/SizeProbe.h"
#include "support/ErrorText.h"
#include "support/FakeBlockIO.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <future>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using testing_support::RandomBytes;
using testing_support::TempDir;
using testing_support::ErrorText;
using testing_support::FakeBlockIO;
using util::File64;

TEST(File64, TenByteFileServesEveryByteFromTheFirstWindow)
{
    TempDir dir;
    const std::vector<uint8_t> content = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0xFF};
    File64 file(dir.write("ten", content));
    EXPECT_EQ(file.size(), 10);
    EXPECT_EQ(file.end().position - file.begin().position, 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(*(file.begin() + i), content[static_cast<size_t>(i)]);
    EXPECT_EQ(file.window().start, 0);
    EXPECT_EQ(file.window().length, 10);
    EXPECT_EQ(ErrorText([&] { file.getByte(10); }), "file seek error");
    EXPECT_EQ(ErrorText([&] { (void)*file.end(); }), "file seek error");
}

TEST(File64, WindowRefillsExactlyAtTheMissedOffset)
{
    TempDir dir;
    const auto content = RandomBytes(200000, 1);
    File64 file(dir.write("big", content));
    EXPECT_EQ(file.window().start, 0);
    EXPECT_EQ(file.window().length, 65536);
    EXPECT_EQ(file.getByte(65536), content[65536]);
    EXPECT_EQ(file.window().start, 65536);
    EXPECT_EQ(file.window().length, 65536);
    EXPECT_EQ(file.getByte(65535), content[65535]);
    EXPECT_EQ(file.window().start, 65535);
    EXPECT_EQ(file.window().length, 65536);
    // The last window holds only what is left of the file.
    EXPECT_EQ(file.getByte(199999), content[199999]);
    EXPECT_EQ(file.window().start, 199999);
    EXPECT_EQ(file.window().length, 1);
}

TEST(File64, RandomReadsMatchThePlainFile)
{
    TempDir dir;
    const auto content = RandomBytes(300007, 2);
    File64 file(dir.write("random", content));
    std::mt19937_64 gen(3);
    for (int i = 0; i < 20000; ++i) {
        // Mostly near the previous offset, sometimes anywhere, to exercise hits and misses.
        const auto offset = static_cast<int64_t>(gen() % content.size());
        ASSERT_EQ(file.getByte(offset), content[static_cast<size_t>(offset)]) << offset;
    }
}

TEST(File64, NegativeOffsetIsASeekError)
{
    TempDir dir;
    File64 file(dir.write("five", {1, 2, 3, 4, 5}));
    EXPECT_EQ(ErrorText([&] { file.getByte(-1); }), "file seek error");
}

TEST(File64, SparseTerabyteFileOpensAtOnce)
{
    TempDir dir;
    const int64_t size = int64_t(1) << 40;
    File64 file(dir.sparse("tera", size, size - 3, {0xAB, 0xCD, 0xEF}));
    EXPECT_EQ(file.size(), size);
    EXPECT_EQ(file.getByte(size - 1), 0xEF);
    EXPECT_EQ(file.getByte(size - 3), 0xAB);
    EXPECT_EQ(file.getByte(size / 2), 0);
}

TEST(File64, OpeningWhatCannotBeViewedSaysCantOpenFile)
{
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    mkdir(dir.file("folder").c_str(), 0700);
    for (const std::string& path : {dir.file("missing"), dir.file("fifo"), dir.file("folder"),
                                    std::string("/dev/null"), std::string("/dev/zero")}) {
        // A FIFO without a writer must not block the open.
        auto attempt = std::async(std::launch::async, [&] { return ErrorText([&] { File64 f(path); }); });
        ASSERT_EQ(attempt.wait_for(std::chrono::seconds(5)), std::future_status::ready) << path;
        EXPECT_EQ(attempt.get(), "Can't open file") << path;
    }
}

TEST(File64, EmptyFileOpensButHasNoBytes)
{
    TempDir dir;
    File64 file(dir.write("empty", {}));
    EXPECT_EQ(file.size(), 0);
    EXPECT_EQ(ErrorText([&] { file.getByte(0); }), "file seek error");
}

TEST(SizeProbe, TellsWhatTheOpenCommandReports)
{
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    mkdir(dir.file("folder").c_str(), 0700);
    EXPECT_EQ(file::ProbeFileSize(dir.write("three", {1, 2, 3})), 3);
    EXPECT_EQ(file::ProbeFileSize(dir.sparse("huge", int64_t(1) << 40)), int64_t(1) << 40);
    EXPECT_EQ(file::ProbeFileSize(dir.write("empty", {})), 0);
    EXPECT_EQ(file::ProbeFileSize("/dev/null"), 0);
    EXPECT_EQ(file::ProbeFileSize("/dev/zero"), 0);
    EXPECT_EQ(file::ProbeFileSize(dir.file("fifo")), -1);
    EXPECT_EQ(file::ProbeFileSize(dir.file("folder")), -1);
    EXPECT_EQ(file::ProbeFileSize(dir.file("missing")), -1);
}

TEST(File64StandIn, HitsCallNothingAndMissesSeekToTheMissedOffset)
{
    FakeBlockIO fake(RandomBytes(200000, 4));
    const DllLoader& library = fake.library();
    {
        File64 file("any", library);
        EXPECT_EQ(fake.opens, 1);
        EXPECT_EQ(fake.seeks, 2);
        EXPECT_EQ(fake.reads, 1);
        for (int64_t i = 0; i < 65536; ++i)
            ASSERT_EQ(file.getByte(i), fake.bytes[static_cast<size_t>(i)]);
        EXPECT_EQ(fake.seeks, 2);
        EXPECT_EQ(fake.reads, 1);

        EXPECT_EQ(file.getByte(100000), fake.bytes[100000]);
        EXPECT_EQ(fake.seeks, 3);
        EXPECT_EQ(fake.lastSeekOffset, 100000);
        EXPECT_EQ(fake.reads, 2);
        EXPECT_EQ(file.getByte(99999), fake.bytes[99999]);
        EXPECT_EQ(fake.lastSeekOffset, 99999);
        EXPECT_EQ(fake.closes, 0);
    }
    EXPECT_EQ(fake.closes, 1);
    EXPECT_EQ(fake.writes, 0);
    EXPECT_EQ(fake.commits, 0);
}

TEST(File64StandIn, FailedRefillSaysFileReadErrorAndTriesAgainNextTime)
{
    FakeBlockIO fake(RandomBytes(200000, 5));
    const DllLoader& library = fake.library();
    File64 file("any", library);
    fake.readResult = -1;
    EXPECT_EQ(ErrorText([&] { file.getByte(70000); }), "file read error");
    EXPECT_EQ(ErrorText([&] { file.getByte(0); }), "file read error");
    fake.readResult = 0;
    EXPECT_EQ(file.getByte(0), fake.bytes[0]);
}

TEST(File64StandIn, UntestedFirstReadFailureRefillsOnFirstAccess)
{
    FakeBlockIO fake({9, 8, 7});
    const DllLoader& library = fake.library();
    fake.readResult = -1;
    File64 file("any", library);
    fake.readResult = 0;
    EXPECT_EQ(file.getByte(2), 7);
    EXPECT_EQ(fake.reads, 2);
}

TEST(File64StandIn, RefusedHandleIsNotClosedAndAcceptedOneIsClosedOnce)
{
    FakeBlockIO fake({1, 2, 3});
    const DllLoader& library = fake.library();
    fake.handleToGive = 0;
    EXPECT_EQ(ErrorText([&] { File64 f("any", library); }), "Can't open file");
    EXPECT_EQ(fake.seeks, 2); // both seeks run before the handle is tested
    EXPECT_EQ(fake.closes, 0);
    EXPECT_EQ(fake.reads, 0);
}

namespace {
std::vector<std::string> reports;
void recordReport(const char* text) { reports.emplace_back(text); }
} // namespace

TEST(File64StandIn, MissingLibraryOrEntryPointIsReportedAtEveryOpen)
{
    const DllLoader missingLibrary("libzere100-does-not-exist.so");
    FakeBlockIO fake({1});
    const DllLoader& f = fake.library();
    const DllLoader missingEntry(f.seek, f.read, f.write, f.open, f.close, nullptr);
    EXPECT_FALSE(missingLibrary.complete());
    EXPECT_FALSE(missingEntry.complete());
    reports.clear();
    const decltype(file::LoadFailureSeam)::Override record(file::LoadFailureSeam, recordReport);
    for (const DllLoader* library : {&missingLibrary, &missingEntry, &missingLibrary}) {
        bool reported = false;
        try {
            File64 f("any", *library);
        } catch (const util::Reported&) {
            reported = true;
        }
        EXPECT_TRUE(reported);
    }
    EXPECT_EQ(reports, std::vector<std::string>(3, "Failed to load libzere100.so\nReinstall software"));
    EXPECT_EQ(fake.opens, 0);
}

TEST(DllLoader, TheProgramsLoaderFindsTheLibraryBesideTheExecutable)
{
    EXPECT_TRUE(file::Zere100().complete());
}

// The library itself, through its entry points.
class Zere100Library : public ::testing::Test {
protected:
    const DllLoader& lib = file::Zere100();
    TempDir dir;
};

TEST_F(Zere100Library, AnswersMinusOneToHandlesItNeverGave)
{
    char buffer[4] = {};
    for (int handle : {0, -1, -5000, 999999}) {
        EXPECT_EQ(lib.seek(handle, 0, 0), -1) << handle;
        EXPECT_EQ(lib.read(handle, buffer, 4), -1) << handle;
        EXPECT_EQ(lib.write(handle, buffer, 4), -1) << handle;
        EXPECT_EQ(lib.close(handle), -1) << handle;
        EXPECT_EQ(lib.commit(handle), -1) << handle;
    }
}

TEST_F(Zere100Library, ReadOnlyHandleCannotWriteAndClosedHandleIsGone)
{
    const std::string path = dir.write("data", {1, 2, 3, 4});
    const int h = lib.open(path.c_str(), 0x8000, 0);
    ASSERT_GT(h, 0);
    EXPECT_EQ(lib.seek(h, 0, 2), 4);
    EXPECT_EQ(lib.seek(h, 1, 0), 1);
    uint8_t buffer[8] = {};
    EXPECT_EQ(lib.read(h, buffer, 8), 3);
    EXPECT_EQ(buffer[0], 2);
    const uint8_t junk[2] = {0xEE, 0xEE};
    EXPECT_EQ(lib.write(h, junk, 2), -1);
    EXPECT_EQ(lib.close(h), 0);
    EXPECT_EQ(lib.close(h), -1);
    EXPECT_EQ(lib.read(h, buffer, 1), -1);
    File64 file(path);
    EXPECT_EQ(file.getByte(0), 1);
    EXPECT_EQ(file.getByte(3), 4);
}

TEST_F(Zere100Library, RefusesSockets)
{
    const std::string socketPath = dir.file("sock");
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_LE(lib.open(socketPath.c_str(), 0x8000, 0), 0);
    EXPECT_EQ(file::ProbeFileSize(socketPath), -1);
    close(s);
}

TEST_F(Zere100Library, OpensBlockDevicesWithTheirSizeFromTheEnd)
{
    std::string device;
    for (const char* name : {"/dev/vda", "/dev/sda", "/dev/nvme0n1", "/dev/loop0", "/dev/ram0"}) {
        const int fd = ::open(name, O_RDONLY | O_NONBLOCK);
        if (fd >= 0) {
            const bool hasSize = lseek(fd, 0, SEEK_END) > 0;
            ::close(fd);
            if (hasSize) {
                device = name;
                break;
            }
        }
    }
    if (device.empty())
        GTEST_SKIP() << "no readable block device here";
    const int64_t size = file::ProbeFileSize(device);
    EXPECT_GT(size, 0);
    File64 file(device);
    EXPECT_EQ(file.size(), size);
    (void)file.getByte(size - 1);
}
