#include "pages/AlarmFileGroup.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/MessageBox.h"
#include "widgets/PathLabel.h"
#include "widgets/UserSettings.h"

namespace lumetra {

namespace {

const QString kSirenText = QStringLiteral("Lumetra 警笛（默认）");

}  // namespace

CAlarmFileGroup::CAlarmFileGroup(QWidget* parent) : QGroupBox(QStringLiteral("紧急广播警报音"), parent) {
    m_file = new CPathLabel(this);
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_browse = new QPushButton(QStringLiteral("选择文件..."), this);
    m_siren = new QPushButton(QStringLiteral("默认警笛"), this);
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(m_file);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_browse);
    buttons->addWidget(m_siren);
    buttons->addStretch();
    rows->addLayout(buttons);
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getOpenFileName(this, QStringLiteral("选择警报音"), {},
                                         QStringLiteral("音频文件 (*.mp3 *.wav *.wma *.ogg *.flac)"));
        if (!path.isEmpty()) Choose(path);
    });
    connect(m_siren, &QPushButton::clicked, this, &CAlarmFileGroup::ChooseSiren);
    ShowChoice();
}

void CAlarmFileGroup::Choose(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        ShowMessage(this, QStringLiteral("文件“%1”不存在，警报音未更改。").arg(path), MbButtons::kOk,
                    MbIcon::kWarning);
        return;
    }
    CUserSettings().SetAlarmFile(path.toStdString());
    ShowChoice();
}

void CAlarmFileGroup::ChooseSiren() {
    CUserSettings().SetAlarmFile({});
    ShowChoice();
}

void CAlarmFileGroup::ShowChoice() {
    const QString chosen = QString::fromStdString(CUserSettings().AlarmFile());
    m_file->SetPath(chosen.isEmpty() ? kSirenText : QDir::toNativeSeparators(chosen));
}

}  // namespace lumetra
