#include "page/Grid.h"

#include "page/GridAccessible.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace page {

Grid::Grid(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setShape(0, {}, 1);
    InstallGridAccessible();
}

void Grid::setShape(int rows, std::vector<int> columnWidths, int rowHeight)
{
    geometry_.setColumnWidths(std::move(columnWidths));
    geometry_.setRowHeight(rowHeight);
    geometry_.setRowCount(rows);
    // The current cell stands on a byte column whenever the grid has one.
    const int lastCol = std::max(0, columnCount() - 1);
    col_ = std::clamp(col_, std::min(fixedColumns_, lastCol), lastCol);
    row_ = std::clamp(row_, 0, std::max(0, rows - 1));
    update();
}

void Grid::placeCurrent(int col, int row)
{
    col_ = std::clamp(col, 0, std::max(0, columnCount() - 1));
    row_ = std::clamp(row, 0, std::max(0, rowCount() - 1));
}

void Grid::moveCurrent(int col, int row)
{
    if (col < 0 || row < 0 || col >= columnCount() || row >= rowCount())
        return;
    if (onSelectCell && !onSelectCell(col, row))
        return;
    col_ = col;
    row_ = row;
    announceCurrent();
}

void Grid::announceCurrent()
{
    int col, row;
    if (!hasFocus() || !AccessibilityActiveSeam() || !cursorCell(col, row))
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(row * columnCount() + col);
    AccessibleEventSeam(&focus);
}

bool Grid::cursorCell(int& col, int& row) const
{
    if (onCursorCell)
        return onCursorCell(col, row) && col >= 0 && row >= 0 && col < columnCount() && row < rowCount();
    col = col_;
    row = row_;
    return col < columnCount() && row < rowCount();
}

void Grid::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    announceCurrent();
}

QVariant Grid::inputMethodQuery(Qt::InputMethodQuery query) const
{
    int col, row;
    if (query == Qt::ImCursorRectangle)
        return cursorCell(col, row) ? cellRect(col, row) : QRect(0, 0, 1, 1);
    return QWidget::inputMethodQuery(query);
}

bool Grid::event(QEvent* event)
{
    // Keys go to the owner before the widget's own handling, so Tab never moves the focus.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Shift+F10 opens the context menu at the current cell, as the Menu key does.
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            int col, row;
            const QPoint at = cursorCell(col, row) ? cellRect(col, row).center() : QPoint(0, 0);
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, mapToGlobal(at), key->modifiers());
            QCoreApplication::sendEvent(this, &menu);
            return true;
        }
        if (onKeyDown)
            onKeyDown(key->key(), key->modifiers());
        key->accept();
        return true;
    }
    return QWidget::event(event);
}

void Grid::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    // The owner paints every cell; only the rest of the widget is filled here.
    const QRect cells(0, 0, geometry_.totalWidth(), geometry_.rowCount() * geometry_.rowHeight());
    const QRegion bare = onDrawCell ? QRegion(area).subtracted(QRegion(cells)) : QRegion(area);
    for (const QRect& r : bare)
        painter.fillRect(r, palette().base());
    painter.setFont(font());
    int firstCol, lastCol, firstRow, lastRow;
    geometry_.cellsIn(area, firstCol, lastCol, firstRow, lastRow);
    if (onDrawCell) {
        for (int row = firstRow; row <= lastRow; ++row)
            for (int col = firstCol; col <= lastCol; ++col)
                onDrawCell(painter, col, row, geometry_.cellRect(col, row), CellState{col < fixedColumns_, false, false});
    }
    painter.end();
    if (onPaintDone)
        onPaintDone();
}

void Grid::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    int col, row;
    // A right click moves the cursor as a left click does, before the context menu opens.
    if ((event->button() == Qt::LeftButton || event->button() == Qt::RightButton) && geometry_.cellAt(event->position().toPoint(), col, row) &&
        col >= fixedColumns_)
        moveCurrent(col, row);
}

void Grid::wheelEvent(QWheelEvent* event)
{
    wheelAngle += event->angleDelta().y();
    const int notches = wheelAngle / QWheelEvent::DefaultDeltasPerStep;
    wheelAngle -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0 && onWheel)
        onWheel(notches);
    event->accept();
}

} // namespace page
