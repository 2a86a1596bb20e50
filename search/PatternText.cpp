#include "search/PatternText.h"

#include "page/PageView.h"
#include "util/TextRules.h"

namespace search {

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
        follow.text.append(IsPrintable(b) ? QChar(page::GlyphOf(b)) : QChar(u'.'));
    return follow;
}

TextFollow FollowText(const QString& text)
{
    TextFollow follow;
    follow.hex.reserve(2 * text.size());
    for (const QChar c : text) {
        const int b = page::ByteOfGlyph(c.unicode());
        if (b < 0)
            return {false, QString()};
        follow.hex.append(QLatin1Char(util::HexDigits[b >> 4]));
        follow.hex.append(QLatin1Char(util::HexDigits[b & 0xF]));
    }
    return follow;
}

} // namespace search
