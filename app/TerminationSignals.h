// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal on the user-interface thread, so that a
// program stopped from a terminal or by the session still switches the receivers off.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

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

// Closes every box and dialog that is open modally, apart from `except`: each holds an event loop
// of its own, which would keep the program from ending.
void CloseModalWindows(const QWidget* except);

}  // namespace lumetra
