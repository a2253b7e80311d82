// The alarm Lumetra plays in an emergency when the operator chose no file of their own: a wailing
// siren, a tone sweeping up and down between 600 and 1200 Hz, made here sample by sample and
// written as a 16-bit mono WAV file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumetra {

inline constexpr int kSirenRate = 22050;  // samples per second
inline constexpr int kSirenSeconds = 4;   // one rise and fall; the playback loops it
inline constexpr double kSirenLowHz = 600;
inline constexpr double kSirenHighHz = 1200;

// The samples of one cycle.
std::vector<int16_t> SirenSamples();
// Writes the siren to `path`, replacing it; false when the file cannot be written.
bool WriteSirenWav(const std::string& path);

}  // namespace lumetra
