// "播放预览": every broadcast of a range of days (the next seven unless the operator picks others)
// with the seconds of its device actions, and for each day whether it is a holiday or a make-up
// day, and which timetables are in force, with the days where that changes over. The broadcasts are
// the scheduler's own plan (schedule/BroadcastPlan.h).
#pragma once

#include <QDialog>

class QDateEdit;
class QLabel;
class QTreeWidget;

namespace lumetra {

class CDatabase;

class CDlgPreview : public QDialog {
    Q_OBJECT
public:
    CDlgPreview(CDatabase& db, QWidget* parent);

    // Reads the tasks and the calendar afresh and lists the chosen days.
    void Refresh();

    QDateEdit* FirstEdit() const { return m_first; }
    QDateEdit* LastEdit() const { return m_last; }
    // One top-level item per day, one child per broadcast.
    QTreeWidget* Days() const { return m_days; }
    // The days of the range on which the timetables in force change over.
    QLabel* Changeovers() const { return m_changeovers; }

    enum Column { kColName, kColStart, kColEnd, kColZones, kColOutlets, kColFiles, kColActions };

private:
    CDatabase& m_db;
    QDateEdit* m_first;
    QDateEdit* m_last;
    QTreeWidget* m_days;
    QLabel* m_changeovers;
};

}  // namespace lumetra
