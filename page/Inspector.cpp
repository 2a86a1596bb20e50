#include "page/Inspector.h"

#include <QDate>
#include <QTime>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <limits>

namespace page {

namespace {

const QString Invalid = QStringLiteral("invalid");

uint64_t LittleEndian(const InspectorSample& s, int count)
{
    uint64_t v = 0;
    for (int i = count - 1; i >= 0; --i)
        v = (v << 8) | s[static_cast<size_t>(i)];
    return v;
}

// Rows that convert catch every failure of their own and read "invalid".
template <class Convert>
QString Guarded(Convert convert)
{
    try {
        return convert();
    } catch (...) {
        return Invalid;
    }
}

QString Bin8(uint8_t b)
{
    QString text(8, QLatin1Char('0'));
    for (int bit = 0; bit < 8; ++bit)
        if (b & (0x80 >> bit))
            text[bit] = QLatin1Char('1');
    return text;
}

QString Colour(unsigned r, unsigned g, unsigned b)
{
    return QString::asprintf("R: %u, G: %u, B: %u", r, g, b);
}

QString NonFinite(bool negative, bool infinite)
{
    if (infinite)
        return negative ? QStringLiteral("-INF") : QStringLiteral("INF");
    return negative ? QStringLiteral("-NAN") : QStringLiteral("NAN");
}

// The date, then the time unless it is midnight to the second; milliseconds never show.
QString LocaleDateTime(QDate date, int secondsOfDay, const QLocale& locale)
{
    QString text = locale.toString(date, InspectorDateFormat(locale));
    if (secondsOfDay != 0) {
        text += QLatin1Char(' ');
        text += locale.toString(QTime(0, 0).addSecs(secondsOfDay), InspectorTimeFormat(locale));
    }
    return text;
}

// Dates a four-digit year can write; anything else is not a date this table can show.
bool ShowableDate(QDate date)
{
    return date.isValid() && date.year() >= 1 && date.year() <= 9999;
}

} // namespace

InspectorSample TakeInspectorSample(const std::function<uint8_t(int64_t)>& readByte, int64_t address)
{
    InspectorSample sample{};
    for (int i = 0; i < 8; ++i) {
        // Past the largest offset there is no byte to read.
        if (address > std::numeric_limits<int64_t>::max() - i)
            break;
        try {
            sample[static_cast<size_t>(i)] = readByte(address + i);
        } catch (const std::exception&) {
            break;
        }
    }
    return sample;
}

ScientificDigits ReadScientific(std::string_view text)
{
    ScientificDigits d;
    const size_t mark = text.rfind('e');
    if (mark == std::string_view::npos)
        return d;
    std::string_view exponent = text.substr(mark + 1);
    if (!exponent.empty() && exponent.front() == '+')
        exponent.remove_prefix(1);
    std::from_chars(exponent.data(), exponent.data() + exponent.size(), d.exponent);
    d.count = 0;
    for (const char c : text.substr(0, mark))
        if (c != '.' && d.count < static_cast<int>(sizeof d.digits))
            d.digits[d.count++] = c;
    while (d.count > 1 && d.digits[d.count - 1] == '0')
        --d.count;
    if (d.count == 1 && d.digits[0] == '0')
        d.exponent = 0;
    return d;
}

QString FloatText(double value, const QString& decimalPoint)
{
    // d.dddddddddddddde±x: 15 significant digits, correctly rounded, locale-free.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 14);
    const ScientificDigits d = ReadScientific(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
    const char* digits = d.digits;
    const int n = d.count;
    const int x = d.exponent;

    QString text;
    text.reserve(32);
    if (std::signbit(value))
        text += QLatin1Char('-');
    const int e = x + 1; // value = 0.d1d2... times 10^e
    if (e >= -3 && e <= 15) {
        if (e <= 0) {
            text += QLatin1Char('0');
            text += decimalPoint;
            text += QString(-e, QLatin1Char('0'));
            text += QLatin1String(digits, n);
        } else if (e < n) {
            text += QLatin1String(digits, e);
            text += decimalPoint;
            text += QLatin1String(digits + e, n - e);
        } else {
            text += QLatin1String(digits, n);
            text += QString(e - n, QLatin1Char('0'));
        }
    } else {
        text += QLatin1Char(digits[0]);
        if (n > 1) {
            text += decimalPoint;
            text += QLatin1String(digits + 1, n - 1);
        }
        text += QLatin1Char('E');
        text += QString::number(x);
    }
    return text;
}

QString SingleText(uint32_t bits, const QString& decimalPoint)
{
    const bool negative = bits >> 31;
    if (((bits >> 23) & 0xFF) == 0xFF) {
        const uint32_t mantissa = bits & 0x7FFFFF;
        if (mantissa != 0 && !(mantissa & 0x400000))
            return Invalid; // signalling NaN
        return NonFinite(negative, mantissa == 0);
    }
    return FloatText(static_cast<double>(std::bit_cast<float>(bits)), decimalPoint);
}

QString DoubleText(uint64_t bits, const QString& decimalPoint)
{
    const bool negative = bits >> 63;
    if (((bits >> 52) & 0x7FF) == 0x7FF) {
        const uint64_t mantissa = bits & 0xFFFFFFFFFFFFFull;
        if (mantissa != 0 && !(mantissa & 0x8000000000000ull))
            return Invalid; // signalling NaN
        return NonFinite(negative, mantissa == 0);
    }
    return FloatText(std::bit_cast<double>(bits), decimalPoint);
}

QString CTimeText(int32_t seconds)
{
    static const char* const Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t t = seconds;
    std::tm local{};
    // The zone is read once; a per-call tzset would stat the zone file on every key press.
    static const bool zoneRead = (tzset(), true);
    (void)zoneRead;
    if (!localtime_r(&t, &local) || local.tm_year < 70)
        return {};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s %s %02d %02d:%02d:%02d %04d\n", Days[local.tm_wday % 7],
                  Months[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min,
                  local.tm_sec, local.tm_year + 1900);
    return QString::fromLatin1(buffer);
}

QString DateTimeText(double days, const QLocale& locale)
{
    if (!std::isfinite(days) || std::fabs(days) >= 4294967296.0)
        return Invalid;
    constexpr int64_t MsPerDay = 86400000;
    const int64_t ms = std::llround(days * static_cast<double>(MsPerDay));
    // The whole part counts days from 1899-12-30 either way; the fraction is the time of
    // day also for a negative value (-1.25 is 1899-12-29 06:00).
    const int64_t wholeDays = ms / MsPerDay;
    const int64_t msOfDay = std::abs(ms % MsPerDay);
    const QDate date = QDate(1899, 12, 30).addDays(wholeDays);
    if (!ShowableDate(date))
        return Invalid;
    return LocaleDateTime(date, static_cast<int>(msOfDay / 1000), locale);
}

QString FileDateText(uint32_t value, const QLocale& locale)
{
    const int year = 1980 + static_cast<int>(value >> 25);
    const int month = static_cast<int>((value >> 21) & 0xF);
    const int day = static_cast<int>((value >> 16) & 0x1F);
    const int hour = static_cast<int>((value >> 11) & 0x1F);
    const int minute = static_cast<int>((value >> 5) & 0x3F);
    const int second = 2 * static_cast<int>(value & 0x1F);
    if (!QDate::isValid(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return Invalid;
    return LocaleDateTime(QDate(year, month, day), (hour * 60 + minute) * 60 + second, locale);
}

QString InspectorDateFormat(const QLocale& locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString result;
    result.reserve(format.size() + 2);
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) { // quoted text is copied as it stands
            qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
            close = close < 0 ? format.size() : close + 1;
            result += QStringView(format).mid(i, close - i);
            i = close;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        if (c == QLatin1Char('y') && run == 2)
            result += QLatin1String("yyyy");
        else
            result += QStringView(format).mid(i, run);
        i += run;
    }
    return result;
}

QString InspectorTimeFormat(const QLocale& locale)
{
    // Drops the time-zone field "t" with the blanks, commas and brackets around it:
    // "HH:mm:ss t", "H:mm:ss (t)", "APh:mm:ss [t]", "h:mm:ss AP, t", "t HH:mm:ss".
    const QString format = locale.timeFormat(QLocale::LongFormat);
    const auto separator = [](QChar c) {
        return c.isSpace() || c == QLatin1Char(',') || c == QLatin1Char('(') || c == QLatin1Char('[');
    };
    QString result;
    result.reserve(format.size());
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
            close = close < 0 ? format.size() : close + 1;
            result += QStringView(format).mid(i, close - i);
            i = close;
            continue;
        }
        if (c != QLatin1Char('t')) {
            result += c;
            ++i;
            continue;
        }
        while (i < format.size() && format[i] == QLatin1Char('t'))
            ++i;
        while (!result.isEmpty() && separator(result.back()))
            result.chop(1);
        while (i < format.size() && (format[i] == QLatin1Char(')') || format[i] == QLatin1Char(']')))
            ++i;
        if (result.isEmpty())
            while (i < format.size() && format[i].isSpace())
                ++i;
    }
    return result.trimmed();
}

InspectorRows InspectorRowsOf(const InspectorSample& s, const QLocale& locale)
{
    const QString point = locale.decimalPoint();
    const uint64_t u64 = LittleEndian(s, 8);
    const auto u32 = static_cast<uint32_t>(u64);
    const auto u16 = static_cast<uint16_t>(u64);
    const uint8_t u8 = s[0];

    return {{
        {"bin8", Bin8(u8)},
        {"int8", QString::number(static_cast<int8_t>(u8))},
        {"uint8", QString::number(u8)},
        {"int16", QString::number(static_cast<int16_t>(u16))},
        {"uint16", QString::number(u16)},
        {"int32", QString::number(static_cast<int32_t>(u32))},
        {"uint32", QString::number(u32)},
        {"int64", QString::number(static_cast<qint64>(u64))},
        {"uint64", QString::number(static_cast<quint64>(u64))},
        {"float", Guarded([&] { return SingleText(u32, point); })},
        {"double", Guarded([&] { return DoubleText(u64, point); })},
        {"time_t", CTimeText(static_cast<int32_t>(u32))},
        {"DateTime", Guarded([&] { return DateTimeText(std::bit_cast<double>(u64), locale); })},
        {"File Date", Guarded([&] { return FileDateText(u32, locale); })},
        {"RGB 5:5:5", Colour((u16 >> 10) & 0x1F, (u16 >> 5) & 0x1F, u16 & 0x1F)},
        {"RGB 5:6:5", Colour((u16 >> 11) & 0x1F, (u16 >> 5) & 0x3F, u16 & 0x1F)},
        {"RGB24", Colour(s[2], s[1], s[0])},
        {"RGBA", QString::asprintf("R: %u, G: %u, B: %u, A: %u", s[2], s[1], s[0], s[3])},
        {"RGB32", s[3] != 0 ? Invalid : Colour(s[2], s[1], s[0])},
        {"Point16", QString::asprintf("X: %d, Y: %d", static_cast<int16_t>(u16),
                                      static_cast<int16_t>(u32 >> 16))},
        {"Point32", QString::asprintf("X: %d, Y: %d", static_cast<int32_t>(u32),
                                      static_cast<int32_t>(u64 >> 32))},
    }};
}

} // namespace page
