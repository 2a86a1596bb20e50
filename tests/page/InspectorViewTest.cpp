#include "page/InspectorView.h"
#include "page/Page_form.h"
#include "support/TempFiles.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QStyle>
#include <QLocale>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using testing_support::TempDir;

namespace {

// A float at 0, a DateTime at 8, a colour at 16 and 0xFF as the last byte.
std::vector<uint8_t> SmallFile()
{
    std::vector<uint8_t> bytes = {0xCD, 0xCC, 0xCC, 0x3D, 0x00, 0x00, 0x00, 0x00};
    const double date = 45000.75;
    bytes.resize(16);
    std::memcpy(bytes.data() + 8, &date, sizeof date);
    for (int b : {0x11, 0x22, 0x33, 0x44, 0x01, 0x00, 0x80, 0xFF})
        bytes.push_back(static_cast<uint8_t>(b));
    for (uint8_t b = 0; b < 40; ++b)
        bytes.push_back(b);
    bytes.push_back(0xFF);
    return bytes;
}

// A shown page on the small file, in a fixed locale.
class InspectorView : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        bytes = SmallFile();
        sheet = std::make_unique<QWidget>();
        sheet->resize(1000, 500);
        page = new TPageForm(sheet.get(), dir.write("inspect.bin", bytes));
        sheet->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        sheet.reset();
        QLocale::setDefault(saved);
    }

    // The value text of a row, found by its name in column 0.
    std::string value(const char* name) const
    {
        const QTableWidget& grid = *page->DataSG;
        for (int row = 1; row < grid.rowCount(); ++row)
            if (grid.item(row, 0) && grid.item(row, 0)->text() == QLatin1String(name))
                return grid.item(row, 1)->text().toStdString();
        return std::string("<no row ") + name + ">";
    }

    QLocale saved;
    TempDir dir;
    std::vector<uint8_t> bytes;
    std::unique_ptr<QWidget> sheet;
    TPageForm* page = nullptr;
};

TEST_F(InspectorView, ANewPageShowsTheBytesAtTheStart)
{
    const char* const names[] = {"bin8", "int8", "uint8", "int16", "uint16", "int32", "uint32",
                                 "int64", "uint64", "float", "double", "time_t", "DateTime",
                                 "File Date", "RGB 5:5:5", "RGB 5:6:5", "RGB24", "RGBA", "RGB32",
                                 "Point16", "Point32"};
    const QTableWidget& grid = *page->DataSG;
    ASSERT_EQ(grid.rowCount(), 22);
    for (int row = 1; row <= 21; ++row)
        EXPECT_EQ(grid.item(row, 0)->text().toStdString(), names[row - 1]) << "row " << row;
    EXPECT_EQ(grid.item(10, 1)->text().toStdString(), "0.100000001490116");
    EXPECT_EQ(value("bin8"), "11001101");
    EXPECT_EQ(value("uint64"), "1036831949");
}

TEST_F(InspectorView, EveryCursorMoveRewritesTheRows)
{
    QTest::keyClick(page->BinGrid, Qt::Key_Right);
    ASSERT_EQ(page->cursorAddress, 1);
    EXPECT_EQ(value("uint8"), "204");
    EXPECT_EQ(value("uint16"), "52428");

    page->MoveToAddress(8);
    EXPECT_EQ(value("DateTime"), "3/15/2023 6:00:00 PM");
    EXPECT_EQ(value("double"), "45000.75");

    const int perRow = page->BytesPerRow();
    const int col = 16 % perRow + page->BinGrid->fixedColumns();
    QTest::mouseClick(page->BinGrid, Qt::LeftButton, {}, page->BinGrid->cellRect(col, 16 / perRow).center());
    ASSERT_EQ(page->cursorAddress, 16);
    EXPECT_EQ(value("RGBA"), "R: 51, G: 34, B: 17, A: 68");
    EXPECT_EQ(value("RGB32"), "invalid");
    EXPECT_EQ(value("Point32"), "X: 1144201745, Y: -8388607");
    EXPECT_TRUE(page->DataSG->viewport()->updatesEnabled()); // the table repaints
}

TEST_F(InspectorView, NearTheEndTheMissingBytesReadAsZero)
{
    page->MoveToAddress(static_cast<int64_t>(bytes.size()) - 1);
    EXPECT_EQ(value("uint8"), "255");
    EXPECT_EQ(value("int8"), "-1");
    EXPECT_EQ(value("uint16"), "255");
    EXPECT_EQ(value("int16"), "255");
    EXPECT_EQ(value("uint32"), "255");
    EXPECT_EQ(value("uint64"), "255");
    EXPECT_EQ(value("RGB32"), "R: 0, G: 0, B: 255");

    page->MoveToAddress(static_cast<int64_t>(bytes.size()) - 3);
    EXPECT_EQ(value("uint32"), "16721702"); // 26 27 FF, then zero
}

