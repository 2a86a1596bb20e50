// The copy's texts and number fields. Any bytes, handed over in chunks of any size,
// give the text of one go at its announced length, and each format reads back to the
// bytes (hex pairs and the C array by their digits, Base64 by Qt's decoder, the text
// by the page's character set). The dialog's fields parse as the goto dialog's do.

#include "Check.h"
#include "output/CopyText.h"
#include "page/PageView.h"
#include "search/GotoAddress.h"
#include "util/TextRules.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// The bytes a hex-pair or C-array text spells, from its hex digits alone.
std::vector<uint8_t> DigitsOf(const QString& text, bool cArray)
{
    std::vector<uint8_t> bytes;
    int high = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (cArray && c == u'0' && i + 1 < text.size() && text.at(i + 1) == u'x') {
            ++i;
            continue;
        }
        const int d = HexDigitValue(c);
        if (d < 0)
            continue;
        if (high < 0) {
            high = d;
        } else {
            bytes.push_back(static_cast<uint8_t>(high * 16 + d));
            high = -1;
        }
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString typed = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const int64_t start = output::ParseHexNumber(typed);
    const int64_t count = output::ParseDecNumber(typed);
    FUZZ_CHECK(start == search::ParseHexAddress(typed));
    FUZZ_CHECK(count == search::ParseDecAddress(typed));
    if (start >= 0)
        FUZZ_CHECK(output::ParseHexNumber(output::AddressClipText(start)) == start);
    const int64_t fileSize = start >= 0 ? start / 2 + 1 : 1;
    const int64_t copied = output::CopiedCount(start, count, fileSize);
    FUZZ_CHECK(copied >= 0 && copied <= output::MaxCopyCount);
    if (copied > 0)
        FUZZ_CHECK(copied <= fileSize - start && copied <= count);

    if (size < 2)
        return 0;
    const auto format = static_cast<output::CopyFormat>(data[0] % output::CopyFormatCount);
    const size_t chunk = data[1] % 23 + 1;
    const std::vector<uint8_t> bytes(data + 2, data + size);
    const auto n = static_cast<int64_t>(bytes.size());

    output::CopyEncoder encoder(format, n);
    for (size_t at = 0; at < bytes.size(); at += chunk)
        encoder.append(bytes.data() + at, static_cast<int64_t>(std::min(chunk, bytes.size() - at)));
    const QString text = encoder.finish().toString();
    FUZZ_CHECK(text == output::EncodeBytes(format, bytes).toString());
    FUZZ_CHECK(text.size() == output::CopyTextLength(format, n));

    switch (format) {
    case output::CopyFormat::HexPairs:
    case output::CopyFormat::CArray:
        FUZZ_CHECK(DigitsOf(text, format == output::CopyFormat::CArray) == bytes);
        break;
    case output::CopyFormat::Base64: {
        const QByteArray back = QByteArray::fromBase64(text.toLatin1());
        FUZZ_CHECK(back == QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(n)));
        break;
    }
    case output::CopyFormat::Text:
        for (int64_t i = 0; i < n; ++i) {
            const uint8_t b = bytes[static_cast<size_t>(i)];
            const char16_t c = text.at(static_cast<qsizetype>(i)).unicode();
            FUZZ_CHECK(IsPrintable(b) ? page::ByteOfGlyph(c) == b : c == u'.');
        }
        break;
    }
    return 0;
}
