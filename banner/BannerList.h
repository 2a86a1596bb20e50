#pragma once

// The banner list's text rules: cutting a downloaded list into items and building
// the page that shows one item.

#include <string>
#include <string_view>
#include <vector>

namespace banner {

// Items begin with the delimiter and run to the next one (searched from 4 characters
// in) or to the end; text before the first delimiter is dropped; the end marker
// standing at a delimiter ends the list. No delimiter gives an empty list.
std::vector<std::string> ParseBannerList(std::string_view text, std::string_view delimiter,
                                         std::string_view endMarker);

// The text cut into lines at CR, LF and CRLF; a break at the very end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Head, the item's lines and tail, each followed by CR LF.
std::string BuildItemPage(std::string_view item, std::string_view head, std::string_view tail);

} // namespace banner
