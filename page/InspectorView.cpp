#include "page/InspectorView.h"

#include "page/Inspector.h"
#include "page/InspectorCopy.h"
#include "util/Product.h"

#include <QHeaderView>
#include <QLocale>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace page {

namespace {

const QColor FixedColour = QColor::fromRgb(util::AddressBackgroundRgb);
const QColor TextColour = QColor::fromRgb(util::AddressTextRgb);
const QColor LineColour(192, 192, 192); // silver
constexpr int RowHeight = 16;

// The header row painted flat in the fixed cells' colour, with navy text and a line
// at the right and the bottom of each section. Painted here rather than styled: a
// style sheet on a page's widget costs heap that outlives the page.
class FixedHeader : public QHeaderView {
public:
    explicit FixedHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        painter->save();
        painter->fillRect(rect, FixedColour);
        painter->setPen(LineColour);
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->setPen(TextColour);
        painter->drawText(rect.adjusted(2, 0, -1, -1), Qt::AlignLeft | Qt::AlignVCenter,
                          model()->headerData(logicalIndex, orientation()).toString());
        painter->restore();
    }
};

// A cell shows one line: the ctime text keeps its line feed, which would otherwise
// push the text out of a 16-pixel row.
class OneLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        // The delegate has already turned line feeds into line separators.
        while (option->text.endsWith(QChar::LineSeparator) || option->text.endsWith(QLatin1Char('\n')))
            option->text.chop(1);
    }
};

// A value cell: a value wider than its column can still be read whole, in its tooltip and
// by a screen reader. Answered from the text itself, so a refresh sets nothing more.
class ValueItem : public QTableWidgetItem {
public:
    QVariant data(int role) const override
    {
        if (role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
            return QTableWidgetItem::data(Qt::DisplayRole);
        return QTableWidgetItem::data(role);
    }
};

// The cell at row and col, made with the look of its place when it is missing:
// column 0 and row 0 are fixed cells, the values can be selected.
QTableWidgetItem* Cell(QTableWidget& grid, int row, int col)
{
    QTableWidgetItem* item = grid.item(row, col);
    if (!item) {
        item = row > 0 && col == 1 ? new ValueItem : new QTableWidgetItem;
        item->setForeground(TextColour);
        if (row == 0 || col == 0) {
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(FixedColour);
        } else {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
        grid.setItem(row, col, item);
    }
    return item;
}

// Each cell asks for its own repaint, which costs more than its text; while this
// lives those requests are dropped, and one repaint of the whole table follows.
class RepaintOnce {
public:
    explicit RepaintOnce(QWidget* widget_) : widget(widget_) { widget->setUpdatesEnabled(false); }
    ~RepaintOnce() { widget->setUpdatesEnabled(true); }
    RepaintOnce(const RepaintOnce&) = delete;
    RepaintOnce& operator=(const RepaintOnce&) = delete;

private:
    QWidget* widget;
};

} // namespace

void SetUpInspector(QTableWidget& grid)
{
    grid.setColumnCount(2);
    grid.setRowCount(InspectorRowCount + 1);
    Cell(grid, 0, 0)->setText(QStringLiteral("Type"));
    Cell(grid, 0, 1)->setText(QStringLiteral("Value"));
    for (int row = 1; row <= InspectorRowCount; ++row)
        for (int col = 0; col < 2; ++col)
            Cell(grid, row, col);
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid.setWordWrap(false);
    grid.setItemDelegate(new OneLineDelegate(&grid));

    // Row 0 is shown by the header, which stays in view and resizes the columns.
    grid.setRowHidden(0, true);
    grid.setHorizontalHeader(new FixedHeader(&grid));
    grid.setHorizontalHeaderLabels({grid.item(0, 0)->text(), grid.item(0, 1)->text()});
    QHeaderView* columns = grid.horizontalHeader();
    columns->show();
    // The name column keeps its width; the values take the rest of the panel, so the
    // table never scrolls sideways and no key scrolls it into an empty area.
    columns->setMinimumSectionSize(0);
    columns->setSectionResizeMode(0, QHeaderView::Fixed);
    columns->setSectionResizeMode(1, QHeaderView::Stretch);
    grid.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setHighlightSections(false);
    columns->setFixedHeight(RowHeight);
    grid.setColumnWidth(0, 64);

    QHeaderView* rows = grid.verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(RowHeight);
    rows->setDefaultSectionSize(RowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    page::SetUpInspectorCopy(grid);
}

void FillInspector(QTableWidget& grid, const InspectorRows& rows)
{
    const RepaintOnce repaint(grid.viewport());
    for (int row = 1; row <= InspectorRowCount; ++row) {
        const InspectorRow& r = rows[static_cast<size_t>(row - 1)];
        Cell(grid, row, 0)->setText(QLatin1String(r.name));
        Cell(grid, row, 1)->setText(r.text);
    }
}

} // namespace page
