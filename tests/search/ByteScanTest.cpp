// The byte scan against a plain search of the same bytes, on every filter path,
// and its work on inputs that would make a naive verify quadratic.

#include "search/ByteScan.h"

#include "search/ByteRarity.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

using search::BytePattern;
using search::ScanPath;
using search::StreamScan;
using testing_support::RandomBytes;
using Bytes = std::vector<uint8_t>;

namespace {

// The first position where the whole pattern lies in the bytes, or npos.
size_t Reference(const Bytes& data, const Bytes& pattern)
{
    const auto hit = std::search(data.begin(), data.end(), pattern.begin(), pattern.end());
    return hit == data.end() && !pattern.empty() ? BytePattern::npos : static_cast<size_t>(hit - data.begin());
}

// The rarest and the most common byte values by the table.
uint8_t ByRank(int rank)
{
    return static_cast<uint8_t>(std::find(search::ByteCommonness.begin(), search::ByteCommonness.end(), rank) -
                                search::ByteCommonness.begin());
}
const uint8_t Rarest = ByRank(0);
const uint8_t Rare = ByRank(1);

// Zeros with a sparse few bytes of any value.
Bytes MostlyZero(size_t size, uint32_t seed, int everyNth = 97)
{
    std::mt19937 gen(seed);
    Bytes bytes(size, 0);
    for (auto& b : bytes)
        if (gen() % everyNth == 0)
            b = static_cast<uint8_t>(gen());
    return bytes;
}

// Bytes drawn from the four most common values only.
Bytes CommonBytes(size_t size, uint32_t seed)
{
    Bytes bytes = RandomBytes(size, seed);
    for (auto& b : bytes)
        b = ByRank(255 - b % 4);
    return bytes;
}

// A copy in a heap block of exactly its size, so that AddressSanitizer sees any
// read past the end.
size_t FindExact(const BytePattern& pattern, const Bytes& data)
{
    const std::unique_ptr<uint8_t[]> exact(new uint8_t[std::max<size_t>(data.size(), 1)]);
    std::copy(data.begin(), data.end(), exact.get());
    return pattern.find(exact.get(), data.size());
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

} // namespace

namespace search {
void PrintTo(ScanPath path, std::ostream* os) { *os << PathName(path); }
} // namespace search

namespace {

// Every case runs on each path; one the processor lacks is skipped, saying so.
class ByteScanOnPath : public ::testing::TestWithParam<ScanPath> {
protected:
    void SetUp() override
    {
        if (!search::ScanPathAvailable(GetParam()))
            GTEST_SKIP() << "this processor has no " << PathName(GetParam()) << "; that path is not tested here";
    }

    BytePattern Prepared(const Bytes& pattern) const
    {
        BytePattern prepared(pattern, GetParam());
        if (GetParam() != ScanPath::Auto) {
            EXPECT_EQ(prepared.path(), GetParam());
        }
        return prepared;
    }

