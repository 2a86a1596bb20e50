// One cursor key on a page in a 1920 x 1080 main window: the key handled and both grids
// repainted, as a user sees it, with no accessibility client and with one listening.
// Each round alternates the keys with the same number of bare repaints, the yardstick.

#include "BenchWindow.h"
#include "Summary.h"
#include "page/Page_form.h"
#include "support/TempFiles.h"

#include <QAccessible>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int KeysPerRound = 200;
constexpr int Rounds = 9;

double Ms(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

struct Figure {
    double best;
    double median;
};

Figure Of(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2]};
}

} // namespace

int main(int argc, char** argv)
{
    PrepareHeadless();
    QApplication app(argc, argv);
    testing_support::TempDir dir;
    const std::string path = dir.write("keys.bin", testing_support::RandomBytes(1 << 20, 7));

    BenchWindow window;
    window.form.resize(1920, 1080);
    window.form.show();
    window.open(QString::fromStdString(path));
    QApplication::processEvents();
    TPageForm* page = window.form.activePage();
    if (!page)
        return 1;
    QApplication::setActiveWindow(&window.form);
    page->BinGrid->setFocus();
    QApplication::processEvents();
    page->MoveToAddress(300000);

    // A walk that comes back where it began, so every round sees the same rows.
    static const int walk[] = {Qt::Key_Down, Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Right,
                               Qt::Key_Up,   Qt::Key_Left,  Qt::Key_PageUp,   Qt::Key_Left};
    const auto keyRound = [&] {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < KeysPerRound; ++i) {
            page->BinGridKeyDown(page->BinGrid, walk[i % 8], Qt::NoModifier);
            page->BinGrid->repaint();
            page->TextGrid->repaint();
        }
        return Ms(start) / KeysPerRound;
    };
    const auto paintRound = [&] {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < KeysPerRound; ++i) {
            page->BinGrid->repaint();
            page->TextGrid->repaint();
        }
        return Ms(start) / KeysPerRound;
    };

    for (const bool listening : {false, true}) {
        QAccessible::setActive(listening);
        keyRound(); // warm-up
        std::vector<double> keys, paints;
        for (int round = 0; round < Rounds; ++round) {
            keys.push_back(keyRound());
            paints.push_back(paintRound());
        }
        const Figure key = Of(keys);
        const Figure paint = Of(paints);
        std::printf("%s: key %.3f ms best, %.3f median; repaint alone %.3f best, %.3f median\n",
                    listening ? "screen reader listening" : "no screen reader", key.best, key.median,
                    paint.best, paint.median);
        const std::string name = listening ? "page_key_a11y_ms" : "page_key_ms";
        Summary(name.c_str(), key.best, "ms");
        Summary((name + "_median").c_str(), key.median, "ms");
    }
    return 0;
}
