// The find dialog's two fields: hex text to characters and back.

#include "search/PatternText.h"
#include "page/PageView.h"
#include "util/TextRules.h"

#include <gtest/gtest.h>

#include <string>

using namespace search;

struct HexCase {
    const char* name;
    const char16_t* hex;
    bool valid;
    const char16_t* text;
};

void PrintTo(const HexCase& c, std::ostream* os) { *os << c.name; }

class HexFollowing : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexFollowing, JudgesAndShowsTheCharacters)
{
    const HexCase& c = GetParam();
    const HexFollow f = FollowHexText(QString::fromUtf16(c.hex));
    EXPECT_EQ(f.valid, c.valid);
    EXPECT_EQ(f.text, QString::fromUtf16(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Edits, HexFollowing,
    ::testing::Values(
        HexCase{"SpacedBytes", u"41 42 43", true, u"ABC"},
        HexCase{"OneDigitIsNotPrintable", u"4", true, u"."},
        HexCase{"ThreeDigitsPadTheFront", u"41 0", true, u".."},
        HexCase{"ZeroByteShowsDot", u"41 00 42", true, u"A.B"},
        HexCase{"E9IsPrintableAsThePageDrawsIt", u"E9", true, u"\u0398"},
        HexCase{"B5IsNot", u"B5", true, u"."},
        HexCase{"PrefixRejected", u"0x41", false, u""},
        HexCase{"CommaRejected", u"41,42", false, u""},
        HexCase{"SpacesOnlyRejected", u"   ", false, u""},
        HexCase{"NonLatin1Rejected", u"41\u0141", false, u""},
        HexCase{"EmptyIsValid", u"", true, u""}),
    [](const ::testing::TestParamInfo<HexCase>& p) { return std::string(p.param.name); });

struct TextCase {
    const char* name;
    const char16_t* text;
    bool valid;
    const char16_t* hex;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class TextFollowing : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextFollowing, WritesUpperCaseHex)
{
    const TextCase& c = GetParam();
    const TextFollow f = FollowText(QString::fromUtf16(c.text));
    EXPECT_EQ(f.valid, c.valid);
    EXPECT_EQ(f.hex, QString::fromUtf16(c.hex));
}

INSTANTIATE_TEST_SUITE_P(
    Edits, TextFollowing,
    ::testing::Values(
        TextCase{"UpperCase", u"ABC", true, u"414243"},
        TextCase{"LowerCase", u"abc", true, u"616263"},
        TextCase{"DotOfAHiddenByteIs2E", u"A.BC", true, u"412E4243"},
        TextCase{"LettersOfThePagesCharacterSet", u"\u00E9\u00FF\u03B1", true, u"8298E0"},
        TextCase{"ControlCharacterIsNoByte", u"\t", false, u""},
        TextCase{"CharacterThePageNeverShowsIsNoByte", u"A\u2591", false, u""},
        TextCase{"Empty", u"", true, u""},
        TextCase{"AboveLatin1IsNoByte", u"A\u20AC", false, u""}),
    [](const ::testing::TestParamInfo<TextCase>& p) { return std::string(p.param.name); });

TEST(PatternText, KeepsByteCodesAndSpoilsNonBytes)
{
    EXPECT_EQ(PatternText(QStringLiteral("41 e9")), "41 e9");
    EXPECT_EQ(PatternText(QString::fromUtf16(u"\u00E9")), "\xE9");
    EXPECT_EQ(PatternText(QString::fromUtf16(u"4\u0661")), "4?");
}

// Every byte, entered as hex, shows in the text field as the page's TEXT column draws
// it, and that text gives the byte back ("." gives 2E for a byte the page shows as ".").
class CharacterSet : public ::testing::TestWithParam<int> {};

TEST_P(CharacterSet, TextFieldAndPageAgreeBothWays)
{
    const auto byte = static_cast<uint8_t>(GetParam());
    const QString hex = QString::asprintf("%02X", byte);
    const page::CellText cell = page::ByteText(byte, false);
    const QChar onPage(page::GlyphOf(static_cast<uint8_t>(cell.chars[0])));

    const HexFollow shown = FollowHexText(hex);
    ASSERT_TRUE(shown.valid);
    EXPECT_EQ(shown.text, QString(onPage));
    const TextFollow back = FollowText(shown.text);
    EXPECT_TRUE(back.valid);
    EXPECT_EQ(back.hex, IsPrintable(byte) ? hex : QStringLiteral("2E"));
}

INSTANTIATE_TEST_SUITE_P(EveryByte, CharacterSet, ::testing::Range(0, 256),
                         [](const ::testing::TestParamInfo<int>& p) { return "Byte" + QString::asprintf("%02X", p.param).toStdString(); });
