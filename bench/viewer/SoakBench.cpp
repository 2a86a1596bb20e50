// Soak: twenty tabs on 1 TiB sparse files, a hundred thousand random navigation
// actions across them with finds and gotos between; resident memory and open
// descriptors must not grow once a warm-up round has run.

#include "BenchWindow.h"
#include "Process.h"
#include "Summary.h"
#include "page/Page_form.h"
#include "search/Search.h"
#include "support/TempFiles.h"

#include <QScrollBar>
#include <QTabWidget>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int64_t Tebi = int64_t{1} << 40;
constexpr int64_t Mebi = int64_t{1} << 20;
constexpr int Tabs = 20;
constexpr int Anchors = 16; // planted patterns per file
const std::vector<uint8_t> Planted = {0xB1, 0x0C, 0x5E, 0xED, 0x42};
constexpr const char* PlantedText = "B1 0C 5E ED 42";

void PlantAt(const std::string& path, int64_t offset, const std::vector<uint8_t>& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY);
    const bool written = fd >= 0 && pwrite(fd, bytes.data(), bytes.size(), offset) == static_cast<ssize_t>(bytes.size());
    if (fd >= 0)
        ::close(fd);
    if (!written)
        throw std::runtime_error("cannot plant into " + path);
}

struct Soak {
    BenchWindow& window;
    std::vector<std::vector<int64_t>> anchors; // per tab, where the pattern was planted
    std::mt19937_64 gen{20261210};
    long finds = 0, found = 0, errors = 0;

    int64_t below(int64_t n) { return static_cast<int64_t>(gen() % static_cast<uint64_t>(n)); }

    // Goes to a few MiB before one of the page's planted patterns and finds it from there.
    void find(TPageForm& page, int tab)
    {
        const int64_t anchor = anchors[static_cast<size_t>(tab)][static_cast<size_t>(below(Anchors))];
        page.MoveToAddress(anchor - below(3 * Mebi));
        ++finds;
        const int64_t at = search::SearchFile(*page.file, PlantedText, page.cursorAddress, [](int64_t) { return true; });
        if (at == anchor)
            ++found;
        if (at >= 0)
            page.MoveToAddress(at);
    }

    void act(TPageForm& page, int tab)
    {
        static const int keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right,
                                   Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
        const int64_t kind = below(100);
        if (kind < 70) {
            page.BinGridKeyDown(page.BinGrid, keys[below(8)], below(6) == 0 ? Qt::ControlModifier : Qt::NoModifier);
        } else if (kind < 85) {
            page.ScrollBar1Scroll(static_cast<page::ScrollAction>(below(4)), page.ScrollBar1->value());
        } else if (kind < 97) {
            page.MoveToAddress(below(Tebi)); // a goto
        } else {
            find(page, tab);
        }
    }

    // count actions, each on a random tab, made active now and then, painting as it goes.
    void run(int count)
    {
        int tab = 0;
        for (int i = 0; i < count; ++i) {
            if (i % 50 == 0) {
                tab = static_cast<int>(below(Tabs));
                window.form.FilePages->setCurrentIndex(tab);
            }
            TPageForm* page = window.form.activePage();
            try {
                act(*page, tab);
            } catch (const std::exception&) {
                ++errors;
            }
            if (i % 20 == 0)
                QApplication::processEvents();
            // A banner item now and then, through the strip and its render child.
            if (i % 200 == 0)
                window.form.Browser1->loadHtml("<p>Banner item <b>" + QByteArray::number(i) + "</b></p>");
        }
        QApplication::processEvents();
    }
};

} // namespace

int main(int argc, char** argv)
{
    PrepareHeadless();
    QApplication app(argc, argv);
    testing_support::TempDir dir;
    BenchWindow window;
    window.form.resize(1280, 800);
    window.form.show();
    QApplication::processEvents();

    Soak soak{window, {}};
    for (int t = 0; t < Tabs; ++t) {
        const std::string path = dir.sparse("soak" + std::to_string(t) + ".bin", Tebi);
        std::vector<int64_t> planted;
        for (int a = 0; a < Anchors; ++a) {
            const int64_t at = 4 * Mebi + soak.below(Tebi - 8 * Mebi);
            PlantAt(path, at, Planted);
            planted.push_back(at);
        }
        soak.anchors.push_back(planted);
        window.open(QString::fromStdString(path));
    }
    QApplication::processEvents();
    if (window.form.FilePages->count() != Tabs)
        return 1;

    const auto start = std::chrono::steady_clock::now();
    soak.run(10000); // warm-up round
    const double rssBefore = ResidentKiB();
    const long fdBefore = OpenDescriptors();
    const int childrenBefore = ChildProcesses();
    soak.run(100000);
    const double rssAfter = ResidentKiB();
    const long fdAfter = OpenDescriptors();
    const int childrenAfter = ChildProcesses();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("%d tabs, 110000 actions in %.1f s: %ld finds (%ld found where planted), %ld errors; "
                "resident %.0f -> %.0f KiB, descriptors %ld -> %ld, child processes %d -> %d\n",
                Tabs, seconds, soak.finds, soak.found, soak.errors, rssBefore, rssAfter, fdBefore, fdAfter, childrenBefore,
                childrenAfter);
    Summary("soak_rss_growth_kib", rssAfter - rssBefore, "KiB");
    Summary("soak_fd_growth", static_cast<double>(fdAfter - fdBefore), "descriptors");
    Summary("soak_child_growth", childrenAfter - childrenBefore, "processes");
    return soak.errors == 0 && soak.found == soak.finds ? 0 : 1;
}
