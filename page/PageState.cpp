#include "page/PageState.h"

#include <QLocale>

#include <algorithm>

namespace page {

PageState::PageState(const std::string& path, const DllLoader& library)
    : fileName(path), file(std::make_unique<util::File64>(path, library)), fileIdentity(file::IdentityOf(path))
{
    topAddress = file->begin().position;
    fileSize = file->size();
    cursorAddress = 0;
}

PageState::~PageState() { Unpair(); }

void PageState::Pair(PageState& a, PageState& b)
{
    if (&a == &b || a.partner == &b)
        return;
    a.Unpair();
    b.Unpair();
    a.partner = &b;
    b.partner = &a;
}

void PageState::Unpair()
{
    if (partner)
        partner->partner = nullptr;
    partner = nullptr;
}

PageState::Change PageState::Follow(const PageState& leader)
{
    const int64_t cursor = std::min(leader.cursorAddress, fileSize - 1);
    Change change{.cursor = true};
    if (bytesPerRow <= 0) { // not laid out yet
        cursorAddress = cursor;
        return change;
    }
    // The same top, not one of this page's rows: each cell then shows the leader's address.
    const int64_t top = std::min(leader.topAddress, Shape().MaxTopAddress());
    if (top != topAddress) {
        topAddress = top;
        ReckonScrollBar();
        change.view = true;
    }
    cursorAddress = cursor;
    // The grids' current cells follow only onto a cell in view.
    change.gridCells = cursor >= topAddress && cursor - topAddress < BytesPerScreen();
    return change;
}

void PageState::SetGridShape(int bytesPerRow_, int rows_)
{
    bytesPerRow = bytesPerRow_;
    rows = rows_;
}

} // namespace page

uint8_t ReadByte(const page::PageState& page, int64_t offset)
{
    if (offset >= page.fileSize)
        throw util::Error("assertion failure");
    return page.file->getByte(offset);
}

namespace page {

uint8_t PageState::CellByte(int row, int col) const
{
    if (col <= 0)
        throw util::Error("assertion failure");
    return ReadByte(*this, CellAddress(row, col));
}

CellText PageState::CellText(int row, int col, bool hexGrid) const
{
    return CellTextAt(Shape(), topAddress, row, col, hexGrid,
                                [this](int64_t offset) { return ReadByte(*this, offset); });
}

ScrollBarState PageState::ReckonScrollBar()
{
    const page::ScrollBarState state = page::SyncScrollBar(Shape(), topAddress);
    bytesPerUnit = state.bytesPerUnit;
    return state;
}

PageState::Change PageState::ApplyKey(page::NavKey key, bool ctrl)
{
    const page::KeyOutcome outcome = page::KeyDown(Shape(), {topAddress, cursorAddress}, key, ctrl, bytesPerUnit);
    switch (outcome.kind) {
    case page::KeyOutcome::Ignored: return {};
    case page::KeyOutcome::Scrolled:
        topAddress = outcome.view.topAddress;
        ReckonScrollBar();
        return {.view = true};
    case page::KeyOutcome::MovedUp: return MoveToAddress(outcome.view.cursorAddress);
    case page::KeyOutcome::Moved: break;
    }
    cursorAddress = outcome.view.cursorAddress;
    Change change{.cursor = true};
    if (outcome.view.topAddress != topAddress) {
        topAddress = outcome.view.topAddress;
        ReckonScrollBar();
        change.view = true;
    }
    return change;
}

PageState::Change PageState::ApplyScroll(page::ScrollAction action, int position)
{
    topAddress = page::Scroll(Shape(), topAddress, bytesPerUnit, action, position);
    ReckonScrollBar();
    return {.view = true};
}

PageState::Change PageState::ApplyWheel(int notchesUp)
{
    topAddress = page::Wheel(Shape(), topAddress, bytesPerUnit, notchesUp);
    ReckonScrollBar();
    return {.view = true};
}

PageState::Change PageState::ApplyClick(int row, int col)
{
    if (!page::CanSelect(Shape(), topAddress, row, col))
        return {};
    cursorAddress = CellAddress(row, col);
    return {.cursor = true};
}

PageState::Change PageState::MoveToAddress(int64_t address)
{
    // Only bytes below the size taken at open are the page's, though the file may have grown.
    if (address < 0 || address >= fileSize)
        return {};
    const page::View view = page::MoveToAddress(Shape(), address);
    topAddress = view.topAddress;
    ReckonScrollBar();
    cursorAddress = view.cursorAddress;
    return {.view = true, .cursor = true, .gridCells = true};
}

InspectorRows PageState::InspectorRowsAt(int64_t address) const
{
    const InspectorSample sample =
        TakeInspectorSample([this](int64_t offset) { return ReadByte(*this, offset); }, address);
    return InspectorRowsOf(sample, QLocale());
}

void PageState::NotePaintFailure(const char* text)
{
    if (paintFailure.empty())
        paintFailure = text;
}

std::optional<std::string> PageState::PaintFinished()
{
    if (paintFailure.empty()) {
        paintFailureShown = false;
        return std::nullopt;
    }
    std::string text = std::move(paintFailure);
    paintFailure.clear();
    if (paintFailureShown)
        return std::nullopt;
    paintFailureShown = true;
    return text;
}

} // namespace page
