// The search engine against a plain byte-by-byte scan of the same bytes.

#include "search/ByteRarity.h"
#include "search/Search.h"
#include "search/SearchProgress.h"

#include "support/FakeBlockIO.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using search::SearchFile;
using testing_support::FakeBlockIO;
using testing_support::RandomBytes;
using testing_support::TempDir;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int64_t Window = util::File64::File64Imp::WindowSize;

// What the search must return: the first position at or after start where the
// whole pattern lies in the bytes, byte for byte.
int64_t Reference(const Bytes& file, const Bytes& pattern, int64_t start)
{
    const int64_t n = static_cast<int64_t>(file.size());
    const int64_t l = static_cast<int64_t>(pattern.size());
    if (l == 0)
        return start;
    for (int64_t j = std::max<int64_t>(start, 0); j + l <= n; ++j)
        if (std::equal(pattern.begin(), pattern.end(), file.begin() + j))
            return j;
    return -1;
}

std::string Hex(const Bytes& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
        text += ' ';
    }
    return text;
}

Bytes Slice(const Bytes& bytes, int64_t at, int64_t length)
{
    return Bytes(bytes.begin() + at, bytes.begin() + at + length);
}

} // namespace

// Files of random and of two-valued bytes (many near matches, many overlapping
// ones), searched from random starts for patterns taken from the file and for
// random ones, against the reference; also after the window was moved elsewhere.
struct DifferentialCase {
    const char* name;
    int64_t size;
    int alphabet; // bytes are drawn from 0 .. alphabet-1
    int32_t readLimit;
    int sparse = 0; // when not 0, all but about one byte in `sparse` are zero
};

void PrintTo(const DifferentialCase& c, std::ostream* os) { *os << c.name; }

Bytes OfAlphabet(Bytes bytes, int alphabet)
{
    for (auto& b : bytes)
        b = static_cast<uint8_t>(b % alphabet);
    return bytes;
}

Bytes Generated(const DifferentialCase& c)
{
    Bytes bytes = OfAlphabet(RandomBytes(static_cast<size_t>(c.size), 7), c.alphabet);
    if (c.sparse > 0) {
        const Bytes picks = RandomBytes(bytes.size(), 8);
        for (size_t i = 0; i < bytes.size(); ++i)
            if (picks[i] % c.sparse != 0)
                bytes[i] = 0;
    }
    return bytes;
}

// The most common bytes of binary files, zero and 0xFF, as a pattern.
Bytes CommonBytes(int64_t length, int round)
{
    Bytes pattern(static_cast<size_t>(length), 0);
    if (round % 2)
        pattern.back() = 0xFF;
    return pattern;
}

// Blocks the search reads at once span many windows; these files span several.
constexpr int64_t PastBlocks = 40 * Window + 321;

// The case's bytes in a file read through the stand-in library.
class SearchMatchesReference : public ::testing::TestWithParam<DifferentialCase> {
protected:
    const DifferentialCase& c = GetParam();
    const Bytes bytes = Generated(c);
    TempDir dir;
    FakeBlockIO io{FakeBlockIO::OverRealLibrary{}, static_cast<uint32_t>(c.readLimit)};
    const DllLoader& loader = io.library();
    const util::File64 file{dir.write("f", bytes), loader};
};

TEST_P(SearchMatchesReference, ForRandomPatternsAndStarts)
{
    std::mt19937 gen(11);
    const auto below = [&](int64_t n) { return static_cast<int64_t>(gen() % static_cast<uint64_t>(n)); };
    const int64_t lengths[] = {1, 2, 3, 4, 5, 8, 13, 16, 31, 64, 257, 4000};
    for (int round = 0; round < 300; ++round) {
        const int64_t length = lengths[round % std::size(lengths)];
        if (length > c.size)
            continue;
        const Bytes pattern = round % 7 == 6   ? CommonBytes(length, round / 7)
                              : round % 3 == 2 ? OfAlphabet(RandomBytes(static_cast<size_t>(length),
                                                                        static_cast<uint32_t>(round)),
                                                            c.alphabet)
                                               : Slice(bytes, below(c.size - length + 1), length);
        const int64_t start = round % 5 == 0 ? 0 : below(c.size + 2);
        if (round % 4 == 1)
            file.getByte(below(c.size)); // the window now starts anywhere
        ASSERT_EQ(SearchFile(file, Hex(pattern), start), Reference(bytes, pattern, start))
            << "round " << round << " length " << length << " start " << start;
    }
}

