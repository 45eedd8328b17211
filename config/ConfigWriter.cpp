#include "ConfigWriter.h"

#include "ConfigReader.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

QString EncodeProfile(const QList<ConfigSection>& sections, const Profile& profile)
{
    QString text;
    for (int k = 1; k <= OptionSectionCount; ++k) {
        text += sections[k].Header;
        text += u' ';
        text += QString::number(profile.Indices[k - 1]);
        text += u' ';
    }
    text += profile.Arguments.trimmed();
    return text;
}

QList<ConfigEntry> EncodeProfiles(const QList<ConfigSection>& sections, const QList<Profile>& profiles)
{
    QList<ConfigEntry> entries;
    entries.reserve(profiles.size());
    for (const Profile& profile : profiles)
        entries.append(ConfigEntry{profile.Name, EncodeProfile(sections, profile)});
    return entries;
}

void WriteConfigText(QTextStream& out, const QList<ConfigSection>& sections)
{
    out << "# A configuration out for the Mirelva Launcher.\n"
           "# It makes it easy to start multiple instances with various command line\n"
           "# options.\n"
           "#\n"
           "# Note that the arguments are just concatenated together, so start new\n"
           "# arguments with a space in the string to avoid errors.\n"
           "\n"
           "$VERSION\t"
        << ConfigVersion << "\n\n";
    for (const ConfigSection& section : sections) {
        out << section.Header << '\n';
        for (const ConfigEntry& entry : section.Entries)
            out << '"' << entry.Name << "\"\t\"" << entry.Value << "\"\n";
        out << '\n';
    }
}

bool SaveConfigFile(const QString& path, const QList<ConfigSection>& sections)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out.setEncoding(QStringConverter::System);
    WriteConfigText(out, sections);
    out.flush();
    if (out.status() != QTextStream::Ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
