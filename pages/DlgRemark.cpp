#include "pages/DlgRemark.h"

#include <QFormLayout>
#include <QLineEdit>

namespace lumetra {

CDlgRemark::CDlgRemark(const QString& unitCode, const QString& remark, QWidget* owner)
    : CSmallDialog(QStringLiteral("添加备注"), owner) {
    m_unitCode = new QLineEdit(unitCode, this);
    m_unitCode->setEnabled(false);
    m_remark = new QLineEdit(remark, this);
    QFormLayout* form = FormWithButtons();
    form->addRow(QStringLiteral("单机码："), m_unitCode);
    form->addRow(QStringLiteral("备注："), m_remark);
}

QString CDlgRemark::Remark() const {
    return m_remark->text();
}

}  // namespace lumetra
