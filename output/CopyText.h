#pragma once

// Bytes of a file turned into text for the clipboard: the address at the cursor, and a
// range of bytes as hex pairs, a C array, the page's characters or Base64. The range
// is read in window-sized chunks into an output made once at its exact size.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace util {
class File64;
}

namespace output {

// The address as the goto dialog's hex field takes it back: upper-case hex digits,
// no prefix, no leading zeros ("0" for 0).
QString AddressClipText(int64_t address);

enum class CopyFormat { HexPairs, CArray, Text, Base64 };
inline constexpr int CopyFormatCount = 4;

// The most bytes one copy takes.
inline constexpr int64_t MaxCopyCount = int64_t{1} << 24;
// C array elements per line.
inline constexpr int CArrayPerLine = 16;

// The dialog's number texts. Spaces are skipped anywhere and an empty text is 0; any
// other character, or a value beyond a signed 64-bit offset, gives -1.
int64_t ParseHexNumber(QStringView text);
int64_t ParseDecNumber(QStringView text);

// A start the copy takes: a byte of the file.
constexpr bool CopyStartAcceptable(int64_t start, int64_t fileSize) { return start >= 0 && start < fileSize; }
constexpr bool CopyCountAcceptable(int64_t count) { return count >= 1 && count <= MaxCopyCount; }
// How many bytes a copy of count bytes from start takes: cut at the end of the file,
// 0 when start or count is not acceptable.
constexpr int64_t CopiedCount(int64_t start, int64_t count, int64_t fileSize)
{
    if (!CopyStartAcceptable(start, fileSize) || !CopyCountAcceptable(count))
        return 0;
    return count < fileSize - start ? count : fileSize - start;
}

// The exact length of the text for count bytes (count <= MaxCopyCount), in the
// units of its output: bytes for the ASCII formats, UTF-16 units for text.
int64_t CopyTextLength(CopyFormat format, int64_t count);

// The text of a copy. The text format holds the page's glyphs, most outside ASCII, as
// UTF-16; every other format is ASCII and is kept as bytes, at half the memory.
struct CopiedText {
    CopyFormat format = CopyFormat::HexPairs;
    QByteArray ascii;
    QString text;
    QString toString() const { return format == CopyFormat::Text ? text : QString::fromLatin1(ascii); }
};

// Turns bytes into the text of one format, chunk by chunk, into an output made at its
// exact length at the start. Appending more than count bytes in all is not allowed.
class CopyEncoder {
public:
    CopyEncoder(CopyFormat format, int64_t count);
    void append(const uint8_t* bytes, int64_t n);
    // The whole text; all count bytes must have been appended.
    CopiedText finish();

private:
    CopiedText out;
    int64_t count;
    int64_t taken = 0;
    char* at = nullptr;
    char16_t* textAt = nullptr;
    uint8_t carry[3] = {};
    int carried = 0; // Base64: bytes waiting for a full group of three
};

// The text of bytes in one go (for small inputs and tests).
CopiedText EncodeBytes(CopyFormat format, const std::vector<uint8_t>& bytes);

// Reads count bytes from start (a range CopiedCount allows) through the paged file
// without moving its window, and converts them. Throws the paged file's errors, and
// Error("file read error") when the file ends before the range does.
CopiedText CopyFileBytes(const util::File64& file, int64_t start, int64_t count, CopyFormat format);

} // namespace output