// Next steps on from the byte after each hit: every match is found in turn.
TEST_P(SearchMatchesReference, StepsThroughEveryMatch)
{
    // Taken across the first window's end where the file has one.
    const Bytes pattern = Slice(bytes, std::min<int64_t>(Window - 5, c.size / 2), c.alphabet == 2 ? 12 : 3);

    int64_t expected = Reference(bytes, pattern, 0);
    int64_t found = SearchFile(file, Hex(pattern), 0);
    int hits = 0;
    // Mostly-zero files match a zero slice almost everywhere: a few thousand steps tell.
    while (expected >= 0 && hits < 3000) {
        ASSERT_EQ(found, expected) << "after " << hits << " hits";
        ++hits;
        expected = Reference(bytes, pattern, expected + 1);
        found = SearchFile(file, Hex(pattern), found + 1);
    }
    EXPECT_EQ(found, expected);
    EXPECT_GE(hits, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SearchMatchesReference,
    ::testing::Values(DifferentialCase{"RandomBytes", 3 * Window + 1234, 256, 1 << 30},
                      DifferentialCase{"TwoValuedBytes", 3 * Window + 77, 2, 1 << 30},
                      DifferentialCase{"FourValuedBytes", 2 * Window + 5, 4, 1 << 30},
                      DifferentialCase{"ShortReadsOf1000", 9000, 2, 1000},
                      DifferentialCase{"ShortReadsOf7", 3000, 2, 7},
                      DifferentialCase{"SmallerThanAWindow", 5000, 3, 1 << 30},
                      DifferentialCase{"MostlyZeroPastBlocks", PastBlocks, 256, 1 << 30, 128},
                      DifferentialCase{"MostlyZeroShortReads", 5 * Window + 9, 256, 40000, 64},
                      DifferentialCase{"RandomPastBlocks", PastBlocks, 256, 1 << 30}),
    [](const ::testing::TestParamInfo<DifferentialCase>& p) { return std::string(p.param.name); });

// Zeros with one byte of the rarest value, at every position of the pattern, in
// mostly-zero data: whichever two bytes the filter tests, the results are the
// reference's, also across the blocks the search reads.
TEST(SearchFile, RarestByteAtEveryPosition)
{
    const auto rarest = static_cast<uint8_t>(
        std::min_element(search::ByteCommonness.begin(), search::ByteCommonness.end()) - search::ByteCommonness.begin());
    DifferentialCase c{"", PastBlocks, 256, 1 << 30, 128};
    Bytes bytes = Generated(c);
    for (int64_t at = 1000; at < c.size - 100; at += 97 * 1024 + 13) // each pattern occurs, some across blocks
        std::fill_n(bytes.begin() + at, 100, 0), bytes[static_cast<size_t>(at + (at / 1000) % 64)] = rarest;
    TempDir dir;
    const util::File64 file(dir.write("f", bytes));
    std::mt19937 gen(5);
    for (const int64_t length : {2, 3, 5, 16, 64})
        for (int64_t k = 0; k < length; ++k) {
            Bytes pattern(static_cast<size_t>(length), 0);
            pattern[static_cast<size_t>(k)] = rarest;
            for (const int64_t start : {int64_t{0}, static_cast<int64_t>(gen() % static_cast<uint64_t>(c.size))})
                ASSERT_EQ(SearchFile(file, Hex(pattern), start), Reference(bytes, pattern, start))
                    << "length " << length << " rarest at " << k << " start " << start;
        }
}

// 'AAAA…' searched for 'AAAA…AB' and relatives that make a naive verify quadratic:
// the reference's result, for work within a few times the file and the pattern. 'H'
// is commoner in binaries than 'A', so the filter tests two 'A's and passes
// everywhere; 'B' is rarer, so the filter alone rules most positions out.
struct AdversaryCase {
    const char* name;
    int64_t length;   // of the pattern
    bool present;     // the pattern ends the file
    uint8_t odd;      // the one byte that is not 'A'
    bool oddFirst = false;
};

void PrintTo(const AdversaryCase& c, std::ostream* os) { *os << c.name; }

class SearchWork : public ::testing::TestWithParam<AdversaryCase> {};

TEST_P(SearchWork, StaysLinearOnRepeats)
{
    const AdversaryCase& c = GetParam();
    constexpr int64_t Size = 3 * 1000000 + 12345; // past several blocks and pacing points
    Bytes pattern(static_cast<size_t>(c.length), 'A');
    (c.oddFirst ? pattern.front() : pattern.back()) = c.odd;
    Bytes bytes(static_cast<size_t>(Size), 'A');
    if (c.present)
        std::copy(pattern.begin(), pattern.end(), bytes.end() - c.length);
    TempDir dir;
    const util::File64 file(dir.write("f", bytes));
    EXPECT_EQ(SearchFile(file, Hex(pattern), 0), c.present ? Size - c.length : -1);
    const uint64_t n = Size, l = static_cast<uint64_t>(c.length);
    EXPECT_LE(search::LastSearchWork(), 6 * (n + l)) << "for " << n << " bytes and a pattern of " << l;
}

INSTANTIATE_TEST_SUITE_P(
    Repeats, SearchWork,
    ::testing::Values(AdversaryCase{"AB", 2, false, 'B'}, AdversaryCase{"A16B", 17, true, 'B'},
                      AdversaryCase{"A999B", 1000, false, 'B'}, AdversaryCase{"A999H", 1000, false, 'H'},
                      AdversaryCase{"A999H_AtTheEnd", 1000, true, 'H'}, AdversaryCase{"A16H", 17, false, 'H'},
                      AdversaryCase{"HA999", 1000, false, 'H', true},
                      AdversaryCase{"LongerThanAWindowH", Window + 500, true, 'H'},
                      AdversaryCase{"LongerThanAWindowAbsentH", Window + 500, false, 'H'}),
    [](const ::testing::TestParamInfo<AdversaryCase>& p) { return std::string(p.param.name); });

// Named situations, each a file, a pattern text, a start and the result.
struct SearchCase {
    const char* name;
    Bytes file;
    std::string pattern;
    int64_t start;
    int64_t expected;
    int64_t moveWindowTo = -1; // a byte read first, so the window starts there
};

void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }

