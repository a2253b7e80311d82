#include "pages/PlayPage.h"

#include <QActionGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QSlider>
#include <QVBoxLayout>
#include <vector>

#include "pages/DbErrorReport.h"
#include "pages/EmergencyRefusalBox.h"
#include "pages/FolderScanProgress.h"
#include "station/Playback.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/DictTable.h"
#include "widgets/ImageButton.h"
#include "widgets/JumpSlider.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowEvent.h"

namespace lumetra {

namespace {

const QSize kButtonSize(44, 34);

QString MinutesAndSeconds(int seconds) {
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QHBoxLayout* Row(const std::initializer_list<QWidget*>& widgets) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* widget : widgets) row->addWidget(widget);
    row->addStretch();
    return row;
}

}  // namespace

CPlayPage::CPlayPage(CDatabase& db, CPlayback& playback, QWidget* parent)
    : CPage(QRect(600, 140, 390, 470), parent), m_db(db), m_playback(playback) {
    auto* player = new QGroupBox(QStringLiteral("文件播放器"), this);
    auto* inner = new QVBoxLayout(player);
    inner->addWidget(BuildListGroup(), 1);
    inner->addWidget(BuildControlGroup());
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(player);

    // Every edit of the operator sends the list to the playback.
    for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&m_list, changed, this, &CPlayPage::SendList);
    connect(&m_list, &QAbstractItemModel::modelReset, this, &CPlayPage::SendList);
    ShowPosition(0, 0);
    LoadMode();
}

CPlayPage::~CPlayPage() = default;

QWidget* CPlayPage::BuildListGroup() {
    auto* group = new QGroupBox(QStringLiteral("播放列表"), this);
    m_listView = new QListView(group);
    m_listView->setModel(&m_list);
    m_listView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->setUniformItemSizes(true);  // thousands of entries lay out at once
    m_listView->setTextElideMode(Qt::ElideMiddle);
    // Enter or a double click plays the entry; the Delete key removes it.
    m_listView->installEventFilter(this);
    connect(m_listView, &QListView::activated, this,
            [this](const QModelIndex& index) { AcceptedOrTold(this, m_playback.Play(index.row())); });

    CImageButton* addFiles = MakeButton("play_add_file", "添加单个文件");
    CImageButton* addFolder = MakeButton("play_add_folder", "添加文件目录");
    CImageButton* remove = MakeButton("play_delete", "删除单个文件");
    CImageButton* clear = MakeButton("play_clear", "清空列表");
    CImageButton* mode = MakeButton("play_mode", "循环模式");
    connect(addFiles, &CImageButton::clicked, this, [this] {
        AddFiles(QFileDialog::getOpenFileNames(this, QStringLiteral("添加单个文件"), QString(),
                                               QStringLiteral("音频文件 (*.mp3 *.wav *.cda)")));
    });
    connect(addFolder, &CImageButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("选择要添加的目录"));
        if (!folder.isEmpty()) AddFolder(folder);
    });
    connect(remove, &CImageButton::clicked, this, &CPlayPage::DeleteSelected);
    connect(clear, &CImageButton::clicked, this, &CPlayPage::ClearList);

    m_modeMenu = new QMenu(QStringLiteral("弹出式菜单"), this);
    m_modeActions = new QActionGroup(this);
    for (const PlayModeInfo& info : kPlayModes) {
        QAction* action = m_modeMenu->addAction(QString::fromUtf8(info.text));
        action->setCheckable(true);
        action->setData(PlayModeNumber(info.mode));
        m_modeActions->addAction(action);
        connect(action, &QAction::triggered, this, [this, m = info.mode] { ChooseMode(m); });
    }
    connect(mode, &CImageButton::clicked, this,
            [this, mode] { m_modeMenu->popup(mode->mapToGlobal(QPoint(0, mode->height()))); });

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_listView, 1);
    layout->addLayout(Row({addFiles, addFolder, remove, clear, mode}));
    return group;
}

QWidget* CPlayPage::BuildControlGroup() {
    auto* group = new QGroupBox(QStringLiteral("播放控制"), this);
    m_slider = new CJumpSlider(Qt::Horizontal, group);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setTickInterval(1);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(10);
    m_time = new QLabel(group);
    // Dragging, or a click that jumps the handle, seeks when the button is let go; keys seek at once.
    connect(m_slider, &QSlider::sliderReleased, this, &CPlayPage::SeekToSlider);
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            SeekToSlider();
    });
    connect(m_slider, &QSlider::sliderMoved, this, [this](int position) {
        m_time->setText(MinutesAndSeconds(position) + " / " + MinutesAndSeconds(m_slider->maximum()));
    });

    CImageButton* previous = MakeButton("play_previous", "上一首");
    CImageButton* play = MakeButton("play_play", "播放");
    CImageButton* pause = MakeButton("play_pause", "暂停/继续");
    CImageButton* stop = MakeButton("play_stop", "停止");
    CImageButton* next = MakeButton("play_next", "下一首");
    connect(previous, &CImageButton::clicked, this, [this] { AcceptedOrTold(this, m_playback.Previous()); });
    connect(play, &CImageButton::clicked, this,
            [this] { AcceptedOrTold(this, m_playback.Play(SelectedRow())); });
    connect(pause, &CImageButton::clicked, this, [this] { AcceptedOrTold(this, m_playback.PauseResume()); });
    connect(stop, &CImageButton::clicked, this, [this] { AcceptedOrTold(this, m_playback.StopPlaying()); });
    connect(next, &CImageButton::clicked, this, [this] { AcceptedOrTold(this, m_playback.Next()); });

    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(m_slider, 1);
    sliderRow->addWidget(m_time);
    auto* layout = new QVBoxLayout(group);
    layout->addLayout(sliderRow);
    layout->addLayout(Row({previous, play, pause, stop, next}));
    return group;
}

