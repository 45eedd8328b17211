// Saving under faults, each save made by the child program config_probe: a
// save killed at random moments, a disk that fills up part-way, and a file
// that is a symbolic link or has its own permissions.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

namespace {

// About 10 MB each; the two differ from their first profile on. The
// sanitizers make every save some twenty times slower: fewer, smaller ones.
#ifdef MIRELVA_SANITIZED
constexpr int OldProfileCount = 10000;
constexpr int KillRounds = 50;
#else
constexpr int OldProfileCount = 100000;
constexpr int KillRounds = 250;
#endif
constexpr int NewProfileCount = OldProfileCount + 1;
constexpr int TimedSaves = 3;
constexpr rlim_t FileSizeLimit = 64 * 1024;

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
}

QString LinkText(const QString& path)
{
    char buffer[4096];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return length < 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(length)));
}

int Mode(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

bool SetMode(const QString& path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

// One test's folders. The probe's HOME, data and runtime folders point into
// it; the file under test is user/Launcher.ini.
class Scratch final
{
    Q_DISABLE_COPY_MOVE(Scratch)

public:
    Scratch()
    {
        for (const char* folder : {"home", "data", "runtime", "user", "real", "reference"})
            QDir(m_root.path()).mkpath(QString::fromLatin1(folder));
        QFile::setPermissions(Path(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString Path(const QString& relative) const { return m_root.filePath(relative); }
    QString UserFile() const { return Path(QStringLiteral("user/Launcher.ini")); }

    void Prepare(QProcess& probe, const QString& path, int profileCount) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path(QStringLiteral("runtime")));
        probe.setProcessEnvironment(environment);
        probe.setProgram(QStringLiteral(CONFIG_PROBE));
        probe.setArguments({QStringLiteral("save"), path, QString::number(profileCount)});
    }

    // The probe's exit code, or -1 when it did not exit normally.
    int Save(const QString& path, int profileCount) const
    {
        QProcess probe;
        Prepare(probe, path, profileCount);
        probe.start();
        if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit)
            return -1;
        return probe.exitCode();
    }

    // What a save of that many profiles writes.
    QByteArray Saved(int profileCount) const
    {
        const QString path = Path(QStringLiteral("reference/%1.ini").arg(profileCount));
        return Save(path, profileCount) == 0 ? ReadAll(path) : QByteArray();
    }

private:
    QTemporaryDir m_root;
};

// Removes every file of the folder but Launcher.ini and says how many.
int RemoveStrayFiles(const QString& folder)
{
    int removed = 0;
    for (const QString& name : FilesIn(folder)) {
        if (name != QLatin1String("Launcher.ini") && QFile::remove(folder + u'/' + name))
            ++removed;
    }
    return removed;
}

// The median time from "saving" to the probe's end, over a few saves left
// to finish, alternately of the new and the old count.
qint64 TypicalSaveNs(const Scratch& scratch, const QString& path)
{
    QList<qint64> times;
    for (int k = 0; k < TimedSaves; ++k) {
        QProcess probe;
        scratch.Prepare(probe, path, k % 2 == 0 ? NewProfileCount : OldProfileCount);
        probe.start();
        if (!probe.waitForReadyRead(60000))
            return 0;
        QElapsedTimer saving;
        saving.start();
        if (!probe.waitForFinished(60000))
            return 0;
        times.append(saving.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    return times[TimedSaves / 2];
}

void IgnoreFileSizeSignalAndLimitFiles()
{
    const rlimit limit{FileSizeLimit, FileSizeLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);
}

} // namespace

class TestSaveFaults final : public QObject
{
    Q_OBJECT

private slots:
    void killedSaveLeavesOldOrNewFile();
    void fullDiskKeepsOldFile_data();
    void fullDiskKeepsOldFile();
    void symbolicLinkStaysLink_data();
    void symbolicLinkStaysLink();
    void permissionsAreKept_data();
    void permissionsAreKept();
};

void TestSaveFaults::killedSaveLeavesOldOrNewFile()
{
    Scratch scratch;
    const QByteArray contents[2] = {scratch.Saved(OldProfileCount), scratch.Saved(NewProfileCount)};
    QVERIFY(!contents[0].isEmpty() && !contents[1].isEmpty() && contents[0] != contents[1]);
    const QString path = scratch.UserFile();
    QCOMPARE(scratch.Save(path, OldProfileCount), 0);

    const qint64 saveNs = TypicalSaveNs(scratch, path);
    QVERIFY(saveNs > 0);
    int current = ReadAll(path) == contents[1] ? 1 : 0;
    int killed = 0;
    int strayFiles = 0;
    int outcomes[2] = {0, 0};
    QElapsedTimer total;
    total.start();
    for (int round = 0; round < KillRounds; ++round) {
        QProcess probe;
        scratch.Prepare(probe, path, current == 0 ? NewProfileCount : OldProfileCount);
        probe.start();
        QVERIFY(probe.waitForReadyRead(60000));
        const double delayNs = QRandomGenerator::global()->bounded(1.1 * double(saveNs));
        std::this_thread::sleep_for(std::chrono::nanoseconds(qint64(delayNs)));
        probe.kill();
        QVERIFY(probe.waitForFinished(60000));
        if (probe.exitStatus() == QProcess::NormalExit)
            QCOMPARE(probe.exitCode(), 0);
        else
            ++killed;

        const QByteArray now = ReadAll(path);
        const int whole = now == contents[0] ? 0 : now == contents[1] ? 1 : -1;
        QVERIFY2(whole >= 0, qPrintable(QStringLiteral("round %1: the file holds %2 bytes, neither the old "
                                                       "nor the new content")
                                            .arg(round)
                                            .arg(now.size())));
        ++outcomes[whole];
        current = whole;
        strayFiles += RemoveStrayFiles(QFileInfo(path).path());
    }
    qInfo("%d rounds of %lld/%lld bytes in %.1f s: %d killed, file old %d times and new %d times, "
          "%d stray temporary files; a whole save takes %.0f ms",
          KillRounds, static_cast<long long>(contents[0].size()), static_cast<long long>(contents[1].size()),
          total.elapsed() / 1000.0, killed, outcomes[0], outcomes[1], strayFiles, saveNs / 1e6);
    QVERIFY(killed > 0);
}

void TestSaveFaults::fullDiskKeepsOldFile_data()
{
    QTest::addColumn<bool>("hadFile");
    QTest::newRow("over an old file") << true;
    QTest::newRow("no file yet") << false;
}

void TestSaveFaults::fullDiskKeepsOldFile()
{
    QFETCH(bool, hadFile);
    Scratch scratch;
    const QString path = scratch.UserFile();
    if (hadFile)
        QCOMPARE(scratch.Save(path, 3), 0);
    const QByteArray old = ReadAll(path);

    // A file size limit fails the write part-way as a full disk would, for
    // root too; the save is several MB, far over the limit.
    QProcess probe;
    scratch.Prepare(probe, path, 50000);
    probe.setChildProcessModifier(&IgnoreFileSizeSignalAndLimitFiles);
    probe.start();
    QVERIFY(probe.waitForFinished(60000));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 1);
    QCOMPARE(QFileInfo::exists(path), hadFile);
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(FilesIn(QFileInfo(path).path()), hadFile ? QStringList(QStringLiteral("Launcher.ini")) : QStringList());
}

void TestSaveFaults::symbolicLinkStaysLink_data()
{
    QTest::addColumn<bool>("absolute");
    QTest::addColumn<bool>("throughSecondLink");
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("absolute") << true << false << true;
    QTest::newRow("relative") << false << false << true;
    QTest::newRow("link to a link") << false << true << true;
    QTest::newRow("dangling") << true << false << false;
}

void TestSaveFaults::symbolicLinkStaysLink()
{
    QFETCH(bool, absolute);
    QFETCH(bool, throughSecondLink);
    QFETCH(bool, targetExists);
    Scratch scratch;
    const QString target = scratch.Path(QStringLiteral("real/target.ini"));
    if (targetExists) {
        QCOMPARE(scratch.Save(target, 3), 0);
        QVERIFY(SetMode(target, 0600));
    }
    const QString second = scratch.Path(QStringLiteral("user/second.ini"));
    const QString relativeTarget = QStringLiteral("../real/target.ini");
    if (throughSecondLink)
        QCOMPARE(::symlink(QFile::encodeName(relativeTarget).constData(), QFile::encodeName(second).constData()), 0);
    const QString linkText = absolute ? target : throughSecondLink ? QStringLiteral("second.ini") : relativeTarget;
    const QString path = scratch.UserFile();
    QCOMPARE(::symlink(QFile::encodeName(linkText).constData(), QFile::encodeName(path).constData()), 0);

    const QByteArray expected = scratch.Saved(7);
    QCOMPARE(scratch.Save(path, 7), 0);
    QVERIFY(QFileInfo(path).isSymLink());
    QCOMPARE(LinkText(path), linkText);
    if (throughSecondLink)
        QCOMPARE(LinkText(second), relativeTarget);
    QCOMPARE(ReadAll(target), expected);
    if (targetExists)
        QCOMPARE(Mode(target), 0600);
    QCOMPARE(FilesIn(scratch.Path(QStringLiteral("real"))), QStringList(QStringLiteral("target.ini")));
    QCOMPARE(FilesIn(scratch.Path(QStringLiteral("user"))).size(), throughSecondLink ? 2 : 1);
}

void TestSaveFaults::permissionsAreKept_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("0600") << 0600;
    QTest::newRow("0660") << 0660;
}

void TestSaveFaults::permissionsAreKept()
{
    QFETCH(int, mode);
    Scratch scratch;
    const QString path = scratch.UserFile();
    QCOMPARE(scratch.Save(path, 3), 0);
    QVERIFY(SetMode(path, mode));
    QCOMPARE(scratch.Save(path, 7), 0);
    QCOMPARE(ReadAll(path), scratch.Saved(7));
    QCOMPARE(Mode(path), mode);
}

QTEST_GUILESS_MAIN(TestSaveFaults)
#include "tst_save_faults.moc"
