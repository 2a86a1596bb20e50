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

// Lets the pacer run each time the search has passed another PacingStep positions.
class Pacing {
public:
    Pacing(const SearchPacer& pace_, int64_t from) : next(from + PacingStep), pace(pace_) {}

    // False when the pacer stopped the search; j is where the search stands.
    bool operator()(int64_t j)
    {
        if (j < next)
            return true;
        next = j + PacingStep;
        return !pace || pace(j);
    }

    int64_t next; // the position at which the pacer runs next

private:
    const SearchPacer& pace;
};

// Patterns longer than a window never fit in one: compare position by position.
int64_t SearchInPlace(const util::File64& file, const uint8_t* pattern, int64_t length, int64_t j, int64_t last,
                      Pacing& paced)
{
    for (; j <= last; ++j) {
        if (MatchesAt(file, pattern, length, j))
            return j;
        if (!paced(j))
            return SearchCancelled;
    }
    return -1;
}

} // namespace

int64_t SearchBytes(const util::File64& file, const uint8_t* pattern, int64_t length, int64_t start,
                    const SearchPacer& pace)
{
    if (length <= 0)
        return start;
    const int64_t last = file.size() - length; // the last position where the whole pattern fits
    int64_t j = std::max<int64_t>(start, 0);   // every position before j has been examined
    Pacing paced(pace, j);
    if (length > util::File64::File64Imp::WindowSize)
        return SearchInPlace(file, pattern, length, j, last, paced);

    // The last length-1 bytes of one window followed by the first length-1 bytes of
    // the next hold every position whose match would straddle the two.
    std::vector<uint8_t> seam(static_cast<size_t>(2 * (length - 1)));

    while (j <= last) {
        const util::File64::WindowBytes window = file.cover(j);
        const int64_t windowEnd = window.end();
        if (j <= windowEnd - length) {
            // Positions whose whole pattern lies in the window, up to the next pacing point.
            const int64_t stop = std::min(windowEnd - length, paced.next - 1);
            const uint8_t* haystack = window.at(j);
            if (const uint8_t* hit = Find(haystack, stop - j + length, pattern, length))
                return Found(hit, haystack, j);
            j = stop + 1;
        } else {
            // Positions j .. windowEnd-1 straddle the window's end (windowEnd < size here).
            const int64_t tail = windowEnd - j;
            std::memcpy(seam.data(), window.at(j), static_cast<size_t>(tail));
            const util::File64::WindowBytes next = file.cover(windowEnd);
            const int64_t head = std::min<int64_t>(length - 1, next.end() - windowEnd);
            std::memcpy(seam.data() + tail, next.at(windowEnd), static_cast<size_t>(head));
            const int64_t seamLength = tail + head;
            if (seamLength >= length) {
                if (const uint8_t* hit = Find(seam.data(), seamLength, pattern, length))
                    return Found(hit, seam.data(), j);
                j += seamLength - length + 1;
            } else {
                // A window shorter than the pattern (a short read): compare in place.
                if (MatchesAt(file, pattern, length, j))
                    return j;
                ++j;
            }
        }
        if (!paced(j))
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
