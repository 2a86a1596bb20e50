#include "page/Inspector.h"
#include "util/Error.h"

#include "ZoneScope.h"

#include <QDate>
#include <QLocale>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

template <class T>
Bytes BytesOf(T value)
{
    Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

// A file of the given bytes: reading at or past its end fails as ReadByte does.
auto ReaderOf(const Bytes& bytes)
{
    return [&bytes](int64_t offset) -> uint8_t {
        if (offset >= static_cast<int64_t>(bytes.size()))
            throw util::Error("assertion failure");
        return bytes[static_cast<size_t>(offset)];
    };
}

std::string RowText(const page::InspectorRows& rows, const std::string& name)
{
    for (const auto& row : rows)
        if (name == row.name)
            return row.text.toStdString();
    return "<no row " + name + ">";
}

// Fixes the locale (read back through QLocale()) and the zone for one test.
class InspectorFixture : public ::testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(saved); }

    page::InspectorRows RowsAt(const Bytes& file, int64_t address, const char* locale = "en_US")
    {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        return page::InspectorRowsOf(page::TakeInspectorSample(ReaderOf(file), address), QLocale());
    }

    QLocale saved;
    ZoneScope utc{"UTC0"};
};

struct RowCase {
    const char* name;
    Bytes bytes; // the file; the cursor is on its first byte
    std::vector<std::pair<std::string, std::string>> rows;
    const char* locale = "en_US";
};

void PrintTo(const RowCase& c, std::ostream* os) { *os << c.name; }

class InspectorRowTest : public InspectorFixture, public ::testing::WithParamInterface<RowCase> {};

TEST_P(InspectorRowTest, ReadsTheBytesAtTheCursor)
{
    const RowCase& c = GetParam();
    const page::InspectorRows rows = RowsAt(c.bytes, 0, c.locale);
    for (const auto& [name, text] : c.rows)
        EXPECT_EQ(RowText(rows, name), text) << "row " << name;
}

const Bytes EightFF(8, 0xFF);

