// The sound output that playback uses. The operator picks one of GStreamer's audio outputs
// (device class Audio/Sink) on the settings page; the user interface hands the choice over at start
// and on every change. With no choice, or when the chosen device has gone, playback goes to the
// default output and the log says so. The environment variable LUMETRA_AUDIO_SINK names an element
// that takes the audio instead of both (for example "fakesink" for tests and machines without sound).
// A second output, the monitor, lets the operator hear a text before it goes on air ("试听"): it is
// one of the outputs other than the broadcast one, and there is no default in its place.
#pragma once

#include <gst/gst.h>

#include <string>
#include <vector>

namespace lumetra {

// The display names of the machine's audio outputs. Probing may take a moment: call it off the
// user-interface thread.
std::vector<std::string> ListAudioOutputs();

// An empty name means the default output.
void SetChosenAudioOutput(const std::string& name);
std::string ChosenAudioOutput();

// A new (floating) sink element for the output in force, or nullptr with *error set.
GstElement* MakeAudioSink(std::string* error);

// The monitor output; empty when none is chosen.
void SetChosenMonitorOutput(const std::string& name);
std::string ChosenMonitorOutput();
// A monitor is chosen, and it is not the output chosen for the broadcast.
bool HasMonitorOutput();
// A new (floating) sink element for the monitor, or nullptr with *error (for the operator) set when
// none is chosen or it is not connected: never the broadcast output in its place.
GstElement* MakeMonitorSink(std::string* error);

// A new element of `factory` that renders in real time: a silent sink left unsynchronised would
// race to the end.
GstElement* MakeRealTimeSink(const char* factory);

}  // namespace lumetra
