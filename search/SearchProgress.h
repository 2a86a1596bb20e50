#pragma once

// What the status line says while a long search runs.

#include <QString>

#include <algorithm>
#include <cstdint>

namespace search {

// A search shows its progress once it has run this long.
inline constexpr int ProgressDelayMs = 500;

// How often a running search lets the window run (and its progress and Esc through).
inline constexpr int PaceIntervalMs = 30;

// How much of the span from `from` to the file's end lies before position, in whole percent.
// Never 100 before the last position: doubles round a span near 2^63 up.
inline int ProgressPercent(int64_t from, int64_t position, int64_t fileSize)
{
    if (position >= fileSize)
        return 100;
    const double span = static_cast<double>(fileSize - from);
    return std::min(99, static_cast<int>(100.0 * static_cast<double>(position - from) / span));
}

// Decimal gigabytes with one decimal: "1099.5" for 1 TiB.
inline QString Gigabytes(int64_t bytes) { return QString::number(static_cast<double>(bytes) / 1e9, 'f', 1); }

// The bytes searched so far of the span from `from` to the file's end, which moves
// every second even on the largest file: "Searching: 12.3 of 1099.5 GB (1%). Esc cancels."
inline QString ProgressText(int64_t from, int64_t position, int64_t fileSize)
{
    return QStringLiteral("Searching: %1 of %2 GB (%3%). Esc cancels.")
        .arg(Gigabytes(position - from), Gigabytes(fileSize - from))
        .arg(ProgressPercent(from, position, fileSize));
}

// How much of the span from `from` down to the file's start lies at or after position
// (the backward scan's lowest position examined), in whole percent; 100 only at 0.
inline int BackwardProgressPercent(int64_t from, int64_t position)
{
    if (position <= 0)
        return 100;
    const double span = static_cast<double>(from);
    return std::min(99, static_cast<int>(100.0 * static_cast<double>(from - position) / span));
}

// The backward scan's progress: "Searching backwards: 12.3 of 1099.5 GB (1%). Esc cancels."
inline QString BackwardProgressText(int64_t from, int64_t position)
{
    return QStringLiteral("Searching backwards: %1 of %2 GB (%3%). Esc cancels.")
        .arg(Gigabytes(from - position), Gigabytes(from))
        .arg(BackwardProgressPercent(from, position));
}

// A comparison's progress, done bytes of total: "Comparing: 12.3 of 1099.5 GB (1%). Esc cancels."
inline QString ComparisonProgressText(int64_t done, int64_t total)
{
    return QStringLiteral("Comparing: %1 of %2 GB (%3%). Esc cancels.")
        .arg(Gigabytes(done), Gigabytes(total))
        .arg(ProgressPercent(0, done, total));
}

// Where a scan from `from` to the file's end was stopped: "stopped at 12.3 of 1099.5 GB".
inline QString StoppedText(int64_t from, int64_t reached, int64_t fileSize)
{
    return QStringLiteral("stopped at %1 of %2 GB").arg(Gigabytes(reached - from), Gigabytes(fileSize - from));
}

} // namespace search
