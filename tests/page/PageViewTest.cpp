#include "page/GridGeometry.h"
#include "page/PageView.h"
#include "support/ErrorText.h"
#include "util/Error.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>

using namespace page;

namespace {

constexpr int64_t Int64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t TiB = int64_t{1} << 40;

std::string Text(const CellText& text) { return std::string(text.chars.data(), static_cast<size_t>(text.length)); }

std::string ScrollError(const PageShape& shape)
{
    return testing_support::ErrorText([&] { Scroll(shape, 0, 1.0, ScrollAction::LineDown, 0); });
}

} // namespace

TEST(LayoutGrids, TypicalAreaGivesThirteenBytesAndThirtyEightRows)
{
    const GridLayout layout = LayoutGrids(7, 13, 535, 585);
    EXPECT_EQ(layout.bytesPerRow, 13);
    EXPECT_EQ(layout.rowHeight, 15);
    EXPECT_EQ(layout.rows, 38);
    EXPECT_EQ(layout.addressWidth, 126);
    EXPECT_EQ(layout.hexWidth, 18);
    EXPECT_EQ(layout.binGridWidth, 378);
    EXPECT_EQ(layout.textFixedWidth, 4);
    EXPECT_EQ(layout.textWidth, 9);
}

TEST(LayoutGrids, WidthDecidesBytesPerRowWithOneColumnSpare)
{
    // n = (width - 134) div 27 - 1 with W = 7: 16 bytes need 593 pixels, 592 give 15.
    EXPECT_EQ(LayoutGrids(7, 14, 593, 400).bytesPerRow, 16);
    EXPECT_EQ(LayoutGrids(7, 14, 592, 400).bytesPerRow, 15);
    EXPECT_EQ(LayoutGrids(7, 14, 593, 400).rows, 400 / 16 - 1);
}

// Scrolling needs two bytes a row, so even an area too small for them gets two.
TEST(LayoutGrids, TinyAreaKeepsTwoBytesAndOneRow)
{
    const GridLayout layout = LayoutGrids(7, 14, 10, 5);
    EXPECT_EQ(layout.bytesPerRow, 2);
    EXPECT_EQ(layout.rows, 1);
    EXPECT_EQ(LayoutGrids(7, 14, -50, -50).bytesPerRow, 2);
}

TEST(LayoutGrids, TheNarrowestAreaForTwoBytesFitsThem)
{
    for (const int W : {7, 24, 43}) {
        const int width = MinimumAreaWidth(W);
        const GridLayout layout = LayoutGrids(W, 14, width, 300);
        EXPECT_EQ(layout.bytesPerRow, 2) << W;
        EXPECT_LE(layout.binGridWidth, width) << W;
        EXPECT_EQ(LayoutGrids(W, 14, width + 3 * W + 5, 300).bytesPerRow, 2) << W;
        EXPECT_EQ(LayoutGrids(W, 14, width + 3 * W + 6, 300).bytesPerRow, 3) << W;
    }
    EXPECT_EQ(MinimumAreaWidth(7), 215); // 18 W + 8 and three byte columns of 3 W + 6
}

TEST(LayoutGrids, LabelsSitAtHexMiddleAndTextCentre)
{
    EXPECT_EQ(HexLabelLeft(0, 378), 189);
    EXPECT_EQ(HexLabelLeft(0, 377), 188);
    EXPECT_EQ(TextLabelLeft(378, 157, 25), 378 + 78 - 12);
}

TEST(PageShape, RowsAndCellsAreReckonedFromOffsetZero)
{
    const PageShape shape{100, 13, 38};
    EXPECT_EQ(shape.BytesPerScreen(), 494);
    EXPECT_EQ(shape.RowOfAddress(90), 6);
    EXPECT_EQ(shape.RowOfAddress(91), 7);
    EXPECT_EQ(shape.MaxTopAddress(), 91);
    EXPECT_EQ(shape.CellAddress(91, 0, 0), 91);
    EXPECT_EQ(shape.CellAddress(91, 0, 1), 91);
    EXPECT_EQ(shape.CellAddress(91, 0, 9), 99);
    EXPECT_EQ(shape.CellAddress(91, 1, 0), 104);
    EXPECT_EQ(PageShape({1, 13, 38}).MaxTopAddress(), 0);
}

