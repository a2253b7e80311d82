#include "pages/HistoryPage.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTreeView>
#include <QVBoxLayout>
#include <set>

#include "base/NumberText.h"
#include "pages/DbErrorReport.h"
#include "pages/HistoryCsv.h"
#include "pages/HistoryFilter.h"
#include "pages/HistoryModel.h"
#include "schedule/Clock.h"
#include "store/DbError.h"
#include "store/Labels.h"
#include "store/ZoneCatalog.h"
#include "widgets/MessageBox.h"

namespace lumetra {

namespace {

std::time_t StartOfDay(const QDate& day) {
    return day.startOfDay().toSecsSinceEpoch();
}

}  // namespace

CHistoryPage::CHistoryPage(CDatabase& db, IClock& clock, QWidget* parent)
    : CPage(QRect(197, 140, 770, 470), parent), m_db(db), m_clock(clock) {
    m_model = new CHistoryModel(
        [this](int64_t record) {
            try {
                return CHistoryTable(m_db).Events(record);
            } catch (const CDbError& error) {
                ReportDbError(this, error);
                return std::vector<HistoryEventRow>{};
            }
        },
        this);
    m_filter = new CHistoryFilter(*m_model, this);
    CreateControls();
}

void CHistoryPage::CreateControls() {
    const QDate today = QDateTime::fromSecsSinceEpoch(m_clock.Now()).date();
    m_from = new QDateEdit(today, this);
    m_to = new QDateEdit(today, this);
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    m_query = new QPushButton(QStringLiteral("查询"), this);
    m_task = new QComboBox(this);
    m_zone = new QComboBox(this);
    m_outcome = new QComboBox(this);
    m_outcome->addItems({QStringLiteral("全部结果"), QStringLiteral("失败"), QStringLiteral("成功的广播"),
                         QStringLiteral("人工操作"), QStringLiteral("通讯")});
    m_export = new QPushButton(QStringLiteral("导出"), this);
    m_view = new QTreeView(this);
    m_view->setModel(m_filter);
    m_view->setUniformRowHeights(true);  // a hundred thousand lines lay out at once
    m_view->setAlternatingRowColors(true);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The times and short columns as wide as their text; the names and details share the rest,
    // a long path shortened in the middle so the file name stays (the tooltip holds it whole).
    m_view->setTextElideMode(Qt::ElideMiddle);
    m_view->header()->setStretchLastSection(false);
    for (int column = 0; column < CHistoryModel::kColumnCount; ++column) {
        const bool fills = column == CHistoryModel::kTitle || column == CHistoryModel::kZones;
        m_view->header()->setSectionResizeMode(column,
                                               fills ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
    }

    auto* dates = new QHBoxLayout;
    dates->addWidget(new QLabel(QStringLiteral("从"), this));
    dates->addWidget(m_from);
    dates->addWidget(new QLabel(QStringLiteral("到"), this));
    dates->addWidget(m_to);
    dates->addWidget(m_query);
    dates->addStretch();
    dates->addWidget(m_export);
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("任务"), this));
    filters->addWidget(m_task, 2);
    filters->addWidget(new QLabel(QStringLiteral("区域"), this));
    filters->addWidget(m_zone, 2);
    filters->addWidget(new QLabel(QStringLiteral("结果"), this));
    filters->addWidget(m_outcome, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addLayout(filters);
    layout->addWidget(m_view);

    connect(m_query, &QPushButton::clicked, this, &CHistoryPage::Load);
    connect(m_export, &QPushButton::clicked, this, &CHistoryPage::OnExport);
    connect(m_task, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_filter->SetTask(index > 0 ? m_task->currentText() : QString()); });
    connect(m_zone, &QComboBox::currentIndexChanged, this, &CHistoryPage::ApplyZone);
    connect(m_outcome, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_filter->SetOutcome(static_cast<CHistoryFilter::Outcome>(index)); });
}

