// Reading the scientific text that the floating-point rows are built from.

#include "page/Inspector.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string Digits(const page::ScientificDigits& d) { return std::string(d.digits, static_cast<size_t>(d.count)); }
} // namespace

// Only the given characters count: an 'e' just past them (a stale byte of the
// buffer) is not the exponent mark.
TEST(ReadScientific, ReadsNothingPastItsText)
{
    const char buffer[] = "1.23450000000000e+05e+999999";
    const page::ScientificDigits d = page::ReadScientific(std::string_view(buffer, 20));
    EXPECT_EQ(Digits(d), "12345");
    EXPECT_EQ(d.exponent, 5);
}

TEST(ReadScientific, TakesDigitsAndExponent)
{
    struct Case {
        const char* text;
        const char* digits;
        int exponent;
    };
    for (const Case& c : {Case{"1.00000000000000e-05", "1", -5}, Case{"0.00000000000000e+00", "0", 0},
                          Case{"9.99999999999999e+307", "999999999999999", 307}, Case{"2.5e+00", "25", 0},
                          Case{"7e-300", "7", -300}, Case{"", "0", 0}}) {
        const page::ScientificDigits d = page::ReadScientific(c.text);
        EXPECT_EQ(Digits(d), c.digits) << c.text;
        EXPECT_EQ(d.exponent, c.exponent) << c.text;
    }
    // More digits than a double has never overrun the digits.
    EXPECT_EQ(page::ReadScientific("1.2345678901234567890123e+01").count, 16);
}
