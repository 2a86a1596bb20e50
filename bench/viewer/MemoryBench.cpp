// Resident memory of the main window with ten tabs on 1 TiB sparse files.

#include "BenchWindow.h"
#include "Process.h"
#include "Summary.h"
#include "support/TempFiles.h"

#include <string>

namespace {

// Opens count tabs on files of the given size and returns the resident memory after each.
std::vector<double> OpenTabs(BenchWindow& window, const testing_support::TempDir& dir, int64_t size, int count)
{
    std::vector<double> resident;
    for (int i = 0; i < count; ++i) {
        const std::string name = "tab" + std::to_string(size) + "-" + std::to_string(i) + ".bin";
        window.open(QString::fromStdString(dir.sparse(name, size, size / 2, {1, 2, 3})));
        QApplication::processEvents();
        resident.push_back(ResidentKiB());
    }
    return resident;
}

} // namespace

int main(int argc, char** argv)
{
    PrepareHeadless();
    QApplication app(argc, argv);
    testing_support::TempDir dir;
    BenchWindow window;
    window.form.show();
    QApplication::processEvents();

    // A first small file warms up fonts, styles and the glyph tables, which every page shares.
    window.open(QString::fromStdString(dir.write("warm.bin", {1, 2, 3})));
    QApplication::processEvents();
    window.form.CategoryButtons1Categories0Items0Click();
    QApplication::processEvents();

    const int64_t tebi = int64_t{1} << 40;
    const std::vector<double> resident = OpenTabs(window, dir, tebi, 10);
    Summary("rss_10_tabs_mib", resident.back() / 1024, "MiB");
    Summary("rss_per_extra_tab_kib", (resident.back() - resident.front()) / 9, "KiB");

    // The same ten tabs on 1 MiB files: memory must not depend on the file size.
    while (window.form.FilePages->count() > 0)
        window.form.CategoryButtons1Categories0Items0Click();
    QApplication::processEvents();
    const std::vector<double> small = OpenTabs(window, dir, 1 << 20, 10);
    std::printf("ten tabs on 1 MiB files: %.1f MiB\n", small.back() / 1024);
    return 0;
}
