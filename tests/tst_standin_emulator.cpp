// The stand-in emulator (tools/standin-emulator): what it makes of its
// command line, and the window it builds from it.

#include "StandinCommandLine.h"
#include "StandinWindow.h"

#include <QListWidget>
#include <QtTest>

class StandinEmulatorTest : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void window_data();
    void window();
};

void StandinEmulatorTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("given");

    const QSize defaultSize = DefaultWindowSize;
    QTest::newRow("none") << QStringList() << defaultSize << false;
    QTest::newRow("a profile") << QStringList{"-windowsize", "720x1280", "-ppi", "240", "-input", "touch"}
                               << QSize(720, 1280) << true;
    QTest::newRow("anywhere") << QStringList{"-nosound", "-windowsize", "480x800"} << QSize(480, 800) << true;
    QTest::newRow("the last wins") << QStringList{"-windowsize", "480x800", "-windowsize", "800x1280"}
                                   << QSize(800, 1280) << true;
    QTest::newRow("an invalid one is ignored") << QStringList{"-windowsize", "480x800", "-windowsize", "0x1280"}
                                               << QSize(480, 800) << true;
    QTest::newRow("largest") << QStringList{"-windowsize", "32767x1"} << QSize(32767, 1) << true;
    QTest::newRow("too large") << QStringList{"-windowsize", "32768x100"} << defaultSize << false;
    QTest::newRow("far too large") << QStringList{"-windowsize", "99999999999x100"} << defaultSize << false;
    QTest::newRow("zero") << QStringList{"-windowsize", "0x0"} << defaultSize << false;
    QTest::newRow("negative") << QStringList{"-windowsize", "-720x1280"} << defaultSize << false;
    QTest::newRow("no height") << QStringList{"-windowsize", "720"} << defaultSize << false;
    QTest::newRow("spaces") << QStringList{"-windowsize", "720 x 1280"} << defaultSize << false;
    QTest::newRow("capital X") << QStringList{"-windowsize", "720X1280"} << defaultSize << false;
    QTest::newRow("no value") << QStringList{"-ppi", "160", "-windowsize"} << defaultSize << false;
    QTest::newRow("another option") << QStringList{"--windowsize", "720x1280"} << defaultSize << false;
}

void StandinEmulatorTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QSize, size);
    QFETCH(bool, given);
    const StandinCommandLine commandLine = ParseStandinCommandLine(arguments);
    QCOMPARE(commandLine.Arguments, arguments);
    QCOMPARE(commandLine.WindowSize, size);
    QCOMPARE(commandLine.WindowSizeGiven, given);
}

void StandinEmulatorTest::window_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QSize>("size");

    // What the launcher passes for the shipped "Small phone with mouse" profile.
    QTest::newRow("a profile") << QStringList{"-windowsize", "480x800", "-ppi", "160", "-input", "mouse", "-nosound"}
                               << QSize(480, 800);
    QTest::newRow("larger than the screen") << QStringList{"-windowsize", "1080x2400"} << QSize(1080, 2400);
    QTest::newRow("smaller than its contents") << QStringList{"-windowsize", "40x30"} << QSize(40, 30);
    QTest::newRow("arguments with spaces") << QStringList{"-skin", "My Phone", "", "-windowsize", "bad"}
                                           << DefaultWindowSize;
    QTest::newRow("none") << QStringList() << DefaultWindowSize;
}

void StandinEmulatorTest::window()
{
    QFETCH(QStringList, arguments);
    QFETCH(QSize, size);

    StandinWindow window(ParseStandinCommandLine(arguments));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Mirelva Emulator (stand-in)"));
    QCOMPARE(window.size(), size);

    const auto* list = window.findChild<QListWidget*>(QStringLiteral("arguments"));
    QVERIFY(list);
    QStringList rows;
    for (int row = 0; row < list->count(); ++row)
        rows.append(list->item(row)->text());
    QCOMPARE(rows, arguments);
}

QTEST_MAIN(StandinEmulatorTest)
#include "tst_standin_emulator.moc"
