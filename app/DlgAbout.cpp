#include "app/DlgAbout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/KeySwallower.h"
#include "base/Version.h"

namespace lumetra {

CDlgAbout::CDlgAbout(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于 Lumetra"));
    CKeySwallower::Mark(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/images/icon.png")));
    auto* text = new QLabel(QStringLiteral("<b>Lumetra %1</b><br>无线调频广播控制系统<br><br>"
                                           "定时广播、即时播放、分区控制、LED信息发布")
                                .arg(QString::fromUtf8(ProgramVersion())),
                            this);
    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace lumetra
