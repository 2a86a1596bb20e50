// The pattern text rule: any text gives either nothing or the bytes its digits spell.

#include "Check.h"
#include "util/TextRules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<uint8_t> bytes = HexTextToBytes(text);

    size_t digits = 0;
    bool onlyDigits = true;
    for (const char c : text) {
        if (c == ' ')
            continue;
        if (HexDigitValue(c) < 0)
            onlyDigits = false;
        else
            ++digits;
    }
    FUZZ_CHECK(bytes.size() == (onlyDigits ? (digits + 1) / 2 : 0));
    // The bytes read back from their own hex text.
    std::string hex;
    for (const uint8_t b : bytes) {
        hex += "0123456789abcdef"[b >> 4];
        hex += "0123456789ABCDEF"[b & 15];
        hex += ' ';
    }
    FUZZ_CHECK(HexTextToBytes(hex) == bytes);
    return 0;
}
