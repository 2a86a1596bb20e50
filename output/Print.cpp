#include "output/Print.h"

#include "util/Product.h"

#include "output/PrintLayout.h"
#include "output/PrintTarget.h"
#include "util/CursorSwapper.h"
#include "util/Error.h"
#include "util/Messages.h"

#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace output {

QString PrintFooterLine()
{
    return QString::fromLatin1(util::ProductTitle) + QStringLiteral(" - the bytes of the file as they stand, read-only");
}

namespace {

void ShowDeviceError(const char* text)
{
    util::ShowMessage(nullptr, {QStringLiteral("Device Error"), QString::fromLatin1(text)});
}

// The closest a Qt printer comes to a failed stretch: the device itself reports
// an error once the image was handed to it.
bool DeviceFailed(QPainter& canvas)
{
    const auto* printer = dynamic_cast<const QPrinter*>(canvas.device());
    return printer && printer->printerState() == QPrinter::Error;
}

// Draws the text centred in a band that spans the page, clipped to the band.
void DrawBandText(QPainter& canvas, const QRect& band, int pageWidth, const QString& text)
{
    // Measured on the printer itself: its resolution, not the screen's.
    const QFontMetrics metrics = canvas.fontMetrics();
    const QPoint at = CentredTextPos(band, pageWidth, metrics.horizontalAdvance(text), metrics.height());
    canvas.save();
    canvas.setClipRect(band);
    canvas.drawText(QPoint(at.x(), at.y() + metrics.ascent()), text);
    canvas.restore();
}

// A begun document: ends normally through close(); left any other way it is
// aborted, so a failed print never leaves a document open.
class OpenDocument {
public:
    OpenDocument(QPrinter& target, QPainter& painter) : printer(target), canvas(painter) {}
    OpenDocument(const OpenDocument&) = delete;
    OpenDocument& operator=(const OpenDocument&) = delete;

    void close()
    {
        closed = true;
        if (!canvas.end())
            throw util::Error("The printer could not finish the document.");
    }

    ~OpenDocument()
    {
        if (closed)
            return;
        const bool aborted = printer.abort();
        canvas.end();
        // Qt's PDF and CUPS printers cannot abort and have just written out what
        // was drawn; a file of theirs is a half-made document, so it goes.
        const QString output = printer.outputFileName();
        if (!aborted && !output.isEmpty())
            QFile::remove(output);
    }

private:
    QPrinter& printer;
    QPainter& canvas;
    bool closed = false;
};

} // namespace

} // namespace output

void PrintImage(QPainter& canvas, const QRect& rect, const util::Bitmap& image)
{
    const QPaintEngine* engine = canvas.paintEngine();
    if (!canvas.isActive() || !engine || !engine->hasFeature(QPaintEngine::PixmapTransform)) {
        output::ShowDeviceError("Printer does not support raster operations.");
        return;
    }
    const QImage& pixels = image.image();
    if (pixels.isNull())
        return;
    canvas.save();
    // Without this the PDF engine stores the image as JPEG and the cells blur.
    canvas.setRenderHint(QPainter::LosslessImageRendering);
    canvas.drawImage(rect, pixels);
    canvas.restore();
    if (output::DeviceFailed(canvas))
        output::ShowDeviceError("Printer does not support StretchDIBits.");
}

namespace output {

void PrintSheet(QPrinter& printer, const QString& fileName, const util::Bitmap& image)
{
    const int pageWidth = printer.width();
    const int pageHeight = printer.height();
    const PrintLayout layout = ComputePrintLayout(pageWidth, pageHeight, image.width(), image.height());
    printer.setDocName(QString::fromLatin1(util::ProductTitle));

    QPainter canvas;
    if (!canvas.begin(&printer))
        throw util::Error("The printer could not begin the document.");
    OpenDocument document(printer, canvas);
    DrawBandText(canvas, layout.header, pageWidth, fileName);
    canvas.setPen(Qt::black);
    DrawBandText(canvas, layout.footer, pageWidth, PrintFooterLine());
    // The painter's default composition already copies an opaque image as it is.
    PrintImage(canvas, layout.image, image);
    document.close();
}

bool ShowPrintDialog(QPrinter& printer, QWidget* owner)
{
    QPrintDialog dialog(&printer, owner);
    // One sheet of the current view: no page range, no selection.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

void PrintView(QPrinter& printer, const PrintDialogCall& dialog, QWidget* owner, const QString& fileName,
               const std::function<util::Bitmap()>& render, const std::vector<file::FileIdentity>& viewed)
{
    if (!dialog(printer, owner))
        return;
    if (IsViewedFile(printer.outputFileName(), viewed)) {
        util::ShowMessage(owner, {QStringLiteral("Error"), ViewedOutputText(printer.outputFileName()), util::BoxIcon::Error});
        return;
    }
    util::CursorSwapper busy;
    const util::Bitmap image = render();
    PrintSheet(printer, fileName, image);
}

} // namespace output
