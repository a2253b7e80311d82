// The figures line every benchmark prints: "what: median, max (runs; target)".
#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline void Print(const char* what, std::vector<double> ms, double target) {
    if (ms.empty()) {
        std::printf("%s: no runs\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.1f ms, max %.1f ms (%zu runs; target under %.0f ms)\n", what, ms[ms.size() / 2],
                ms.back(), ms.size(), target);
}

}  // namespace bench
