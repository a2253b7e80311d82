#include "tests/support/TestSoundCard.h"

#include <gst/gst.h>

#include <atomic>

namespace {

std::atomic<int> g_sinks{0};
std::atomic<int64_t> g_buffers{0};

struct TestCard {
    GstDevice parent;
};
struct TestCardClass {
    GstDeviceClass parent_class;
};
G_DEFINE_TYPE(TestCard, test_card, GST_TYPE_DEVICE)

void OnHandoff(GstElement*, GstBuffer*, GstPad*, gpointer) {
    ++g_buffers;
}

void OnSinkGone(gpointer, GObject*) {
    --g_sinks;
}

GstElement* CreateCardSink(GstDevice*, const gchar*) {
    GstElement* sink = gst_element_factory_make("fakesink", "test-card-sink");
    g_object_set(sink, "sync", TRUE, "signal-handoffs", TRUE, nullptr);
    g_signal_connect(sink, "handoff", G_CALLBACK(OnHandoff), nullptr);
    ++g_sinks;
    g_object_weak_ref(G_OBJECT(sink), OnSinkGone, nullptr);
    return sink;
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
    gpointer card = g_object_new(test_card_get_type(), "display-name", lumetra::test::kTestCardName,
                                 "device-class", "Audio/Sink", "caps", caps, nullptr);
    gst_caps_unref(caps);
    return g_list_append(nullptr, card);
}
void test_cards_class_init(TestCardsClass* type) {
    gst_device_provider_class_set_static_metadata(GST_DEVICE_PROVIDER_CLASS(type), "Test sound cards",
                                                  "Sink/Audio", "One sound card for the tests", "Lumetra");
    GST_DEVICE_PROVIDER_CLASS(type)->probe = ProbeCards;
}
void test_cards_init(TestCards*) {}

}  // namespace

namespace lumetra::test {

bool RegisterTestSoundCard() {
    static const bool registered =
        gst_init_check(nullptr, nullptr, nullptr) &&
        gst_device_provider_register(nullptr, "lumetratestcards", GST_RANK_PRIMARY, test_cards_get_type());
    return registered;
}

int TestCardSinks() {
    return g_sinks;
}

int64_t TestCardBuffers() {
    return g_buffers;
}

}  // namespace lumetra::test
