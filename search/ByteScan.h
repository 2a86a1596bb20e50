#pragma once

// The fast inner scan of the searches: the first, the last or every occurrence of a
// byte pattern in a buffer. A candidate filter tests the pattern's two rarest bytes
// (ByteRarity.h) at every position, vectorised where the processor allows; each
// candidate is verified by a plain comparison, and when candidates keep failing the
// rest of the buffer goes to a Two-Way search, so no input costs more than a few
// passes.

#include "search/ScanFilter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace search {

// Which candidate filter a pattern scans with. Auto takes the best the processor has.
enum class ScanPath { Auto, Scalar, Sse2, Avx2 };

// Whether this build and this processor can run the path.
bool ScanPathAvailable(ScanPath path);

// The path itself when available, else the best available one.
ScanPath ResolvedPath(ScanPath path);

// The kernels of an available path (ResolvedPath).
const ScanKernels& KernelsOf(ScanPath path);

// Picks the two rarest positions of the pattern (not empty) by ByteCommonness.
FilterKeys PickFilterKeys(std::span<const uint8_t> pattern);

// The shifts of a Two-Way search, computed once per pattern.
struct TwoWayPlan {
    ptrdiff_t critical; // last index of the left half, -1 when it is empty
    size_t period;
    bool periodic;      // the left half repeats at the period: shifts may keep a memory
};

TwoWayPlan PlanTwoWay(std::span<const uint8_t> pattern);

// First match of the pattern in haystack, haystackLength when none; linear time.
size_t TwoWayFind(std::span<const uint8_t> pattern, const TwoWayPlan& plan, const uint8_t* haystack,
                  size_t haystackLength);

// The same over the haystack read from its end: with the reversed pattern and its
// plan, the first match in the reversed haystack, haystackLength when none.
size_t TwoWayFindReversed(std::span<const uint8_t> reversedPattern, const TwoWayPlan& plan, const uint8_t* haystack,
                          size_t haystackLength);

// A pattern made ready for scanning: everything that needs memory is made here,
// once per search; find allocates nothing.
class BytePattern {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // An unavailable path falls back to the best available one (see path()).
    explicit BytePattern(std::span<const uint8_t> pattern, ScanPath path = ScanPath::Auto);

    // Offset of the first match lying wholly in [data, data + length), npos when
    // there is none; 0 for an empty pattern. Never reads outside the buffer.
    size_t find(const uint8_t* data, size_t length) const;

    // Offset of the last match lying wholly in [data, data + length), npos when
    // there is none; length for an empty pattern. Never reads outside the buffer.
    size_t findLast(const uint8_t* data, size_t length) const;

    // How many matches lie wholly in [data, data + length); offset + p of the first
    // of them go to kept while it holds fewer than keep. A periodic pattern (period
    // at most about half its length, such as 00 00) costs one comparison pass per
    // run of matches, not a call per match.
    uint64_t countAll(const uint8_t* data, size_t length, int64_t offset, std::vector<int64_t>& kept,
                      size_t keep) const;

    size_t size() const { return bytes.size(); }
    std::span<const uint8_t> pattern() const { return bytes; }
    ScanPath path() const { return scanPath; }
    const FilterKeys& keys() const { return filterKeys; }

    // The smallest period of the pattern (its length when it has none shorter).
    size_t period() const { return smallestPeriod; }

    // Work done by the scans so far: bytes verified at candidates, bytes handed to
    // the Two-Way fallback up to where it stopped, and bytes compared to extend runs
    // of matches. For tests, which bound it by the input.
    uint64_t work() const { return workDone; }

private:
    size_t fallback(const uint8_t* data, size_t length, size_t from) const;
    size_t fallbackLast(const uint8_t* data, size_t end) const;
    // The end of the run of matches of period `period()` that starts at hit.
    size_t runEnd(const uint8_t* data, size_t length, size_t hit) const;

    std::vector<uint8_t> bytes;
    std::vector<uint8_t> reversed;
    FilterKeys filterKeys{};
    TwoWayPlan twoWay{};
    TwoWayPlan twoWayReversed{};
    size_t smallestPeriod = 1;
    bool runs = false; // matches come in runs a period apart, and only there
    ScanPath scanPath;
    const ScanKernels* kernels = nullptr;
    mutable uint64_t workDone = 0;
};

// Scans a stream of consecutive blocks: the caller reads each block into space()
// and hands its length to add() (or scan()). The last L-1 bytes are carried to just
// before space(), so a match that straddles two blocks is found, and found once;
// space() stays where it is and is aligned for the reads. The block is at least the
// pattern's length, which keeps the carry's cost linear.
class StreamScan {
public:
    static constexpr size_t Alignment = 64;

    // Makes the one buffer: L - 1 rounded up to Alignment, plus max(blockSize, L).
    // The pattern must outlive the stream. Stream offsets count from origin.
    StreamScan(const BytePattern& pattern, size_t blockSize, int64_t origin = 0);

    // Where the next block goes; only while exhausted().
    uint8_t* space() { return aligned + reserve; }
    size_t spaceSize() const { return block; }

    // Takes the count bytes just placed at space() (at most spaceSize()).
    void add(size_t count);

    // Examines at most `positions` of the positions whose whole pattern lies in the
    // bytes given: the stream offset of the first match there, or -1 (and then
    // examined() has moved on by what was examined).
    int64_t examine(int64_t positions);

    // True when no position is left to examine before more bytes are added.
    bool exhausted() const { return done >= positionsHeld(); }

    // Counts the matches at the next `positions` positions (at most what is held),
    // keeping the stream offsets of the first ones in kept up to keep of them.
    uint64_t countAll(int64_t positions, std::vector<int64_t>& kept, size_t keep);

    // add() then examine() of everything: the first match that ends in the bytes
    // given so far, or -1.
    int64_t scan(size_t count);

    // Bytes given so far.
    int64_t streamed() const { return base + static_cast<int64_t>(held); }

    // Every position before this stream offset was examined and it is the next one
    // to be (for progress and the pacer).
    int64_t examined() const { return base + static_cast<int64_t>(done); }

private:
    size_t positionsHeld() const { return held >= pattern.size() ? held - pattern.size() + 1 : 0; }
    void carry();

    const BytePattern& pattern;
    size_t block;
    size_t reserve; // room for the carry in front of space()
    std::unique_ptr<uint8_t[]> buffer; // not cleared: only what the reads fill is touched
    uint8_t* aligned;
    uint8_t* first;   // the first byte held
    size_t held = 0;  // bytes held from first
    size_t done = 0;  // positions examined from first
    int64_t base = 0; // stream offset of *first
};

} // namespace search