    // Scans the data for the pattern and compares with the reference.
    void Expect(const Bytes& data, const Bytes& pattern, const std::string& what) const
    {
        EXPECT_EQ(FindExact(Prepared(pattern), data), Reference(data, pattern))
            << what << ", buffer " << data.size() << ", pattern " << pattern.size();
    }
};

std::string Name(const ::testing::TestParamInfo<ScanPath>& info) { return PathName(info.param); }

INSTANTIATE_TEST_SUITE_P(Paths, ByteScanOnPath,
                         ::testing::Values(ScanPath::Scalar, ScanPath::Sse2, ScanPath::Avx2, ScanPath::Auto), Name);

// Random, mostly-zero and common-byte buffers of many sizes, searched for slices
// of themselves (found, often earlier than the slice), for slices with one byte
// changed (near misses) and for patterns of common bytes.
TEST_P(ByteScanOnPath, MatchesReferenceOnGeneratedBuffers)
{
    std::mt19937 gen(5);
    const auto below = [&](size_t n) { return static_cast<size_t>(gen() % n); };
    for (int round = 0; round < 1500; ++round) {
        const size_t size = below(round % 10 == 0 ? 5000 : 300);
        const auto seed = static_cast<uint32_t>(round);
        const Bytes data = round % 3 == 0 ? RandomBytes(size, seed)
                           : round % 3 == 1 ? MostlyZero(size, seed, 1 + round % 50)
                                            : CommonBytes(size, seed);
        const size_t length = 1 + below(round % 7 == 0 ? 300 : 70);
        if (length <= size) {
            const size_t at = below(size - length + 1);
            Bytes slice(data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + length));
            Expect(data, slice, "slice");
            slice[below(length)] ^= static_cast<uint8_t>(1 + below(255));
            Expect(data, slice, "near miss");
        }
        Expect(data, CommonBytes(length, seed + 1), "common bytes");
        Expect(data, MostlyZero(length, seed + 2, 4), "mostly zero");
    }
}

// Matches that start the buffer, end it, or fill it exactly; and one byte short.
TEST_P(ByteScanOnPath, FindsMatchesAtTheBufferEdges)
{
    for (size_t length = 1; length <= 80; ++length) {
        const Bytes pattern = RandomBytes(length, static_cast<uint32_t>(length));
        for (const size_t size : {length, length + 1, length + 15, length + 63, length + 64, length + 200}) {
            Bytes data = MostlyZero(size, static_cast<uint32_t>(size));
            std::copy(pattern.begin(), pattern.end(), data.end() - static_cast<long>(length));
            Expect(data, pattern, "at the end");
            std::copy(pattern.begin(), pattern.end(), data.begin());
            Expect(data, pattern, "at the start");
            data.pop_back();
            Expect(data, pattern, "at the start, one byte short at the end");
        }
        EXPECT_EQ(FindExact(Prepared(pattern), Bytes(pattern.begin(), pattern.end() - 1)), BytePattern::npos);
    }
    EXPECT_EQ(FindExact(Prepared({}), RandomBytes(10, 1)), 0u) << "an empty pattern matches at once";
}

// Zero patterns with the rarest byte at each position in turn, in zeros where that
// byte also stands alone (filter passes that fail) and once in the real match.
TEST_P(ByteScanOnPath, FiltersOnTheRarestBytesAtAnyPosition)
{
    for (size_t length = 2; length <= 70; length += 17) {
        for (size_t rare = 0; rare < length; ++rare) {
            Bytes pattern(length, 0);
            pattern[rare] = Rarest;
            pattern[(rare + length / 2) % length] = Rare;
            const Bytes p = pattern;
            EXPECT_EQ(Prepared(p).keys().first, rare);
            Bytes data(3000, 0);
            for (size_t i = 50; i < data.size(); i += 37)
                data[i] = Rarest;
            Expect(data, pattern, "absent");
            std::copy(pattern.begin(), pattern.end(), data.begin() + 2000 + static_cast<long>(rare));
            Expect(data, pattern, "present");
        }
        // Only the last byte is not zero.
        Bytes last(length, 0);
        last.back() = Rarest;
        Bytes data(4000, 0);
        data[1234] = Rarest;
        Expect(data, last, "last byte rare");
    }
}

// Inputs where a filter on any two bytes keeps passing and the verify keeps
// failing late; the result must stay right and the work within a few passes.
struct Adversary {
    const char* name;
    uint8_t fill;     // the data is this byte throughout ...
    Bytes tail;       // ... ending with these bytes
    Bytes pattern;
    size_t expected;  // from the end of the data, npos when absent
};

void PrintTo(const Adversary& a, std::ostream* os) { *os << a.name; }

Bytes Repeat(uint8_t b, size_t n) { return Bytes(n, b); }
Bytes Then(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ByteScanWork : public ::testing::TestWithParam<std::tuple<ScanPath, Adversary>> {};

constexpr size_t AdversaryData = 1 << 20;

TEST_P(ByteScanWork, StaysLinear)
{
    const auto& [path, a] = GetParam();
    if (!search::ScanPathAvailable(path))
        GTEST_SKIP() << "this processor has no " << PathName(path) << "; that path is not tested here";
    const Bytes data = Then(Repeat(a.fill, AdversaryData - a.tail.size()), a.tail);
    const BytePattern pattern(a.pattern, path);
    const size_t expected = a.expected == BytePattern::npos ? a.expected : data.size() - a.expected;
    EXPECT_EQ(FindExact(pattern, data), expected);
    const uint64_t n = data.size(), l = a.pattern.size();
    EXPECT_LE(pattern.work(), 4 * (n + l)) << "work for " << n << " bytes and a pattern of " << l;

    // The same through a stream of blocks, a few times the pattern's length each.
    const BytePattern streamed(a.pattern, path);
    StreamScan stream(streamed, 3 * a.pattern.size() + 1000);
    int64_t found = -1;
    for (size_t at = 0; at < data.size() && found < 0;) {
        const size_t count = std::min(stream.spaceSize(), data.size() - at);
        std::copy_n(data.begin() + static_cast<long>(at), count, stream.space());
        found = stream.scan(count);
        at += count;
    }
    EXPECT_EQ(found, expected == BytePattern::npos ? -1 : static_cast<int64_t>(expected));
    EXPECT_LE(streamed.work(), 12 * (n + l)) << "work through the stream";
}

std::vector<Adversary> Adversaries()
{
    const uint8_t A = 'A', B = 'B';
    std::vector<Adversary> cases;
    for (const size_t l : {size_t(2), size_t(17), size_t(64), size_t(1000), size_t(70000)}) {
        const std::string n = std::to_string(l);
        cases.push_back({"AAAA_for_AAAB_" , A, {B}, Then(Repeat(A, l - 1), {B}), l});
        cases.push_back({"AAAA_for_AAAB_absent_", A, {}, Then(Repeat(A, l - 1), {B}), BytePattern::npos});
        // Both filter bytes are the rarest value, which fills the data.
        cases.push_back({"rare_run_for_rare_then_zero_", Rarest, {0}, Then(Repeat(Rarest, l - 1), {0}), l});
        cases.push_back({"zeros_for_zeros_then_rare_", 0, {}, Then(Repeat(0, l - 1), {Rarest}), BytePattern::npos});
        cases.push_back({"rare_run_for_zero_then_rare_", Rarest, {}, Then({0}, Repeat(Rarest, l - 1)), BytePattern::npos});
    }
    return cases;
}

std::string WorkName(const ::testing::TestParamInfo<std::tuple<ScanPath, Adversary>>& info)
{
    const auto& [path, a] = info.param;
    return std::string(a.name) + std::to_string(a.pattern.size()) + "_" + PathName(path);
}

INSTANTIATE_TEST_SUITE_P(Adversaries, ByteScanWork,
                         ::testing::Combine(::testing::Values(ScanPath::Scalar, ScanPath::Sse2, ScanPath::Avx2),
                                            ::testing::ValuesIn(Adversaries())),
                         WorkName);

// The fallback on its own: two-letter data, where every kind of period occurs.
TEST(TwoWay, MatchesReferenceOnTwoLetterData)
{
    std::mt19937 gen(3);
    for (int round = 0; round < 4000; ++round) {
        const auto letters = [&](size_t n) {
            Bytes b(n);
            for (auto& x : b)
                x = static_cast<uint8_t>('a' + gen() % 2);
            return b;
        };
        const Bytes data = letters(gen() % 200);
        const Bytes pattern = letters(1 + gen() % 12);
        const size_t hit = search::TwoWayFind(pattern, search::PlanTwoWay(pattern), data.data(), data.size());
        const size_t want = Reference(data, pattern);
        EXPECT_EQ(hit, want == BytePattern::npos ? data.size() : want)
            << std::string(pattern.begin(), pattern.end()) << " in " << std::string(data.begin(), data.end());
    }
}

// A stream cut into blocks of random sizes finds what the whole buffer holds,
// also matches that straddle two blocks, at their offset in the stream.
TEST(StreamScan, FindsMatchesAcrossBlocks)
{
    std::mt19937 gen(9);
    for (int round = 0; round < 300; ++round) {
        const Bytes data = round % 2 ? CommonBytes(20000, static_cast<uint32_t>(round))
                                     : MostlyZero(20000, static_cast<uint32_t>(round), 5);
        const size_t length = 1 + gen() % 100;
        const size_t at = gen() % (data.size() - length);
        const Bytes pattern(data.begin() + static_cast<long>(at), data.begin() + static_cast<long>(at + length));
        const BytePattern prepared(pattern);
        StreamScan stream(prepared, 1 + gen() % 300);
        int64_t found = -1;
        for (size_t done = 0; done < data.size() && found < 0;) {
            const size_t count = std::min<size_t>(1 + gen() % stream.spaceSize(), data.size() - done);
            std::copy_n(data.begin() + static_cast<long>(done), count, stream.space());
            found = stream.scan(count);
            done += count;
            if (found < 0) {
                EXPECT_EQ(stream.examined(), static_cast<int64_t>(done - std::min(done, length - 1)));
            }
        }
        EXPECT_EQ(found, static_cast<int64_t>(Reference(data, pattern))) << "round " << round;
    }
}

} // namespace
