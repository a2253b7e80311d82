// The sound output that playback uses, with a device provider of the test's own standing in for
// a sound card: the chosen output when it is there, else the default one, and the
// LUMETRA_AUDIO_SINK element over both.
#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/AudioOutput.h"
#include "tests/support/TestSoundCard.h"

namespace {

// The element's factory and name, then releases it.
std::string Describe(GstElement* sink) {
    if (!sink) return "none";
    std::string text =
        std::string(GST_OBJECT_NAME(gst_element_get_factory(sink))) + " " + GST_OBJECT_NAME(sink);
    gst_object_unref(gst_object_ref_sink(sink));
    return text;
}

TEST(AudioOutput, ChosenCardElseDefaultAndTheVariableOverBoth) {
    ASSERT_TRUE(lumetra::test::RegisterTestSoundCard());
    const char* kCardName = lumetra::test::kTestCardName;
    const std::vector<std::string> outputs = lumetra::ListAudioOutputs();
    EXPECT_NE(std::find(outputs.begin(), outputs.end(), kCardName), outputs.end());

    std::string error;
    unsetenv("LUMETRA_AUDIO_SINK");
    lumetra::SetChosenAudioOutput(kCardName);
    EXPECT_EQ(Describe(lumetra::MakeAudioSink(&error)), "fakesink test-card-sink");

    lumetra::SetChosenAudioOutput("拔掉的声卡");
    EXPECT_EQ(Describe(lumetra::MakeAudioSink(&error)).rfind("autoaudiosink", 0), 0u);

    setenv("LUMETRA_AUDIO_SINK", "fakesink", 1);
    lumetra::SetChosenAudioOutput(kCardName);
    GstElement* sink = lumetra::MakeAudioSink(&error);
    gboolean sync = FALSE;
    g_object_get(sink, "sync", &sync, nullptr);
    EXPECT_TRUE(sync) << "a silent sink must play in real time";
    EXPECT_NE(Describe(sink), "fakesink test-card-sink");
    setenv("LUMETRA_AUDIO_SINK", "no-such-element", 1);
    EXPECT_EQ(lumetra::MakeAudioSink(&error), nullptr);
    EXPECT_NE(error.find("no-such-element"), std::string::npos);
    setenv("LUMETRA_AUDIO_SINK", "fakesink", 1);
    lumetra::SetChosenAudioOutput("");
}

}  // namespace
