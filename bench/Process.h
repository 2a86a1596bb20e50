#pragma once

// What this process holds, as the kernel counts it.

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// Resident memory in KiB.
inline double ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6));
    return 0;
}

// Descriptors open now.
inline long OpenDescriptors()
{
    long n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

// Child processes of this one, and how many of them are zombies.
struct ChildCount {
    int all = 0;
    int zombies = 0;
};

inline ChildCount CountChildren()
{
    ChildCount count;
    const std::string self = std::to_string(::getpid());
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (name) state ppid ...: the name may hold spaces and parentheses.
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos || close + 4 >= line.size())
            continue;
        const std::size_t from = close + 4;
        if (line.substr(from, line.find(' ', from) - from) == self) {
            ++count.all;
            count.zombies += line[close + 2] == 'Z';
        }
    }
    return count;
}

// Child processes of this one, zombies included.
inline int ChildProcesses() { return CountChildren().all; }
