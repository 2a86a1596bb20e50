#include "output/Print.h"
#include "output/PrintLayout.h"
#include "support/TempFiles.h"
#include "util/Error.h"
#include "util/Messages.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "PdfTools.h"
#include "QtPrinters.h"

#include <vector>

using testing_support::TempDir;

namespace {

// A printer whose device is a recorder: a fixed page in pixels, the texts and
// images drawn on it, and switches for the failures a real printer may have.
class FakeEngine : public QPaintEngine, public QPrintEngine {
public:
    struct Text {
        QString text;
        QPointF baseline;
    };

    explicit FakeEngine(PaintEngineFeatures features) : QPaintEngine(features) {}

    // QPaintEngine
    bool begin(QPaintDevice*) override
    {
        ++begins;
        state = QPrinter::Active;
        return true;
    }
    bool end() override
    {
        ++ends;
        if (state == QPrinter::Active)
            state = QPrinter::Idle;
        return true;
    }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF& r, const QImage& image, const QRectF&, Qt::ImageConversionFlags) override
    {
        images.push_back(r.toRect());
        imageSizes.push_back(image.size());
        if (failOnImage)
            state = QPrinter::Error;
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override { texts.push_back({item.text(), p}); }
    Type type() const override { return QPaintEngine::User; }

    // QPrintEngine
    void setProperty(PrintEnginePropertyKey key, const QVariant& value) override { properties[key] = value; }
    QVariant property(PrintEnginePropertyKey key) const override { return properties.value(key); }
    bool newPage() override { return true; }
    bool abort() override
    {
        ++aborts;
        if (!canAbort)
            return false;
        state = QPrinter::Aborted;
        return true;
    }
    int metric(QPaintDevice::PaintDeviceMetric id) const override
    {
        switch (id) {
        case QPaintDevice::PdmWidth: return pageWidth;
        case QPaintDevice::PdmHeight: return pageHeight;
        case QPaintDevice::PdmWidthMM: return 210;
        case QPaintDevice::PdmHeightMM: return 297;
        case QPaintDevice::PdmDpiX:
        case QPaintDevice::PdmDpiY:
        case QPaintDevice::PdmPhysicalDpiX:
        case QPaintDevice::PdmPhysicalDpiY: return 600;
        case QPaintDevice::PdmDepth: return 32;
        case QPaintDevice::PdmNumColors: return INT_MAX;
        case QPaintDevice::PdmDevicePixelRatio: return 1;
        case QPaintDevice::PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }
    QPrinter::PrinterState printerState() const override { return state; }

    int pageWidth = 4961;
    int pageHeight = 7017;
    bool failOnImage = false;
    bool canAbort = true;

    QPrinter::PrinterState state = QPrinter::Idle;
    int begins = 0, ends = 0, aborts = 0;
    std::vector<QRect> images;
    std::vector<QSize> imageSizes;
    std::vector<Text> texts;
    QHash<int, QVariant> properties;
};

class FakePrinter : public QPrinter {
public:
    explicit FakePrinter(QPaintEngine::PaintEngineFeatures features = QPaintEngine::PaintEngineFeatures(QPaintEngine::AllFeatures)) : engine(features)
    {
        setEngines(&engine, &engine);
    }
    ~FakePrinter() override = default;
    FakeEngine engine;
};

// The boxes shown while the guard lives; optionally each box raises an error,
// as a failure in the middle of the document would.
class MessageRecorder {
public:
    explicit MessageRecorder(bool throwOnShow = false)
        : seam(util::ShowMessageSeam,
               [this, throwOnShow](QWidget*, const util::Message& m) {
                   shown.push_back(m);
                   if (throwOnShow)
                       throw util::Error("failure in the middle of the sheet");
               }),
          silent(util::BeepSeam, [] {})
    {
    }
    std::vector<util::Message> shown;

private:
    decltype(util::ShowMessageSeam)::Override seam;
    decltype(util::BeepSeam)::Override silent;
};

util::Bitmap ViewImage(int width, int height, QColor colour = Qt::red)
{
    util::Bitmap image(width, height);
    image.image().fill(colour);
    return image;
}

const QPaintEngine::PaintEngineFeatures NoScaling =
    QPaintEngine::PaintEngineFeatures(QPaintEngine::AllFeatures) & ~QPaintEngine::PaintEngineFeatures(QPaintEngine::PixmapTransform);

const QString Path = QStringLiteral("/data/cases/evidence-disk.img");

TEST(PrintSheet, FollowsTheLayoutTableOnThePrinterPage)
{
    MessageRecorder messages;
    FakePrinter printer;
    output::PrintSheet(printer, Path, ViewImage(537, 583));

    const FakeEngine& e = printer.engine;
    ASSERT_EQ(e.images.size(), 1u);
    EXPECT_EQ(e.images[0], QRect(248, 1085, 4464, 4847));
    EXPECT_EQ(e.imageSizes[0], QSize(537, 583)); // the screen-sized image, stretched by the device
    ASSERT_EQ(e.texts.size(), 2u);
    EXPECT_EQ(e.texts[0].text, Path);
    EXPECT_TRUE(e.texts[1].text.startsWith(QStringLiteral("Byteloom 2.0 ")));
    // Baselines sit inside their bands: the header in 0-350, the footer in 6806-7017.
    EXPECT_GT(e.texts[0].baseline.y(), 0);
    EXPECT_LT(e.texts[0].baseline.y(), 350);
    EXPECT_GT(e.texts[1].baseline.y(), 6806);
    EXPECT_LT(e.texts[1].baseline.y(), 7017);
    EXPECT_EQ(printer.docName(), QStringLiteral("Byteloom 2.0"));
    EXPECT_EQ(e.begins, 1);
    EXPECT_EQ(e.ends, 1);
    EXPECT_EQ(e.aborts, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(PrintSheet, ADeviceThatCannotScaleImagesGetsOneMessageAndHeaderAndFooterOnly)
{
    MessageRecorder messages;
    FakePrinter printer(NoScaling);
    output::PrintSheet(printer, Path, ViewImage(537, 583));

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, QStringLiteral("Device Error"));
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Printer does not support raster operations."));
    EXPECT_TRUE(printer.engine.images.empty());
    EXPECT_EQ(printer.engine.texts.size(), 2u);
    EXPECT_EQ(printer.engine.ends, 1); // the sheet still comes out
    EXPECT_EQ(printer.engine.aborts, 0);
}

TEST(PrintSheet, APrinterFailingOnTheImageIsToldSoAndTheDocumentStillEnds)
{
    MessageRecorder messages;
    FakePrinter printer;
    printer.engine.failOnImage = true;
    output::PrintSheet(printer, Path, ViewImage(537, 583));

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, QStringLiteral("Device Error"));
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Printer does not support StretchDIBits."));
    EXPECT_EQ(printer.engine.ends, 1);
}

TEST(PrintSheet, AnEmptyImageGivesHeaderAndFooterSilently)
{
    MessageRecorder messages;
    FakePrinter printer;
    output::PrintSheet(printer, Path, util::Bitmap());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(printer.engine.images.empty());
    EXPECT_EQ(printer.engine.texts.size(), 2u);
    EXPECT_EQ(printer.engine.ends, 1);
}

TEST(PrintSheet, ADocumentThatFailsAfterItBeganIsAborted)
{
    MessageRecorder messages(/*throwOnShow=*/true);
    FakePrinter printer(NoScaling);
    EXPECT_THROW(output::PrintSheet(printer, Path, ViewImage(10, 10)), util::Error);
    EXPECT_EQ(printer.engine.aborts, 1);
    EXPECT_EQ(printer.printerState(), QPrinter::Aborted);
}

TEST(PrintSheet, AFailedDocumentThatCannotBeAbortedLeavesNoOutputFile)
{
    TempDir dir;
    const QString output = QString::fromStdString(dir.file("sheet.pdf"));
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("half a document");
    file.close();

    MessageRecorder messages(/*throwOnShow=*/true);
    FakePrinter printer(NoScaling);
    printer.engine.canAbort = false;
    printer.engine.setProperty(QPrintEngine::PPK_OutputFileName, output);
    EXPECT_THROW(output::PrintSheet(printer, Path, ViewImage(10, 10)), util::Error);
    EXPECT_EQ(printer.engine.aborts, 1);
    EXPECT_EQ(printer.engine.ends, 1); // the painter was let go
    EXPECT_FALSE(QFile::exists(output));
}

// A real PDF printer, as the print dialog's "Print to File (PDF)" sets it up.
void MakePdfPrinter(QPrinter& printer, const QString& output)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(output);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
}

// Bounding box of the pixels of one exact colour.
QRect BoundsOf(const QImage& image, QRgb colour)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// A real PDF printer writing into a temporary folder.
class PrintSheetToPdf : public ::testing::Test {
protected:
    void UsePdf(const std::string& name)
    {
        pdf = QString::fromStdString(dir.file(name));
        MakePdfPrinter(printer, pdf);
    }
    MessageRecorder messages;
    TempDir dir;
    QPrinter printer{QPrinter::HighResolution};
    QString pdf;
};

TEST_F(PrintSheetToPdf, OnePageWithHeaderFooterAndTheImageInsideTheMargins)
{
    UsePdf("view.pdf");
    const int resolution = printer.resolution();
    const QRect paint = printer.pageLayout().paintRectPixels(resolution);
    const output::PrintLayout layout = output::ComputePrintLayout(paint.width(), paint.height(), 537, 583);

    // Red image with a one-pixel blue frame: lossless storage keeps both exact.
    util::Bitmap image = ViewImage(537, 583);
    {
        QPainter p(&image.image());
        p.setPen(Qt::blue);
        p.drawRect(0, 0, 536, 582);
    }
    output::PrintSheet(printer, Path, image);
    ASSERT_TRUE(messages.shown.empty());

    EXPECT_TRUE(RunTool("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+1\\n")));
    // Flate, not JPEG: the view is stored without loss.
    const QString images = RunTool("pdfimages", {"-list", pdf});
    QString encoding;
    for (const QString& line : images.split(QLatin1Char('\n'))) {
        const QStringList cells = line.simplified().split(QLatin1Char(' '));
        if (cells.size() > 8 && cells[3] == QLatin1String("537") && cells[4] == QLatin1String("583"))
            encoding = cells[8];
    }
    EXPECT_EQ(encoding, QStringLiteral("image")) << images.toStdString();

