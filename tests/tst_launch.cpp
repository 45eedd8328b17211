// Launching the emulator from the window, in child processes whose
// application folder (with a blank in its path) holds a stand-in emulator
// that records the arguments it receives.

#include "LauncherRun.h"

#include <QTest>

namespace {

const QByteArray Config =
    "$VERSION\t106\n[Profile]\n"
    "\"First\"\t\"[Resolution] 2 [PixelDensity] 1 [Input] 0 -first\"\n"
    "\"Second\"\t\"[Resolution] 0 [PixelDensity] 0 [Input] 1 \"\n"
    "\"Past the end\"\t\"[Resolution] 3 [PixelDensity] -1 [Input] 2 -b c\"\n"
    "[Resolution]\n\"A\"\t\" -windowsize 480x800\"\n\"B\"\t\" -windowsize 720x1280\"\n"
    "\"C\"\t\" -windowsize 1080x1920\"\n"
    "[PixelDensity]\n\"Low\"\t\" -ppi 160\"\n\"High\"\t\" -ppi 320\"\n"
    "[Input]\n\"Touch\"\t\" -input touch\"\n\"Mouse\"\t\" -input mouse\"\n\"Keys\"\t\" -input keys\"\n";

} // namespace

class TestLaunch final : public QObject
{
    Q_OBJECT

private slots:
    void passesSelectedValues_data();
    void passesSelectedValues();
    void everyClickStartsOneMore();
    void missingEmulatorIsReported();
};

void TestLaunch::passesSelectedValues_data()
{
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("state");
    QTest::newRow("first profile")
        << QStringList{"launch"}
        << QStringList{"-windowsize", "1080x1920", "-ppi", "320", "-input", "touch", "-first"}
        << "state:0|2,1,0| -first";
    QTest::newRow("second profile")
        << QStringList{"row=1", "launch"} << QStringList{"-windowsize", "480x800", "-ppi", "160", "-input", "mouse"}
        << "state:1|0,0,1|";
    // An index of -1 and one past the end contribute nothing.
    QTest::newRow("indices naming no entry") << QStringList{"row=2", "launch"}
                                             << QStringList{"-input", "keys", "-b", "c"} << "state:2|-1,-1,2| -b c";
    QTest::newRow("unstored edits, blanks at the ends")
        << QStringList{"row=1", "combo=1:1", "combo=3:2", "args=  -x   y  ", "launch"}
        << QStringList{"-windowsize", "720x1280", "-ppi", "160", "-input", "keys", "-x", "y"}
        << "state:1|1,0,2|  -x   y  ";
    QTest::newRow("quoted arguments")
        << QStringList{"args=-title \"My phone\"", "launch"}
        << QStringList{"-windowsize", "1080x1920", "-ppi", "320", "-input", "touch", "-title", "My phone"}
        << "state:0|2,1,0|-title \"My phone\"";
}

void TestLaunch::passesSelectedValues()
{
    QFETCH(QStringList, commands);
    QFETCH(QStringList, arguments);
    QFETCH(QString, state);
    LauncherRun run;
    QVERIFY(run.AppDir().contains(u' '));
    run.SetUser(Config);
    run.InstallEmulator();
    QVERIFY(run.Run(commands));
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.Boxes(), QStringList());
    QCOMPARE(run.Launches(1), QList<QStringList>{arguments});
    QVERIFY(run.Lines.contains(state));
    // Launching stores nothing: the profiles are saved as they were read.
    QVERIFY(ReadAll(run.UserFile()).contains("\"Second\"\t\"[Resolution] 0 [PixelDensity] 0 [Input] 1 \"\n"));
}

void TestLaunch::everyClickStartsOneMore()
{
    LauncherRun run;
    run.SetUser(Config);
    run.InstallEmulator();
    QVERIFY(run.Run({"row=1", "launch", "launch"}));
    const QStringList expected{"-windowsize", "480x800", "-ppi", "160", "-input", "mouse"};
    QCOMPARE(run.Launches(2), QList<QStringList>({expected, expected}));
}

void TestLaunch::missingEmulatorIsReported()
{
    LauncherRun run;
    run.SetUser(Config);
    QVERIFY(run.Run({"row=1", "args=-x", "launch"}));
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.Boxes(), QStringList("box:Mirelva Emulator Launcher|Failed to start Mirelva Emulator!|"));
    QVERIFY(run.Lines.contains("state:1|0,0,1|-x"));
}

QTEST_GUILESS_MAIN(TestLaunch)
#include "tst_launch.moc"
