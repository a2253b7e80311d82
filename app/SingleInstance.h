// One Lumetra per user: the first instance listens on a local socket named after the window title
// and the user; a later one asks it to come to the front and ends without a window.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace lumetra {

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // `name` defaults to "Lumetra-" followed by the user's name.
    explicit CSingleInstance(QString name = DefaultName());
    static QString DefaultName();

    // True when no other instance runs: this one then answers later starts. False when one runs:
    // it has been asked to restore itself and come to the front.
    bool FindRunningInstance();

signals:
    void RaiseRequested();

private:
    bool AskRunningInstance();
    void OnNewConnection();

    QString m_name;
    QLocalServer m_server;
};

}  // namespace lumetra
