#include "pages/HistoryFilter.h"

#include "base/NumberText.h"
#include "pages/HistoryModel.h"
#include "store/Labels.h"

namespace lumetra {

namespace {

bool Touches(const std::string& zones, const std::set<int>& channels) {
    if (zones == kAllChannelsText) return true;
    for (int channel : ParseNumberRanges(zones))
        if (channels.count(channel)) return true;
    return false;
}

}  // namespace

CHistoryFilter::CHistoryFilter(CHistoryModel& model, QObject* parent)
    : QSortFilterProxyModel(parent), m_model(model) {
    setSourceModel(&model);
}

void CHistoryFilter::SetTask(const QString& title) {
    m_task = title;
    invalidateFilter();
}

void CHistoryFilter::SetChannels(std::set<int> channels) {
    m_channels = std::move(channels);
    invalidateFilter();
}

void CHistoryFilter::SetOutcome(Outcome outcome) {
    m_outcome = outcome;
    invalidateFilter();
}

bool CHistoryFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid()) return true;
    const HistoryRecord& record = m_model.Record(sourceRow);
    if (!m_task.isEmpty() &&
        (record.kind != RecordKind::kBroadcast || QString::fromStdString(record.title) != m_task))
        return false;
    if (!m_channels.empty() && !Touches(record.zones, m_channels)) return false;
    switch (m_outcome) {
        case kAll:
            return true;
        case kFailed:
            return record.failures > 0;
        case kSucceeded:
            return record.kind == RecordKind::kBroadcast && record.failures == 0;
        case kOperator:
            return record.kind == RecordKind::kOperator;
        case kLink:
            return record.kind == RecordKind::kLink;
    }
    return true;
}

}  // namespace lumetra
