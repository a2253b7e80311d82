// A GStreamer device provider of the tests' own that stands in for a sound card: one audio output
// named kTestCardName, whose element is a silent sink that plays in real time.
#pragma once

#include <cstdint>

namespace lumetra::test {

inline constexpr const char* kTestCardName = "测试声卡 USB Audio";

// Registers the provider (once per process); false when GStreamer refused it.
bool RegisterTestSoundCard();
// The card's sinks that exist now (made for a playback and not yet released), and the buffers that
// reached any of them so far.
int TestCardSinks();
int64_t TestCardBuffers();

}  // namespace lumetra::test
