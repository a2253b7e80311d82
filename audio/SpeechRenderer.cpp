#include "audio/SpeechRenderer.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <vector>

#include "audio/WavFile.h"
#include "base/Logger.h"

namespace lumetra {

namespace {

// Below this peak a rendering counts as silence: espeak-ng spoke nothing of the text.
constexpr int kSilentPeak = 300;

// Timed, so a render waiting for its turn still sees its stop.
std::timed_mutex& EspeakLock() {
    static std::timed_mutex lock;
    return lock;
}

constexpr std::chrono::milliseconds kTurnPoll{20};

// The sample rate, or 0 when espeak-ng or its data cannot be loaded; under the lock.
int EspeakRate() {
    static const int rate = [] {
        const int r = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
        return r > 0 ? r : 0;
    }();
    return rate;
}

struct Collected {
    std::vector<int16_t> samples;
    std::stop_token stop;
};

// Called for every short stretch of speech; 1 makes espeak-ng abort the text.
int Collect(short* wav, int count, espeak_EVENT* events) {
    auto* collected = static_cast<Collected*>(events->user_data);
    if (wav && count > 0) collected->samples.insert(collected->samples.end(), wav, wav + count);
    return collected->stop.stop_requested() ? 1 : 0;
}

uint64_t Fnv1a(const std::string& text) {
    uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ULL;
    return hash;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

SpeechResult Refused(std::string text) {
    SpeechResult result;
    result.error = std::move(text);
    return result;
}

SpeechResult Rendered(std::string path, bool cached) {
    SpeechResult result;
    result.path = std::move(path);
    result.cached = cached;
    return result;
}

int Clamped(int wordsPerMinute) {
    return std::clamp(wordsPerMinute, CSpeechRenderer::kSlowest, CSpeechRenderer::kFastest);
}

}  // namespace

const char* VoiceFor(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })
               ? "cmn"
               : "en";
}

CSpeechRenderer::CSpeechRenderer(std::string cacheFolder) : m_folder(std::move(cacheFolder)) {}

std::string CSpeechRenderer::CachePath(const std::string& text, int wordsPerMinute) const {
    char name[64];
    std::snprintf(name, sizeof name, "speech-%016llx-%d.wav",
                  static_cast<unsigned long long>(Fnv1a(Trimmed(text))), Clamped(wordsPerMinute));
    return m_folder + "/" + name;
}

SpeechResult CSpeechRenderer::Render(const std::string& text, int wordsPerMinute,
                                     std::stop_token stop) const {
    const std::string spoken = Trimmed(text);
    if (spoken.empty()) return Refused("请输入要朗读的文字。");
    if (spoken.size() > kMaxBytes) return Refused("文字太长，请分段朗读（每段最多约 500 字）。");
    const int rate = Clamped(wordsPerMinute);
    const std::string path = CachePath(spoken, rate);
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) return Rendered(path, true);

    Collected collected{{}, stop};
    std::vector<int16_t>& samples = collected.samples;
    int sampleRate = 0;
    {
        std::unique_lock lock(EspeakLock(), std::defer_lock);
        while (!lock.try_lock_for(kTurnPoll))
            if (stop.stop_requested()) return Refused(kStoppedText);
        sampleRate = EspeakRate();
        if (sampleRate == 0) return Refused("无法启动 espeak-ng 语音合成，请安装 espeak-ng-data。");
        const char* voice = VoiceFor(spoken);
        if (espeak_SetVoiceByName(voice) != EE_OK)
            return Refused(std::string("espeak-ng 没有找到语音“") + voice + "”，请安装 espeak-ng-data。");
        espeak_SetParameter(espeakRATE, rate, 0);
        espeak_SetSynthCallback(Collect);
        const espeak_ERROR result = espeak_Synth(spoken.c_str(), spoken.size() + 1, 0, POS_CHARACTER, 0,
                                                 espeakCHARS_UTF8, nullptr, &collected);
        if (result != EE_OK) return Refused("espeak-ng 无法朗读这段文字。");
        espeak_Synchronize();
    }
    if (stop.stop_requested()) return Refused(kStoppedText);
    const int peak = std::accumulate(samples.begin(), samples.end(), 0, [](int m, int16_t s) {
        return std::max(m, std::abs(static_cast<int>(s)));
    });
    if (peak < kSilentPeak) return Refused("espeak-ng 无法朗读这段文字：其中没有可以读出的字。");

    std::filesystem::create_directories(m_folder, error);
    // Written beside, then renamed: a render cut short never leaves a half file in the cache.
    const std::string partial = path + ".part";
    if (!WriteWav(partial, samples, sampleRate) || (std::filesystem::rename(partial, path, error), error)) {
        std::filesystem::remove(partial, error);
        Logger().Log("speech: cannot write %s", path.c_str());
        return Refused("无法保存朗读的声音文件：" + path);
    }
    return Rendered(path, false);
}

}  // namespace lumetra
