// The banner strip against hostile items: the hostile items kept with the benchmark
// and then items from the mutator (Mutator.h), each shown in the real view with its
// real render child, one after another, while a 10 ms heartbeat runs on the main
// thread. Reports the longest heartbeat gap, the main process's memory growth over
// the run, the children and descriptors left, and how long an ordinary item takes
// from its arrival to its pixels on screen (beside the same item laid out in the
// window by a text view, as the strip did before the child).
//
// Usage: bench_banner [--mutants N] [--items FOLDER] [--strips N] [--seconds LIMIT] [--deadline MS]
// (10 000 mutants over 2 strips, ending early, with what it has, after LIMIT s). The
// strips of the hostile run give each item MS milliseconds (500) instead of the
// window's deadline, so that the many items that stall Qt cost the run little: what
// is measured is the window, which never waits on a child whatever its deadline.

#include "Mutator.h"
#include "Process.h"
#include "Summary.h"
#include "banner/BannerList.h"
#include "banner/BannerView.h"
#include "banner/Cryptapi.h"
#include "banner/RenderClient.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextBrowser>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The main thread's pulse: the longest time between two ticks while measuring.
// The main thread's own processor time, in milliseconds.
double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Heartbeat {
    static constexpr double SlowGapMs = 40;
    QTimer timer;
    Clock::time_point last = Clock::now();
    double lastCpu = ThreadCpuMs();
    double worst = 0;
    double worstBusy = 0; // the main thread's own time between two ticks: its part of a gap
    bool measuring = false;
    double worstIdle = 0; // the same pulse while nothing is shown: the machine's own share
    Heartbeat()
    {
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            const double cpu = ThreadCpuMs();
            if (measuring) {
                if (Ms(now - last) > SlowGapMs)
                    std::printf("slow gap: %.1f ms from %.6f s, main thread busy %.1f ms of it\n", Ms(now - last),
                                std::chrono::duration<double>(last.time_since_epoch()).count(), cpu - lastCpu);
                worst = std::max(worst, Ms(now - last));
                worstBusy = std::max(worstBusy, cpu - lastCpu);
            }
            last = now;
            lastCpu = cpu;
        });
        timer.start(10);
    }
    void start()
    {
        last = Clock::now();
        lastCpu = ThreadCpuMs();
        measuring = true;
    }
    // Runs the event loop with nothing to show for a while, measuring the gaps apart.
    void idle(std::chrono::milliseconds time)
    {
        const double kept = worst;
        worst = 0;
        last = Clock::now();
        const auto end = Clock::now() + time;
        while (Clock::now() < end)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        worstIdle = std::max(worstIdle, worst);
        worst = kept;
        last = Clock::now();
        lastCpu = ThreadCpuMs();
    }
};

struct Shower {
    banner::BannerView& view;
    int shown = 0, failed = 0, refused = 0;
    bool done = false, ok = false;

    explicit Shower(banner::BannerView& v) : view(v)
    {
        QObject::connect(&view, &banner::BannerView::itemFinished, [this](bool s) {
            done = true;
            ok = s;
        });
    }
    // As the pane shows an item: over the byte cap it never reaches the view.
    bool show(const QByteArray& item)
    {
        const std::string listed = banner::StartDelimiter() + item.toStdString();
        if (listed.size() > banner::MaxItemBytes) {
            ++refused;
            return false;
        }
        done = false;
        view.loadHtml(QByteArray::fromStdString(banner::BuildItemPage(listed, banner::PageHead(), banner::PageTail())));
        while (!done)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        view.viewport()->repaint();
        ok ? ++shown : ++failed;
        return ok;
    }
};

