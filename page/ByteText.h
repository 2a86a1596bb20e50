#pragma once

// The character tests and the pattern text rule shared by the page, the find
// dialog and the search.

#include <cstdint>
#include <string_view>
#include <vector>

// True for the bytes shown as their own character: 0x20-0x7E, 0x80-0xAF, 0xE0-0xFE.
constexpr bool IsPrintable(uint8_t c)
{
    return (c >= 0x20 && c < 0x7F) || (c >= 0x80 && c < 0xB0) || (c >= 0xE0 && c < 0xFF);
}

// 0-15 for a hex digit of either case, -1 for any other character.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Spaces are skipped anywhere; any other non-digit rejects the whole text
// (empty result); an odd digit count is padded with a leading 0.
std::vector<uint8_t> HexTextToBytes(std::string_view text);
