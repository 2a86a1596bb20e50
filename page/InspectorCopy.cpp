#include "page/InspectorCopy.h"

#include "page/Inspector.h"
#include "page/Page_form.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QTableWidget>

#include <algorithm>

namespace page {

namespace {

// Row 0 of the table is the header; rows 1 to 21 hold the values.
QString ShownText(const QTableWidget& grid, int row, int col)
{
    const QTableWidgetItem* item = grid.item(row, col);
    QString text = item ? item->text() : QString();
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

void CopyCurrentValue(const QTableWidget& grid)
{
    const int row = grid.currentRow();
    if (row >= 1 && row <= InspectorRowCount)
        QGuiApplication::clipboard()->setText(ShownText(grid, row, 1));
}

} // namespace

QString SelectedCellsText(const QTableWidget& grid)
{
    // Only selectable cells count: a range over a whole row holds its fixed name cell too.
    QModelIndexList cells = grid.selectionModel()->selectedIndexes();
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    QString text;
    int row = -1;
    for (const QModelIndex& cell : cells) {
        if (cell.row() < 1 || cell.row() > InspectorRowCount)
            continue;
        if (row >= 0)
            text += cell.row() == row ? QLatin1Char('\t') : QLatin1Char('\n');
        row = cell.row();
        text += ShownText(grid, cell.row(), cell.column());
    }
    return text;
}

void SetUpInspectorCopy(QTableWidget& grid)
{
    auto* copy = new QAction(QStringLiteral("Copy"), &grid);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(copy, &QAction::triggered, &grid, [&grid] {
        const QString text = SelectedCellsText(grid);
        if (!text.isEmpty())
            QGuiApplication::clipboard()->setText(text);
    });
    auto* copyValue = new QAction(QStringLiteral("Copy Value"), &grid);
    QObject::connect(copyValue, &QAction::triggered, &grid, [&grid] { CopyCurrentValue(grid); });
    grid.addAction(copy);
    grid.addAction(copyValue);
    grid.setContextMenuPolicy(Qt::ActionsContextMenu);
}

std::vector<InspectorValue> InspectorValues(const QTableWidget& grid)
{
    std::vector<InspectorValue> values;
    for (int row = 1; row <= InspectorRowCount; ++row)
        values.push_back({ShownText(grid, row, 0), ShownText(grid, row, 1)});
    return values;
}

std::vector<InspectorValue> InspectorValues(const TPageForm& form) { return InspectorValues(*form.DataSG); }

void CopyInspectorValue(const TPageForm& form, int index)
{
    if (index >= 0 && index < InspectorRowCount)
        QGuiApplication::clipboard()->setText(ShownText(*form.DataSG, index + 1, 1));
}

} // namespace page
