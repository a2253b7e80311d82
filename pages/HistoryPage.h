// The history page "播放记录": the lines of a day or a range of days, filtered by task, zone and
// outcome, each broadcast opening into its events; failures in red; export to CSV.
#pragma once

#include <QDate>
#include <cstdint>

#include "pages/Page.h"

class QComboBox;
class QDateEdit;
class QPushButton;
class QTreeView;

namespace lumetra {

class CDatabase;
class CHistoryFilter;
class CHistoryModel;
class IClock;

class CHistoryPage : public CPage {
    Q_OBJECT
public:
    CHistoryPage(CDatabase& db, IClock& clock, QWidget* parent);

    // Reads the lines of the chosen days again; false when the database refused (the operator
    // was told).
    bool Load();
    // Shows today's lines with the latest failed one selected and open.
    void ShowLatestFailure();
    // Writes the lines shown, with their events; false after telling the operator why not.
    bool ExportCsv(const QString& path);

    QDateEdit* FromDate() const { return m_from; }
    QDateEdit* ToDate() const { return m_to; }
    QComboBox* TaskFilter() const { return m_task; }
    QComboBox* ZoneFilter() const { return m_zone; }
    QComboBox* OutcomeFilter() const { return m_outcome; }
    QTreeView* View() const { return m_view; }
    CHistoryModel& Model() const { return *m_model; }
    CHistoryFilter& Filter() const { return *m_filter; }

private:
    void CreateControls();
    void FillTaskFilter();
    void FillZoneFilter();
    void ApplyZone();
    void OnExport();

    CDatabase& m_db;
    IClock& m_clock;
    CHistoryModel* m_model;
    CHistoryFilter* m_filter;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QPushButton* m_query;
    QComboBox* m_task;
    QComboBox* m_zone;
    QComboBox* m_outcome;
    QPushButton* m_export;
    QTreeView* m_view;
};

}  // namespace lumetra
