#include "pages/ZoneDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "store/Labels.h"
#include "widgets/MessageBox.h"

namespace lumetra {
namespace {

// The form above the "确定" / "取消" row that every one of these dialogs has.
QFormLayout* FormWithButtons(QDialog* dialog, QDialogButtonBox** buttonsOut = nullptr) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* form = new QFormLayout;
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(buttons);
    if (buttonsOut) *buttonsOut = buttons;
    return form;
}

}  // namespace

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

namespace {

// 1 when every number is taken: the dialog then refuses whatever is chosen.
int LowestFreeNumber(const std::set<int>& taken) {
    for (int number = 1; number <= CDlgZone::kMaxZoneNumber; ++number)
        if (!taken.count(number)) return number;
    return 1;
}

}  // namespace

QString ZoneCodeTakenText(int number) {
    return QStringLiteral("分区编码%1已被其他分区使用，请选择其他编码！")
        .arg(QString::fromStdString(ZoneCode(number)));
}

CDlgZone::CDlgZone(const std::set<int>& taken, QWidget* owner)
    : CDlgZone(QString(), LowestFreeNumber(taken), taken, owner) {
    setWindowTitle(QStringLiteral("增加分区"));
}

CDlgZone::CDlgZone(const QString& name, int number, const std::set<int>& taken, QWidget* owner)
    : CSmallDialog(QStringLiteral("编辑分区"), owner), m_taken(taken) {
    m_name = new QLineEdit(name, this);
    m_number = new QComboBox(this);
    for (int n = 1; n <= kMaxZoneNumber; ++n)
        m_number->addItem(m_taken.count(n) ? QStringLiteral("%1（已使用）").arg(n) : QString::number(n));
    m_number->setCurrentIndex(std::clamp(number, 1, kMaxZoneNumber) - 1);
    QFormLayout* form = FormWithButtons(this);
    form->addRow(QStringLiteral("分区名称"), m_name);
    form->addRow(QStringLiteral("分区编码"), m_number);
}

QString CDlgZone::Name() const {
    return m_name->text();
}

int CDlgZone::Number() const {
    return m_number->currentIndex() + 1;
}

void CDlgZone::accept() {
    if (m_taken.count(Number())) {
        ShowMessage(this, ZoneCodeTakenText(Number()), MbButtons::kOk, MbIcon::kWarning);
        m_number->setFocus();
        return;
    }
    CSmallDialog::accept();
}

CDlgRemark::CDlgRemark(const QString& unitCode, const QString& remark, QWidget* owner)
    : CSmallDialog(QStringLiteral("添加备注"), owner) {
    m_unitCode = new QLineEdit(unitCode, this);
    m_unitCode->setEnabled(false);
    m_remark = new QLineEdit(remark, this);
    QFormLayout* form = FormWithButtons(this);
    form->addRow(QStringLiteral("单机码："), m_unitCode);
    form->addRow(QStringLiteral("备注："), m_remark);
}

QString CDlgRemark::Remark() const {
    return m_remark->text();
}

CDlgMoveToZone::CDlgMoveToZone(const std::vector<std::string>& zoneLabels, QWidget* owner)
    : CSmallDialog(QStringLiteral("移动到分区"), owner) {
    m_zones = new QComboBox(this);
    m_zones->addItem(QString::fromUtf8(kDefaultZoneLabel));
    for (const std::string& label : zoneLabels) m_zones->addItem(QString::fromStdString(label));
    m_zones->setCurrentIndex(-1);
    QFormLayout* form = FormWithButtons(this, &m_buttons);
    form->addRow(QStringLiteral("选择分区"), m_zones);
    QPushButton* ok = m_buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(m_zones, &QComboBox::currentIndexChanged, ok, [ok](int index) { ok->setEnabled(index >= 0); });
}

std::string CDlgMoveToZone::ZoneLabel() const {
    return m_zones->currentText().toStdString();
}

}  // namespace lumetra
