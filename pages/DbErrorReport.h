// Database failures reach the operator in one way: a message box with the database's own text, or
// the store's refusal with a warning.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <string>

class QWidget;

namespace lumetra {

class CDbError;

// A failure of the operator's own action, shown while the action waits.
void ReportDbError(QWidget* parent, const CDbError& error);

// The failures the station meets on its threads: one box at a time, which counts those that come
// while it is open ("…（另有 3 次）") instead of opening more. It never waits for the operator and
// runs no event loop of its own, so nothing piles up on a full disk. Close() (the window going
// away) closes the box.
class CDbErrorBox : public QObject {
    Q_OBJECT
public:
    // Lives on the user-interface thread, whichever thread makes it.
    CDbErrorBox();
    // Returns at once, from any thread; the box opens or counts on the user-interface thread.
    void Report(const std::string& text);
    void Close();
    // The text of the box open now; empty while none is.
    QString OpenText() const;

private:
    void Show(const QString& text);

    // Touched on the user-interface thread only.
    QPointer<QMessageBox> m_box;
    QString m_first;    // the failure the box opened for
    int m_repeats = 0;  // those that came after it
};

// The one box of the process: a call from a station thread after the window has gone never
// touches a destroyed object.
CDbErrorBox& DbErrorBox();

}  // namespace lumetra
