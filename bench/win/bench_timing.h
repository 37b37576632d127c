#pragma once
// Timing for the Windows benchmarks: wall time from the performance counter, medians
// over rounds in which every piece of work runs once, so that all pieces see the same
// conditions (the machine's load, Wine's scheduling) and their ratios hold.

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace BenchTiming {

inline double now_ms()
{
    static const double ticks_per_ms = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticks_per_ms;
}

struct Timing {
    double median;
    double best;
};

// The median and best of each piece over `runs` rounds after `warm_up` untimed ones;
// `untimed` runs after each piece, outside the timing.
inline std::vector<Timing> time_ms(int warm_up, int runs, const std::vector<std::function<void()>>& work,
                                   const std::function<void()>& untimed = [] {})
{
    for (int i = 0; i < warm_up; ++i)
        for (const auto& piece : work) {
            piece();
            untimed();
        }
    std::vector<std::vector<double>> times(work.size());
    for (int i = 0; i < runs; ++i)
        for (std::size_t k = 0; k < work.size(); ++k) {
            const double start = now_ms();
            work[k]();
            times[k].push_back(now_ms() - start);
            untimed();
        }
    std::vector<Timing> timings;
    for (auto& piece : times) {
        std::sort(piece.begin(), piece.end());
        timings.push_back({piece[piece.size() / 2], piece.front()});
    }
    return timings;
}

} // namespace BenchTiming
