#include "MessageServer.h"

#include "ClientConnection.h"

#include <QLocalSocket>

namespace singleinstance {

MessageServer::MessageServer(QObject* parent)
    : QObject(parent)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &MessageServer::acceptPending);
}

MessageServer::~MessageServer()
{
    for (ClientConnection* const connection : std::as_const(m_connections))
        connection->disconnect(this);
    // The connections are children of this object and go with it; the server
    // closes (and removes its socket file) when m_server is destroyed.
}

bool MessageServer::listen(const QString& path)
{
    QLocalServer::removeServer(path);
    return m_server.listen(path);
}

void MessageServer::acceptPending()
{
    while (QLocalSocket* const socket = m_server.nextPendingConnection())
        accept(socket);
}

void MessageServer::accept(QLocalSocket* socket)
{
    while (m_connections.size() >= maxConnections) {
        ClientConnection* const oldest = m_connections.takeFirst();
        oldest->drop();
        oldest->deleteLater();
    }

    auto* const connection = new ClientConnection(socket, idleTimeoutMs, this);
    m_connections.append(connection);
    connect(connection, &ClientConnection::messageReceived, this, &MessageServer::messageReceived);
    connect(connection, &ClientConnection::finished, this, [this, connection] { forget(connection); });
}

void MessageServer::forget(ClientConnection* connection)
{
    m_connections.removeOne(connection);
    connection->deleteLater();
}

} // namespace singleinstance
