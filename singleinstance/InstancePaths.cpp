#include "InstancePaths.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace singleinstance {

namespace {

QString userName()
{
#ifdef Q_OS_UNIX
    const uid_t uid = geteuid();
    if (const passwd* const entry = getpwuid(uid))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(uid);
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

// QStandardPaths already insists on ownership and mode 0700 and otherwise
// falls back to a folder of its own; this is the last word on whether the
// folder we got is one that nobody else could have prepared for us.
bool isPrivateFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
#else
    return QFileInfo(path).isDir();
#endif
}

QString instanceKey()
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QCoreApplication::applicationFilePath().toUtf8());
    hash.addData(QByteArrayView("\n"));
    hash.addData(userName().toUtf8());
    return QString::fromLatin1(hash.result().toHex().left(16));
}

} // namespace

std::optional<InstancePaths> instancePathsForThisProcess()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!isPrivateFolder(folder))
        return std::nullopt;

    const QString name = QStringLiteral("instance-") + instanceKey();
    const QString base = QDir(folder).filePath(name);
#ifdef Q_OS_WIN
    // Local sockets are named pipes here, which live in a namespace of their
    // own; the key already tells users apart.
    const QString server = name;
#else
    const QString server = base + QStringLiteral(".socket");
#endif
    return InstancePaths{base + QStringLiteral(".lock"), server};
}

} // namespace singleinstance
