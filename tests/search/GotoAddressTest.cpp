// The goto dialog's number texts: parsing, writing and judging.

#include "search/GotoAddress.h"

#include <gtest/gtest.h>

#include <string>

using namespace search;

struct ParseCase {
    const char* name;
    const char16_t* text;
    int64_t hex;
    int64_t dec;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class AddressParsers : public ::testing::TestWithParam<ParseCase> {};

TEST_P(AddressParsers, GiveTheValue)
{
    const ParseCase& c = GetParam();
    const QString text = QString::fromUtf16(c.text);
    EXPECT_EQ(ParseHexAddress(text), c.hex);
    EXPECT_EQ(ParseDecAddress(text), c.dec);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AddressParsers,
    ::testing::Values(
        ParseCase{"Empty", u"", 0, 0},
        ParseCase{"SpacesOnly", u"   ", 0, 0},
        ParseCase{"Digits", u"255", 0x255, 255},
        ParseCase{"SpacesSkippedAnywhere", u" 1 0 ", 16, 10},
        ParseCase{"LeadingZeros", u"0010", 16, 10},
        ParseCase{"LowerCaseHex", u"ff", 255, -1},
        ParseCase{"UpperCaseHex", u"1F", 31, -1},
        ParseCase{"Prefix", u"0x10", -1, -1},
        ParseCase{"Sign", u"-5", -1, -1},
        ParseCase{"Separator", u"1,000", -1, -1},
        ParseCase{"Tab", u"1\t0", -1, -1},
        ParseCase{"FullWidthDigit", u"\uFF11", -1, -1},
        ParseCase{"LargestHexOffset", u"7FFFFFFFFFFFFFFF", INT64_MAX, -1},
        ParseCase{"SignBitSetIsRejected", u"8000000000000000", -1, 8000000000000000},
        ParseCase{"SeventeenHexDigitsDoNotWrap", u"10000000000000000", -1, 10000000000000000},
        ParseCase{"LargestDecOffset", u"9223372036854775807", -1, INT64_MAX},
        ParseCase{"OnePastTheLargestDec", u"9223372036854775808", -1, -1},
        ParseCase{"TwentyDigitsDoNotWrap", u"18446744073709551617", -1, -1},
        ParseCase{"ManyLeadingZerosFit", u"000000000000000000000000001", 1, 1}),
    [](const ::testing::TestParamInfo<ParseCase>& p) { return std::string(p.param.name); });

TEST(AddressTexts, AreDigitsOnlyAndZeroForRejected)
{
    EXPECT_EQ(HexAddressText(0), "0");
    EXPECT_EQ(HexAddressText(255), "FF");
    EXPECT_EQ(HexAddressText(INT64_MAX), "7FFFFFFFFFFFFFFF");
    EXPECT_EQ(HexAddressText(-1), "0");
    EXPECT_EQ(DecAddressText(0), "0");
    EXPECT_EQ(DecAddressText(4096), "4096");
    EXPECT_EQ(DecAddressText(INT64_MAX), "9223372036854775807");
    EXPECT_EQ(DecAddressText(-1), "0");
}

// One edited field: whether OK is enabled and what the other field shows.
struct FollowCase {
    const char* name;
    bool hexField;
    const char16_t* text;
    int64_t maxAddress;
    bool acceptable;
    const char16_t* other;
};

void PrintTo(const FollowCase& c, std::ostream* os) { *os << c.name; }

class AddressFollowing : public ::testing::TestWithParam<FollowCase> {};

TEST_P(AddressFollowing, JudgesAndWritesTheOtherField)
{
    const FollowCase& c = GetParam();
    const QString text = QString::fromUtf16(c.text);
    const AddressFollow f = c.hexField ? FollowHexAddress(text, c.maxAddress) : FollowDecAddress(text, c.maxAddress);
    EXPECT_EQ(f.acceptable, c.acceptable);
    EXPECT_EQ(f.other, QString::fromUtf16(c.other));
}

INSTANTIATE_TEST_SUITE_P(
    Edits, AddressFollowing,
    ::testing::Values(
        FollowCase{"Hex1FShowsDec31", true, u"1F", 4095, true, u"31"},
        FollowCase{"Dec255ShowsHexFF", false, u"255", 4095, true, u"FF"},
        FollowCase{"LowerHexShowsDec", true, u"ff", 4095, true, u"255"},
        FollowCase{"HexWithSpace", true, u"1 0", 4095, true, u"16"},
        FollowCase{"HexLeadingZeros", true, u"0010", 4095, true, u"16"},
        FollowCase{"HexPrefixRejected", true, u"0x10", 4095, false, u"0"},
        FollowCase{"DecSignRejected", false, u"-5", 4095, false, u"0"},
        FollowCase{"DecSeparatorRejected", false, u"1,000", 4095, false, u"0"},
        FollowCase{"EmptyHexIsAddressZero", true, u"", 0, true, u"0"},
        FollowCase{"LastByteAccepted", true, u"FFF", 4095, true, u"4095"},
        FollowCase{"PastTheEndStillWritten", true, u"1000", 4095, false, u"4096"},
        FollowCase{"DecPastTheEnd", false, u"4096", 4095, false, u"1000"},
        FollowCase{"SignBitRejected", true, u"8000000000000000", INT64_MAX, false, u"0"},
        FollowCase{"TooLargeDecRejected", false, u"99999999999999999999", INT64_MAX, false, u"0"},
        FollowCase{"LargestOffsetOnAHugeFile", true, u"7fffffffffffffff", INT64_MAX, true, u"9223372036854775807"}),
    [](const ::testing::TestParamInfo<FollowCase>& p) { return std::string(p.param.name); });

TEST(KeptAddress, IsJudgedAgainForANewFile)
{
    // Typed on a large file, shown again for a smaller and a larger one.
    EXPECT_FALSE(KeptAddressAcceptable(u"1000", u"4096", 4095));
    EXPECT_TRUE(KeptAddressAcceptable(u"1000", u"4096", 4096));
    // A rejected decimal text leaves "0" in the hex field; it stays rejected.
    EXPECT_FALSE(KeptAddressAcceptable(u"0", u"-5", 4095));
    EXPECT_FALSE(KeptAddressAcceptable(u"0x10", u"0", 4095));
    EXPECT_TRUE(KeptAddressAcceptable(u"", u"", 0));
}
