// Times reading and writing configuration files of 1,000, 10,000 and 100,000
// profiles next to a bare QTextStream::readLine loop over the same file.
// Prints the best of several rounds for each. Not a test: it never fails.

#include "ConfigReader.h"
#include "ConfigWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

QList<ConfigSection> SampleSections(int profileCount)
{
    QList<ConfigSection> sections = EmptySections();
    for (int i = 0; i < 8; ++i)
        sections[1].Entries.append({QStringLiteral("Screen %1").arg(i), QStringLiteral(" -windowsize %1x%2").arg(480 + i).arg(800 + i)});
    for (int i = 0; i < 4; ++i)
        sections[2].Entries.append({QStringLiteral("Density %1").arg(i), QStringLiteral(" -ppi %1").arg(160 + 80 * i)});
    sections[3].Entries = {{QStringLiteral("Touch"), QStringLiteral(" -input touch")},
                           {QStringLiteral("Mouse"), QStringLiteral(" -input mouse")}};
    QList<Profile> profiles;
    profiles.reserve(profileCount);
    for (int i = 0; i < profileCount; ++i) {
        Profile profile;
        profile.Name = QStringLiteral("Profile number %1").arg(i);
        profile.Indices = {i % 8, i % 4, i % 2};
        profile.Arguments = QStringLiteral(" -verbose -log level%1").arg(i % 10);
        profiles.append(profile);
    }
    sections[0].Entries = EncodeProfiles(sections, profiles);
    return sections;
}

double BestMilliseconds(int rounds, const std::function<void()>& work)
{
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// Opens the file the way the launcher does and hands its text stream on.
void ReadText(const QString& path, const std::function<void(QTextStream&)>& read)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot open %s", qPrintable(path));
    QTextStream in(&file);
    in.setEncoding(QStringConverter::System);
    read(in);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const int rounds = 5;
    std::printf("%10s %10s %12s %12s %8s %12s\n", "profiles", "file KiB", "readLine ms", "reader ms",
                "ratio", "writer ms");
    for (const int count : {1000, 10000, 100000}) {
        const QString path = dir.filePath(QStringLiteral("Launcher%1.ini").arg(count));
        const QList<ConfigSection> sections = SampleSections(count);
        if (!SaveConfigFile(path, sections))
            qFatal("cannot write %s", qPrintable(path));

        qsizetype lines = 0;
        const double bare = BestMilliseconds(rounds, [&] {
            ReadText(path, [&](QTextStream& in) {
                QString line;
                while (in.readLineInto(&line))
                    lines += line.size() > 0 ? 1 : 0;
            });
        });
        qsizetype profiles = 0;
        const double reader = BestMilliseconds(rounds, [&] {
            ReadText(path, [&](QTextStream& in) { profiles += ParseConfig(in).Profiles.size(); });
        });
        const QString out = dir.filePath(QStringLiteral("Written%1.ini").arg(count));
        const double writer = BestMilliseconds(rounds, [&] {
            if (!SaveConfigFile(out, sections))
                qFatal("cannot write %s", qPrintable(out));
        });
        if (profiles != qsizetype(rounds) * count || lines == 0)
            qFatal("unexpected read result");
        std::printf("%10d %10lld %12.2f %12.2f %8.2f %12.2f\n", count,
                    static_cast<long long>(QFileInfo(path).size() / 1024), bare, reader, reader / bare, writer);
    }
    return 0;
}
