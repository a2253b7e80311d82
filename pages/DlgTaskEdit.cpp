#include "pages/DlgTaskEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "audio/FolderScan.h"
#include "base/NumberText.h"
#include "pages/BroadcastText.h"
#include "pages/DbErrorReport.h"
#include "pages/FolderScanProgress.h"
#include "schedule/TaskConflicts.h"
#include "store/AreaTable.h"
#include "store/Database.h"
#include "store/DictTable.h"
#include "store/Labels.h"
#include "store/PlayMode.h"
#include "store/RoomTable.h"
#include "store/TaskModeTable.h"
#include "store/TaskTable.h"
#include "store/TimetableTable.h"
#include "widgets/CheckTree.h"
#include "widgets/ColorList.h"
#include "widgets/MessageBox.h"
#include "widgets/TimeEdit.h"

namespace lumetra {
namespace {

const char* const kWeekDayNames[] = {"星期天", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
const char* const kRepeatNames[] = {"仅提醒一次", "每周", "每天"};
constexpr RepeatKind kRepeatButtons[] = {RepeatKind::kOnce, RepeatKind::kWeekly, RepeatKind::kDaily};

const QString kMissingFileText = QStringLiteral("文件不存在");
const QColor kMissingFileColour(255, 200, 200);
const QString kUnreadLengthText = QStringLiteral("…");

// The pickers hold whole seconds, as the stored texts do.
QTime WholeSeconds(const QTime& time) {
    return QTime(time.hour(), time.minute(), time.second());
}

}  // namespace

CDlgTaskEdit::CDlgTaskEdit(CDatabase& db, QWidget* parent, std::optional<EditedTask> edited,
                           DurationReader reader)
    : QDialog(parent),
      m_db(db),
      m_modifying(edited.has_value()),
      m_taskId(edited ? edited->id : 0),
      m_reader(reader),
      m_lengthReader(std::move(reader), [this](const std::string& path, FileLength length) {
          QMetaObject::invokeMethod(this, [this, path, length] { OnLength(path, length); });
      }) {
    BuildControls();
    setWindowTitle(m_modifying ? QStringLiteral("修改任务") : QStringLiteral("新增任务"));
    TaskDraft draft;
    if (m_modifying) {
        draft = std::move(edited->draft);
    } else {
        const QDateTime now = QDateTime::currentDateTime();
        draft.date = now.date();
        draft.start = draft.end = WholeSeconds(now.time());
        draft.repeat = RepeatKind::kOnce;
    }
    FillZoneTree();
    m_storedZones = draft.zones;
    if (m_modifying) ApplyZoneFlags();
    for (const std::string& path : draft.files) m_taskFiles.AddStored(path);
    RefreshFileList();
    m_lengthReader.Read(m_taskFiles.TakeUnread());
    ShowDraft(draft);
    ShowMode();
    ShowTimetables();
    m_shown = {DraftFromControls(), m_mode->currentIndex(), m_timetable->currentIndex()};
}

void CDlgTaskEdit::ShowTimetables() {
    m_timetable->addItem(QStringLiteral("全年"), 0);
    try {
        CTimetableTable table(m_db);
        for (const TimetableRow& row : table.ReadAll())
            m_timetable->addItem(QString::fromStdString(row.name), row.id);
        if (!m_modifying) return;
        const std::map<int, int> members = table.ReadTaskTimetables();
        const auto found = members.find(m_taskId);
        if (found != members.end())
            m_timetable->setCurrentIndex(std::max(m_timetable->findData(found->second), 0));
    } catch (const CDbError&) {
        // Unreadable: "全年" shows; saving reports the database's trouble.
    }
}

// A new task goes round its list until its end; a stored one shows its own mode, or, without one,
// the instant-play page's, in which it has played so far.
void CDlgTaskEdit::ShowMode() {
    std::optional<PlayMode> mode = m_modifying ? std::nullopt : std::optional<PlayMode>(PlayMode::kLoop);
    try {
        if (m_modifying) mode = CTaskModeTable(m_db).Find(m_taskId);
        if (!mode) mode = CDictTable(m_db).ReadPlayCircle();
    } catch (const CDbError&) {
        // Unreadable: the first mode shows; saving reports the database's trouble.
    }
    const int index = m_mode->findData(PlayModeNumber(mode.value_or(PlayMode::kRepeatOne)));
    m_mode->setCurrentIndex(std::max(index, 0));
}

CDlgTaskEdit::~CDlgTaskEdit() = default;

void CDlgTaskEdit::BuildControls() {
    resize(680, 720);
    auto* form = new QGridLayout;
    m_name = new QLineEdit(this);
    m_date = new QDateEdit(this);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_date->setCalendarPopup(true);
    m_start = new CTimeEdit(this);
    m_end = new CTimeEdit(this);
    const std::pair<const char*, QWidget*> fields[] = {
        {"任务名称：", m_name}, {"开始日期：", m_date}, {"开始时间：", m_start}, {"结束时间：", m_end}};
    m_mode = new QComboBox(this);
    for (const PlayModeInfo& info : kPlayModes)
        m_mode->addItem(QString::fromUtf8(info.text), PlayModeNumber(info.mode));
    form->addWidget(new QLabel(QStringLiteral("播放模式："), this), 5, 0);
    form->addWidget(m_mode, 5, 1);
    m_timetable = new QComboBox(this);
    form->addWidget(new QLabel(QStringLiteral("作息表："), this), 6, 0);
    form->addWidget(m_timetable, 6, 1);
    for (int row = 0; row < 4; ++row) {
        auto* label = new QLabel(QString::fromUtf8(fields[row].first), this);
        label->setBuddy(fields[row].second);
        form->addWidget(label, row, 0);
        form->addWidget(fields[row].second, row, 1);
    }
    auto* note = new QLabel(QStringLiteral("注："), this);
    QFont noteFont(QStringLiteral("SimSun"));
    noteFont.setPixelSize(11);
    note->setFont(noteFont);
    note->setText(QStringLiteral("上一任务结束时间和下一任务开始时间须间隔30秒"));
    note->setWordWrap(true);
    form->addWidget(note, 4, 0, 1, 2);

    auto* repeatGroup = new QGroupBox(QStringLiteral("重复周期"), this);
    auto* repeatLayout = new QHBoxLayout(repeatGroup);
    auto* repeatButtons = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        m_repeat[i] = new QRadioButton(QString::fromUtf8(kRepeatNames[i]), repeatGroup);
        repeatButtons->addButton(m_repeat[i], i);
        repeatLayout->addWidget(m_repeat[i]);
    }
    connect(repeatButtons, &QButtonGroup::idClicked, this, [this](int id) { EnableWeekDays(id == 1); });

