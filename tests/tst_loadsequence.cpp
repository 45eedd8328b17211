// The launcher's start-up load sequence and its save at exit, run in child
// processes that each get their own application folder and data folder.

#include "LauncherRun.h"

#include <QTest>

#include <unistd.h>

namespace {

const QString Outdated = QStringLiteral(
    "Your Launcher.ini configuration file is out of date and will not be used. "
    "It has been renamed to %1 to make place for a new configuration file.");
const QString WarningTitle = QStringLiteral("Mirelva Emulator Launcher Warning");

const QByteArray UserConfig = "$VERSION\t105\n[Profile]\n\"Mine\"\t\"[Input] 1 -x\"\n"
                              "[Resolution]\n\"Small\"\t\" -windowsize 480x800\"\n";
const QByteArray DefaultConfig = "$VERSION\t106\n[Profile]\n\"Shipped\"\t\"\"\n\"Second\"\t\"\"\n";

QString OutdatedBox(const QString& renamedTo)
{
    return QStringLiteral("box:") + WarningTitle + u'|' + Outdated.arg(renamedTo) + u'|';
}

} // namespace

class TestLoadSequence final : public QObject
{
    Q_OBJECT

private slots:
    void readsUserFileAndSavesCanonically();
    void firstStartUsesDefaultSilently();
    void outdatedUserFileMovesAside_data();
    void outdatedUserFileMovesAside();
    void outdatedDefaultLeavesDefaults();
    void nothingReadableExitsWithOne();
    void unmovableUserFileIsReportedTruthfully();
    void failedSaveIsReported();
};

void TestLoadSequence::readsUserFileAndSavesCanonically()
{
    LauncherRun run;
    run.SetUser(UserConfig);
    run.SetDefault(DefaultConfig);
    QVERIFY(run.Run());
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.Boxes(), QStringList());
    QCOMPARE(run.ProfilesLine(), QString("profiles:Mine"));
    const QByteArray written = ReadAll(run.UserFile());
    QVERIFY(written.startsWith("# A configuration out for the Mirelva Launcher.\n"));
    QVERIFY(written.contains("\n$VERSION\t106\n\n[Profile]\n\"Mine\"\t\"[Resolution] 0 [PixelDensity] 0 [Input] 1 -x\"\n\n"
                             "[Resolution]\n\"Small\"\t\" -windowsize 480x800\"\n\n"
                             "[PixelDensity]\n\"Default\"\t\"\"\n\n[Input]\n\"Default\"\t\"\"\n\n"));
    QVERIFY(written.endsWith("[Input]\n\"Default\"\t\"\"\n\n"));

    // The written file reads back the same and is rewritten byte for byte.
    QVERIFY(run.Run());
    QCOMPARE(run.ProfilesLine(), QString("profiles:Mine"));
    QCOMPARE(ReadAll(run.UserFile()), written);
}

void TestLoadSequence::firstStartUsesDefaultSilently()
{
    LauncherRun run;
    run.SetDefault(DefaultConfig);
    QVERIFY(run.Run());
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.Boxes(), QStringList());
    QCOMPARE(run.ProfilesLine(), QString("profiles:Shipped,Second"));
    QVERIFY(ReadAll(run.UserFile()).contains("\"Second\"\t\"[Resolution] 0 [PixelDensity] 0 [Input] 0 \"\n"));
}

void TestLoadSequence::outdatedUserFileMovesAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("expected");
    QTest::newRow("102") << QByteArray("$VERSION 102\n[Profile]\n\"Old\"\t\"\"\n") << QStringList()
                         << "Launcher.102.ini";
    QTest::newRow("107") << QByteArray("$VERSION 107\n") << QStringList() << "Launcher.107.ini";
    QTest::newRow("negative") << QByteArray("$VERSION -5\n") << QStringList() << "Launcher.-5.ini";
    QTest::newRow("empty") << QByteArray() << QStringList() << "Launcher.0.ini";
    QTest::newRow("no number") << QByteArray("$VERSION\n[Profile]\n\"Old\"\t\"\"\n") << QStringList()
                               << "Launcher.0.ini";
    QTest::newRow("taken") << QByteArray("$VERSION 102\n") << QStringList{"Launcher.102.ini"}
                           << "Launcher.102.1.ini";
    QTest::newRow("taken twice") << QByteArray("$VERSION 102\n")
                                 << QStringList{"Launcher.102.ini", "Launcher.102.1.ini"}
                                 << "Launcher.102.2.ini";
}