const RowCase RowCases[] = {
    {"LastByteFF", {0xFF},
     {{"bin8", "11111111"}, {"uint8", "255"}, {"int8", "-1"}, {"uint16", "255"}, {"int16", "255"},
      {"uint32", "255"}, {"int32", "255"}, {"uint64", "255"}, {"int64", "255"},
      {"RGB32", "R: 0, G: 0, B: 255"}}},
    {"EightZeros", Bytes(8, 0),
     {{"bin8", "00000000"}, {"int8", "0"}, {"uint8", "0"}, {"int16", "0"}, {"uint16", "0"},
      {"int32", "0"}, {"uint32", "0"}, {"int64", "0"}, {"uint64", "0"}, {"float", "0"},
      {"double", "0"}, {"time_t", "Thu Jan 01 00:00:00 1970\n"}, {"DateTime", "12/30/1899"},
      {"File Date", "invalid"}, {"RGB 5:5:5", "R: 0, G: 0, B: 0"}, {"RGB 5:6:5", "R: 0, G: 0, B: 0"},
      {"RGB24", "R: 0, G: 0, B: 0"}, {"RGBA", "R: 0, G: 0, B: 0, A: 0"}, {"RGB32", "R: 0, G: 0, B: 0"},
      {"Point16", "X: 0, Y: 0"}, {"Point32", "X: 0, Y: 0"}}},
    {"EightFF", EightFF,
     {{"int16", "-1"}, {"uint16", "65535"}, {"int32", "-1"}, {"uint32", "4294967295"},
      {"int64", "-1"}, {"uint64", "18446744073709551615"}, {"float", "-NAN"}, {"double", "-NAN"},
      {"time_t", ""}, {"DateTime", "invalid"}, {"File Date", "invalid"}}},
    {"SmallestInt64", {0, 0, 0, 0, 0, 0, 0, 0x80},
     {{"int64", "-9223372036854775808"}, {"uint64", "9223372036854775808"}, {"double", "-0"},
      {"Point32", "X: 0, Y: -2147483648"}}},
    {"Bin8HighBitFirst", {0xA5}, {{"bin8", "10100101"}, {"int8", "-91"}, {"uint8", "165"}}},
    {"LittleEndianIntegers", {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88},
     {{"int16", "513"}, {"uint32", "67305985"}, {"int64", "-8644934341102468607"},
      {"uint64", "9801809732607083009"}}},

    {"FloatInfinity", {0x00, 0x00, 0x80, 0x7F}, {{"float", "INF"}}},
    {"FloatNegativeInfinity", {0x00, 0x00, 0x80, 0xFF}, {{"float", "-INF"}}},
    {"FloatQuietNan", {0x00, 0x00, 0xC0, 0x7F}, {{"float", "NAN"}}},
    {"FloatNegativeQuietNan", {0x00, 0x00, 0xC0, 0xFF}, {{"float", "-NAN"}}},
    {"FloatSignallingNan", {0x01, 0x00, 0x80, 0x7F},
     {{"float", "invalid"}, {"double", "1.05685337294747E-314"}, {"int32", "2139095041"}}},
    {"FloatNegativeSignallingNan", {0xFF, 0xFF, 0xBF, 0xFF}, {{"float", "invalid"}}},
    {"FloatTenthWidened", {0xCD, 0xCC, 0xCC, 0x3D}, {{"float", "0.100000001490116"}}},
    {"FloatTenthDecimalComma", {0xCD, 0xCC, 0xCC, 0x3D}, {{"float", "0,100000001490116"}}, "de_DE"},
    {"FloatNegativeZero", BytesOf(-0.0f), {{"float", "-0"}}},
    {"FloatLargest", BytesOf(std::numeric_limits<float>::max()), {{"float", "3.40282346638529E38"}}},
    {"FloatSmallestDenormal", BytesOf(std::numeric_limits<float>::denorm_min()),
     {{"float", "1.40129846432482E-45"}}},

    {"DoubleInfinity", BytesOf(std::numeric_limits<double>::infinity()),
     {{"double", "INF"}, {"DateTime", "invalid"}}},
    {"DoubleNegativeInfinity", BytesOf(-std::numeric_limits<double>::infinity()),
     {{"double", "-INF"}, {"DateTime", "invalid"}}},
    {"DoubleQuietNan", {0, 0, 0, 0, 0, 0, 0xF8, 0x7F}, {{"double", "NAN"}, {"DateTime", "invalid"}}},
    {"DoubleNegativeQuietNan", {0, 0, 0, 0, 0, 0, 0xF8, 0xFF}, {{"double", "-NAN"}}},
    {"DoubleSignallingNan", {1, 0, 0, 0, 0, 0, 0xF0, 0x7F},
     {{"double", "invalid"}, {"DateTime", "invalid"}, {"float", "1.40129846432482E-45"}}},
    {"DoubleLargestSignallingNan", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF7, 0xFF},
     {{"double", "invalid"}, {"float", "-NAN"}}},
    {"DoubleTenth", BytesOf(0.1), {{"double", "0.1"}}},
    {"DoubleThirdRounded", BytesOf(1.0 / 3), {{"double", "0.333333333333333"}}},
    {"DoubleTwoThirdsRoundedUp", BytesOf(2.0 / 3), {{"double", "0.666666666666667"}}},
    {"DoubleNegative", BytesOf(-2.5), {{"double", "-2.5"}}},
    {"DoubleNegativeDecimalComma", BytesOf(-12345.678), {{"double", "-12345,678"}}, "de_DE"},
    {"DoubleWholeNumber", BytesOf(100.0), {{"double", "100"}}},
    {"DoubleFixedAtExponentMinus3", BytesOf(0.0001), {{"double", "0.0001"}}},
    {"DoubleFixedSmallManyDigits", BytesOf(1.23456789012345678e-4), {{"double", "0.000123456789012346"}}},
    {"DoubleScientificBelow", BytesOf(0.00001), {{"double", "1E-5"}}},
    {"DoubleScientificBelowWithDigits", BytesOf(1.5e-5), {{"double", "1.5E-5"}}},
    {"DoubleScientificDecimalComma", BytesOf(1.5e-5), {{"double", "1,5E-5"}}, "de_DE"},
    {"DoubleFixedFifteenDigits", BytesOf(123456789012345.0), {{"double", "123456789012345"}}},
    {"DoubleFixedBeyondFifteenDigits", BytesOf(999999999999999.0), {{"double", "999999999999999"}}},
    {"DoubleScientificAbove", BytesOf(1e15), {{"double", "1E15"}}},
    {"DoubleRoundsUpToScientific", BytesOf(999999999999999.9), {{"double", "1E15"}}},
    {"DoubleRoundsUpToFixed", BytesOf(9.999999999999996e-5), {{"double", "0.0001"}}},
    {"DoubleTwenty", BytesOf(1e20), {{"double", "1E20"}}},
    {"DoubleLargest", BytesOf(std::numeric_limits<double>::max()), {{"double", "1.79769313486232E308"}}},
    {"DoubleSmallestDenormal", BytesOf(std::numeric_limits<double>::denorm_min()),
     {{"double", "4.94065645841247E-324"}}},

    {"TimeTLargest", {0xFF, 0xFF, 0xFF, 0x7F}, {{"time_t", "Tue Jan 19 03:14:07 2038\n"}}},
    {"TimeTDayWithLeadingZero", {0x80, 0x43, 0x6D, 0x38}, {{"time_t", "Sat Jan 01 00:00:00 2000\n"}}},
    {"TimeTBeforeEpoch", {0xFF, 0xFF, 0xFF, 0xFF}, {{"time_t", ""}}},
    {"TimeTSmallest", {0x00, 0x00, 0x00, 0x80}, {{"time_t", ""}}},

    {"DateTimeNoon", BytesOf(1.5), {{"DateTime", "12/31/1899 12:00:00 PM"}}},
    {"DateTimeNoonGerman", BytesOf(1.5), {{"DateTime", "31.12.1899 12:00:00"}}, "de_DE"},
    {"DateTimeNoonC", BytesOf(1.5), {{"DateTime", "31 Dec 1899 12:00:00"}}, "C"},
    {"DateTimeEvening", BytesOf(45000.75), {{"DateTime", "3/15/2023 6:00:00 PM"}}},
    {"DateTimeNegativeFractionIsTimeOfDay", BytesOf(-1.25), {{"DateTime", "12/29/1899 6:00:00 AM"}}},
    {"DateTimeMillisecondsAlone", BytesOf(1e-8), {{"DateTime", "12/30/1899"}}},
    {"DateTimeSecondsTruncated", BytesOf(0.99999), {{"DateTime", "12/30/1899 11:59:59 PM"}}},
    {"DateTimeRoundsToNextDay", BytesOf(0.999999999), {{"DateTime", "12/31/1899"}}},
    {"DateTimeLastDay", BytesOf(2958465.0), {{"DateTime", "12/31/9999"}}},
    {"DateTimeFirstDay", BytesOf(-693593.0), {{"DateTime", "1/1/0001"}}},
    {"DateTimeAfterYear9999", BytesOf(2958466.0), {{"DateTime", "invalid"}}},
    {"DateTimeBeforeYear1", BytesOf(-693594.0), {{"DateTime", "invalid"}}},
    {"DateTimeJustBelowLimit", BytesOf(4294967295.0), {{"DateTime", "invalid"}}},
    {"DateTimeAtLimit", BytesOf(4294967296.0), {{"DateTime", "invalid"}}},
    {"DateTimeAtNegativeLimit", BytesOf(-4294967296.0), {{"DateTime", "invalid"}}},

    {"FileDateMidnightShowsDateAlone", {0x00, 0x00, 0x21, 0x00}, {{"File Date", "1/1/1980"}}},
    {"FileDateSixtyTwoSeconds", {0x1F, 0x00, 0x21, 0x00}, {{"File Date", "invalid"}}},
    {"FileDateLeapDay", {0xBD, 0x6D, 0x5D, 0x58}, {{"File Date", "2/29/2024 1:45:58 PM"}}},
    {"FileDateLeapDayGerman", {0xBD, 0x6D, 0x5D, 0x58}, {{"File Date", "29.02.2024 13:45:58"}}, "de_DE"},
    {"FileDateNoLeapDay", {0xBD, 0x6D, 0x5D, 0x56}, {{"File Date", "invalid"}}},
    {"FileDateLastOfAll", {0x7D, 0xBF, 0x9F, 0xFF}, {{"File Date", "12/31/2107 11:59:58 PM"}}},
    {"FileDateDayZero", {0x00, 0x00, 0x20, 0x00}, {{"File Date", "invalid"}}},
    {"FileDateMonth13", {0x00, 0x00, 0xA1, 0x01}, {{"File Date", "invalid"}}},
    {"FileDateApril31", {0x00, 0x00, 0x9F, 0x00}, {{"File Date", "invalid"}}},
    {"FileDateHour24", {0x00, 0xC0, 0x21, 0x00}, {{"File Date", "invalid"}}},
    {"FileDateMinute60", {0x80, 0x07, 0x21, 0x00}, {{"File Date", "invalid"}}},

    {"Colours112233", {0x11, 0x22, 0x33, 0x44},
     {{"RGB24", "R: 51, G: 34, B: 17"}, {"RGBA", "R: 51, G: 34, B: 17, A: 68"}, {"RGB32", "invalid"}}},
    {"Colours16BitAllOnes", {0xFF, 0xFF},
     {{"RGB 5:5:5", "R: 31, G: 31, B: 31"}, {"RGB 5:6:5", "R: 31, G: 63, B: 31"}}},
    {"Colour555IgnoresBit15", {0x00, 0xFC},
     {{"RGB 5:5:5", "R: 31, G: 0, B: 0"}, {"RGB 5:6:5", "R: 31, G: 32, B: 0"}}},
    {"Colours16BitFields", {0x0C, 0x7C},
     {{"RGB 5:5:5", "R: 31, G: 0, B: 12"}, {"RGB 5:6:5", "R: 15, G: 32, B: 12"}}},
    {"Point16Signed", {0xFF, 0xFF, 0x01, 0x00}, {{"Point16", "X: -1, Y: 1"}}},
    {"Point32Signed", {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80},
     {{"Point32", "X: -1, Y: -2147483648"}, {"Point16", "X: -1, Y: -1"}}},
};

