#include "search/Search.h"

#include "search/ByteScan.h"
#include "search/Scan.h"
#include "util/TextRules.h"

#include <algorithm>
#include <span>
#include <vector>

namespace search {

int64_t SearchBytes(const util::File64& file, const uint8_t* pattern, int64_t length, int64_t start,
                    const SearchPacer& pace)
{
    if (length <= 0)
        return start;
    // The size was taken at open: bytes the file gained later are not searched.
    if (std::max<int64_t>(start, 0) > file.size() - length)
        return -1;
    const BytePattern scan(std::span(pattern, static_cast<size_t>(length)));
    return FindForward(file, scan, start, pace);
}

int64_t SearchFile(const util::File64& file, std::string_view patternText, int64_t start, const SearchPacer& pace)
{
    const std::vector<uint8_t> pattern = HexTextToBytes(patternText);
    return SearchBytes(file, pattern.data(), static_cast<int64_t>(pattern.size()), start, pace);
}

int64_t SearchFileBackward(const util::File64& file, std::string_view patternText, int64_t before,
                           const SearchPacer& pace)
{
    const std::vector<uint8_t> pattern = HexTextToBytes(patternText);
    if (pattern.empty())
        return -1;
    const BytePattern scan(pattern);
    return FindBackward(file, scan, before, pace);
}

} // namespace search
