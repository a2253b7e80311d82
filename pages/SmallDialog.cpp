#include "pages/SmallDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumetra {

CSmallDialog::CSmallDialog(const QString& caption, QWidget* owner) : QDialog(owner) {
    setWindowTitle(caption);
    resize(270, 200);
}

void CSmallDialog::showEvent(QShowEvent* event) {
    resize(270, 200);
    if (const QWidget* owner = parentWidget()) {
        const QRect area = owner->window()->frameGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

QFormLayout* CSmallDialog::FormWithButtons(QDialogButtonBox** buttonsOut) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout;
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(buttons);
    if (buttonsOut) *buttonsOut = buttons;
    return form;
}

}  // namespace lumetra
