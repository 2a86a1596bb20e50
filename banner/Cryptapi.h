#pragma once

// The string descrambler and the banner's fixed texts, which are kept only in
// scrambled form and turned into text at the moment of use.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace banner {

// out[0] = in[0] - 31; out[i] = (in[i] XOR in[i-1]) - 31, all modulo 256.
// Each step uses the previous stored byte, not the previous output.
std::string Descramble(std::span<const std::uint8_t> in);

std::string BannerListAddress(); // where the banner list is downloaded from (43 characters)
std::string StartDelimiter();    // begins every item of the list (8)
std::string EndMarker();         // ends the list where a delimiter stands (12)
std::string PageHead();          // first line of every item page (12)
std::string PageTail();          // last line of every item page (14)
std::string ItemZeroAddress();   // page shown in place of item 0 (45)

} // namespace banner
