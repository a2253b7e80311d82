#include "pages/DatabaseGroup.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QProgressBar>
#include <QPushButton>
#include <ctime>

#include "station/Station.h"
#include "store/DatabaseBackup.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

const QString kFilter = QStringLiteral("数据库 (*.mdb);;所有文件 (*)");

}  // namespace

CDatabaseGroup::CDatabaseGroup(CDatabase& db, CStation& station, QWidget* parent)
    : QGroupBox(QStringLiteral("数据库"), parent),
      m_db(db),
      m_station(station),
      m_backup(new QPushButton(QStringLiteral("备份数据库"), this)),
      m_restore(new QPushButton(QStringLiteral("恢复数据库"), this)),
      m_cancel(new QPushButton(QStringLiteral("取消"), this)),
      m_progress(new QProgressBar(this)) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_backup, 0, 0);
    grid->addWidget(m_restore, 0, 1);
    grid->addWidget(m_progress, 1, 0);
    grid->addWidget(m_cancel, 1, 1);
    ShowBusy(false);
    connect(m_backup, &QPushButton::clicked, this, &CDatabaseGroup::Backup);
    connect(m_restore, &QPushButton::clicked, this, &CDatabaseGroup::Restore);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        m_cancel->setEnabled(false);
    });
}

CDatabaseGroup::~CDatabaseGroup() {
    m_cancelled = true;
}

bool CDatabaseGroup::IsBusy() const {
    return m_busy;
}

void CDatabaseGroup::ShowBusy(bool busy) {
    m_busy = busy;
    m_backup->setEnabled(!busy);
    m_restore->setEnabled(!busy);
    m_cancel->setEnabled(busy);
    m_cancel->setVisible(busy);
    m_progress->setRange(0, 0);  // busy, until the copy counts its pages
    m_progress->setVisible(busy);
}

void CDatabaseGroup::RunInBackground(Work work, Done done) {
    if (m_worker.joinable()) m_worker.join();  // the last one has told its outcome: it has ended
    m_cancelled = false;
    ShowBusy(true);
    m_worker = std::jthread([this, work = std::move(work), done = std::move(done)] {
        CopyControl control;
        control.cancel = &m_cancelled;
        control.progress = [this](int copied, int total) {
            QMetaObject::invokeMethod(
                this,
                [this, copied, total] {
                    m_progress->setRange(0, total);
                    m_progress->setValue(copied);
                },
                Qt::QueuedConnection);
        };
        std::string error;
        const bool succeeded = work(control, &error);
        QMetaObject::invokeMethod(
            this,
            [this, succeeded, done, text = QString::fromStdString(error)] {
                ShowBusy(false);
                if (!m_cancelled || succeeded) done(succeeded, text);
            },
            Qt::QueuedConnection);
    });
}

void CDatabaseGroup::Backup() {
    const QString suggested =
        QDir::home().filePath(QStringLiteral("dbinfo-%1.mdb").arg(QDate::currentDate().toString("yyyyMMdd")));
    const QString target =
        QFileDialog::getSaveFileName(this, QStringLiteral("备份数据库"), suggested, kFilter);
    if (target.isEmpty()) return;
    RunInBackground(
        [this, path = target.toStdString()](const CopyControl& control, std::string* error) {
            return BackupDatabase(m_db, path, error, control);
        },
        [this, target](bool succeeded, const QString& error) {
            if (succeeded)
                ShowMessage(this, QStringLiteral("数据库已备份到 ") + target, MbButtons::kOk,
                            MbIcon::kInformation);
            else
                ShowMessage(this, QStringLiteral("备份失败：") + error, MbButtons::kOk, MbIcon::kError);
        });
}

void CDatabaseGroup::Restore() {
    const QString source =
        QFileDialog::getOpenFileName(this, QStringLiteral("恢复数据库"), QDir::homePath(), kFilter);
    if (source.isEmpty()) return;
    const QString question =
        QStringLiteral("用 %1 替换当前的数据库吗？\n当前的数据库会另存为一份带日期的副本。").arg(source);
    if (ShowMessage(this, question, MbButtons::kOkCancel, MbIcon::kQuestion) != MbResult::kOk) return;
    auto kept = std::make_shared<std::string>();
    RunInBackground(
        [this, path = source.toStdString(), kept](const CopyControl& control, std::string* error) {
            return RestoreDatabase(m_db, path, std::time(nullptr), kept.get(), error, control);
        },
        [this, source, kept](bool succeeded, const QString& error) {
            if (!succeeded) {
                ShowMessage(this, QStringLiteral("无法恢复数据库，当前的数据库没有改动。\n") + error,
                            MbButtons::kOk, MbIcon::kError);
                return;
            }
            m_station.DatabaseReplaced();
            emit Restored();
            ShowMessage(this,
                        QStringLiteral("数据库已从 %1 恢复。\n原来的数据库保存为 %2。")
                            .arg(source, QString::fromStdString(*kept)),
                        MbButtons::kOk, MbIcon::kInformation);
        });
}

}  // namespace lumetra
