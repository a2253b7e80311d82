#include "pages/HistoryModel.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>

namespace lumetra {

namespace {

// Internal id of an index: 0 for a line, the line's row + 1 for one of its events.
constexpr quintptr kLine = 0;
const QColor kFailedColour(200, 0, 0);

QString TimeOfDay(std::time_t moment) {
    return moment ? QDateTime::fromSecsSinceEpoch(moment).toString(QStringLiteral("HH:mm:ss")) : QString();
}

}  // namespace

QString MomentText(std::time_t moment) {
    return moment ? QDateTime::fromSecsSinceEpoch(moment).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                  : QString();
}

QString OutcomeText(const HistoryRecord& record) {
    if (record.failures > 0) return QStringLiteral("失败(%1)").arg(record.failures);
    if (record.kind != RecordKind::kBroadcast) return {};
    if (record.ending == 0) return QStringLiteral("进行中");
    return QString::fromUtf8(HistoryKindText(static_cast<HistoryKind>(record.ending)));
}

CHistoryModel::CHistoryModel(EventReader readEvents, QObject* parent)
    : QAbstractItemModel(parent), m_readEvents(std::move(readEvents)) {}

void CHistoryModel::SetRecords(std::vector<HistoryRecord> records) {
    beginResetModel();
    m_records = std::move(records);
    m_events.clear();
    endResetModel();
}

const std::vector<HistoryEventRow>* CHistoryModel::Fetched(int row) const {
    const auto found = m_events.find(Record(row).id);
    return found == m_events.end() ? nullptr : &found->second;
}

std::vector<HistoryEventRow> CHistoryModel::Events(int row) const {
    const std::vector<HistoryEventRow>* fetched = Fetched(row);
    return fetched ? *fetched : m_readEvents(Record(row).id);
}

QModelIndex CHistoryModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kColumnCount) return {};
    if (!parent.isValid()) return row < RecordCount() ? createIndex(row, column, kLine) : QModelIndex();
    if (parent.internalId() != kLine || row >= rowCount(parent)) return {};
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex CHistoryModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kLine) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kLine);
}

int CHistoryModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return RecordCount();
    if (parent.internalId() != kLine || parent.column() != 0) return 0;
    const std::vector<HistoryEventRow>* fetched = Fetched(parent.row());
    return fetched ? static_cast<int>(fetched->size()) : 0;
}

int CHistoryModel::columnCount(const QModelIndex&) const {
    return kColumnCount;
}

bool CHistoryModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return !m_records.empty();
    // Every line has at least one event; reading them waits until the line is opened.
    return parent.internalId() == kLine && parent.column() == 0;
}

bool CHistoryModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && parent.internalId() == kLine && parent.column() == 0 && !Fetched(parent.row());
}

void CHistoryModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    std::vector<HistoryEventRow> events = m_readEvents(Record(parent.row()).id);
    if (events.empty()) {
        m_events.emplace(Record(parent.row()).id, std::move(events));
        return;
    }
    beginInsertRows(parent, 0, static_cast<int>(events.size()) - 1);
    m_events.emplace(Record(parent.row()).id, std::move(events));
    endInsertRows();
}

QVariant CHistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (index.internalId() == kLine) return RecordData(Record(index.row()), index.column(), role);
    const int line = static_cast<int>(index.internalId() - 1);
    return EventData((*Fetched(line))[static_cast<size_t>(index.row())], index.column(), role);
}

QVariant CHistoryModel::RecordData(const HistoryRecord& record, int column, int role) const {
    if (role == kFailedRole) return record.failures > 0;
    if (role == kRecordRole) return QVariant::fromValue<qint64>(record.id);
    if (role == Qt::ForegroundRole && record.failures > 0) return QBrush(kFailedColour);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (column) {
        case kTime:
            return MomentText(record.firstAt);
        case kTitle:
            return QString::fromStdString(record.title);
        case kZones:
            return QString::fromStdString(record.zones);
        case kStart:
            return TimeOfDay(record.start);
        case kEnd:
            return TimeOfDay(record.end);
        case kOutcome:
            return OutcomeText(record);
        case kOperator:
            return QString::fromStdString(record.operatorName);
    }
    return {};
}

QVariant CHistoryModel::EventData(const HistoryEventRow& event, int column, int role) const {
    if (role == kFailedRole) return event.failed;
    if (role == Qt::ForegroundRole && event.failed) return QBrush(kFailedColour);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (column) {
        case kTime:
            return TimeOfDay(event.at);
        case kTitle:
            return QString::fromUtf8(HistoryKindText(event.kind));
        case kZones:
            return QString::fromStdString(event.detail);
        case kOutcome:
            return event.linkUp ? QString() : QStringLiteral("通讯中断");
    }
    return {};
}

QVariant CHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kTitles[kColumnCount] = {"时间", "任务/操作", "区域/详情", "开始",
                                                      "结束", "结果",      "操作员"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return {};
    return QString::fromUtf8(kTitles[section]);
}

}  // namespace lumetra
