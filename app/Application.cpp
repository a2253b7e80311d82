#include "app/Application.h"

#include <QApplication>

#include "app/DlgMain.h"
#include "app/PortAlertBox.h"
#include "app/SingleInstance.h"
#include "link/TransmitterLink.h"
#include "schedule/Scheduler.h"
#include "schedule/SystemClock.h"
#include "store/Database.h"
#include "widgets/MessageBox.h"

namespace lumetra {

int RunLumetra(int& argc, char** argv, CAutoShutdown& shutdown) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumetra"));

    CSingleInstance instance;
    if (!instance.FindRunningInstance()) return 0;

    // Without a database the window still comes up; the operator is told why once.
    std::string error;
    if (!AppConnection().Open(DefaultDatabasePath(), &error))
        ShowMessage(nullptr, QString::fromStdString(error));

    TransmitterLink().SetPortAlert(&PortAlertBox());
    {
        CSystemClock clock;
        CDlgMain main(MainServices{clock, TransmitterLink(), Scheduler(), shutdown});
        QObject::connect(&instance, &CSingleInstance::RaiseRequested, &main, &CDlgMain::BringToFront);
        main.exec();
    }
    // A link thread still waiting for a box is let go; no box opens from now on.
    PortAlertBox().Close();
    AppConnection().Close();
    return 0;
}

}  // namespace lumetra
