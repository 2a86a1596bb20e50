#include "search/GotoAddress.h"

#include "util/TextRules.h"

#include <limits>

namespace search {

namespace {

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

int64_t ParseHexAddress(QStringView text) { return Parse(text, 16, HexDigitValue<char16_t>); }
int64_t ParseDecAddress(QStringView text) { return Parse(text, 10, util::DecDigitValue<char16_t>); }

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
