#pragma once

// Printing a page: its two grids painted again, cell by cell, into an image.

#include "output/Bitmap.h"
#include "output/Print.h"

class QPrinter;
class QWidget;
class TPageForm;

namespace page {
class Grid;
}

// Every cell of one of the page's grids, painted by the page into a new image of
// the grid's size, in the grid's own font. Raises the paged file's error when a
// byte cannot be read.
util::Bitmap RenderGrid(TPageForm& page, const page::Grid& grid, bool hexGrid);

// The hex grid and the text grid side by side.
util::Bitmap RenderView(TPageForm& page);

namespace output {

// The Print command: nothing without a page; otherwise the dialog, then the
// page's view on one sheet, with the file's full path as the header, unless the
// output is one of the viewed files.
void PrintPage(TPageForm* page, QPrinter& printer, const PrintDialogCall& dialog, QWidget* owner,
               const std::vector<file::FileIdentity>& viewed = {});

} // namespace output
