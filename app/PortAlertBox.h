// Shows the serial port's failure boxes. The port may call from the link's writer thread, which
// then waits until the operator has closed the box on the user-interface thread; Close() releases
// every waiting thread (and refuses new boxes) when the user interface goes away.
#pragma once

#include <QObject>
#include <condition_variable>
#include <mutex>

#include "link/PortAlert.h"

namespace lumetra {

class CPortAlertBox : public QObject, public IPortAlert {
    Q_OBJECT
public:
    void ShowPortError(const std::string& text, const std::string& caption) override;
    void Close();

private:
    void Show(const std::string& text, const std::string& caption);
    bool IsClosed();

    std::mutex m_lock;  // guards m_closed and every waiter's done flag
    std::condition_variable m_changed;
    bool m_closed = false;
};

// The one box the program hands to its links; it lives as long as the process, so a thread
// that is still waiting when the window goes never touches a destroyed object.
CPortAlertBox& PortAlertBox();

}  // namespace lumetra
