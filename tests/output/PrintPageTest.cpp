#include "output/PrintLayout.h"
#include "output/PrintPage.h"
#include "page/Page_form.h"
#include "support/FakeBlockIO.h"
#include "support/TempFiles.h"
#include "util/Error.h"
#include "util/Messages.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <gtest/gtest.h>

#include "PdfTools.h"
#include "QtPrinters.h"

#include <algorithm>
#include <memory>

using testing_support::RandomBytes;
using testing_support::TempDir;

namespace {

// A shown page on a 100-byte file: a partial last row and blank rows below it.
class PrintPageTest : public ::testing::Test {
protected:
    // "fi" in the name: the PDF sets it as a ligature, which the text read back spells out.
    void SetUp() override { open(dir.write("profile.bin", RandomBytes(100, 6))); }

    // Boxes the page defers until after a paint go to the seam, not to a later test.
    void TearDown() override
    {
        sheet.reset();
        QApplication::processEvents();
    }

    void open(const std::string& path, const DllLoader& library = file::Zere100())
    {
        sheet = std::make_unique<QWidget>();
        sheet->resize(1000, 700);
        page = new TPageForm(sheet.get(), path, library);
        sheet->show();
        QApplication::processEvents();
    }

    // Prints through a dialog that chooses a PDF file, as "Print to File (PDF)" does.
    void printToPdf()
    {
        output::PrintPage(
            page, printer,
            [this](QPrinter& chosen, QWidget*) {
                ++dialogs;
                chosen.setOutputFormat(QPrinter::PdfFormat);
                chosen.setOutputFileName(pdf);
                chosen.setPageSize(QPageSize(QPageSize::A4));
                return true;
            },
            nullptr);
    }

    // A pixel inside the cell, clear of its text.
    static QColor CellColour(const QImage& image, const page::Grid& grid, int col, int row, int left = 0)
    {
        return image.pixelColor(grid.cellRect(col, row).bottomRight() + QPoint(left - 1, -1));
    }

    TempDir dir;
    QString pdf = QString::fromStdString(dir.file("page.pdf"));
    std::unique_ptr<testing_support::FakeBlockIO> standIn; // outlives the page that reads through it
    std::unique_ptr<QWidget> sheet;
    TPageForm* page = nullptr;
    QPrinter printer{QPrinter::HighResolution};
    int dialogs = 0;
    std::vector<util::Message> boxes;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam, [this](QWidget*, const util::Message& m) { boxes.push_back(m); }};
};

TEST_F(PrintPageTest, TheViewImageHasTheScreensCellsAndColours)
{
    page->cursorAddress = 5;
    const page::Grid& hex = *page->BinGrid;
    const page::Grid& text = *page->TextGrid;
    const QImage view = RenderView(*page).image();
    ASSERT_EQ(view.size(), QSize(hex.width() + text.width(), std::max(hex.height(), text.height())));

    const QColor highlight = hex.palette().color(QPalette::Active, QPalette::Highlight);
    const QColor base = hex.palette().color(QPalette::Active, QPalette::Base);
    EXPECT_EQ(CellColour(view, hex, 0, 3), QColor(224, 240, 240));
    EXPECT_EQ(CellColour(view, hex, 6, 0), highlight); // byte 5 in the hex grid
    EXPECT_EQ(CellColour(view, text, 6, 0, hex.width()), highlight); // and in the text grid
    EXPECT_EQ(CellColour(view, text, 0, 0, hex.width()), QColor(Qt::white));
    const int bpr = page->BytesPerRow();
    // The first cell past the end, and the row below it: blank.
    EXPECT_EQ(CellColour(view, hex, 100 % bpr + 1, 100 / bpr), base);
    EXPECT_EQ(CellColour(view, hex, 1, 100 / bpr + 1), base);

    // Pixel for pixel, each grid prints as the screen shows it, text included.
    page->BinGrid->update();
    page->TextGrid->update();
    const QImage screenHex = page->BinGrid->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage screenText = page->TextGrid->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(view.copy(0, 0, hex.width(), hex.height()), screenHex);
    EXPECT_EQ(view.copy(hex.width(), 0, text.width(), text.height()), screenText);
}

TEST_F(PrintPageTest, PrintsThePageWithItsFullPathOnOneSheet)
{
    printToPdf();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(boxes.empty());

    const QString words = PdfText(pdf);
    EXPECT_TRUE(words.contains(QString::fromStdString(page->fileName))) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("Byteloom 2.0"))) << words.toStdString();

    const QString prefix = QString::fromStdString(dir.file("sheet"));
    ASSERT_EQ(QProcess::execute("pdftoppm", {"-png", "-r", "50", pdf, prefix}), 0);
    const QImage sheetImage(prefix + "-1.png");
    ASSERT_FALSE(sheetImage.isNull());
    EXPECT_FALSE(QFile::exists(prefix + "-2.png")); // one sheet only

    // The address column's colour lies inside the image rectangle, clear of the bands.
    const QRect paint = printer.pageLayout().paintRectPixels(printer.resolution());
    const output::PrintLayout layout = output::ComputePrintLayout(paint.width(), paint.height(),
                                                  page->BinGrid->width() + page->TextGrid->width(),
                                                  std::max(page->BinGrid->height(), page->TextGrid->height()));
    const double toDots = 50.0 / printer.resolution();
    QRect address;
    for (int y = 0; y < sheetImage.height(); ++y)
        for (int x = 0; x < sheetImage.width(); ++x)
            if (sheetImage.pixelColor(x, y) == QColor(224, 240, 240))
                address |= QRect(x, y, 1, 1);
    ASSERT_FALSE(address.isEmpty());
    EXPECT_GE(address.left(), (paint.left() + layout.image.left()) * toDots - 1);
    EXPECT_GE(address.top(), (paint.top() + layout.image.top()) * toDots - 1);
    EXPECT_LE(address.bottom(), (paint.top() + layout.image.bottom()) * toDots + 1);
    EXPECT_GE(address.top(), (paint.top() + layout.header.height()) * toDots);
    EXPECT_LE(address.bottom(), (paint.top() + layout.footer.top()) * toDots);
}

TEST_F(PrintPageTest, WithoutAPageNothingIsAsked)
{
    output::PrintPage(nullptr, printer, [this](QPrinter&, QWidget*) { return ++dialogs, true; }, nullptr);
    EXPECT_EQ(dialogs, 0);
}

TEST_F(PrintPageTest, ABytesReadFailureEndsThePrintBeforeAnyDocumentAndRestoresTheCursor)
{
    // A file of 1 MiB whose bytes past the first window cannot be read.
    standIn = std::make_unique<testing_support::FakeBlockIO>(int64_t{1} << 20, 0x41);
    standIn->failFrom = 0x10000;
    open("stand-in", standIn->library());
    page->MoveToAddress(0x20000);
    QApplication::processEvents(); // the screen's own failure box, shown after its paint
    boxes.clear();
    try {
        printToPdf();
        FAIL() << "no error";
    } catch (const util::Error& error) {
        EXPECT_STREQ(error.what(), "file read error");
    }
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(boxes.empty()); // the application's error handler reports it
}

} // namespace
