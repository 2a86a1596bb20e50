#pragma once

// The product's name and house colours, in one place.

#include <cstdint>

namespace util {

// Window title, application name, print document name.
inline constexpr char ProductTitle[] = "Byteloom 2.0";
// The name the About box shows.
inline constexpr char ProductFullName[] = "Byteloom 2.0 Vaderodo";

// Address cells and the inspector's fixed cells share one look (0xRRGGBB).
inline constexpr std::uint32_t AddressBackgroundRgb = 0xE0F0F0;
inline constexpr std::uint32_t AddressTextRgb = 0x000080;

} // namespace util
