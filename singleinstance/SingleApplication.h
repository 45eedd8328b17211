#pragma once

#include <QApplication>
#include <QPointer>
#include <QString>

#include <memory>

class QLockFile;
class QWidget;

namespace singleinstance {
class MessageServer;
}

// An application object that knows whether another instance of the same
// program is already running for the same user, and lets a later start hand
// that instance a message instead of opening a second window.
//
// The first start holds a lock file and listens on a local socket, both in the
// user's private runtime folder. A later start connects, sends its message and
// counts it delivered only once the running instance has acknowledged it.
class SingleApplication final : public QApplication
{
    Q_OBJECT

public:
    // Decides isRunning() at once; the first start never waits. Only GUI
    // applications are supported: GUIenabled is accepted for the familiar
    // call shape and should be true.
    explicit SingleApplication(int& argc, char** argv, bool GUIenabled = true);
    Q_DISABLE_COPY_MOVE(SingleApplication)
    ~SingleApplication() override;

    // True when another instance holds the lock, so this start is a later one.
    bool isRunning() const;

    // From a later start: delivers message to the running instance within
    // timeout milliseconds, covering connecting, writing and the answer.
    // Returns true only when the running instance acknowledged the message.
    bool sendMessage(const QString& message, int timeout = 5000);

    // In the running instance: the window to bring to the front whenever a
    // message arrives, if activateOnMessage is set.
    void setActivationWindow(QWidget* window, bool activateOnMessage = true);

signals:
    void messageReceived(const QString& message);

private:
    void listenForLaterStarts();
    void handleMessage(const QString& message);

    QString m_serverPath;
    // Declared before the server so that the server is closed, and its socket
    // file removed, before the lock is released for the next instance.
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<singleinstance::MessageServer> m_server;
    QPointer<QWidget> m_activationWindow;
    bool m_activateOnMessage = false;
    bool m_running = false;
};
