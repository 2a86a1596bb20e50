#include "search/AddressText.h"

#include <limits>

namespace search {

namespace {

constexpr int DecDigitValue(char16_t c) { return c >= u'0' && c <= u'9' ? c - u'0' : -1; }

constexpr int HexDigitValue16(char16_t c)
{
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return DecDigitValue(c);
}

// Accumulates digits of the given base, refusing any value past the largest offset.
template <typename DigitValue>
int64_t Parse(QStringView text, int base, DigitValue digitValue)
{
    constexpr int64_t largest = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (const QChar c : text) {
        if (c == u' ')
            continue;
        const int d = digitValue(c.unicode());
        if (d < 0 || value > (largest - d) / base)
            return -1;
        value = value * base + d;
    }
    return value;
}

} // namespace

int64_t ParseHexAddress(QStringView text) { return Parse(text, 16, HexDigitValue16); }
int64_t ParseDecAddress(QStringView text) { return Parse(text, 10, DecDigitValue); }

QString HexAddressText(int64_t value) { return value < 0 ? QStringLiteral("0") : QString::number(value, 16).toUpper(); }
QString DecAddressText(int64_t value) { return value < 0 ? QStringLiteral("0") : QString::number(value); }

AddressFollow FollowHexAddress(QStringView hexText, int64_t maxAddress)
{
    const int64_t v = ParseHexAddress(hexText);
    return {AddressAcceptable(v, maxAddress), DecAddressText(v)};
}

AddressFollow FollowDecAddress(QStringView decText, int64_t maxAddress)
{
    const int64_t v = ParseDecAddress(decText);
    return {AddressAcceptable(v, maxAddress), HexAddressText(v)};
}

bool KeptAddressAcceptable(QStringView hexText, QStringView decText, int64_t maxAddress)
{
    return AddressAcceptable(ParseHexAddress(hexText), maxAddress)
           && AddressAcceptable(ParseDecAddress(decText), maxAddress);
}

} // namespace search
