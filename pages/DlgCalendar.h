// "节假日与调休": the school's holidays (single dates or ranges, each named) and make-up days,
// each of which runs the timetable of a week day the operator names. Opened from the task list.
#pragma once

#include <QDialog>
#include <vector>

#include "store/CalendarTable.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace lumetra {

class CDatabase;

class CDlgCalendar : public QDialog {
    Q_OBJECT
public:
    CDlgCalendar(CDatabase& db, QWidget* parent);

    // Reads the stored entries afresh.
    void LoadEntries();
    // Checks the form and stores one entry; true when it is stored. A holiday and a make-up day on
    // the same date are stored only when the operator confirms it.
    bool OnAdd();
    void OnRemove();

    QTreeWidget* Entries() const { return m_entries; }
    QLineEdit* NameEdit() const { return m_name; }
    QDateEdit* FirstEdit() const { return m_first; }
    QDateEdit* LastEdit() const { return m_last; }
    // 0 "节假日"; 1 to 7 a make-up day that runs Sunday's to Saturday's timetable.
    QComboBox* KindBox() const { return m_kind; }

private:
    // Asks before `added` puts a holiday and a make-up day on one date; true to go on.
    bool ConfirmOverlap(const CalendarRow& added, const std::vector<CalendarRow>& stored);

    CDatabase& m_db;
    QTreeWidget* m_entries;
    QLineEdit* m_name;
    QDateEdit* m_first;
    QDateEdit* m_last;
    QComboBox* m_kind;
};

// "按星期一的安排" for week day 2; the week days are numbered 1 (Sunday) to 7 (Saturday).
QString MakeUpText(int weekDay);

}  // namespace lumetra
