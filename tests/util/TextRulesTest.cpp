#include "util/TextRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(IsPrintable, ShowsOnlyTheThreeRangesAsCharacters)
{
    for (int c = 0; c < 256; ++c) {
        const bool expected = (c >= 0x20 && c <= 0x7E) || (c >= 0x80 && c <= 0xAF) || (c >= 0xE0 && c <= 0xFE);
        EXPECT_EQ(IsPrintable(static_cast<uint8_t>(c)), expected) << "byte " << c;
    }
    for (int c : {0x1F, 0x7F, 0xB0, 0xDF, 0xFF})
        EXPECT_FALSE(IsPrintable(static_cast<uint8_t>(c))) << c;
    for (int c : {0x20, 0x7E, 0x80, 0xAF, 0xE0, 0xFE})
        EXPECT_TRUE(IsPrintable(static_cast<uint8_t>(c))) << c;
}

TEST(HexDigitValue, ValuesDigitsOfEitherCaseAndRejectsTheRest)
{
    const std::vector<std::pair<char, int>> cases = {
        {'0', 0}, {'9', 9}, {'A', 10}, {'a', 10}, {'F', 15}, {'f', 15},
        {'G', -1}, {'g', -1}, {'x', -1}, {' ', -1}, {'/', -1}, {':', -1}, {'@', -1}, {'`', -1},
        {static_cast<char>(0xE9), -1}, {static_cast<char>(0x80), -1}, {'\0', -1},
    };
    for (const auto& [c, v] : cases)
        EXPECT_EQ(HexDigitValue(c), v) << "character code " << static_cast<int>(static_cast<unsigned char>(c));
}

struct HexTextCase {
    const char* name;
    std::string text;
    std::vector<uint8_t> bytes;
};

void PrintTo(const HexTextCase& c, std::ostream* os) { *os << c.name; }

class HexTextToBytesTest : public ::testing::TestWithParam<HexTextCase> {};

TEST_P(HexTextToBytesTest, GivesTheBytes)
{
    EXPECT_EQ(HexTextToBytes(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, HexTextToBytesTest,
    ::testing::Values(
        HexTextCase{"SpacedPairs", "41 42", {0x41, 0x42}},
        HexTextCase{"SpaceInsideAByte", "4 142", {0x41, 0x42}},
        HexTextCase{"OddCountPadsTheFront", "A1 b2 3", {0x0A, 0x1B, 0x23}},
        HexTextCase{"SingleDigit", "F", {0x0F}},
        HexTextCase{"Empty", "", {}},
        HexTextCase{"SpacesOnly", "   ", {}},
        HexTextCase{"BadDigitRejectsAll", "41 4G", {}},
        HexTextCase{"PrefixRejected", "0x41", {}},
        HexTextCase{"CommaRejected", "41,42", {}},
        HexTextCase{"TabRejected", "41\t42", {}},
        HexTextCase{"LeadingAndTrailingSpaces", "  ff 00  ", {0xFF, 0x00}},
        HexTextCase{"HighCharacterRejected", std::string("41\xE9"), {}},
        HexTextCase{"ThreeDigits", "41 0", {0x04, 0x10}}),
    [](const ::testing::TestParamInfo<HexTextCase>& p) { return std::string(p.param.name); });

TEST(HexTextToBytes, HasNoLengthLimit)
{
    const std::string text(200000, 'a');
    const auto bytes = HexTextToBytes(text);
    ASSERT_EQ(bytes.size(), 100000u);
    EXPECT_EQ(bytes.front(), 0xAA);
    EXPECT_EQ(bytes.back(), 0xAA);
}
