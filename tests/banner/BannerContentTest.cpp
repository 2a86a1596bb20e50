#include "banner/BannerContent.h"

#include <gtest/gtest.h>

#include <string>

using namespace banner;

namespace {

std::string Repeat(const std::string& unit, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += unit;
    return out;
}

struct JudgeCase {
    const char* name;
    std::string html;
    Refusal refusal;
};

void PrintTo(const JudgeCase& c, std::ostream* os) { *os << c.name; }

class JudgeContentTest : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(JudgeContentTest, RefusesWhatWouldStallTheView)
{
    EXPECT_EQ(JudgeContent(GetParam().html), GetParam().refusal);
}

const ContentCaps& C = ItemCaps;
const std::string Picture = "data:image/png;base64," + Repeat("A0123456789+/", 3000); // digits inside base64

INSTANTIATE_TEST_SUITE_P(
    Items, JudgeContentTest,
    ::testing::Values(
        JudgeCase{"OrdinaryBanner",
                  "<table width=\"100%\" bgcolor=\"#112233\"><tr><td><font size=\"5\" color=\"#a8dadc\">"
                  "Byteloom 2.0</font><br><a href=\"https://x.example/?id=123456789\">Learn more</a></td></tr></table>",
                  Refusal::None},
        JudgeCase{"WholeSizeOverTheCap", std::string(C.bytes + 1, ' '), Refusal::Size},
        JudgeCase{"LaidOutTextOverItsCap", Repeat("word ", C.layoutBytes / 5 + 1), Refusal::Size},
        JudgeCase{"PicturesDoNotCountAsLaidOutText", Repeat("<img src=\"" + Picture + "\">", 1), Refusal::None},
        JudgeCase{"WordAtTheCap", std::string(C.word, 'a') + " b", Refusal::None},
        JudgeCase{"WordOverTheCap", std::string(C.word + 1, 'a'), Refusal::Word},
        JudgeCase{"TagsDoNotBreakAWord", Repeat("aaaaa<b>aaaaa</b>", C.word / 10 + 1), Refusal::Word},
        JudgeCase{"NoBreakSpacesDoNotBreakAWord", Repeat("a&nbsp;", C.word / 7 + 1), Refusal::Word},
        JudgeCase{"DepthAtTheCap", Repeat("<div>", C.depth) + "x", Refusal::None},
        JudgeCase{"DepthOverTheCap", Repeat("<div>", C.depth + 1) + "x", Refusal::Depth},
        JudgeCase{"ClosedElementsFreeTheirDepth", Repeat("<div>x</div>", C.depth + 1), Refusal::None},
        JudgeCase{"AnEndTagClosesWhatItHolds", Repeat(Repeat("<b>", 20) + "</div>", 3) + "</nothing>", Refusal::Depth},
        JudgeCase{"UnclosedItemsEndAtTheNextOne", "<ul>" + Repeat("<li>x", C.depth * 2), Refusal::None},
        JudgeCase{"UnclosedCellsEndAtTheNextOne", "<table>" + Repeat("<tr><td>x<td>y", C.depth) + "</table>", Refusal::None},
        JudgeCase{"NestedListsCount", Repeat("<ul><li>x", C.depth / 2 + 1), Refusal::Depth},
        JudgeCase{"CellsNeverCloseATable", Repeat("<table><tr><td>", C.tableDepth) + "<td><table>", Refusal::TableDepth},
        JudgeCase{"VoidElementsHoldNothing", Repeat("x<br><img src=\"a.png\"><hr>", 100), Refusal::None},
        JudgeCase{"TablesAtTheCap", Repeat("<table><tr><td>", C.tableDepth) + "x", Refusal::None},
        JudgeCase{"TablesOverTheCap", Repeat("<table><tr><td>", C.tableDepth + 1) + "x", Refusal::TableDepth},
        JudgeCase{"ElementsOverTheCap", Repeat("<br>", static_cast<std::size_t>(C.elements) + 1), Refusal::Elements},
        JudgeCase{"CellsAtTheCap", "<table>" + Repeat("<tr>" + Repeat("<td>x", 16), C.cells / 16) + "</table>", Refusal::None},
        JudgeCase{"CellsOverTheCap", "<table><tr>" + Repeat("<td>x", C.cells + 1) + "</table>", Refusal::Cells},
        JudgeCase{"OneWideRowWidensEveryRow",
                  "<table><tr><td colspan=\"100\">x</td></tr><tr><td>a</td></tr><tr><td>b</td></tr></table>", Refusal::Cells},
        JudgeCase{"HugeColspan", "<table><tr><td colspan=1000000>x</td></tr></table>", Refusal::Length},
        JudgeCase{"HugeWidthAttribute", "<table width=\"2147483647\"><tr><td>x</td></tr></table>", Refusal::Length},
        JudgeCase{"LengthAtTheCap", "<img width=\"2048\" height=\"2048\" src=\"x.png\">", Refusal::None},
        JudgeCase{"HugeStyleLength", "<p style=\"margin-left: -100000px\">x</p>", Refusal::Length},
        JudgeCase{"ExponentsAreRead", "<p style=\"line-height:1e9px\">x</p>", Refusal::Length},
        JudgeCase{"StyleSheetSizesCount", "<style>p { padding: 99999px }</style><p>x</p>", Refusal::Length},
        JudgeCase{"StyleSheetWordsDoNot", "<style>" + std::string(C.word + 5, 'a') + "</style><p>x</p>", Refusal::None},
        JudgeCase{"FontSizeAtTheCap", "<span style=\"font-size:160px\">x</span>", Refusal::None},
        JudgeCase{"FontSizeOverTheCap", "<span style=\"font-size:161px\">x</span>", Refusal::FontSize},
        JudgeCase{"FontSizeInEm", "<span style=\"font-size: 11em\">x</span>", Refusal::FontSize},
        JudgeCase{"FontSizeInPercent", "<span style=\"font-size:200%\">x</span>", Refusal::None},
        JudgeCase{"NumbersInTextAreNoSizes", "<p>Over 10000000 files opened</p>", Refusal::None},
        JudgeCase{"UnfinishedTag", "<div style=\"width:1", Refusal::None}),
    [](const ::testing::TestParamInfo<JudgeCase>& p) { return std::string(p.param.name); });

TEST(DecodeContent, ReadsUtf8AndReplacesBadBytesWhateverTheItemDeclares)
{
    EXPECT_EQ(DecodeContent("<meta charset=\"iso-8859-1\">Caf\xC3\xA9"),
              QString::fromUtf8("<meta charset=\"iso-8859-1\">Caf\xC3\xA9"));
    EXPECT_EQ(DecodeContent("a\xE9z\xC3"), QString::fromUtf8("a\xEF\xBF\xBDz\xEF\xBF\xBD"));
}

TEST(DataUrlPayload, TakesBase64AndPercentEncodedDataOnly)
{
    EXPECT_EQ(DataUrlPayload("data:image/png;base64,QUJD"), QByteArray("ABC"));
    EXPECT_EQ(DataUrlPayload("DATA:text/plain,a%20b"), QByteArray("a b"));
    EXPECT_EQ(DataUrlPayload("data:,"), QByteArray());
    EXPECT_FALSE(DataUrlPayload("data:image/png;base64,Q!JD"));
    EXPECT_FALSE(DataUrlPayload("data:image/png;base64"));
    EXPECT_FALSE(DataUrlPayload("file:///etc/passwd"));
    EXPECT_FALSE(DataUrlPayload("p.png"));
}

TEST(PixelBudget, TakesWhatFitsAndNothingMore)
{
    PixelBudget budget(100);
    EXPECT_TRUE(budget.take(10, 5));
    EXPECT_FALSE(budget.take(10, 6));
    EXPECT_TRUE(budget.take(5, 10));
    EXPECT_FALSE(budget.take(1, 1));
    EXPECT_FALSE(PixelBudget(100).take(0, 5));
    EXPECT_FALSE(PixelBudget(1'000'000).take(2'000'000'000, 2'000'000'000)) << "no overflow";
    budget.refill();
    EXPECT_TRUE(budget.take(100, 1));
}

} // namespace
