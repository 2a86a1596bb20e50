// The banner list parse over any downloaded text: the items follow each other from
// the first delimiter on, each starting where the delimiter stands, and the item
// pages build from them.

#include "Check.h"
#include "banner/BannerList.h"
#include "banner/Cryptapi.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void CheckItems(std::string_view text, std::string_view delimiter, std::string_view endMarker)
{
    size_t at = text.find(delimiter);
    for (const std::string& item : banner::ParseBannerList(text, delimiter, endMarker)) {
        FUZZ_CHECK(at != std::string_view::npos);
        FUZZ_CHECK(text.substr(at, delimiter.size()) == delimiter);
        FUZZ_CHECK(text.substr(at, item.size()) == item);
        FUZZ_CHECK(!item.empty());
        at += item.size();
        const std::string page = banner::BuildItemPage(item, "<head>", "</tail>");
        FUZZ_CHECK(page.size() >= item.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string delimiter = banner::StartDelimiter();
    static const std::string endMarker = banner::EndMarker();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckItems(text, delimiter, endMarker);
    // The first bytes choose a delimiter and an end marker of their own.
    if (size >= 2) {
        const size_t d = std::min<size_t>(data[0] % 12, size - 2);
        const size_t e = std::min<size_t>(data[1] % 16, size - 2 - d);
        CheckItems(text.substr(2 + d + e), text.substr(2, d), text.substr(2 + d, e));
    }
    for (const std::string_view line : banner::SplitLines(text))
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
    return 0;
}
