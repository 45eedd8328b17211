#pragma once

// Runs the launcher's window in a child process that has an application
// folder and a data folder of its own (see loadsequence_child.cpp).

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

// One launcher start: an application folder holding the child program and
// maybe a default configuration, and a data folder maybe holding a user file.
class LauncherRun
{
public:
    LauncherRun()
    {
        QFile::setPermissions(m_root.path(), QFile::permissions(m_root.path()) | QFile::ReadOther
                                                 | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
        QDir().mkpath(AppDir());
        QDir().mkpath(UserDir());
        m_program = AppDir() + QStringLiteral("/loadsequence_child");
        QFile::copy(QStringLiteral(LOADSEQUENCE_CHILD), m_program);
    }

    // Blanks, double quotes and an apostrophe: the emulator's path must reach
    // the system as it is, never taken apart as command text.
    QString AppDir() const { return m_root.filePath(QStringLiteral("app \"folder\" it's")); }
    QString UserDir() const { return m_root.filePath(QStringLiteral("data/Kestrune/MirelvaEmulator")); }
    QString UserFile(const QString& name = QStringLiteral("Launcher.ini")) const
    {
        return UserDir() + u'/' + name;
    }

    void SetDefault(const QByteArray& content) { WriteFile(AppDir() + QStringLiteral("/LauncherDefault.ini"), content); }
    void SetUser(const QByteArray& content, const QString& name = QStringLiteral("Launcher.ini"))
    {
        WriteFile(UserFile(name), content);
    }

    // Runs the child, as another "uid:gid" when asUser is set (root only).
    bool Run(const QStringList& arguments = {}, const QString& asUser = QString())
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), m_root.path());
        process.setProcessEnvironment(env);
        if (asUser.isEmpty())
            process.start(m_program, arguments);
        else
            process.start(QStringLiteral("setpriv"),
                          QStringList{QStringLiteral("--reuid=") + asUser.section(u':', 0, 0), QStringLiteral("--regid=") + asUser.section(u':', 1),
                           QStringLiteral("--clear-groups"), m_program} + arguments);
        if (!process.waitForFinished(30000))
            return false;
        ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        Lines = QString::fromLocal8Bit(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        return true;
    }

    // Puts the recording stand-in emulator where the launcher starts it.
    void InstallEmulator()
    {
        QFile::copy(QStringLiteral(RECORDING_EMULATOR), AppDir() + QStringLiteral("/MirelvaEmu.exe"));
    }

    // The argument lists the stand-in emulator was started with, waiting for
    // the detached starts to get there.
    QList<QStringList> Launches(int expected) const
    {
        QList<QStringList> launches;
        QDeadlineTimer deadline(10000);
        do {
            launches.clear();
            const QByteArray recorded = ReadAll(AppDir() + QStringLiteral("/launches.txt"));
            const QList<QByteArray> lines = recorded.split('\n');
            for (const QByteArray& line : lines.mid(0, lines.size() - 1))
                launches << QString::fromLocal8Bit(line).split(u'\x1f');
            if (launches.size() >= expected)
                break;
            QThread::msleep(20);
        } while (!deadline.hasExpired());
        return launches;
    }

    QStringList Boxes() const { return Lines.filter(QRegularExpression(QStringLiteral("^box:"))); }
    QString ProfilesLine() const
    {
        const QStringList found = Lines.filter(QRegularExpression(QStringLiteral("^profiles:")));
        return found.isEmpty() ? QString() : found.constFirst();
    }

    int ExitCode = -1;
    QStringList Lines;

private:
    QTemporaryDir m_root;
    QString m_program;
};

