#pragma once

// The character tests and the hex digit rules shared by the page, the find and goto
// dialogs and the search.

#include <cstdint>
#include <string_view>
#include <vector>

// True for the bytes shown as their own character: 0x20-0x7E, 0x80-0xAF, 0xE0-0xFE.
constexpr bool IsPrintable(uint8_t c)
{
    return (c >= 0x20 && c < 0x7F) || (c >= 0x80 && c < 0xB0) || (c >= 0xE0 && c < 0xFF);
}

namespace util {

// The upper-case hex digits, by value.
inline constexpr char HexDigits[] = "0123456789ABCDEF";

// 0-9 for a decimal digit, -1 for any other character (8- or 16-bit).
template <typename Char>
constexpr int DecDigitValue(Char c)
{
    return c >= Char('0') && c <= Char('9') ? static_cast<int>(c - Char('0')) : -1;
}

} // namespace util

// 0-15 for a hex digit of either case, -1 for any other character (8- or 16-bit).
template <typename Char>
constexpr int HexDigitValue(Char c)
{
    if (c >= Char('A') && c <= Char('F'))
        return static_cast<int>(c - Char('A')) + 10;
    if (c >= Char('a') && c <= Char('f'))
        return static_cast<int>(c - Char('a')) + 10;
    return util::DecDigitValue(c);
}

// Spaces are skipped anywhere; any other non-digit rejects the whole text
// (empty result); an odd digit count is padded with a leading 0.
std::vector<uint8_t> HexTextToBytes(std::string_view text);
