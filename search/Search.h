#pragma once

// The search of the Find and Next commands: a forward scan of one paged file for a
// byte pattern, over the scan engine (Scan.h), which also holds the other scans.

#include "file/File64.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace search {

// Positions examined between two calls of the pacer.
inline constexpr int64_t PacingStep = 1000000;

// Result of a search that the pacer stopped.
inline constexpr int64_t SearchCancelled = -2;

// Called with the next position to examine after every PacingStep examined
// positions; it lets the window system run and returns false to stop the search.
using SearchPacer = std::function<bool(int64_t position)>;

// The offset of the first match of the pattern text (HexTextToBytes) at or after
// start, -1 when there is none (no wrap), SearchCancelled when the pacer stopped
// it, and start itself for an empty pattern (nothing is read then). A negative
// start searches from 0. Reads the paged file in steps of its own (FindForward),
// leaving the file's window where it was; errors of the paged file pass through
// once the positions before them were examined.
int64_t SearchFile(const util::File64& file, std::string_view patternText, int64_t start,
                   const SearchPacer& pace = {});

// The offset of the last match of the pattern text that starts before `before`, -1
// when there is none (no wrap), SearchCancelled when the pacer stopped it, and -1
// for an empty pattern (nothing is read). Reads the paged file backwards in the
// forward search's steps (FindBackward); the pacer gets the lowest position examined.
int64_t SearchFileBackward(const util::File64& file, std::string_view patternText, int64_t before,
                           const SearchPacer& pace = {});

// Work the last pattern scan on this thread did (any scan of Scan.h): bytes compared
// at candidates, bytes given to the linear fallback and bytes compared to extend
// runs of matches. For tests, which bound it by the input.
uint64_t LastSearchWork();

// The same search over an already converted pattern.
int64_t SearchBytes(const util::File64& file, const uint8_t* pattern, int64_t length, int64_t start,
                    const SearchPacer& pace = {});

} // namespace search