    auto* weekGroup = new QGroupBox(QStringLiteral("星期"), this);
    auto* weekLayout = new QGridLayout(weekGroup);
    for (int day = 0; day < 7; ++day) {
        m_weekDays[day] = new QCheckBox(QString::fromUtf8(kWeekDayNames[day]), weekGroup);
        weekLayout->addWidget(m_weekDays[day], day / 4, day % 4);
    }

    auto* powerGroup = new QGroupBox(QStringLiteral("外设电源控制"), this);
    auto* powerLayout = new QHBoxLayout(powerGroup);
    for (int i = 0; i < 4; ++i) {
        m_power[i] = new QCheckBox(QStringLiteral("%1号").arg(i + 1), powerGroup);
        powerLayout->addWidget(m_power[i]);
    }

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(repeatGroup);
    left->addWidget(weekGroup);
    left->addWidget(powerGroup);
    left->addStretch();

    // No button is the dialog's default, so Enter only presses a button that has the focus.
    auto button = [this](ButtonId id, const char* text, auto slot) {
        m_buttons[id] = new QPushButton(QString::fromUtf8(text), this);
        m_buttons[id]->setAutoDefault(false);
        connect(m_buttons[id], &QPushButton::clicked, this, slot);
        return m_buttons[id];
    };

    auto* zoneGroup = new QGroupBox(QStringLiteral("目标区域"), this);
    m_zones = new CCheckTree(zoneGroup);
    m_zones->setHeaderHidden(true);
    auto* zoneButtons = new QHBoxLayout;
    zoneButtons->addWidget(button(kAllOn, "全  开", [this] { m_zones->SetAll(true); }));
    zoneButtons->addWidget(button(kAllOff, "全  关", [this] { m_zones->SetAll(false); }));
    auto* zoneLayout = new QVBoxLayout(zoneGroup);
    zoneLayout->addWidget(m_zones);
    zoneLayout->addLayout(zoneButtons);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(zoneGroup, 1);

