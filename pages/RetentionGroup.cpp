#include "pages/RetentionGroup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "pages/DbErrorReport.h"
#include "store/DbError.h"
#include "store/HistoryTable.h"
#include "widgets/MessageBox.h"

namespace lumetra {

CRetentionGroup::CRetentionGroup(CDatabase& db, QWidget* parent)
    : QGroupBox(QStringLiteral("播放记录保留"), parent), m_db(db) {
    m_days = new QSpinBox(this);
    m_days->setRange(1, 3650);  // a day to ten years
    m_days->setSuffix(QStringLiteral(" 天"));
    m_save = new QPushButton(QStringLiteral("保存"), this);
    auto* row = new QHBoxLayout(this);
    row->addWidget(new QLabel(QStringLiteral("保留最近"), this));
    row->addWidget(m_days);
    row->addStretch();
    row->addWidget(m_save);
    connect(m_save, &QPushButton::clicked, this, &CRetentionGroup::Save);
    m_days->setValue(CHistoryTable::kDefaultRetentionDays);
}

void CRetentionGroup::ShowSetting() {
    try {
        m_days->setValue(CHistoryTable(m_db).RetentionDays());
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
}

void CRetentionGroup::Save() {
    try {
        CHistoryTable(m_db).SetRetentionDays(m_days->value());
        ShowMessage(
            this, QStringLiteral("已保存：播放记录保留 %1 天，更早的记录在午夜删除。").arg(m_days->value()));
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
}

}  // namespace lumetra
