// Which history lines the page shows: by task, by zone (the receivers it switched) and by
// outcome. A shown broadcast always shows all of its events.
#pragma once

#include <QSortFilterProxyModel>
#include <set>

namespace lumetra {

class CHistoryModel;

class CHistoryFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum Outcome { kAll, kFailed, kSucceeded, kOperator, kLink };

    explicit CHistoryFilter(CHistoryModel& model, QObject* parent = nullptr);

    void SetTask(const QString& title);        // empty: every task
    void SetChannels(std::set<int> channels);  // empty: every zone
    void SetOutcome(Outcome outcome);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    CHistoryModel& m_model;
    QString m_task;
    std::set<int> m_channels;
    Outcome m_outcome = kAll;
};

}  // namespace lumetra
