// The stand-in emulator: a window that shows how it was started.

#include "StandinCommandLine.h"
#include "StandinWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Read before QApplication takes out the options it knows itself
    // (-platform, -style, ...), so the window shows every argument received.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QApplication app(argc, argv);
    StandinWindow window(ParseStandinCommandLine(arguments));
    window.show();
    return app.exec();
}
