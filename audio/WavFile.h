// 16-bit mono PCM WAV files, as Lumetra writes the sounds it makes itself (the siren, spoken text).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumetra {

// Writes `samples` at `rate` to `path`, replacing it; false when the file cannot be written.
bool WriteWav(const std::string& path, const std::vector<int16_t>& samples, int rate);

}  // namespace lumetra
