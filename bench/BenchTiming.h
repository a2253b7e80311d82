// What the benchmark programs share: timing a piece of work and printing the median of its runs
// against its target.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace lumetra::bench {

inline double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

inline void Report(const char* what, std::vector<double> runs, double target) {
    std::sort(runs.begin(), runs.end());
    const double median = runs[runs.size() / 2];
    std::printf("%-52s median %9.4f ms  (min %.4f, max %.4f; target < %.0f ms) %s\n", what, median,
                runs.front(), runs.back(), target, median < target ? "ok" : "SLOW");
}

// One measure on a line of its own: "<what>: median X ms, max Y ms (N runs; target ...)".
inline void PrintMeasure(const std::string& what, std::vector<double> runs, const std::string& target) {
    if (runs.empty()) {
        std::printf("%s: no runs (target %s)\n", what.c_str(), target.c_str());
        return;
    }
    std::sort(runs.begin(), runs.end());
    std::printf("%s: median %.1f ms, max %.1f ms (%zu runs; target %s)\n", what.c_str(),
                runs[runs.size() / 2], runs.back(), runs.size(), target.c_str());
}

}  // namespace lumetra::bench
