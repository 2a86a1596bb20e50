// copy_16mib_ms: Copy Bytes of 16 MiB, from the click on OK until the clipboard holds the
// text, in the slowest format, best of the rounds (the median beside it); alternated
// with its yardstick, the same 16 MiB read through the paged file and put on the
// clipboard as they are. copy_16mib_peak_mib: the process's peak memory growth during
// one copy in the format that grows it most (the text it leaves on the clipboard included).

#include "Process.h"
#include "Summary.h"
#include "output/CopyCommands.h"
#include "output/CopyForm.h"
#include "output/CopyText.h"
#include "page/Page_form.h"
#include "support/TempFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int64_t Count = output::MaxCopyCount;
constexpr int Rounds = 7;

double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The peak resident size in KiB since the last reset.
double PeakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6));
    return 0;
}

void ResetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

qsizetype ClipboardSize()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime ? mime->data(QStringLiteral("text/plain")).size() : 0;
}

void EmptyClipboard()
{
    QGuiApplication::clipboard()->clear();
    QApplication::processEvents();
}

// One Copy Bytes through the dialog: the time from the click on OK until it returns.
double CopyOnce(const TPageForm& page, QWidget& owner, output::CopyFormat format)
{
    output::TCopyForm& form = output::CopyForm(&owner);
    form.setFormat(format);
    Clock::time_point clicked;
    QTimer::singleShot(0, [&] {
        form.StartEdit->setText(QStringLiteral("0"));
        form.CountEdit->setText(QString::number(Count));
        clicked = Clock::now();
        form.BitBtn1->click();
    });
    output::ShowCopyBytes(page, &owner);
    const Clock::time_point done = Clock::now();
    // Asked without a conversion, which would add a copy of the text to the peak.
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText())
        std::fprintf(stderr, "nothing copied\n");
    return Ms(clicked, done);
}

// The yardstick: the same bytes read through the paged file and put on the clipboard raw.
double RawOnce(const TPageForm& page)
{
    const Clock::time_point start = Clock::now();
    QByteArray bytes(Count, Qt::Uninitialized);
    std::vector<uint8_t> chunk(util::File64::File64Imp::WindowSize);
    int64_t done = 0;
    while (done < Count) {
        const int64_t n = std::min<int64_t>(page.file->readAt(done, chunk.data()), Count - done);
        std::copy_n(chunk.data(), n, bytes.data() + done);
        done += n;
    }
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("application/octet-stream"), bytes);
    QGuiApplication::clipboard()->setMimeData(mime);
    return Ms(start, Clock::now());
}

struct Figures {
    double best = 0, median = 0;
};

Figures Of(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2]};
}

const char* const Names[] = {"hex pairs", "C array", "text", "Base64"};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing_support::TempDir dir;
    const std::string path = dir.write("copy.bin", testing_support::RandomBytes(static_cast<size_t>(Count), 25));

    QWidget sheet;
    sheet.resize(1000, 700);
    auto* page = new TPageForm(&sheet, path);
    sheet.show();
    QApplication::processEvents();

    std::vector<double> times[output::CopyFormatCount];
    std::vector<double> core[output::CopyFormatCount];
    std::vector<double> raw;
    for (int round = 0; round < Rounds; ++round) {
        for (int f = 0; f < output::CopyFormatCount; ++f) {
            EmptyClipboard();
            times[f].push_back(CopyOnce(*page, sheet, static_cast<output::CopyFormat>(f)));
            EmptyClipboard();
            raw.push_back(RawOnce(*page));
            EmptyClipboard();
            const Clock::time_point start = Clock::now();
            const output::CopiedText text = output::CopyFileBytes(*page->file, 0, Count, static_cast<output::CopyFormat>(f));
            core[f].push_back(Ms(start, Clock::now()));
        }
    }
    int slowest = 0;
    for (int f = 0; f < output::CopyFormatCount; ++f) {
        const Figures fig = Of(times[f]);
        const Figures alone = Of(core[f]);
        std::printf("%-9s best %.1f ms, median %.1f ms (read and conversion alone: best %.1f ms, median %.1f ms)\n",
                    Names[f], fig.best, fig.median, alone.best, alone.median);
        if (fig.best > Of(times[slowest]).best)
            slowest = f;
    }
    const Figures yard = Of(raw);
    std::printf("yardstick (16 MiB read and put on the clipboard raw): best %.1f ms, median %.1f ms\n", yard.best,
                yard.median);

    // Peak growth, one copy per format, each from an empty clipboard.
    double peakMiB = 0;
    for (int f = 0; f < output::CopyFormatCount; ++f) {
        EmptyClipboard();
        ResetPeak();
        const double before = ResidentKiB();
        CopyOnce(*page, sheet, static_cast<output::CopyFormat>(f));
        const double grown = (PeakKiB() - before) / 1024;
        std::printf("%-9s peak growth %.1f MiB, clipboard %lld bytes\n", Names[f], grown,
                    static_cast<long long>(ClipboardSize()));
        peakMiB = std::max(peakMiB, grown);
    }

    const Figures slow = Of(times[slowest]);
    std::printf("slowest format: %s\n", Names[slowest]);
    Summary("copy_16mib_ms", slow.best, "ms");
    Summary("copy_16mib_median_ms", slow.median, "ms");
    Summary("copy_16mib_peak_mib", peakMiB, "MiB");
    return 0;
}
