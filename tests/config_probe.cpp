// A child process for the reliability tests, so that they can kill a save
// part-way, limit its file size or measure the memory a load takes:
//   config_probe save <path> <profileCount>
//       saves a generated model of that many profiles with SaveConfigFile;
//       prints "saving" just before it starts; exits 0 when saved, 1 when not
//   config_probe load <path>
//       reads the file the way the launcher does and prints two lines,
//       "entries=<a>,<b>,<c>,<d> profiles=<p> version=<v> chars=<n>", where
//       the entries are counted per section and n is the number of
//       characters of every name and value together (replacement characters
//       left out: how many of them a broken byte sequence gives depends on
//       where the stream's reads cut it), and "peak_kib=<k>", the peak
//       resident memory of the process (Linux's VmHWM; 0 where unknown);
//       exits 1 when the file cannot be opened

#include "ConfigReader.h"
#include "ConfigWriter.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

// The content depends on the profile count throughout, so that two saves of
// different counts differ from their first profile on.
QList<ConfigSection> GeneratedSections(int profileCount)
{
    QList<ConfigSection> sections = EmptySections();
    for (int i = 0; i < 8; ++i)
        sections[1].Entries.append({QStringLiteral("Screen %1").arg(i), QStringLiteral(" -windowsize %1x%2").arg(480 + i).arg(800 + i)});
    for (int i = 0; i < 4; ++i)
        sections[2].Entries.append({QStringLiteral("Density %1").arg(i), QStringLiteral(" -ppi %1").arg(160 + 80 * i)});
    sections[3].Entries = {{QStringLiteral("Touch"), QStringLiteral(" -input touch")},
                           {QStringLiteral("Mouse"), QStringLiteral(" -input mouse")}};
    const QString count = QString::number(profileCount);
    QList<Profile> profiles;
    profiles.reserve(profileCount);
    for (int i = 0; i < profileCount; ++i) {
        Profile profile;
        profile.Name = QLatin1String("Profile ") + QString::number(i) + QLatin1String(" of ") + count;
        profile.Indices = {i % 8, i % 4, i % 2};
        profile.Arguments = QLatin1String(" -verbose -log level") + QString::number(i % 10) + QLatin1String(" -seed ") + count;
        profiles.append(std::move(profile));
    }
    sections[0].Entries = EncodeProfiles(sections, profiles);
    return sections;
}

int Save(const QString& path, int profileCount)
{
    const QList<ConfigSection> sections = GeneratedSections(profileCount);
    std::fputs("saving\n", stdout);
    std::fflush(stdout);
    return SaveConfigFile(path, sections) ? 0 : 1;
}

// Read here rather than by the parent: a child's rusage also counts the
// memory of the parent it was spawned from.
qint64 PeakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    const QRegularExpression peak(QStringLiteral("^VmHWM:\\s*(\\d+) kB"), QRegularExpression::MultilineOption);
    return peak.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

int Load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 1;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::System);
    const ConfigContents contents = ParseConfig(in);

    QStringList counts;
    qint64 chars = 0;
    for (const ConfigSection& section : contents.Sections) {
        counts << QString::number(section.Entries.size());
        for (const ConfigEntry& entry : section.Entries)
            chars += entry.Name.size() + entry.Value.size() - entry.Name.count(QChar::ReplacementCharacter)
                - entry.Value.count(QChar::ReplacementCharacter);
    }
    const QString line = QStringLiteral("entries=%1 profiles=%2 version=%3 chars=%4\npeak_kib=%5\n")
                             .arg(counts.join(u','))
                             .arg(contents.Profiles.size())
                             .arg(contents.Version)
                             .arg(chars)
                             .arg(PeakResidentKiB());
    std::fputs(line.toUtf8().constData(), stdout);
    return 0;
}

int Usage()
{
    std::fputs("usage: config_probe save <path> <profileCount> | config_probe load <path>\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "save") == 0) {
        bool ok = false;
        const int count = QByteArray(argv[3]).toInt(&ok);
        return ok && count >= 0 ? Save(QString::fromLocal8Bit(argv[2]), count) : Usage();
    }
    if (argc == 3 && std::strcmp(argv[1], "load") == 0)
        return Load(QString::fromLocal8Bit(argv[2]));
    return Usage();
}
