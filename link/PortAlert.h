// The four serial-port failures that the operator is told about in a message box: the line
// settings cannot be read or written, the time-outs cannot be written, a write failed. The user
// interface implements this with a modal box; without one the failures are only logged.
#pragma once

#include <atomic>
#include <string>

namespace lumetra {

class IPortAlert {
public:
    virtual ~IPortAlert() = default;
    // Shows `text` with the error icon; an empty caption means the application's name. It is
    // called on the thread that used the port (the link's writer, the connect worker, the
    // user-interface thread), never with the port's lock held, and returns at once: a box only
    // informs, it never holds a frame back while nobody is there to close it.
    virtual void ShowPortError(const std::string& text, const std::string& caption) = 0;
    // The transmitter answers again: a box about the lost line that is still open may go.
    virtual void LinkRestored() {}
};

// The default, without a window: writes the text to the log and returns at once. Only the first
// failure until the transmitter answers again is logged for the operator; the repeats of a line
// that stays down go to the trace.
class CLoggingPortAlert : public IPortAlert {
public:
    void ShowPortError(const std::string& text, const std::string& caption) override;
    void LinkRestored() override;

private:
    std::atomic<bool> m_told{false};
};

}  // namespace lumetra
