// Stopping the launcher with a signal ends it the way closing its window
// does: the profiles are written and the exit status is 0.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestSignals final : public QObject
{
    Q_OBJECT

private slots:
    void signalSaves_data();
    void signalSaves();
};

void TestSignals::signalSaves_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestSignals::signalSaves()
{
    QFETCH(int, signal);
    QTemporaryDir root;
    const QString runtime = root.filePath("runtime");
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString userDir = root.filePath("data/Kestrune/MirelvaEmulator");
    QVERIFY(QDir().mkpath(userDir));
    const QString userFile = userDir + "/Launcher.ini";
    {
        // Hand-written in an older format: any save rewrites it canonically.
        QFile file(userFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("$VERSION 104\n[Profile]\n\"Mine\"\t\"[Input] 0 -x\"\n");
    }

    QProcess launcher;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", root.filePath("data"));
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("HOME", root.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    launcher.setProcessEnvironment(env);
    launcher.start(MIRELVA_LAUNCHER, {});
    QVERIFY(launcher.waitForStarted());
    // The window is up once the single-instance socket is there.
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(runtime).entryList({"*.socket"}, QDir::System).isEmpty(), 10000);
    QTest::qWait(200);
    ::kill(pid_t(launcher.processId()), signal);
    QVERIFY(launcher.waitForFinished(10000));
    QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher.exitCode(), 0);

    QFile saved(userFile);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray content = saved.readAll();
    QVERIFY(content.contains("$VERSION\t106\n"));
    QVERIFY(content.contains("\"Mine\"\t\"[Resolution] 0 [PixelDensity] 0 [Input] 0 -x\"\n"));
}

QTEST_GUILESS_MAIN(TestSignals)
#include "tst_signals.moc"