TEST(PageShape, RowsBelowTheTopOfTheRangeCountAsPastTheEnd)
{
    const PageShape shape{Int64Max, 16, 40};
    const int64_t top = shape.MaxTopAddress();
    EXPECT_EQ(top, Int64Max - 15);
    EXPECT_FALSE(shape.PastEnd(shape.CellAddress(top, 0, 15)));
    EXPECT_TRUE(shape.PastEnd(shape.CellAddress(top, 0, 16)));
    EXPECT_TRUE(shape.PastEnd(shape.CellAddress(top, 1, 1)));
    EXPECT_TRUE(shape.PastEnd(shape.CellAddress(top, 39, 16)));
    EXPECT_TRUE(CanSelect(shape, top, 0, 15));
    EXPECT_FALSE(CanSelect(shape, top, 0, 16));
    EXPECT_FALSE(CanSelect(shape, top, 5, 3));
}

TEST(SyncScrollBar, MapsTheFileOntoAMillionUnits)
{
    const PageShape giga{1000000000, 13, 38};
    const ScrollBarState state = SyncScrollBar(giga, 499999994);
    EXPECT_DOUBLE_EQ(state.bytesPerUnit, 1000.0);
    EXPECT_EQ(state.position, 499999);
    EXPECT_EQ(state.lineStep, 0);
    EXPECT_EQ(state.pageStep, 0);

    const ScrollBarState small = SyncScrollBar({100, 13, 38}, 91);
    EXPECT_NEAR(small.position, 910000, 1);
    EXPECT_EQ(small.lineStep, 130000);
    EXPECT_EQ(small.pageStep, ScrollMax); // more units than the bar has: held at its range
    EXPECT_EQ(SyncScrollBar({TiB, 16, 40}, 0).position, 0);
    EXPECT_GE(SyncScrollBar({Int64Max, 16, 40}, Int64Max - 15).position, ScrollMax - 1);
    EXPECT_LE(SyncScrollBar({Int64Max, 16, 40}, Int64Max - 15).position, ScrollMax);
}

struct ScrollCase {
    const char* name;
    int64_t fileSize;
    int bytesPerRow;
    int rows;
    int64_t top;
    ScrollAction action;
    int position;
    int64_t expectedTop;
};

void PrintTo(const ScrollCase& c, std::ostream* out) { *out << c.name; }

class ScrollTable : public testing::TestWithParam<ScrollCase> {};

TEST_P(ScrollTable, MovesTheTopByWholeRowsInsideTheFile)
{
    const ScrollCase& c = GetParam();
    const PageShape shape{c.fileSize, c.bytesPerRow, c.rows};
    const double bytesPerUnit = SyncScrollBar(shape, c.top).bytesPerUnit;
    EXPECT_EQ(Scroll(shape, c.top, bytesPerUnit, c.action, c.position), c.expectedTop);
}

