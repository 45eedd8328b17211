#include "SingleApplication.h"

#include "InstancePaths.h"
#include "MessageClient.h"
#include "MessageFrame.h"
#include "MessageServer.h"

#include <QDeadlineTimer>
#include <QLockFile>
#include <QWidget>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

// Windows only lets a process take the foreground if the foreground process
// allows it, so the later start passes its right on before sending.
void allowRunningInstanceToActivate([[maybe_unused]] const QLockFile& lock)
{
#ifdef Q_OS_WIN
    qint64 pid = 0;
    QString hostName;
    QString appName;
    const bool known = lock.getLockInfo(&pid, &hostName, &appName) && pid > 0;
    AllowSetForegroundWindow(known ? static_cast<DWORD>(pid) : ASFW_ANY);
#endif
}

void bringToFront(QWidget& window)
{
    // Only the minimised flag goes, so that a maximised window stays so.
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

SingleApplication::SingleApplication(int& argc, char** argv, bool GUIenabled)
    : QApplication(argc, argv)
{
    if (!GUIenabled)
        qWarning("SingleApplication: only GUI applications are supported");

    const std::optional<singleinstance::InstancePaths> paths = singleinstance::instancePathsForThisProcess();
    if (!paths) {
        qWarning("SingleApplication: no private runtime folder; running without single-instance support");
        return;
    }
    m_serverPath = paths->server;
    m_lock = std::make_unique<QLockFile>(paths->lockFile);
    // Age alone never makes the lock stale: only a holder that has died.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        listenForLaterStarts();
        return;
    }
    m_running = m_lock->error() == QLockFile::LockFailedError;
    if (!m_running)
        qWarning("SingleApplication: cannot create %ls; running without single-instance support",
                 qUtf16Printable(paths->lockFile));
}

SingleApplication::~SingleApplication() = default;

bool SingleApplication::isRunning() const
{
    return m_running;
}

bool SingleApplication::sendMessage(const QString& message, int timeout)
{
    if (!m_running)
        return false;
    const QDeadlineTimer deadline(qMax(timeout, 0));
    const std::optional<QByteArray> frame = singleinstance::frame::encode(message);
    if (!frame)
        return false;

    allowRunningInstanceToActivate(*m_lock);
    if (singleinstance::deliverFrame(m_serverPath, *frame, deadline))
        return true;
    // Nobody answered for the whole time: the lock may be one that no process
    // is behind (say, an empty file). Removing it lets the next start be the
    // first; QLockFile refuses while a live holder, even a stopped one, still
    // has it locked. Before the time is up this would be wrong: a first start
    // may have just created the file and not locked it yet.
    if (deadline.hasExpired())
        m_lock->removeStaleLockFile();
    return false;
}

void SingleApplication::setActivationWindow(QWidget* window, bool activateOnMessage)
{
    m_activationWindow = window;
    m_activateOnMessage = activateOnMessage;
}

void SingleApplication::listenForLaterStarts()
{
    // Listening right away, before any window is built, lets later starts
    // connect early; their connections wait until the event loop runs.
    auto server = std::make_unique<singleinstance::MessageServer>();
    if (!server->listen(m_serverPath)) {
        qWarning("SingleApplication: cannot listen on %ls (%ls); running without single-instance support",
                 qUtf16Printable(m_serverPath), qUtf16Printable(server->errorString()));
        // Held without a listener, the lock would only make later starts wait.
        m_lock->unlock();
        return;
    }
    connect(server.get(), &singleinstance::MessageServer::messageReceived, this, &SingleApplication::handleMessage);
    m_server = std::move(server);
}

void SingleApplication::handleMessage(const QString& message)
{
    emit messageReceived(message);
    if (m_activateOnMessage && m_activationWindow)
        bringToFront(*m_activationWindow);
}
