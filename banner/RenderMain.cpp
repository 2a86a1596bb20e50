// byteloom_banner_render: the child that parses and lays out banner items for the
// window, so that no item can stall the window or swell its memory. It serves one
// request after another on its standard input and answers each on its standard
// output. It keeps no descriptor but those two (and a null standard error), runs
// Qt's offscreen platform, and bounds itself before it reads the first item: the
// processor time each item may take, and its address space at its idle size plus
// a fixed margin. The window kills it when it overruns its deadline.

#include "banner/RenderAnswer.h"
#include "banner/RenderDocument.h"

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sched.h>
#include <linux/close_range.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr rlim_t AddressMargin = rlim_t{128} << 20;
constexpr rlim_t SecondsPerItem = 1; // whole seconds, counted from the next one up

bool ReadExactly(char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::read(STDIN_FILENO, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAll(const QByteArray& bytes)
{
    const char* data = bytes.constData();
    std::size_t size = static_cast<std::size_t>(bytes.size());
    while (size > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The address space in use now, in bytes.
rlim_t VirtualSize()
{
    FILE* statm = std::fopen("/proc/self/statm", "re");
    unsigned long pages = 0;
    if (statm) {
        if (std::fscanf(statm, "%lu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    return static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

// The processor time spent so far, whole seconds rounded up.
rlim_t SecondsUsed()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<rlim_t>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1);
}

void Bound(int resource, rlim_t soft, rlim_t hard)
{
    const rlimit limit{soft, hard};
    if (setrlimit(resource, &limit) != 0)
        std::_Exit(3);
}

// Off one of the processors this child may use, when it may use more than one.
// With every processor busy, a busy machine (or the host of a virtual one) holds
// back a sleeping window's wake-up for 100 ms whatever the priorities; with one
// left free of render children, however many strips render at once, it does not.
void LeaveOneProcessor()
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2)
        return;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &allowed)) {
            CPU_CLR(cpu, &allowed);
            break;
        }
    sched_setaffinity(0, sizeof allowed, &allowed); // only a courtesy: refused, it changes nothing else
}

} // namespace

int main(int argc, char** argv)
{
    // Nothing the window had open, but the two pipes and standard error, which
    // becomes the null device.
    syscall(SYS_close_range, 3U, ~0U, 0U);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0 || dup2(null, STDERR_FILENO) < 0)
        return 3;
    ::close(null);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // Below the window in the scheduler's eyes: an item that spins here takes
    // processor time the window does not want, never the time it needs.
    setpriority(PRIO_PROCESS, 0, 10);
    LeaveOneProcessor();
    if (getppid() == 1)
        return 3;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    qunsetenv("QT_QPA_PLATFORMTHEME");

    QGuiApplication app(argc, argv);
    // Warm up the fonts and the text engine, so the idle size counts them.
    {
        banner::RenderRequest warm;
        warm.width = warm.widthWithBar = warm.height = 64;
        warm.html = "<p>Warm <b>up</b></p>";
        (void)banner::RenderItem(warm);
    }
    Bound(RLIMIT_AS, VirtualSize() + AddressMargin, VirtualSize() + AddressMargin);
    Bound(RLIMIT_FSIZE, 0, 0);
    Bound(RLIMIT_NOFILE, 64, 64);
    Bound(RLIMIT_CORE, 0, 0);

    if (!WriteAll(QByteArray(banner::ReadyKind, 4)))
        return 2;
    char header[banner::HeaderBytes];
    QByteArray body;
    while (ReadExactly(header, sizeof header)) {
        const std::optional<std::size_t> length = banner::BodyLength(header, banner::RequestKind, banner::MaxRequestBytes);
        if (!length)
            return 2;
        body.resize(static_cast<qsizetype>(*length));
        if (!ReadExactly(body.data(), *length))
            return 2;
        const std::optional<banner::RenderRequest> request = banner::DecodeRequest(body);
        if (!request)
            return 2;
        // Each item gets its own share of processor time; over it, SIGXCPU ends the child.
        const rlim_t used = SecondsUsed();
        Bound(RLIMIT_CPU, used + SecondsPerItem, RLIM_INFINITY);
        QPalette palette;
        for (std::size_t role = 0; role < banner::Colours; ++role)
            palette.setColor(static_cast<QPalette::ColorRole>(role), QColor::fromRgba(request->palette[role]));
        QGuiApplication::setPalette(palette);
        if (!WriteAll(banner::EncodeAnswer(banner::RenderItem(*request))))
            return 2;
    }
    return 0;
}