    auto* fileGroup = new QGroupBox(QStringLiteral("选择播放音乐"), this);
    m_files = new CColorList(
        {{QStringLiteral("序号")}, {QStringLiteral("音乐名"), true}, {QStringLiteral("时长")}}, fileGroup);
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addWidget(button(kAddFiles, "添加文件", [this] { OnAddFiles(); }));
    fileButtons->addWidget(button(kAddFolder, "添加文件夹", [this] { OnAddFolder(); }));
    fileButtons->addWidget(button(kDeleteFile, "删除文件", [this] { OnDeleteFile(); }));
    fileButtons->addWidget(button(kDeleteAll, "删除全部", [this] { OnDeleteAll(); }));
    auto* fileLayout = new QVBoxLayout(fileGroup);
    fileLayout->addWidget(m_files);
    fileLayout->addLayout(fileButtons);

    auto* end = new QHBoxLayout;
    end->addStretch();
    end->addWidget(button(kSave, "保  存", [this] { OnSave(); }));
    end->addWidget(button(kCancel, "取  消", [this] { reject(); }));

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 3);
    outer->addWidget(fileGroup, 2);
    outer->addLayout(end);
}

void CDlgTaskEdit::ShowDraft(const TaskDraft& draft) {
    m_name->setText(QString::fromStdString(draft.name));
    m_date->setDate(draft.date);
    m_start->setTime(draft.start);
    m_end->setTime(draft.end);
    for (int i = 0; i < 3; ++i)
        if (kRepeatButtons[i] == draft.repeat) m_repeat[i]->setChecked(true);
    for (int day = 0; day < 7; ++day) m_weekDays[day]->setChecked(draft.weekDays[day]);
    for (int i = 0; i < 4; ++i) m_power[i]->setChecked(draft.power[i]);
    // Weekly tasks written here keep the boxes enabled; a stored repeat text other than "周"
    // disables them whatever the code says.
    EnableWeekDays(m_modifying ? draft.repeat != RepeatKind::kOnce && draft.weekly : false);
}

TaskDraft CDlgTaskEdit::DraftFromControls() const {
    TaskDraft draft;
    draft.name = m_name->text().toStdString();
    draft.date = m_date->date();
    draft.start = WholeSeconds(m_start->time());
    draft.end = WholeSeconds(m_end->time());
    for (int i = 0; i < 3; ++i)
        if (m_repeat[i]->isChecked()) draft.repeat = kRepeatButtons[i];
    for (int day = 0; day < 7; ++day) draft.weekDays[day] = m_weekDays[day]->isChecked();
    for (int i = 0; i < 4; ++i) draft.power[i] = m_power[i]->isChecked();
    draft.files = m_taskFiles.Paths();
    return draft;
}

void CDlgTaskEdit::EnableWeekDays(bool enable) {
    for (QCheckBox* box : m_weekDays) box->setEnabled(enable);
}

void CDlgTaskEdit::FillZoneTree() {
    m_zones->clear();
    m_zonesRead = false;
    try {
        CAreaTable areas(m_db);
        CRoomTable rooms(m_db);
        std::vector<std::pair<std::string, int>> zones;
        for (const AreaRow& area : areas.All()) zones.emplace_back(area.areaName, LeadingInt(area.areaId));
        zones.emplace_back(kDefaultZoneLabel, 0);
        for (const auto& [label, areaId] : zones) {
            auto* zone = new QTreeWidgetItem(m_zones, {QString::fromStdString(label)});
            for (const RoomRow& room : rooms.RoomsOfArea(areaId))
                new QTreeWidgetItem(zone, {QString::fromStdString(ChannelLabel(LeadingInt(room.roomId)))});
        }
        m_zonesRead = true;
    } catch (const CDbError& error) {
        m_zones->clear();
        ReportDbError(this, error);
    }
}

void CDlgTaskEdit::ApplyZoneFlags() {
    for (int z = 0; z < m_zones->topLevelItemCount(); ++z) {
        QTreeWidgetItem* zone = m_zones->topLevelItem(z);
        for (int c = 0; c < zone->childCount(); ++c) {
            const int channel = LabelNumber(zone->child(c)->text(0).toStdString());
            if (channel >= 1 && channel <= kChannelCount && m_storedZones[static_cast<size_t>(channel - 1)])
                CCheckTree::SetCheck(zone->child(c), true);
        }
    }
}

