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
#include <string>
#include <vector>

namespace {
bool failGetfl = false;
std::vector<int> setflValues;
std::vector<std::string> openedPaths;
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
