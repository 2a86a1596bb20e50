// Copying out of the inspector table: Ctrl+C and "Copy" take the selected cells,
// "Copy Value" the current row's value, and the page lists the 21 values for a menu.

#include "page/InspectorCopy.h"
#include "page/Page_form.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using testing_support::TempDir;

namespace {

class InspectorCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<uint8_t> bytes(64);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<uint8_t>(0x81 + i);
        bytes[0] = bytes[1] = bytes[2] = 0; // a time_t in 2004, whose ctime text ends in a line feed
        bytes[3] = 0x40;
        sheet = std::make_unique<QWidget>();
        sheet->resize(1000, 500);
        page = new TPageForm(sheet.get(), dir.write("inspect.bin", bytes));
        sheet->show();
        QApplication::processEvents();
        grid = page->DataSG;
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    std::string value(int row) const { return grid->item(row, 1)->text().toStdString(); }

    // Selects the cells from (top, col) to (bottom, col) as a click and a shift-click would.
    void select(int top, int bottom)
    {
        grid->clearSelection();
        grid->setCurrentCell(top, 1);
        grid->setRangeSelected(QTableWidgetSelectionRange(top, 1, bottom, 1), true);
    }

    void ctrlC()
    {
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    }

    QAction* action(const char* text) const
    {
        for (QAction* a : grid->actions())
            if (a->text() == QLatin1String(text))
                return a;
        return nullptr;
    }

    static std::string Clipboard() { return QGuiApplication::clipboard()->text().toStdString(); }

    TempDir dir;
    std::unique_ptr<QWidget> sheet;
    TPageForm* page = nullptr;
    QTableWidget* grid = nullptr;
};

} // namespace

TEST_F(InspectorCopy, CtrlCCopiesOneCellARowOrABlockWithoutTheHeader)
{
    select(3, 3);
    ctrlC();
    EXPECT_EQ(Clipboard(), value(3));

    // The names are fixed cells: a whole row's selection holds its value.
    grid->clearSelection();
    grid->setCurrentCell(5, 1);
    grid->setRangeSelected(QTableWidgetSelectionRange(5, 0, 5, 1), true);
    ctrlC();
    EXPECT_EQ(Clipboard(), value(5));

    select(1, 4);
    ctrlC();
    EXPECT_EQ(Clipboard(), value(1) + '\n' + value(2) + '\n' + value(3) + '\n' + value(4));
    EXPECT_EQ(Clipboard().find("Value"), std::string::npos);
}

// A selection over both columns joins its cells by tabs.
TEST_F(InspectorCopy, ColumnsAreJoinedByTabs)
{
    grid->item(2, 0)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    grid->item(3, 0)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    grid->setRangeSelected(QTableWidgetSelectionRange(2, 0, 3, 1), true);
    EXPECT_EQ(page::SelectedCellsText(*grid).toStdString(), grid->item(2, 0)->text().toStdString() + '\t' + value(2) +
                                                                '\n' + grid->item(3, 0)->text().toStdString() + '\t' + value(3));
}

TEST_F(InspectorCopy, TheContextMenuCopiesTheSelectionOrTheCurrentValue)
{
    EXPECT_EQ(grid->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_NE(action("Copy"), nullptr);
    ASSERT_NE(action("Copy Value"), nullptr);
    EXPECT_EQ(action("Copy")->shortcut(), QKeySequence(QKeySequence::Copy));

    select(6, 8);
    action("Copy")->trigger();
    EXPECT_EQ(Clipboard(), value(6) + '\n' + value(7) + '\n' + value(8));
    action("Copy Value")->trigger();
    EXPECT_EQ(Clipboard(), value(6));
}

// The time_t row's ctime text keeps its line feed in the table, never on the clipboard.
TEST_F(InspectorCopy, TheValuesListTheTwentyOneRowsAsShown)
{
    const std::vector<page::InspectorValue> values = page::InspectorValues(*page);
    ASSERT_EQ(values.size(), 21u);
    EXPECT_TRUE(grid->item(12, 1)->text().endsWith(QLatin1Char('\n')));
    EXPECT_EQ(values[0].name, QStringLiteral("bin8"));
    EXPECT_EQ(values[20].name, QStringLiteral("Point32"));
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(values[static_cast<size_t>(i)].name, grid->item(i + 1, 0)->text());
        page::CopyInspectorValue(*page, i);
        EXPECT_EQ(Clipboard(), values[static_cast<size_t>(i)].value.toStdString());
        EXPECT_EQ(Clipboard().find('\n'), std::string::npos) << i;
    }
    EXPECT_EQ(values[2].value.toStdString(), value(3));
}