    // Words with their boxes, in points (72 per inch).
    const QString words = PdfText(pdf, {"-bbox"});
    const double toPoints = 72.0 / resolution;
    auto wordBox = [&](const QString& word) {
        const QRegularExpression re(
            QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">%1</word>")
                .arg(QRegularExpression::escape(word)));
        const auto m = re.match(words);
        EXPECT_TRUE(m.hasMatch()) << word.toStdString() << " not found in " << words.toStdString();
        return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                      QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
    };
    const QRectF header = wordBox(Path);
    const QRectF footer = wordBox(QStringLiteral("Byteloom"));
    const double pageTop = paint.top() * toPoints;
    EXPECT_GE(header.top(), pageTop);
    EXPECT_LE(header.bottom(), pageTop + layout.header.height() * toPoints);
    EXPECT_NEAR(header.center().x(), (paint.left() + paint.width() / 2.0) * toPoints, 2.0);
    EXPECT_GE(footer.top(), pageTop + layout.footer.top() * toPoints);
    EXPECT_LE(footer.bottom(), pageTop + paint.height() * toPoints);
    EXPECT_TRUE(words.contains(QStringLiteral(">2.0</word>")));

    // The sheet as pixels: the image where the layout puts it, whole and exact.
    const int dpi = 60;
    const QString prefix = QString::fromStdString(dir.file("page"));
    RunTool("pdftoppm", {"-png", "-r", QString::number(dpi), "-singlefile", pdf, prefix});
    const QImage sheet(prefix + ".png");
    ASSERT_FALSE(sheet.isNull());
    const double toDots = double(dpi) / resolution;
    const QRectF expected((paint.left() + layout.image.left()) * toDots, (paint.top() + layout.image.top()) * toDots,
                          layout.image.width() * toDots, layout.image.height() * toDots);
    const QRect drawn = BoundsOf(sheet, qRgb(255, 0, 0));
    EXPECT_NEAR(drawn.left(), expected.left(), 2);
    EXPECT_NEAR(drawn.top(), expected.top(), 2);
    EXPECT_NEAR(drawn.left() + drawn.width(), expected.right(), 2);
    EXPECT_NEAR(drawn.top() + drawn.height(), expected.bottom(), 2);
    EXPECT_GE(drawn.top(), (paint.top() + layout.header.height()) * toDots);
    EXPECT_LE(drawn.bottom(), (paint.top() + layout.footer.top()) * toDots);
}

