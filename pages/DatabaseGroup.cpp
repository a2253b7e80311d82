#include "pages/DatabaseGroup.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <ctime>

#include "store/Database.h"
#include "store/DatabaseBackup.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

const QString kFilter = QStringLiteral("数据库 (*.mdb);;所有文件 (*)");

}  // namespace

CDatabaseGroup::CDatabaseGroup(CDatabase& db, QWidget* parent)
    : QGroupBox(QStringLiteral("数据库"), parent),
      m_db(db),
      m_backup(new QPushButton(QStringLiteral("备份数据库"), this)),
      m_restore(new QPushButton(QStringLiteral("恢复数据库"), this)) {
    auto* row = new QHBoxLayout(this);
    row->addWidget(m_backup);
    row->addWidget(m_restore);
    connect(m_backup, &QPushButton::clicked, this, &CDatabaseGroup::Backup);
    connect(m_restore, &QPushButton::clicked, this, &CDatabaseGroup::Restore);
}

void CDatabaseGroup::Backup() {
    const QString suggested =
        QDir::home().filePath(QStringLiteral("dbinfo-%1.mdb").arg(QDate::currentDate().toString("yyyyMMdd")));
    const QString target =
        QFileDialog::getSaveFileName(this, QStringLiteral("备份数据库"), suggested, kFilter);
    if (target.isEmpty()) return;
    std::string error;
    if (!BackupDatabase(m_db, target.toStdString(), &error)) {
        ShowMessage(this, QStringLiteral("备份失败：") + QString::fromStdString(error), MbButtons::kOk,
                    MbIcon::kError);
        return;
    }
    ShowMessage(this, QStringLiteral("数据库已备份到 ") + target, MbButtons::kOk, MbIcon::kInformation);
}

void CDatabaseGroup::Restore() {
    const QString source =
        QFileDialog::getOpenFileName(this, QStringLiteral("恢复数据库"), QDir::homePath(), kFilter);
    if (source.isEmpty()) return;
    const QString question =
        QStringLiteral("用 %1 替换当前的数据库吗？\n当前的数据库会另存为一份带日期的副本。").arg(source);
    if (ShowMessage(this, question, MbButtons::kOkCancel, MbIcon::kQuestion) != MbResult::kOk) return;
    std::string kept, error;
    if (!RestoreDatabase(m_db, source.toStdString(), std::time(nullptr), &kept, &error)) {
        ShowMessage(
            this, QStringLiteral("无法恢复数据库，当前的数据库没有改动。\n") + QString::fromStdString(error),
            MbButtons::kOk, MbIcon::kError);
        return;
    }
    emit Restored();
    ShowMessage(this,
                QStringLiteral("数据库已从 %1 恢复。\n原来的数据库保存为 %2。")
                    .arg(source, QString::fromStdString(kept)),
                MbButtons::kOk, MbIcon::kInformation);
}

}  // namespace lumetra
