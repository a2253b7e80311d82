// The LED messaging page: sends a text of up to 128 GBK bytes to one of the 128 LED screens,
// stores every text sent in the LED table, and lists that history on request.
#pragma once

#include "pages/LedSender.h"
#include "pages/Page.h"
#include "store/LedTable.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace lumetra {

class CDatabase;
class CLedHistoryModel;
class CStation;

class CLedPage : public CPage {
    Q_OBJECT
public:
    CLedPage(CStation& station, CDatabase& db, QWidget* parent);

    QComboBox* AddressList() const { return m_address; }
    QPlainTextEdit* TextEdit() const { return m_text; }
    QLabel* Hint() const { return m_hint; }
    QLabel* Status() const { return m_status; }
    QPushButton* SendButton() const { return m_send; }
    QPushButton* ClearButton() const { return m_clear; }
    QPushButton* HistoryButton() const { return m_load; }
    QTableView* History() const { return m_history; }
    // Shows the stored LED lines: the history button, and after a restore.
    void LoadHistory();

private:
    void OnTextChanged();
    void OnSend();
    void OnClear();

    CStation& m_station;
    CLedTable m_table;
    CLedSender m_sender;
    QComboBox* m_address;
    QPlainTextEdit* m_text;
    QLabel* m_hint;
    QLabel* m_status;  // what became of the last text sent
    QPushButton* m_send;
    QPushButton* m_clear;
    QTableView* m_history;
    CLedHistoryModel* m_model;
    QPushButton* m_load;
};

}  // namespace lumetra