CImageButton* CPlayPage::MakeButton(const char* image, const char* toolTip) {
    auto* button = new CImageButton(QStringLiteral(":/images/%1.svg").arg(QLatin1String(image)),
                                    QString::fromUtf8(toolTip), this);
    button->setObjectName(QLatin1String(image));
    button->setFixedSize(kButtonSize);
    return button;
}

bool CPlayPage::event(QEvent* event) {
    if (event->type() == CWindowEvent::TypeOf(WindowMessage::kPlaybackChanged)) {
        ShowPlayback();
        return true;
    }
    return CPage::event(event);
}

void CPlayPage::ShowPlayback() {
    const PlaybackState state = m_playback.State();
    if (state.listSerial != m_listSerial) {
        m_listSerial = state.listSerial;
        m_takingList = true;
        m_list.Replace(m_playback.List());
        m_takingList = false;
        m_shownEntry = -1;
    }
    if (state.current != m_shownEntry && state.current < m_list.Count()) {
        m_shownEntry = state.current;
        SelectRow(state.current);
    }
    ShowPosition(state.position, state.length);
    for (const std::string& text : m_playback.TakeMessages()) ShowMessage(this, QString::fromStdString(text));
}

void CPlayPage::SendList() {
    if (!m_takingList) m_playback.SetOperatorList(m_list.Paths());
}

bool CPlayPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_listView && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelected();
        return true;
    }
    return CPage::eventFilter(watched, event);
}

void CPlayPage::AddFiles(const QStringList& paths) {
    if (!AcceptedOrTold(this, !m_playback.AlarmOn())) return;
    std::vector<std::string> files;
    files.reserve(static_cast<size_t>(paths.size()));
    for (const QString& path : paths) files.push_back(path.toStdString());
    m_list.Append(files);
}

void CPlayPage::AddFolder(const QString& folder) {
    if (!AcceptedOrTold(this, !m_playback.AlarmOn())) return;
    if (!QFileInfo(folder).isDir() || !QFileInfo(folder).isReadable()) {
        ShowMessage(this, QStringLiteral("不能得到所选的文件夹！"), MbButtons::kOk, MbIcon::kError);
        return;
    }
    if (m_scanning) return;
    m_scanning = true;
    // The list shows paths only: the scan need not read any file's length.
    CFolderScan scan(folder.toStdString(), [](const std::string&) { return 0; });
    std::vector<std::string> found;
    WaitForFolderScan(this, QStringLiteral("添加文件目录"), scan,
                      [&found](const FoundFile& file) { found.push_back(file.path); });
    m_scanning = false;
    m_list.Append(found);
}

void CPlayPage::DeleteSelected() {
    if (!AcceptedOrTold(this, !m_playback.AlarmOn())) return;
    const int row = SelectedRow();
    if (row < 0) {
        ShowMessage(this, QStringLiteral("请选择歌曲！"));
        return;
    }
    m_list.RemoveAt(row);
}

void CPlayPage::ClearList() {
    if (!AcceptedOrTold(this, !m_playback.AlarmOn())) return;
    m_list.Clear();
}

int CPlayPage::SelectedRow() const {
    const QModelIndexList selected = m_listView->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void CPlayPage::SelectRow(int row) {
    const QModelIndex index = m_list.index(row);
    m_listView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_listView->scrollTo(index);
}

void CPlayPage::LoadMode() {
    try {
        CDictTable dict(m_db);
        std::optional<PlayMode> stored = dict.ReadPlayCircle();
        if (!stored) {
            dict.InsertPlayCircle();
            stored = PlayMode::kRepeatOne;  // the number the inserted row holds
        }
        ChooseMode(*stored);
    } catch (const CDbError& error) {
        // Without a database the start has said so once already.
        if (m_db.IsOpen()) ReportDbError(this, error);
        ShowMode();
    }
}

void CPlayPage::ChooseMode(PlayMode mode) {
    try {
        CDictTable(m_db).WritePlayCircle(mode);
        m_mode = mode;
        m_playback.SetMode(mode);
    } catch (const CDbError& error) {
        ReportDbError(this, error);
    }
    ShowMode();
}

void CPlayPage::ShowMode() {
    for (QAction* action : m_modeActions->actions()) {
        action->setChecked(action->data().toInt() == PlayModeNumber(m_mode));
    }
}

void CPlayPage::ShowPosition(int position, int length) {
    if (m_slider->isSliderDown()) return;  // the operator is choosing a position
    m_slider->setRange(0, length);
    m_slider->setValue(position);
    m_time->setText(MinutesAndSeconds(position) + " / " + MinutesAndSeconds(length));
}

void CPlayPage::SeekToSlider() {
    AcceptedOrTold(this, m_playback.Seek(m_slider->sliderPosition()));
}

}  // namespace lumetra
