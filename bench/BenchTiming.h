// What the benchmark programs share: timing a piece of work and printing the median of its runs
// against its target.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
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

}  // namespace lumetra::bench
