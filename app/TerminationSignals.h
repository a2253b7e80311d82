// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal on the user-interface thread, so that a
// program stopped from a terminal or by the session still switches the receivers off.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace lumetra {

class CTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit CTerminationSignals(QObject* parent = nullptr);
    ~CTerminationSignals() override;

signals:
    void TerminationRequested();

private:
    void OnReadable();

    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace lumetra
