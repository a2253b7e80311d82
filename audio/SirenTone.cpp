#include "audio/SirenTone.h"

#include <cmath>
#include <numbers>

#include "audio/WavFile.h"

namespace lumetra {

std::vector<int16_t> SirenSamples() {
    const int count = kSirenRate * kSirenSeconds;
    std::vector<int16_t> samples(static_cast<size_t>(count));
    double phase = 0;
    for (int i = 0; i < count; ++i) {
        // A triangle sweep: up over the first half, down over the second, so the loop joins smoothly.
        const double t = static_cast<double>(i) / count;
        const double sweep = t < 0.5 ? 2 * t : 2 * (1 - t);
        const double hz = kSirenLowHz + (kSirenHighHz - kSirenLowHz) * sweep;
        phase += 2 * std::numbers::pi * hz / kSirenRate;
        samples[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(0.6 * 32767 * std::sin(phase)));
    }
    return samples;
}

bool WriteSirenWav(const std::string& path) {
    return WriteWav(path, SirenSamples(), kSirenRate);
}

}  // namespace lumetra
