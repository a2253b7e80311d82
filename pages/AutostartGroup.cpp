#include "pages/AutostartGroup.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "store/Autostart.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

const QString kInfoCaption = QStringLiteral("信息提示");

}  // namespace

CAutostartGroup::CAutostartGroup(QWidget* parent)
    : QGroupBox(QStringLiteral("程序自启动"), parent),
      m_box(new QCheckBox(QStringLiteral("开机自启动"), this)),
      m_button(new QPushButton(QStringLiteral("设置"), this)) {
    m_box->setEnabled(false);
    auto* row = new QHBoxLayout(this);
    row->addWidget(m_box);
    row->addWidget(m_button);
    connect(m_button, &QPushButton::clicked, this, &CAutostartGroup::OnButton);
}

void CAutostartGroup::SetStartWithSystem(bool on) {
    m_startWithSystem = on;
    m_box->setChecked(on);
}

void CAutostartGroup::OnButton() {
    m_editing = !m_editing;
    m_box->setEnabled(m_editing);
    m_button->setText(m_editing ? QStringLiteral("保存") : QStringLiteral("设置"));
    if (!m_editing) Apply();
}

void CAutostartGroup::Apply() {
    m_startWithSystem = m_box->isChecked();
    std::string error;
    if (m_startWithSystem) {
        if (WriteAutostartEntry(RunningProgramPath(), &error)) {
            ShowMessage(this, QStringLiteral("设置程序为系统启动自运行程序操作成功"), MbButtons::kOk,
                        MbIcon::kInformation, kInfoCaption);
            return;
        }
    } else {
        switch (RemoveAutostartEntry(&error)) {
            case EntryRemoval::kRemoved:
                ShowMessage(this, QStringLiteral("设置程序不启动自运行操作成功"), MbButtons::kOk,
                            MbIcon::kInformation, kInfoCaption);
                return;
            case EntryRemoval::kAbsent:
                return;
            case EntryRemoval::kRefused:
                break;
        }
    }
    ShowMessage(this, QStringLiteral("自启动设置未能保存：%1").arg(QString::fromStdString(error)),
                MbButtons::kOk, MbIcon::kError);
    // The box tells the truth about the entry, not what was asked for.
    SetStartWithSystem(AutostartEntryExists());
}

}  // namespace lumetra
