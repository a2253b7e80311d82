#include "audio/WavFile.h"

#include <fstream>

namespace lumetra {

namespace {

void PutLittleEndian(std::ofstream& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int rate) {
    const auto dataBytes = static_cast<uint32_t>(samples.size() * sizeof(int16_t));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write("RIFF", 4);
    PutLittleEndian(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLittleEndian(out, 16, 4);  // the format chunk's size
    PutLittleEndian(out, 1, 2);   // PCM
    PutLittleEndian(out, 1, 2);   // mono
    PutLittleEndian(out, static_cast<uint32_t>(rate), 4);
    PutLittleEndian(out, static_cast<uint32_t>(rate) * 2, 4);  // bytes per second
    PutLittleEndian(out, 2, 2);                                // bytes per frame
    PutLittleEndian(out, 16, 2);                               // bits per sample
    out.write("data", 4);
    PutLittleEndian(out, dataBytes, 4);
    for (int16_t sample : samples) PutLittleEndian(out, static_cast<uint16_t>(sample), 2);
    return static_cast<bool>(out.flush());
}

}  // namespace lumetra