std::vector<int> CDlgTaskEdit::CheckedChannels() const {
    std::vector<int> channels;
    for (int z = 0; z < m_zones->topLevelItemCount(); ++z) {
        const QTreeWidgetItem* zone = m_zones->topLevelItem(z);
        for (int c = 0; c < zone->childCount(); ++c)
            if (CCheckTree::IsChecked(zone->child(c)))
                channels.push_back(LabelNumber(zone->child(c)->text(0).toStdString()));
    }
    return channels;
}

ColorListRow CDlgTaskEdit::FileRow(size_t index) const {
    const QString path = QString::fromStdString(m_taskFiles.Paths()[index]);
    const std::optional<FileLength> length = m_taskFiles.Length(index);
    if (!length) return {{QString::number(index + 1), path, kUnreadLengthText}, QColor()};
    if (!length->exists) return {{QString::number(index + 1), path, kMissingFileText}, kMissingFileColour};
    return {{QString::number(index + 1), path, DurationText(length->seconds)}, QColor()};
}

void CDlgTaskEdit::RefreshFileList() {
    std::vector<ColorListRow> rows;
    rows.reserve(m_taskFiles.Count());
    for (size_t i = 0; i < m_taskFiles.Count(); ++i) rows.push_back(FileRow(i));
    m_files->SetRows(std::move(rows));
}

void CDlgTaskEdit::OnLength(const std::string& path, FileLength length) {
    m_taskFiles.SetLength(path, length);
    for (size_t i = 0; i < m_taskFiles.Count(); ++i)
        if (m_taskFiles.Paths()[i] == path) m_files->SetRow(static_cast<int>(i), FileRow(i));
}

void CDlgTaskEdit::AddFiles(const QStringList& paths) {
    QStringList unstorable;
    for (const QString& path : paths)
        if (m_taskFiles.Add(path.toStdString()) == CTaskFiles::AddResult::kUnstorable) unstorable << path;
    RefreshFileList();
    m_lengthReader.Read(m_taskFiles.TakeUnread());
    ReportUnstorable(unstorable);
}

void CDlgTaskEdit::AddFolder(const QString& folder) {
    CFolderScan scan(folder.toStdString(), m_reader);
    QStringList unstorable;
    WaitForFolderScan(this, QStringLiteral("添加文件夹"), scan, [&](const FoundFile& file) {
        if (m_taskFiles.Add(file.path, file.seconds) == CTaskFiles::AddResult::kUnstorable)
            unstorable << QString::fromStdString(file.path);
    });
    RefreshFileList();
    ReportUnstorable(unstorable);
}

void CDlgTaskEdit::ReportUnstorable(const QStringList& paths) {
    if (paths.isEmpty()) return;
    ShowMessage(this, QStringLiteral("以下文件的路径含有“|”，不能加入任务：\n") + paths.join('\n'),
                MbButtons::kOk, MbIcon::kWarning);
}

void CDlgTaskEdit::OnAddFiles() {
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, QString(), QString(), QStringLiteral("音频文件 (*.mp3 *.wav *.cda *.MP3 *.WAV *.CDA)"));
    if (!paths.isEmpty()) AddFiles(paths);
}

void CDlgTaskEdit::OnAddFolder() {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("选择要添加的目录"));
    if (folder.isEmpty()) return;
    if (!QFileInfo(folder).isDir()) {
        ShowMessage(this, QStringLiteral("不能得到所选的文件夹！"), MbButtons::kOk, MbIcon::kError);
        return;
    }
    AddFolder(folder);
}

void CDlgTaskEdit::OnDeleteFile() {
    const int row = m_files->LastSelectedRow();
    if (row < 0) {
        ShowMessage(this, QStringLiteral("请选择要删除的项目！"));
        return;
    }
    m_taskFiles.Remove(static_cast<size_t>(row));
    RefreshFileList();
}

void CDlgTaskEdit::OnDeleteAll() {
    m_taskFiles.Clear();
    RefreshFileList();
}

