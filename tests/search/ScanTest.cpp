// The scan engine's operations against byte-by-byte references over the same
// generated files, on every kernel path: forward, backward and every-occurrence
// scans, and the differences of two files; their work on adversarial inputs, their
// pacing, stopping and read errors.

#include "search/Scan.h"

#include "search/ByteRarity.h"
#include "support/FakeBlockIO.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using search::BytePattern;
using search::FileComparison;
using search::FindAllResult;
using search::ScanPath;
using search::ScanStep;
using testing_support::FakeBlockIO;
using testing_support::RandomBytes;
using testing_support::TempDir;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int64_t Step = static_cast<int64_t>(ScanStep);
constexpr int64_t Window = util::File64::File64Imp::WindowSize;

bool MatchesAt(const Bytes& file, const Bytes& pattern, int64_t j)
{
    return j >= 0 && j + static_cast<int64_t>(pattern.size()) <= static_cast<int64_t>(file.size()) &&
           std::memcmp(file.data() + j, pattern.data(), pattern.size()) == 0;
}

// Every match at or after start, position by position.
std::vector<int64_t> ReferenceAll(const Bytes& file, const Bytes& pattern, int64_t start)
{
    std::vector<int64_t> all;
    for (int64_t j = std::max<int64_t>(start, 0); j + static_cast<int64_t>(pattern.size()) <= static_cast<int64_t>(file.size()); ++j)
        if (MatchesAt(file, pattern, j))
            all.push_back(j);
    return all;
}

int64_t ReferenceForward(const Bytes& file, const Bytes& pattern, int64_t start)
{
    for (int64_t j = std::max<int64_t>(start, 0); j + static_cast<int64_t>(pattern.size()) <= static_cast<int64_t>(file.size()); ++j)
        if (MatchesAt(file, pattern, j))
            return j;
    return -1;
}

int64_t ReferenceBackward(const Bytes& file, const Bytes& pattern, int64_t before)
{
    for (int64_t j = std::min<int64_t>(before, static_cast<int64_t>(file.size())) - 1; j >= 0; --j)
        if (MatchesAt(file, pattern, j))
            return j;
    return -1;
}

// A byte that differs where one file has ended.
bool DiffersAt(const Bytes& a, const Bytes& b, int64_t i)
{
    const auto at = static_cast<size_t>(i);
    if (at >= a.size() || at >= b.size())
        return at < std::max(a.size(), b.size());
    return a[at] != b[at];
}

int64_t ReferenceNextDifference(const Bytes& a, const Bytes& b, int64_t start)
{
    const auto longest = static_cast<int64_t>(std::max(a.size(), b.size()));
    for (int64_t i = std::max<int64_t>(start, 0); i < longest; ++i)
        if (DiffersAt(a, b, i))
            return i;
    return -1;
}

int64_t ReferencePreviousDifference(const Bytes& a, const Bytes& b, int64_t before)
{
    const auto longest = static_cast<int64_t>(std::max(a.size(), b.size()));
    for (int64_t i = std::min(before, longest) - 1; i >= 0; --i)
        if (DiffersAt(a, b, i))
            return i;
    return -1;
}

int64_t ReferenceDifferences(const Bytes& a, const Bytes& b, int64_t from, int64_t to)
{
    const auto longest = static_cast<int64_t>(std::max(a.size(), b.size()));
    int64_t count = 0;
    for (int64_t i = std::max<int64_t>(from, 0); i < std::min(to, longest); ++i)
        count += DiffersAt(a, b, i);
    return count;
}

uint8_t ByRank(int rank)
{
    return static_cast<uint8_t>(std::find(search::ByteCommonness.begin(), search::ByteCommonness.end(), rank) -
                                search::ByteCommonness.begin());
}

const char* PathName(ScanPath path)
{
    switch (path) {
    case ScanPath::Scalar:
        return "Scalar";
    case ScanPath::Sse2:
        return "Sse2";
    case ScanPath::Avx2:
        return "Avx2";
    default:
        return "Auto";
    }
}

// The kinds of file the scans are run over.
enum class Kind { Random, MostlyZero, Zeros, Repeats, TwoValued };

