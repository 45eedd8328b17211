#include "InstanceTestSupport.h"
#include "MessageFrame.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <memory>
#include <vector>

#include <signal.h>

namespace {

using namespace instancetest;

void setUpProbe(QProcess& process, const UserFolders& folders)
{
    process.setProgram(QStringLiteral(SINGLEINSTANCE_PROBE));
    process.setProcessEnvironment(folders.environment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

struct LaterStart
{
    int exitCode = -1;
    QByteArray output;
    qint64 elapsedMs = 0;
};

LaterStart runLaterStart(const UserFolders& folders, const QString& message)
{
    QProcess process;
    setUpProbe(process, folders);
    process.setArguments({message});
    QElapsedTimer clock;
    clock.start();
    process.start();
    // A start that wrongly took the first role then quits at once and says so.
    process.closeWriteChannel();
    if (!process.waitForFinished(processTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    const int exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {exitCode, process.readAllStandardOutput(), clock.elapsed()};
}

// A probe that started first and keeps running until it is destroyed.
class FirstStart final
{
public:
    explicit FirstStart(const UserFolders& folders)
    {
        setUpProbe(m_process, folders);
        m_process.start();
        m_isFirst = readLine(m_process) == "first";
    }
    Q_DISABLE_COPY_MOVE(FirstStart)

    ~FirstStart()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        sendSignal(SIGCONT);
        if (!quit()) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    bool isFirst() const { return m_isFirst; }
    bool isRunning() const { return m_process.state() == QProcess::Running; }

    void sendSignal(int number) { ::kill(static_cast<pid_t>(m_process.processId()), number); }

    // Closes its input, on which it quits; true once it exited cleanly.
    bool quit()
    {
        m_process.closeWriteChannel();
        return m_process.waitForFinished(processTimeoutMs) && m_process.exitStatus() == QProcess::NormalExit
            && m_process.exitCode() == 0;
    }

    bool waitUntilKilled()
    {
        return m_process.waitForFinished(processTimeoutMs) && m_process.exitStatus() == QProcess::CrashExit;
    }

    // The text of the next message it received; sets windowState to the state
    // of its window after handling it.
    QString nextMessage(QByteArray* windowState = nullptr)
    {
        const QByteArray line = readLine(m_process);
        const QByteArray window = readLine(m_process);
        if (windowState)
            *windowState = window.startsWith("window:") ? window.mid(7) : QByteArray();
        return line.startsWith("message:") ? QString::fromUtf8(line.mid(8)) : QStringLiteral("<no message>");
    }

    // Skips messages until one with this text arrives.
    bool waitForMessage(const QString& text)
    {
        for (int skipped = 0; skipped < 8; ++skipped) {
            const QString received = nextMessage();
            if (received == text)
                return true;
            if (received == QStringLiteral("<no message>"))
                return false;
        }
        return false;
    }

private:
    QProcess m_process;
    bool m_isFirst = false;
};

} // namespace

class TestSingleInstance final : public QObject
{
    Q_OBJECT

private slots:
    void laterStartHandsOverItsMessage_data();
    void laterStartHandsOverItsMessage();
    void stoppedFirstStartIsNotCountedAsReached();
    void killedFirstStartDoesNotBlockTheNext();
    void leftoverLockFileBlocksAtMostOneStart_data();
    void leftoverLockFileBlocksAtMostOneStart();
    void runningInstanceSurvivesBadClients_data();
    void runningInstanceSurvivesBadClients();
};

void TestSingleInstance::laterStartHandsOverItsMessage_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("delivered");

    QTest::newRow("empty") << QString() << true;
    QTest::newRow("text") << QStringLiteral("--open /roms/Zelda – Ω (Ü).sfc") << true;
    QTest::newRow("largest") << QString(int(singleinstance::frame::maxPayloadSize), QLatin1Char('x')) << true;
    // Fewer characters than the cap, but more bytes in UTF-8.
    QTest::newRow("too large") << QString(int(singleinstance::frame::maxPayloadSize / 3 + 1), QChar(0x20AC))
                               << false;
}

void TestSingleInstance::laterStartHandsOverItsMessage()
{
    QFETCH(QString, message);
    QFETCH(bool, delivered);
    const UserFolders folders;
    QVERIFY(folders.isValid());
    FirstStart first(folders);
    QVERIFY(first.isFirst());

    const LaterStart later = runLaterStart(folders, message);
    QCOMPARE(later.output, QByteArray());
    QCOMPARE(later.exitCode, delivered ? 0 : 1);
    if (!delivered) {
        QCOMPARE(runLaterStart(folders, QStringLiteral("next")).exitCode, 0);
        message = QStringLiteral("next");
    }

    QByteArray windowState;
    QCOMPARE(first.nextMessage(&windowState), message);
    QCOMPARE(windowState, QByteArray("visible maximized"));
    QVERIFY(first.quit());
    QCOMPARE(folders.runtimeEntries(), QStringList());
}

void TestSingleInstance::stoppedFirstStartIsNotCountedAsReached()
{
    const UserFolders folders;
    QVERIFY(folders.isValid());
    FirstStart first(folders);
    QVERIFY(first.isFirst());

    first.sendSignal(SIGSTOP);
    const LaterStart blocked = runLaterStart(folders, QStringLiteral("while stopped"));
    first.sendSignal(SIGCONT);
    QCOMPARE(blocked.output, QByteArray());
    QCOMPARE(blocked.exitCode, 1);
    QVERIFY2(blocked.elapsedMs >= 4000 && blocked.elapsedMs <= 7000, QByteArray::number(blocked.elapsedMs));

    // Still the first: its lock survived, and it answers again.
    const LaterStart later = runLaterStart(folders, QStringLiteral("after resuming"));
    QCOMPARE(later.output, QByteArray());
    QCOMPARE(later.exitCode, 0);
    QVERIFY(first.waitForMessage(QStringLiteral("after resuming")));
}

void TestSingleInstance::killedFirstStartDoesNotBlockTheNext()
{
    const UserFolders folders;
    QVERIFY(folders.isValid());
    FirstStart killed(folders);
    QVERIFY(killed.isFirst());
    killed.sendSignal(SIGKILL);
    QVERIFY(killed.waitUntilKilled());
    QVERIFY(!folders.runtimeFile(QStringLiteral("*.lock")).isEmpty());
    QVERIFY(!folders.runtimeFile(QStringLiteral("*.socket")).isEmpty());

    FirstStart next(folders);
    QVERIFY(next.isFirst());
    QCOMPARE(runLaterStart(folders, QStringLiteral("hello")).exitCode, 0);
    QCOMPARE(next.nextMessage(), QStringLiteral("hello"));
}

void TestSingleInstance::leftoverLockFileBlocksAtMostOneStart_data()
{
    QTest::addColumn<QByteArray>("contents");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("not a lock\n\x01\x02\xff\n", 15);
}

void TestSingleInstance::leftoverLockFileBlocksAtMostOneStart()
{
    QFETCH(QByteArray, contents);
    const UserFolders folders;
    QVERIFY(folders.isValid());
    QString lockPath;
    {
        FirstStart first(folders);
        QVERIFY(first.isFirst());
        lockPath = folders.runtimeFile(QStringLiteral("*.lock"));
        QVERIFY(first.quit());
    }
    QVERIFY(!lockPath.isEmpty());
    QCOMPARE(folders.runtimeEntries(), QStringList());

    QFile lock(lockPath);
    QVERIFY(lock.open(QIODevice::WriteOnly));
    QCOMPARE(lock.write(contents), contents.size());
    lock.close();

    const LaterStart blocked = runLaterStart(folders, QStringLiteral("nobody listens"));
    QCOMPARE(blocked.output, QByteArray());
    QCOMPARE(blocked.exitCode, 1);

    FirstStart next(folders);
    QVERIFY(next.isFirst());
    QCOMPARE(runLaterStart(folders, QStringLiteral("hello")).exitCode, 0);
    QCOMPARE(next.nextMessage(), QStringLiteral("hello"));
}

void TestSingleInstance::runningInstanceSurvivesBadClients_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("clients");

    QTest::newRow("garbage") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n\r\n") << 1;
    QTest::newRow("4 GiB announced") << frameHeader(0xffffffffU) << 1;
    QTest::newRow("silent") << QByteArray() << 1;
    QTest::newRow("cut short") << frameHeader(100) + "abc" << 1;
    QTest::newRow("invalid UTF-8") << frameHeader(2) + "\xc3\x28" << 1;
    QTest::newRow("UTF-8 cut short") << frameHeader(2) + "\xe2\x82" << 1;
    QTest::newRow("more silent than the cap") << QByteArray() << 40;
}

void TestSingleInstance::runningInstanceSurvivesBadClients()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, clients);
    const UserFolders folders;
    QVERIFY(folders.isValid());
    FirstStart first(folders);
    QVERIFY(first.isFirst());
    const QString serverPath = folders.runtimeFile(QStringLiteral("*.socket"));
    QVERIFY(!serverPath.isEmpty());

    std::vector<std::unique_ptr<QLocalSocket>> sockets;
    for (int i = 0; i < clients; ++i) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(serverPath);
        QVERIFY(socket->waitForConnected(processTimeoutMs));
        QCOMPARE(socket->write(bytes), bytes.size());
        QVERIFY(bytes.isEmpty() || socket->waitForBytesWritten(processTimeoutMs));
        sockets.push_back(std::move(socket));
    }

    QCOMPARE(runLaterStart(folders, QStringLiteral("meanwhile")).exitCode, 0);
    QCOMPARE(first.nextMessage(), QStringLiteral("meanwhile"));

    for (const auto& socket : sockets) {
        QVERIFY(socket->state() == QLocalSocket::UnconnectedState
                || socket->waitForDisconnected(processTimeoutMs));
        QCOMPARE(socket->readAll(), QByteArray());
    }
    QCOMPARE(runLaterStart(folders, QStringLiteral("afterwards")).exitCode, 0);
    QCOMPARE(first.nextMessage(), QStringLiteral("afterwards"));
    QVERIFY(first.isRunning());
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
