#include "audio/AudioOutput.h"

#include <cstdlib>
#include <mutex>

#include "base/Logger.h"

namespace lumetra {
namespace {

constexpr const char* kDeviceClass = "Audio/Sink";

std::mutex g_lock;  // guards both choices: set on the user-interface thread, read where media open
std::string g_chosen;
std::string g_monitor;

// Calls `visit` with each audio output and its display name until it returns true.
template <typename Visit>
void ForEachOutput(Visit visit) {
    if (!gst_init_check(nullptr, nullptr, nullptr)) return;
    GstDeviceMonitor* monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(monitor, kDeviceClass, nullptr);
    GList* devices = gst_device_monitor_get_devices(monitor);
    bool done = false;
    for (GList* item = devices; item && !done; item = item->next) {
        GstDevice* device = GST_DEVICE(item->data);
        gchar* name = gst_device_get_display_name(device);
        done = visit(device, std::string(name ? name : ""));
        g_free(name);
    }
    g_list_free_full(devices, gst_object_unref);
    gst_object_unref(monitor);
}

// The chosen device's element, or nullptr when it is not there now.
GstElement* ChosenDeviceSink(const std::string& chosen) {
    GstElement* sink = nullptr;
    ForEachOutput([&](GstDevice* device, const std::string& name) {
        if (name == chosen) sink = gst_device_create_element(device, nullptr);
        return sink != nullptr;
    });
    return sink;
}

}  // namespace

std::vector<std::string> ListAudioOutputs() {
    std::vector<std::string> names;
    ForEachOutput([&](GstDevice*, const std::string& name) {
        names.push_back(name);
        return false;
    });
    return names;
}

void SetChosenAudioOutput(const std::string& name) {
    std::lock_guard lock(g_lock);
    g_chosen = name;
}

std::string ChosenAudioOutput() {
    std::lock_guard lock(g_lock);
    return g_chosen;
}

GstElement* MakeAudioSink(std::string* error) {
    if (const char* name = std::getenv("LUMETRA_AUDIO_SINK"); name && *name) {
        GstElement* sink = MakeRealTimeSink(name);
        if (!sink) *error = std::string("The audio output \"") + name + "\" is not available.";
        return sink;
    }
    const std::string chosen = ChosenAudioOutput();
    if (!chosen.empty()) {
        if (GstElement* sink = ChosenDeviceSink(chosen)) return sink;
        Logger().Log("audio output \"%s\" is not there: playing on the default output", chosen.c_str());
    }
    GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
    if (!sink) *error = "The audio output \"autoaudiosink\" is not available.";
    return sink;
}

void SetChosenMonitorOutput(const std::string& name) {
    std::lock_guard lock(g_lock);
    g_monitor = name;
}

std::string ChosenMonitorOutput() {
    std::lock_guard lock(g_lock);
    return g_monitor;
}

bool HasMonitorOutput() {
    std::lock_guard lock(g_lock);
    return !g_monitor.empty() && g_monitor != g_chosen;
}

GstElement* MakeMonitorSink(std::string* error) {
    const std::string monitor = ChosenMonitorOutput();
    if (!HasMonitorOutput()) {
        *error = "没有选择监听输出。";
        return nullptr;
    }
    GstElement* sink = ChosenDeviceSink(monitor);
    if (!sink) *error = "监听输出“" + monitor + "”未连接。";
    return sink;
}

GstElement* MakeRealTimeSink(const char* factory) {
    GstElement* sink = gst_element_factory_make(factory, nullptr);
    if (sink && g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "sync"))
        g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

}  // namespace lumetra
