// The product as it is installed: `cmake --install` into a temporary DESTDIR,
// the layout and the command link, the launcher started through the link, the
// desktop entry and metainfo validators, the icons, and the Windows icon
// resource. Linux only.

#include <QtTest>

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <optional>

namespace {

const QString AppId = QStringLiteral("org.kestrune.MirelvaLauncher");
const QString AppDir = QStringLiteral("usr/lib/mirelva-emulator");
const QList<int> HicolorSizes = {16, 24, 32, 48, 64, 128, 256};
const QList<int> WindowsIconSizes = {16, 32, 48, 64, 128, 256};

struct RunResult
{
    bool Finished = false;
    int ExitCode = -1;
    QByteArray Output;
};

RunResult Run(const QString& program, const QStringList& arguments,
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
              const QString& workingDirectory = QString())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    RunResult result;
    result.Finished = process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit;
    result.ExitCode = process.exitCode();
    result.Output = process.readAll();
    return result;
}

QString Describe(const RunResult& result)
{
    return QStringLiteral("exit code %1, output:\n%2").arg(result.ExitCode).arg(QString::fromLocal8Bit(result.Output));
}

// The link's own text, as readlink(2) gives it.
QString ReadLink(const QString& path)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return length < 0 ? QString() : QFile::decodeName(QByteArray(buffer, int(length)));
}

// One image of an icon directory (ICO file, or RT_GROUP_ICON resource).
struct IconEntry
{
    int Width = 0;
    int Height = 0;
    quint32 Bytes = 0;
    quint32 OffsetOrId = 0; // a file offset in an ICO file, a resource id in a group
};

// Reads the ICONDIR header and its entries: 6 bytes of header, then 16 bytes
// per image in an ICO file or 14 in an RT_GROUP_ICON resource. A width or
// height byte of 0 means 256.
std::optional<QList<IconEntry>> ParseIconDirectory(const QByteArray& data, bool isResourceGroup)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    if (data.size() < 6 || qFromLittleEndian<quint16>(bytes) != 0 || qFromLittleEndian<quint16>(bytes + 2) != 1)
        return std::nullopt;
    const int count = qFromLittleEndian<quint16>(bytes + 4);
    const int entrySize = isResourceGroup ? 14 : 16;
    if (data.size() < 6 + count * entrySize)
        return std::nullopt;
    QList<IconEntry> entries;
    for (int i = 0; i < count; ++i) {
        const uchar* entry = bytes + 6 + i * entrySize;
        IconEntry icon;
        icon.Width = entry[0] == 0 ? 256 : entry[0];
        icon.Height = entry[1] == 0 ? 256 : entry[1];
        icon.Bytes = qFromLittleEndian<quint32>(entry + 8);
        icon.OffsetOrId = isResourceGroup ? qFromLittleEndian<quint16>(entry + 12) : qFromLittleEndian<quint32>(entry + 12);
        entries.append(icon);
    }
    return entries;
}

// The width and height that an icon image itself states: from its PNG
// header, or from its BITMAPINFOHEADER (whose height counts the mask too).
QSize IconImageSize(const QByteArray& image)
{
    const auto* bytes = reinterpret_cast<const uchar*>(image.constData());
    if (image.startsWith("\x89PNG\r\n\x1a\n") && image.size() >= 24)
        return QSize(int(qFromBigEndian<quint32>(bytes + 16)), int(qFromBigEndian<quint32>(bytes + 20)));
    if (image.size() >= 40 && qFromLittleEndian<quint32>(bytes) == 40)
        return QSize(qFromLittleEndian<qint32>(bytes + 4), qFromLittleEndian<qint32>(bytes + 8) / 2);
    return QSize();
}

// A resource of a compiled .res file, named by ordinal or by string.
struct Resource
{
    int Type = 0;      // an ordinal such as 3 (RT_ICON) or 14 (RT_GROUP_ICON); 0 when named
    int Id = -1;       // the ordinal name, or -1 when named by a string
    QString Name;      // the string name, if any
    QByteArray Data;
};

