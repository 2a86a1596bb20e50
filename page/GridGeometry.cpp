#include "page/GridGeometry.h"

#include <algorithm>

namespace page {

void GridGeometry::setColumnWidths(std::vector<int> widths)
{
    lefts.assign(1, 0);
    for (int w : widths)
        lefts.push_back(lefts.back() + std::max(0, w));
}

QRect GridGeometry::cellRect(int col, int row) const
{
    return QRect(lefts[static_cast<size_t>(col)], row * rowHeight_, columnWidth(col), rowHeight_);
}

bool GridGeometry::cellAt(QPoint point, int& col, int& row) const
{
    if (point.x() < 0 || point.y() < 0 || rowHeight_ <= 0)
        return false;
    row = point.y() / rowHeight_;
    const auto right = std::upper_bound(lefts.begin(), lefts.end(), point.x());
    col = static_cast<int>(right - lefts.begin()) - 1;
    return row < rowCount_ && col < columnCount();
}

void GridGeometry::cellsIn(const QRect& area, int& firstCol, int& lastCol, int& firstRow, int& lastRow) const
{
    firstRow = std::max(0, area.top() / std::max(1, rowHeight_));
    lastRow = std::min(rowCount_ - 1, area.bottom() / std::max(1, rowHeight_));
    const int left = std::max(0, area.left());
    firstCol = static_cast<int>(std::upper_bound(lefts.begin(), lefts.end(), left) - lefts.begin()) - 1;
    lastCol = static_cast<int>(std::upper_bound(lefts.begin(), lefts.end(), area.right()) - lefts.begin()) - 1;
    lastCol = std::min(lastCol, columnCount() - 1);
}

} // namespace page