const ScrollCase ScrollCases[] = {
    {"OneByteLineDown", 1, 13, 38, 0, ScrollAction::LineDown, 0, 0},
    {"OneBytePageDown", 1, 13, 38, 0, ScrollAction::PageDown, 0, 0},
    {"OneByteBottom", 1, 13, 38, 0, ScrollAction::Bottom, 0, 0},
    {"OneByteThumbAtEnd", 1, 13, 38, 0, ScrollAction::ThumbPosition, ScrollMax, 0},
    {"OneByteLineUp", 1, 13, 38, 0, ScrollAction::LineUp, 0, 0},
    {"HundredBottomShowsLastRowFirst", 100, 13, 38, 0, ScrollAction::Bottom, 0, 91},
    {"HundredLineDownAtBottomStays", 100, 13, 38, 91, ScrollAction::LineDown, 0, 91},
    {"HundredPageDownClampsToLastRow", 100, 13, 38, 0, ScrollAction::PageDown, 0, 91},
    {"HundredLineUpAtTopStays", 100, 13, 38, 0, ScrollAction::LineUp, 0, 0},
    {"HundredTop", 100, 13, 38, 91, ScrollAction::Top, 0, 0},
    {"HundredEndScrollKeepsTop", 100, 13, 38, 52, ScrollAction::EndScroll, 0, 52},
    {"LineDownOneRow", 10000, 13, 38, 1300, ScrollAction::LineDown, 0, 1313},
    {"LineUpOneRow", 10000, 13, 38, 1300, ScrollAction::LineUp, 0, 1287},
    {"PageUpOneScreen", 10000, 13, 38, 1300, ScrollAction::PageUp, 0, 806},
    {"PageDownOneScreen", 10000, 13, 38, 1300, ScrollAction::PageDown, 0, 1794},
    {"PageUpNearTopStopsAtZero", 10000, 13, 38, 130, ScrollAction::PageUp, 0, 0},
    {"GigaThumbDragToMiddle", 1000000000, 13, 38, 0, ScrollAction::ThumbTrack, 500000, 499999994},
    {"GigaThumbReleaseAtSameSpotStays", 1000000000, 13, 38, 499999994, ScrollAction::ThumbPosition, 500000,
     499999994},
    {"GigaThumbBackToTop", 1000000000, 13, 38, 499999994, ScrollAction::ThumbTrack, 0, 0},
    {"TebiThumbAtEndClampsToLastRow", TiB, 16, 40, 0, ScrollAction::ThumbTrack, ScrollMax, TiB - 16},
    {"TebiBottom", TiB, 13, 40, 0, ScrollAction::Bottom, 0, (TiB - 1) / 13 * 13},
    {"MaxLineDownAtLastRowDoesNotWrap", Int64Max, 16, 40, Int64Max - 15, ScrollAction::LineDown, 0, Int64Max - 15},
    {"MaxPageDownAtLastRowDoesNotWrap", Int64Max, 16, 40, Int64Max - 15, ScrollAction::PageDown, 0, Int64Max - 15},
    {"MaxBottomFromZero", Int64Max, 16, 40, 0, ScrollAction::Bottom, 0, Int64Max - 15},
    {"MaxThumbAtEnd", Int64Max, 16, 40, 0, ScrollAction::ThumbTrack, ScrollMax, Int64Max - 15},
    {"MaxThumbToTopFromLastRow", Int64Max, 16, 40, Int64Max - 15, ScrollAction::ThumbPosition, 0, 0},
};

std::string ScrollName(const testing::TestParamInfo<ScrollCase>& param) { return param.param.name; }
INSTANTIATE_TEST_SUITE_P(Actions, ScrollTable, testing::ValuesIn(ScrollCases), ScrollName);

TEST(Scroll, FewerThanTwoBytesPerRowIsAnAssertionFailure)
{
    EXPECT_EQ(ScrollError({100, 1, 10}), "assertion failure");
    EXPECT_EQ(ScrollError({100, 2, 10}), "no error");
}

TEST(Wheel, ThreeRowsPerNotchAndClampedAtTheEnds)
{
    const PageShape shape{10000, 13, 38};
    EXPECT_EQ(Wheel(shape, 1300, 0.01, -1), 1300 + 3 * 13);
    EXPECT_EQ(Wheel(shape, 1300, 0.01, 2), 1300 - 6 * 13);
    EXPECT_EQ(Wheel(shape, 13, 0.01, 1), 0);
    EXPECT_EQ(Wheel(shape, shape.MaxTopAddress(), 0.01, -4), shape.MaxTopAddress());
}

struct KeyCase {
    const char* name;
    int64_t fileSize;
    int bytesPerRow;
    int rows;
    int64_t top;
    int64_t cursor;
    NavKey key;
    bool ctrl;
    KeyOutcome::Kind kind;
    int64_t expectedTop;
    int64_t expectedCursor;
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.name; }

class KeyTable : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyTable, MovesTheCursorAndTheViewFollows)
{
    const KeyCase& c = GetParam();
    const PageShape shape{c.fileSize, c.bytesPerRow, c.rows};
    const double bytesPerUnit = SyncScrollBar(shape, c.top).bytesPerUnit;
    const KeyOutcome outcome = KeyDown(shape, {c.top, c.cursor}, c.key, c.ctrl, bytesPerUnit);
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.view.topAddress, c.expectedTop);
    EXPECT_EQ(outcome.view.cursorAddress, c.expectedCursor);
}