void TestLoadSequence::outdatedUserFileMovesAside()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, taken);
    QFETCH(QString, expected);
    LauncherRun run;
    run.SetUser(content);
    for (const QString& name : taken)
        run.SetUser("taken " + name.toUtf8(), name);
    run.SetDefault(DefaultConfig);
    QVERIFY(run.Run());
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.Boxes(), QStringList(OutdatedBox(run.UserFile(expected))));
    QCOMPARE(run.ProfilesLine(), QString("profiles:Shipped,Second"));
    QCOMPARE(ReadAll(run.UserFile(expected)), content);
    for (const QString& name : taken)
        QCOMPARE(ReadAll(run.UserFile(name)), "taken " + name.toUtf8());
    QVERIFY(ReadAll(run.UserFile()).contains("\"Shipped\""));
}

void TestLoadSequence::outdatedDefaultLeavesDefaults()
{
    LauncherRun run;
    run.SetDefault("$VERSION 99\n[Profile]\n\"Shipped\"\t\"\"\n[Input]\n\"Touch\"\t\" -t\"\n");
    QVERIFY(run.Run());
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.Boxes(), QStringList("box:" + WarningTitle + "|Config file is out of date|"));
    QCOMPARE(run.ProfilesLine(), QString("profiles:Default"));
    const QByteArray written = ReadAll(run.UserFile());
    QVERIFY(written.contains("[Profile]\n\"Default\"\t\"[Resolution] 0 [PixelDensity] 0 [Input] 0 \"\n\n"
                             "[Resolution]\n\"Default\"\t\"\"\n\n[PixelDensity]\n\"Default\"\t\"\"\n\n"
                             "[Input]\n\"Default\"\t\"\"\n\n"));
}

void TestLoadSequence::nothingReadableExitsWithOne()
{
    const QString fatal = QStringLiteral(
        "box:Mirelva Emulator|Unable to start Mirelva Emulator Launcher|Unable to read configuration file.");
    {
        LauncherRun run;
        QVERIFY(run.Run());
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Boxes(), QStringList(fatal));
        QCOMPARE(run.ProfilesLine(), QString());
        QVERIFY(!QFileInfo::exists(run.UserFile()));
    }
    {
        LauncherRun run;
        run.SetUser("$VERSION 1\n");
        QVERIFY(QDir().mkpath(run.AppDir() + "/LauncherDefault.ini")); // unreadable: a folder
        QVERIFY(run.Run());
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Boxes(), QStringList({OutdatedBox(run.UserFile("Launcher.1.ini")), fatal}));
        QVERIFY(!QFileInfo::exists(run.UserFile()));
    }
}

void TestLoadSequence::unmovableUserFileIsReportedTruthfully()
{
    LauncherRun run;
    run.SetUser("$VERSION 102\n");
    run.SetDefault(DefaultConfig);
    // The user's folder is read-only to the launcher, so nothing can move.
    QString user;
    if (geteuid() == 0)
        user = QStringLiteral("65534:65534"); // nobody:nogroup
    const QString kestrune = QFileInfo(run.UserDir()).path();
    const QStringList dirs = {run.UserDir(), kestrune, QFileInfo(kestrune).path()};
    for (const QString& dir : dirs)
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                       | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(run.AppDir(), QFile::permissions(run.AppDir()) | QFile::ReadOther | QFile::ExeOther);
    const bool ran = run.Run({}, user);
    for (const QString& dir : dirs)
        QFile::setPermissions(dir, QFile::permissions(dir) | QFile::WriteOwner);
    QVERIFY(ran);
    QCOMPARE(run.ExitCode, 0);
    const QStringList boxes = run.Boxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0], "box:" + WarningTitle
                           + "|Your Launcher.ini configuration file is out of date and will not be used. "
                             "It could not be renamed, so it will be replaced by a new configuration file "
                             "when the launcher closes.|");
    QCOMPARE(boxes[1], "box:" + WarningTitle + "|Unable to save the launcher configuration to "
                           + run.UserFile() + ".|");
    QCOMPARE(ReadAll(run.UserFile()), QByteArray("$VERSION 102\n"));
}

void TestLoadSequence::failedSaveIsReported()
{
    LauncherRun run;
    run.SetDefault(DefaultConfig);
    QVERIFY(QDir().mkpath(run.UserFile())); // a folder where the file must go
    QVERIFY(run.Run());
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.ProfilesLine(), QString("profiles:Shipped,Second"));
    QCOMPARE(run.Boxes(), QStringList("box:" + WarningTitle + "|Unable to save the launcher configuration to "
                                      + run.UserFile() + ".|"));
    QVERIFY(QFileInfo(run.UserFile()).isDir());
}

QTEST_GUILESS_MAIN(TestLoadSequence)
#include "tst_loadsequence.moc"
