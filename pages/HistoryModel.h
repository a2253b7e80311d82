// The broadcast history as the history page shows it: one row per line (a broadcast, an
// operator's action, a change of the link) and, under it, its events, read from the store when
// the row is first opened (fetchMore), so a hundred thousand lines open without reading any. Lines with a
// failure, and failed events, are red.
#pragma once

#include <QAbstractItemModel>
#include <functional>
#include <map>
#include <vector>

#include "store/HistoryTable.h"

namespace lumetra {

class CHistoryModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { kTime, kTitle, kZones, kStart, kEnd, kOutcome, kOperator, kColumnCount };
    enum Role { kFailedRole = Qt::UserRole + 1, kRecordRole };

    using EventReader = std::function<std::vector<HistoryEventRow>(int64_t record)>;
    explicit CHistoryModel(EventReader readEvents, QObject* parent = nullptr);

    // Replaces every line at once.
    void SetRecords(std::vector<HistoryRecord> records);
    const HistoryRecord& Record(int row) const { return m_records[static_cast<size_t>(row)]; }
    int RecordCount() const { return static_cast<int>(m_records.size()); }
    // The line's events: those the view has fetched, else read now.
    std::vector<HistoryEventRow> Events(int row) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant RecordData(const HistoryRecord& record, int column, int role) const;
    QVariant EventData(const HistoryEventRow& event, int column, int role) const;

    EventReader m_readEvents;
    std::vector<HistoryRecord> m_records;
    const std::vector<HistoryEventRow>* Fetched(int row) const;

    std::map<int64_t, std::vector<HistoryEventRow>> m_events;  // by record id, once fetched
};

// The words of a line's outcome: "失败(2)", how it ended, "进行中", or empty for an action.
QString OutcomeText(const HistoryRecord& record);
// "2026-03-02 08:00:00" of a moment, local time; "" for 0.
QString MomentText(std::time_t moment);

}  // namespace lumetra
