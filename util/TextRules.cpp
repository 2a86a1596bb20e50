#include "util/TextRules.h"

std::vector<uint8_t> HexTextToBytes(std::string_view text)
{
    std::vector<uint8_t> digits;
    digits.reserve(text.size() + 1);
    for (char c : text) {
        if (c == ' ')
            continue;
        const int v = HexDigitValue(c);
        if (v < 0)
            return {};
        digits.push_back(static_cast<uint8_t>(v));
    }
    if (digits.size() % 2 != 0)
        digits.insert(digits.begin(), 0);
    std::vector<uint8_t> bytes(digits.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(digits[2 * i] * 16 + digits[2 * i + 1]);
    return bytes;
}