struct FileCase {
    const char* name;
    Kind kind;
    int64_t size;
    uint32_t readLimit = 1u << 30; // the library answers at most this many bytes a read
};

Bytes Generated(const FileCase& c)
{
    const auto n = static_cast<size_t>(c.size);
    Bytes bytes = RandomBytes(n, 7);
    switch (c.kind) {
    case Kind::Random:
        break;
    case Kind::MostlyZero:
        for (size_t i = 0; i < n; ++i)
            if (bytes[i] % 61 != 0)
                bytes[i] = 0;
        break;
    case Kind::Zeros:
        std::fill(bytes.begin(), bytes.end(), 0);
        // A few breaks in the zeros, around the step edges too.
        for (int64_t at = Step - 3; at < c.size; at += Step + 4097)
            bytes[static_cast<size_t>(at)] = ByRank(0);
        break;
    case Kind::Repeats: // "AAAA…" with an odd 'B' now and then
        for (size_t i = 0; i < n; ++i)
            bytes[i] = bytes[i] % 251 == 0 ? 'B' : 'A';
        break;
    case Kind::TwoValued:
        for (auto& b : bytes)
            b = static_cast<uint8_t>(b % 2);
        break;
    }
    return bytes;
}

struct ScanCase {
    ScanPath path;
    FileCase file;
};

void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.file.name << " on " << PathName(c.path); }

std::string CaseName(const ::testing::TestParamInfo<ScanCase>& info)
{
    return std::string(info.param.file.name) + "_" + PathName(info.param.path);
}

std::vector<ScanCase> Cases()
{
    const FileCase files[] = {
        {"RandomAroundTwoSteps", Kind::Random, 2 * Step + 777},
        {"MostlyZeroOneStepLess", Kind::MostlyZero, Step - 1},
        {"MostlyZeroOneStep", Kind::MostlyZero, Step},
        {"MostlyZeroOneStepMore", Kind::MostlyZero, Step + 1},
        {"ZerosThreeSteps", Kind::Zeros, 3 * Step + 5},
        {"RepeatsTwoSteps", Kind::Repeats, 2 * Step + 31},
        {"TwoValuedShortReads", Kind::TwoValued, Step + Window + 9, 40000},
        {"RandomSmall", Kind::Random, 3000},
    };
    std::vector<ScanCase> cases;
    for (const ScanPath path : {ScanPath::Scalar, ScanPath::Sse2, ScanPath::Avx2})
        for (const FileCase& f : files)
            cases.push_back({path, f});
    return cases;
}

// The case's file, read through the stand-in library over the real one.
class ScanMatchesReference : public ::testing::TestWithParam<ScanCase> {
protected:
    void SetUp() override
    {
        if (!search::ScanPathAvailable(GetParam().path))
            GTEST_SKIP() << "this processor has no " << PathName(GetParam().path) << "; that path is not tested here";
    }

    BytePattern Prepared(const Bytes& pattern) const
    {
        BytePattern prepared(pattern, GetParam().path);
        EXPECT_EQ(prepared.path(), GetParam().path);
        return prepared;
    }

    // A pattern for a round: a slice of the file (often found elsewhere too), a slice
    // with one byte changed, zeros, or one of the file's dominant byte.
    Bytes PatternFor(int round, int64_t length)
    {
        const auto l = static_cast<size_t>(length);
        switch (round % 5) {
        case 0:
        case 1: {
            const auto at = static_cast<size_t>(below(c.size - length + 1));
            return Bytes(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + l));
        }
        case 2: {
            const auto at = static_cast<size_t>(below(c.size - length + 1));
            Bytes slice(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + l));
            slice[static_cast<size_t>(below(length))] ^= 1;
            return slice;
        }
        case 3:
            return Bytes(l, 0);
        default:
            return Bytes(l, bytes[static_cast<size_t>(below(c.size))]);
        }
    }

    int64_t below(int64_t n) { return static_cast<int64_t>(gen() % static_cast<uint64_t>(n)); }

    const FileCase& c = GetParam().file;
    const Bytes bytes = Generated(c);
    TempDir dir;
    FakeBlockIO io{FakeBlockIO::OverRealLibrary{}, c.readLimit};
    const util::File64 file{dir.write("f", bytes), io.library()};
    std::mt19937 gen{11};
};

