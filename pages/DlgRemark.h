// "添加备注": the channel code, read only, and the speaker's name.
#pragma once

#include "pages/SmallDialog.h"

class QLineEdit;

namespace lumetra {

class CDlgRemark : public CSmallDialog {
    Q_OBJECT
public:
    CDlgRemark(const QString& unitCode, const QString& remark, QWidget* owner);

    QString Remark() const;

    QLineEdit* UnitCodeEdit() const { return m_unitCode; }
    QLineEdit* RemarkEdit() const { return m_remark; }

private:
    QLineEdit* m_unitCode;
    QLineEdit* m_remark;
};

}  // namespace lumetra
