// "播放预览": every broadcast of a range of days (the next seven unless the operator picks others)
// with the seconds of its device actions, and for each day whether it is a holiday or a make-up
// day. The broadcasts are the scheduler's own plan (schedule/BroadcastPlan.h).
#pragma once

#include <QDialog>

class QDateEdit;
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

    enum Column { kColName, kColStart, kColEnd, kColZones, kColOutlets, kColFiles, kColActions };

private:
    CDatabase& m_db;
    QDateEdit* m_first;
    QDateEdit* m_last;
    QTreeWidget* m_days;
};

}  // namespace lumetra
