#pragma once

// The data inspector's core: the eight bytes at the cursor read as 21 data types.
// Nothing here raises; a row that cannot convert its bytes reads "invalid".

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

namespace page {

// The eight bytes at the refresh address, b0 first; bytes that could not be read are zero.
using InspectorSample = std::array<uint8_t, 8>;

constexpr int InspectorRowCount = 21;

struct InspectorRow {
    const char* name;
    QString text;
};

using InspectorRows = std::array<InspectorRow, InspectorRowCount>;

// Reads the bytes at address, address + 1, ... through readByte; the first read that
// throws ends the sample silently and the remaining bytes stay zero.
InspectorSample TakeInspectorSample(const std::function<uint8_t(int64_t)>& readByte, int64_t address);

// The 21 rows, each computed on its own, in the table's order.
InspectorRows InspectorRowsOf(const InspectorSample& sample, const QLocale& locale);

// Rows 10 and 11. A signalling NaN reads "invalid"; it is told by its bits, never by
// loading it, since floating-point traps stay masked.
QString SingleText(uint32_t bits, const QString& decimalPoint);
QString DoubleText(uint64_t bits, const QString& decimalPoint);
// A finite value to 15 significant digits, fixed for decimal exponents -3..15.
QString FloatText(double value, const QString& decimalPoint);

// The significant digits (trailing zeros dropped, at most 16) and the decimal exponent
// of a text in scientific notation ("1.25e+02" gives 125 and 2); only the text's own
// characters are read.
struct ScientificDigits {
    char digits[16] = {'0'};
    int count = 1;
    int exponent = 0;
};
ScientificDigits ReadScientific(std::string_view text);

// Row 12: the ctime text of the local time (C library, daylight saving included) with its
// line feed; empty when the local time falls before 1970-01-01 00:00:00.
QString CTimeText(int32_t seconds);

// Row 13: days since 1899-12-30, the fraction being the time of day.
QString DateTimeText(double days, const QLocale& locale);
// Row 14: a DOS date (high half) and time (low half).
QString FileDateText(uint32_t value, const QLocale& locale);

// The locale's short date format with a two-digit year widened to four, and its long
// time format without the time-zone part.
QString InspectorDateFormat(const QLocale& locale);
QString InspectorTimeFormat(const QLocale& locale);

} // namespace page