class SearchCases : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchCases, GiveTheExpectedResult)
{
    const SearchCase& c = GetParam();
    TempDir dir;
    const util::File64 file(dir.write("f", c.file));
    if (c.moveWindowTo >= 0)
        file.getByte(c.moveWindowTo);
    EXPECT_EQ(SearchFile(file, c.pattern, c.start), c.expected);
}

namespace {
// Zeros with the given bytes at the given offset.
Bytes ZerosWith(int64_t size, int64_t at, const Bytes& inside)
{
    Bytes bytes(static_cast<size_t>(size), 0);
    std::copy(inside.begin(), inside.end(), bytes.begin() + at);
    return bytes;
}
const Bytes Four41 = {0x41, 0x41, 0x41, 0x41};
const Bytes DeadBeef = {0xDE, 0xAD, 0xBE, 0xEF};
const Bytes Long = RandomBytes(Window + 10, 5);
const Bytes LongOneByteOff = [] {
    Bytes bytes = Long;
    bytes[Window + 5] ^= 1;
    return bytes;
}();
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchCases,
    ::testing::Values(
        SearchCase{"RepetitiveFromTop", Four41, "4141", 0, 0},
        SearchCase{"RepetitiveNextFrom1", Four41, "4141", 1, 1},
        SearchCase{"RepetitiveNextFrom2", Four41, "4141", 2, 2},
        SearchCase{"RepetitiveNextFrom3NotFound", Four41, "4141", 3, -1},
        SearchCase{"SpacedOddDigits", {0, 0x0A, 0x1B, 0x23, 0}, "A1 b2 3", 0, 1},
        SearchCase{"CaseOfLettersMatters", {'a', 'b', 'A', 'B'}, "4142", 0, 2},
        SearchCase{"StartOnAMatchFindsIt", {1, 2, 1, 2}, "0102", 2, 2},
        SearchCase{"NoWrapToAnEarlierMatch", {1, 2, 0, 0}, "0102", 1, -1},
        SearchCase{"MatchEndingOnTheLastByte", {0, 0, 0, 0xDE, 0xAD, 0xBE, 0xEF}, "DEADBEEF", 0, 3},
        SearchCase{"MatchNeedingAByteMore", {0, 0, 0, 0xDE, 0xAD, 0xBE}, "DEADBEEF", 0, -1},
        SearchCase{"PatternLongerThanTheFile", {0xDE, 0xAD, 0xBE}, "DEADBEEF", 0, -1},
        SearchCase{"StartWithinTheLastLMinus1Bytes", {0xDE, 0xAD, 0xBE, 0xEF, 0xDE, 0xAD, 0xBE}, "DEADBEEF", 4, -1},
        SearchCase{"StartOnTheLastByte", {0, 0x41}, "41", 1, 1},
        SearchCase{"StartAtTheEnd", {0x41, 0x41}, "41", 2, -1},
        SearchCase{"StartBeyondTheEnd", {0x41, 0x41}, "41", 1000, -1},
        SearchCase{"NegativeStartSearchesFromTheTop", {0x41}, "41", -5, 0},
        SearchCase{"EmptyPatternGivesTheStart", {0x41}, "", 7, 7},
        SearchCase{"SpacesOnlyGiveTheStart", {0x41}, "   ", 0, 0},
        SearchCase{"StraddlingTheFirstWindowEnd", ZerosWith(3 * Window, Window - 2, DeadBeef), "DEADBEEF", 0,
                   Window - 2},
        SearchCase{"StraddlingByOneByte", ZerosWith(3 * Window, Window - 1, DeadBeef), "DEADBEEF", 0, Window - 1},
        SearchCase{"EndingOnTheWindowEnd", ZerosWith(3 * Window, Window - 4, DeadBeef), "DEADBEEF", 0, Window - 4},
        SearchCase{"StartingTheNextWindow", ZerosWith(3 * Window, Window, DeadBeef), "DEADBEEF", 0, Window},
        SearchCase{"StraddlingAMovedWindow", ZerosWith(3 * Window, 1000 + Window - 3, DeadBeef), "DEADBEEF", 1000,
                   1000 + Window - 3, 1000},
        SearchCase{"StraddlingTheSecondWindowEnd", ZerosWith(3 * Window, 2 * Window - 3, DeadBeef), "DEADBEEF", 5,
                   2 * Window - 3},
        SearchCase{"LongerThanAWindow", ZerosWith(3 * Window, 100, Long), Hex(Long), 0, 100},
        SearchCase{"LongerThanAWindowWithOneByteOff", ZerosWith(3 * Window, 100, LongOneByteOff), Hex(Long), 0, -1}),
    [](const ::testing::TestParamInfo<SearchCase>& p) { return std::string(p.param.name); });

