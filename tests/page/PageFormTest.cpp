#include "page/Page_form.h"
#include "support/ErrorText.h"
#include "support/FakeBlockIO.h"
#include "support/TempFiles.h"
#include "util/Messages.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using testing_support::ErrorText;
using testing_support::FakeBlockIO;
using testing_support::RandomBytes;
using testing_support::TempDir;

namespace {

// A shown tab sheet holding one page on a file of the given bytes.
class Page : public testing::Test {
protected:
    void open(const std::vector<uint8_t>& content, QSize size = QSize(1000, 700))
    {
        bytes = content;
        openPath(dir.write("page.bin", content), size);
    }

    void openPath(const std::string& path, QSize size = QSize(1000, 700), const DllLoader& library = file::Zere100())
    {
        sheet = std::make_unique<QWidget>();
        sheet->resize(size);
        page = new TPageForm(sheet.get(), path, library);
        sheet->show();
        QApplication::processEvents();
    }

    void key(int k, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(page->BinGrid, Qt::Key(k), modifiers); }

    void click(page::Grid* grid, int col, int row)
    {
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(col, row).center());
    }

    QColor pixel(page::Grid* grid, int col, int row)
    {
        // The bottom-right pixel: texts start at the top-left and leave the last rows free.
        const QImage image = grid->grab().toImage();
        return image.pixelColor(grid->cellRect(col, row).bottomRight());
    }

    TempDir dir;
    std::vector<uint8_t> bytes;
    std::unique_ptr<QWidget> sheet;
    TPageForm* page = nullptr;
};

TEST_F(Page, GridFontMeasuresSevenByFourteen)
{
    QFont font = QApplication::font();
    font.setFamily("Courier New");
    font.setBold(true);
    const QFontMetrics metrics(font);
    EXPECT_EQ(metrics.horizontalAdvance('W'), 7);
    EXPECT_EQ(metrics.height(), 14);
}

TEST_F(Page, StartsAtTheTopWithTheGridsLaidOutForItsPanel)
{
    open(RandomBytes(5000, 1));
    EXPECT_EQ(page->fileSize, 5000);
    EXPECT_EQ(page->topAddress, 0);
    EXPECT_EQ(page->cursorAddress, 0);
    EXPECT_EQ(page->ScrollBar1->value(), 0);
    EXPECT_EQ(page->ScrollBar1->maximum(), 1000000);
    EXPECT_DOUBLE_EQ(page->bytesPerUnit, 0.005);

    const page::GridLayout expected = page::LayoutGrids(7, 14, page->Panel6->width(), page->Panel6->height());
    EXPECT_EQ(page->BytesPerRow(), expected.bytesPerRow);
    EXPECT_EQ(page->Rows(), expected.rows);
    EXPECT_GE(page->BytesPerRow(), 2);
    EXPECT_EQ(page->Panel6->width(), page->Panel3->width() - 17);
    EXPECT_EQ(page->Panel6->height(), page->Panel3->height() - 21);
    EXPECT_EQ(page->BinGrid->width(), 126 + (expected.bytesPerRow + 1) * 18);
    EXPECT_EQ(page->BinGrid->columnWidth(0), 126);
    EXPECT_EQ(page->BinGrid->columnWidth(1), 18);
    EXPECT_EQ(page->BinGrid->rowHeight(), 16);
    EXPECT_EQ(page->BinGrid->fixedColumns(), 1);
    EXPECT_EQ(page->TextGrid->columnWidth(0), 4);
    EXPECT_EQ(page->TextGrid->columnWidth(1), 9);
    EXPECT_EQ(page->TextGrid->columnCount(), page->BinGrid->columnCount());
    EXPECT_EQ(page->TextGrid->rowCount(), page->BinGrid->rowCount());
    EXPECT_EQ(page->TextGrid->x(), page->BinGrid->width());
    EXPECT_EQ(page->TextGrid->x() + page->TextGrid->width(), page->Panel6->width());
    EXPECT_EQ(page->HexLabel->x(), page->BinGrid->width() / 2);
    EXPECT_EQ(page->TextLabel->x(),
              page->TextGrid->x() + page->TextGrid->width() / 2 - page->TextLabel->width() / 2);
    EXPECT_EQ(page->AddressLabel->pos(), QPoint(32, 2));
    EXPECT_GE(page->Panel2->width(), 200);
    EXPECT_LE(page->Panel2->width(), 400);
}

