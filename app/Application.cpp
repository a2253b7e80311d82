#include "app/Application.h"

#include <QApplication>

#include "app/CommandLine.h"
#include "app/PortAlertBox.h"
#include "app/QtTranslations.h"
#include "app/RunningProgram.h"
#include "app/SingleInstance.h"
#include "app/StartDatabase.h"
#include "app/TerminationSignals.h"
#include "base/Logger.h"
#include "link/TransmitterLink.h"
#include "schedule/SystemClock.h"
#include "station/Station.h"
#include "store/Autostart.h"
#include "store/Database.h"
#include "widgets/MessageBox.h"
#include "widgets/UserSettings.h"

namespace lumetra {

namespace {

constexpr int kNoDatabaseExit = 1;

// The station alone: no widget, the log on standard error, the automatic shutdown on the station's
// own thread, and a termination signal runs the exit sequence before the process ends.
int RunHeadless(int& argc, char** argv, CAutoShutdown& shutdown, const CommandLine& line) {
    Logger().EchoToStandardError();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Lumetra"));
    CSingleInstance instance;
    if (!instance.FindRunningInstance()) return 0;
    CTerminationSignals termination;
    std::string created, failure;
    if (!OpenStartDatabase(line.database, &created, &failure)) return kNoDatabaseExit;
    if (!created.empty()) Logger().Log("headless: %s", created.c_str());
    LoadDeviceChoices();
    CSystemClock clock;
    {
        CStation station(AppConnection(), TransmitterLink(), clock, &shutdown);
        QObject::connect(&termination, &CTerminationSignals::TerminationRequested, &app, [&] {
            Logger().Log("headless: termination requested");
            station.Shutdown();
            QCoreApplication::quit();
        });
        station.Start();
        Logger().Log("headless: running; stop with SIGTERM or Ctrl+C");
        app.exec();
    }
    AppConnection().Close();
    return 0;
}

}  // namespace

int RunLumetra(int& argc, char** argv, CAutoShutdown& shutdown, const CommandLine& line) {
    if (line.headless) return RunHeadless(argc, argv, shutdown, line);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumetra"));
    InstallQtTranslations(QtTextLocale());

    CSingleInstance instance;
    if (!instance.FindRunningInstance()) return 0;
    MoveFormerAutostartEntry();

    // Watched from the start: a signal during the database's box ends the program there.
    CTerminationSignals termination;
    CMainWindow* mainWindow = nullptr;
    QObject::connect(&termination, &CTerminationSignals::TerminationRequested, [&] {
        if (mainWindow)
            mainWindow->Terminate();
        else
            CloseModalWindows(nullptr);
    });

    // Without a usable database the program ends: one box says why, which a signal closes.
    std::string created, failure;
    if (!OpenStartDatabase(line.database, &created, &failure)) {
        ShowMessage(nullptr, QString::fromStdString(failure), MbButtons::kOk, MbIcon::kError);
        return kNoDatabaseExit;
    }

    // The user's own choices of serial adapters and sound output, before anything opens them.
    LoadDeviceChoices();
    TransmitterLink().SetPortAlert(&PortAlertBox());
    {
        CSystemClock clock;
        CRunningProgram program(AppConnection(), TransmitterLink(), clock, clock, shutdown, created);
        mainWindow = &program.Window();
        QObject::connect(&instance, &CSingleInstance::RaiseRequested, mainWindow, &CMainWindow::BringToFront);
        QObject::connect(mainWindow, &CMainWindow::Exited, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        app.exec();
        mainWindow = nullptr;
    }
    // The port's boxes still open close, and none opens from now on: a link thread that reports
    // a failure after this only logs it.
    PortAlertBox().Close();
    TransmitterLink().SetPortAlert(nullptr);
    AppConnection().Close();
    return 0;
}

}  // namespace lumetra
