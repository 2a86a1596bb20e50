// Heap left behind by opening and closing a tab: nothing a page made may outlive it.

#include "BenchWindow.h"
#include "Summary.h"
#include "support/TempFiles.h"

#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <unistd.h>

namespace {

size_t HeapInUse() { return mallinfo2().uordblks; }

// The C library's per-thread cache keeps up to some hundred KiB of freed blocks that
// count as in use; without it the heap in use is what the program holds.
void WithoutThreadCache(char** argv)
{
    static const char tunable[] = "glibc.malloc.tcache_count=0";
    const char* current = std::getenv("GLIBC_TUNABLES");
    if (current && std::strstr(current, tunable))
        return;
    setenv("GLIBC_TUNABLES", tunable, 1);
    execv("/proc/self/exe", argv);
}

void OpenAndClose(BenchWindow& window, const QString& path, int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        window.open(path);
        QApplication::processEvents();
        window.form.CategoryButtons1Categories0Items0Click();
        QApplication::processEvents();
    }
}

} // namespace

int main(int argc, char** argv)
{
    WithoutThreadCache(argv);
    PrepareHeadless();
    QApplication app(argc, argv);
    testing_support::TempDir dir;
    BenchWindow window;
    window.form.show();
    QApplication::processEvents();
    const QString path = QString::fromStdString(dir.sparse("tab.bin", int64_t{1} << 30, 1000, {1, 2, 3}));

    constexpr int WarmUp = 100;
    constexpr int Rounds = 1000;
    OpenAndClose(window, path, WarmUp);
    const size_t before = HeapInUse();
    OpenAndClose(window, path, Rounds);
    const size_t after = HeapInUse();
    const double perRound = (static_cast<double>(after) - static_cast<double>(before)) / Rounds;
    std::printf("heap in use after %d warm-up rounds %zu bytes, after %d more %zu bytes\n", WarmUp, before, Rounds,
                after);
    Summary("tab_heap_growth_bytes", perRound, "bytes");
    return 0;
}