// Reads one type or name field of a resource header: 0xFFFF then an ordinal,
// or a zero-terminated UTF-16 string.
bool ReadResourceName(const QByteArray& data, qsizetype& at, qsizetype end, int& ordinal, QString& name)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    if (at + 2 > end)
        return false;
    if (qFromLittleEndian<quint16>(bytes + at) == 0xFFFF) {
        if (at + 4 > end)
            return false;
        ordinal = qFromLittleEndian<quint16>(bytes + at + 2);
        at += 4;
        return true;
    }
    ordinal = -1;
    for (; at + 2 <= end; at += 2) {
        const char16_t c = qFromLittleEndian<quint16>(bytes + at);
        if (c == 0) {
            at += 2;
            return true;
        }
        name.append(QChar(c));
    }
    return false;
}

// The resources of a .res file: a sequence of headers (data size, header
// size, type, name, ...), each followed by its data, all aligned to 4 bytes.
std::optional<QList<Resource>> ParseResFile(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    QList<Resource> resources;
    qsizetype at = 0;
    while (at + 8 <= data.size()) {
        const quint32 dataSize = qFromLittleEndian<quint32>(bytes + at);
        const quint32 headerSize = qFromLittleEndian<quint32>(bytes + at + 4);
        const qsizetype headerEnd = at + headerSize;
        if (headerSize < 16 || quint64(headerEnd) + dataSize > quint64(data.size()))
            return std::nullopt;
        Resource resource;
        QString typeName;
        qsizetype field = at + 8;
        if (!ReadResourceName(data, field, headerEnd, resource.Type, typeName)
            || !ReadResourceName(data, field, headerEnd, resource.Id, resource.Name))
            return std::nullopt;
        resource.Data = data.mid(headerEnd, dataSize);
        if (dataSize > 0) // the first, empty entry only marks a 32-bit .res file
            resources.append(resource);
        at = (headerEnd + dataSize + 3) & ~qsizetype(3);
    }
    return resources;
}

QList<int> Widths(const QList<IconEntry>& entries)
{
    QList<int> widths;
    for (const IconEntry& entry : entries)
        widths.append(entry.Width);
    std::sort(widths.begin(), widths.end());
    return widths;
}

} // namespace

class PackagingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void layout();
    void commandLink();
    void noRpathIntoTheBuildTree();
    void launcherStartedThroughTheLinkFindsItsFiles();
    void desktopEntryValidates();
    void metainfoValidates();
    void hicolorIcons();
    void windowsIconFile();
    void windowsResourceCompiles();

private:
    QString Installed(const QString& relative) const { return m_destDir.filePath(relative); }

    QTemporaryDir m_destDir;
};

void PackagingTest::initTestCase()
{
    QVERIFY(m_destDir.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), m_destDir.path());
    const RunResult install = Run(QStringLiteral(MIRELVA_CMAKE_COMMAND),
                                  {QStringLiteral("--install"), QStringLiteral(MIRELVA_BUILD_DIR),
                                   QStringLiteral("--prefix"), QStringLiteral("/usr")},
                                  environment);
    QVERIFY2(install.Finished && install.ExitCode == 0, qPrintable(Describe(install)));
}

// Exactly these files, and neither the emulator nor its stand-in.
void PackagingTest::layout()
{
    QStringList expected = {
        QStringLiteral("usr/bin/mirelva-launcher"),
        AppDir + QStringLiteral("/MirelvaLauncher"),
        AppDir + QStringLiteral("/LauncherDefault.ini"),
        AppDir + QStringLiteral("/LauncherHelp.html"),
        QStringLiteral("usr/share/applications/%1.desktop").arg(AppId),
        QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId),
        QStringLiteral("usr/share/icons/hicolor/scalable/apps/%1.svg").arg(AppId),
    };
    for (int size : HicolorSizes)
        expected.append(QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId));
    expected.sort();

    QStringList found;
    QDirIterator it(m_destDir.path(), QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(m_destDir.path()).relativeFilePath(it.next()));
    found.sort();
    QCOMPARE(found, expected);

    QVERIFY(QFileInfo(Installed(AppDir + QStringLiteral("/MirelvaLauncher"))).isExecutable());
    for (const QString& name : {QStringLiteral("LauncherDefault.ini"), QStringLiteral("LauncherHelp.html")}) {
        QFile shipped(QStringLiteral(MIRELVA_SOURCE_DIR "/data/") + name);
        QFile installed(Installed(AppDir + u'/' + name));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QVERIFY(installed.open(QIODevice::ReadOnly));
        QCOMPARE(installed.readAll(), shipped.readAll());
    }
}

