#pragma once

#include "MessageFrame.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QLocalSocket;

namespace singleinstance {

// The running instance's side of one connection from a later start: reads a
// single frame as it arrives, acknowledges it and reports the message. A
// connection that stays silent too long or sends anything but a well-formed
// frame is dropped without an answer.
class ClientConnection final : public QObject
{
    Q_OBJECT

public:
    // Takes ownership of the connected socket.
    explicit ClientConnection(QLocalSocket* socket, int idleTimeoutMs, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ClientConnection)
    ~ClientConnection() override;

    // Drops the connection at once; emits finished() unless it already has.
    void drop();

signals:
    void messageReceived(const QString& message);
    // Emitted once, when the connection is done with, whatever the reason.
    void finished();

private:
    void readAvailable();
    void acknowledge();
    void finish();

    QLocalSocket* const m_socket;
    QTimer m_idleTimer;
    frame::Decoder m_decoder;
    bool m_finished = false;
};

} // namespace singleinstance
