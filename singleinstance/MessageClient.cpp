#include "MessageClient.h"

#include "MessageFrame.h"

#include <QLocalSocket>
#include <QThread>

#include <limits>

namespace singleinstance {

namespace {

constexpr int connectRetryMs = 25;

int remainingMs(const QDeadlineTimer& deadline)
{
    return static_cast<int>(qMin<qint64>(deadline.remainingTime(), std::numeric_limits<int>::max()));
}

bool connectBefore(QLocalSocket& socket, const QString& serverPath, const QDeadlineTimer& deadline)
{
    for (;;) {
        socket.connectToServer(serverPath);
        if (socket.waitForConnected(remainingMs(deadline)))
            return true;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(static_cast<unsigned long>(qMin(connectRetryMs, remainingMs(deadline))));
    }
}

bool writeBefore(QLocalSocket& socket, const QByteArray& frame, const QDeadlineTimer& deadline)
{
    if (socket.write(frame) != frame.size())
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remainingMs(deadline)))
            return false;
    }
    return true;
}

bool acknowledgedBefore(QLocalSocket& socket, const QDeadlineTimer& deadline)
{
    while (socket.bytesAvailable() < frame::acknowledgementSize) {
        if (!socket.waitForReadyRead(remainingMs(deadline)))
            return false;
    }
    return socket.read(frame::acknowledgementSize) == frame::acknowledgement();
}

} // namespace

bool deliverFrame(const QString& serverPath, const QByteArray& frame, const QDeadlineTimer& deadline)
{
    QLocalSocket socket;
    return connectBefore(socket, serverPath, deadline)
        && writeBefore(socket, frame, deadline)
        && acknowledgedBefore(socket, deadline);
}

} // namespace singleinstance
