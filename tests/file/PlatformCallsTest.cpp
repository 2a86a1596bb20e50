// What the block I/O library and the size probe ask of the system, seen through
// stand-ins for open and fcntl that this program puts before the C library's.

#include "file/File64.h"
#include "file/SizeProbe.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <random>
#include <unistd.h>
#include <string>
#include <vector>

namespace {
bool failGetfl = false;
std::vector<int> setflValues;
std::vector<std::string> openedPaths;
int seeks = 0;
} // namespace

extern "C" int fcntl(int fd, int cmd, ...)
{
    va_list args;
    va_start(args, cmd);
    const long arg = va_arg(args, long);
    va_end(args);
    using Real = int (*)(int, int, ...);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "fcntl"));
    if (cmd == F_GETFL && failGetfl) {
        errno = EBADF;
        return -1;
    }
    if (cmd == F_SETFL)
        setflValues.push_back(static_cast<int>(arg));
    return real(fd, cmd, arg);
}

extern "C" int open(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const auto mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
    using Real = int (*)(const char*, int, ...);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "open"));
    openedPaths.emplace_back(path);
    return real(path, flags, mode);
}

extern "C" off_t lseek(int fd, off_t offset, int whence)
{
    using Real = off_t (*)(int, off_t, int);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "lseek"));
    ++seeks;
    return real(fd, offset, whence);
}

// A failed F_GETFL answers -1; the library refuses the file rather than set every
// flag there is.
TEST(Zere100Open, RefusesAFileWhoseFlagsCannotBeRead)
{
    testing_support::TempDir dir;
    const std::string path = dir.write("data", {1, 2, 3});
    setflValues.clear();
    failGetfl = true;
    const int handle = file::Zere100().open(path.c_str(), VX_BINARY | VX_RDONLY, 0);
    failGetfl = false;
    EXPECT_LE(handle, 0);
    for (const int flags : setflValues)
        EXPECT_EQ(flags & (O_APPEND | O_ASYNC | O_DIRECT | O_NOATIME), 0) << std::hex << flags;
    file::Zere100().close(handle);

    const int opened = file::Zere100().open(path.c_str(), VX_BINARY | VX_RDONLY, 0);
    EXPECT_GT(opened, 0);
    EXPECT_EQ(file::Zere100().close(opened), 0);
}

// The size probe looks at the type first: what it refuses or takes as empty is never opened.
TEST(SizeProbe, OpensNoCharacterDeviceFifoOrFolder)
{
    testing_support::TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    const std::string three = dir.write("three", {1, 2, 3});
    openedPaths.clear();
    EXPECT_EQ(file::ProbeFileSize("/dev/null"), 0);
    EXPECT_EQ(file::ProbeFileSize("/dev/zero"), 0);
    EXPECT_EQ(file::ProbeFileSize(dir.file("fifo")), -1);
    EXPECT_EQ(file::ProbeFileSize(dir.path()), -1);
    EXPECT_EQ(openedPaths, std::vector<std::string>{});
    EXPECT_EQ(file::ProbeFileSize(three), 3);
    EXPECT_EQ(openedPaths, std::vector<std::string>{three});
}

// The library knows where its descriptor stands: a seek there asks nothing of the
// system, so a scan reading step after step costs one system call a step, and
// whatever order seeks and reads come in, each read gives the bytes at the offset
// sought.
TEST(Zere100Seek, AsksTheSystemOnlyWhenThePositionMoves)
{
    testing_support::TempDir dir;
    constexpr int Size = 1 << 20;
    const std::vector<uint8_t> bytes = testing_support::RandomBytes(Size, 11);
    const std::string path = dir.write("data", bytes);
    const DllLoader& io = file::Zere100();
    const int handle = io.open(path.c_str(), VX_BINARY | VX_RDONLY, 0);
    ASSERT_GT(handle, 0);
    std::vector<uint8_t> buffer(1 << 16);

    seeks = 0;
    for (int64_t at = 0; at < Size; at += 1 << 16) {
        ASSERT_EQ(io.seek(handle, at, VX_SEEK_SET), at);
        ASSERT_EQ(io.read(handle, buffer.data(), 1 << 16), 1 << 16);
        ASSERT_TRUE(std::equal(buffer.begin(), buffer.end(), bytes.begin() + at)) << at;
    }
    EXPECT_EQ(seeks, 0) << "sixteen steps from the start of a file just opened";

    std::mt19937 random(5);
    int64_t position = Size; // where the reads above left the descriptor
    int64_t lastRead = 0;    // where the last read began
    for (int k = 0; k < 2000; ++k) {
        const auto r = random();
        if (r % 5 == 0) {
            ASSERT_EQ(io.seek(handle, 0, VX_SEEK_END), Size);
            position = Size;
        } else if (r % 5 == 1) {
            // Where the descriptor stands, or back to read the last bytes again.
            if (r % 2)
                position = lastRead;
            ASSERT_EQ(io.seek(handle, position, VX_SEEK_SET), position);
        } else if (r % 5 == 2) {
            position = static_cast<int64_t>(random() % (Size + 100));
            ASSERT_EQ(io.seek(handle, position, VX_SEEK_SET), position);
        } else {
            const auto count = static_cast<unsigned>(random() % (1 << 16));
            const int got = io.read(handle, buffer.data(), count);
            const int64_t expected = std::clamp<int64_t>(Size - position, 0, count);
            ASSERT_EQ(got, expected) << "read " << count << " at " << position;
            ASSERT_TRUE(std::equal(buffer.begin(), buffer.begin() + got, bytes.begin() + std::min<int64_t>(position, Size)))
                << "at " << position;
            lastRead = position;
            position += got;
        }
    }
    EXPECT_EQ(io.close(handle), 0);
}