using K = NavKey;
constexpr auto Moved = KeyOutcome::Moved;
constexpr auto MovedUp = KeyOutcome::MovedUp;
constexpr auto Scrolled = KeyOutcome::Scrolled;
constexpr auto Ignored = KeyOutcome::Ignored;

const KeyCase KeyCases[] = {
    {"OneByteRight", 1, 13, 38, 0, 0, K::Right, false, Moved, 0, 0},
    {"OneByteDown", 1, 13, 38, 0, 0, K::Down, false, Moved, 0, 0},
    {"OneBytePageDown", 1, 13, 38, 0, 0, K::PageDown, false, Moved, 0, 0},
    {"OneByteEnd", 1, 13, 38, 0, 0, K::End, false, Moved, 0, 0},
    {"OneByteCtrlEnd", 1, 13, 38, 0, 0, K::End, true, Moved, 0, 0},
    {"OneByteLeft", 1, 13, 38, 0, 0, K::Left, false, Moved, 0, 0},
    {"HundredEndFrom95", 100, 13, 38, 0, 95, K::End, false, Moved, 0, 99},
    {"HundredEndMidFile", 100, 13, 38, 0, 14, K::End, false, Moved, 0, 25},
    {"HundredDownFrom86", 100, 13, 38, 0, 86, K::Down, false, Moved, 0, 99},
    {"HundredDownFrom87Stays", 100, 13, 38, 0, 87, K::Down, false, Moved, 0, 87},
    {"HundredHomeFrom95", 100, 13, 38, 0, 95, K::Home, false, Moved, 0, 91},
    {"HundredCtrlHome", 100, 13, 38, 0, 95, K::Home, true, Moved, 0, 0},
    {"HundredUpFrom12Stays", 100, 13, 38, 0, 12, K::Up, false, Moved, 0, 12},
    {"HundredUpFrom13", 100, 13, 38, 0, 13, K::Up, false, Moved, 0, 0},
    {"HundredRightAtLastStays", 100, 13, 38, 0, 99, K::Right, false, Moved, 0, 99},
    {"PageUpInsideFirstScreenGoesToZero", 10000, 13, 38, 0, 300, K::PageUp, false, Moved, 0, 0},
    {"PageDownNearEndGoesToLastByteMidRow", 10000, 13, 38, 9516, 9600, K::PageDown, false, Moved, 9516, 9999},
    {"PageDownFollowsWithLastRow", 10000, 13, 38, 0, 0, K::PageDown, false, Moved, 13, 494},
    {"CtrlPageUpIsPageUp", 10000, 13, 38, 0, 300, K::PageUp, true, Moved, 0, 0},
    {"DownFromLastVisibleRowScrollsOneRow", 1000, 13, 3, 0, 30, K::Down, false, Moved, 13, 43},
    {"UpFromFirstVisibleRowPutsRowFirst", 1000, 13, 3, 13, 15, K::Up, false, MovedUp, 0, 2},
    {"LeftFromTopLeftCellPutsRowFirst", 1000, 13, 3, 13, 13, K::Left, false, MovedUp, 0, 12},
    {"CursorFarBelowComesBackAsLastRow", 1000, 13, 3, 0, 500, K::Right, false, Moved, 468, 501},
    {"CtrlEndBringsLastRowLast", 1000, 13, 3, 0, 0, K::End, true, Moved, 962, 999},
    {"CtrlHomeFromFarDown", 1000, 13, 3, 962, 999, K::Home, true, MovedUp, 0, 0},
    {"HomeAfterResizeStaysInOddTopRow", 1000, 16, 38, 91, 100, K::Home, false, Moved, 91, 96},
    {"CtrlDownScrollsAndCursorStays", 1000, 13, 3, 0, 5, K::Down, true, Scrolled, 13, 5},
    {"CtrlUpScrollsAndCursorStays", 1000, 13, 3, 26, 30, K::Up, true, Scrolled, 13, 30},
    {"CtrlUpAtTopStays", 1000, 13, 3, 0, 30, K::Up, true, Scrolled, 0, 30},
    {"OtherKeyIgnored", 1000, 13, 3, 13, 20, K::Other, false, Ignored, 13, 20},
    {"MaxPageDownStopsAtLastByte", Int64Max, 16, 40, Int64Max - 15, Int64Max - 3, K::PageDown, false, Moved,
     Int64Max - 15, Int64Max - 1},
    {"MaxEndStopsAtLastByte", Int64Max, 16, 40, Int64Max - 15, Int64Max - 14, K::End, false, Moved,
     Int64Max - 15, Int64Max - 1},
    {"MaxDownFromLastFullRow", Int64Max, 16, 40, Int64Max - 31, Int64Max - 20, K::Down, false, Moved,
     Int64Max - 31, Int64Max - 4},
    {"TebiCtrlEnd", TiB, 16, 40, 0, 0, K::End, true, Moved, TiB - 16 * 40, TiB - 1},
};

