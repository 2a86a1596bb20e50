// Time from process start to the main window's first paint, Byteloom against an
// empty Qt main window built beside it; the median of several runs each. The
// processor time the probe used by its first paint is shown beside the wall time:
// a loaded machine disturbs it less.

#include "Summary.h"

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <limits.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::string Folder()
{
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    std::string path(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.find_last_of('/'));
}

struct FirstPaintTimes {
    double wall = -1; // milliseconds from the spawn to the "painted" line
    double cpu = -1;  // processor milliseconds the probe reported there
};

FirstPaintTimes TimeToFirstPaint(const std::string& program)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return {};
    }
    std::string output;
    char buffer[64];
    FirstPaintTimes times;
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<size_t>(n));
        const size_t at = output.find("painted ");
        if (at != std::string::npos && output.find('\n', at) != std::string::npos) {
            times.wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            times.cpu = std::atof(output.c_str() + at + 8);
            break;
        }
    }
    close(pipeFds[0]);
    int status;
    waitpid(pid, &status, 0);
    return times;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0); // the probes paint headless unless told otherwise
    const std::string folder = Folder();
    constexpr int Runs = 15;
    const std::string byteloomProbe = folder + "/startup_byteloom";
    const std::string minimalProbe = folder + "/startup_minimal";
    // One run of each first, so both start with warm caches; then turn about, so a
    // busy moment of the machine weighs on both alike.
    TimeToFirstPaint(byteloomProbe);
    TimeToFirstPaint(minimalProbe);
    std::vector<double> byteloomTimes, minimalTimes, byteloomCpu, minimalCpu;
    for (int i = 0; i < Runs; ++i) {
        const FirstPaintTimes b = TimeToFirstPaint(byteloomProbe);
        const FirstPaintTimes m = TimeToFirstPaint(minimalProbe);
        if (b.wall < 0 || m.wall < 0) {
            std::fprintf(stderr, "a start-up probe did not paint\n");
            return 1;
        }
        byteloomTimes.push_back(b.wall);
        minimalTimes.push_back(m.wall);
        byteloomCpu.push_back(b.cpu);
        minimalCpu.push_back(m.cpu);
    }
    const double byteloom = Median(byteloomTimes);
    const double minimal = Median(minimalTimes);
    std::printf("first paint: Byteloom %.1f ms, empty Qt main window %.1f ms; processor time %.1f ms and %.1f ms\n",
                byteloom, minimal, Median(byteloomCpu), Median(minimalCpu));
    Summary("startup_vs_qt_minimal", byteloom / minimal, "x");
    Summary("startup_cpu_vs_qt_minimal", Median(byteloomCpu) / Median(minimalCpu), "x");
    return 0;
}
