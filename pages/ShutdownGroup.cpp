#include "pages/ShutdownGroup.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "pages/DbErrorReport.h"
#include "schedule/AutoShutdown.h"
#include "store/DbError.h"
#include "widgets/TimeEdit.h"

namespace lumetra {

CShutdownGroup::CShutdownGroup(CAutoShutdown& shutdown, QWidget* parent)
    : QGroupBox(QStringLiteral("系统自动关机"), parent),
      m_shutdown(shutdown),
      m_enabled(new QCheckBox(QStringLiteral("启用自动关机"), this)),
      m_time(new CTimeEdit(this)),
      m_button(new QPushButton(QStringLiteral("设  置"), this)) {
    auto* row = new QHBoxLayout(this);
    row->addWidget(m_enabled);
    row->addWidget(m_time);
    row->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, &CShutdownGroup::OnButton);
    SetEditing(false);
}

void CShutdownGroup::ShowSetting() {
    m_enabled->setChecked(m_shutdown.IsEnabled());
    m_time->setTime(QTime(m_shutdown.Hour(), m_shutdown.Minute(), m_shutdown.Second()));
    SetEditing(false);
}

void CShutdownGroup::SetEditing(bool editing) {
    m_editing = editing;
    m_enabled->setEnabled(editing);
    m_time->setEnabled(editing);
}

void CShutdownGroup::OnButton() {
    if (!m_editing) {
        SetEditing(true);
        m_button->setText(QStringLiteral("保存"));
        return;
    }
    SetEditing(false);
    m_button->setText(QStringLiteral("设置"));
    const QTime time = m_time->time();
    try {
        m_shutdown.Save(m_enabled->isChecked(), time.hour(), time.minute(), time.second());
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        // Nothing was stored: show what still holds.
        ShowSetting();
    }
}

}  // namespace lumetra
