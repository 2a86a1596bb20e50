#include "page/GridAccessible.h"

#include "page/Grid.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <unordered_map>

namespace page {
namespace {

class GridAccessible;

GridAccessible* TableOf(Grid* grid);

// One cell, known by its place; made on demand and kept in Qt's cache by the table.
class CellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    CellAccessible(Grid* grid, int col, int row) : grid(grid), col(col), row(row) {}

    bool isValid() const override { return grid && col < grid->columnCount() && row < grid->rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid ? grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid() || !grid->onCellText)
            return {};
        return grid->onCellText(col, row);
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = grid->cellRect(col, row);
        return QRect(grid->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return col < grid->fixedColumns() ? QAccessible::RowHeader : QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        int cursorCol, cursorRow;
        const bool current = grid->cursorCell(cursorCol, cursorRow) && col == cursorCol && row == cursorRow;
        s.focusable = col >= grid->fixedColumns();
        s.selectable = s.focusable;
        s.selected = current;
        s.focused = current && grid->hasFocus();
        s.readOnly = true;
        if (!grid->isVisible())
            s.invisible = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return isValid() && state().selected; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override { return col; }
    int rowIndex() const override { return row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

    QPointer<Grid> grid;
    const int col;
    const int row;
};

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(Grid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridAccessible() override
    {
        for (const auto& [index, id] : cells)
            QAccessible::deleteAccessibleInterface(id);
    }

    Grid* grid() const { return static_cast<Grid*>(widget()); }

    QAccessibleInterface* cell(int col, int row) const
    {
        if (col < 0 || row < 0 || col >= grid()->columnCount() || row >= grid()->rowCount())
            return nullptr;
        // Keyed by place, not by index, so that a change of shape keeps every id right.
        const qint64 key = (static_cast<qint64>(row) << 32) | static_cast<quint32>(col);
        const auto [at, made] = cells.try_emplace(key, 0);
        if (made)
            at->second = QAccessible::registerAccessibleInterface(new CellAccessible(grid(), col, row));
        return QAccessible::accessibleInterface(at->second);
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    int childCount() const override { return grid()->rowCount() * grid()->columnCount(); }
    QAccessibleInterface* child(int index) const override
    {
        const int columns = grid()->columnCount();
        return columns > 0 && index >= 0 ? cell(index % columns, index / columns) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* c = dynamic_cast<const CellAccessible*>(child);
        return c && c->grid == grid() && c->isValid() ? c->row * grid()->columnCount() + c->col : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint p = grid()->mapFromGlobal(QPoint(x, y));
        for (int row = 0; row < grid()->rowCount(); ++row)
            for (int col = 0; col < grid()->columnCount(); ++col)
                if (grid()->cellRect(col, row).contains(p))
                    return cell(col, row);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        int col, row;
        return grid()->hasFocus() && grid()->cursorCell(col, row) ? cell(col, row) : nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override { return cell(column, row); }
    int columnCount() const override { return grid()->columnCount(); }
    int rowCount() const override { return grid()->rowCount(); }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override
    {
        int col, row;
        if (!grid()->cursorCell(col, row))
            return {};
        return {cell(col, row)};
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    mutable std::unordered_map<qint64, QAccessible::Id> cells;
};

GridAccessible* TableOf(Grid* grid) { return static_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(grid)); }

QAccessibleInterface* CellAccessible::parent() const { return grid ? TableOf(grid) : nullptr; }

QAccessibleInterface* CellAccessible::table() const { return parent(); }

QList<QAccessibleInterface*> CellAccessible::rowHeaderCells() const
{
    if (!isValid() || col < grid->fixedColumns() || grid->fixedColumns() == 0)
        return {};
    return {TableOf(grid)->cell(0, row)};
}

QAccessibleInterface* MakeGridAccessible(const QString&, QObject* object)
{
    if (auto* grid = qobject_cast<Grid*>(object))
        return new GridAccessible(grid);
    return nullptr;
}

} // namespace

util::Seam<bool()> AccessibilityActiveSeam{[] { return QAccessible::isActive(); }};
util::Seam<void(QAccessibleEvent* event)> AccessibleEventSeam{[](QAccessibleEvent* event) { QAccessible::updateAccessibility(event); }};

void InstallGridAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(MakeGridAccessible);
        return true;
    }();
    (void)installed;
}

} // namespace page
