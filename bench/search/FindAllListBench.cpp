// Scrolling a Find All results list of a million hits: the time from a jump to a
// new place in the list to its painted rows, beside the same jumps in a list of a
// hundred hits (the yardstick: what painting a screen of rows costs anyway).

#include "Summary.h"
#include "file/File64.h"
#include "search/FindAllform.h"
#include "search/HitList.h"
#include "support/TempFiles.h"

#include <QApplication>
#include <QListView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int Rounds = 7;
constexpr int JumpsPerRound = 60;

struct List {
    List(const util::File64& file, size_t hits, int64_t spacing)
    {
        std::vector<int64_t> addresses(hits);
        for (size_t i = 0; i < hits; ++i)
            addresses[i] = static_cast<int64_t>(i) * spacing;
        model.setHits(std::move(addresses), file, 4);
        view.setFont(QFont(QStringLiteral("Courier New"), 9));
        view.setUniformItemSizes(true);
        view.setModel(&model);
        view.resize(860, 420);
        view.show();
        QApplication::processEvents();
    }
    // Milliseconds per jump to a random row and its repaint.
    double jumps(std::mt19937& random)
    {
        std::uniform_int_distribution<int> row(0, model.rowCount() - 1);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < JumpsPerRound; ++i) {
            view.setCurrentIndex(model.index(row(random)));
            view.viewport()->repaint();
        }
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / JumpsPerRound;
    }
    search::HitListModel model;
    QListView view;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    testing_support::TempDir dir;
    // 64 MiB of random bytes, hits every 64 bytes: rows far apart read anew.
    const auto bytes = testing_support::RandomBytes(size_t{64} << 20, 5);
    const util::File64 file(dir.write("hits", bytes));
    const auto made = std::chrono::steady_clock::now();
    List large(file, search::ListedHitsLimit, 64);
    const double setUp = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - made).count();
    List small(file, 100, 64);
    std::mt19937 random(11);
    std::vector<double> largeMs, smallMs;
    for (int round = 0; round < Rounds; ++round) {
        largeMs.push_back(large.jumps(random));
        smallMs.push_back(small.jumps(random));
    }
    std::sort(largeMs.begin(), largeMs.end());
    std::sort(smallMs.begin(), smallMs.end());
    std::printf("list of 1,000,000 rows: shown in %.1f ms; jump and repaint best %.2f ms, median %.2f ms\n", setUp,
                largeMs.front(), largeMs[Rounds / 2]);
    std::printf("list of 100 rows (yardstick): best %.2f ms, median %.2f ms\n", smallMs.front(), smallMs[Rounds / 2]);
    Summary("find_all_list_scroll_ms", largeMs.front(), "ms");
    return 0;
}
