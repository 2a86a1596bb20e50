// The search at the top of the offset range and over a file that grew after its
// page took its size, against a byte-by-byte scan of the virtual file.

#include "search/Scan.h"
#include "search/Search.h"

#include "support/VirtualLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using search::SearchBytes;
using testing_support::VirtualLibrary;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int64_t Largest = VirtualLibrary::LargestSize;
constexpr int64_t Window = util::File64::File64Imp::WindowSize;
constexpr int64_t MiB = int64_t{1} << 20;

// The first position at or after start where the whole pattern lies below size
// (start within a few MiB of size).
int64_t Reference(const VirtualLibrary& v, int64_t size, const Bytes& pattern, int64_t start)
{
    const auto l = static_cast<int64_t>(pattern.size());
    if (start > size - l)
        return -1;
    const Bytes bytes = v.bytes(start, size - start);
    for (size_t j = 0; j + pattern.size() <= bytes.size(); ++j) {
        size_t i = 0;
        while (i < pattern.size() && bytes[j + i] == pattern[i])
            ++i;
        if (i == pattern.size())
            return start + static_cast<int64_t>(j);
    }
    return -1;
}

Bytes Computed(int64_t at, int64_t length)
{
    Bytes bytes;
    for (int64_t i = 0; i < length; ++i)
        bytes.push_back(VirtualLibrary::Computed(at + i));
    return bytes;
}

int64_t Search(const util::File64& file, const Bytes& pattern, int64_t start, std::vector<int64_t>* paced = nullptr)
{
    return SearchBytes(file, pattern.data(), static_cast<int64_t>(pattern.size()), start, [paced](int64_t position) {
        if (paced)
            paced->push_back(position);
        return true;
    });
}

} // namespace

// A file of 2^63-1 bytes with patterns planted in its last MiBs, searched from starts
// there, also with the pacer running and the window left anywhere.
class SearchAtTheTop : public ::testing::Test {
protected:
    SearchAtTheTop()
    {
        v.plant(Largest - 8, EndPattern);
        v.plant(Largest - Window - 3, Straddling);
        v.plant(Largest - 3 * MiB - 5, Early);
        v.plant(Largest - 2 * MiB - 100, LongerThanAWindow);
    }

    const Bytes EndPattern = {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x11, 0x22, 0x33};
    const Bytes Straddling = {0xCA, 0xFE, 0xBA, 0xBE, 0x01, 0x02};
    const Bytes Early = {0x5A, 0xA5, 0x5A, 0xA5, 0x5A};
    const Bytes LongerThanAWindow = Computed(12345, Window + 9);
    VirtualLibrary v;
    const util::File64 file{"virtual", v.library()};
};

TEST_F(SearchAtTheTop, FindsWhatTheByteByByteScanFinds)
{
    const std::vector<int64_t> starts = {Largest - 4 * MiB, Largest - 3 * MiB - 5, Largest - 2 * MiB - 99,
                                         Largest - search::PacingStep - 3, Largest - Window - 10, Largest - Window - 2,
                                         Largest - 9, Largest - 8};
    const std::vector<Bytes> patterns = {EndPattern, Straddling, Early, {0xEF, 0x00, 0x11, 0x22, 0x33},
                                         {0x33}, Computed(Largest - 3 * MiB, 2), Computed(Largest - 700000, 3)};
    for (const int64_t start : starts)
        for (const Bytes& pattern : patterns) {
            (void)file.getByte(start - 5000); // the window starts anywhere
            std::vector<int64_t> paced;
            const int64_t found = Search(file, pattern, start, &paced);
            ASSERT_EQ(found, Reference(v, Largest, pattern, start)) << "start " << Largest - start
                                                                    << " before the end, pattern of " << pattern.size();
            for (const int64_t position : paced)
                ASSERT_TRUE(position > start && (found < 0 || position <= found)) << position;
        }
}

TEST_F(SearchAtTheTop, LongPatternAndAbsentPatternsNearTheEnd)
{
    EXPECT_EQ(Search(file, LongerThanAWindow, Largest - 2 * MiB - 200), Largest - 2 * MiB - 100);
    EXPECT_EQ(Search(file, LongerThanAWindow, Largest - 2 * MiB - 99), -1);
    const Bytes absent = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x13, 0x57};
    for (const int64_t start : {Largest - 300000, Largest - Window - 1, Largest - 10, Largest - 1, Largest})
        ASSERT_EQ(Search(file, absent, start), Reference(v, Largest, absent, start)) << Largest - start;
    EXPECT_EQ(Search(file, {0x33}, Largest - 1), Largest - 1);
    EXPECT_EQ(Search(file, {0x33}, Largest), -1);
}

// Pacing points a million positions apart, counted from the start, also where the
// next one would lie past the largest offset.
TEST_F(SearchAtTheTop, PacesEveryMillionPositionsUpToTheEnd)
{
    const Bytes absent = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x13, 0x57};
    const int64_t start = Largest - 2500000;
    std::vector<int64_t> paced;
    ASSERT_EQ(Reference(v, Largest, absent, start), -1);
    EXPECT_EQ(Search(file, absent, start, &paced), -1);
    EXPECT_EQ(paced, (std::vector<int64_t>{start + 1000000, start + 2000000}));
}

