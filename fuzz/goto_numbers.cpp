// The goto dialog's number texts: a value is accepted only when it fits in a signed
// 64-bit offset, equals what a wide reference computes, and reads back from its own text.

#include "Check.h"
#include "search/GotoAddress.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

// -1 for a text that is no number of the base or exceeds the largest offset.
int64_t Reference(const QString& text, int base)
{
    __int128 value = 0;
    for (const QChar c : text) {
        if (c == u' ')
            continue;
        const char16_t u = c.unicode();
        int d = -1;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        if (d < 0)
            return -1;
        value = value * base + d;
        if (value > std::numeric_limits<int64_t>::max())
            return -1;
    }
    return static_cast<int64_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = size % 2 == 0
                             ? QString::fromUtf16(reinterpret_cast<const char16_t*>(data), static_cast<qsizetype>(size / 2))
                             : QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const int64_t hex = search::ParseHexAddress(text);
    const int64_t dec = search::ParseDecAddress(text);
    FUZZ_CHECK(hex == Reference(text, 16));
    FUZZ_CHECK(dec == Reference(text, 10));
    if (hex >= 0)
        FUZZ_CHECK(search::ParseHexAddress(search::HexAddressText(hex)) == hex);
    if (dec >= 0)
        FUZZ_CHECK(search::ParseDecAddress(search::DecAddressText(dec)) == dec);
    const int64_t maxAddress = hex >= 0 ? hex : 0;
    const search::AddressFollow follow = search::FollowHexAddress(text, maxAddress);
    FUZZ_CHECK(follow.acceptable == (hex >= 0));
    FUZZ_CHECK(search::ParseDecAddress(follow.other) == (hex >= 0 ? hex : 0));
    return 0;
}