TEST_F(InspectorView, TheTableHasItsFixedLook)
{
    QTableWidget& grid = *page->DataSG;
    EXPECT_EQ(grid.columnWidth(0), 64);
    EXPECT_EQ(grid.columnWidth(1), grid.viewport()->width() - 64);
    EXPECT_EQ(grid.rowHeight(1), 16);
    EXPECT_EQ(grid.rowHeight(21), 16);
    EXPECT_EQ(grid.horizontalHeader()->height(), 16);
    EXPECT_TRUE(grid.horizontalHeader()->isVisible());
    EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(1), QHeaderView::Stretch);
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), "Type");
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), "Value");
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    for (int row = 1; row <= 21; ++row) {
        EXPECT_FALSE(grid.item(row, 0)->flags() & Qt::ItemIsEditable);
        EXPECT_FALSE(grid.item(row, 1)->flags() & Qt::ItemIsEditable);
        EXPECT_FALSE(grid.item(row, 0)->flags() & Qt::ItemIsSelectable);
    }
    EXPECT_EQ(grid.item(3, 1)->foreground().color(), QColor(0, 0, 128));

    // The fixed cells: the header row and the name column, at their bottom-right pixels
    // (texts start at the left).
    const QImage image = grid.grab().toImage();
    const QPoint viewport = grid.viewport()->mapTo(&grid, QPoint(0, 0));
    const QHeaderView& header = *grid.horizontalHeader();
    const QPoint headerOrigin = header.mapTo(&grid, QPoint(0, 0));
    const QColor fixed(224, 240, 240);
    EXPECT_EQ(image.pixelColor(headerOrigin + QPoint(header.sectionSize(0) - 4, 12)), fixed);
    EXPECT_EQ(image.pixelColor(headerOrigin + QPoint(header.sectionSize(0) + 100, 12)), fixed);
    const QRect nameCell = grid.visualItemRect(grid.item(3, 0)).translated(viewport);
    EXPECT_EQ(image.pixelColor(nameCell.bottomRight() - QPoint(3, 3)), fixed);
    const QRect valueCell = grid.visualItemRect(grid.item(3, 1)).translated(viewport);
    EXPECT_EQ(image.pixelColor(valueCell.bottomLeft() + QPoint(100, -3)), grid.palette().color(QPalette::Base));
}

// A style sheet or a palette of its own on a page's table keys new entries in Qt's
// style caches for every page, which outlive it; the look comes from painting and
// the cells' own colours instead.
TEST_F(InspectorView, NoStyleSheetOnThePageAndNoPaletteOfTheTablesOwn)
{
    EXPECT_FALSE(page->DataSG->testAttribute(Qt::WA_SetPalette));
    EXPECT_EQ(page->styleSheet().toStdString(), "");
    for (const QWidget* widget : page->findChildren<QWidget*>())
        EXPECT_EQ(widget->styleSheet().toStdString(), "") << widget->metaObject()->className();
    // The header text is navy (its smoothed edges only near it).
    QHeaderView& header = *page->DataSG->horizontalHeader();
    const QImage image = header.grab().toImage();
    bool navy = false;
    for (int x = 0; x < 30; ++x)
        for (int y = 0; y < image.height(); ++y)
        {
            const QColor c = image.pixelColor(x, y);
            navy = navy || (c.red() < 40 && c.green() < 40 && c.blue() > 100);
        }
    EXPECT_TRUE(navy);
}

TEST_F(InspectorView, TimeTKeepsItsLineFeedButShowsOneLine)
{
    page->MoveToAddress(4); // 00 00 00 00: the epoch (UTC)
    EXPECT_EQ(value("time_t"), "Thu Jan 01 00:00:00 1970\n");
    // The cell looks as it would without the line feed: one whole line, nothing elided.
    QTableWidget& grid = *page->DataSG;
    grid.setColumnWidth(1, 200);
    grid.scrollToItem(grid.item(12, 1));
    const QRect cell = grid.visualItemRect(grid.item(12, 1));
    const QImage withLineFeed = grid.viewport()->grab(cell).toImage();
    grid.item(12, 1)->setText(QStringLiteral("Thu Jan 01 00:00:00 1970"));
    EXPECT_EQ(grid.viewport()->grab(cell).toImage(), withLineFeed);
}

} // namespace

namespace {

struct FitCase {
    const char* name;
    QLocale locale;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class InspectorFit : public ::testing::TestWithParam<FitCase> {
protected:
    void SetUp() override { QLocale::setDefault(GetParam().locale); }
    void TearDown() override { QLocale::setDefault(saved); }
    QLocale saved;
    TempDir dir;
};

} // namespace

// At the panel's default width every value of the samples 8 x 00 and 8 x FF is whole,
// the name column keeps its place, and no key scrolls the table sideways.
TEST_P(InspectorFit, ValuesAreWholeAtTheDefaultWidth)
{
    std::vector<uint8_t> bytes(8, 0x00);
    bytes.resize(16, 0xFF);
    QWidget sheet;
    sheet.resize(1000, 600);
    auto* page = new TPageForm(&sheet, dir.write("fit.bin", bytes));
    sheet.show();
    QApplication::processEvents();
    QTableWidget& grid = *page->DataSG;
    ASSERT_EQ(page->Panel2->width(), 254);
    EXPECT_EQ(grid.columnWidth(0), 64);
    EXPECT_EQ(grid.columnWidth(0) + grid.columnWidth(1), grid.viewport()->width());

    const QFontMetrics metrics(grid.font());
    const int margins = 2 * (grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
    for (const int64_t address : {0, 8}) {
        page->MoveToAddress(address);
        for (int row = 1; row < grid.rowCount(); ++row) {
            const QString text = grid.item(row, 1)->text().trimmed();
            EXPECT_LE(metrics.horizontalAdvance(text) + margins, grid.columnWidth(1))
                << address << " " << grid.item(row, 0)->text().toStdString() << ": " << text.toStdString();
        }
    }

    grid.setFocus();
    grid.setCurrentCell(1, 1);
    for (const Qt::Key key : {Qt::Key_End, Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Down, Qt::Key_Right}) {
        QTest::keyClick(&grid, key);
        EXPECT_EQ(grid.horizontalScrollBar()->value(), 0);
        EXPECT_EQ(grid.columnViewportPosition(0), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, InspectorFit,
                         ::testing::Values(FitCase{"C", QLocale::c()},
                                           FitCase{"en_US", QLocale(QLocale::English, QLocale::UnitedStates)}),
                         [](const ::testing::TestParamInfo<FitCase>& p) { return std::string(p.param.name); });
