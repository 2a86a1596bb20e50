// The copy's texts: each format against hand-written texts, the text format against
// the page's character set, Base64 against Qt's encoder, chunked conversion against
// one-shot, and the range rules up to the largest offset.

#include "output/CopyText.h"

#include "page/PageView.h"
#include "support/VirtualLibrary.h"
#include "util/Error.h"
#include "util/TextRules.h"

#include <QByteArray>
#include <QStringList>
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

using output::CopyFormat;
using testing_support::VirtualLibrary;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int64_t Largest = std::numeric_limits<int64_t>::max();

struct FormatCase {
    const char* name;
    CopyFormat format;
    Bytes bytes;
    const char16_t* expected;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class CopyFormats : public testing::TestWithParam<FormatCase> {};

Bytes Counting(int n)
{
    Bytes bytes;
    for (int i = 0; i < n; ++i)
        bytes.push_back(static_cast<uint8_t>(i));
    return bytes;
}

} // namespace

TEST_P(CopyFormats, GiveTheExpectedText)
{
    const FormatCase& c = GetParam();
    const output::CopiedText copied = output::EncodeBytes(c.format, c.bytes);
    EXPECT_EQ(copied.toString(), QString::fromUtf16(c.expected));
    EXPECT_EQ(copied.toString().size(), output::CopyTextLength(c.format, static_cast<int64_t>(c.bytes.size())));
}

INSTANTIATE_TEST_SUITE_P(
    Small, CopyFormats,
    testing::Values(
        FormatCase{"HexPairsOfAnElfStart", CopyFormat::HexPairs, {0x7F, 0x45, 0x4C, 0x46}, u"7F 45 4C 46"},
        FormatCase{"HexPairOfOneByte", CopyFormat::HexPairs, {0x00}, u"00"},
        FormatCase{"HexPairsUpperCase", CopyFormat::HexPairs, {0xAB, 0xFF, 0x0E}, u"AB FF 0E"},
        FormatCase{"CArrayOfAnElfStart", CopyFormat::CArray, {0x7F, 0x45, 0x4C, 0x46}, u"0x7F, 0x45, 0x4C, 0x46"},
        FormatCase{"CArrayOfOneByte", CopyFormat::CArray, {0xFF}, u"0xFF"},
        FormatCase{"CArraySixteenALine", CopyFormat::CArray, Counting(17),
                   u"0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,\n0x10"},
        FormatCase{"TextOfPrintableAscii", CopyFormat::Text, {'E', 'L', 'F', ' ', '~'}, u"ELF ~"},
        FormatCase{"TextShowsControlsAsDots", CopyFormat::Text, {0x7F, 'E', 0x00, 0x0A, 0xFF}, u".E..."},
        FormatCase{"TextOfHighBytes", CopyFormat::Text, {0x80, 0x81, 0xE1}, u"\u00C7\u00FC\u00DF"},
        FormatCase{"Base64OfThree", CopyFormat::Base64, {'M', 'a', 'n'}, u"TWFu"},
        FormatCase{"Base64OfTwo", CopyFormat::Base64, {'M', 'a'}, u"TWE="},
        FormatCase{"Base64OfOne", CopyFormat::Base64, {'M'}, u"TQ=="},
        FormatCase{"Base64OfHighBytes", CopyFormat::Base64, {0xFB, 0xFF}, u"+/8="}),
    [](const testing::TestParamInfo<FormatCase>& p) { return std::string(p.param.name); });

// Every byte goes through the text format as the character column shows it: a
// printable byte as the glyph the page and the find dialog read back as that byte.
TEST(CopyText, AllByteValuesReadAsThePagesCharacters)
{
    const QString text = output::EncodeBytes(CopyFormat::Text, Counting(256)).toString();
    ASSERT_EQ(text.size(), 256);
    for (int b = 0; b < 256; ++b) {
        const char16_t c = text.at(b).unicode();
        if (IsPrintable(static_cast<uint8_t>(b))) {
            EXPECT_EQ(page::ByteOfGlyph(c), b) << "byte " << b;
        } else {
            EXPECT_EQ(c, u'.') << "byte " << b;
        }
        if (b < 0x80) {
            EXPECT_EQ(c, static_cast<char16_t>(page::ByteText(static_cast<uint8_t>(b), false).chars[0])) << b;
        }
    }
}

