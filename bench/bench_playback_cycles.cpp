// Descriptors and resident memory of the process across 1,000 cycles of the media engine: the WAV
// fixture opened, played and closed, and the text file named .mp3 refused, in turn, as a school's
// weeks of broadcasts with the odd bad file would do. Audio goes to a silent sink.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "audio/MediaEngine.h"
#include "tests/support/AudioFixtures.h"

using namespace lumetra;

static long OpenDescriptors() {
    return static_cast<long>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator()));
}

static long ResidentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int main() {
    setenv("LUMETRA_AUDIO_SINK", "fakesink", 0);
    test::KeepGstRegistryInBuildTree();
    CMediaEngine engine;
    const std::string good = test::Fixture(test::kWav), bad = test::Fixture(test::kTextMp3);
    int failures = 0;
    auto cycle = [&](int i) {
        // A bad file is tried once: the retries wait half a second each and leak nothing more.
        const MediaOpenResult opened = engine.Open(i % 2 ? bad : good, [](auto) { return false; });
        failures += opened.Ok() == (i % 2 == 1);
        if (opened.Ok()) engine.Play();
        engine.Close();
    };
    for (int i = 0; i < 200; ++i) cycle(i);  // GStreamer's caches fill on the first cycles
    const long descriptors = OpenDescriptors(), resident = ResidentKilobytes();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) cycle(i);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf(
        "1000 engine cycles (500 WAV open/play/close, 500 refused bad files) after 200 to warm up:\n"
        "  open descriptors %ld -> %ld\n  resident memory %ld KiB -> %ld KiB (%+ld KiB)\n"
        "  %.1f ms a cycle; %d cycles went otherwise than expected\n",
        descriptors, OpenDescriptors(), resident, ResidentKilobytes(), ResidentKilobytes() - resident,
        seconds * 1000 / 1000, failures);
    return failures ? 1 : 0;
}
