// Loading and saving the window's model.

#include "MainWindow.h"

#include "ConfigReader.h"
#include "ConfigWriter.h"
#include "LauncherFiles.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTextStream>

namespace {

const QString WarningTitle = QStringLiteral("Mirelva Emulator Launcher Warning");

// Where an out-of-date Launcher.ini of the given version is moved: beside it
// as Launcher.<version>.ini, or Launcher.<version>.<k>.ini when that is taken.
QString FreeOutdatedConfigPath(const QString& userConfigPath, int version)
{
    const QString stem = userConfigPath.chopped(3) + QString::number(version);
    QString candidate = stem + QStringLiteral(".ini");
    for (int k = 1; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++k)
        candidate = stem + u'.' + QString::number(k) + QStringLiteral(".ini");
    return candidate;
}

} // namespace

bool MainWindow::ReadConfig(const QString& path, bool isUserConfig)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::System);
    ConfigContents contents = ParseConfig(in);
    file.close();

    if (!IsCurrentConfigVersion(contents.Version)) {
        if (isUserConfig) {
            const QString renamed = RenameOutdatedConfig(contents.Version);
            const QString text = renamed.isEmpty()
                ? QStringLiteral("Your Launcher.ini configuration file is out of date and will not be used. "
                                 "It could not be renamed, so it will be replaced by a new configuration "
                                 "file when the launcher closes.")
                : QStringLiteral("Your Launcher.ini configuration file is out of date and will not be used. "
                                 "It has been renamed to %1 to make place for a new configuration file.")
                      .arg(renamed);
            QMessageBox::warning(this, WarningTitle, text, QMessageBox::Ok, QMessageBox::NoButton);
            return false;
        }
        QMessageBox::warning(this, WarningTitle, QStringLiteral("Config file is out of date"),
                             QMessageBox::Ok, QMessageBox::NoButton);
        contents = DefaultOnlyConfig(contents.Version);
    }
    Sections = std::move(contents.Sections);
    Profiles = std::move(contents.Profiles);
    return true;
}

QString MainWindow::RenameOutdatedConfig(int version)
{
    const QString userConfig = LauncherFilePath(LauncherFile::UserConfig);
    const QString target = FreeOutdatedConfigPath(userConfig, version);
    // QFile::rename never replaces an existing file.
    return QFile::rename(userConfig, target) ? target : QString();
}

QString MainWindow::EncodeProfile(const Profile& profile) const
{
    return ::EncodeProfile(Sections, profile);
}

bool MainWindow::WriteConfig()
{
    if (Sections.size() < SectionCount)
        return false;
    Sections[int(SectionIndex::Profile)].Entries = EncodeProfiles(Sections, Profiles);
    return SaveConfigFile(LauncherFilePath(LauncherFile::UserConfig), Sections);
}
