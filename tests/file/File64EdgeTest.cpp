// The paged file at the top of the offset range, after failed refills, and over a
// block I/O library whose answers cannot be trusted.

#include "file/File64.h"
#include "support/ErrorText.h"
#include "support/VirtualLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <unistd.h>

using testing_support::ErrorText;
using testing_support::VirtualLibrary;
using util::File64;
using Fault = VirtualLibrary::Fault;

namespace {

constexpr int64_t Largest = VirtualLibrary::LargestSize;
constexpr int64_t Window = File64::File64Imp::WindowSize;

// Fails the allocation of one 64 KiB array while armed.
bool failWindowAllocation = false;

} // namespace

void* operator new[](std::size_t size)
{
    if (failWindowAllocation && size == static_cast<std::size_t>(Window))
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

// A sparse file of 2^63-1 bytes on tmpfs, through the real library: the last window
// of the largest file reads like any other.
TEST(File64AtTheTop, RealLibraryReadsTheLastBytesOfTheLargestFile)
{
    const std::string path = "/dev/shm/byteloom-largest-" + std::to_string(getpid());
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        GTEST_SKIP() << "cannot create " << path << ": no tmpfs at /dev/shm";
    const bool made = ftruncate(fd, Largest) == 0;
    const uint8_t tail[3] = {0xAB, 0xCD, 0xEF};
    const bool written = made && pwrite(fd, tail, 3, Largest - 3) == 3;
    ::close(fd);
    struct Remove {
        std::string path;
        ~Remove() { ::unlink(path.c_str()); }
    } remove{path};
    if (!written)
        GTEST_SKIP() << "the file system at /dev/shm does not hold a file of 2^63-1 bytes";

    File64 file(path);
    ASSERT_EQ(file.size(), Largest);
    EXPECT_EQ(file.getByte(Largest - 1), 0xEF);
    EXPECT_EQ(file.window().start, Largest - 1);
    EXPECT_EQ(file.window().length, 1);
    EXPECT_EQ(file.getByte(Largest - 3), 0xAB);
    EXPECT_EQ(file.getByte(Largest - Window), 0);
    EXPECT_EQ(file.window().length, Window);
    EXPECT_EQ(file.getByte(Largest - Window - 1), 0);
    EXPECT_EQ(file.getByte(Largest - 2), 0xCD);
    EXPECT_EQ(ErrorText([&] { file.getByte(Largest); }), "file seek error");
}

TEST(File64AtTheTop, VirtualLargestFileReadsLikeThePlainComputation)
{
    VirtualLibrary v;
    v.plant(Largest - 4, {1, 2, 3, 4});
    File64 file("virtual", v.library());
    ASSERT_EQ(file.size(), Largest);
    for (const int64_t from : {Largest - 3 * Window - 17, Largest - Window, Largest - 100})
        for (int64_t k = 0; k < Largest - from; k += 37)
            ASSERT_EQ(file.getByte(from + k), v.byteAt(from + k)) << from + k;
    EXPECT_EQ(file.getByte(Largest - 1), 4);
    for (int64_t o = Largest - 1; o > Largest - 2 * Window; o -= 4099)
        ASSERT_EQ(file.getByte(o), v.byteAt(o)) << o;
}

// After a refill that failed, no offset is answered from what the window held before.
TEST(File64FailedRefill, LeavesNoWindowThatAnswers)
{
    VirtualLibrary v(1 << 20);
    File64 file("virtual", v.library());
    EXPECT_EQ(file.getByte(5000), v.byteAt(5000));

    v.misreport(Fault::SeekFails);
    EXPECT_EQ(ErrorText([&] { file.getByte(300000); }), "file seek error");
    for (const int64_t o : {int64_t{-1}, int64_t{0}, int64_t{5000}, int64_t{5001}, int64_t{300001}})
        EXPECT_EQ(ErrorText([&] { file.getByte(o); }), "file seek error") << o;

    v.misreport(Fault::None);
    EXPECT_EQ(file.getByte(300000), v.byteAt(300000));
    v.misreport(Fault::ReadFails);
    EXPECT_EQ(ErrorText([&] { file.getByte(7); }), "file read error");
    EXPECT_EQ(ErrorText([&] { file.getByte(300001); }), "file read error");
    v.misreport(Fault::None);
    for (const int64_t o : {int64_t{7}, int64_t{300001}, int64_t{0}})
        EXPECT_EQ(file.getByte(o), v.byteAt(o)) << o;
    EXPECT_EQ(ErrorText([&] { file.getByte(-1); }), "file seek error");
}

// Each answer of the library is checked; one that cannot be true is a file error,
// the open closes what it opened, and the file reads again once the library behaves.
struct MisreportCase {
    const char* name;
    Fault fault;
    bool fromOpen;   // misreports from the open on, else only after it
    int64_t offset;  // read after the open
    const char* text;
    bool opens = true; // whether the open itself succeeds
};

void PrintTo(const MisreportCase& c, std::ostream* os) { *os << c.name; }

class File64Misreport : public ::testing::TestWithParam<MisreportCase> {};

TEST_P(File64Misreport, BecomesAFileError)
{
    const MisreportCase& c = GetParam();
    VirtualLibrary v(10 * Window);
    if (c.fromOpen)
        v.misreport(c.fault);
    std::unique_ptr<File64> file;
    const std::string text = ErrorText([&] {
        file = std::make_unique<File64>("virtual", v.library());
        v.misreport(c.fault);
        (void)file->getByte(c.offset);
    });
    EXPECT_EQ(text, c.text);
    v.misreport(Fault::None);
    ASSERT_EQ(file != nullptr, c.opens);
    if (c.opens) {
        EXPECT_EQ(file->size(), 10 * Window);
        EXPECT_EQ(file->getByte(c.offset), v.byteAt(c.offset));
        EXPECT_EQ(file->getByte(c.offset + 1), v.byteAt(c.offset + 1));
        file.reset();
    }
    EXPECT_EQ(v.openHandles(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, File64Misreport,
    ::testing::Values(
        MisreportCase{"ReadOfMoreThanAskedAtOpen", Fault::ReadsMoreThanAsked, true, Window + 50, "file read error"},
        MisreportCase{"ReadOfMoreThanAskedAtARefill", Fault::ReadsMoreThanAsked, false, 3 * Window, "file read error"},
        MisreportCase{"SizeOfMinusOne", Fault::SizeMinusOne, true, 0, "file seek error", false},
        MisreportCase{"SeekLandingElsewhereAtOpen", Fault::SeekLandsElsewhere, true, 0, "Can't open file", false},
        MisreportCase{"SeekLandingElsewhereAtARefill", Fault::SeekLandsElsewhere, false, 3 * Window, "file seek error"},
        MisreportCase{"FailedSeekAtARefill", Fault::SeekFails, false, 3 * Window, "file seek error"},
        MisreportCase{"FailedReadAtOpenAndRefill", Fault::ReadFails, true, 5, "file read error"}),
    [](const ::testing::TestParamInfo<MisreportCase>& p) { return std::string(p.param.name); });

// The window is allocated before the library opens anything: a failed allocation
// leaves no handle behind.
TEST(File64Open, FailedWindowAllocationLeavesNoHandleOpen)
{
    VirtualLibrary v(100);
    failWindowAllocation = true;
    bool refused = false;
    try {
        File64 file("virtual", v.library());
    } catch (const std::bad_alloc&) {
        refused = true;
    }
    failWindowAllocation = false;
    EXPECT_TRUE(refused);
    EXPECT_EQ(v.openHandles(), 0u);
}
