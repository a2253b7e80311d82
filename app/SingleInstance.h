// One Lumetra per user. A lock file that the system releases when its process dies decides who
// runs, also when two starts race; the first instance then listens on a local socket named after
// the window title and the user, and a later start asks it there to come to the front and ends
// without a window.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace lumetra {

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    // `name` defaults to "Lumetra-" followed by the user's name; the lock file of that name lies in
    // the temporary directory.
    explicit CSingleInstance(QString name = DefaultName());
    static QString DefaultName();

    // True when no other instance runs: this one then holds the lock and answers later starts.
    // False when one runs: it has been asked to restore itself and come to the front.
    bool FindRunningInstance();

signals:
    void RaiseRequested();

private:
    bool AskRunningInstance();
    void OnNewConnection();

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer m_server;
};

}  // namespace lumetra