INSTANTIATE_TEST_SUITE_P(Rows, InspectorRowTest, ::testing::ValuesIn(RowCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(InspectorFixture, NamesTheRowsInTableOrder)
{
    const char* const names[] = {"bin8", "int8", "uint8", "int16", "uint16", "int32", "uint32",
                                 "int64", "uint64", "float", "double", "time_t", "DateTime",
                                 "File Date", "RGB 5:5:5", "RGB 5:6:5", "RGB24", "RGBA", "RGB32",
                                 "Point16", "Point32"};
    const page::InspectorRows rows = RowsAt(Bytes(8, 0), 0);
    for (int i = 0; i < page::InspectorRowCount; ++i)
        EXPECT_STREQ(rows[static_cast<size_t>(i)].name, names[i]) << "row " << i + 1;
}

// Local time before the epoch leaves time_t empty, whichever side of UTC the zone lies.
struct ZoneCase {
    const char* name;
    const char* zone;
    int32_t seconds;
    const char* text;
};

void PrintTo(const ZoneCase& c, std::ostream* os) { *os << c.name; }

class InspectorZoneTest : public InspectorFixture, public ::testing::WithParamInterface<ZoneCase> {};

TEST_P(InspectorZoneTest, ShowsTimeTInLocalTime)
{
    const ZoneCase& c = GetParam();
    const ZoneScope zone(c.zone);
    EXPECT_EQ(RowText(RowsAt(BytesOf(c.seconds), 0), "time_t"), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, InspectorZoneTest,
    ::testing::Values(ZoneCase{"WestEpochIsEmpty", "EST5", 0, ""},
                      ZoneCase{"WestLastSecondBeforeLocalEpoch", "EST5", 17999, ""},
                      ZoneCase{"WestLocalEpoch", "EST5", 18000, "Thu Jan 01 00:00:00 1970\n"},
                      ZoneCase{"EastEpoch", "CET-1", 0, "Thu Jan 01 01:00:00 1970\n"},
                      ZoneCase{"EastBeforeUtcEpoch", "CET-1", -3600, "Thu Jan 01 00:00:00 1970\n"},
                      ZoneCase{"EastBeforeLocalEpoch", "CET-1", -3601, ""},
                      ZoneCase{"DaylightSaving", "EST5EDT,M3.2.0,M11.1.0", 1625140800,
                               "Thu Jul 01 08:00:00 2021\n"},
                      ZoneCase{"StandardTime", "EST5EDT,M3.2.0,M11.1.0", 1609502400,
                               "Fri Jan 01 07:00:00 2021\n"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ZoneScope, PutsTheZoneBack)
{
    const ZoneScope utc("UTC0");
    {
        const ZoneScope west("EST5");
        EXPECT_EQ(page::CTimeText(0).toStdString(), "");
    }
    EXPECT_EQ(page::CTimeText(0).toStdString(), "Thu Jan 01 00:00:00 1970\n");
}

TEST_F(InspectorFixture, NearTheEndOfTheFileTheMissingHighBytesReadAsZero)
{
    const Bytes file = {0x10, 0x20, 0x30, 0xFF, 0xFE, 0xFD};
    const page::InspectorRows rows = RowsAt(file, 3);
    EXPECT_EQ(RowText(rows, "uint32"), "16645887"); // 00 FD FE FF
    EXPECT_EQ(RowText(rows, "uint64"), "16645887");
    EXPECT_EQ(RowText(rows, "RGBA"), "R: 253, G: 254, B: 255, A: 0");
    EXPECT_EQ(RowText(rows, "RGB32"), "R: 253, G: 254, B: 255");
    EXPECT_EQ(RowText(rows, "Point32"), "X: 16645887, Y: 0");
}

TEST(InspectorSample, StopsAtTheFirstFailedRead)
{
    const Bytes file(16, 0xAB);
    const std::vector<std::pair<int64_t, page::InspectorSample>> cases = {
        {0, {0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB}},
        {8, {0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB}},
        {13, {0xAB, 0xAB, 0xAB, 0, 0, 0, 0, 0}},
        {15, {0xAB, 0, 0, 0, 0, 0, 0, 0}},
        {16, {}},
        {1000, {}},
    };
    for (const auto& [address, expected] : cases)
        EXPECT_EQ(page::TakeInspectorSample(ReaderOf(file), address), expected) << "address " << address;
}

TEST(InspectorSample, AFailureInTheMiddleEndsTheSampleEvenIfLaterBytesCouldBeRead)
{
    std::vector<int64_t> asked;
    const auto reader = [&asked](int64_t offset) -> uint8_t {
        asked.push_back(offset);
        if (offset == 102)
            throw util::Error("file read error");
        return static_cast<uint8_t>(offset);
    };
    EXPECT_EQ(page::TakeInspectorSample(reader, 100), (page::InspectorSample{100, 101, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(asked, (std::vector<int64_t>{100, 101, 102}));
}

TEST(InspectorSample, NeverAsksBeyondTheLargestOffset)
{
    std::vector<int64_t> asked;
    const auto reader = [&asked](int64_t offset) -> uint8_t {
        asked.push_back(offset);
        return 0x5A;
    };
    const int64_t last = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(page::TakeInspectorSample(reader, last - 2), (page::InspectorSample{0x5A, 0x5A, 0x5A, 0, 0, 0, 0, 0}));
    EXPECT_EQ(asked, (std::vector<int64_t>{last - 2, last - 1, last}));
}

// The widened date and the zone-free time, for locales whose formats differ in shape.
struct FormatCase {
    const char* locale;
    const char* date;
    const char* time;
};

TEST(InspectorFormats, WidenTheYearAndDropTheZone)
{
    const FormatCase cases[] = {
        {"C", "d MMM yyyy", "HH:mm:ss"},
        {"en_US", "M/d/yyyy", "h:mm:ss AP"},
        {"de_DE", "dd.MM.yyyy", "HH:mm:ss"},
        {"ko_KR", "yyyy. M. d.", "AP h시 m분 s초"},
        {"bg_BG", "d.MM.yyyy 'г'.", "H:mm:ss 'ч'."},
    };
    for (const auto& c : cases) {
        const QLocale locale(QString::fromLatin1(c.locale));
        EXPECT_EQ(page::InspectorDateFormat(locale).toStdString(), c.date) << c.locale;
        EXPECT_EQ(page::InspectorTimeFormat(locale).toStdString(), c.time) << c.locale;
    }
}

// Every locale's date keeps its full year, and no time shows a zone or the brackets
// and commas that held it.
TEST(InspectorFormats, EveryLocaleKeepsTheCenturyAndShowsNoZone)
{
    const ZoneScope utc("UTC0");
    const QDate date(1899, 12, 30);
    const QTime time(13, 45, 58);
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 100);
    for (const QLocale& locale : locales) {
        const std::string name = locale.name().toStdString();
        const QString dateText = locale.toString(date, page::InspectorDateFormat(locale));
        EXPECT_TRUE(dateText.contains(locale.toString(date, u"yyyy"))) << name << ": " << dateText.toStdString();

        const QString format = page::InspectorTimeFormat(locale);
        const QString timeText = locale.toString(time, format);
        EXPECT_EQ(timeText, timeText.trimmed()) << name;
        for (const char* piece : {"UTC", "GMT", "()", "[]", "( )"})
            EXPECT_FALSE(timeText.contains(QLatin1String(piece))) << name << ": " << timeText.toStdString();
        EXPECT_FALSE(timeText.endsWith(QLatin1Char(','))) << name << ": " << timeText.toStdString();
        EXPECT_TRUE(timeText.contains(locale.toString(time, u"ss"))) << name << ": " << timeText.toStdString();
    }
}

} // namespace