void PackagingTest::commandLink()
{
    const QString link = Installed(QStringLiteral("usr/bin/mirelva-launcher"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(ReadLink(link), QStringLiteral("../lib/mirelva-emulator/MirelvaLauncher"));
    QCOMPARE(QFileInfo(link).canonicalFilePath(),
             QFileInfo(Installed(AppDir + QStringLiteral("/MirelvaLauncher"))).canonicalFilePath());
}

void PackagingTest::noRpathIntoTheBuildTree()
{
    const QString readelf = QStandardPaths::findExecutable(QStringLiteral("readelf"));
    if (readelf.isEmpty())
        QSKIP("readelf (binutils) is not installed");
    const RunResult dynamic = Run(readelf, {QStringLiteral("--dynamic"), Installed(AppDir + QStringLiteral("/MirelvaLauncher"))});
    QVERIFY2(dynamic.Finished && dynamic.ExitCode == 0, qPrintable(Describe(dynamic)));
    for (const QByteArray& line : dynamic.Output.split('\n')) {
        if (!line.contains("(RPATH)") && !line.contains("(RUNPATH)"))
            continue;
        QVERIFY2(!line.contains(MIRELVA_BUILD_DIR) && !line.contains(MIRELVA_SOURCE_DIR), line.constData());
    }
}

// Started through the link, the launcher finds the LauncherDefault.ini of the
// installed application folder (a new user has no file of their own): told to
// stop, it saves the default's profiles as the user's Launcher.ini. Had it
// found no default, it would have nothing to save.
void PackagingTest::launcherStartedThroughTheLinkFindsItsFiles()
{
    QTemporaryDir data;
    QTemporaryDir runtime;
    QVERIFY(data.isValid() && runtime.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    const QString command = Installed(QStringLiteral("usr/bin/mirelva-launcher"));

    QProcess launcher;
    launcher.setProcessEnvironment(environment);
    launcher.setProcessChannelMode(QProcess::MergedChannels);
    launcher.start(command, QStringList());
    QVERIFY2(launcher.waitForStarted(10000), qPrintable(launcher.errorString()));
    const auto stop = qScopeGuard([&launcher] {
        launcher.kill();
        launcher.waitForFinished(10000);
    });

    // Once the first holds its lock in the runtime folder, a second start is
    // a later one; it is acknowledged once the first runs its event loop, by
    // then ready to save on SIGTERM.
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(runtime.path()).isEmpty() || launcher.state() != QProcess::Running, 20000);
    RunResult second;
    QElapsedTimer timer;
    timer.start();
    do {
        second = Run(command, QStringList(), environment);
        QVERIFY2(launcher.state() == QProcess::Running,
                 qPrintable(QStringLiteral("the launcher ended with exit code %1:\n%2")
                                .arg(launcher.exitCode())
                                .arg(QString::fromLocal8Bit(launcher.readAll()))));
        if (!(second.Finished && second.ExitCode == 0))
            QTest::qWait(100);
    } while (!(second.Finished && second.ExitCode == 0) && timer.elapsed() < 30000);
    QVERIFY2(second.Finished && second.ExitCode == 0, qPrintable(Describe(second)));

    launcher.terminate();
    QVERIFY(launcher.waitForFinished(20000));
    QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
    QCOMPARE(launcher.exitCode(), 0);

    QFile saved(data.filePath(QStringLiteral("Kestrune/MirelvaEmulator/Launcher.ini")));
    QVERIFY2(saved.open(QIODevice::ReadOnly | QIODevice::Text), "the launcher saved no Launcher.ini");
    const QByteArray contents = saved.readAll();
    for (const char* profile : {"\"Phone\"", "\"Tablet\"", "\"Small phone with mouse\""})
        QVERIFY2(contents.contains(profile), contents.constData());
}

void PackagingTest::desktopEntryValidates()
{
    const QString path = Installed(QStringLiteral("usr/share/applications/%1.desktop").arg(AppId));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QByteArrayList lines = file.readAll().split('\n');
    QVERIFY(lines.contains("Exec=mirelva-launcher"));
    QVERIFY(lines.contains("Icon=" + AppId.toUtf8()));

    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        QSKIP("desktop-file-validate (desktop-file-utils) is not installed");
    const RunResult result = Run(validator, {path});
    QVERIFY2(result.Finished && result.ExitCode == 0 && !result.Output.contains("error:"),
             qPrintable(Describe(result)));
}

void PackagingTest::metainfoValidates()
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (validator.isEmpty())
        QSKIP("appstreamcli (appstream) is not installed");
    const RunResult result = Run(validator, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                             Installed(QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId))});
    QVERIFY2(result.Finished && result.ExitCode == 0, qPrintable(Describe(result)));
}

