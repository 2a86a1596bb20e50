#include "search/PatternText.h"

#include "util/TextRules.h"

#include <algorithm>

namespace search {

namespace {
bool AllBytes(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}
} // namespace

std::string PatternText(const QString& hex)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(hex.size()));
    for (const QChar c : hex)
        bytes.push_back(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?');
    return bytes;
}

HexFollow FollowHexText(const QString& hex)
{
    const std::vector<uint8_t> bytes = HexTextToBytes(PatternText(hex));
    HexFollow follow;
    follow.valid = hex.isEmpty() || !bytes.empty();
    follow.text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const uint8_t b : bytes)
        follow.text.append(IsPrintable(b) ? QChar(b) : QChar(u'.'));
    return follow;
}

TextFollow FollowText(const QString& text)
{
    if (!AllBytes(text))
        return {false, QString()};
    TextFollow follow;
    follow.hex.reserve(2 * text.size());
    for (const QChar c : text) {
        follow.hex.append(QLatin1Char(HexDigits[c.unicode() >> 4]));
        follow.hex.append(QLatin1Char(HexDigits[c.unicode() & 0xF]));
    }
    return follow;
}

} // namespace search
