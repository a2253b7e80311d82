// The task editor: a modal dialog in which the operator creates a broadcast task ("新增任务") or
// changes one ("修改任务"). Saving writes one tb_memo row; every other way out stores nothing.
#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <tuple>

#include "pages/TaskDraft.h"
#include "pages/TaskFiles.h"
#include "widgets/ColorList.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace lumetra {

class CCheckTree;
class CDatabase;

// A stored task opened for change.
struct EditedTask {
    int id;
    TaskDraft draft;
};

class CDlgTaskEdit : public QDialog {
    Q_OBJECT
public:
    CDlgTaskEdit(CDatabase& db, QWidget* parent, std::optional<EditedTask> edited = {},
                 DurationReader reader = ReadPlayingSeconds);
    ~CDlgTaskEdit() override;

    // Zones in stored order with the default zone last, each with its channels.
    void FillZoneTree();
    // Checks the channels the stored task targets, and each zone all of whose channels it targets.
    void ApplyZoneFlags();
    void RefreshFileList();
    // Appends the paths in order, each unless it is listed already; their lengths fill in as a
    // worker reads them.
    void AddFiles(const QStringList& paths);
    // Appends every MP3 file of the folder and its subfolders; a scan that takes a while shows
    // progress and can be cancelled, keeping what it found.
    void AddFolder(const QString& folder);
    // Checks the input and stores it; true when the row is saved and the dialog has ended.
    bool OnSave();

    QLineEdit* NameEdit() const { return m_name; }
    QDateEdit* DateEdit() const { return m_date; }
    QTimeEdit* StartEdit() const { return m_start; }
    QTimeEdit* EndEdit() const { return m_end; }
    QRadioButton* RepeatButton(int index) const { return m_repeat[index]; }
    QCheckBox* WeekDayBox(int day) const { return m_weekDays[day]; }
    QCheckBox* PowerBox(int index) const { return m_power[index]; }
    CCheckTree* ZoneTree() const { return m_zones; }
    // The task's own play mode, in the order of kPlayModes.
    QComboBox* ModeBox() const { return m_mode; }
    // "全年" (0), then each timetable, with its ID as the item's data.
    QComboBox* TimetableBox() const { return m_timetable; }
    CColorList* FileList() const { return m_files; }
    enum ButtonId { kAllOn, kAllOff, kAddFiles, kAddFolder, kDeleteFile, kDeleteAll, kSave, kCancel };
    QPushButton* Button(ButtonId id) const { return m_buttons[id]; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void ShowDraft(const TaskDraft& draft);
    ColorListRow FileRow(size_t index) const;
    void OnLength(const std::string& path, FileLength length);
    TaskDraft DraftFromControls() const;
    std::vector<int> CheckedChannels() const;
    bool ConfirmIncomplete(const TaskDraft& draft);
    // Lists the tasks that would collide with this one and asks whether to save anyway.
    bool ConfirmConflicts(const TaskRecord& task);
    void ShowMode();
    void ShowTimetables();
    void EnableWeekDays(bool enable);
    void OnAddFiles();
    void OnAddFolder();
    void OnDeleteFile();
    void OnDeleteAll();
    // Tells the operator which paths hold "|" and so could not be listed.
    void ReportUnstorable(const QStringList& paths);

    CDatabase& m_db;
    const bool m_modifying;
    const int m_taskId;
    ChannelFlags m_storedZones{};  // the stored 目标区域 in modify mode
    bool m_zonesRead = false;      // the zone tree holds every stored zone and channel
    DurationReader m_reader;       // for folder scans
    CTaskFiles m_taskFiles;
    CFileLengthReader m_lengthReader;

    QLineEdit* m_name;
    QDateEdit* m_date;
    QTimeEdit* m_start;
    QTimeEdit* m_end;
    std::array<QRadioButton*, 3> m_repeat;
    std::array<QCheckBox*, 7> m_weekDays;
    std::array<QCheckBox*, 4> m_power;
    CCheckTree* m_zones;
    QComboBox* m_mode;
    QComboBox* m_timetable;
    CColorList* m_files;
    std::array<QPushButton*, 8> m_buttons;
    std::tuple<TaskDraft, int, int> m_shown;  // the fields, the mode and the timetable as the dialog opened
};

}  // namespace lumetra
