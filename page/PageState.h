#pragma once

// One open file's page without its widgets: the file, the view's top, the cursor and
// the grid shape. Every move of the cursor or the view happens here; each operation
// says what changed so the form knows what to bring up to date.

#include "file/File64.h"
#include "file/FileIdentity.h"
#include "page/Inspector.h"
#include "page/PageView.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace page {

class PageState {
public:
    // Opens path read-only. Throws util::Error from the paged file ("Can't open file"),
    // or util::Reported when the user was already told.
    PageState(const std::string& path, const DllLoader& library);
    virtual ~PageState();

    std::string fileName;
    std::unique_ptr<util::File64> file;
    // The opened file as the system knows it, so nothing is ever written over it.
    std::optional<file::FileIdentity> fileIdentity;
    int64_t topAddress = 0;
    int64_t fileSize = 0;
    int64_t cursorAddress = 0;
    double bytesPerUnit = 0;

    // What an operation changed.
    struct Change {
        bool view = false;      // the top moved: the scroll bar follows
        bool cursor = false;    // the cursor was placed (maybe where it was): the inspector reads again
        bool gridCells = false; // the grids' current cells follow the cursor onto the top row
        bool Any() const { return view || cursor; }
    };

    // The grid shape of the last layout; the one source of bytes per row.
    void SetGridShape(int bytesPerRow, int rows);
    int BytesPerRow() const { return bytesPerRow; }
    int Rows() const { return rows; }
    page::PageShape Shape() const { return {fileSize, bytesPerRow, rows}; }
    int64_t BytesPerScreen() const { return Shape().BytesPerScreen(); }
    int64_t CellAddress(int row, int col) const { return Shape().CellAddress(topAddress, row, col); }
    int64_t RowOfAddress(int64_t address) const { return Shape().RowOfAddress(address); }
    // The byte of a byte cell; column 0 is refused with "assertion failure".
    uint8_t CellByte(int row, int col) const;
    page::CellText CellText(int row, int col, bool hexGrid) const;

    // The scroll bar for the current view; keeps its bytesPerUnit.
    page::ScrollBarState ReckonScrollBar();

    // A navigation key (Ctrl held or not).
    Change ApplyKey(page::NavKey key, bool ctrl);
    // A scroll bar action; position is the thumb's for the thumb actions.
    Change ApplyScroll(page::ScrollAction action, int position);
    // Wheel notches, away from the user being up.
    Change ApplyWheel(int notchesUp);
    // A click on a cell: nothing changes when the cell shows no byte.
    Change ApplyClick(int row, int col);
    // Brings the row of address to the top and puts the cursor on it; an address
    // outside the file as opened changes nothing.
    Change MoveToAddress(int64_t address);

    // The inspector's rows for the bytes at address.
    InspectorRows InspectorRowsAt(int64_t address) const;

    // Pairing with another page for comparison: a page has at most one partner, and
    // pairing with a third ends the old pair on both sides. Ending it on either side
    // ends it on both; a page's end ends its pair.
    static void Pair(PageState& a, PageState& b);
    void Unpair();
    PageState* Partner() const { return partner; }

    // Whether the byte at address (below fileSize) differs from the partner's byte
    // there; a byte past the partner's end differs. False without a partner. Throws
    // the partner's read error.
    bool DiffersFromPartner(int64_t address, uint8_t byte) const
    {
        if (!partner)
            return false;
        if (address >= partner->fileSize)
            return true;
        return partner->file->getByte(address) != byte;
    }

    // The view and cursor of leader taken over as far as this file reaches: the same
    // top row (the last row's at most) and the cursor on the same address or on the
    // last byte.
    Change Follow(const PageState& leader);

    // A byte that failed while painting leaves its cell blank; its text is shown once
    // after the paint, and again only after a paint that succeeded.
    void NotePaintFailure(const char* text);
    // After each paint: the text to show now, if any.
    std::optional<std::string> PaintFinished();

private:
    int bytesPerRow = 0;
    int rows = 0;
    std::string paintFailure;
    bool paintFailureShown = false;
    PageState* partner = nullptr;
};

} // namespace page

// The byte at offset; "assertion failure" at or past the file's size.
uint8_t ReadByte(const page::PageState& page, int64_t offset);
