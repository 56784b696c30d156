// Timing for the benchmarks: our way and the platform's alone, run in turns on the same input,
// reported as medians with their range.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

inline double SecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Samples {
    std::vector<double> values;

    double Median() const
    {
        if (values.empty())
            return 0;
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const size_t middle = sorted.size() / 2;
        return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }
    double Min() const { return values.empty() ? 0 : *std::min_element(values.begin(), values.end()); }
    double Max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
};

// Both ways `runs` times; which goes first alternates, so that neither always finds the
// caches warmed by the other.
inline void Alternate(int runs, const std::function<void()>& ours, const std::function<void()>& platform,
                      Samples& oursTimes, Samples& platformTimes)
{
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            oursTimes.values.push_back(SecondsOf(ours));
            platformTimes.values.push_back(SecondsOf(platform));
        } else {
            platformTimes.values.push_back(SecondsOf(platform));
            oursTimes.values.push_back(SecondsOf(ours));
        }
    }
}

// Seconds below one are shown in milliseconds.
inline std::string Shown(double seconds)
{
    char text[32];
    if (seconds < 1)
        std::snprintf(text, sizeof text, "%.1f ms", seconds * 1000);
    else
        std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

inline std::string Range(const Samples& samples)
{
    return Shown(samples.Median()) + " (" + Shown(samples.Min()) + "-" + Shown(samples.Max()) + ")";
}

// One line: what was measured, both medians with their ranges, the ratio of the medians and the
// range of the ratios of single runs.
inline void Report(const std::string& what, const Samples& ours, const Samples& platform)
{
    double low = 0, high = 0;
    for (size_t i = 0; i < ours.values.size() && i < platform.values.size(); ++i) {
        const double ratio = platform.values[i] > 0 ? ours.values[i] / platform.values[i] : 0;
        low = i == 0 ? ratio : std::min(low, ratio);
        high = i == 0 ? ratio : std::max(high, ratio);
    }
    const double ratio = platform.Median() > 0 ? ours.Median() / platform.Median() : 0;
    std::printf("%s | %s | %s | %.2f (%.2f-%.2f) | %zu runs\n", what.c_str(), Range(ours).c_str(),
                Range(platform).c_str(), ratio, low, high, ours.values.size());
    std::fflush(stdout);
}

// The number of runs from the environment (QL_BENCH_RUNS), at least five.
inline int Runs()
{
    char text[16] = {};
    const DWORD length = GetEnvironmentVariableA("QL_BENCH_RUNS", text, sizeof text);
    const int runs = length > 0 && length < sizeof text ? std::atoi(text) : 7;
    return std::max(runs, 5);
}

}  // namespace bench
