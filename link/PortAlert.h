// The four serial-port failures that the operator is told about in a message box: the line
// settings cannot be read or written, the time-outs cannot be written, a write failed. The user
// interface implements this with a modal box; without one the failures are only logged.
#pragma once

#include <string>

namespace lumetra {

class IPortAlert {
public:
    virtual ~IPortAlert() = default;
    // Shows `text` with the error icon and returns when the operator has closed it. An empty
    // caption means the application's name. The port calls this without holding its lock, but
    // the calling thread (possibly the link's writer) waits, so an implementation that blocks must
    // give up and return when the user interface goes away.
    virtual void ShowPortError(const std::string& text, const std::string& caption) = 0;
};

// The default: writes the text to the log and returns at once.
class CLoggingPortAlert : public IPortAlert {
public:
    void ShowPortError(const std::string& text, const std::string& caption) override;
};

}  // namespace lumetra
