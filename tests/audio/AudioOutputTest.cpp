// The sound output that playback uses, with a device provider of the test's own standing in for
// a sound card: the chosen output when it is there, else the default one, and the
// LUMETRA_AUDIO_SINK element over both.
#include <gtest/gtest.h>

#include <cstdlib>

#include "audio/AudioOutput.h"

namespace {

constexpr const char* kCardName = "测试声卡 USB Audio";

struct TestCard {
    GstDevice parent;
};
struct TestCardClass {
    GstDeviceClass parent_class;
};
G_DEFINE_TYPE(TestCard, test_card, GST_TYPE_DEVICE)

GstElement* CreateCardSink(GstDevice*, const gchar*) {
    return gst_element_factory_make("fakesink", "test-card-sink");
}
void test_card_class_init(TestCardClass* type) {
    GST_DEVICE_CLASS(type)->create_element = CreateCardSink;
}
void test_card_init(TestCard*) {}

struct TestCards {
    GstDeviceProvider parent;
};
struct TestCardsClass {
    GstDeviceProviderClass parent_class;
};
G_DEFINE_TYPE(TestCards, test_cards, GST_TYPE_DEVICE_PROVIDER)

GList* ProbeCards(GstDeviceProvider*) {
    GstCaps* caps = gst_caps_new_any();
    gpointer card = g_object_new(test_card_get_type(), "display-name", kCardName, "device-class",
                                 "Audio/Sink", "caps", caps, nullptr);
    gst_caps_unref(caps);
    return g_list_append(nullptr, card);
}
void test_cards_class_init(TestCardsClass* type) {
    gst_device_provider_class_set_static_metadata(GST_DEVICE_PROVIDER_CLASS(type), "Test sound cards",
                                                  "Sink/Audio", "One sound card for the tests", "Lumetra");
    GST_DEVICE_PROVIDER_CLASS(type)->probe = ProbeCards;
}
void test_cards_init(TestCards*) {}

// The element's factory and name, then releases it.
std::string Describe(GstElement* sink) {
    if (!sink) return "none";
    std::string text =
        std::string(GST_OBJECT_NAME(gst_element_get_factory(sink))) + " " + GST_OBJECT_NAME(sink);
    gst_object_unref(gst_object_ref_sink(sink));
    return text;
}

TEST(AudioOutput, ChosenCardElseDefaultAndTheVariableOverBoth) {
    gst_init(nullptr, nullptr);
    ASSERT_TRUE(
        gst_device_provider_register(nullptr, "lumetratestcards", GST_RANK_PRIMARY, test_cards_get_type()));
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
