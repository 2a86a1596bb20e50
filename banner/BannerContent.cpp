#include "banner/BannerContent.h"


#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

namespace banner {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsWithName(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

// Elements that never hold others, so never add to the depth.
bool IsVoid(std::string_view name)
{
    static constexpr std::array<std::string_view, 15> names{"area", "base", "br", "col", "embed", "hr", "img", "input",
                                                            "link", "meta", "param", "source", "track", "wbr", "basefont"};
    return std::any_of(names.begin(), names.end(), [name](std::string_view v) { return SameName(v, name); });
}

// The largest number written in text, as a magnitude; a number glued to a name, a
// colour or an address (base64 included) is part of that and no size. Exponents count.
double LargestNumber(std::string_view text)
{
    double largest = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsDigit(text[i]) && !(text[i] == '.' && i + 1 < text.size() && IsDigit(text[i + 1])))
            continue;
        const char before = i ? text[i - 1] : ' ';
        const bool glued = IsAlpha(before) || IsDigit(before) || before == '_' || before == '#' || before == '%' ||
                           before == '+' || before == '/' || before == '.' || before == '\\';
        std::size_t end = i;
        while (end < text.size() && (IsDigit(text[end]) || text[end] == '.'))
            ++end;
        if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
            std::size_t exp = end + 1;
            if (exp < text.size() && (text[exp] == '+' || text[exp] == '-'))
                ++exp;
            if (exp < text.size() && IsDigit(text[exp])) {
                end = exp;
                while (end < text.size() && IsDigit(text[end]))
                    ++end;
            }
        }
        if (!glued) {
            const std::string number(text.substr(i, std::min<std::size_t>(end - i, 64)));
            largest = std::max(largest, end - i > 64 ? 1e300 : std::strtod(number.c_str(), nullptr));
        }
        i = end;
    }
    return largest;
}

// The largest font size a style value names, relative units taken against 16 pixels.
double FontPixels(std::string_view value)
{
    const double number = LargestNumber(value);
    if (value.find('%') != std::string_view::npos)
        return number * 16 / 100;
    if (value.find("em") != std::string_view::npos)
        return number * 16;
    return number;
}

// A style text without its url(...) parts, which are addresses.
std::string WithoutUrls(std::string_view css)
{
    std::string out;
    std::size_t i = 0;
    while (i < css.size()) {
        if (StartsWithName(css.substr(i), "url(")) {
            const std::size_t close = css.find(')', i);
            i = close == std::string_view::npos ? css.size() : close + 1;
            out += ' ';
            continue;
        }
        out += css[i++];
    }
    return out;
}

// The sizes a style text sets: font sizes against their cap, all else against the length cap.
Refusal JudgeStyle(std::string_view css, const ContentCaps& caps)
{
    const std::string text = WithoutUrls(css);
    std::string_view rest(text);
    for (std::size_t at; (at = rest.find(':')) != std::string_view::npos; rest.remove_prefix(at + 1)) {
        std::size_t nameStart = at;
        while (nameStart > 0 && (IsAlpha(rest[nameStart - 1]) || rest[nameStart - 1] == '-'))
            --nameStart;
        const std::string_view property = rest.substr(nameStart, at - nameStart);
        const std::size_t valueEnd = std::min(rest.find(';', at), rest.find('}', at));
        const std::string_view value = rest.substr(at + 1, valueEnd == std::string_view::npos ? valueEnd : valueEnd - at - 1);
        if ((SameName(property, "font-size") || SameName(property, "font")) && FontPixels(value) > static_cast<double>(caps.fontSize))
            return Refusal::FontSize;
    }
    return LargestNumber(text) > static_cast<double>(caps.length) ? Refusal::Length : Refusal::None;
}

// One attribute of a tag: a name and its value, quoted or not.
struct Attribute {
    std::string_view name;
    std::string_view value;
};

