// The program's entry: the application named "Strovane", the main window, then the hex viewer's window
// (docked into the main window when it is first shown), and the event loop until the main window closes.
// The program takes no command line.
#include <csignal>
#include <memory>

#include <QApplication>

#include "app/MapConverterLaunch.h"
#include "app/SettingsNoticeDisplay.h"
#include "hexview/HexViewerWindow.h"
#include "hexview/dialogs/HexDialogs.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/WindowLanguage.h"
#include "platform/SettingsStore.h"
#include "widgets/Services.h"

int main(int argc, char** argv) {
    // A write past the file size limit (the converter, the unpack tools, the hex viewer's copy to a file)
    // then fails as "File too large" and is reported, instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    // The name, not the display name: some platforms append the display name to every window title.
    QApplication::setApplicationName(QStringLiteral("Strovane"));
    // The desktop file the taskbar progress names (resources/strovane.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral("strovane"));
    // Before any window: Qt's standard buttons and dialogs speak the windows' Russian.
    InstallWindowLanguage(application);
    const Services services = Services::Desktop();
    // The hex viewer's dialogs beep and ask through the same desktop services as the main window.
    DialogPrompts prompts;
    prompts.beep = services.beep;
    prompts.question = [messenger = services.messenger](QWidget* parent, const QString& text) {
        return messenger && messenger->Question(parent, text);
    };
    DesktopHexDialogs hexDialogs(prompts);
    std::unique_ptr<MainWindow> mainWindow;
    // A settings file that cannot be written or read is told once, over the main window.
    SettingsNoticeDisplay settingsNotices(services.messenger, [&] { return mainWindow.get(); });
    SettingsStore::forUser().ReportIfNotWritable();
    mainWindow = std::make_unique<MainWindow>(services);
    auto hexWindow = std::make_unique<HexViewerWindow>(services, hexDialogs);
    mainWindow->SetHexViewer(hexWindow.get());
    mainWindow->SetMapConverter(MakeMapConverterHook(*mainWindow, services));
    mainWindow->show();
    const int result = application.exec();
    // What the closing main window could not save.
    settingsNotices.ShowPending();
    // The main window refers to the hex viewer until it is gone.
    mainWindow.reset();
    return result;
}
