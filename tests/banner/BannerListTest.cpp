#include "banner/BannerList.h"
#include "banner/Cryptapi.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

using namespace banner;

namespace {

const std::string delimiter = StartDelimiter();
const std::string endMarker = EndMarker();

// A text of the given length made of filler, with the given texts written at their positions.
std::string TextWith(std::size_t length, const std::vector<std::pair<std::size_t, std::string>>& placed)
{
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
        text += static_cast<char>('a' + i % 26);
    for (const auto& [at, what] : placed)
        text.replace(at, what.size(), what);
    return text;
}

struct ParseCase {
    const char* name;
    std::string text;
    std::vector<std::pair<std::size_t, std::size_t>> items; // [from, to) of each expected item
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseBannerListTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseBannerListTest, CutsItemsAtDelimiters)
{
    const ParseCase& c = GetParam();
    std::vector<std::string> expected;
    for (const auto& [from, to] : c.items)
        expected.push_back(c.text.substr(from, to - from));
    EXPECT_EQ(ParseBannerList(c.text, delimiter, endMarker), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ParseBannerListTest,
    ::testing::Values(
        ParseCase{"DelimitersAt10And100And300", TextWith(400, {{10, delimiter}, {100, delimiter}, {300, delimiter}}),
                  {{10, 100}, {100, 300}, {300, 400}}},
        ParseCase{"EndMarkerAtTheSecondDelimiter",
                  TextWith(400, {{10, delimiter}, {100, endMarker}, {300, delimiter}}), {{10, 100}}},
        ParseCase{"EndMarkerAtTheFirstDelimiter", TextWith(400, {{10, endMarker}, {100, delimiter}}), {}},
        ParseCase{"NoDelimiter", TextWith(400, {}), {}},
        ParseCase{"EmptyText", "", {}},
        ParseCase{"DelimiterAtTheStart", TextWith(50, {{0, delimiter}, {20, delimiter}}), {{0, 20}, {20, 50}}},
        ParseCase{"DelimiterAloneAtTheEnd", TextWith(30, {{10, delimiter}, {22, delimiter}}), {{10, 22}, {22, 30}}},
        ParseCase{"EndMarkerCutShortByTheEndIsAnItem",
                  TextWith(30, {{10, delimiter}}) + endMarker.substr(0, 10), {{10, 30}, {30, 40}}},
        ParseCase{"AdjacentDelimiters", TextWith(26, {{2, delimiter}, {10, delimiter}}), {{2, 10}, {10, 26}}}),
    [](const ::testing::TestParamInfo<ParseCase>& p) { return std::string(p.param.name); });

struct LinesCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

void PrintTo(const LinesCase& c, std::ostream* os) { *os << c.name; }

class SplitLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(SplitLinesTest, BreaksAtCrLfAndCrLf)
{
    const LinesCase& c = GetParam();
    const std::vector<std::string_view> got = SplitLines(c.text);
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.end()), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitLinesTest,
    ::testing::Values(LinesCase{"NoBreak", "abc", {"abc"}}, LinesCase{"Empty", "", {}},
                      LinesCase{"CrLf", "a\r\nb", {"a", "b"}}, LinesCase{"LoneCr", "a\rb", {"a", "b"}},
                      LinesCase{"LoneLf", "a\nb", {"a", "b"}},
                      LinesCase{"LfThenCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
                      LinesCase{"BreakAtTheEndAddsNoLine", "a\r\n", {"a"}},
                      LinesCase{"TwoBreaksAtTheEndAddOneEmptyLine", "a\n\n", {"a", ""}},
                      LinesCase{"OnlyABreak", "\r\n", {""}},
                      LinesCase{"MixedBreaks", "a\rb\nc\r\nd", {"a", "b", "c", "d"}}),
    [](const ::testing::TestParamInfo<LinesCase>& p) { return std::string(p.param.name); });

TEST(BuildItemPage, WrapsTheItemLinesInHeadAndTailEachEndedByCrLf)
{
    EXPECT_EQ(BuildItemPage("<!--i--><b>x</b>\nsecond\r\n", "<html><body>", "</body></html>"),
              "<html><body>\r\n<!--i--><b>x</b>\r\nsecond\r\n</body></html>\r\n");
    EXPECT_EQ(BuildItemPage("", "H", "T"), "H\r\nT\r\n");
    // Bytes above 0x7F and NULs pass through untouched.
    EXPECT_EQ(BuildItemPage(std::string("\xE9\0z", 3), "H", "T"), std::string("H\r\n\xE9\0z\r\nT\r\n", 11));
}

} // namespace