void PackagingTest::hicolorIcons()
{
    for (int size : HicolorSizes) {
        QImageReader reader(Installed(QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(AppId)));
        QCOMPARE(reader.format(), QByteArray("png"));
        QCOMPARE(reader.size(), QSize(size, size));
    }
    QFile svg(Installed(QStringLiteral("usr/share/icons/hicolor/scalable/apps/%1.svg").arg(AppId)));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QVERIFY(svg.readAll().contains("<svg"));
}

// icons/MirelvaLauncher.ico: six square images of 16 to 256 px, each within
// the file and stating the size its directory entry gives.
void PackagingTest::windowsIconFile()
{
    QFile file(QStringLiteral(MIRELVA_SOURCE_DIR "/icons/MirelvaLauncher.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray ico = file.readAll();
    const std::optional<QList<IconEntry>> entries = ParseIconDirectory(ico, false);
    QVERIFY2(entries.has_value(), "not an ICO file");
    QCOMPARE(Widths(*entries), WindowsIconSizes);
    for (const IconEntry& entry : *entries) {
        QCOMPARE(entry.Height, entry.Width);
        QVERIFY(quint64(entry.OffsetOrId) + entry.Bytes <= quint64(ico.size()));
        QCOMPARE(IconImageSize(ico.mid(entry.OffsetOrId, entry.Bytes)), QSize(entry.Width, entry.Height));
    }
}

// app/MirelvaLauncher.rc compiles with the MinGW resource compiler, from
// another folder as in a build, into the icon group IDI_ICON1 holding the
// six images of the .ico file.
void PackagingTest::windowsResourceCompiles()
{
    const QString windres = QStandardPaths::findExecutable(QStringLiteral("x86_64-w64-mingw32-windres"));
    if (windres.isEmpty())
        QSKIP("x86_64-w64-mingw32-windres (binutils-mingw-w64-x86-64) is not installed");
    // windres preprocesses with the MinGW gcc; the host's serves as well when that is missing.
    QString preprocessor = QStandardPaths::findExecutable(QStringLiteral("x86_64-w64-mingw32-gcc"));
    if (preprocessor.isEmpty())
        preprocessor = QStandardPaths::findExecutable(QStringLiteral("cpp"));
    QVERIFY2(!preprocessor.isEmpty(), "no C preprocessor for windres");

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const RunResult compile = Run(windres,
                                  {QStringLiteral("--preprocessor=") + preprocessor, QStringLiteral("--output-format=res"),
                                   QStringLiteral(MIRELVA_SOURCE_DIR "/app/MirelvaLauncher.rc"),
                                   work.filePath(QStringLiteral("MirelvaLauncher.res"))},
                                  QProcessEnvironment::systemEnvironment(), work.path());
    QVERIFY2(compile.Finished && compile.ExitCode == 0, qPrintable(Describe(compile)));

    QFile file(work.filePath(QStringLiteral("MirelvaLauncher.res")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::optional<QList<Resource>> resources = ParseResFile(file.readAll());
    QVERIFY2(resources.has_value(), "not a .res file");

    std::optional<QList<IconEntry>> group;
    QHash<int, QByteArray> images;
    for (const Resource& resource : *resources) {
        if (resource.Type == 14 && resource.Name == QLatin1String("IDI_ICON1"))
            group = ParseIconDirectory(resource.Data, true);
        else if (resource.Type == 3)
            images.insert(resource.Id, resource.Data);
    }
    QVERIFY2(group.has_value(), "no icon group IDI_ICON1");
    QCOMPARE(Widths(*group), WindowsIconSizes);
    for (const IconEntry& entry : *group) {
        QVERIFY(images.contains(int(entry.OffsetOrId)));
        QCOMPARE(IconImageSize(images.value(int(entry.OffsetOrId))), QSize(entry.Width, entry.Height));
    }
}

QTEST_GUILESS_MAIN(PackagingTest)
#include "tst_packaging.moc"