TEST_F(PrintSheetToPdf, APrinterThatCannotBeginRaisesAndWritesNothing)
{
    UsePdf("missing-folder/view.pdf");
    try {
        output::PrintSheet(printer, Path, ViewImage(20, 20));
        FAIL() << "no error";
    } catch (const util::Error& error) {
        EXPECT_STREQ(error.what(), "The printer could not begin the document.");
    }
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(messages.shown.empty());
}

// The command around the sheet: the dialog decides, the busy cursor covers the work.
class PrintViewTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    }
    TempDir dir;
    QString pdf = QString::fromStdString(dir.file("view.pdf"));
    int renders = 0;
    Qt::CursorShape cursorWhileRendering = Qt::ArrowCursor;
    std::function<util::Bitmap()> render = [this] {
        ++renders;
        cursorWhileRendering = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                              : Qt::ArrowCursor;
        return ViewImage(100, 50);
    };
};

TEST_F(PrintViewTest, CancellingPrintsNothingAndLeavesTheCursor)
{
    QApplication::setOverrideCursor(Qt::CrossCursor);
    QPrinter printer(QPrinter::HighResolution);
    MakePdfPrinter(printer, pdf);
    output::PrintView(printer, [](QPrinter&, QWidget*) { return false; }, nullptr, Path, render);
    EXPECT_EQ(renders, 0);
    EXPECT_FALSE(QFile::exists(pdf));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // nothing else was left on the stack
}

TEST_F(PrintViewTest, ConfirmingPrintsWithTheBusyCursorAndRestoresIt)
{
    QPrinter printer(QPrinter::HighResolution);
    output::PrintView(
        printer,
        [this](QPrinter& chosen, QWidget*) {
            MakePdfPrinter(chosen, pdf);
            return true;
        },
        nullptr, Path, render);
    EXPECT_EQ(renders, 1);
    EXPECT_EQ(cursorWhileRendering, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(PrintViewTest, AFailingPrinterRestoresTheCursorOnTheWayOut)
{
    QPrinter printer(QPrinter::HighResolution);
    MakePdfPrinter(printer, QString::fromStdString(dir.file("no/such/folder.pdf")));
    EXPECT_THROW(output::PrintView(printer, [](QPrinter&, QWidget*) { return true; }, nullptr, Path, render), util::Error);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
