// The three small dialogs behind zone and channel changes: the zone dialog (name and number of a
// zone), the remark dialog (a speaker's name) and the move-to-zone dialog (the zone a channel
// goes to). None stores anything: the caller reads their fields after OK.
#pragma once

#include <QDialog>
#include <set>
#include <string>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QLineEdit;

namespace lumetra {

// A small dialog of 270 x 200 pixels, centred over its owner when it opens.
class CSmallDialog : public QDialog {
    Q_OBJECT
public:
    CSmallDialog(const QString& caption, QWidget* owner);

protected:
    void showEvent(QShowEvent* event) override;
};

// "增加分区" / "编辑分区": a name and a zone number from 1 to 48. Numbers other zones hold are
// marked in the list, and OK on one of them is refused with the dialog left as it was.
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

// "添加备注": the channel code, read only, and the speaker's name.
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

// "移动到分区": "默认编码" first, then every zone label as stored. OK stays disabled until a
// zone is chosen, so the caller always gets the label of a zone.
class CDlgMoveToZone : public CSmallDialog {
    Q_OBJECT
public:
    CDlgMoveToZone(const std::vector<std::string>& zoneLabels, QWidget* owner);

    std::string ZoneLabel() const;

    QComboBox* ZoneList() const { return m_zones; }
    QDialogButtonBox* Buttons() const { return m_buttons; }

private:
    QComboBox* m_zones;
    QDialogButtonBox* m_buttons;
};

}  // namespace lumetra
