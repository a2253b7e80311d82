// "复制作息表": a new timetable from an existing one, with a copy of each of its tasks; the times of
// the tasks the operator ticks move by an offset ("下午的任务推迟 30 分钟"). The copies are checked
// for conflicts as any saved task is, and stored with the timetable in one transaction.
#pragma once

#include <QDialog>
#include <vector>

#include "store/TaskTable.h"

class QDateEdit;
class QLineEdit;
class QSpinBox;
class QTreeWidget;

namespace lumetra {

class CDatabase;

class CDlgTimetableCopy : public QDialog {
    Q_OBJECT
public:
    CDlgTimetableCopy(CDatabase& db, int sourceId, QWidget* parent);

    // Checks the form, asks about shared days and conflicts, and stores; true when stored and the
    // dialog has ended.
    bool OnSave();
    // Ticks the tasks that start at noon or later.
    void TickAfternoon();

    QLineEdit* NameEdit() const { return m_name; }
    QDateEdit* FirstEdit() const { return m_first; }
    QDateEdit* LastEdit() const { return m_last; }
    // Minutes the ticked tasks move by; negative moves them earlier.
    QSpinBox* OffsetBox() const { return m_offset; }
    // One checkable item per task of the source timetable: name, start, end, repeat.
    QTreeWidget* Tasks() const { return m_tasks; }

private:
    void LoadSource();

    CDatabase& m_db;
    const int m_sourceId;
    QLineEdit* m_name;
    QDateEdit* m_first;
    QDateEdit* m_last;
    QSpinBox* m_offset;
    QTreeWidget* m_tasks;
    std::vector<TaskRecord> m_source;  // the source timetable's tasks, as listed
};

}  // namespace lumetra
