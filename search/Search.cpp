#include "search/Search.h"

#include "search/ByteScan.h"
#include "util/TextRules.h"

#include <algorithm>
#include <exception>
#include <span>
#include <vector>

namespace search {

namespace {

constexpr int64_t Window = util::File64::File64Imp::WindowSize;

// The search reads whole windows into a block of its own; with the carry in front
// of it the buffer stays under 1 MiB for any pattern up to a window long.
constexpr int64_t SearchBlock = 14 * Window;

// Lets the pacer run each time the search has examined another PacingStep positions.
// Offsets may reach 2^63-1, so the distance to the next pacing point is a count of
// positions, never an offset ahead of the search.
class Pacing {
public:
    explicit Pacing(const SearchPacer& pace_) : pace(pace_) {}

    // False when the pacer stopped the search; j is where the search stands after
    // examining another `examined` positions.
    bool operator()(int64_t examined, int64_t j)
    {
        left -= examined;
        if (left > 0)
            return true;
        left = PacingStep;
        return !pace || pace(j);
    }

    int64_t left = PacingStep; // positions to examine before the pacer runs next

private:
    const SearchPacer& pace;
};

// Fills the stream's block with reads through the paged file from `next` on, up to
// the size it knows. A failed read ends the filling; its error waits in `failure`
// until the positions before it have been examined, so a match there is still found
// and the error rises where reading window by window would have raised it.
class BlockFeed {
public:
    BlockFeed(const util::File64& file_, int64_t from) : file(file_), next(from) {}

    // False when nothing is left to read.
    bool fill(StreamScan& stream)
    {
        if (failure)
            std::rethrow_exception(failure);
        if (next >= file.size())
            return false;
        // The first reads are short, so that a Next among dense matches reads little.
        const size_t room = std::min(stream.spaceSize(), windows * static_cast<size_t>(Window));
        windows = std::min<size_t>(2 * windows, stream.spaceSize() / Window);
        size_t n = 0;
        try {
            while (n + Window <= room && next < file.size()) {
                const int32_t count = file.readAt(next, stream.space() + n);
                n += static_cast<size_t>(count);
                next += count;
            }
        } catch (...) {
            failure = std::current_exception();
        }
        stream.add(n);
        return true;
    }

private:
    const util::File64& file;
    int64_t next; // the offset of the next byte to read
    size_t windows = 1; // windows the next fill reads at most
    std::exception_ptr failure;
};

thread_local uint64_t lastWork = 0;

// Keeps the scan's work for LastSearchWork however the search ends.
struct WorkRecord {
    const BytePattern& scan;
    ~WorkRecord() { lastWork = scan.work(); }
};

int64_t BlockFor(int64_t length) { return std::max(SearchBlock, (length + Window - 1) / Window * Window); }

} // namespace

uint64_t LastSearchWork() { return lastWork; }

int64_t SearchBytes(const util::File64& file, const uint8_t* pattern, int64_t length, int64_t start,
                    const SearchPacer& pace)
{
    if (length <= 0)
        return start;
    // The size was taken at open: bytes the file gained later are not searched.
    const int64_t last = file.size() - length; // the last position where the whole pattern fits
    const int64_t from = std::max<int64_t>(start, 0);
    if (from > last)
        return -1;
    const BytePattern scan(std::span(pattern, static_cast<size_t>(length)));
    const WorkRecord record{scan};
    StreamScan stream(scan, static_cast<size_t>(BlockFor(length)));
    BlockFeed feed(file, from);
    Pacing paced(pace);
    for (;;) {
        if (stream.exhausted()) {
            if (!feed.fill(stream))
                return -1;
            continue;
        }
        const int64_t before = stream.examined();
        const int64_t hit = stream.examine(paced.left);
        if (hit >= 0)
            return from + hit;
        // Stream offsets count from `from`, which is at most 2^63-1 minus what follows.
        if (!paced(stream.examined() - before, from + stream.examined()))
            return SearchCancelled;
    }
}

int64_t SearchFile(const util::File64& file, std::string_view patternText, int64_t start, const SearchPacer& pace)
{
    const std::vector<uint8_t> pattern = HexTextToBytes(patternText);
    return SearchBytes(file, pattern.data(), static_cast<int64_t>(pattern.size()), start, pace);
}

} // namespace search