TEST_F(Page, LabelsTabAndInspectorTable)
{
    open(RandomBytes(100, 2));
    for (QLabel* label : {page->AddressLabel, page->HexLabel, page->TextLabel}) {
        EXPECT_TRUE(label->font().bold());
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    }
    EXPECT_EQ(page->AddressLabel->text(), "ADDRESS");
    EXPECT_EQ(page->HexLabel->text(), "HEX");
    EXPECT_EQ(page->TextLabel->text(), "TEXT");
    EXPECT_EQ(page->PageControl2->count(), 1);
    EXPECT_EQ(page->PageControl2->tabText(0), "Common Types");
    EXPECT_EQ(page->DataSG->columnCount(), 2);
    EXPECT_EQ(page->DataSG->rowCount(), 22);
    EXPECT_EQ(page->DataSG->columnWidth(0), 64);
    EXPECT_EQ(page->DataSG->columnWidth(1), page->DataSG->viewport()->width() - 64);
    EXPECT_EQ(page->DataSG->item(0, 0)->text(), "Type");
    EXPECT_EQ(page->DataSG->item(0, 1)->text(), "Value");
    EXPECT_EQ(page->DataSG->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(Page, ReadByteGuardsTheEndOfTheFile)
{
    open(RandomBytes(70000, 3));
    EXPECT_EQ(ReadByte(*page, 69999), bytes[69999]);
    EXPECT_EQ(ReadByte(*page, 0), bytes[0]);
    EXPECT_EQ(ErrorText([&] { ReadByte(*page, 70000); }), "assertion failure");
    EXPECT_EQ(ErrorText([&] { page->CellByte(0, 0); }), "assertion failure");
    EXPECT_EQ(page->CellByte(0, 1), bytes[0]);
}

TEST_F(Page, KeysMoveTheCursorAndTheViewFollows)
{
    open(RandomBytes(100000, 4));
    const int bpr = page->BytesPerRow();
    const int rows = page->Rows();
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    EXPECT_EQ(page->cursorAddress, 1 + bpr);
    key(Qt::Key_End);
    EXPECT_EQ(page->cursorAddress, 2 * bpr - 1);
    key(Qt::Key_Home);
    EXPECT_EQ(page->cursorAddress, bpr);
    EXPECT_EQ(page->topAddress, 0);

    // Down from the last row in view scrolls one row.
    for (int i = 1; i < rows; ++i)
        key(Qt::Key_Down);
    EXPECT_EQ(page->cursorAddress, int64_t{rows} * bpr);
    EXPECT_EQ(page->topAddress, bpr);
    EXPECT_EQ(page->ScrollBar1->value(), static_cast<int>(bpr / page->bytesPerUnit));

    // Ctrl+Down moves the view only; once the cursor is out of view the next arrow brings it back.
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(page->topAddress, 4 * bpr);
    EXPECT_EQ(page->cursorAddress, int64_t{rows} * bpr);
    for (int i = 3; i < rows; ++i)
        key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(page->topAddress, int64_t{rows + 1} * bpr);
    key(Qt::Key_Left);
    EXPECT_EQ(page->cursorAddress, int64_t{rows} * bpr - 1);
    EXPECT_EQ(page->topAddress, int64_t{rows - 1} * bpr);

    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(page->cursorAddress, 99999);
    EXPECT_EQ(page->topAddress, (99999 / bpr - rows + 1) * bpr);
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(page->cursorAddress, 0);
    EXPECT_EQ(page->topAddress, 0);
    // Tab and other keys are swallowed: the focus stays on the grid.
    key(Qt::Key_Tab);
    EXPECT_EQ(page->cursorAddress, 0);
}

TEST_F(Page, MoveToTheLastByteAndAClickPastTheEndIsRefused)
{
    // A row and a half, so that the last byte leaves cells free after it in its row
    // whatever the panel's width makes of a row.
    open(RandomBytes(100, 5));
    const int bpr = page->BytesPerRow();
    open(RandomBytes(static_cast<size_t>(bpr + bpr / 2), 5));
    const int64_t last = page->fileSize - 1;
    page->MoveToAddress(last);
    EXPECT_EQ(page->topAddress, last / bpr * bpr);
    EXPECT_EQ(page->cursorAddress, last);
    const int col = static_cast<int>(last % bpr) + 1;
    EXPECT_EQ(page->BinGrid->currentRow(), 0);
    EXPECT_EQ(page->BinGrid->currentCol(), col);
    EXPECT_EQ(page->TextGrid->currentRow(), 0);
    EXPECT_EQ(page->TextGrid->currentCol(), col);

    ASSERT_LT(col, bpr);
    click(page->BinGrid, col + 1, 0);
    EXPECT_EQ(page->cursorAddress, last);
    click(page->BinGrid, 1, 1);
    EXPECT_EQ(page->cursorAddress, last);
    click(page->TextGrid, 1, 0);
    EXPECT_EQ(page->cursorAddress, page->topAddress);
    click(page->BinGrid, 0, 0); // the address column never becomes current
    EXPECT_EQ(page->cursorAddress, page->topAddress);
}

TEST_F(Page, WheelScrollsThreeRowsPerNotchAndTheScrollBarScrollsByRows)
{
    open(RandomBytes(100000, 6));
    const int bpr = page->BytesPerRow();
    const QPointF at = page->BinGrid->rect().center();
    QWheelEvent down(at, page->BinGrid->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(page->BinGrid, &down);
    EXPECT_EQ(page->topAddress, 3 * bpr);
    EXPECT_EQ(page->cursorAddress, 0);

    // A touchpad's small steps add up to whole notches.
    QWheelEvent half(at, page->TextGrid->mapToGlobal(at), QPoint(), QPoint(0, 60), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(page->TextGrid, &half);
    EXPECT_EQ(page->topAddress, 3 * bpr);
    QApplication::sendEvent(page->TextGrid, &half);
    EXPECT_EQ(page->topAddress, 0);
    QApplication::sendEvent(page->BinGrid, &down);
    EXPECT_EQ(page->topAddress, 3 * bpr);

    page->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(page->topAddress, 4 * bpr);
    page->ScrollBar1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(page->topAddress, 4 * bpr + page->BytesPerScreen());
    page->ScrollBar1->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(page->topAddress, 99999 / bpr * bpr);
    EXPECT_EQ(page->ScrollBar1->value(), static_cast<int>(static_cast<double>(page->topAddress) / page->bytesPerUnit));
    page->ScrollBar1->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(page->topAddress, 0);
    EXPECT_EQ(page->cursorAddress, 0);
}

// With a large grid font and the panel as narrow as the splitter lets it be, the
// grids still have room for two byte columns and no scroll raises an error.
class NarrowPage : public Page, public testing::WithParamInterface<int> {
protected:
    struct AppFont {
        explicit AppFont(int pixels)
        {
            QFont font = saved;
            font.setPixelSize(pixels);
            QApplication::setFont(font);
        }
        ~AppFont() { QApplication::setFont(saved); }
        const QFont saved = QApplication::font();
    };
};

TEST_P(NarrowPage, KeepsTwoByteColumnsAndScrollsWithoutError)
{
    const AppFont font(GetParam());
    std::vector<util::Message> boxes;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam, [&](QWidget*, const util::Message& m) { boxes.push_back(m); }};
    open(RandomBytes(100000, 9), QSize(700, 500));
    page->Splitter3->setSizes({1, 10000});
    QApplication::processEvents();
    ASSERT_EQ(page->Panel3->width(), page->Panel3->minimumWidth());

    EXPECT_GE(page->BytesPerRow(), 2);
    EXPECT_LE(page->BinGrid->width(), page->Panel6->width()) << "the byte columns do not fit the panel";
    const QPointF at = page->BinGrid->rect().center();
    QWheelEvent down(at, page->BinGrid->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    EXPECT_EQ(ErrorText([&] { QApplication::sendEvent(page->BinGrid, &down); }), "no error");
    EXPECT_EQ(page->topAddress, 3 * page->BytesPerRow());
    EXPECT_EQ(ErrorText([&] { page->BinGridKeyDown(page->BinGrid, Qt::Key_Down, Qt::ControlModifier); }), "no error");
    EXPECT_EQ(ErrorText([&] { page->BinGridKeyDown(page->BinGrid, Qt::Key_Up, Qt::ControlModifier); }), "no error");
    page->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    page->ScrollBar1->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QApplication::processEvents();
    EXPECT_EQ(page->topAddress, 3 * page->BytesPerRow());
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(GridFontPixels, NarrowPage, testing::Values(13, 40, 72),
                         [](const testing::TestParamInfo<int>& p) { return "Pixels" + std::to_string(p.param); });

TEST_F(Page, DraggingTheThumbOfAHugeFileMovesByWholeRows)
{
    const int64_t tebi = int64_t{1} << 40;
    openPath(dir.sparse("huge.bin", tebi, tebi - 1, {0x77}));
    const int bpr = page->BytesPerRow();
    page->ScrollBar1->setSliderDown(true);
    page->ScrollBar1->setSliderPosition(500000);
    const auto target = static_cast<int64_t>(500000 * page->bytesPerUnit);
    EXPECT_EQ(page->topAddress % bpr, 0);
    EXPECT_LE(page->topAddress, target);
    EXPECT_GT(page->topAddress, target - bpr);
    const int64_t dragged = page->topAddress;
    page->ScrollBar1->setSliderDown(false);
    EXPECT_EQ(page->topAddress, dragged);

    page->ScrollBar1->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(page->topAddress, (tebi - 1) / bpr * bpr);
    page->MoveToAddress(tebi - 1);
    EXPECT_EQ(page->CellText(0, static_cast<int>((tebi - 1) % bpr) + 1, true).length, 2);
    EXPECT_EQ(ReadByte(*page, tebi - 1), 0x77);
}

// The thumb's rectangle as the style draws it.
QRect ThumbRect(QScrollBar& bar)
{
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    option.subControls = QStyle::SC_All;
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar);
}

TEST_F(Page, AClickOnTheThumbWithoutADragLeavesTheView)
{
    const int64_t tebi = int64_t{1} << 40;
    openPath(dir.sparse("huge.bin", tebi, tebi - 1, {0x77}));
    page->MoveToAddress(tebi / 3);
    const int64_t top = page->topAddress;
    const QPoint thumb = ThumbRect(*page->ScrollBar1).center();
    QTest::mousePress(page->ScrollBar1, Qt::LeftButton, {}, thumb);
    QTest::mouseRelease(page->ScrollBar1, Qt::LeftButton, {}, thumb);
    EXPECT_EQ(page->topAddress, top);

    // After a drag, a plain click still leaves the view where the drag left it.
    page->ScrollBar1->setSliderDown(true);
    page->ScrollBar1->setSliderPosition(100000);
    page->ScrollBar1->setSliderDown(false);
    const int64_t dragged = page->topAddress;
    EXPECT_NE(dragged, top);
    const QPoint moved = ThumbRect(*page->ScrollBar1).center();
    QTest::mousePress(page->ScrollBar1, Qt::LeftButton, {}, moved);
    QTest::mouseRelease(page->ScrollBar1, Qt::LeftButton, {}, moved);
    EXPECT_EQ(page->topAddress, dragged);
}

// Each entry of the scroll bar's context menu, through the call it makes; the rows
// and the thumb agree after every one.
TEST_F(Page, EveryWayTheScrollBarMovesMovesTheViewAlike)
{
    open(RandomBytes(1000000, 9));
    const int bpr = page->BytesPerRow();
    const int64_t screen = page->BytesPerScreen();
    QScrollBar& bar = *page->ScrollBar1;
    const auto thumbAgrees = [&] {
        return bar.value() == static_cast<int>(static_cast<double>(page->topAddress) / page->bytesPerUnit);
    };

    bar.setValue(500000); // "Scroll here"
    EXPECT_EQ(page->topAddress % bpr, 0);
    EXPECT_LE(page->topAddress, 500000);
    EXPECT_GT(page->topAddress, 500000 - bpr);
    EXPECT_TRUE(thumbAgrees());
    const int64_t here = page->topAddress;

    struct Entry {
        const char* name;
        QAbstractSlider::SliderAction action;
        int64_t top;
    };
    const int64_t last = 999999 / bpr * bpr;
    const Entry entries[] = {
        {"Page down", QAbstractSlider::SliderPageStepAdd, here + screen},
        {"Page up", QAbstractSlider::SliderPageStepSub, here},
        {"Scroll down", QAbstractSlider::SliderSingleStepAdd, here + bpr},
        {"Scroll up", QAbstractSlider::SliderSingleStepSub, here},
        {"Bottom", QAbstractSlider::SliderToMaximum, last},
        {"Top", QAbstractSlider::SliderToMinimum, 0},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.name);
        bar.triggerAction(entry.action);
        EXPECT_EQ(page->topAddress, entry.top);
        EXPECT_TRUE(thumbAgrees());
    }
    EXPECT_EQ(page->cursorAddress, 0);
}

TEST_F(Page, TheThumbKeepsItsSmallSizeForAFileOfOneScreen)
{
    open(RandomBytes(100, 10));
    const QRect small = ThumbRect(*page->ScrollBar1);
    EXPECT_LT(small.height(), page->ScrollBar1->height() / 8);
    const int64_t tebi = int64_t{1} << 40;
    openPath(dir.sparse("huge.bin", tebi, tebi - 1, {0x77}));
    EXPECT_EQ(ThumbRect(*page->ScrollBar1).height(), small.height());
}

TEST_F(Page, CellsPaintTheirColoursAndBlanksPastTheEnd)
{
    open(RandomBytes(100, 7));
    page->MoveToAddress(99);
    QApplication::processEvents();
    const int col = 99 % page->BytesPerRow() + 1;
    const QPalette& colours = page->BinGrid->palette();
    EXPECT_EQ(pixel(page->BinGrid, 0, 0), QColor(224, 240, 240));
    EXPECT_EQ(pixel(page->BinGrid, 0, 3), QColor(224, 240, 240));
    EXPECT_EQ(pixel(page->TextGrid, 0, 0), QColor(Qt::white));
    EXPECT_EQ(pixel(page->BinGrid, col, 0), colours.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(pixel(page->TextGrid, col, 0), colours.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(pixel(page->BinGrid, 1, 1), colours.color(QPalette::Active, QPalette::Base));
    ASSERT_GT(col, 1) << "the last byte must not be the first of its row";
    EXPECT_EQ(pixel(page->BinGrid, col - 1, 0), colours.color(QPalette::Active, QPalette::Base));

    EXPECT_EQ(std::string(page->CellText(1, 0, true).chars.data(), 17),
              QString("00000000 %1")
                  .arg(static_cast<qulonglong>(page->topAddress + page->BytesPerRow()), 8, 16, QChar('0'))
                  .toUpper()
                  .toStdString());
    EXPECT_EQ(page->CellText(1, 1, true).length, 0);
}

TEST_F(Page, DrawGridCellPaintsIntoAnOffscreenImage)
{
    open({0x41, 0x0A, 0xE0});
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    const QRect address(0, 0, 126, 16);
    page->DrawGridCell(painter, 0, 0, address, page::CellState{true, false, false}, true);
    page->DrawGridCell(painter, 2, 0, QRect(130, 0, 18, 16), page::CellState{}, true);
    page->DrawGridCell(painter, 5, 0, QRect(150, 0, 18, 16), page::CellState{}, false);
    painter.end();
    EXPECT_EQ(image.pixelColor(125, 15), QColor(224, 240, 240));
    EXPECT_EQ(image.pixelColor(147, 15), page->BinGrid->palette().color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(image.pixelColor(167, 15), page->BinGrid->palette().color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(image.pixelColor(170, 15), QColor(Qt::black)); // nothing outside the cells
}

TEST_F(Page, UnreadableBytesPaintBlankAndTheTextIsShownOnceAfterThePaint)
{
    std::vector<util::Message> boxes;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam, [&](QWidget*, const util::Message& m) { boxes.push_back(m); }};
    // A file of 1 MiB whose bytes past the first window cannot be read.
    FakeBlockIO io(int64_t{1} << 20, 0x33);
    io.failFrom = 0x10000;
    openPath("stand-in", QSize(1000, 700), io.library());
    EXPECT_TRUE(boxes.empty());

    page->MoveToAddress(0x20000);
    page->BinGrid->repaint();
    EXPECT_TRUE(boxes.empty()); // never from inside the paint
    QApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "file read error");
    EXPECT_EQ(boxes[0].icon, util::BoxIcon::Error);
    EXPECT_EQ(pixel(page->BinGrid, 1, 0), page->BinGrid->palette().color(QPalette::Active, QPalette::Base));

    // Failing again: no second box until a paint has succeeded.
    page->BinGrid->repaint();
    page->TextGrid->repaint();
    QApplication::processEvents();
    EXPECT_EQ(boxes.size(), 1u);

    page->MoveToAddress(0);
    page->BinGrid->repaint();
    page->TextGrid->repaint();
    page->MoveToAddress(0x30000);
    page->BinGrid->repaint();
    QApplication::processEvents();
    EXPECT_EQ(boxes.size(), 2u);
    page->MoveToAddress(0);
    page->BinGrid->repaint();
    page->TextGrid->repaint();
    QApplication::processEvents();
    sheet.reset(); // the page's file closes through the stand-in, which ends with this test
}

} // namespace
