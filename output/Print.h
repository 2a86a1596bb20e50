#pragma once

// Printing the view: one sheet with the file's path as header, the product line
// as footer and the view image scaled and centred between them.

#include "file/FileIdentity.h"
#include "output/Bitmap.h"

#include <QString>

#include <functional>
#include <vector>

class QPainter;
class QPrinter;
class QRect;
class QWidget;

namespace output {

// The footer line: the product title and what the sheet shows.
QString PrintFooterLine();

} // namespace output

// Sends the image to the canvas, stretched into rect and stored without loss.
// A device that cannot scale images gets "Printer does not support raster
// operations." and nothing is drawn; a printer that fails while taking the image
// gets "Printer does not support StretchDIBits." (both captioned "Device Error",
// no owner window). A null image draws nothing, silently.
void PrintImage(QPainter& canvas, const QRect& rect, const util::Bitmap& image);

namespace output {

// Prints one sheet on the printer. Raises util::Error when the printer cannot
// begin or finish the document. A document that fails after it was begun is
// aborted; where the printer cannot abort (PDF and CUPS cannot), its output
// file, if it has one, is removed, so no half-made document is left behind.
void PrintSheet(QPrinter& printer, const QString& fileName, const util::Bitmap& image);

// The print dialog: lets the user choose the printer and its settings on the
// printer itself; true when the user confirmed.
using PrintDialogCall = std::function<bool(QPrinter& printer, QWidget* owner)>;
bool ShowPrintDialog(QPrinter& printer, QWidget* owner);

// The Print command around a view: the dialog, then, with the busy cursor,
// render the view and print it. A cancelled dialog renders and prints nothing;
// an output file that is one of the viewed files is refused with a box before
// anything is begun or written.
void PrintView(QPrinter& printer, const PrintDialogCall& dialog, QWidget* owner, const QString& fileName,
               const std::function<util::Bitmap()>& render, const std::vector<file::FileIdentity>& viewed = {});

} // namespace output
