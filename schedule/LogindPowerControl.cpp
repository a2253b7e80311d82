#include "schedule/LogindPowerControl.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <memory>

namespace lumetra {
namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kObject = "/org/freedesktop/login1";
constexpr const char* kInterface = "org.freedesktop.login1.Manager";
// How often a call waiting for its answer looks whether it was cancelled.
constexpr uint64_t kWaitStepMicros = 50000;

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
struct SlotUnref {
    void operator()(sd_bus_slot* slot) const { sd_bus_slot_unref(slot); }
};
using BusPtr = std::unique_ptr<sd_bus, BusCloser>;
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

// Connects to the system bus, or to `address` when one is given.
int OpenBus(const std::string& address, BusPtr* bus) {
    sd_bus* raw = nullptr;
    if (address.empty()) {
        const int result = sd_bus_open_system(&raw);
        bus->reset(raw);
        return result;
    }
    int result = sd_bus_new(&raw);
    bus->reset(raw);
    if (result < 0) return result;
    if ((result = sd_bus_set_address(raw, address.c_str())) < 0) return result;
    if ((result = sd_bus_set_bus_client(raw, 1)) < 0) return result;
    return sd_bus_start(raw);
}

// One method call whose answer is awaited in steps of kWaitStepMicros, so `cancelled` cuts it short.
class CPendingCall {
public:
    // Calls `method` with `types` and its arguments; false with *reason when it failed.
    template <typename... Args>
    bool Call(sd_bus* bus, const std::atomic<bool>& cancelled, const char* method, std::string* reason,
              const char* types, Args... args) {
        sd_bus_slot* rawSlot = nullptr;
        int result = sd_bus_call_method_async(bus, &rawSlot, kService, kObject, kInterface, method, &OnReply,
                                              this, types, args...);
        std::unique_ptr<sd_bus_slot, SlotUnref> slot(rawSlot);
        if (result < 0) return Fail(method, std::strerror(-result), reason);
        const auto deadline = std::chrono::steady_clock::now() + CLogindPowerControl::kCallLimit;
        while (!m_reply) {
            if (cancelled) return Fail(method, "cancelled: the program is ending", reason);
            if (std::chrono::steady_clock::now() >= deadline)
                return Fail(method, "no answer in time", reason);
            result = sd_bus_process(bus, nullptr);
            if (result < 0) return Fail(method, std::strerror(-result), reason);
            if (result == 0 && !m_reply) sd_bus_wait(bus, kWaitStepMicros);
        }
        if (const sd_bus_error* error = sd_bus_message_get_error(m_reply.get()))
            return Fail(method, error->message ? error->message : error->name, reason);
        return true;
    }
    sd_bus_message* Reply() const { return m_reply.get(); }

private:
    static int OnReply(sd_bus_message* message, void* self, sd_bus_error*) {
        static_cast<CPendingCall*>(self)->m_reply.reset(sd_bus_message_ref(message));
        return 0;
    }
    static bool Fail(const char* method, const std::string& why, std::string* reason) {
        *reason = std::string(method) + " failed: " + why;
        return false;
    }

    MessagePtr m_reply;
};

}  // namespace

bool CLogindPowerControl::PowerOff(std::string* reason) {
    BusPtr bus;
    if (const int result = OpenBus(m_busAddress, &bus); result < 0) {
        *reason = std::string("cannot connect to the system bus: ") + std::strerror(-result);
        return false;
    }

    CPendingCall can;
    if (!can.Call(bus.get(), m_cancelled, "CanPowerOff", reason, "")) return false;
    const char* answer = nullptr;
    const int result = sd_bus_message_read(can.Reply(), "s", &answer);
    if (result < 0 || !answer) {
        *reason = "CanPowerOff gave no answer";
        return false;
    }
    if (std::strcmp(answer, "yes") != 0) {
        *reason = std::string("CanPowerOff answered \"") + answer + "\"";
        return false;
    }

    CPendingCall off;
    return off.Call(bus.get(), m_cancelled, "PowerOff", reason, "b", 0);
}

}  // namespace lumetra
