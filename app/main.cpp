#include "MainWindow.h"
#include "SingleApplication.h"
#include "TerminationSignals.h"

#include <QIcon>

int main(int argc, char* argv[])
{
    // The same window class and desktop entry whether started as MirelvaLauncher
    // or through the installed mirelva-launcher link, so that desktops match
    // the window to its menu entry and icon.
    QCoreApplication::setApplicationName(QStringLiteral("MirelvaLauncher"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kestrune.MirelvaLauncher"));
    SingleApplication app(argc, argv, true);
    if (app.isRunning())
        return app.sendMessage(QString(), 5000) ? 0 : 1;

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/org.kestrune.MirelvaLauncher.png")));
    MainWindow window(nullptr);
    window.show();
    app.setActivationWindow(&window, true);

    // Ending the session or being told to stop saves like closing the window.
    const TerminationSignals stopSignals;
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window] { window.WriteConfig(); });
    return app.exec();
}