TEST(SearchFile, FindsAMatchPastFourGibibytes)
{
    TempDir dir;
    const int64_t at = (int64_t{5} << 30) + Window - 2;
    const util::File64 file(dir.sparse("huge", at + 2 * Window, at, DeadBeef));
    EXPECT_EQ(SearchFile(file, "DEADBEEF", at - 3 * Window), at);
    EXPECT_EQ(SearchFile(file, "DEADBEEF", at + 1), -1);
}

TEST(SearchFile, EmptyPatternReadsNothing)
{
    TempDir dir;
    FakeBlockIO io{FakeBlockIO::OverRealLibrary{}};
    const DllLoader& loader = io.library();
    const util::File64 file(dir.write("f", Four41), loader);
    const int readsAtOpen = io.reads;
    EXPECT_EQ(SearchFile(file, "", 3), 3);
    EXPECT_EQ(io.reads, readsAtOpen);
}

TEST(SearchFile, PassesAReadErrorOn)
{
    TempDir dir;
    FakeBlockIO io{FakeBlockIO::OverRealLibrary{}};
    io.failFrom = 2 * Window;
    const DllLoader& loader = io.library();
    const util::File64 file(dir.sparse("f", 4 * Window), loader);
    try {
        SearchFile(file, "01", 0);
        FAIL() << "no error";
    } catch (const util::Error& e) {
        EXPECT_STREQ(e.what(), "file read error");
    }
}

