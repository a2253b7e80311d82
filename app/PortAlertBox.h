// Shows the serial port's failure boxes without ever holding the caller: the port may call from
// the link's writer thread, which goes on writing while the box waits for the operator on the
// user-interface thread. One box per kind of failure is open at a time, a box about the lost line
// closes itself when the transmitter answers again, and Close() (the window going away) closes
// every box and refuses new ones.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <map>

#include "link/PortAlert.h"

namespace lumetra {

class CPortAlertBox : public QObject, public IPortAlert {
    Q_OBJECT
public:
    // Both return at once; the box opens or closes on the user-interface thread.
    void ShowPortError(const std::string& text, const std::string& caption) override;
    void LinkRestored() override;
    void Close();

    // The texts of the boxes open now.
    QStringList OpenTexts() const;

private:
    void Open(const QString& kind, const QString& text, const QString& caption);
    void CloseAll();

    std::atomic<bool> m_closed{false};
    std::map<QString, QPointer<QMessageBox>> m_boxes;  // by kind; touched on the UI thread only
};

// The one box the program hands to its links; it lives as long as the process, so a call that
// comes from a link thread after the window has gone never touches a destroyed object.
CPortAlertBox& PortAlertBox();

}  // namespace lumetra
