// One full repaint of both grids of a page in a 1920 x 1080 main window.

#include "BenchWindow.h"
#include "Summary.h"
#include "page/Page_form.h"
#include "support/TempFiles.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    PrepareHeadless();
    QApplication app(argc, argv);
    testing_support::TempDir dir;
    const std::string path = dir.write("paint.bin", testing_support::RandomBytes(1 << 20, 42));

    BenchWindow window;
    window.form.resize(1920, 1080);
    window.form.show();
    window.open(QString::fromStdString(path));
    QApplication::processEvents();
    TPageForm* page = window.form.activePage();
    if (!page)
        return 1;
    page->MoveToAddress(300000);
    std::printf("grid: %d bytes per row, %d rows\n", page->BytesPerRow(), page->Rows());

    constexpr int Warmup = 20;
    constexpr int Repaints = 500;
    for (int i = 0; i < Warmup; ++i) {
        page->BinGrid->repaint();
        page->TextGrid->repaint();
    }
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < Repaints; ++i) {
        page->BinGrid->repaint();
        page->TextGrid->repaint();
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    Summary("page_paint_ms", ms / Repaints, "ms");
    return 0;
}