// Every event the main thread handles, timed: the slowest one, by kind and receiver,
// says where the main thread's own part of a gap went.
class TimedApplication final : public QApplication {
public:
    static constexpr double SlowEventMs = 40;
    using QApplication::QApplication;
    bool measuring = false;
    double slowest = 0;
    std::string slowestWhat;
    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!measuring)
            return QApplication::notify(receiver, event);
        const auto start = Clock::now();
        const int type = event->type();
        const bool result = QApplication::notify(receiver, event);
        const double ms = Ms(Clock::now() - start);
        if (ms > SlowEventMs) {
            // When, on the monotonic clock, so that a profile of the run can find it.
            std::printf("slow event: %.1f ms from %.6f s (%s, event %d)\n", ms,
                        std::chrono::duration<double>(start.time_since_epoch()).count(),
                        receiver->metaObject()->className(), type);
            std::fflush(stdout);
        }
        if (ms > slowest) {
            slowest = ms;
            slowestWhat = std::string(receiver->metaObject()->className()) + ", event " + std::to_string(type);
        }
        return result;
    }
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int mutants = 10000;
    int laneCount = 2;
    int maxSeconds = 3600;
    int deadlineMs = 500;
    const char* items = HOSTILE_DIR;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mutants") == 0)
            mutants = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--items") == 0)
            items = argv[i + 1];
        else if (std::strcmp(argv[i], "--strips") == 0)
            laneCount = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--seconds") == 0)
            maxSeconds = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--deadline") == 0)
            deadlineMs = std::max(1, std::atoi(argv[i + 1]));
    }
    TimedApplication app(argc, argv);
    banner::BannerView view;
    view.resize(1280, banner::BannerView::StripHeight);
    view.show();
    QApplication::processEvents();
    Heartbeat heartbeat;
    Shower shower(view);
    const std::vector<QByteArray> ordinary = bench_banner::OrdinaryItems();
    for (const QByteArray& item : ordinary)
        shower.show(item); // starts the child and warms the fonts

    // An ordinary item from its arrival to its pixels painted, beside the same item
    // laid out and painted in the window by a text view.
    QTextBrowser browser;
    browser.resize(view.size());
    browser.show();
    std::vector<double> rounds, yardsticks;
    for (int round = 0; round < 5; ++round) {
        std::vector<double> times, inWindow;
        for (const QByteArray& item : ordinary) {
            auto start = Clock::now();
            shower.show(item);
            times.push_back(Ms(Clock::now() - start));
            start = Clock::now();
            browser.setHtml(QString::fromUtf8(item));
            browser.document()->pageCount();
            browser.viewport()->repaint();
            inWindow.push_back(Ms(Clock::now() - start));
        }
        rounds.push_back(Median(times));
        yardsticks.push_back(Median(inWindow));
    }
    std::printf("ordinary item to pixels: best round %.2f ms, median round %.2f ms "
                "(laid out in the window instead: %.2f / %.2f ms)\n",
                *std::min_element(rounds.begin(), rounds.end()), Median(rounds),
                *std::min_element(yardsticks.begin(), yardsticks.end()), Median(yardsticks));

    // The hostile run: the items go to several strips at once, each with its own
    // child, so that the main thread meets their answers and failures together.
    std::vector<std::pair<QString, QByteArray>> hostile;
    const QDir folder(QString::fromLocal8Bit(items));
    for (const QString& name : folder.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        hostile.emplace_back(name, file.readAll());
    }
    std::vector<QByteArray> seeds = ordinary;
    for (const auto& [name, item] : hostile)
        seeds.push_back(item);
    bench_banner::Mutator mutator(seeds);

    struct Lane {
        std::unique_ptr<banner::BannerView> view;
        bool busy = false;
        Clock::time_point start;
        QByteArray item;
    };
    std::vector<Lane> lanes(static_cast<std::size_t>(laneCount));
    int shown = 0, failed = 0, refused = 0;
    double slowest = 0;
    QByteArray slowestItem;
    for (Lane& lane : lanes) {
        lane.view = std::make_unique<banner::BannerView>();
        lane.view->resize(1280, banner::BannerView::StripHeight);
        lane.view->show();
        lane.view->renderer().setItemDeadline(std::chrono::milliseconds(deadlineMs));
        Lane* l = &lane;
        QObject::connect(lane.view.get(), &banner::BannerView::itemFinished, [&, l](bool ok) {
            l->busy = false;
            ok ? ++shown : ++failed;
            l->view->viewport()->repaint();
            const double ms = Ms(Clock::now() - l->start);
            if (ms > slowest) {
                slowest = ms;
                slowestItem = l->item;
            }
        });
    }
    const auto give = [&](Lane& lane, const QByteArray& item) {
        const std::string listed = banner::StartDelimiter() + item.toStdString();
        if (listed.size() > banner::MaxItemBytes) {
            ++refused;
            return;
        }
        lane.busy = true;
        lane.item = item;
        lane.start = Clock::now();
        lane.view->loadHtml(QByteArray::fromStdString(banner::BuildItemPage(listed, banner::PageHead(), banner::PageTail())));
    };
    const auto anyBusy = [&] { return std::any_of(lanes.begin(), lanes.end(), [](const Lane& l) { return l.busy; }); };
    for (Lane& lane : lanes)
        give(lane, ordinary[0]);
    while (anyBusy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    shown = 0;

    QApplication::processEvents();
    const double rssBefore = ResidentKiB();
    const long fdBefore = OpenDescriptors();
    const auto runStart = Clock::now();
    const auto stopAt = runStart + std::chrono::seconds(maxSeconds);
    heartbeat.start();
    app.measuring = true;
    double slowestGive = 0;
    const int total = static_cast<int>(hostile.size()) + mutants;
    int next = 0;
    while (next < total && Clock::now() < stopAt) {
        for (Lane& lane : lanes)
            if (!lane.busy && next < total) {
                const QByteArray item = next < static_cast<int>(hostile.size()) ? hostile[static_cast<std::size_t>(next)].second
                                                                                 : mutator.next();
                const auto giveStart = Clock::now();
                give(lane, item);
                slowestGive = std::max(slowestGive, Ms(Clock::now() - giveStart));
                ++next;
                if (next % 250 == 0) {
                    while (anyBusy())
                        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
                    heartbeat.idle(std::chrono::milliseconds(300)); // the yardstick, alternated with the work
                }
                if (next % 1000 == 0) {
                    std::printf("%d items: %d shown, %d failed in the child, %d over the byte cap; worst gap %.1f ms "
                                "(idle between: %.1f ms; main thread busy at most %.1f ms of a gap), resident %+.1f MiB, %.0f s\n",
                                next, shown, failed, refused, heartbeat.worst, heartbeat.worstIdle, heartbeat.worstBusy,
                                (ResidentKiB() - rssBefore) / 1024,
                                std::chrono::duration<double>(Clock::now() - runStart).count());
                    std::fflush(stdout);
                }
            }
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    while (anyBusy())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    heartbeat.measuring = false;
    app.measuring = false;
    std::printf("main thread: slowest event %.1f ms (%s); slowest hand-over of an item %.1f ms\n", app.slowest,
                app.slowestWhat.c_str(), slowestGive);
    const int mutantsShown = std::max(0, next - static_cast<int>(hostile.size()));
    const double seconds = std::chrono::duration<double>(Clock::now() - runStart).count();
    const double rssAfter = ResidentKiB();
    view.renderer().restart();
    for (Lane& lane : lanes)
        lane.view->renderer().restart();
    const auto settle = Clock::now() + std::chrono::seconds(5);
    const auto living = [&] {
        int n = view.livingChildren();
        for (const Lane& lane : lanes)
            n += lane.view->livingChildren();
        return n;
    };
    while (living() > 0 && Clock::now() < settle)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const long fdAfter = OpenDescriptors();
    const auto [children, zombies] = CountChildren();

    std::printf("per-item deadline %d ms; ", deadlineMs);
    std::printf("%zu hostile items and %d mutants in %.0f s over %d strips: %d shown, %d failed in the child, %d over "
                "the byte cap; slowest item %.0f ms (%lld bytes); resident %.0f -> %.0f KiB; descriptors %ld -> %ld; "
                "children left %d (%d zombies)\n",
                hostile.size(), mutantsShown, seconds, laneCount, shown, failed, refused, slowest,
                static_cast<long long>(slowestItem.size()), rssBefore, rssAfter, fdBefore, fdAfter, children, zombies);
    if (const QByteArray out = qgetenv("BANNER_SLOWEST"); !out.isEmpty()) {
        QFile file(QString::fromLocal8Bit(out));
        if (file.open(QIODevice::WriteOnly))
            file.write(slowestItem);
    }
    Summary("banner_worst_stall_ms", heartbeat.worst, "ms");
    Summary("banner_idle_stall_ms", heartbeat.worstIdle, "ms");
    Summary("banner_worst_busy_ms", heartbeat.worstBusy, "ms");
    Summary("banner_rss_growth_mib", (rssAfter - rssBefore) / 1024, "MiB");
    Summary("banner_item_ms", *std::min_element(rounds.begin(), rounds.end()), "ms");
    Summary("banner_children_left", children, "processes");
    Summary("banner_fd_growth", static_cast<double>(fdAfter - fdBefore), "descriptors");
    return 0;
}
