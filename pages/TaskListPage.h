// The task list page: every broadcast task in start-time order, each row coloured by its state,
// with buttons to add, change and delete tasks, and a filter by timetable. A task is known here by
// its name and start time within its timetable.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pages/Page.h"

class QComboBox;
class QPushButton;

namespace lumetra {

class CColorList;
class CDatabase;

class CTaskListPage : public CPage {
    Q_OBJECT
public:
    CTaskListPage(CDatabase& db, QWidget* parent);

    // Reads tb_memo and the timetables afresh in start-time order, showing the tasks the filter
    // lets through; the selection is lost.
    void LoadTasks();
    void OnAdd();
    void OnModify();
    void OnDelete();

    CColorList* List() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* ModifyButton() const { return m_modify; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* PreviewButton() const { return m_preview; }
    QPushButton* CalendarButton() const { return m_calendar; }
    QPushButton* TimetablesButton() const { return m_timetables; }
    // "全部作息表" (-1), "全年" (0), then each timetable, with its ID as the item's data.
    QComboBox* TimetableFilter() const { return m_filter; }

protected:
    bool event(QEvent* event) override;  // WindowMessage::kTasksChanged reloads

private:
    // A task is known on this page by its name and start time within its timetable (0: none).
    struct TaskKey {
        std::string name, startTime;
        int timetable = 0;
    };
    // Lists the timetables in the filter, keeping the one chosen while it exists.
    void FillFilter(const std::vector<std::pair<int, QString>>& timetables);
    // The task of the row selected last; none, after telling the operator `nothingSelected`.
    std::optional<TaskKey> MarkedTask(const QString& nothingSelected);

    CColorList* m_list;
    QPushButton* m_add;
    QPushButton* m_modify;
    QPushButton* m_delete;
    QPushButton* m_preview;
    QPushButton* m_calendar;
    QPushButton* m_timetables;
    QComboBox* m_filter;
    std::vector<int> m_rowTimetables;  // the timetable of each listed row
    bool m_timetablesStored = false;   // the timetables' tables hold at least one timetable
    CDatabase& m_db;
};

}  // namespace lumetra
