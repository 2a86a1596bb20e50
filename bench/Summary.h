#pragma once

// A figure for bench/run's summary: printed as "@@ name: value unit".

#include <cstdio>

inline void Summary(const char* name, double value, const char* unit)
{
    std::printf("@@ %s: %.3g %s\n", name, value, unit);
    std::fflush(stdout);
}
