// Where the time to the main window's first paint goes: runs itself as a child
// many times, Byteloom's start-up and an empty Qt main window in turn, each child
// stamping the end of every step since it was spawned; prints the medians.

#include "app/Application.h"
#include "app/Mainform.h"
#include "app/Startup.h"
#include "banner/BannerView.h"
#include "search/Fform.h"
#include "search/Gotoform.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMainWindow>
#include <QPixmap>
#include <QResource>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

static void InitImages() { Q_INIT_RESOURCE(images); }

namespace {

double NowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double spawnedAt = 0;

// Wall time since the spawn, and the process's processor time, which a busy
// machine disturbs less.
void Stamp(const char* step)
{
    timespec cpu;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    const double cpuMs = static_cast<double>(cpu.tv_sec) * 1e3 + static_cast<double>(cpu.tv_nsec) / 1e6;
    std::printf("%s, wall %.2f\n%s, cpu %.2f\n", step, NowMs() - spawnedAt, step, cpuMs);
}

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !done) {
            done = true;
            QTimer::singleShot(0, qApp, [] {
                Stamp("5 first paint done");
                QCoreApplication::quit();
            });
        }
        return false;
    }
    bool done = false;
};

// As the command bar takes them: bare pixels, no decoder.
void LoadCommandImages()
{
    for (int i = 0; i < 11; ++i) {
        const QByteArray pixels = QResource(QStringLiteral(":/commands/%1.argb").arg(i)).uncompressedData();
        QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(pixels.constData()), 24, 24, 96,
                                  QImage::Format_ARGB32_Premultiplied).copy());
    }
}

// The main window's parts one by one, each first use paying for what it warms up.
void MakeParts()
{
    InitImages();
    QFontDatabase::families();
    Stamp("p0 font database filled from fontconfig");
    QFontMetrics(QFont(QStringLiteral("Tahoma"), 8)).height();
    Stamp("p1 first font, Tahoma 8, resolved to a face");
    LoadCommandImages();
    Stamp("p2 11 command images, first time");
    LoadCommandImages();
    Stamp("p3 11 command images again");
    { banner::BannerView view; }
    Stamp("p4 banner view");
    { TGTForm form; }
    Stamp("p5 goto dialog");
    { TFindForm form; }
    Stamp("p6 find dialog");
}

int Child(const std::string& kind, int argc, char** argv)
{
    spawnedAt = std::atof(std::getenv("SPAWNED_AT_MS"));
    Stamp("1 main entered (loader, libraries, static init)");
    Application app(argc, argv);
    Stamp("2 application object");
    const bool minimal = kind == "minimal";
    if (kind == "parts")
        MakeParts();
    std::unique_ptr<QMainWindow> window;
    if (minimal) {
        window = std::make_unique<QMainWindow>();
    } else {
        window = StartByteloom(); // the dialogs wait for their first use
        Stamp("3 main window made");
    }
    FirstPaint probe;
    window->installEventFilter(&probe);
    window->show();
    QApplication::exec();
    std::fflush(stdout);
    return 0;
}

std::map<std::string, double> RunChild(const char* self, const char* kind)
{
    int fds[2];
    if (pipe(fds) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    char* argv[] = {const_cast<char*>(self), const_cast<char*>(kind), nullptr};
    setenv("SPAWNED_AT_MS", std::to_string(NowMs()).c_str(), 1);
    pid_t pid;
    posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string out;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status;
    waitpid(pid, &status, 0);
    std::map<std::string, double> steps;
    for (size_t at = 0; at < out.size();) {
        const size_t end = out.find('\n', at);
        const std::string line = out.substr(at, end - at);
        const size_t space = line.find_last_of(' ');
        if (space != std::string::npos)
            steps[line.substr(0, space)] = std::atof(line.c_str() + space + 1);
        at = end == std::string::npos ? out.size() : end + 1;
    }
    return steps;
}

void Report(const char* kind, const std::vector<std::map<std::string, double>>& runs)
{
    std::printf("%s (median ms since spawn; processor ms):\n", kind);
    for (const auto& [step, unused] : runs.front()) {
        std::vector<double> v;
        for (const auto& run : runs)
            v.push_back(run.count(step) ? run.at(step) : -1);
        std::sort(v.begin(), v.end());
        std::printf("  %-62s %7.1f\n", step.c_str(), v[v.size() / 2]);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        return Child(argv[1], argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::vector<std::map<std::string, double>> byteloom, minimal, parts;
    RunChild(argv[0], "byteloom");
    RunChild(argv[0], "minimal");
    for (int i = 0; i < 15; ++i) {
        byteloom.push_back(RunChild(argv[0], "byteloom"));
        minimal.push_back(RunChild(argv[0], "minimal"));
        parts.push_back(RunChild(argv[0], "parts"));
    }
    Report("Byteloom", byteloom);
    Report("empty Qt main window", minimal);
    Report("Byteloom, its parts made first one by one", parts);
    return 0;
}
