// The "数据库" group of the settings page: "备份数据库" writes a copy of the running database,
// "恢复数据库" puts a checked copy back (keeping the replaced one beside it) and tells the station,
// so that what it keeps and every page are read again. Both run on a worker of the group's own,
// with a progress bar and a cancel button, while the station goes on broadcasting.
#pragma once

#include <QGroupBox>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

class QProgressBar;
class QPushButton;

namespace lumetra {

class CDatabase;
class CStation;
struct CopyControl;

class CDatabaseGroup : public QGroupBox {
    Q_OBJECT
public:
    CDatabaseGroup(CDatabase& db, CStation& station, QWidget* parent);
    // A copy under way is cancelled, and its worker joined.
    ~CDatabaseGroup() override;

    QPushButton* BackupButton() const { return m_backup; }
    QPushButton* RestoreButton() const { return m_restore; }
    QPushButton* CancelButton() const { return m_cancel; }
    QProgressBar* Progress() const { return m_progress; }
    // A backup or restore runs.
    bool IsBusy() const;

signals:
    void Restored();

private:
    using Work = std::function<bool(const CopyControl& control, std::string* error)>;
    using Done = std::function<void(bool succeeded, const QString& error)>;

    void Backup();
    void Restore();
    // Runs `work` on the worker; `done` hears how it went, on this thread, unless it was cancelled.
    void RunInBackground(Work work, Done done);
    void ShowBusy(bool busy);

    CDatabase& m_db;
    CStation& m_station;
    QPushButton* m_backup;
    QPushButton* m_restore;
    QPushButton* m_cancel;
    QProgressBar* m_progress;
    bool m_busy = false;
    std::atomic<bool> m_cancelled{false};  // read by the worker
    std::jthread m_worker;                 // last: joined before the rest goes
};

}  // namespace lumetra
