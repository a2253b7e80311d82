// The task list page: every broadcast task in start-time order, each row coloured by its state,
// with buttons to add, change and delete tasks. A task is known here by its name and start time.
#pragma once

#include <optional>
#include <string>

#include "pages/Page.h"

class QPushButton;

namespace lumetra {

class CColorListCtrl;
class CDatabase;

class CTaskListPage : public CPage {
    Q_OBJECT
public:
    CTaskListPage(CDatabase& db, QWidget* parent);

    // Reads tb_memo afresh in start-time order; the selection is lost.
    void LoadTasks();
    void OnAdd();
    void OnModify();
    void OnDelete();

    CColorListCtrl* List() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* ModifyButton() const { return m_modify; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* PreviewButton() const { return m_preview; }
    QPushButton* CalendarButton() const { return m_calendar; }

protected:
    bool event(QEvent* event) override;  // WindowMessage::kTasksChanged reloads

private:
    // A task is known on this page by its name and start time.
    struct TaskKey {
        std::string name, startTime;
    };
    // The task of the row selected last; none, after telling the operator `nothingSelected`.
    std::optional<TaskKey> MarkedTask(const QString& nothingSelected);

    CColorListCtrl* m_list;
    QPushButton* m_add;
    QPushButton* m_modify;
    QPushButton* m_delete;
    QPushButton* m_preview;
    QPushButton* m_calendar;
    CDatabase& m_db;
};

}  // namespace lumetra
