// "增加分区" / "编辑分区": a name and a zone number from 1 to 48. Numbers other zones hold are
// marked in the list, and OK on one of them is refused with the dialog left as it was.
#pragma once

#include <set>

#include "pages/SmallDialog.h"

class QComboBox;
class QLineEdit;

namespace lumetra {

class CDlgZone : public CSmallDialog {
    Q_OBJECT
public:
    static constexpr int kMaxZoneNumber = 48;

    // Add mode offers the lowest number no zone holds; edit mode shows the zone's name and number.
    CDlgZone(const std::set<int>& taken, QWidget* owner);
    CDlgZone(const QString& name, int number, const std::set<int>& taken, QWidget* owner);

    QString Name() const;
    int Number() const;  // 1..48

    QLineEdit* NameEdit() const { return m_name; }
    QComboBox* NumberList() const { return m_number; }

    void accept() override;

private:
    QLineEdit* m_name;
    QComboBox* m_number;
    std::set<int> m_taken;
};

// The refusal of a zone number another zone holds, naming its code.
QString ZoneCodeTakenText(int number);

}  // namespace lumetra
