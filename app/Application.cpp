#include "app/Application.h"

#include <QApplication>
#include <memory>

#include "app/CommandLine.h"
#include "app/DlgMain.h"
#include "app/PortAlertBox.h"
#include "app/QtTranslations.h"
#include "app/SingleInstance.h"
#include "app/StartDatabase.h"
#include "app/TerminationSignals.h"
#include "link/TransmitterLink.h"
#include "pages/AudioOutputBox.h"
#include "pages/PortDeviceBox.h"
#include "schedule/Scheduler.h"
#include "schedule/SystemClock.h"
#include "store/Database.h"
#include "widgets/MessageBox.h"

namespace lumetra {

bool OpenAppDatabase(const std::string& path) {
    std::string error;
    if (AppConnection().Open(path, &error)) return true;
    ShowMessage(nullptr, QString::fromStdString(error));
    return false;
}

int RunLumetra(int& argc, char** argv, CAutoShutdown& shutdown, const CommandLine& line) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumetra"));
    InstallQtTranslations(QtTextLocale());

    CSingleInstance instance;
    if (!instance.FindRunningInstance()) return 0;

    // Watched from the start: a signal during the database's box ends the program there.
    CTerminationSignals termination;
    CDlgMain* mainWindow = nullptr;
    bool terminated = false;
    QObject::connect(&termination, &CTerminationSignals::TerminationRequested, [&] {
        terminated = true;
        if (mainWindow)
            mainWindow->Terminate();
        else
            CloseModalWindows(nullptr);
    });

    // Without a database the window still comes up.
    std::unique_ptr<QWidget> firstStartNotice;
    OpenStartDatabase(line.database, &firstStartNotice);
    if (terminated) {
        AppConnection().Close();
        return 0;
    }

    // The user's own choices of serial adapters and sound output, before anything opens them.
    LoadPortDeviceChoices();
    LoadAudioOutputChoice();
    TransmitterLink().SetPortAlert(&PortAlertBox());
    {
        CSystemClock clock;
        CDlgMain main(MainServices{clock, TransmitterLink(), Scheduler(), shutdown, AppConnection()});
        QObject::connect(&instance, &CSingleInstance::RaiseRequested, &main, &CDlgMain::BringToFront);
        mainWindow = &main;
        main.exec();
        mainWindow = nullptr;
    }
    // A link thread still waiting for a box is let go; no box opens from now on. The link stops
    // here rather than at static destruction, so its threads never outlive the relay and the box.
    PortAlertBox().Close();
    TransmitterLink().CloseLink(false);
    TransmitterLink().SetNotifier(nullptr);
    TransmitterLink().SetPortAlert(nullptr);
    AppConnection().Close();
    return 0;
}

}  // namespace lumetra
