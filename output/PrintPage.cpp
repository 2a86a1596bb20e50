#include "output/PrintPage.h"

#include "page/Grid.h"
#include "page/Page_form.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <algorithm>

util::Bitmap RenderGrid(TPageForm& page, const page::Grid& grid, bool hexGrid)
{
    util::Bitmap image(grid.width(), grid.height());
    QPainter canvas(&image.image());
    // The cells were laid out for the grid's font; another face would run the
    // addresses and hex pairs into each other, or clip their last digits.
    canvas.setFont(grid.font());
    for (int row = 0; row < grid.rowCount(); ++row)
        for (int col = 0; col < grid.columnCount(); ++col) {
            // The grids have fixed columns only, no fixed rows.
            const page::CellState state{col < grid.fixedColumns(), false, false};
            page.DrawGridCell(canvas, col, row, grid.cellRect(col, row), state, hexGrid);
        }
    return image;
}

util::Bitmap RenderView(TPageForm& page)
{
    const page::Grid& hex = *page.BinGrid;
    const page::Grid& text = *page.TextGrid;
    util::Bitmap view(hex.width() + text.width(), std::max(hex.height(), text.height()));
    const util::Bitmap hexImage = RenderGrid(page, hex, true);
    const util::Bitmap textImage = RenderGrid(page, text, false);
    QPainter canvas(&view.image());
    canvas.drawImage(0, 0, hexImage.image());
    canvas.drawImage(hex.width(), 0, textImage.image());
    return view;
}

namespace output {

void PrintPage(TPageForm* page, QPrinter& printer, const PrintDialogCall& dialog, QWidget* owner,
               const std::vector<file::FileIdentity>& viewed)
{
    if (!page)
        return;
    PrintView(printer, dialog, owner, QFile::decodeName(QByteArray::fromStdString(page->fileName)),
              [page] { return RenderView(*page); }, viewed);
}

} // namespace output