const int64_t Lengths[] = {1, 2, 3, 4, 5, 8, 16, 17, 31, 64, 257};

TEST_P(ScanMatchesReference, ForwardAndBackward)
{
    for (int round = 0; round < 120; ++round) {
        const int64_t length = std::min(Lengths[round % std::size(Lengths)], c.size);
        const Bytes pattern = PatternFor(round, length);
        const BytePattern prepared = Prepared(pattern);
        // Starts at the ends and the step edges, and anywhere.
        const int64_t edges[] = {0, c.size, Step - 1, Step, Step + 1, c.size - length, c.size - length + 1};
        const int64_t at = round % 3 == 0 ? edges[(round / 3) % std::size(edges)] : below(c.size + 2);
        ASSERT_EQ(search::FindForward(file, prepared, at), ReferenceForward(bytes, pattern, at))
            << "round " << round << " length " << length << " start " << at;
        ASSERT_EQ(search::FindBackward(file, prepared, at), ReferenceBackward(bytes, pattern, at))
            << "round " << round << " length " << length << " before " << at;
    }
}

// Backward steps from each match to the one before it, forward to the one after:
// every match in turn, across the step edges.
TEST_P(ScanMatchesReference, StepsThroughMatchesBothWays)
{
    const int64_t length = std::min<int64_t>(c.kind == Kind::TwoValued ? 12 : 3, c.size);
    const auto at = static_cast<size_t>(std::min(Step - 1, c.size - length));
    const Bytes pattern(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + static_cast<size_t>(length)));
    const BytePattern prepared = Prepared(pattern);
    const std::vector<int64_t> all = ReferenceAll(bytes, pattern, 0);
    ASSERT_FALSE(all.empty());
    // At most a few thousand steps each way, from both ends.
    const size_t steps = std::min<size_t>(all.size(), 2000);
    int64_t found = search::FindBackward(file, prepared, INT64_MAX);
    for (size_t k = 0; k < steps; ++k) {
        ASSERT_EQ(found, all[all.size() - 1 - k]) << k << " matches from the end";
        found = search::FindBackward(file, prepared, found);
    }
    found = search::FindForward(file, prepared, 0);
    for (size_t k = 0; k < steps; ++k) {
        ASSERT_EQ(found, all[k]) << k << " matches from the start";
        found = search::FindForward(file, prepared, found + 1);
    }
}

TEST_P(ScanMatchesReference, FindsAllWithAnExactCountAndTheFirstKept)
{
    for (int round = 0; round < 60; ++round) {
        const int64_t length = std::min(Lengths[round % std::size(Lengths)], c.size);
        const Bytes pattern = PatternFor(round, length);
        const int64_t start = round % 4 == 0 ? 0 : below(c.size + 2);
        const size_t keep = std::vector<size_t>{0, 1, 7, 100000}[static_cast<size_t>(round) % 4];
        const std::vector<int64_t> all = ReferenceAll(bytes, pattern, start);
        FindAllResult result;
        ASSERT_TRUE(search::FindAll(file, Prepared(pattern), start, keep, result));
        ASSERT_EQ(result.count, static_cast<int64_t>(all.size())) << "round " << round << " length " << length;
        ASSERT_EQ(result.addresses,
                  std::vector<int64_t>(all.begin(), all.begin() + static_cast<long>(std::min(keep, all.size()))))
            << "round " << round;
        EXPECT_TRUE(result.complete);
    }
}

