#include "app/RunningProgram.h"

#include <QMessageBox>

#include "widgets/MessageBox.h"

namespace lumetra {

CRunningProgram::CRunningProgram(CDatabase& db, CTransmitterLink& link, IClock& stationClock,
                                 IClock& windowClock, CAutoShutdown& shutdown,
                                 const std::string& firstStartNotice)
    : m_station(db, link, stationClock, &shutdown), m_window(MainServices{windowClock, m_station, db}) {
    m_window.show();
    if (!firstStartNotice.empty()) {
        // A child of the window, so that it stays above it even without a window manager.
        auto* notice = new QMessageBox(QMessageBox::Information, QString::fromUtf8(kAppCaption),
                                       QString::fromStdString(firstStartNotice), QMessageBox::Ok, &m_window);
        notice->setAttribute(Qt::WA_DeleteOnClose);
        notice->setWindowModality(Qt::NonModal);
        notice->show();
    }
    m_station.Start();
}

CRunningProgram::~CRunningProgram() {
    m_station.Shutdown();
}

}  // namespace lumetra
