// The program's entry: the application named "Strovane", the main window, then the hex viewer's window
// (docked into the main window when it is first shown), and the event loop until the main window closes.
// The program takes no command line.
#include <QApplication>

#include "mainwindow/HexViewPlaceholder.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/Services.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The name, not the display name: some platforms append the display name to every window title.
    QApplication::setApplicationName(QStringLiteral("Strovane"));
    QApplication::setOrganizationName(QStringLiteral("Strovane"));
    const Services services = Services::Desktop();
    HexViewPlaceholder hexWindow;
    MainWindow mainWindow(services);
    mainWindow.SetHexViewer(&hexWindow);
    mainWindow.show();
    return application.exec();
}
