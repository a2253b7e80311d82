// Spoken text announcements: a text in Chinese (the Mandarin voice "cmn") or English, rendered
// offline by espeak-ng into a WAV file. Files are kept in a cache folder by text and speed, so a
// text spoken again is not rendered again. espeak-ng has one global state: every render of the
// process takes turns. A render takes a moment; never call it on the user-interface thread.
#pragma once

#include <stop_token>
#include <string>

namespace lumetra {

struct SpeechResult {
    std::string path;   // the rendered file; empty when refused
    std::string error;  // the operator's text when refused
    bool cached = false;
    bool Ok() const { return error.empty(); }
};

class CSpeechRenderer {
public:
    static constexpr int kSlowest = 80;  // words per minute
    static constexpr int kFastest = 400;
    static constexpr int kNormal = 170;
    static constexpr size_t kMaxBytes = 1500;  // about 500 Chinese characters
    static constexpr const char* kStoppedText = "朗读已中止。";

    explicit CSpeechRenderer(std::string cacheFolder);

    // The file for `text` spoken at `wordsPerMinute` (clamped to kSlowest..kFastest). Refuses an
    // empty or over-long text, and one espeak-ng renders as silence (nothing in it it can speak).
    // A stop ends a render within a short stretch of speech, refused with kStoppedText and
    // leaving no file.
    SpeechResult Render(const std::string& text, int wordsPerMinute, std::stop_token stop = {}) const;
    // Where Render keeps that text's file.
    std::string CachePath(const std::string& text, int wordsPerMinute) const;

private:
    std::string m_folder;
};

// "cmn" for a text with any character beyond ASCII, "en" otherwise.
const char* VoiceFor(const std::string& text);

}  // namespace lumetra
