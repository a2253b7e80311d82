// Writes MP3 files for tests and benchmarks: silent MPEG-1 layer III frames at 128 kbit/s and
// 44.1 kHz, enough of them for the playing time asked for whether a reader counts frames or
// divides the size by the bit rate, and two more in case it leaves out the first frame.
#pragma once

#include <fstream>
#include <string>

namespace lumetra::test {

inline void WriteSilentMp3(const std::string& path, int seconds) {
    constexpr int kFrameBytes = 417;  // 144 * 128000 / 44100, no padding
    const int frames = (seconds * 16000 + kFrameBytes - 1) / kFrameBytes + 2;  // 16000 bytes a second
    std::string frame(kFrameBytes, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';  // MPEG-1, layer III, no CRC
    frame[2] = '\x90';  // 128 kbit/s, 44.1 kHz
    frame[3] = '\xC0';  // mono
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < frames; ++i) out << frame;
}

}  // namespace lumetra::test
