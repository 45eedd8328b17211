#include "ConfigReader.h"
#include "LauncherFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

class TestLauncherFiles final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void paths_data();
    void paths();
    void outsideKindsAreEmpty();
    void shippedDefaultIsCurrent();

private:
    QTemporaryDir m_data;
};

void TestLauncherFiles::initTestCase()
{
    qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
}

void TestLauncherFiles::paths_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    const QString appDir = QCoreApplication::applicationDirPath();
    QTest::newRow("user") << int(LauncherFile::UserConfig)
                          << m_data.path() + "/Kestrune/MirelvaEmulator/Launcher.ini";
    QTest::newRow("default") << int(LauncherFile::DefaultConfig) << appDir + "/LauncherDefault.ini";
    QTest::newRow("help") << int(LauncherFile::HelpPage) << appDir + "/LauncherHelp.html";
    QTest::newRow("emulator") << int(LauncherFile::Emulator) << appDir + "/MirelvaEmu.exe";
}

void TestLauncherFiles::paths()
{
    QFETCH(int, kind);
    QFETCH(QString, expected);
    QCOMPARE(LauncherFilePath(kind), expected);
}

void TestLauncherFiles::outsideKindsAreEmpty()
{
    QVERIFY(LauncherFilePath(4).isEmpty());
    QVERIFY(LauncherFilePath(-1).isEmpty());
}

void TestLauncherFiles::shippedDefaultIsCurrent()
{
    // The build copies the shipped files into the application folder.
    QFile file(QStringLiteral(MIRELVA_APP_DIR "/LauncherDefault.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QTextStream in(&file);
    const ConfigContents contents = ParseConfig(in);
    QCOMPARE(contents.Version, ConfigVersion);
    QVERIFY(contents.Profiles.size() >= 2);
    for (int s = 1; s < SectionCount; ++s) {
        QVERIFY(contents.Sections[s].Entries.size() >= 2);
        for (const ConfigEntry& entry : contents.Sections[s].Entries)
            QVERIFY2(entry.Value.startsWith(u' '), qPrintable(entry.Name));
    }
    for (const Profile& profile : contents.Profiles) {
        for (int k = 0; k < OptionSectionCount; ++k)
            QVERIFY(profile.Indices[k] >= 0 && profile.Indices[k] < contents.Sections[k + 1].Entries.size());
    }
    QVERIFY(QFile::exists(QStringLiteral(MIRELVA_APP_DIR "/LauncherHelp.html")));
}

QTEST_GUILESS_MAIN(TestLauncherFiles)
#include "tst_launcherfiles.moc"
