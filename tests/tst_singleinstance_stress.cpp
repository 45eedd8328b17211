#include "InstanceTestSupport.h"
#include "MessageFrame.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <memory>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace instancetest;

// What a later start allows the running instance in main().
constexpr qint64 sendBudgetMs = 5000;
constexpr uid_t nobodyId = 65534;

enum class Program { Probe, Launcher };

QString programPath(Program program)
{
    return QString::fromUtf8(program == Program::Probe ? SINGLEINSTANCE_PROBE : MIRELVA_LAUNCHER);
}

void setUp(QProcess& process, const UserFolders& folders, const QString& program, const QStringList& arguments)
{
    process.setProcessEnvironment(folders.environment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!folders.user()) {
        process.setProgram(program);
        process.setArguments(arguments);
        return;
    }
    const QString id = QString::number(*folders.user());
    process.setProgram(QStringLiteral("setpriv"));
    process.setArguments(QStringList{QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
                                     QStringLiteral("--clear-groups"), program}
                         + arguments);
}

struct Finished
{
    int exitCode = -1; // -1 when it crashed or did not finish in time
    QByteArray output;
    qint64 elapsedMs = 0;
};

Finished waitUntilFinished(QProcess& process)
{
    // waitForFinished() fails for a process that has already finished.
    if (process.state() != QProcess::NotRunning && !process.waitForFinished(processTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    const int exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {exitCode, process.readAllStandardOutput()};
}

Finished runLaterStart(Program program, const UserFolders& folders, const QStringList& arguments = {})
{
    QProcess process;
    setUp(process, folders, programPath(program), arguments);
    QElapsedTimer clock;
    clock.start();
    process.start();
    // A probe that wrongly took the first role then quits at once.
    process.closeWriteChannel();
    Finished finished = waitUntilFinished(process);
    finished.elapsedMs = clock.elapsed();
    return finished;
}

// A figure in kB from /proc/<pid>/status, such as "VmRSS" or "VmHWM" (the peak).
qint64 memoryKiB(qint64 pid, const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    // Files under /proc claim to be empty; only reading tells what is in them.
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// A started program meant to become the first instance. It is ended when
// this goes, even one that was stopped with SIGSTOP.
class Instance final
{
public:
    Instance(Program program, const UserFolders& folders)
        : m_program(program)
        , m_folders(folders)
    {
        setUp(m_process, folders, programPath(program), {});
        m_clock.start();
        m_process.start();
        // Kept, as QProcess forgets the ID once the process has finished.
        if (m_process.waitForStarted(processTimeoutMs))
            m_pid = m_process.processId();
    }
    Q_DISABLE_COPY_MOVE(Instance)

    ~Instance()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        sendSignal(SIGCONT);
        // The probe quits when its input closes; the launcher only by its window.
        if (m_program == Program::Probe)
            m_process.closeWriteChannel();
        else
            m_process.terminate();
        if (!m_process.waitForFinished(processTimeoutMs)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    qint64 pid() const { return m_pid; }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    void sendSignal(int number)
    {
        if (m_pid > 0 && isRunning())
            ::kill(static_cast<pid_t>(m_pid), number);
    }

    // True once this process holds the instance lock and its socket is there;
    // false when it exited (see exitCode()) or did not get that far in time.
    bool waitUntilFirst()
    {
        const QDeadlineTimer deadline(processTimeoutMs);
        while (!deadline.hasExpired()) {
            // The lock comes first, the socket right after it.
            if (m_pid > 0 && m_folders.lockHolder() == m_pid
                && !m_folders.runtimeFile(QStringLiteral("*.socket")).isEmpty()) {
                m_firstAfterMs = m_clock.elapsed();
                return true;
            }
            if (m_process.state() == QProcess::NotRunning)
                return false;
            m_process.waitForFinished(10);
        }
        return false;
    }

    // From the start of the process until waitUntilFirst() saw it first.
    qint64 firstAfterMs() const { return m_firstAfterMs; }

    int exitCode()
    {
        return waitUntilFinished(m_process).exitCode;
    }

    bool waitUntilKilled()
    {
        return m_process.waitForFinished(processTimeoutMs) && m_process.exitStatus() == QProcess::CrashExit;
    }

    // The probe only: skips the messages it received until this one.
    bool waitForMessage(const QString& text)
    {
        for (;;) {
            const QByteArray line = readLine(m_process);
            if (line.isNull())
                return false;
            if (line == "message:" + text.toUtf8())
                return true;
        }
    }

private:
    const Program m_program;
    const UserFolders& m_folders;
    QProcess m_process;
    QElapsedTimer m_clock;
    qint64 m_pid = 0;
    qint64 m_firstAfterMs = -1;
};

// A FIFO whose only writer is ours. Gate programs started on it wait until
// release() and then start their program all at the same moment.
class StartingGate final
{
public:
    StartingGate()
    {
        const QByteArray path = fifoPath();
        // Opened for reading too, so that opening it blocks neither us nor the gates.
        if (m_folder.isValid() && ::mkfifo(path.constData(), 0600) == 0)
            m_writer = ::open(path.constData(), O_RDWR | O_CLOEXEC);
    }
    Q_DISABLE_COPY_MOVE(StartingGate)
    ~StartingGate() { release(); }

    bool isValid() const { return m_writer >= 0; }
    QString path() const { return QFile::decodeName(fifoPath()); }

    void release()
    {
        if (m_writer >= 0)
            ::close(m_writer);
        m_writer = -1;
    }

private:
    QByteArray fifoPath() const { return QFile::encodeName(m_folder.filePath(QStringLiteral("gate"))); }

    QTemporaryDir m_folder;
    int m_writer = -1;
};

using Clients = std::vector<std::unique_ptr<QLocalSocket>>;

// Clients of the running instance that each send bytes and then either hang
// on or, with closeAtOnce, go before any answer could come.
Clients connectClients(const QString& serverPath, int count, const QByteArray& bytes, bool closeAtOnce)
{
    Clients clients;
    for (int i = 0; i < count; ++i) {
        auto client = std::make_unique<QLocalSocket>();
        client->connectToServer(serverPath);
        if (!client->waitForConnected(processTimeoutMs))
            return {};
        client->write(bytes);
        // Until all is out or the instance dropped the client, as it should
        // for most of these.
        while (client->bytesToWrite() > 0 && client->waitForBytesWritten(processTimeoutMs)) {
        }
        if (closeAtOnce)
            client->abort();
        clients.push_back(std::move(client));
    }
    return clients;
}

QByteArray randomBytes(qsizetype size)
{
    QRandomGenerator generator(20240611);
    QList<quint32> words(size / 4 + 1);
    generator.fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.constData()), size);
}

struct Memory
{
    qint64 residentKiB = -1;
    qint64 peakKiB = -1;
};

Memory memoryOf(qint64 pid)
{
    return {memoryKiB(pid, "VmRSS"), memoryKiB(pid, "VmHWM")};
}

// The cases that run against both the test probe and the real launcher.
void AddProgramRows()
{
    QTest::addColumn<Program>("program");
    QTest::newRow("probe") << Program::Probe;
    QTest::newRow("launcher") << Program::Launcher;
}

} // namespace

class TestSingleInstanceStress final : public QObject
{
    Q_OBJECT

private slots:
    void simultaneousStartsElectOneFirst();
    void leftoverLockBlocksAtMostOneStart_data();
    void leftoverLockBlocksAtMostOneStart();
    void stoppedFirstTimesOutLaterStarts_data();
    void stoppedFirstTimesOutLaterStarts();
    void badClientsNeitherBlockNorGrowTheInstance_data();
    void badClientsNeitherBlockNorGrowTheInstance();
    void otherUserCannotReachTheSocket();
    void otherUserGetsAFirstInstanceOfItsOwn_data();
    void otherUserGetsAFirstInstanceOfItsOwn();

private:
    void runSimultaneousRound(const UserFolders& folders, int round, int starts);
};

void TestSingleInstanceStress::runSimultaneousRound(const UserFolders& folders, int round, int starts)
{
    StartingGate gate;
    QVERIFY(gate.isValid());
    std::vector<std::unique_ptr<QProcess>> processes;
    QStringList messages;
    for (int i = 0; i < starts; ++i) {
        messages.append(QStringLiteral("round %1 start %2").arg(round).arg(i));
        auto process = std::make_unique<QProcess>();
        setUp(*process, folders, QStringLiteral(SINGLEINSTANCE_STRESS_GATE),
              {gate.path(), QStringLiteral(SINGLEINSTANCE_PROBE), messages.last()});
        process->start();
        processes.push_back(std::move(process));
    }
    for (const auto& process : processes)
        QCOMPARE(readLine(*process), QByteArray("ready"));
    gate.release();

    std::vector<int> firsts;
    for (int i = 0; i < starts; ++i) {
        if (readLine(*processes[i]) == "first")
            firsts.push_back(i);
    }
    QVERIFY2(firsts.size() == 1, qPrintable(QStringLiteral("round %1: %2 firsts").arg(round).arg(firsts.size())));
    QProcess& first = *processes[firsts.front()];
    messages.removeAt(firsts.front());

    QStringList received;
    while (received.size() < messages.size()) {
        const QByteArray line = readLine(first);
        QVERIFY2(!line.isNull(), qPrintable(QStringLiteral("round %1: %2 messages").arg(round).arg(received.size())));
        if (line.startsWith("message:"))
            received.append(QString::fromUtf8(line.mid(8)));
    }
    received.sort();
    messages.sort();
    QCOMPARE(received, messages);

    for (const auto& process : processes) {
        if (process.get() == &first)
            continue;
        const Finished later = waitUntilFinished(*process);
        QCOMPARE(later.exitCode, 0);
        QCOMPARE(later.output, QByteArray());
    }
    first.closeWriteChannel();
    QCOMPARE(waitUntilFinished(first).exitCode, 0);
    QCOMPARE(folders.runtimeEntries(), QStringList());
}

void TestSingleInstanceStress::simultaneousStartsElectOneFirst()
{
    constexpr int rounds = 20;
    constexpr int starts = 10;
    const UserFolders folders;
    QVERIFY(folders.isValid());
    for (int round = 0; round < rounds; ++round) {
        runSimultaneousRound(folders, round, starts);
        if (QTest::currentTestFailed()) {
            qInfo("simultaneous starts: failed in round %d", round);
            return;
        }
    }
    qInfo("simultaneous starts: %d rounds of %d survived, one first each", rounds, starts);
}

void TestSingleInstanceStress::leftoverLockBlocksAtMostOneStart_data()
{
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("allowedFailures");

    // What a launcher killed with SIGKILL leaves: a lock naming a dead process.
    QTest::newRow("killed holder") << false << QByteArray() << 0;
    // The lock's owner cannot be told, so one start waits in vain before it removes it.
    QTest::newRow("empty") << true << QByteArray() << 1;
    QTest::newRow("garbage") << true << QByteArray("not a lock\n\x01\x02\xff\n", 15) << 1;
}

void TestSingleInstanceStress::leftoverLockBlocksAtMostOneStart()
{
    QFETCH(bool, overwrite);
    QFETCH(QByteArray, contents);
    QFETCH(int, allowedFailures);
    const UserFolders folders;
    QVERIFY(folders.isValid());
    {
        Instance killed(Program::Launcher, folders);
        QVERIFY(killed.waitUntilFirst());
        killed.sendSignal(SIGKILL);
        QVERIFY(killed.waitUntilKilled());
    }
    const QString lockPath = folders.runtimeFile(QStringLiteral("*.lock"));
    QVERIFY(!lockPath.isEmpty());
    QVERIFY(!folders.runtimeFile(QStringLiteral("*.socket")).isEmpty());
    if (overwrite) {
        QFile lock(lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(lock.write(contents), contents.size());
    }

    for (int failures = 0;; ++failures) {
        auto next = std::make_unique<Instance>(Program::Launcher, folders);
        if (next->waitUntilFirst()) {
            qInfo("%s: the next start was the first after %d failed, %lld ms after it started",
                  QTest::currentDataTag(), failures, next->firstAfterMs());
            QVERIFY2(next->firstAfterMs() < 3000, QByteArray::number(next->firstAfterMs()));
            QCOMPARE(runLaterStart(Program::Launcher, folders).exitCode, 0);
            QVERIFY(next->isRunning());
            return;
        }
        QCOMPARE(next->exitCode(), 1);
        QVERIFY2(failures < allowedFailures, QByteArray::number(failures + 1));
    }
}

void TestSingleInstanceStress::stoppedFirstTimesOutLaterStarts_data()
{
    AddProgramRows();
}

void TestSingleInstanceStress::stoppedFirstTimesOutLaterStarts()
{
    QFETCH(Program, program);
    const UserFolders folders;
    QVERIFY(folders.isValid());
    Instance first(program, folders);
    QVERIFY(first.waitUntilFirst());

    first.sendSignal(SIGSTOP);
    const Finished blocked = runLaterStart(program, folders, {QStringLiteral("while stopped")});
    first.sendSignal(SIGCONT);
    qInfo("%s: a later start to a stopped first exited %d after %lld ms", QTest::currentDataTag(),
          blocked.exitCode, blocked.elapsedMs);
    QCOMPARE(blocked.exitCode, 1);
    QCOMPARE(blocked.output, QByteArray());
    QVERIFY2(qAbs(blocked.elapsedMs - sendBudgetMs) <= 500, QByteArray::number(blocked.elapsedMs));
    QCOMPARE(folders.lockHolder(), first.pid());

    const Finished later = runLaterStart(program, folders, {QStringLiteral("after resuming")});
    QCOMPARE(later.exitCode, 0);
    QCOMPARE(later.output, QByteArray());
    if (program == Program::Probe)
        QVERIFY(first.waitForMessage(QStringLiteral("after resuming")));
    QVERIFY(first.isRunning());
}

void TestSingleInstanceStress::badClientsNeitherBlockNorGrowTheInstance_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("atOnce");
    QTest::addColumn<bool>("closeAtOnce");

    QTest::newRow("silent") << QByteArray() << 1 << false;
    QTest::newRow("100 idle at once") << QByteArray() << 100 << false;
    QTest::newRow("random bytes") << randomBytes(4096) << 10 << false;
    // Followed by more than the cap, which an instance that believed the
    // header would go on buffering.
    QTest::newRow("4 GiB announced") << frameHeader(0xffffffffU) + randomBytes(4 * 1024 * 1024) << 10 << false;
    QTest::newRow("partial header") << frameHeader(0).first(6) << 10 << false;
    QTest::newRow("gone before the answer") << singleinstance::frame::encode(QStringLiteral("gone")).value() << 10
                                            << true;
}

void TestSingleInstanceStress::badClientsNeitherBlockNorGrowTheInstance()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, atOnce);
    QFETCH(bool, closeAtOnce);
    // Enough that a few kB kept per client would show.
    constexpr int clientCount = 1000;
    constexpr int laterStartsMeanwhile = 3;
    const UserFolders folders;
    QVERIFY(folders.isValid());
    Instance first(Program::Probe, folders);
    QVERIFY(first.waitUntilFirst());
    const QString serverPath = folders.runtimeFile(QStringLiteral("*.socket"));
    QVERIFY(!serverPath.isEmpty());

    // Whatever the first message costs once is not growth.
    QCOMPARE(runLaterStart(Program::Probe, folders, {QStringLiteral("warm-up")}).exitCode, 0);
    QVERIFY(first.waitForMessage(QStringLiteral("warm-up")));
    const Memory before = memoryOf(first.pid());
    QVERIFY(before.residentKiB > 0 && before.peakKiB > 0);

    const int batches = clientCount / atOnce;
    const int laterStartEvery = qMax(1, batches / laterStartsMeanwhile);
    qint64 slowestLaterStartMs = 0;
    for (int batch = 0; batch < batches; ++batch) {
        const Clients clients = connectClients(serverPath, atOnce, bytes, closeAtOnce);
        QCOMPARE(int(clients.size()), atOnce);
        if (batch % laterStartEvery != 0)
            continue;
        const QString message = QStringLiteral("meanwhile %1").arg(batch);
        const Finished later = runLaterStart(Program::Probe, folders, {message});
        QCOMPARE(later.exitCode, 0);
        QVERIFY(first.waitForMessage(message));
        slowestLaterStartMs = qMax(slowestLaterStartMs, later.elapsedMs);
    }

    QCOMPARE(runLaterStart(Program::Probe, folders, {QStringLiteral("afterwards")}).exitCode, 0);
    QVERIFY(first.waitForMessage(QStringLiteral("afterwards")));
    const Memory after = memoryOf(first.pid());
    qInfo("%s: %d clients, %d at once; VmRSS %lld -> %lld kB, peak %lld -> %lld kB; slowest later start "
          "meanwhile %lld ms",
          QTest::currentDataTag(), clientCount, atOnce, before.residentKiB, after.residentKiB, before.peakKiB,
          after.peakKiB, slowestLaterStartMs);
