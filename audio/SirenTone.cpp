#include "audio/SirenTone.h"

#include <cmath>
#include <fstream>
#include <numbers>

namespace lumetra {

namespace {

void PutLittleEndian(std::ofstream& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

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
    const std::vector<int16_t> samples = SirenSamples();
    const auto dataBytes = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write("RIFF", 4);
    PutLittleEndian(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLittleEndian(out, 16, 4);  // the format chunk's size
    PutLittleEndian(out, 1, 2);   // PCM
    PutLittleEndian(out, 1, 2);   // mono
    PutLittleEndian(out, kSirenRate, 4);
    PutLittleEndian(out, kSirenRate * 2, 4);  // bytes per second
    PutLittleEndian(out, 2, 2);               // bytes per frame
    PutLittleEndian(out, 16, 2);              // bits per sample
    out.write("data", 4);
    PutLittleEndian(out, dataBytes, 4);
    for (int16_t sample : samples) PutLittleEndian(out, static_cast<uint16_t>(sample), 2);
    return static_cast<bool>(out.flush());
}

}  // namespace lumetra