bool CDlgTaskEdit::OnSave() {
    const TaskDraft draft = DraftFromControls();
    switch (CheckDraft(draft)) {
        case DraftProblem::kEmptyName:
            ShowMessage(this, QStringLiteral("任务名称不能为空！"));
            return false;
        case DraftProblem::kStartNotBeforeEnd:
            ShowMessage(this, QStringLiteral("开始时间不能大于或等于结束时间"));
            return false;
        case DraftProblem::kNoRepeat:
            ShowMessage(this, QStringLiteral("请选择重复周期！"));
            return false;
        case DraftProblem::kNone:
            break;
    }
    // Saved now, the task would lose every receiver it had.
    if (!m_zonesRead) {
        ShowMessage(this,
                    QStringLiteral("分区和接收机没有读出，任务不能保存。请排除数据库故障后重新打开任务。"),
                    MbButtons::kOk, MbIcon::kWarning);
        return false;
    }
    if (!ConfirmIncomplete(draft)) return false;
    const TaskRecord task = RecordFromDraft(draft, ZoneEntries(CheckedChannels()));
    if (!ConfirmConflicts(task)) return false;
    try {
        const std::string statement =
            m_modifying ? CTaskTable::UpdateStatement(task, m_taskId) : CTaskTable::InsertStatement(task);
        const std::string row = m_modifying ? std::to_string(m_taskId) : std::string("last_insert_rowid()");
        if (!CTaskModeTable(m_db).SaveWithTask(
                statement, m_modifying ? m_taskId : -1, PlayModeFromNumber(m_mode->currentData().toInt()),
                CTimetableTable(m_db).TaskStatements(row, m_timetable->currentData().toInt()))) {
            ShowMessage(this, QStringLiteral("要修改的任务已不存在，可能已被删除；修改没有保存。"));
            return false;
        }
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
    accept();
    return true;
}

// A task that plays nothing, reaches no receiver or switches no outlet is asked about once.
bool CDlgTaskEdit::ConfirmIncomplete(const TaskDraft& draft) {
    QStringList missing;
    if (draft.files.empty()) missing << QStringLiteral("播放文件");
    if (CheckedChannels().empty()) missing << QStringLiteral("接收机");
    if (std::find(draft.power.begin(), draft.power.end(), true) == draft.power.end())
        missing << QStringLiteral("外设电源");
    if (missing.isEmpty()) return true;
    return ShowMessage(
               this,
               QStringLiteral("此任务没有选择%1。\n仍然保存吗？").arg(missing.join(QStringLiteral("、"))),
               MbButtons::kSaveAnywayOrReturn, MbIcon::kQuestion) == MbResult::kOk;
}

bool CDlgTaskEdit::ConfirmConflicts(const TaskRecord& task) {
    StoredSchedule stored;
    try {
        stored = ReadStoredSchedule(m_db);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
    std::vector<TaskRecord>& rows = stored.rows;
    TaskRecord mine = task;
    mine.id = m_modifying ? std::to_string(m_taskId) : std::string();
    rows.push_back(mine);
    stored.calendar.Timetables().Assign(mine.id, m_timetable->currentData().toInt());
    CBroadcastPlanner planner(std::vector<TaskFields>(rows.begin(), rows.end()), stored.calendar);
    const QDate today = QDate::currentDate();
    const std::vector<TaskConflict> conflicts =
        FindConflicts(planner, rows.size() - 1, CivilDayNumber(today.year(), today.month(), today.day()));
    if (conflicts.empty()) return true;
    QStringList together, close;
    for (const TaskConflict& c : conflicts)
        (c.onAirTogether ? together : close) << ConflictText(rows[c.task].name, c);
    QString text;
    if (!together.isEmpty())
        text +=
            QStringLiteral("同一时间只能播放一个节目：\n\n%1\n\n").arg(together.join(QStringLiteral("\n")));
    if (!close.isEmpty())
        text += QStringLiteral("以下任务与此任务使用相同的接收机或外设，间隔不足30秒：\n\n%1\n\n")
                    .arg(close.join(QStringLiteral("\n")));
    return ShowMessage(this, text + QStringLiteral("仍然保存吗？"), MbButtons::kSaveAnywayOrReturn,
                       MbIcon::kWarning) == MbResult::kOk;
}

void CDlgTaskEdit::keyPressEvent(QKeyEvent* event) {
    // Enter belongs to the push button that has the focus; anywhere else it would end the dialog
    // and drop what was typed.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !qobject_cast<QPushButton*>(focusWidget())) return event->accept();
    // Escape throws the edits away: only when the operator says so.
    if (event->key() == Qt::Key_Escape &&
        std::tuple(DraftFromControls(), m_mode->currentIndex(), m_timetable->currentIndex()) != m_shown &&
        ShowMessage(this, QStringLiteral("放弃修改？"), MbButtons::kOkCancel, MbIcon::kQuestion) !=
            MbResult::kOk)
        return event->accept();
    QDialog::keyPressEvent(event);
}

}  // namespace lumetra
