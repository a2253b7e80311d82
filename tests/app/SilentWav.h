// A short PCM WAV file of silence, written by hand, for the playback the pages start.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace lumetra::test {

inline void WriteSilentWav(const std::string& path, int seconds) {
    const uint32_t rate = 8000, dataBytes = rate * 2 * static_cast<uint32_t>(seconds);
    std::ofstream out(path, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(rate);
    u32(rate * 2);  // bytes per second
    u16(2);         // block align
    u16(16);        // bits per sample
    out.write("data", 4);
    u32(dataBytes);
    const std::string silence(dataBytes, '\0');
    out.write(silence.data(), static_cast<std::streamsize>(silence.size()));
}

}  // namespace lumetra::test
