#include "pages/DlgMoveToZone.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

#include "store/Labels.h"

namespace lumetra {

CDlgMoveToZone::CDlgMoveToZone(const std::vector<std::string>& zoneLabels, QWidget* owner)
    : CSmallDialog(QStringLiteral("移动到分区"), owner) {
    m_zones = new QComboBox(this);
    m_zones->addItem(QString::fromUtf8(kDefaultZoneLabel));
    for (const std::string& label : zoneLabels) m_zones->addItem(QString::fromStdString(label));
    m_zones->setCurrentIndex(-1);
    QFormLayout* form = FormWithButtons(&m_buttons);
    form->addRow(QStringLiteral("选择分区"), m_zones);
    QPushButton* ok = m_buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(m_zones, &QComboBox::currentIndexChanged, ok, [ok](int index) { ok->setEnabled(index >= 0); });
}

std::string CDlgMoveToZone::ZoneLabel() const {
    return m_zones->currentText().toStdString();
}

}  // namespace lumetra
