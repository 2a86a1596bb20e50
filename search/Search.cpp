#include "search/Search.h"

#include "util/TextRules.h"

#include <algorithm>
#include <cstring>
#include <string.h>
#include <vector>

namespace search {

namespace {

// The plain comparison at one position, byte by byte through the paged file.
bool MatchesAt(const util::File64& file, const uint8_t* pattern, int64_t length, int64_t position)
{
    for (int64_t i = 0; i < length; ++i)
        if (file.getByte(position + i) != pattern[i])
            return false;
    return true;
}

int64_t Found(const uint8_t* hit, const uint8_t* haystack, int64_t first)
{
    return first + (hit - haystack);
}

const uint8_t* Find(const uint8_t* haystack, int64_t haystackLength, const uint8_t* pattern, int64_t length)
{
    return static_cast<const uint8_t*>(
        memmem(haystack, static_cast<size_t>(haystackLength), pattern, static_cast<size_t>(length)));
}

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

// Patterns longer than a window never fit in one: compare position by position.
int64_t SearchInPlace(const util::File64& file, const uint8_t* pattern, int64_t length, int64_t j, int64_t last,
                      Pacing& paced)
{
    while (j <= last) {
        if (MatchesAt(file, pattern, length, j))
            return j;
        ++j;
        if (!paced(1, j))
            return SearchCancelled;
    }
    return -1;
}

struct SeamStep {
    int64_t match = -1;   // the match found, or -1
    int64_t examined = 1; // positions examined
};

// Positions from j, whose match would straddle the window's end at end (end < size):
// the window's last bytes and the next window's first ones, searched together.
SeamStep SearchSeam(const util::File64& file, std::vector<uint8_t>& seam, const util::File64::WindowBytes& window,
                    const uint8_t* pattern, int64_t length, int64_t j)
{
    const int64_t end = window.end();
    const int64_t tail = end - j;
    std::memcpy(seam.data(), window.at(j), static_cast<size_t>(tail));
    const util::File64::WindowBytes next = file.cover(end);
    const int64_t head = std::min<int64_t>(length - 1, next.end() - end);
    std::memcpy(seam.data() + tail, next.at(end), static_cast<size_t>(head));
    const int64_t seamLength = tail + head;
    if (seamLength >= length) {
        const uint8_t* hit = Find(seam.data(), seamLength, pattern, length);
        return {hit ? Found(hit, seam.data(), j) : -1, seamLength - length + 1};
    }
    // A window shorter than the pattern (a short read): compare in place.
    return {MatchesAt(file, pattern, length, j) ? j : -1, 1};
}

} // namespace

int64_t SearchBytes(const util::File64& file, const uint8_t* pattern, int64_t length, int64_t start,
                    const SearchPacer& pace)
{
    if (length <= 0)
        return start;
    // The size was taken at open: bytes the file gained later are not searched, and
    // the window shows none of them.
    const int64_t last = file.size() - length; // the last position where the whole pattern fits
    int64_t j = std::max<int64_t>(start, 0);   // every position before j has been examined
    Pacing paced(pace);
    if (length > util::File64::File64Imp::WindowSize)
        return SearchInPlace(file, pattern, length, j, last, paced);

    // The last length-1 bytes of one window followed by the first length-1 bytes of
    // the next hold every position whose match would straddle the two.
    std::vector<uint8_t> seam(static_cast<size_t>(2 * (length - 1)));

    while (j <= last) {
        const util::File64::WindowBytes window = file.cover(j);
        int64_t examined;
        if (window.end() - j >= length) {
            // Positions whose whole pattern lies in the window, up to the next pacing point.
            examined = std::min(window.end() - length - j + 1, paced.left);
            const uint8_t* haystack = window.at(j);
            if (const uint8_t* hit = Find(haystack, examined - 1 + length, pattern, length))
                return Found(hit, haystack, j);
        } else {
            // window.end() < size here, as j <= last.
            const SeamStep step = SearchSeam(file, seam, window, pattern, length, j);
            if (step.match >= 0)
                return step.match;
            examined = step.examined;
        }
        j += examined;
        if (!paced(examined, j))
            return SearchCancelled;
    }
    return -1;
}

int64_t SearchFile(const util::File64& file, std::string_view patternText, int64_t start, const SearchPacer& pace)
{
    const std::vector<uint8_t> pattern = HexTextToBytes(patternText);
    return SearchBytes(file, pattern.data(), static_cast<int64_t>(pattern.size()), start, pace);
}

} // namespace search
