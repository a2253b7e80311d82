#include "schedule/LogindPowerControl.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <memory>

namespace lumetra {
namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kObject = "/org/freedesktop/login1";
constexpr const char* kInterface = "org.freedesktop.login1.Manager";

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};

// Owns an sd_bus_error and frees it at the end of the call.
struct BusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    ~BusError() { sd_bus_error_free(&error); }
    std::string Describe(int result) const {
        if (error.message) return error.message;
        return std::strerror(-result);
    }
};

}  // namespace

bool CLogindPowerControl::PowerOff(std::string* reason) {
    sd_bus* rawBus = nullptr;
    int result = sd_bus_open_system(&rawBus);
    std::unique_ptr<sd_bus, BusCloser> bus(rawBus);
    if (result < 0) {
        *reason = std::string("cannot connect to the system bus: ") + std::strerror(-result);
        return false;
    }

    BusError canError;
    sd_bus_message* rawReply = nullptr;
    result = sd_bus_call_method(bus.get(), kService, kObject, kInterface, "CanPowerOff", &canError.error,
                                &rawReply, "");
    std::unique_ptr<sd_bus_message, MessageUnref> reply(rawReply);
    if (result < 0) {
        *reason = "CanPowerOff failed: " + canError.Describe(result);
        return false;
    }
    const char* answer = nullptr;
    result = sd_bus_message_read(reply.get(), "s", &answer);
    if (result < 0 || !answer) {
        *reason = "CanPowerOff gave no answer";
        return false;
    }
    if (std::strcmp(answer, "yes") != 0) {
        *reason = std::string("CanPowerOff answered \"") + answer + "\"";
        return false;
    }

    BusError offError;
    result = sd_bus_call_method(bus.get(), kService, kObject, kInterface, "PowerOff", &offError.error,
                                nullptr, "b", 0);
    if (result < 0) {
        *reason = "PowerOff failed: " + offError.Describe(result);
        return false;
    }
    return true;
}

}  // namespace lumetra
