// Shared by the single-instance tests, which run real programs in folders of
// their own: the folders, reading the programs' output, and the start of a
// message frame.
#pragma once

#include "MessageFrame.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtEndian>

#include <optional>

#include <unistd.h>

namespace instancetest {

// Generous, for a loaded machine; only the stopped-instance test measures time.
constexpr int processTimeoutMs = 30000;

// The runtime and home folders of one user in one test. Handed to another
// user, they belong to that user, and the programs run in them run as that
// user.
class UserFolders final
{
public:
    explicit UserFolders(std::optional<uid_t> user = std::nullopt)
        : m_user(user)
    {
        if (m_user && m_runtime.isValid() && m_home.isValid())
            m_handedOver = handOver(m_runtime.path()) && handOver(m_home.path());
    }
    Q_DISABLE_COPY_MOVE(UserFolders)

    bool isValid() const { return m_runtime.isValid() && m_home.isValid() && (!m_user || m_handedOver); }
    std::optional<uid_t> user() const { return m_user; }
    QString runtimePath() const { return m_runtime.path(); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        environment.insert(QStringLiteral("HOME"), m_home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral("cache")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return environment;
    }

    // The one runtime file matching pattern, or an empty string.
    QString runtimeFile(const QString& pattern) const
    {
        const QStringList names = QDir(m_runtime.path()).entryList({pattern}, QDir::Files | QDir::System);
        return names.size() == 1 ? QDir(m_runtime.path()).filePath(names.first()) : QString();
    }

    QStringList runtimeEntries() const
    {
        return QDir(m_runtime.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }

    // The process ID written in the instance lock; 0 while there is none.
    qint64 lockHolder() const
    {
        const QString path = runtimeFile(QStringLiteral("*.lock"));
        if (path.isEmpty())
            return 0;
        QFile lock(path);
        if (!lock.open(QIODevice::ReadOnly))
            return 0;
        return lock.readLine().trimmed().toLongLong();
    }

private:
    bool handOver(const QString& path) const
    {
        return ::chown(QFile::encodeName(path).constData(), *m_user, *m_user) == 0;
    }

    // QTemporaryDir creates its folder with mode 0700, as a runtime folder must be.
    QTemporaryDir m_runtime;
    QTemporaryDir m_home;
    const std::optional<uid_t> m_user;
    bool m_handedOver = false;
};

// The next line of output without its newline; a null array when none came.
inline QByteArray readLine(QProcess& process)
{
    const QDeadlineTimer deadline(processTimeoutMs);
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return {};
    }
    return process.readLine().chopped(1);
}

// A frame header announcing announcedSize bytes of message.
inline QByteArray frameHeader(quint32 announcedSize)
{
    QByteArray header = singleinstance::frame::encode(QString()).value();
    qToBigEndian(announcedSize, header.data() + 4);
    return header;
}

} // namespace instancetest
