#include "output/CopyText.h"

#include "file/File64.h"
#include "page/PageView.h"
#include "util/Error.h"
#include "util/TextRules.h"

#include <algorithm>
#include <array>
#include <limits>
#include <memory>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace output {

namespace {

constexpr char Base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The text column's character of each byte, as the grid draws it.
const std::array<char16_t, 256>& TextGlyphs()
{
    static const std::array<char16_t, 256> glyphs = [] {
        std::array<char16_t, 256> g{};
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<uint8_t>(b);
            g[static_cast<size_t>(b)] = IsPrintable(byte) ? page::GlyphOf(byte) : u'.';
        }
        return g;
    }();
    return glyphs;
}

// A fresh output of many MiB is touched page by page; where small pages fault slowly
// (virtual machines) that costs more than the conversion, so large pages are asked for.
void AdviseLargePages(void* data, size_t size)
{
#ifdef __linux__
    constexpr uintptr_t Large = uintptr_t{2} << 20;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(data) + Large - 1) & ~(Large - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(data) + size) & ~(Large - 1);
    if (to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE); // advice only: a refusal changes nothing
#else
    (void)data;
    (void)size;
#endif
}

template <typename Digit>
int64_t ParseNumber(QStringView text, int base, Digit digit)
{
    int64_t value = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        const int d = digit(c.unicode());
        if (d < 0 || value > (std::numeric_limits<int64_t>::max() - d) / base)
            return -1;
        value = value * base + d;
    }
    return value;
}

} // namespace

QString AddressClipText(int64_t address)
{
    return QString::number(static_cast<qulonglong>(std::max<int64_t>(address, 0)), 16).toUpper();
}

int64_t ParseHexNumber(QStringView text)
{
    return ParseNumber(text, 16, [](char16_t c) { return HexDigitValue(c); });
}

int64_t ParseDecNumber(QStringView text)
{
    return ParseNumber(text, 10, [](char16_t c) { return util::DecDigitValue(c); });
}

int64_t CopyTextLength(CopyFormat format, int64_t count)
{
    if (count <= 0)
        return 0;
    switch (format) {
    case CopyFormat::HexPairs:
        return 3 * count - 1; // "7F" and a blank between pairs
    case CopyFormat::CArray:
        return 6 * count - 2; // "0x7F" and ", " or ",\n" between elements
    case CopyFormat::Text:
        return count;
    case CopyFormat::Base64:
        return 4 * ((count + 2) / 3);
    }
    return 0;
}

CopyEncoder::CopyEncoder(CopyFormat format, int64_t count_) : count(count_)
{
    out.format = format;
    const qsizetype length = static_cast<qsizetype>(CopyTextLength(format, count));
    if (format == CopyFormat::Text) {
        out.text = QString(length, Qt::Uninitialized);
        textAt = reinterpret_cast<char16_t*>(out.text.data());
        AdviseLargePages(textAt, static_cast<size_t>(length) * sizeof(char16_t));
    } else {
        out.ascii = QByteArray(length, Qt::Uninitialized);
        at = out.ascii.data();
        AdviseLargePages(at, static_cast<size_t>(length));
    }
}

void CopyEncoder::append(const uint8_t* bytes, int64_t n)
{
    // Locals, not members, in the loops: a store through a char pointer could change a
    // member, so the compiler would reload each member at every byte.
    const uint8_t* const end = bytes + n;
    int64_t done = taken;
    char* o = at;
    switch (out.format) {
    case CopyFormat::HexPairs:
        for (const uint8_t* b = bytes; b != end; ++b) {
            if (done++ > 0)
                *o++ = ' ';
            o[0] = util::HexDigits[*b >> 4];
            o[1] = util::HexDigits[*b & 0xF];
            o += 2;
        }
        break;
    case CopyFormat::CArray:
        for (const uint8_t* b = bytes; b != end; ++b) {
            if (done > 0) {
                o[0] = ',';
                o[1] = done % CArrayPerLine == 0 ? '\n' : ' ';
                o += 2;
            }
            ++done;
            o[0] = '0';
            o[1] = 'x';
            o[2] = util::HexDigits[*b >> 4];
            o[3] = util::HexDigits[*b & 0xF];
            o += 4;
        }
        break;
    case CopyFormat::Text: {
        const auto& glyphs = TextGlyphs();
        char16_t* t = textAt;
        for (const uint8_t* b = bytes; b != end; ++b)
            *t++ = glyphs[*b];
        textAt = t;
        done += n;
        break;
    }
    case CopyFormat::Base64: {
        int c = carried;
        for (const uint8_t* b = bytes; b != end; ++b) {
            carry[c++] = *b;
            if (c == 3) {
                o[0] = Base64Digits[carry[0] >> 2];
                o[1] = Base64Digits[((carry[0] & 0x3) << 4) | (carry[1] >> 4)];
                o[2] = Base64Digits[((carry[1] & 0xF) << 2) | (carry[2] >> 6)];
                o[3] = Base64Digits[carry[2] & 0x3F];
                o += 4;
                c = 0;
            }
        }
        carried = c;
        done += n;
        break;
    }
    }
    taken = done;
    at = o;
}

CopiedText CopyEncoder::finish()
{
    if (out.format == CopyFormat::Base64 && carried > 0) {
        *at++ = Base64Digits[carry[0] >> 2];
        const uint8_t second = carried > 1 ? carry[1] : 0;
        *at++ = Base64Digits[((carry[0] & 0x3) << 4) | (second >> 4)];
        *at++ = carried > 1 ? Base64Digits[(second & 0xF) << 2] : '=';
        *at++ = '=';
        carried = 0;
    }
    if (taken != count)
        throw util::Error("assertion failure");
    return std::move(out);
}

CopiedText EncodeBytes(CopyFormat format, const std::vector<uint8_t>& bytes)
{
    CopyEncoder encoder(format, static_cast<int64_t>(bytes.size()));
    encoder.append(bytes.data(), static_cast<int64_t>(bytes.size()));
    return encoder.finish();
}

CopiedText CopyFileBytes(const util::File64& file, int64_t start, int64_t count, CopyFormat format)
{
    if (count != CopiedCount(start, count, file.size()))
        throw util::Error("assertion failure");
    CopyEncoder encoder(format, count);
    const auto chunk = std::make_unique<uint8_t[]>(util::File64::File64Imp::WindowSize);
    int64_t done = 0;
    while (done < count) {
        // A file that shrank under the page ends the reads early: readAt then fails,
        // and so does the copy, before anything reaches the clipboard.
        const int64_t n = std::min<int64_t>(file.readAt(start + done, chunk.get()), count - done);
        encoder.append(chunk.get(), n);
        done += n;
    }
    return encoder.finish();
}

} // namespace output
