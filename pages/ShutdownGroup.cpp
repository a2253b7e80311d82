#include "pages/ShutdownGroup.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "station/Station.h"
#include "widgets/TimeEdit.h"

namespace lumetra {

CShutdownGroup::CShutdownGroup(CStation& station, QWidget* parent)
    : QGroupBox(QStringLiteral("系统自动关机"), parent),
      m_station(station),
      m_enabled(new QCheckBox(QStringLiteral("启用自动关机"), this)),
      m_time(new CTimeEdit(this)),
      m_button(new QPushButton(QStringLiteral("设置"), this)) {
    auto* row = new QHBoxLayout(this);
    row->addWidget(m_enabled);
    row->addWidget(m_time);
    row->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, &CShutdownGroup::OnButton);
    SetEditing(false);
}

void CShutdownGroup::ShowSetting() {
    if (m_editing) return;
    const ShutdownView view = m_station.AutoShutdownView();
    m_enabled->setChecked(view.enabled);
    m_time->setTime(QTime(view.hour, view.minute, view.second));
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
    // A refusal comes back as a database error; the group then shows what still holds.
    m_station.SaveShutdown(m_enabled->isChecked(), time.hour(), time.minute(), time.second());
}

}  // namespace lumetra
