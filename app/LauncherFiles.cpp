#include "LauncherFiles.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace {

QString InApplicationDir(const QString& fileName)
{
    return QCoreApplication::applicationDirPath() + u'/' + fileName;
}

} // namespace

QString LauncherFilePath(int kind)
{
    switch (kind) {
    case int(LauncherFile::UserConfig):
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/Kestrune/MirelvaEmulator/Launcher.ini");
    case int(LauncherFile::DefaultConfig):
        return InApplicationDir(QStringLiteral("LauncherDefault.ini"));
    case int(LauncherFile::HelpPage):
        return InApplicationDir(QStringLiteral("LauncherHelp.html"));
    case int(LauncherFile::Emulator):
        return InApplicationDir(QStringLiteral("MirelvaEmu.exe"));
    default:
        return QString();
    }
}

QString LauncherFilePath(LauncherFile kind)
{
    return LauncherFilePath(int(kind));
}
