#pragma once

// The page's arithmetic, free of widgets: grid layout, the mapping of 64-bit
// offsets onto rows, cells and the scroll bar, navigation by keys and scroll
// actions, and what each cell shows. The page form keeps the state and asks here.

#include <array>
#include <string>
#include <cstdint>

namespace page {

// The scroll bar's range is 0 to ScrollMax, whatever the file size.
inline constexpr int ScrollMax = 1000000;

// Sizes of both grids for a grid area of a given size, measured in the grids'
// font: W the advance of "W", H the height of "WW".
struct GridLayout {
    int bytesPerRow = 0; // byte columns of each grid, column 0 not counted
    int rows = 0;
    int rowHeight = 0;
    int addressWidth = 0;  // BinGrid column 0
    int hexWidth = 0;      // BinGrid columns 1..bytesPerRow
    int textFixedWidth = 0; // TextGrid column 0
    int textWidth = 0;     // TextGrid columns 1..bytesPerRow
    int binGridWidth = 0;  // one byte column wider than its columns need
};

// Scrolling needs two bytes a row: never fewer byte columns, however small the area.
inline constexpr int MinBytesPerRow = 2;
// At least MinBytesPerRow byte columns and one row, however small the area.
GridLayout LayoutGrids(int W, int H, int areaWidth, int areaHeight);
// The narrowest grid area whose layout has room for MinBytesPerRow byte columns.
int MinimumAreaWidth(int W);

// Left edges of the column labels: HEX starts at BinGrid's middle, TEXT is centred over TextGrid.
int HexLabelLeft(int binGridLeft, int binGridWidth);
int TextLabelLeft(int textGridLeft, int textGridWidth, int labelWidth);

// The shape a page is reckoned against: the file size (at least 1) and the grid shape.
struct PageShape {
    int64_t fileSize = 1;
    int bytesPerRow = 1;
    int rows = 1;

    int64_t BytesPerScreen() const { return int64_t{bytesPerRow} * rows; }
    // Rows are counted from offset 0, whatever the top of the view.
    int64_t RowOfAddress(int64_t a) const { return a / bytesPerRow; }
    // The first byte of the row that holds the file's last byte.
    int64_t MaxTopAddress() const { return RowOfAddress(fileSize - 1) * bytesPerRow; }
    // The byte a cell shows; column 0 stands for the row's first byte. Rows below
    // the last offset wrap as unsigned numbers, so they compare as past the end.
    int64_t CellAddress(int64_t topAddress, int row, int col) const;
    // The cell that shows an address in view (at or after topAddress): the inverse of
    // CellAddress, with byte columns counted from 1.
    struct Cell {
        int row = 0;
        int col = 0;
    };
    Cell CellOfAddress(int64_t topAddress, int64_t address) const
    {
        const int64_t offset = address - topAddress;
        return {static_cast<int>(offset / bytesPerRow), static_cast<int>(offset % bytesPerRow) + 1};
    }
    // Whether the cell's address lies past the last byte (an unsigned comparison).
    bool PastEnd(int64_t address) const
    {
        return static_cast<uint64_t>(address) >= static_cast<uint64_t>(fileSize);
    }
};

// Where the view starts and where the cursor stands.
struct View {
    int64_t topAddress = 0;
    int64_t cursorAddress = 0;
    bool operator==(const View&) const = default;
};

// What the scroll bar shows for a view.
struct ScrollBarState {
    double bytesPerUnit = 0;
    int position = 0;
    int lineStep = 0;
    int pageStep = 0;
};
ScrollBarState SyncScrollBar(const PageShape& shape, int64_t topAddress);

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom, EndScroll };

// The new top address after a scroll action; position is the thumb's for the thumb
// actions. Throws util::Error("assertion failure") with fewer than 2 bytes per row.
int64_t Scroll(const PageShape& shape, int64_t topAddress, double bytesPerUnit, ScrollAction action,
               int position);

// The row that holds address, brought to the top, and the cursor on it; an address
// outside the file is taken as the nearest byte inside it.
View MoveToAddress(const PageShape& shape, int64_t address);

enum class NavKey { Other, PageUp, PageDown, Home, End, Left, Right, Up, Down };

struct KeyOutcome {
    enum Kind {
        Ignored,   // not a navigation key: nothing changes
        Scrolled,  // Ctrl+Up/Ctrl+Down: the view moved by a line, the cursor stayed
        Moved,     // the cursor moved and the view follows it (the new top is in view)
        MovedUp,   // the cursor went above the view: MoveToAddress(cursor) follows
    };
    Kind kind = Ignored;
    View view;
};
// The cursor and view after a key; the thumb position is not needed for line scrolls.
KeyOutcome KeyDown(const PageShape& shape, View view, NavKey key, bool ctrl, double bytesPerUnit);

// The wheel scrolls three lines per notch, away from the user being up; the cursor stays.
inline constexpr int WheelRowsPerNotch = 3;
int64_t Wheel(const PageShape& shape, int64_t topAddress, double bytesPerUnit, int notchesUp);

// Whether a click on a cell may make it current: only cells of existing bytes.
bool CanSelect(const PageShape& shape, int64_t topAddress, int row, int col);

// Text of one cell, 8-bit, at most 17 characters, built without allocating.
struct CellText {
    std::array<char, 18> chars{};
    int length = 0;
    bool operator==(const CellText& other) const;
};
// The 17-character address text: high 32 bits, a blank, low 32 bits, upper-case hex.
CellText AddressText(int64_t address);
// A byte cell's text: two hex digits, or its character ("." when not printable).
CellText ByteText(uint8_t byte, bool hexGrid);
// The character a printable byte is drawn as (the IBM PC character set).
char16_t GlyphOf(uint8_t byte);
// The inverse over the characters the TEXT column shows: the printable byte drawn as c,
// or -1 for any other character. Together with GlyphOf, the one 8-bit character set
// of the page and the find dialog.
int ByteOfGlyph(char16_t c);

// The text of cell (row, col): the row's address or a blank in column 0, nothing past
// the end of the file, else the byte's text. read(offset) gives a byte and may throw.
template <typename Read>
CellText CellTextAt(const PageShape& shape, int64_t topAddress, int row, int col, bool hexGrid, Read&& read)
{
    const int64_t a = shape.CellAddress(topAddress, row, col);
    if (col == 0) {
        if (hexGrid)
            return AddressText(a);
        CellText blank;
        blank.chars[0] = ' ';
        blank.length = 1;
        return blank;
    }
    if (shape.PastEnd(a))
        return {};
    return ByteText(read(a), hexGrid);
}

// One short line a screen reader speaks for a byte: its address (8 hex digits, or both
// halves when the high one is not zero), its hex and its character, for example
// "0000004E: 7F, character DEL". Not on a hot path: made only when a client asks.
std::u16string SpokenByte(int64_t address, uint8_t byte);

enum class CellColour { Address, TextFixed, Cursor, Plain };
CellColour ColourOf(bool fixed, bool hexGrid, bool cursor);

} // namespace page