std::string KeyName(const testing::TestParamInfo<KeyCase>& param) { return param.param.name; }
INSTANTIATE_TEST_SUITE_P(Keys, KeyTable, testing::ValuesIn(KeyCases), KeyName);

TEST(KeyDown, CtrlDownThreeTimesLeavesTheCursorAboveTheViewUntilAnArrowKey)
{
    const PageShape shape{1000, 13, 3};
    View view{0, 5};
    for (int i = 0; i < 3; ++i)
        view = KeyDown(shape, view, NavKey::Down, true, 0.001).view;
    EXPECT_EQ(view, (View{39, 5}));
    const KeyOutcome back = KeyDown(shape, view, NavKey::Right, false, 0.001);
    EXPECT_EQ(back.kind, KeyOutcome::MovedUp);
    EXPECT_EQ(back.view, (View{0, 6}));
}

TEST(MoveToAddress, PutsTheRowFirstAndKeepsTheCursorInsideTheFile)
{
    const PageShape shape{100, 13, 38};
    EXPECT_EQ(MoveToAddress(shape, 99), (View{91, 99}));
    EXPECT_EQ(MoveToAddress(shape, 0), (View{0, 0}));
    EXPECT_EQ(MoveToAddress(shape, 50), (View{39, 50}));
    EXPECT_EQ(MoveToAddress(shape, 150), (View{91, 99}));
    EXPECT_EQ(MoveToAddress(shape, -4), (View{0, 0}));
    EXPECT_EQ(MoveToAddress({Int64Max, 16, 40}, Int64Max - 1), (View{Int64Max - 15, Int64Max - 1}));
}

TEST(CanSelect, RefusesCellsPastTheEnd)
{
    const PageShape shape{100, 13, 38};
    EXPECT_TRUE(CanSelect(shape, 91, 0, 9));
    EXPECT_FALSE(CanSelect(shape, 91, 0, 10));
    EXPECT_FALSE(CanSelect(shape, 91, 1, 1));
    EXPECT_TRUE(CanSelect(shape, 0, 7, 1));
}

TEST(CellText, AddressColumnAlwaysShowsBothHalves)
{
    const PageShape shape{100000, 13, 38};
    auto never = [](int64_t) -> uint8_t { throw util::Error("read"); };
    EXPECT_EQ(Text(CellTextAt(shape, 0x1F40, 0, 0, true, never)), "00000000 00001F40");
    EXPECT_EQ(Text(CellTextAt(shape, 0x1F40, 1, 0, true, never)), "00000000 00001F4D");
    EXPECT_EQ(Text(AddressText(int64_t{1} << 32)), "00000001 00000000");
    EXPECT_EQ(Text(AddressText(4294967312)), "00000001 00000010");
    EXPECT_EQ(Text(AddressText(Int64Max)), "7FFFFFFF FFFFFFFF");
    EXPECT_EQ(Text(CellTextAt(shape, 0x1F40, 3, 0, false, never)), " ");
}

struct ByteCase {
    uint8_t byte;
    const char* hex;
    const char* text;
};