std::vector<Attribute> Attributes(std::string_view tag)
{
    std::vector<Attribute> out;
    std::size_t i = 0;
    while (i < tag.size() && !IsSpace(tag[i]))
        ++i;
    while (i < tag.size()) {
        while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '/'))
            ++i;
        const std::size_t nameStart = i;
        while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '=' && tag[i] != '/')
            ++i;
        Attribute attribute{tag.substr(nameStart, i - nameStart), {}};
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        if (i < tag.size() && tag[i] == '=') {
            ++i;
            while (i < tag.size() && IsSpace(tag[i]))
                ++i;
            const char quote = i < tag.size() && (tag[i] == '"' || tag[i] == '\'') ? tag[i] : '\0';
            const std::size_t valueStart = quote ? i + 1 : i;
            std::size_t end = quote ? tag.find(quote, valueStart) : valueStart;
            if (!quote)
                while (end < tag.size() && !IsSpace(tag[end]))
                    ++end;
            end = std::min(end, tag.size());
            attribute.value = tag.substr(valueStart, end - valueStart);
            i = quote && end < tag.size() ? end + 1 : end;
        }
        if (!attribute.name.empty())
            out.push_back(attribute);
    }
    return out;
}

bool IsAddress(std::string_view attribute)
{
    return SameName(attribute, "href") || SameName(attribute, "src") || SameName(attribute, "background");
}

// One pass over an item: the elements open at the scan's place, innermost last,
// and the counts the caps bound.
class Scan {
public:
    explicit Scan(const ContentCaps& bounds) : caps(bounds) {}

    Refusal startTag(std::string_view name, std::string_view tag)
    {
        std::int64_t colspan = 1;
        if (const Refusal r = attributes(tag, colspan); r != Refusal::None)
            return r;
        if (++elements > caps.elements)
            return Refusal::Elements;
        countCell(name, colspan);
        if (IsVoid(name))
            return Refusal::None;
        closeImplied(name);
        open.push_back(name);
        if (SameName(name, "table"))
            tables.emplace_back();
        if (static_cast<int>(open.size()) > caps.depth)
            return Refusal::Depth;
        return static_cast<int>(tables.size()) > caps.tableDepth ? Refusal::TableDepth : Refusal::None;
    }

    // Closes the innermost element of that name and all inside it; an end tag
    // that matches nothing open changes nothing.
    void endTag(std::string_view name)
    {
        for (std::size_t i = open.size(); i-- > 0;)
            if (SameName(open[i], name)) {
                closeFrom(i);
                return;
            }
    }

    Refusal finish(std::size_t bytes)
    {
        while (!tables.empty())
            closeTable();
        if (bytes - dataBytes > caps.layoutBytes)
            return Refusal::Size;
        return cells > caps.cells ? Refusal::Cells : Refusal::None;
    }

private:
    struct Table {
        std::int64_t rows = 0;
        std::int64_t columns = 0; // of the row being read
        std::int64_t widest = 0;
    };

    Refusal attributes(std::string_view tag, std::int64_t& colspan)
    {
        for (const Attribute& a : Attributes(tag)) {
            if (IsAddress(a.name)) {
                if (StartsWithName(a.value, "data:"))
                    dataBytes += a.value.size(); // a picture: bounded by its pixels, not laid out as text
                continue;
            }
            if (SameName(a.name, "title") || SameName(a.name, "alt") || SameName(a.name, "name"))
                continue; // texts, not sizes
            if (SameName(a.name, "style")) {
                if (const Refusal r = JudgeStyle(a.value, caps); r != Refusal::None)
                    return r;
                continue;
            }
            const double value = LargestNumber(a.value);
            if (SameName(a.name, "colspan"))
                colspan = std::max<std::int64_t>(1, static_cast<std::int64_t>(std::min(value, 1e9)));
            if (value > static_cast<double>(caps.length))
                return Refusal::Length;
        }
        return Refusal::None;
    }

    void closeFrom(std::size_t i)
    {
        for (std::size_t j = i; j < open.size(); ++j)
            if (SameName(open[j], "table"))
                closeTable();
        open.resize(i);
    }

    // A new cell, row, list item, term or paragraph ends the open one of its kind
    // within the same table, list or block; tables themselves are never closed so.
    void closeImplied(std::string_view name)
    {
        struct Rule {
            std::string_view opened;
            std::array<std::string_view, 2> same;
            std::array<std::string_view, 4> bounds;
        };
        static constexpr std::array<Rule, 7> rules{{
            {"td", {"td", "th"}, {"tr", "table"}},
            {"th", {"td", "th"}, {"tr", "table"}},
            {"tr", {"tr", "tr"}, {"table", "table"}},
            {"li", {"li", "li"}, {"ul", "ol"}},
            {"dt", {"dt", "dd"}, {"dl", "dl"}},
            {"dd", {"dt", "dd"}, {"dl", "dl"}},
            {"p", {"p", "p"}, {"div", "td", "li", "blockquote"}},
        }};
        const auto among = [](std::string_view n, const auto& names) {
            return std::any_of(names.begin(), names.end(), [n](std::string_view v) { return SameName(v, n); });
        };
        for (const Rule& rule : rules) {
            if (!SameName(rule.opened, name))
                continue;
            for (std::size_t i = open.size(); i-- > 0 && !among(open[i], rule.bounds) && !SameName(open[i], "table");)
                if (among(open[i], rule.same)) {
                    closeFrom(i);
                    return;
                }
            return;
        }
    }