// Bytes handed over in chunks of any size give the text of one go, at its exact length.
TEST(CopyText, ChunksGiveTheTextOfOneGo)
{
    std::mt19937 random(25);
    Bytes bytes(100);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    for (const CopyFormat format : {CopyFormat::HexPairs, CopyFormat::CArray, CopyFormat::Text, CopyFormat::Base64}) {
        const QString whole = output::EncodeBytes(format, bytes).toString();
        for (const int chunk : {1, 2, 3, 5, 16, 17, 64}) {
            output::CopyEncoder encoder(format, static_cast<int64_t>(bytes.size()));
            for (size_t at = 0; at < bytes.size(); at += static_cast<size_t>(chunk))
                encoder.append(bytes.data() + at, std::min<int64_t>(chunk, static_cast<int64_t>(bytes.size() - at)));
            EXPECT_EQ(encoder.finish().toString(), whole) << "format " << int(format) << ", chunk " << chunk;
        }
    }
}

TEST(CopyText, Base64AgreesWithQtsEncoder)
{
    std::mt19937 random(64);
    for (size_t n = 1; n <= 70; ++n) {
        Bytes bytes(n);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
        const QByteArray qt = QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(n)).toBase64();
        EXPECT_EQ(output::EncodeBytes(CopyFormat::Base64, bytes).ascii, qt) << n << " bytes";
    }
}

// Each line of a C array holds 16 elements, each but the last line ends in a comma.
TEST(CopyText, CArrayLinesHoldSixteenElements)
{
    const QString text = output::EncodeBytes(CopyFormat::CArray, Counting(40)).toString();
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].count(QStringLiteral("0x")), 16);
    EXPECT_EQ(lines[1].count(QStringLiteral("0x")), 16);
    EXPECT_EQ(lines[2], QStringLiteral("0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27"));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("0x0F,")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("0x10, ")));
}

TEST(CopyText, AddressTextIsWhatTheHexFieldTakesBack)
{
    EXPECT_EQ(output::AddressClipText(0), QStringLiteral("0"));
    EXPECT_EQ(output::AddressClipText(0x1F), QStringLiteral("1F"));
    EXPECT_EQ(output::AddressClipText(0xABCDEF0), QStringLiteral("ABCDEF0"));
    EXPECT_EQ(output::AddressClipText(Largest), QStringLiteral("7FFFFFFFFFFFFFFF"));
    for (const int64_t a : {int64_t{0}, int64_t{4095}, int64_t{1} << 40, Largest - 1, Largest})
        EXPECT_EQ(output::ParseHexNumber(output::AddressClipText(a)), a);
}

TEST(CopyText, NumberTextsRejectWhatIsNoOffset)
{
    EXPECT_EQ(output::ParseHexNumber(u""), 0);
    EXPECT_EQ(output::ParseHexNumber(u" 1 0"), 16);
    EXPECT_EQ(output::ParseHexNumber(u"ff"), 255);
    EXPECT_EQ(output::ParseHexNumber(u"7FFFFFFFFFFFFFFF"), Largest);
    EXPECT_EQ(output::ParseHexNumber(u"8000000000000000"), -1);
    EXPECT_EQ(output::ParseHexNumber(u"10000000000000000"), -1);
    EXPECT_EQ(output::ParseHexNumber(u"0x10"), -1);
    EXPECT_EQ(output::ParseHexNumber(u"xyz"), -1);
    EXPECT_EQ(output::ParseDecNumber(u"16777216"), 16777216);
    EXPECT_EQ(output::ParseDecNumber(u"9223372036854775807"), Largest);
    EXPECT_EQ(output::ParseDecNumber(u"9223372036854775808"), -1);
    EXPECT_EQ(output::ParseDecNumber(u"1,000"), -1);
    EXPECT_EQ(output::ParseDecNumber(u"-5"), -1);
    EXPECT_EQ(output::ParseDecNumber(u"1F"), -1);
}

