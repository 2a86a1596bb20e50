#pragma once

// Cell rectangles of a grid with per-column widths and one row height, in the grid's
// own client coordinates; no lines between cells.

#include <QPoint>
#include <QRect>

#include <vector>

namespace page {

class GridGeometry {
public:
    void setColumnWidths(std::vector<int> widths);
    void setRowHeight(int height) { rowHeight_ = height; }
    void setRowCount(int rows) { rowCount_ = rows; }

    int columnCount() const { return static_cast<int>(lefts.size()) - 1; }
    int rowCount() const { return rowCount_; }
    int rowHeight() const { return rowHeight_; }
    int columnWidth(int col) const { return lefts[static_cast<size_t>(col) + 1] - lefts[static_cast<size_t>(col)]; }
    // Width of all columns together.
    int totalWidth() const { return lefts.back(); }

    QRect cellRect(int col, int row) const;
    // The cell under a point, or false when the point is on no cell.
    bool cellAt(QPoint point, int& col, int& row) const;
    // The first and last rows and columns that meet a rectangle (empty ranges when none do).
    void cellsIn(const QRect& area, int& firstCol, int& lastCol, int& firstRow, int& lastRow) const;

private:
    std::vector<int> lefts{0}; // lefts[c] is column c's left edge; the last entry the right end
    int rowHeight_ = 1;
    int rowCount_ = 0;
};

} // namespace page