TEST_P(ScanMatchesReference, ComparesWithChangedCopies)
{
    // Differences at the first and last bytes, around step and window edges, and
    // anywhere; copies shorter and longer than the file.
    Bytes other = bytes;
    std::vector<int64_t> at = {0, c.size - 1, Window - 1, Window, Step - 1, Step, Step + 1, 2 * Step};
    for (int k = 0; k < 20; ++k)
        at.push_back(below(c.size));
    for (const int64_t i : at)
        if (i >= 0 && i < c.size)
            other[static_cast<size_t>(i)] ^= static_cast<uint8_t>(1 + below(255));
    const auto cut = static_cast<size_t>(c.size - 1 - below(std::min<int64_t>(c.size, 5000)));
    const Bytes variants[] = {other, bytes, Bytes(other.begin(), other.begin() + static_cast<long>(cut)),
                              [&] {
                                  Bytes longer = other;
                                  longer.insert(longer.end(), 3000, 0);
                                  return longer;
                              }()};
    for (size_t v = 0; v < std::size(variants); ++v) {
        const Bytes& b = variants[v];
        const util::File64 second(dir.write("g" + std::to_string(v), b), io.library());
        FileComparison comparison(file, second, GetParam().path);
        // Next from every difference to the one after it, then back.
        int64_t found = comparison.next(0);
        int64_t expected = ReferenceNextDifference(bytes, b, 0);
        for (int k = 0; k < 200 && expected >= 0; ++k) {
            ASSERT_EQ(found, expected) << "variant " << v << ", difference " << k;
            found = comparison.next(found + 1);
            expected = ReferenceNextDifference(bytes, b, expected + 1);
        }
        ASSERT_EQ(found, expected) << "variant " << v;
        found = comparison.previous(INT64_MAX);
        expected = ReferencePreviousDifference(bytes, b, INT64_MAX);
        for (int k = 0; k < 200 && expected >= 0; ++k) {
            ASSERT_EQ(found, expected) << "variant " << v << ", difference " << k << " from the end";
            found = comparison.previous(found);
            expected = ReferencePreviousDifference(bytes, b, expected);
        }
        ASSERT_EQ(found, expected) << "variant " << v;
        for (int k = 0; k < 12; ++k) {
            const int64_t from = k == 0 ? 0 : below(c.size + 10);
            const int64_t to = k == 0 ? INT64_MAX : from + below(c.size + 10);
            search::DifferenceTally tally;
            ASSERT_TRUE(comparison.count(from, to, tally));
            ASSERT_EQ(tally.count, ReferenceDifferences(bytes, b, from, to)) << "variant " << v << " span " << from
                                                                            << " to " << to;
            EXPECT_TRUE(tally.complete);
            // Random starts for next and previous, also in the step it holds.
            const int64_t start = below(static_cast<int64_t>(b.size()) + 10);
            ASSERT_EQ(comparison.next(start), ReferenceNextDifference(bytes, b, start)) << start;
            ASSERT_EQ(comparison.previous(start), ReferencePreviousDifference(bytes, b, start)) << start;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ScanMatchesReference, ::testing::ValuesIn(Cases()), CaseName);

// Zeros over zeros and relatives that make a naive verify quadratic: the work of
// each scan stays within a few times the file and the pattern.
struct WorkCase {
    const char* name;
    Bytes pattern;
    Bytes (*file)(); // made when the case runs, not when the cases are listed
};

void PrintTo(const WorkCase& c, std::ostream* os) { *os << c.name; }

class ScanWork : public ::testing::TestWithParam<std::tuple<ScanPath, WorkCase>> {};

constexpr size_t WorkSize = 3 * 1000000 + 12345; // past several steps and pacing points

Bytes Filled(size_t n, uint8_t b) { return Bytes(n, b); }
Bytes With(Bytes bytes, size_t at, uint8_t b)
{
    bytes[at] = b;
    return bytes;
}

std::vector<WorkCase> WorkCases()
{
    const uint8_t A = 'A', B = 'B';
    const auto zeros = [] { return Filled(WorkSize, 0); };
    const auto as = [] { return Filled(WorkSize, 'A'); };
    return {
        {"Zeros4096OverZeros", Filled(4096, 0), zeros},
        {"Zeros16OverZeros", Filled(16, 0), zeros},
        {"Zeros2OverZeros", Filled(2, 0), zeros},
        {"AAAB1000OverA", With(Filled(1000, A), 999, B), as},
        {"BAAA1000OverA", With(Filled(1000, A), 0, B), as},
        {"A999H_OverA", With(Filled(1000, A), 999, 'H'), as},
        {"HA999_OverA", With(Filled(1000, A), 0, 'H'), as},
        {"AB_OverAB", {A, B},
         [] {
             Bytes b(WorkSize);
             for (size_t i = 0; i < WorkSize; ++i)
                 b[i] = i % 2 ? 'B' : 'A';
             return b;
         }},
        {"Zeros4096OverZerosWithBreaks", Filled(4096, 0),
         [] {
             Bytes b(WorkSize, 0);
             for (size_t i = 5000; i < WorkSize; i += 4099)
                 b[i] = 1;
             return b;
         }},
    };
}

TEST_P(ScanWork, StaysLinearForEveryScan)
{
    const auto& [path, c] = GetParam();
    if (!search::ScanPathAvailable(path))
        GTEST_SKIP() << "this processor has no " << PathName(path) << "; that path is not tested here";
    const Bytes bytes = c.file();
    TempDir dir;
    const util::File64 file(dir.write("f", bytes));
    const BytePattern pattern(c.pattern, path);
    const uint64_t bound = 6 * (bytes.size() + c.pattern.size());
    const std::vector<int64_t> all = ReferenceAll(bytes, c.pattern, 0);

    EXPECT_EQ(search::FindForward(file, pattern, 1), ReferenceForward(bytes, c.pattern, 1));
    EXPECT_LE(search::LastSearchWork(), bound) << "forward";
    EXPECT_EQ(search::FindBackward(file, pattern, static_cast<int64_t>(bytes.size()) - 1),
              ReferenceBackward(bytes, c.pattern, static_cast<int64_t>(bytes.size()) - 1));
    EXPECT_LE(search::LastSearchWork(), bound) << "backward";
    FindAllResult result;
    EXPECT_TRUE(search::FindAll(file, pattern, 0, 1000, result));
    EXPECT_EQ(result.count, static_cast<int64_t>(all.size()));
    EXPECT_EQ(result.addresses, std::vector<int64_t>(all.begin(), all.begin() + static_cast<long>(std::min<size_t>(1000, all.size()))));
    EXPECT_LE(search::LastSearchWork(), bound) << "every occurrence";
}

std::string WorkName(const ::testing::TestParamInfo<std::tuple<ScanPath, WorkCase>>& info)
{
    return std::string(std::get<1>(info.param).name) + "_" + PathName(std::get<0>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Adversaries, ScanWork,
                         ::testing::Combine(::testing::Values(ScanPath::Scalar, ScanPath::Sse2, ScanPath::Avx2),
                                            ::testing::ValuesIn(WorkCases())),
                         WorkName);

// A file of zeros with DEADBEEF at a few places, for pacing, stopping and errors.
class ScanControl : public ::testing::Test {
protected:
    static constexpr int64_t Size = 3500000;
    const Bytes DeadBeef = {0xDE, 0xAD, 0xBE, 0xEF};
    const std::vector<int64_t> Planted = {100, 1500000, 2 * Step - 2, 3400000};
    const Bytes bytes = [this] {
        Bytes zeros(Size, 0);
        for (const int64_t at : Planted)
            std::copy(DeadBeef.begin(), DeadBeef.end(), zeros.begin() + at);
        return zeros;
    }();
    TempDir dir;
    FakeBlockIO io{FakeBlockIO::OverRealLibrary{}};
    const util::File64 file{dir.write("f", bytes), io.library()};
    const BytePattern pattern{DeadBeef};
    std::vector<int64_t> paced;
    search::SearchPacer recorder = [this](int64_t position) {
        paced.push_back(position);
        return true;
    };
    search::SearchPacer stopAtFirst = [this](int64_t position) {
        paced.push_back(position);
        return false;
    };
    search::SearchPacer stopAtSecond = [this](int64_t position) {
        paced.push_back(position);
        return paced.size() < 2;
    };
};

TEST_F(ScanControl, PacesEveryMillionPositionsWithThePositionReached)
{
    EXPECT_EQ(search::FindForward(file, pattern, 1500001, recorder), 3400000);
    EXPECT_EQ(paced, (std::vector<int64_t>{2500001}));
    paced.clear();
    EXPECT_EQ(search::FindBackward(file, pattern, 3400000, recorder), 1500000);
    EXPECT_EQ(paced, (std::vector<int64_t>{2400000}));
    paced.clear();
    FindAllResult result;
    EXPECT_TRUE(search::FindAll(file, pattern, 10, 2, result, recorder));
    EXPECT_EQ(paced, (std::vector<int64_t>{1000010, 2000010, 3000010}));
    EXPECT_EQ(result.count, 4);
    EXPECT_EQ(result.addresses, (std::vector<int64_t>{100, 2 * Step - 2}));
    EXPECT_EQ(result.reached, Size - 3);

    paced.clear();
    const util::File64 zeros(dir.sparse("z", Size));
    FileComparison comparison(file, zeros);
    EXPECT_EQ(comparison.next(200, recorder), 2 * Step - 2);
    EXPECT_EQ(comparison.next(2 * Step + 2, recorder), 1500000);
    EXPECT_EQ(comparison.next(1500004, recorder), 3400000);
    EXPECT_EQ(paced, (std::vector<int64_t>{2500004}));
    paced.clear();
    EXPECT_EQ(comparison.previous(3400000, recorder), 1500003);
    EXPECT_EQ(paced, (std::vector<int64_t>{2400000}));
    paced.clear();
    search::DifferenceTally tally;
    EXPECT_TRUE(comparison.count(0, INT64_MAX, tally, recorder));
    EXPECT_EQ(tally.count, 16);
    EXPECT_EQ(paced, (std::vector<int64_t>{1000000, 2000000, 3000000}));
}

// The pacer's false stops each scan where it stands, with what it found so far.
TEST_F(ScanControl, StopsWhenThePacerSaysSo)
{
    EXPECT_EQ(search::FindForward(file, pattern, 1500001, stopAtFirst), search::SearchCancelled);
    EXPECT_EQ(paced, (std::vector<int64_t>{2500001}));
    paced.clear();
    EXPECT_EQ(search::FindBackward(file, pattern, 3400000, stopAtSecond), 1500000) << "found before the second call";
    paced.clear();
    EXPECT_EQ(search::FindBackward(file, pattern, 3399999, stopAtFirst), search::SearchCancelled);
    EXPECT_EQ(paced, (std::vector<int64_t>{2399999}));
    paced.clear();
    FindAllResult result;
    EXPECT_FALSE(search::FindAll(file, pattern, 0, 10, result, stopAtSecond));
    EXPECT_EQ(result.reached, 2000000);
    EXPECT_EQ(result.count, 3) << "the matches before the position reached";
    EXPECT_EQ(result.addresses, (std::vector<int64_t>{100, 2 * Step - 2, 1500000}));
    EXPECT_FALSE(result.complete);

    paced.clear();
    const util::File64 zeros(dir.sparse("z", Size));
    FileComparison comparison(file, zeros);
    EXPECT_EQ(comparison.next(1500004, stopAtFirst), search::SearchCancelled);
    EXPECT_EQ(paced, (std::vector<int64_t>{2500004}));
    paced.clear();
    EXPECT_EQ(comparison.previous(3400000, stopAtFirst), search::SearchCancelled);
    EXPECT_EQ(paced, (std::vector<int64_t>{2400000}));
    paced.clear();
    search::DifferenceTally tally;
    EXPECT_FALSE(comparison.count(0, INT64_MAX, tally, stopAtSecond));
    EXPECT_EQ(tally.reached, 2000000);
    EXPECT_EQ(tally.count, 12);
    EXPECT_FALSE(tally.complete);
}

// A read error rises once the positions before it were examined: a match before it
// is still found; the every-occurrence scan and the count keep what they had.
TEST_F(ScanControl, ReadErrorRisesAfterThePositionsBeforeIt)
{
    io.failFrom = 12 * Step; // reads start on step edges from 0
    const auto expectError = [](auto&& scan, const char* what) {
        try {
            scan();
            ADD_FAILURE() << what << ": no error";
        } catch (const util::Error& e) {
            EXPECT_STREQ(e.what(), "file read error") << what;
        }
    };
    EXPECT_EQ(search::FindForward(file, pattern, 0), 100);
    EXPECT_EQ(search::FindForward(file, pattern, 1000), 2 * Step - 2);
    EXPECT_EQ(search::FindForward(file, pattern, 2 * Step), 1500000);
    expectError([&] { search::FindForward(file, pattern, 1500001); }, "forward");
    EXPECT_EQ(search::FindBackward(file, pattern, 2 * Step), 2 * Step - 2) << "below the failing bytes";
    expectError([&] { search::FindBackward(file, pattern, Size); }, "backward over the failing bytes");
    FindAllResult result;
    expectError([&] { search::FindAll(file, pattern, 0, 10, result); }, "every occurrence");
    EXPECT_EQ(result.count, 3);
    EXPECT_EQ(result.addresses, (std::vector<int64_t>{100, 2 * Step - 2, 1500000}));
    // The read that failed began at or past the failing offset.
    EXPECT_GE(result.reached, 12 * Step - 3);
    EXPECT_LE(result.reached, 12 * Step + Step);

    const util::File64 zeros(dir.sparse("z", Size));
    FileComparison comparison(file, zeros);
    EXPECT_EQ(comparison.next(0), 100);
    EXPECT_EQ(comparison.next(2 * Step + 2), 1500000);
    expectError([&] { comparison.next(1500004); }, "next difference");
    EXPECT_EQ(comparison.previous(2 * Step), 2 * Step - 1);
    expectError([&] { comparison.previous(Size); }, "previous difference over the failing bytes");
    search::DifferenceTally tally;
    expectError([&] { comparison.count(0, Size, tally); }, "count");
    EXPECT_EQ(tally.count, 12);
    EXPECT_EQ(tally.reached, 12 * Step);
}

// A step is one read of the library (after two shorter ones) and leaves the page's window where it was;
// walking from one difference to the next reads each byte once.
TEST(ScanSteps, ReadEachStepOnceAndLeaveTheWindow)
{
    TempDir dir;
    FakeBlockIO io{FakeBlockIO::OverRealLibrary{}};
    constexpr int64_t Size = 16 * Step;
    Bytes a = RandomBytes(Size, 3), b = a;
    for (int64_t at = 1000; at < Size; at += 64 * 1024)
        b[static_cast<size_t>(at)] ^= 0x5A;
    const util::File64 fa(dir.write("a", a), io.library());
    const util::File64 fb(dir.write("b", b), io.library());
    (void)fa.getByte(5 * Window + 3);
    const int readsBefore = io.reads;
    const BytePattern absent(Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09});
    ASSERT_EQ(search::FindForward(fa, absent, 0), -1);
    EXPECT_LE(io.reads - readsBefore, Size / Step + 2) << "two short steps first";
    EXPECT_EQ(fa.window().start, 5 * Window + 3);

    FileComparison comparison(fa, fb);
    int64_t found = comparison.next(0);
    int differences = 0;
    while (found >= 0) {
        ++differences;
        found = comparison.next(found + 1);
    }
    EXPECT_EQ(differences, Size / (64 * 1024));
    EXPECT_EQ(comparison.bytesRead(), static_cast<uint64_t>(Size));
    EXPECT_EQ(fa.window().start, 5 * Window + 3);
}

// The address list of an every-occurrence scan gets its room once, before the
// matches come: as many as asked for or as there are positions, the fewer, and at
// most 2^24; it never grows on the way, and a huge keep takes no more than that.
TEST(ScanSteps, KeepAddressesInRoomTakenOnce)
{
    TempDir dir;
    constexpr int64_t Size = 3 * Step + 5;
    const util::File64 zeros(dir.write("zeros", Bytes(Size, 0)));
    const BytePattern pair(Bytes{0, 0});
    struct Case {
        size_t keep;
        size_t room;
    };
    constexpr auto Positions = static_cast<size_t>(Size - 1);
    for (const Case c : {Case{1000, 1000}, Case{10 * ScanStep, Positions}, Case{SIZE_MAX, Positions}}) {
        FindAllResult result;
        ASSERT_TRUE(search::FindAll(zeros, pair, 0, c.keep, result));
        EXPECT_EQ(result.count, Size - 1);
        EXPECT_EQ(result.addresses.size(), std::min(c.keep, Positions)) << c.keep;
        EXPECT_EQ(result.addresses.capacity(), c.room) << c.keep;
    }
    const util::File64 large(dir.sparse("large", int64_t{1} << 26));
    FindAllResult result;
    EXPECT_FALSE(search::FindAll(large, pair, 0, SIZE_MAX, result, [](int64_t) { return false; }));
    EXPECT_EQ(result.addresses.capacity(), size_t{1} << 24);
}

} // namespace
