// Tries to reach a local socket, as whichever user runs it.
//
//     singleinstance_stress_connect <socket path>
//
// Prints "connected" and exits 0, or prints "refused:<QLocalSocket error
// number>" and exits 3. It sends nothing.

#include <QCoreApplication>
#include <QLocalSocket>

#include <cstdio>

int main(int argc, char* argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: singleinstance_stress_connect <socket path>\n", stderr);
        return 2;
    }

    QLocalSocket socket;
    socket.connectToServer(arguments.at(1));
    if (socket.waitForConnected(5000)) {
        std::puts("connected");
        return 0;
    }
    std::printf("refused:%d\n", static_cast<int>(socket.error()));
    return 3;
}
