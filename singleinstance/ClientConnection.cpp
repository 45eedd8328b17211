#include "ClientConnection.h"

#include <QLocalSocket>

namespace singleinstance {

ClientConnection::ClientConnection(QLocalSocket* socket, int idleTimeoutMs, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
{
    m_socket->setParent(this);
    // Bytes beyond one frame are never needed; this stops the socket from
    // buffering whatever else a misbehaving client sends.
    m_socket->setReadBufferSize(frame::headerSize + frame::maxPayloadSize);

    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(idleTimeoutMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &ClientConnection::drop);
    connect(m_socket, &QLocalSocket::readyRead, this, &ClientConnection::readAvailable);
    connect(m_socket, &QLocalSocket::disconnected, this, &ClientConnection::finish);
    connect(m_socket, &QLocalSocket::errorOccurred, this, &ClientConnection::drop);
    m_idleTimer.start();

    // The client may have written its frame before the connection was
    // picked up; no further readyRead would announce those bytes.
    if (m_socket->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &ClientConnection::readAvailable);
}

ClientConnection::~ClientConnection()
{
    m_socket->disconnect(this);
}

void ClientConnection::drop()
{
    if (m_finished)
        return;
    m_socket->abort();
    finish();
}

void ClientConnection::readAvailable()
{
    if (m_finished || m_decoder.state() != frame::Decoder::State::Incomplete)
        return;
    m_idleTimer.start();
    while (m_decoder.state() == frame::Decoder::State::Incomplete && m_socket->bytesAvailable() > 0)
        m_decoder.consume(m_socket->read(m_decoder.bytesWanted()));

    switch (m_decoder.state()) {
    case frame::Decoder::State::Incomplete:
        return;
    case frame::Decoder::State::Malformed:
        drop();
        return;
    case frame::Decoder::State::Complete:
        acknowledge();
        return;
    }
}

void ClientConnection::acknowledge()
{
    m_socket->write(frame::acknowledgement());
    // Out before the message is handed on, which may take a while.
    m_socket->flush();
    // Closes once the acknowledgement is written; finish() follows on
    // disconnected(), or on the idle timer should the peer stop reading.
    m_socket->disconnectFromServer();
    emit messageReceived(m_decoder.message());
}

void ClientConnection::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_idleTimer.stop();
    emit finished();
}

} // namespace singleinstance
