// The "数据库" group of the settings page: "备份数据库" writes a copy of the running database,
// "恢复数据库" puts a checked copy back (keeping the replaced one beside it) and announces it, so
// every page reads its rows again.
#pragma once

#include <QGroupBox>

class QPushButton;

namespace lumetra {

class CDatabase;

class CDatabaseGroup : public QGroupBox {
    Q_OBJECT
public:
    CDatabaseGroup(CDatabase& db, QWidget* parent);

    QPushButton* BackupButton() const { return m_backup; }
    QPushButton* RestoreButton() const { return m_restore; }

signals:
    void Restored();

private:
    void Backup();
    void Restore();

    CDatabase& m_db;
    QPushButton* m_backup;
    QPushButton* m_restore;
};

}  // namespace lumetra