TEST(CellText, BytesShowAsHexAndAsCharacterOrDot)
{
    const ByteCase cases[] = {
        {0x41, "41", "A"}, {0x0A, "0A", "."}, {0x7F, "7F", "."}, {0xB0, "B0", "."},
        {0xE0, "E0", "\xE0"}, {0xFF, "FF", "."}, {0x20, "20", " "}, {0x80, "80", "\x80"},
    };
    for (const ByteCase& c : cases) {
        SCOPED_TRACE(c.hex);
        EXPECT_EQ(Text(ByteText(c.byte, true)), c.hex);
        EXPECT_EQ(Text(ByteText(c.byte, false)), c.text);
    }
    EXPECT_EQ(GlyphOf(0x41), u'A');
    EXPECT_EQ(GlyphOf(0x80), u'\u00C7');
    EXPECT_EQ(GlyphOf(0xAF), u'\u00BB');
    EXPECT_EQ(GlyphOf(0xE0), u'\u03B1');
    EXPECT_EQ(GlyphOf(0xFE), u'\u25A0');
}

TEST(CellText, CellsPastTheEndAreBlankAndNeverRead)
{
    const PageShape shape{100, 13, 38};
    int reads = 0;
    auto read = [&reads](int64_t offset) {
        ++reads;
        return static_cast<uint8_t>(offset);
    };
    EXPECT_EQ(Text(CellTextAt(shape, 91, 0, 9, true, read)), "63");
    EXPECT_EQ(Text(CellTextAt(shape, 91, 0, 9, false, read)), "c");
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(Text(CellTextAt(shape, 91, 0, 10, true, read)), "");
    EXPECT_EQ(Text(CellTextAt(shape, 91, 2, 1, false, read)), "");
    EXPECT_EQ(Text(CellTextAt(shape, 91, 1, 0, true, read)), "00000000 00000068");
    EXPECT_EQ(reads, 2);
}

TEST(CellColour, FixedFirstThenCursorThenPlain)
{
    EXPECT_EQ(ColourOf(true, true, false), CellColour::Address);
    EXPECT_EQ(ColourOf(true, true, true), CellColour::Address);
    EXPECT_EQ(ColourOf(true, false, true), CellColour::TextFixed);
    EXPECT_EQ(ColourOf(false, true, true), CellColour::Cursor);
    EXPECT_EQ(ColourOf(false, false, true), CellColour::Cursor);
    EXPECT_EQ(ColourOf(false, false, false), CellColour::Plain);
}

TEST(GridGeometry, CellsMeetWithoutLines)
{
    page::GridGeometry grid;
    grid.setColumnWidths({126, 18, 18, 18});
    grid.setRowHeight(15);
    grid.setRowCount(4);
    EXPECT_EQ(grid.columnCount(), 4);
    EXPECT_EQ(grid.totalWidth(), 180);
    EXPECT_EQ(grid.cellRect(0, 0), QRect(0, 0, 126, 15));
    EXPECT_EQ(grid.cellRect(2, 3), QRect(144, 45, 18, 15));
    int col = -1, row = -1;
    ASSERT_TRUE(grid.cellAt(QPoint(126, 15), col, row));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 1);
    ASSERT_TRUE(grid.cellAt(QPoint(179, 59), col, row));
    EXPECT_EQ(col, 3);
    EXPECT_EQ(row, 3);
    EXPECT_FALSE(grid.cellAt(QPoint(180, 10), col, row));
    EXPECT_FALSE(grid.cellAt(QPoint(10, 60), col, row));
    EXPECT_FALSE(grid.cellAt(QPoint(-1, 10), col, row));

    int firstCol, lastCol, firstRow, lastRow;
    grid.cellsIn(QRect(130, 20, 20, 20), firstCol, lastCol, firstRow, lastRow);
    EXPECT_EQ(firstCol, 1);
    EXPECT_EQ(lastCol, 2);
    EXPECT_EQ(firstRow, 1);
    EXPECT_EQ(lastRow, 2);
    grid.cellsIn(QRect(0, 0, 1000, 1000), firstCol, lastCol, firstRow, lastRow);
    EXPECT_EQ(lastCol, 3);
    EXPECT_EQ(lastRow, 3);
}
