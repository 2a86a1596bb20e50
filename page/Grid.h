#pragma once

// A small owner-drawn grid: the owner paints every cell, may refuse a new current
// cell, and gets every key. No lines, no scroll bars, no selection drawing.

#include "page/GridGeometry.h"

#include <QWidget>

#include <functional>
#include <vector>

class QPainter;

namespace page {

// Draw state of one cell; only fixed is drawn differently.
struct CellState {
    bool fixed = false;
    bool selected = false;
    bool focused = false;
};

class Grid : public QWidget {
    Q_OBJECT
public:
    explicit Grid(QWidget* parent = nullptr);

    // Paints one cell; rect is in the grid's client coordinates, the painter carries the grid's font.
    std::function<void(QPainter& canvas, int col, int row, const QRect& rect, CellState state)> onDrawCell;
    // Asked before the current cell moves; returning false keeps it where it is.
    std::function<bool(int col, int row)> onSelectCell;
    // Every key pressed in the grid, Tab included; the grid itself handles only Shift+F10
    // (the context menu).
    std::function<void(int key, Qt::KeyboardModifiers modifiers)> onKeyDown;
    // Whole wheel notches, positive when turned away from the user.
    std::function<void(int notchesUp)> onWheel;
    // Called after each paint, whatever it painted.
    std::function<void()> onPaintDone;
    // What a screen reader reads for one cell; asked only by an accessibility client.
    std::function<QString(int col, int row)> onCellText;
    // The owner's cursor cell, which a screen reader takes as the focused one; false while
    // the cursor is out of view. Without it, the current cell.
    std::function<bool(int& col, int& row)> onCursorCell;

    int rowCount() const { return geometry_.rowCount(); }
    int columnCount() const { return geometry_.columnCount(); }
    int fixedColumns() const { return fixedColumns_; }
    int rowHeight() const { return geometry_.rowHeight(); }
    int columnWidth(int col) const { return geometry_.columnWidth(col); }
    QRect cellRect(int col, int row) const { return geometry_.cellRect(col, row); }

    // Sets the shape; a current cell outside it is pulled inside without asking.
    void setShape(int rows, std::vector<int> columnWidths, int rowHeight);
    void setFixedColumns(int count) { fixedColumns_ = count; }

    int currentCol() const { return col_; }
    int currentRow() const { return row_; }
    // Puts the current cell on (col, row) at once, without asking: the owner has already
    // placed its cursor there.
    void placeCurrent(int col, int row);
    // Tells an accessibility client, if one listens, that the current cell is the focus.
    // Only the grid that holds the keyboard speaks.
    void announceCurrent();
    bool cursorCell(int& col, int& row) const;
    // The current cell's rectangle: where a context menu opened by key appears.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void moveCurrent(int col, int row);

    GridGeometry geometry_;
    int fixedColumns_ = 1;
    int col_ = 1;
    int row_ = 0;
    int wheelAngle = 0;
};

} // namespace page