#ifdef MIRELVA_SANITIZED
    // AddressSanitizer keeps freed memory in quarantine, so resident memory
    // grows regardless; LeakSanitizer checks for leaks at exit instead.
    qInfo("memory unchecked under the sanitizers");
#else
    // What stays (a leak) and what came and went (buffering).
    QVERIFY2(after.residentKiB - before.residentKiB < 2 * 1024, QByteArray::number(after.residentKiB));
    QVERIFY2(after.peakKiB - before.peakKiB < 10 * 1024, QByteArray::number(after.peakKiB));
#endif
    QVERIFY(first.isRunning());
}

void TestSingleInstanceStress::otherUserCannotReachTheSocket()
{
    if (::geteuid() != 0)
        QSKIP("needs root, to run a client as another user");
    const UserFolders folders;
    QVERIFY(folders.isValid());
    const UserFolders nobodyFolders(nobodyId);
    QVERIFY(nobodyFolders.isValid());
    Instance first(Program::Launcher, folders);
    QVERIFY(first.waitUntilFirst());
    const QString serverPath = folders.runtimeFile(QStringLiteral("*.socket"));
    QVERIFY(!serverPath.isEmpty());

    // With the folder open to everyone, only the socket's own mode keeps
    // other users out.
    const QByteArray runtimePath = QFile::encodeName(folders.runtimePath());
    QCOMPARE(::chmod(runtimePath.constData(), 0711), 0);
    QProcess asNobody;
    setUp(asNobody, nobodyFolders, QStringLiteral(SINGLEINSTANCE_STRESS_CONNECT), {serverPath});
    asNobody.start();
    const Finished refused = waitUntilFinished(asNobody);
    QProcess asRoot;
    setUp(asRoot, folders, QStringLiteral(SINGLEINSTANCE_STRESS_CONNECT), {serverPath});
    asRoot.start();
    const Finished connected = waitUntilFinished(asRoot);
    QCOMPARE(::chmod(runtimePath.constData(), 0700), 0);

    QCOMPARE(refused.output.trimmed(), "refused:" + QByteArray::number(int(QLocalSocket::SocketAccessError)));
    QCOMPARE(refused.exitCode, 3);
    QCOMPARE(connected.output.trimmed(), QByteArray("connected"));
    QCOMPARE(runLaterStart(Program::Launcher, folders).exitCode, 0);
    QVERIFY(first.isRunning());
}

