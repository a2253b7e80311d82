// "作息表": the school's timetables, each a name and one or more yearly day ranges ("05-01" to
// "09-30"; a range may run over the new year), whose tasks run only inside them. The operator adds,
// renames and deletes timetables and their ranges, and copies one with its tasks ("复制作息表").
// Opened from the task list.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <vector>

#include "schedule/Timetables.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace lumetra {

class CDatabase;
class CTimetableTable;

class CDlgTimetables : public QDialog {
    Q_OBJECT
public:
    CDlgTimetables(CDatabase& db, QWidget* parent);

    // Reads the stored timetables afresh: one item per timetable, one child per range.
    void LoadTimetables();
    // Each checks the form and stores; true when stored.
    bool OnAdd();  // a new timetable with the name and the range
    bool OnRename();
    bool OnAddRange();  // the range, to the selected timetable
    bool OnRemoveRange();
    // Asks what becomes of the timetable's tasks: moved to "全年", or deleted with it.
    bool OnRemove();
    void OnCopy();

    QTreeWidget* Timetables() const { return m_tree; }
    QLineEdit* NameEdit() const { return m_name; }
    QDateEdit* FirstEdit() const { return m_first; }
    QDateEdit* LastEdit() const { return m_last; }
    enum ButtonId { kAdd, kRename, kAddRange, kRemoveRange, kRemove, kCopy, kClose };
    QPushButton* Button(ButtonId id) const { return m_buttons[id]; }

private:
    // The timetable of the selected item (or of the selected range); 0 when none is.
    int SelectedTimetable() const;
    // Runs the write, reports a database error, and lists the timetables again; true when written.
    bool Store(const std::function<void(CTimetableTable&)>& write);

    CDatabase& m_db;
    QTreeWidget* m_tree;
    QLineEdit* m_name;
    QDateEdit* m_first;
    QDateEdit* m_last;
    std::array<QPushButton*, 7> m_buttons;
};

// A pair of month-day pickers ("MM-dd", any day of a leap year, 02-29 included).
QDateEdit* MakeMonthDayEdit(QWidget* parent);
void SetMonthDay(QDateEdit* edit, int monthDay);
YearlyRange RangeOf(const QDateEdit* first, const QDateEdit* last);
// "05-01至09-30、12-20至01-10"
QString RangesText(const std::vector<YearlyRange>& ranges);
// Before a timetable `id` (0: a new one) named `name` is saved with `ranges`: the days it would
// share with each other timetable, asked about; true to save. Reports a database error and
// answers false when the timetables cannot be read.
bool ConfirmSharedDays(QWidget* parent, CDatabase& db, int id, const QString& name,
                       const std::vector<YearlyRange>& ranges);

}  // namespace lumetra
