#include "MainWindow.h"
#include "SingleApplication.h"

int main(int argc, char* argv[])
{
    SingleApplication app(argc, argv, true);
    if (app.isRunning())
        return app.sendMessage(QString(), 5000) ? 0 : 1;

    MainWindow window(nullptr);
    window.show();
    app.setActivationWindow(&window, true);
    return app.exec();
}
