#pragma once

// What a Find All results list shows: its title, the pattern, and one row per hit
// with the bytes around it, read through a buffer of the list's own.

#include "file/File64.h"
#include "util/NoCopy.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <span>

namespace search {

// The hits a results list keeps (8 MB of addresses); the count goes on past them.
inline constexpr size_t ListedHitsLimit = 1000000;

// Bytes shown before and after a hit, and of the pattern itself.
inline constexpr int64_t HitContext = 8;
inline constexpr int64_t HitPatternShown = 16;

// "Find All: 1,234 occurrences", with ", first 1,000,000 listed" when the list holds
// fewer hits than were counted. Numbers in the locale's digit grouping.
QString FindAllTitle(int64_t count, size_t listed);

// The pattern as spaced upper-case hex: "41 42 43".
QString PatternHex(std::span<const uint8_t> pattern);

// Reads the bytes around hits for the rows in view. It has a 64 KiB buffer of its
// own and reads with the paged file's block reads, so the page's window stays where
// it is; a row near the last one read costs no read.
class HitReader : NoCopy {
public:
    HitReader(const util::File64& file, int64_t patternLength);

    // "00000000 00001234  41 42 [43 44 45] 46 47": the address as the status bar
    // writes it, up to HitContext bytes before, the pattern's first HitPatternShown
    // bytes in brackets ("…" when it is longer) and up to HitContext bytes after it.
    // Throws the paged file's errors.
    QString rowText(int64_t address);

    // Block reads made so far (for tests).
    int64_t reads() const { return readCount; }

private:
    uint8_t byteAt(int64_t offset);

    const util::File64& file;
    int64_t patternLength;
    std::unique_ptr<uint8_t[]> buffer;
    int64_t bufferStart = 0;
    int32_t bufferLength = 0;
    int64_t readCount = 0;
};

} // namespace search