// The last match before `before`, looking no lower than from.
int64_t ReferenceBackward(const VirtualLibrary& v, const Bytes& pattern, int64_t from, int64_t before)
{
    const auto l = static_cast<int64_t>(pattern.size());
    const int64_t top = std::min(before, Largest - l + 1);
    const Bytes bytes = v.bytes(from, top - from + l - 1);
    for (int64_t j = top - from - 1; j >= 0; --j)
        if (std::equal(pattern.begin(), pattern.end(), bytes.begin() + j))
            return from + j;
    return -1;
}

TEST_F(SearchAtTheTop, BackwardAndEveryOccurrenceMatchTheByteByByteScan)
{
    const std::vector<int64_t> befores = {Largest, Largest - 1, Largest - 7, Largest - 8, Largest - Window - 2,
                                          Largest - 2 * MiB - 99, Largest - 3 * MiB};
    const std::vector<Bytes> patterns = {EndPattern, Straddling, Early, {0x33}, Computed(Largest - 3 * MiB, 2),
                                         LongerThanAWindow};
    const int64_t from = Largest - 4 * MiB;
    for (const Bytes& pattern : patterns) {
        const search::BytePattern prepared(pattern);
        for (const int64_t before : befores) {
            const int64_t expected = ReferenceBackward(v, pattern, from, before);
            if (expected < 0)
                continue; // the scan would go on far below the last MiBs
            (void)file.getByte(before - 5000);
            ASSERT_EQ(search::FindBackward(file, prepared, before), expected)
                << Largest - before << " before the end, pattern of " << pattern.size();
        }
        search::FindAllResult result;
        ASSERT_TRUE(search::FindAll(file, prepared, from, 3, result));
        std::vector<int64_t> all;
        const Bytes bytes = v.bytes(from, Largest - from);
        for (size_t j = 0; j + pattern.size() <= bytes.size(); ++j)
            if (std::equal(pattern.begin(), pattern.end(), bytes.begin() + static_cast<long>(j)))
                all.push_back(from + static_cast<int64_t>(j));
        EXPECT_EQ(result.count, static_cast<int64_t>(all.size())) << "pattern of " << pattern.size();
        all.resize(std::min<size_t>(all.size(), 3));
        EXPECT_EQ(result.addresses, all);
        EXPECT_EQ(result.reached, Largest - static_cast<int64_t>(pattern.size()) + 1);
    }
}

// Absent patterns backward and a file compared with itself, near the largest offset:
// the pacer gets positions a million apart, counted down from where the scan began.
TEST_F(SearchAtTheTop, BackwardAndComparisonPaceAndStopNearTheEnd)
{
    const search::BytePattern absent(Bytes{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x13, 0x57});
    std::vector<int64_t> paced;
    const auto stopAtThird = [&](int64_t position) {
        paced.push_back(position);
        return paced.size() < 3;
    };
    EXPECT_EQ(search::FindBackward(file, absent, Largest, stopAtThird), search::SearchCancelled);
    const int64_t top = Largest - 9;
    EXPECT_EQ(paced, (std::vector<int64_t>{top - 1000000, top - 2000000, top - 3000000}));

    const util::File64 same{"virtual", v.library()};
    search::FileComparison comparison(file, same);
    EXPECT_EQ(comparison.next(Largest - 3 * MiB), -1);
    EXPECT_EQ(comparison.next(Largest), -1);
    search::DifferenceTally tally;
    EXPECT_TRUE(comparison.count(Largest - 3 * MiB, INT64_MAX, tally));
    EXPECT_EQ(tally.count, 0);
    EXPECT_EQ(tally.reached, Largest);
    paced.clear();
    EXPECT_EQ(comparison.previous(Largest, stopAtThird), search::SearchCancelled);
    EXPECT_EQ(paced, (std::vector<int64_t>{Largest - 1000000, Largest - 2000000, Largest - 3000000}));
}

// The page's size is the one taken at open: bytes the file gained later are never
// part of a match, however the window was filled.
TEST(SearchGrownFile, FindsNothingAtOrPastTheSizeTakenAtOpen)
{
    constexpr int64_t Size = MiB;
    VirtualLibrary v(Size);
    const util::File64 file("virtual", v.library());
    const Bytes pattern = {0x0F, 0x1E, 0x2D, 0x3C};
    v.resize(4 * Size);
    v.plant(Size - 2, pattern);     // needs two bytes past the size
    v.plant(Size + 100, pattern);   // wholly past it
    v.plant(Size - 40, {0x77, 0x88});
    for (const int64_t start : {Size - 70000, Size - Window + 1, Size - 10, int64_t{0}}) {
        (void)file.getByte(start); // a window filled after the file grew
        EXPECT_EQ(Search(file, pattern, start), Reference(v, Size, pattern, start)) << Size - start;
        EXPECT_EQ(Search(file, {0x77, 0x88}, start), Reference(v, Size, {0x77, 0x88}, start)) << Size - start;
    }
    EXPECT_EQ(Search(file, pattern, 0), -1);
    v.plant(Size - 4, pattern);
    (void)file.getByte(Size - 3 * Window);
    EXPECT_EQ(Search(file, pattern, Size - 3 * Window), Size - 4);
}
