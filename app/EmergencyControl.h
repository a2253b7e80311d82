// The main window's emergency broadcast controls: the red "紧急广播" button above every page, which
// works logged in or not and asks once before it starts the station's emergency, and, while one is
// on air, "停止紧急广播" on the same button, a red line in the status bar and the page title.
#pragma once

#include <QObject>
#include <QString>
#include <Qt>

class QPushButton;
class QLabel;
class QWidget;

namespace lumetra {

class CStation;

class CEmergencyControl : public QObject {
    Q_OBJECT
public:
    // The key works from every page, logged in or not; the button and its tip show it.
    static constexpr Qt::Key kKey = Qt::Key_F12;
    static constexpr const char* kStartText = "紧急广播 F12";
    static constexpr const char* kStopText = "停止紧急广播 F12";
    static constexpr const char* kOnAirText = "紧急广播中";

    // `window` is the main window, `pageTitle` its page title line.
    CEmergencyControl(CStation& station, QWidget* window, QLabel* pageTitle);

    QPushButton* Button() const { return m_button; }
    QLabel* StatusLine() const { return m_status; }
    // The station began or ended an emergency (WindowMessage::kEmergency): show it.
    void Show();
    // The page title the window sets goes through here, so the emergency's stays on top of it.
    void SetPageTitle(const QString& title);

private:
    void OnButton();

    CStation& m_station;
    QWidget* m_window;
    QLabel* m_pageTitle;
    QPushButton* m_button;
    QLabel* m_status;
    QString m_title;  // the page's own title, shown again after the emergency
};

}  // namespace lumetra