struct RangeCase {
    const char* name;
    int64_t start, count, fileSize, copied;
};
void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }

class CopyRange : public testing::TestWithParam<RangeCase> {};

TEST_P(CopyRange, TakesWhatLiesInTheFile)
{
    const RangeCase& c = GetParam();
    EXPECT_EQ(output::CopiedCount(c.start, c.count, c.fileSize), c.copied);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CopyRange,
    testing::Values(RangeCase{"StartAtZero", 0, 16, 4096, 16},
                    RangeCase{"StartAtTheLastByte", 4095, 16, 4096, 1},
                    RangeCase{"StartAtTheEnd", 4096, 1, 4096, 0},
                    RangeCase{"StartPastTheEnd", 5000, 1, 4096, 0},
                    RangeCase{"NegativeStart", -1, 1, 4096, 0},
                    RangeCase{"CountCutAtTheEnd", 4000, 200, 4096, 96},
                    RangeCase{"CountOne", 10, 1, 4096, 1},
                    RangeCase{"CountZero", 10, 0, 4096, 0},
                    RangeCase{"CountLargest", 0, 16777216, int64_t{1} << 30, 16777216},
                    RangeCase{"CountBeyondTheLargest", 0, 16777217, int64_t{1} << 30, 0},
                    RangeCase{"EmptyFile", 0, 1, 0, 0},
                    RangeCase{"LargestFileAtItsLastByte", Largest - 1, 16777216, Largest, 1},
                    RangeCase{"LargestFileAtItsEnd", Largest, 1, Largest, 0},
                    RangeCase{"LargestFileNearItsEnd", Largest - 100, 16777216, Largest, 100}),
    [](const testing::TestParamInfo<RangeCase>& p) { return std::string(p.param.name); });

namespace {

QString HexOf(const Bytes& bytes) { return output::EncodeBytes(CopyFormat::HexPairs, bytes).toString(); }

} // namespace

// On the virtual file of 2^63-1 bytes: ranges that cross windows and end at the last
// byte read what the file holds, leave the page's window where it was, and write nothing.
TEST(CopyFile, ReadsRangesUpToTheLargestOffsetWithoutMovingTheWindow)
{
    VirtualLibrary v;
    util::File64 file("virtual", v.library());
    (void)file.getByte(12345);
    const util::File64::WindowBytes before = file.window();
    const int64_t window = util::File64::File64Imp::WindowSize;
    struct Range {
        int64_t start, count;
    };
    for (const Range r : {Range{Largest - 1, 1}, Range{Largest - 5, 5}, Range{Largest - 3 * window - 7, 3 * window + 7},
                          Range{100, 1}, Range{window - 3, 2 * window + 10}}) {
        const output::CopiedText copied = output::CopyFileBytes(file, r.start, r.count, CopyFormat::HexPairs);
        EXPECT_EQ(copied.toString(), HexOf(v.bytes(r.start, r.count))) << r.start << " +" << r.count;
        EXPECT_EQ(file.window().start, before.start);
        EXPECT_EQ(file.window().length, before.length);
    }
    EXPECT_EQ(v.writes, 0);
    EXPECT_EQ(v.commits, 0);
}

TEST(CopyFile, AReadFailureOrAShrunkFileRaisesTheReadError)
{
    const int64_t window = util::File64::File64Imp::WindowSize;
    {
        VirtualLibrary v(4 * window);
        util::File64 file("virtual", v.library());
        v.misreport(VirtualLibrary::Fault::ReadFails);
        try {
            output::CopyFileBytes(file, 10, 100, CopyFormat::Base64);
            FAIL() << "no error";
        } catch (const util::Error& e) {
            EXPECT_STREQ(e.what(), "file read error");
        }
    }
    {
        VirtualLibrary v(4 * window);
        util::File64 file("virtual", v.library());
        v.resize(window + 10);
        try {
            output::CopyFileBytes(file, 0, 3 * window, CopyFormat::Text);
            FAIL() << "no error";
        } catch (const util::Error& e) {
            EXPECT_STREQ(e.what(), "file read error");
        }
    }
}
