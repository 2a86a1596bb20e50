#pragma once

// What this process holds, as the kernel counts it.

#include <filesystem>
#include <fstream>
#include <string>

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