// The pacer runs after every million examined positions, with the position
// reached, and stops the search when it says so.
TEST(SearchFile, PacesEveryMillionPositions)
{
    TempDir dir;
    const int64_t size = 3500000;
    const util::File64 file(dir.sparse("f", size));
    std::vector<int64_t> positions;
    const auto pacer = [&](int64_t position) {
        positions.push_back(position);
        return true;
    };
    EXPECT_EQ(SearchFile(file, "01 02 03 04", 10, pacer), -1);
    EXPECT_EQ(positions, (std::vector<int64_t>{1000010, 2000010, 3000010}));

    positions.clear();
    EXPECT_EQ(SearchFile(file, "01", 0, [&](int64_t position) { return pacer(position) && positions.size() < 2; }),
              search::SearchCancelled);
    EXPECT_EQ(positions, (std::vector<int64_t>{1000000, 2000000}));
}

TEST(SearchFile, PacesAPatternLongerThanAWindow)
{
    TempDir dir;
    const util::File64 file(dir.sparse("f", 1200000));
    int calls = 0;
    EXPECT_EQ(SearchFile(file, std::string(2 * (Window + 1), 'f'), 0, [&](int64_t) { return ++calls < 1; }),
              search::SearchCancelled);
    EXPECT_EQ(calls, 1);
}

TEST(SearchProgress, CountsFromTheSearchesStartToTheFilesEnd)
{
    EXPECT_EQ(search::ProgressPercent(0, 0, 200), 0);
    EXPECT_EQ(search::ProgressPercent(100, 150, 200), 50);
    EXPECT_EQ(search::ProgressPercent(0, 199, 200), 99);
    EXPECT_EQ(search::ProgressPercent(200, 200, 200), 100); // nothing left to search
    EXPECT_EQ(search::ProgressPercent(0, INT64_MAX / 2, INT64_MAX), 50);
}

// The backward scan counts down from where it began to the file's start.
TEST(SearchProgress, BackwardCountsDownToTheFilesStart)
{
    constexpr int64_t TiB = int64_t{1} << 40;
    EXPECT_EQ(search::BackwardProgressText(TiB, TiB - 12300000000).toStdString(),
              "Searching backwards: 12.3 of 1099.5 GB (1%). Esc cancels.");
    EXPECT_EQ(search::BackwardProgressPercent(200, 200), 0);
    EXPECT_EQ(search::BackwardProgressPercent(200, 100), 50);
    EXPECT_EQ(search::BackwardProgressPercent(200, 1), 99);
    EXPECT_EQ(search::BackwardProgressPercent(200, 0), 100);
    EXPECT_EQ(search::BackwardProgressPercent(INT64_MAX, 1), 99) << "doubles round a span near 2^63 up";
}

struct ProgressCase {
    const char* name;
    int64_t from, position, fileSize;
    const char* text;
};

void PrintTo(const ProgressCase& c, std::ostream* os) { *os << c.name; }

class SearchProgressText : public testing::TestWithParam<ProgressCase> {};

TEST_P(SearchProgressText, ShowsDecimalGigabytesOfTheSpanSearched)
{
    const ProgressCase& c = GetParam();
    EXPECT_EQ(search::ProgressText(c.from, c.position, c.fileSize).toStdString(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, SearchProgressText,
    testing::Values(
        ProgressCase{"TebibyteFromTheTop", 0, 12'300'000'000, int64_t{1} << 40,
                     "Searching: 12.3 of 1099.5 GB (1%). Esc cancels."},
        ProgressCase{"FromTheCursorCountsOnlyTheSpan", 500'000'000'000, 512'349'999'999, int64_t{1} << 40,
                     "Searching: 12.3 of 599.5 GB (2%). Esc cancels."},
        ProgressCase{"JustBegun", 0, 0, 64'000'000'000, "Searching: 0.0 of 64.0 GB (0%). Esc cancels."},
        ProgressCase{"SmallFile", 0, 50'000'000, 100'000'000, "Searching: 0.1 of 0.1 GB (50%). Esc cancels."},
        ProgressCase{"LargestFileNearItsEnd", 0, INT64_MAX - 1, INT64_MAX,
                     "Searching: 9223372036.9 of 9223372036.9 GB (99%). Esc cancels."}),
    [](const testing::TestParamInfo<ProgressCase>& info) { return std::string(info.param.name); });
