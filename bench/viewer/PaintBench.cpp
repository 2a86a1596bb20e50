// One full repaint of both grids of a page in a 1920 x 1080 main window, alone and
// paired for comparison with a copy that differs in every 37th byte.

#include "BenchWindow.h"
#include "Summary.h"
#include "page/Page_form.h"
#include "support/TempFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    PrepareHeadless();
    QApplication app(argc, argv);
    testing_support::TempDir dir;
    const std::vector<uint8_t> bytes = testing_support::RandomBytes(1 << 20, 42);
    const std::string path = dir.write("paint.bin", bytes);
    std::vector<uint8_t> changed = bytes;
    for (size_t i = 0; i < changed.size(); i += 37)
        changed[i] ^= 0xFF;
    const std::string partnerPath = dir.write("partner.bin", changed);

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

    // Paired: rounds alternate with the unpaired page as the yardstick.
    window.open(QString::fromStdString(partnerPath));
    window.form.FilePages->setCurrentIndex(0);
    window.form.compareWith(1);
    QApplication::processEvents();
    if (!page->PartnerPage())
        return 1;
    const auto timeRound = [&] {
        const auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < Repaints / 5; ++i) {
            page->BinGrid->repaint();
            page->TextGrid->repaint();
        }
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count() / (Repaints / 5);
    };
    std::vector<double> paired, alone;
    for (int round = 0; round < 7; ++round) {
        paired.push_back(timeRound());
        TPageForm* partner = page->PartnerPage();
        page->StopComparing();
        alone.push_back(timeRound());
        page->CompareWith(*partner);
    }
    std::sort(paired.begin(), paired.end());
    std::sort(alone.begin(), alone.end());
    std::printf("paired: best %.3f ms, median %.3f ms; alone: best %.3f ms, median %.3f ms\n", paired.front(),
                paired[paired.size() / 2], alone.front(), alone[alone.size() / 2]);
    Summary("page_paint_paired_ms", paired.front(), "ms");
    Summary("page_paint_paired_median_ms", paired[paired.size() / 2], "ms");
    return 0;
}
