// Spoken text through espeak-ng: the rendered files are read back and their level and length
// measured; the cache, the voices and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "audio/SirenTone.h"
#include "audio/SpeechRenderer.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TestDatabase.h"

namespace lumetra {
namespace {

struct Measured {
    double seconds = 0;
    double rmsDb = -200;  // dB below full scale
};

// The files are the renderer's own: a 44-byte header, then 16-bit mono samples.
Measured Measure(const std::string& path) {
    const test::Bytes b = test::ReadBytes(path);
    if (b.size() < 44) return {};
    const uint32_t rate = b[24] | b[25] << 8 | b[26] << 16;
    const size_t count = (b.size() - 44) / 2;
    double sum = 0;
    for (size_t i = 44; i + 1 < b.size(); i += 2)
        sum += std::pow(static_cast<int16_t>(b[i] | b[i + 1] << 8), 2);
    const double rms = count ? std::sqrt(sum / static_cast<double>(count)) : 0;
    return {static_cast<double>(count) / rate, rms > 0 ? 20 * std::log10(rms / 32768) : -200};
}

// Texts that cannot be spoken are refused and leave nothing in the cache; the others are rendered
// afresh, then taken from the cache by their trimmed text and their speed.
TEST(SpeechTest, TextsAreRefusedOrSpokenAtAPlausibleLengthAndLevelThenCachedBySpeed) {
    test::TempDir cache;
    const CSpeechRenderer renderer(cache.Path());
    for (const std::string& text :
         {std::string(), std::string(" \n\t "), std::string(600, 'a') + " " + std::string(1000, 'b'),
          std::string("\xe3\x80\x82\xe3\x80\x82\xe3\x80\x82")}) {
        SCOPED_TRACE(text.substr(0, 20));
        const SpeechResult result = renderer.Render(text, 170);
        EXPECT_FALSE(result.Ok());
        EXPECT_TRUE(result.path.empty());
    }
    EXPECT_TRUE(std::filesystem::is_empty(cache.Path())) << "nothing cached for a refusal";
    struct Case {
        const char* text;
        int wordsPerMinute;
        const char* voice;
        double minSeconds, maxSeconds;
    } cases[] = {
        {"各位同学请注意，现在进行消防疏散演练。", CSpeechRenderer::kNormal, "cmn", 1.5, 12},
        {"各位同学请注意，现在进行消防疏散演练。", CSpeechRenderer::kSlowest, "cmn", 3, 25},
        {"Attention please: the fire drill starts now.", CSpeechRenderer::kNormal, "en", 1.2, 8},
    };
    std::vector<SpeechResult> results;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_STREQ(VoiceFor(c.text), c.voice);
        const SpeechResult& result = results.emplace_back(renderer.Render(c.text, c.wordsPerMinute));
        ASSERT_TRUE(result.Ok()) << result.error;
        EXPECT_FALSE(result.cached);
        const Measured m = Measure(result.path);
        EXPECT_GT(m.seconds, c.minSeconds);
        EXPECT_LT(m.seconds, c.maxSeconds);
        EXPECT_GT(m.rmsDb, -30) << "not silent";
        EXPECT_FALSE(std::filesystem::exists(result.path + ".part"));
    }
    EXPECT_GT(Measure(results[1].path).seconds, Measure(results[0].path).seconds * 1.3)
        << "slower lasts longer, in a file of its own";
    const SpeechResult again =
        renderer.Render(std::string("  ") + cases[0].text + "\n", cases[0].wordsPerMinute);
    EXPECT_TRUE(again.cached);
    EXPECT_EQ(again.path, results[0].path);
}

TEST(SpeechTest, TheSirenSweepsAtAFullLevel) {
    test::TempDir dir;
    const std::string path = dir.Path() + "/siren.wav";
    ASSERT_TRUE(WriteSirenWav(path));
    const Measured m = Measure(path);
    EXPECT_DOUBLE_EQ(m.seconds, kSirenSeconds);
    EXPECT_NEAR(m.rmsDb, 20 * std::log10(0.6 / std::sqrt(2)), 0.2);
}

}  // namespace
}  // namespace lumetra
