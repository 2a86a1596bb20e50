// The texts of a Find All results list: its title and its rows, whose bytes come
// through a reader of the list's own, up to the largest offset.

#include "search/HitList.h"
#include "support/VirtualLibrary.h"

#include <QLocale>
#include <gtest/gtest.h>

using testing_support::VirtualLibrary;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int64_t Largest = VirtualLibrary::LargestSize;
constexpr int64_t Window = util::File64::File64Imp::WindowSize;

struct TitleCase {
    const char* name;
    int64_t count;
    size_t listed;
    const char* title;
};

void PrintTo(const TitleCase& c, std::ostream* out) { *out << c.name; }

class FindAllTitles : public testing::TestWithParam<TitleCase> {};

TEST_P(FindAllTitles, CountInDigitGroupsAndTheCapWhenReached)
{
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(search::FindAllTitle(GetParam().count, GetParam().listed).toStdString(), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindAllTitles,
    testing::Values(TitleCase{"None", 0, 0, "Find All: 0 occurrences"}, TitleCase{"One", 1, 1, "Find All: 1 occurrence"},
                    TitleCase{"Grouped", 1234, 1234, "Find All: 1,234 occurrences"},
                    TitleCase{"AtTheCap", 1000000, 1000000, "Find All: 1,000,000 occurrences"},
                    TitleCase{"PastTheCap", 1234567, 1000000,
                              "Find All: 1,234,567 occurrences, first 1,000,000 listed"},
                    TitleCase{"LargestCount", Largest, 1000000,
                              "Find All: 9,223,372,036,854,775,807 occurrences, first 1,000,000 listed"}),
    [](const auto& named) { return std::string(named.param.name); });

TEST(FindAllPattern, SpacedUpperCaseHex)
{
    EXPECT_EQ(search::PatternHex(Bytes{0x0A, 0x1B, 0xFF}).toStdString(), "0A 1B FF");
    EXPECT_EQ(search::PatternHex(Bytes{}).toStdString(), "");
}

// A virtual file whose byte at o is planted where a case needs it.
class HitRows : public testing::Test {
protected:
    std::string row(int64_t address, int64_t length, VirtualLibrary& v)
    {
        const util::File64 file("virtual", v.library());
        search::HitReader reader(file, length);
        return reader.rowText(address).toStdString();
    }
    static Bytes Counting(int from, int count)
    {
        Bytes bytes;
        for (int i = 0; i < count; ++i)
            bytes.push_back(static_cast<uint8_t>(from + i));
        return bytes;
    }
};

TEST_F(HitRows, EightBeforeThePatternInBracketsAndEightAfter)
{
    VirtualLibrary v(1000);
    v.plant(0, Counting(0, 100));
    EXPECT_EQ(row(20, 3, v), "00000000 00000014  0C 0D 0E 0F 10 11 12 13 [14 15 16] 17 18 19 1A 1B 1C 1D 1E");
}

TEST_F(HitRows, NearTheStartTheBracketsStillLineUp)
{
    VirtualLibrary v(1000);
    v.plant(0, Counting(0x40, 100));
    EXPECT_EQ(row(0, 1, v), "00000000 00000000                          [40] 41 42 43 44 45 46 47 48");
    EXPECT_EQ(row(2, 2, v), "00000000 00000002                    40 41 [42 43] 44 45 46 47 48 49 4A 4B");
}

TEST_F(HitRows, ALongPatternShowsSixteenBytesAndTheBytesAfterItsEnd)
{
    VirtualLibrary v(60);
    v.plant(0, Counting(0, 60));
    // 40 bytes from 10: the file's last 10 bytes follow it.
    EXPECT_EQ(row(10, 40, v), "00000000 0000000A  02 03 04 05 06 07 08 09 [0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 "
                              "18 19 \u2026] 32 33 34 35 36 37 38 39");
    EXPECT_EQ(row(52, 8, v), "00000000 00000034  2C 2D 2E 2F 30 31 32 33 [34 35 36 37 38 39 3A 3B]");
}

TEST_F(HitRows, AHitEndingOnTheLargestOffset)
{
    VirtualLibrary v;
    v.plant(Largest - 20, Counting(0xA0, 20));
    EXPECT_EQ(row(Largest - 4, 4, v), "7FFFFFFF FFFFFFFB  A8 A9 AA AB AC AD AE AF [B0 B1 B2 B3]");
    EXPECT_EQ(row(Largest - 12, 2, v), "7FFFFFFF FFFFFFF3  A0 A1 A2 A3 A4 A5 A6 A7 [A8 A9] AA AB AC AD AE AF B0 B1");
}

// Rows near each other share one read; the page's window is never moved by them.
TEST_F(HitRows, NearbyRowsShareAReadAndThePageWindowStays)
{
    VirtualLibrary v(int64_t{1} << 40);
    const util::File64 file("virtual", v.library());
    (void)file.getByte(12345);
    const util::File64::WindowBytes before = file.window();
    search::HitReader reader(file, 4);
    const int64_t at = int64_t{1} << 39;
    for (int64_t row = 0; row < 40; ++row)
        (void)reader.rowText(at + row * 500);
    EXPECT_EQ(reader.reads(), 1);
    for (int64_t row = 40; row > 0; --row) // scrolling up from a hit far below
        (void)reader.rowText(at + 10 * Window - row * 500);
    EXPECT_EQ(reader.reads(), 2);
    EXPECT_EQ(file.window().start, before.start);
    EXPECT_EQ(file.window().length, before.length);
    for (int64_t row = 0; row < 3; ++row) {
        const std::string text = reader.rowText(at + row * 777).toStdString();
        std::string expected;
        for (int64_t i = -8; i < 12; ++i)
            expected += (i == -8 ? "" : " ") + std::string(i == 0 ? "[" : "") +
                        QString::asprintf("%02X", v.byteAt(at + row * 777 + i)).toStdString() + (i == 3 ? "]" : "");
        EXPECT_EQ(text.substr(19), expected) << row;
    }
}

TEST_F(HitRows, AFailedReadRaisesTheFilesError)
{
    VirtualLibrary v(100000);
    const util::File64 file("virtual", v.library());
    search::HitReader reader(file, 2);
    v.misreport(VirtualLibrary::Fault::ReadFails);
    EXPECT_THROW((void)reader.rowText(5000), util::Error);
    v.misreport(VirtualLibrary::Fault::None);
    EXPECT_EQ(reader.rowText(5000).size(), 19 + 8 * 3 + 7 + 8 * 3);
}

} // namespace
