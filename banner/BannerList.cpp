#include "banner/BannerList.h"

namespace banner {

std::vector<std::string> ParseBannerList(std::string_view text, std::string_view delimiter,
                                         std::string_view endMarker)
{
    std::vector<std::string> items;
    if (delimiter.empty())
        return items;
    std::size_t p = text.find(delimiter);
    while (p != std::string_view::npos) {
        if (text.substr(p, endMarker.size()) == endMarker)
            break;
        const std::size_t q = text.find(delimiter, p + 4);
        items.emplace_back(text.substr(p, q == std::string_view::npos ? std::string_view::npos : q - p));
        p = q;
    }
    return items;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::string BuildItemPage(std::string_view item, std::string_view head, std::string_view tail)
{
    std::string page;
    page.reserve(head.size() + item.size() + tail.size() + 64);
    const auto addLine = [&page](std::string_view line) {
        page.append(line);
        page.append("\r\n");
    };
    addLine(head);
    for (const std::string_view line : SplitLines(item))
        addLine(line);
    addLine(tail);
    return page;
}

} // namespace banner
