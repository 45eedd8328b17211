#pragma once

#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QString>

namespace singleinstance {

class ClientConnection;

// Listens for later starts on the socket of the running instance. Reading is
// event-driven, so nothing here ever blocks the event loop. Connections are
// capped; when one too many arrives, the oldest is dropped, so that idle
// clients cannot shut out a real later start.
class MessageServer final : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxConnections = 32;
    static constexpr int idleTimeoutMs = 2000;

    explicit MessageServer(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(MessageServer)
    ~MessageServer() override;

    // Replaces whatever is left at path (the caller holds the instance lock,
    // so nobody else may be listening there) and listens, for this user only.
    bool listen(const QString& path);
    QString errorString() const { return m_server.errorString(); }

signals:
    void messageReceived(const QString& message);

private:
    void acceptPending();
    void accept(QLocalSocket* socket);
    void forget(ClientConnection* connection);

    QLocalServer m_server;
    QList<ClientConnection*> m_connections; // oldest first
};

} // namespace singleinstance