    void countCell(std::string_view name, std::int64_t colspan)
    {
        if (tables.empty())
            return;
        Table& table = tables.back();
        if (SameName(name, "tr")) {
            ++table.rows;
            table.columns = 0;
        } else if (SameName(name, "td") || SameName(name, "th")) {
            table.rows = std::max<std::int64_t>(table.rows, 1);
            table.columns += colspan;
            table.widest = std::max(table.widest, table.columns);
        }
    }

    void closeTable()
    {
        cells += tables.back().rows * tables.back().widest;
        tables.pop_back();
    }

    const ContentCaps& caps;
    std::vector<std::string_view> open;
    std::vector<Table> tables;
    std::int64_t cells = 0;
    int elements = 0;
    std::size_t dataBytes = 0;
};

std::string_view TagName(std::string_view tag)
{
    std::size_t end = 0;
    while (end < tag.size() && !IsSpace(tag[end]) && tag[end] != '/' && tag[end] != '>')
        ++end;
    return tag.substr(0, end);
}

// Where the text of a style or script element ends: at its end tag, or the item's end.
std::size_t EndOfRawText(std::string_view html, std::size_t from, std::string_view name)
{
    const std::string end = "</" + std::string(name);
    std::size_t stop = from;
    while (stop < html.size() && !StartsWithName(html.substr(stop), end))
        ++stop;
    return stop;
}

} // namespace

Refusal JudgeContent(std::string_view html, const ContentCaps& caps)
{
    if (html.size() > caps.bytes)
        return Refusal::Size;
    Scan scan(caps);
    std::size_t word = 0;
    std::size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        const char next = i + 1 < html.size() ? html[i + 1] : '\0';
        if (c == '<' && (IsAlpha(next) || next == '/' || next == '!' || next == '?')) {
            const std::size_t close = std::min(html.find('>', i), html.size());
            const std::string_view tag = html.substr(i + 1, close - i - 1);
            i = std::min(close + 1, html.size());
            if (next == '/')
                scan.endTag(TagName(tag.substr(1)));
            if (next == '/' || next == '!' || next == '?')
                continue;
            const std::string_view name = TagName(tag);
            if (const Refusal r = scan.startTag(name, tag); r != Refusal::None)
                return r;
            if (SameName(name, "style") || SameName(name, "script")) {
                // A style sheet or code: its sizes count, its words do not.
                const std::size_t stop = EndOfRawText(html, i, name);
                if (const Refusal r = JudgeStyle(html.substr(i, stop - i), caps); r != Refusal::None)
                    return r;
                i = stop;
            }
            continue;
        }
        word = IsSpace(c) ? 0 : word + 1;
        if (word > caps.word)
            return Refusal::Word;
        ++i;
    }
    return scan.finish(html.size());
}

QString DecodeContent(QByteArrayView bytes) { return QString::fromUtf8(bytes); }

std::optional<QByteArray> DataUrlPayload(QByteArrayView address)
{
    if (address.size() < 5 || !StartsWithName(std::string_view(address.data(), 5), "data:"))
        return std::nullopt;
    const QByteArrayView rest = address.sliced(5);
    const qsizetype comma = rest.indexOf(',');
    if (comma < 0)
        return std::nullopt;
    const QByteArray header = rest.first(comma).toByteArray().trimmed().toLower();
    const QByteArray data = QByteArray::fromPercentEncoding(rest.sliced(comma + 1).toByteArray());
    if (!header.endsWith(";base64"))
        return data;
    const auto decoded = QByteArray::fromBase64Encoding(data.simplified().replace(' ', QByteArray()),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return decoded.decoded;
}

bool PixelBudget::take(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0 || width > left || height > left || width * height > left)
        return false;
    left -= width * height;
    return true;
}

} // namespace banner
