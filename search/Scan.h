#pragma once

// The scan engine: whole-file scans of one paged file for a byte pattern (forward,
// backward, every occurrence) and of two paged files side by side (differences).
//
// Rules every operation keeps:
// - Steps: the files are read in steps of ScanStep bytes through the paged file's
//   block reads, and each step is scanned right after its read, while it is still
//   in the processor's cache. The files' windows stay where they were.
// - Sizes and offsets: a file's size is the one its paged file took at open; offsets
//   reach 2^63-1.
// - Pacing: after every PacingStep positions examined the pacer is called with the
//   position reached (each operation says which); when it returns false the scan
//   stops at once and says so (SearchCancelled, or false with partial results).
// - Errors: an error of a paged file (util::Error, its text for the user) rises from
//   the scan only once every position before it in the scan's direction was
//   examined, so a match or a difference found there is returned instead.
// - Work: linear in the bytes scanned plus the pattern's length, on any input.
// - Memory: one or two step buffers, allocated when the operation starts.

#include "file/File64.h"
#include "search/ByteScan.h"
#include "search/Search.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace search {

// The bytes read and scanned at a time: well within the level-2 cache, with room
// for the carried bytes, the kernels' working set and the library's copy.
inline constexpr size_t ScanStep = size_t{256} << 10;

// The first match at or after start (a negative start counts as 0): its offset, -1
// when there is none, SearchCancelled when the pacer stopped the scan. An empty
// pattern gives start and reads nothing. The pacer gets the next position to
// examine: every position from start up to it was examined.
int64_t FindForward(const util::File64& file, const BytePattern& pattern, int64_t start, const SearchPacer& pace = {});

// The last match that starts before `before`: its offset, -1 when there is none,
// SearchCancelled when stopped. Steps are read from the end down. The pacer gets the
// lowest position examined: every position from it up to `before` was examined. An
// error rises once every position above the failing bytes was examined. An empty
// pattern gives the last position before `before` (at most the file's size), -1
// when there is none, and reads nothing.
int64_t FindBackward(const util::File64& file, const BytePattern& pattern, int64_t before,
                     const SearchPacer& pace = {});

// What an every-occurrence scan found, also when it stopped early.
struct FindAllResult {
    int64_t count = 0;              // matches at the positions from start up to reached
    std::vector<int64_t> addresses; // the first of them, at most the number asked for, in order
    int64_t reached = 0;            // every position from start up to here was examined
    bool complete = false;          // the scan examined every position to the file's end
};

// Every match at or after start (a negative start counts as 0): result gets the
// exact count and the offsets of the first `keep` matches. Returns true when the
// scan reached the end, false when the pacer stopped it (result then holds what was
// found up to result.reached). The pacer gets result.reached. On an error result
// likewise holds the matches found before the failing bytes. Dense matches (00 00
// over zeros) cost no call each. An empty pattern has no matches. The address list
// is given its room once, at the start (keep or the positions there are, the fewer;
// at most 2^24), and only the addresses written take memory.
bool FindAll(const util::File64& file, const BytePattern& pattern, int64_t start, size_t keep,
             FindAllResult& result, const SearchPacer& pace = {});

// A count of differing bytes, also when it stopped early.
struct DifferenceTally {
    int64_t count = 0;     // differing bytes from the span's start up to reached
    int64_t reached = 0;   // every byte from the span's start up to here was compared
    bool complete = false; // the whole span was compared
};

// Two paged files compared byte by byte. Where one file has ended, every byte of the
// other counts as a difference. Keeps the last step it read from each file, so that
// walking from one difference to the next reads each byte once; the files must
// outlive it.
class FileComparison {
public:
    FileComparison(const util::File64& a, const util::File64& b, ScanPath path = ScanPath::Auto);
    ~FileComparison();

    // The first offset at or after start (negative: 0) where the files differ, -1
    // when there is none, SearchCancelled when stopped. The pacer gets the next
    // offset to compare.
    int64_t next(int64_t start, const SearchPacer& pace = {});

    // The last offset before `before` where the files differ, -1 when there is none,
    // SearchCancelled when stopped. The pacer gets the lowest offset compared. An
    // error rises once every offset above the failing bytes was compared.
    int64_t previous(int64_t before, const SearchPacer& pace = {});

    // The number of differing bytes in [from, to) (clamped to the larger file):
    // true when the span was compared to its end, false when the pacer stopped it.
    // The pacer gets tally.reached; on an error the tally holds the count up to it.
    bool count(int64_t from, int64_t to, DifferenceTally& tally, const SearchPacer& pace = {});

    // Bytes compared so far, for tests of the reuse of a step.
    uint64_t bytesRead() const { return readBytes; }

private:
    struct Step;
    // Makes the held step cover offset (forward: from offset on; backward: ending
    // just after offset) and returns how many bytes of it lie at or after offset (at
    // least 1), or rethrows a read error once no byte there can be read.
    int64_t cover(int64_t offset, bool backward);

    const util::File64& fileA;
    const util::File64& fileB;
    const ScanKernels& kernels;
    std::unique_ptr<Step> step;
    uint64_t readBytes = 0;
};

} // namespace search
