#include "pages/DlgZone.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <algorithm>

#include "store/Labels.h"
#include "widgets/MessageBox.h"

namespace lumetra {
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
    QFormLayout* form = FormWithButtons();
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

}  // namespace lumetra
