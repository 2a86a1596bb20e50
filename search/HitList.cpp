#include "search/HitList.h"

#include "page/PageView.h"

#include <QLocale>

#include <algorithm>

namespace search {

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

void AppendHex(QString& text, uint8_t byte)
{
    text += QLatin1Char(HexDigits[byte >> 4]);
    text += QLatin1Char(HexDigits[byte & 15]);
}

} // namespace

QString FindAllTitle(int64_t count, size_t listed)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator); // the C locale omits them
    QString title = QStringLiteral("Find All: %1 %2")
                        .arg(locale.toString(static_cast<qlonglong>(count)),
                             count == 1 ? QStringLiteral("occurrence") : QStringLiteral("occurrences"));
    if (static_cast<int64_t>(listed) < count)
        title += QStringLiteral(", first %1 listed").arg(locale.toString(static_cast<qulonglong>(listed)));
    return title;
}

QString PatternHex(std::span<const uint8_t> pattern)
{
    QString text;
    text.reserve(static_cast<qsizetype>(std::min<size_t>(pattern.size(), 1 << 20) * 3));
    for (const uint8_t byte : pattern) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        AppendHex(text, byte);
    }
    return text;
}

HitReader::HitReader(const util::File64& file_, int64_t patternLength_)
    : file(file_), patternLength(patternLength_), buffer(new uint8_t[util::File64::File64Imp::WindowSize])
{
}

uint8_t HitReader::byteAt(int64_t offset)
{
    const auto covered = [&] { return offset >= bufferStart && offset - bufferStart < bufferLength; };
    const auto fill = [&](int64_t start) {
        bufferLength = 0;
        ++readCount;
        bufferLength = file.readAt(start, buffer.get());
        bufferStart = start;
    };
    if (!covered()) {
        // The offset lands mid-buffer, so rows above and below it are served too.
        fill(std::max<int64_t>(0, offset - util::File64::File64Imp::WindowSize / 2));
        if (!covered()) // a short read ended before it
            fill(offset);
    }
    return buffer[static_cast<size_t>(offset - bufferStart)];
}

QString HitReader::rowText(int64_t address)
{
    const page::CellText head = page::AddressText(address);
    QString text = QString::fromLatin1(head.chars.data(), head.length);
    text += QStringLiteral("  ");
    const int64_t before = std::min(address, HitContext);
    for (int64_t i = before; i < HitContext; ++i)
        text += QStringLiteral("   "); // brackets line up near the file's start
    for (int64_t at = address - before; at < address; ++at) {
        AppendHex(text, byteAt(at));
        text += QLatin1Char(' ');
    }
    text += QLatin1Char('[');
    const int64_t shown = std::min(patternLength, HitPatternShown);
    for (int64_t i = 0; i < shown; ++i) {
        if (i > 0)
            text += QLatin1Char(' ');
        AppendHex(text, byteAt(address + i));
    }
    if (patternLength > shown)
        text += QStringLiteral(" \u2026");
    text += QLatin1Char(']');
    // Differences only: the end of a hit may lie at 2^63-1.
    const int64_t after = std::min(file.size() - address - patternLength, HitContext);
    for (int64_t i = 0; i < after; ++i) {
        text += QLatin1Char(' ');
        AppendHex(text, byteAt(address + patternLength + i));
    }
    return text;
}

} // namespace search
