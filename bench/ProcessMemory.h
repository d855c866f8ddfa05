#pragma once
// Memory figures of this process, read from the kernel, for the benchmarks' peak-memory reports.

#include <cstdlib>
#include <fstream>
#include <string>

// A "VmRSS"/"VmHWM" line of /proc/self/status in KiB; -1 when unavailable.
inline long statusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::atol(line.c_str() + field.size() + 1);
    return -1;
}