bool CHistoryPage::Load() {
    if (m_to->date() < m_from->date()) {
        ShowMessage(this, QStringLiteral("结束日期不能早于开始日期。"), MbButtons::kOk, MbIcon::kWarning);
        return false;
    }
    try {
        m_model->SetRecords(
            CHistoryTable(m_db).Records(StartOfDay(m_from->date()), StartOfDay(m_to->date().addDays(1))));
        FillTaskFilter();
        FillZoneFilter();
        return true;
    } catch (const CDbError& error) {
        ReportDbError(this, error);
        return false;
    }
}

void CHistoryPage::FillTaskFilter() {
    const QString chosen = m_task->currentIndex() > 0 ? m_task->currentText() : QString();
    std::set<QString> titles;
    for (int row = 0; row < m_model->RecordCount(); ++row)
        if (m_model->Record(row).kind == RecordKind::kBroadcast)
            titles.insert(QString::fromStdString(m_model->Record(row).title));
    const QSignalBlocker block(m_task);
    m_task->clear();
    m_task->addItem(QStringLiteral("全部任务"));
    for (const QString& title : titles) m_task->addItem(title);
    m_task->setCurrentIndex(std::max(0, m_task->findText(chosen)));
    m_filter->SetTask(m_task->currentIndex() > 0 ? chosen : QString());
}

void CHistoryPage::FillZoneFilter() {
    const QString chosen = m_zone->currentText();
    const QSignalBlocker block(m_zone);
    m_zone->clear();
    m_zone->addItem(QStringLiteral("全部区域"));
    for (const ZoneNode& zone : CZoneCatalog(m_db).ReadTree()) {
        QStringList channels;
        for (const std::string& label : zone.channels) channels << QString::number(LabelNumber(label));
        m_zone->addItem(QString::fromStdString(zone.label), channels.join(QLatin1Char(',')));
    }
    m_zone->setCurrentIndex(std::max(0, m_zone->findText(chosen)));
    ApplyZone();
}

void CHistoryPage::ApplyZone() {
    std::set<int> channels;
    if (m_zone->currentIndex() > 0) {
        for (int channel : ParseNumberRanges(m_zone->currentData().toString().toStdString()))
            channels.insert(channel);
        if (channels.empty()) channels.insert(0);  // a zone without receivers matches no line
    }
    m_filter->SetChannels(std::move(channels));
}

void CHistoryPage::ShowLatestFailure() {
    const QDate today = QDateTime::fromSecsSinceEpoch(m_clock.Now()).date();
    m_from->setDate(today);
    m_to->setDate(today);
    m_outcome->setCurrentIndex(CHistoryFilter::kAll);
    m_task->setCurrentIndex(0);
    m_zone->setCurrentIndex(0);
    if (!Load()) return;
    for (int row = m_model->RecordCount() - 1; row >= 0; --row) {
        if (m_model->Record(row).failures == 0) continue;
        const QModelIndex shown = m_filter->mapFromSource(m_model->index(row, 0));
        m_view->setCurrentIndex(shown);
        m_view->expand(shown);
        m_view->scrollTo(shown);
        return;
    }
}

bool CHistoryPage::ExportCsv(const QString& path) {
    std::vector<int> rows;
    for (int row = 0; row < m_filter->rowCount(); ++row)
        rows.push_back(m_filter->mapToSource(m_filter->index(row, 0)).row());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(HistoryCsv(*m_model, rows)) < 0 || !file.commit()) {
        ShowMessage(this, QStringLiteral("无法写入文件“%1”：%2").arg(path, file.errorString()),
                    MbButtons::kOk, MbIcon::kWarning);
        return false;
    }
    return true;
}

void CHistoryPage::OnExport() {
    const QString name = QStringLiteral("播放记录_%1_%2.csv")
                             .arg(m_from->date().toString(QStringLiteral("yyyyMMdd")),
                                  m_to->date().toString(QStringLiteral("yyyyMMdd")));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出播放记录"), name,
                                                      QStringLiteral("CSV 文件 (*.csv)"));
    if (!path.isEmpty()) ExportCsv(path);
}

}  // namespace lumetra
