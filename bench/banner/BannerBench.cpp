// The longest time the main thread spends on one hostile banner item: from the
// pane's show through the full layout to one paint of the strip, offscreen.
// With --raw the items go straight into the view, unjudged, to see what each
// would cost without the content checks.

#include "Summary.h"
#include "banner/BannerList.h"
#include "banner/BannerPane.h"
#include "banner/BannerView.h"
#include "banner/Cryptapi.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace {

// Hands the pane a list of item 0 and the one item under test at once.
class ListDownloader final : public banner::Downloader {
public:
    explicit ListDownloader(QByteArray list) : body(std::move(list)) {}
    void fetch(const banner::DownloadRequest&, QIODevice& target, Done done) override
    {
        done(target.write(body) == body.size());
    }
    void cancel() override {}

private:
    QByteArray body;
};

double Milliseconds(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// Lays the view's document out to its end and paints the strip once.
void FinishShowing(banner::BannerView& view)
{
    view.document()->pageCount();
    QApplication::processEvents();
    view.viewport()->repaint();
}

double ShowOnce(banner::BannerView& view, const QByteArray& item, bool raw);

// The median of a few showings, so one preemption on a busy machine does not decide.
double ShowMedian(banner::BannerView& view, const QByteArray& item, bool raw)
{
    constexpr int Runs = 5;
    std::array<double, Runs> times{};
    for (double& t : times)
        t = ShowOnce(view, item, raw);
    std::sort(times.begin(), times.end());
    return times[0] < 0 ? -1 : times[Runs / 2];
}

double ShowOnce(banner::BannerView& view, const QByteArray& item, bool raw)
{
    view.setHtml(QString());
    FinishShowing(view);
    if (raw) {
        const std::string page = banner::BuildItemPage(item.toStdString(), banner::PageHead(), banner::PageTail());
        QElapsedTimer timer;
        timer.start();
        view.loadHtml(QByteArray::fromStdString(page));
        FinishShowing(view);
        return Milliseconds(timer);
    }
    banner::Seams seams;
    seams.downloader = std::make_unique<ListDownloader>(
        QByteArray::fromStdString(banner::StartDelimiter() + "zero" + banner::StartDelimiter()) + item);
    seams.tempFolder = QDir::tempPath();
    banner::BannerPane pane(std::move(seams), &view);
    pane.downloadBannerList();
    if (pane.bannerList().size() != 2)
        return -1;
    QElapsedTimer timer;
    timer.start();
    pane.showBannerItem(1);
    FinishShowing(view);
    return Milliseconds(timer);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool raw = argc > 1 && std::strcmp(argv[1], "--raw") == 0;
    // A folder named after the options replaces the items kept with the benchmark.
    const char* items = argc > (raw ? 2 : 1) ? argv[raw ? 2 : 1] : HOSTILE_DIR;
    QApplication app(argc, argv);
    banner::BannerView view;
    view.resize(1280, banner::BannerView::StripHeight);
    view.show();
    QApplication::processEvents();

    const QDir folder(QString::fromLocal8Bit(items));
    double worst = 0;
    for (const QString& name : folder.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray item = file.readAll();
        const double ms = raw ? ShowOnce(view, item, raw) : ShowMedian(view, item, raw);
        if (ms < 0) {
            std::printf("%s: not in the list\n", qPrintable(name));
            return 1;
        }
        std::printf("%-32s %8lld bytes %10.2f ms\n", qPrintable(name), static_cast<long long>(item.size()), ms);
        std::fflush(stdout);
        worst = std::max(worst, ms);
    }
    Summary(raw ? "banner_worst_item_unjudged_ms" : "banner_worst_item_ms", worst, "ms");
    return 0;
}
