#include "MainWindow.h"
#include "SingleApplication.h"
#include "TerminationSignals.h"

int main(int argc, char* argv[])
{
    SingleApplication app(argc, argv, true);
    if (app.isRunning())
        return app.sendMessage(QString(), 5000) ? 0 : 1;

    MainWindow window(nullptr);
    window.show();
    app.setActivationWindow(&window, true);

    // Ending the session or being told to stop saves like closing the window.
    const TerminationSignals stopSignals;
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&window] { window.WriteConfig(); });
    return app.exec();
}