void TestSingleInstanceStress::otherUserGetsAFirstInstanceOfItsOwn_data()
{
    AddProgramRows();
}

void TestSingleInstanceStress::otherUserGetsAFirstInstanceOfItsOwn()
{
    QFETCH(Program, program);
    if (::geteuid() != 0)
        QSKIP("needs root, to start the program as another user");
    const UserFolders rootFolders;
    QVERIFY(rootFolders.isValid());
    const UserFolders nobodyFolders(nobodyId);
    QVERIFY(nobodyFolders.isValid());
    Instance rootFirst(program, rootFolders);
    QVERIFY(rootFirst.waitUntilFirst());
    const QStringList rootEntries = rootFolders.runtimeEntries();

    Instance nobodyFirst(program, nobodyFolders);
    QVERIFY(nobodyFirst.waitUntilFirst());
    const QFileInfo nobodyLock(nobodyFolders.runtimeFile(QStringLiteral("*.lock")));
    QCOMPARE(nobodyLock.ownerId(), nobodyId);

    const QString rootMessage = QStringLiteral("from root");
    const QString nobodyMessage = QStringLiteral("from nobody");
    QCOMPARE(runLaterStart(program, rootFolders, {rootMessage}).exitCode, 0);
    QCOMPARE(runLaterStart(program, nobodyFolders, {nobodyMessage}).exitCode, 0);
    if (program == Program::Probe) {
        QVERIFY(rootFirst.waitForMessage(rootMessage));
        QVERIFY(nobodyFirst.waitForMessage(nobodyMessage));
    }
    QCOMPARE(rootFolders.runtimeEntries(), rootEntries);
    QCOMPARE(rootFolders.lockHolder(), rootFirst.pid());
    QVERIFY(rootFirst.isRunning());
    QVERIFY(nobodyFirst.isRunning());
}

QTEST_GUILESS_MAIN(TestSingleInstanceStress)
#include "tst_singleinstance_stress.moc"
