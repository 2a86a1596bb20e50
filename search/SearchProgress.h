#pragma once

// What the status line says while a long search runs.

#include <QString>

#include <cstdint>

namespace search {

// A search shows its progress once it has run this long.
inline constexpr int ProgressDelayMs = 500;

// How much of the span from `from` to the file's end lies before position, in whole percent.
inline int ProgressPercent(int64_t from, int64_t position, int64_t fileSize)
{
    const double span = static_cast<double>(fileSize - from);
    return span > 0 ? static_cast<int>(100.0 * static_cast<double>(position - from) / span) : 100;
}

inline QString ProgressText(int percent) { return QStringLiteral("Searching: %1% done. Esc cancels.").arg(percent); }

} // namespace search
