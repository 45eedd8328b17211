// Starts like the launcher does, with a bare window, for tst_singleinstance.
//
// A later start sends its first argument (or an empty message) and exits 0
// when it was delivered, 1 otherwise. The first start prints "first", then for
// every message "message:<text>" followed by "window:<state>", the state of
// its window once the message has been handled. It quits when stdin closes.

#include "SingleApplication.h"

#include <QSocketNotifier>
#include <QStringList>
#include <QWidget>

#include <cstdio>

#include <unistd.h>

namespace {

void printLine(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QByteArray describe(const QWidget& window)
{
    QByteArrayList words{window.isVisible() ? "visible" : "hidden"};
    if (window.isMinimized())
        words.append("minimized");
    if (window.isMaximized())
        words.append("maximized");
    return words.join(' ');
}

} // namespace

int main(int argc, char* argv[])
{
    SingleApplication app(argc, argv, true);
    const QString message = app.arguments().value(1);
    if (app.isRunning())
        return app.sendMessage(message, 5000) ? 0 : 1;

    QWidget window(nullptr);
    // Minimised on top of maximised, to see that a message restores the
    // window to maximised.
    window.setWindowState(Qt::WindowMaximized | Qt::WindowMinimized);
    window.show();
    app.setActivationWindow(&window, true);

    // Queued, so that the window is described after it was brought forward.
    QObject::connect(
        &app, &SingleApplication::messageReceived, &app,
        [&window](const QString& text) {
            printLine("message:" + text.toUtf8());
            printLine("window:" + describe(window));
        },
        Qt::QueuedConnection);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });

    printLine("first");
    return app.exec();
}
