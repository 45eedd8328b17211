#include "ConfigReader.h"
#include "ConfigWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sys/resource.h>

#include <csignal>

namespace {

ConfigContents ParseText(const QString& text)
{
    QString copy = text;
    QTextStream in(&copy, QIODevice::ReadOnly);
    return ParseConfig(in);
}

ConfigContents ParseFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot open %s", qPrintable(path));
    QTextStream in(&file);
    return ParseConfig(in);
}

QString WrittenText(const QList<ConfigSection>& sections)
{
    QString text;
    QTextStream out(&text);
    WriteConfigText(out, sections);
    out.flush();
    return text;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Names(const ConfigSection& section)
{
    QStringList names;
    for (const ConfigEntry& entry : section.Entries)
        names << entry.Name;
    return names;
}

Profile MakeProfile(const QString& name, QList<qint32> indices, const QString& arguments)
{
    Profile profile;
    profile.Name = name;
    profile.Indices = indices;
    profile.Arguments = arguments;
    return profile;
}

// The model that canonical.ini holds.
QList<ConfigSection> CanonicalSections()
{
    QList<ConfigSection> sections = EmptySections();
    sections[1].Entries = {{"Default", ""}, {"Big", " -windowsize 480x800"}};
    sections[3].Entries = {{"Touch", " -input touch"}};
    FillEmptySections(sections);
    const QList<Profile> profiles = {MakeProfile("Phone", {1, 0, -1}, "  -a  -b "),
                                     MakeProfile("Phone", {0, 0, 0}, "")};
    sections[0].Entries = EncodeProfiles(sections, profiles);
    return sections;
}

bool SameModel(const ConfigContents& a, const ConfigContents& b)
{
    if (a.Sections.size() != b.Sections.size() || a.Profiles.size() != b.Profiles.size())
        return false;
    for (int s = 0; s < a.Sections.size(); ++s) {
        const auto& x = a.Sections[s];
        const auto& y = b.Sections[s];
        if (x.Header != y.Header || x.Entries.size() != y.Entries.size())
            return false;
        for (int e = 0; e < x.Entries.size(); ++e) {
            if (x.Entries[e].Name != y.Entries[e].Name || x.Entries[e].Value != y.Entries[e].Value)
                return false;
        }
    }
    for (int p = 0; p < a.Profiles.size(); ++p) {
        const auto& x = a.Profiles[p];
        const auto& y = b.Profiles[p];
        if (x.Name != y.Name || x.Arguments != y.Arguments || x.Indices != y.Indices)
            return false;
    }
    return true;
}

} // namespace

class TestConfig final : public QObject
{
    Q_OBJECT

private slots:
    void sectionTitle_data();
    void sectionTitle();
    void classifyLine_data();
    void classifyLine();
    void entryLine_data();
    void entryLine();
    void decodeProfile_data();
    void decodeProfile();
    void versionWindow_data();
    void versionWindow();
    void readsHandwrittenFile();
    void sectionsNeverNamedGetDefault();
    void encodeProfile_data();
    void encodeProfile();
    void writesCanonicalLayout();
    void roundTripKeepsModel();
    void rewritesHandOrderedProfilesCanonically();
    void saveReplacesFileWhole();
    void failedSaveKeepsOldFile();
    void saveFailsWhenFolderCannotBeMade();
};

void TestConfig::sectionTitle_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("lowerTitle");
    QTest::newRow("PixelDensity") << "[PixelDensity]" << "Pixel Density" << "pixel density";
    QTest::newRow("Resolution") << "[Resolution]" << "Resolution" << "resolution";
    QTest::newRow("Input") << "[Input]" << "Input" << "input";
    QTest::newRow("Profile") << "[Profile]" << "Profile" << "profile";
    QTest::newRow("run of capitals") << "[abcDEF]" << "abc DEF" << "abc def";
    QTest::newRow("capitals only") << "[ABC]" << "ABC" << "abc";
    QTest::newRow("bracket inside") << "[a]B" << "a B" << "a b";
    QTest::newRow("digit breaks word") << "[a1B]" << "a1B" << "a1b";
    QTest::newRow("non-ASCII") << QString::fromUtf8("[grüßÉtat]") << QString::fromUtf8("grüß État")
                               << QString::fromUtf8("grüß état");
    QTest::newRow("empty") << "" << "" << "";
}

void TestConfig::sectionTitle()
{
    QFETCH(QString, header);
    QFETCH(QString, title);
    QFETCH(QString, lowerTitle);
    QCOMPARE(SectionTitle(header, false), title);
    QCOMPARE(SectionTitle(header, true), lowerTitle);
}

void TestConfig::classifyLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("section");
    QTest::addColumn<bool>("hasVersion");
    QTest::addColumn<int>("version");
    const int blank = int(ConfigLineKind::Blank), comment = int(ConfigLineKind::Comment),
              version = int(ConfigLineKind::Version), header = int(ConfigLineKind::Header),
              other = int(ConfigLineKind::Other);
    QTest::newRow("empty") << "" << blank << -1 << false << 0;
    QTest::newRow("blanks only") << "  " << other << -1 << false << 0;
    QTest::newRow("comment") << "# note" << comment << -1 << false << 0;
    QTest::newRow("comment glued") << "#[Input]" << comment << -1 << false << 0;
    QTest::newRow("indented comment") << " # note" << other << -1 << false << 0;
    QTest::newRow("version tab") << "$VERSION\t106" << version << -1 << true << 106;
    QTest::newRow("version blank") << "$VERSION 103" << version << -1 << true << 103;
    QTest::newRow("version separators") << "$VERSION=, \t 104 7" << version << -1 << true << 104;
    QTest::newRow("version skips junk") << "$VERSION x 1.5 105" << version << -1 << true << 105;
    QTest::newRow("version negative") << "$VERSION -3" << version << -1 << true << -3;
    QTest::newRow("version too big") << "$VERSION 2147483648" << version << -1 << false << 0;
    QTest::newRow("version int max") << "$VERSION 2147483647" << version << -1 << true << 2147483647;
    QTest::newRow("version plus") << "$VERSION +106" << version << -1 << false << 0;
    QTest::newRow("version bare") << "$VERSION" << version << -1 << false << 0;
    QTest::newRow("version lower case") << "$version 106" << other << -1 << false << 0;
    QTest::newRow("indented version") << " $VERSION 106" << other << -1 << false << 0;
    QTest::newRow("profile") << "[Profile]" << header << 0 << false << 0;
    QTest::newRow("resolution") << "[Resolution]" << header << 1 << false << 0;
    QTest::newRow("pixel density rest") << "[PixelDensity]=junk" << header << 2 << false << 0;
    QTest::newRow("input comma") << "[Input],x" << header << 3 << false << 0;
    QTest::newRow("header glued") << "[Input]x" << other << -1 << false << 0;
    QTest::newRow("header case") << "[input]" << other << -1 << false << 0;
    QTest::newRow("header spaced") << "[Pixel Density]" << other << -1 << false << 0;
    QTest::newRow("indented header") << "\t[Input]" << other << -1 << false << 0;
    QTest::newRow("unknown header") << "[Display]" << other << -1 << false << 0;
    QTest::newRow("entry") << "\"a\"\t\"b\"" << other << -1 << false << 0;
}

void TestConfig::classifyLine()
{
    QFETCH(QString, line);
    QFETCH(int, kind);
    QFETCH(int, section);
    QFETCH(bool, hasVersion);
    QFETCH(int, version);
    const ConfigLine result = ClassifyConfigLine(line);
    QCOMPARE(int(result.Kind), kind);
    if (result.Kind == ConfigLineKind::Header)
        QCOMPARE(result.Section, section);
    QCOMPARE(result.HasVersion, hasVersion);
    if (hasVersion)
        QCOMPARE(result.Version, version);
}

void TestConfig::entryLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("adds");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("written") << "\"Phone\"\t\" -ppi 240\"" << true << "Phone" << " -ppi 240";
    QTest::newRow("no quotes") << "plain line" << true << "plain line" << "";
    QTest::newRow("touching") << "\"a\"\"b\"" << true << "a" << "";
    QTest::newRow("empty name") << "\"\"\t\"v\"" << true << "\t" << "";
    QTest::newRow("empty value") << "\"a\"\t\"\"" << true << "a" << "";
    QTest::newRow("quote in value") << "\"a\"\t\"x\"y\"" << true << "a" << "x";
    QTest::newRow("extra pieces") << "\"a\"\t\"b\"\t\"c\"" << true << "a" << "b";
    QTest::newRow("backslash t") << "\"a\\tb\"\t\"c\\td\"" << true << "a\tb" << "c\\td";
    QTest::newRow("backslash T") << "\"a\\Tb\"\t\"\"" << true << "a\\Tb" << "";
    QTest::newRow("quotes only") << "\"\"\"\"" << false << "" << "";
}

void TestConfig::entryLine()
{
    QFETCH(QString, line);
    QFETCH(bool, adds);
    QFETCH(QString, name);
    QFETCH(QString, value);
    ConfigEntry entry;
    QCOMPARE(ParseEntryLine(line, &entry), adds);
    if (!adds)
        return;
    QCOMPARE(entry.Name, name);
    QCOMPARE(entry.Value, value);
}

void TestConfig::decodeProfile_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QList<qint32>>("indices");
    QTest::addColumn<QString>("arguments");
    using L = QList<qint32>;
    QTest::newRow("canonical") << "[Resolution] 2 [PixelDensity] 0 [Input] 1" << L{2, 0, 1} << "";
    QTest::newRow("other order") << "[Input] 1 [Resolution] 2" << L{2, 0, 1} << "";
    QTest::newRow("arguments around") << "-a [Resolution] 3 -b" << L{3, 0, 0} << " -a -b";
    QTest::newRow("header without number") << "[Resolution] x [Input] 1" << L{0, 0, 1} << " x";
    QTest::newRow("header last") << "[Resolution]" << L{0, 0, 0} << "";
    QTest::newRow("later wins") << "[Resolution] 1 [Resolution] 2" << L{2, 0, 0} << "";
    QTest::newRow("negative") << "[Resolution] -1" << L{-1, 0, 0} << "";
    QTest::newRow("profile is no option") << "[Profile] 4" << L{0, 0, 0} << " [Profile] 4";
    QTest::newRow("empty") << "" << L{0, 0, 0} << "";
    QTest::newRow("white space runs") << "\t-x \t  -y\n" << L{0, 0, 0} << " -x -y";
    QTest::newRow("header then header") << "[Input] [PixelDensity] 5" << L{0, 5, 0} << "";
    QTest::newRow("out of range") << "[Input] 2147483648" << L{0, 0, 0} << " 2147483648";
}

void TestConfig::decodeProfile()
{
    QFETCH(QString, value);
    QFETCH(QList<qint32>, indices);
    QFETCH(QString, arguments);
    const Profile profile = DecodeProfile(ConfigEntry{"Name", value});
    QCOMPARE(profile.Name, QString("Name"));
    QCOMPARE(profile.Indices, indices);
    QCOMPARE(profile.Arguments, arguments);
}

void TestConfig::versionWindow_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("current");
    QTest::newRow("106 tab") << "$VERSION\t106\n" << true;
    QTest::newRow("103 blank") << "$VERSION 103\n" << true;
    QTest::newRow("102") << "$VERSION 102\n" << false;
    QTest::newRow("107") << "$VERSION 107\n" << false;
    QTest::newRow("no number") << "$VERSION\n" << false;
    QTest::newRow("none") << "[Input]\n\"a\"\t\"b\"\n" << false;
    QTest::newRow("empty file") << "" << false;
    QTest::newRow("last wins") << "$VERSION 104\n$VERSION 99\n" << false;
    QTest::newRow("unparsed keeps") << "$VERSION 104\n$VERSION x\n" << true;
    QTest::newRow("after headers") << "[Input]\n$VERSION 105\n" << true;
    QTest::newRow("crlf") << "$VERSION\t106\r\n" << true;
}

void TestConfig::versionWindow()
{
    QFETCH(QString, text);
    QFETCH(bool, current);
    QCOMPARE(IsCurrentConfigVersion(ParseText(text).Version), current);
}

void TestConfig::readsHandwrittenFile()
{
    const ConfigContents read = ParseFile(MIRELVA_TEST_DATA_DIR "/handwritten.ini");
    QCOMPARE(read.Version, 104);
    QCOMPARE(read.Sections.size(), 4);
    QCOMPARE(Names(read.Sections[3]),
             QStringList({"Touch", " # indented comment becomes an entry"}));
    QCOMPARE(Names(read.Sections[1]), QStringList({"Phone\tHD", "No quotes at all", "Touching", "\t",
                                                   "Cut", "[Display]", "Tablet"}));
    QCOMPARE(read.Sections[1].Entries[0].Value, QString(" -windowsize 720x1280\\t"));
    QCOMPARE(read.Sections[1].Entries[2].Value, QString());
    QCOMPARE(read.Sections[1].Entries[4].Value, QString("value "));
    QCOMPARE(Names(read.Sections[2]), QStringList({"Default"}));
    QCOMPARE(read.Sections[2].Entries[0].Value, QString());

    QCOMPARE(read.Profiles.size(), 1);
    QCOMPARE(read.Profiles[0].Name, QString("Hand"));
    QCOMPARE(read.Profiles[0].Indices, QList<qint32>({2, 0, 1}));
    QCOMPARE(read.Profiles[0].Arguments, QString(" -x -y"));
    for (const ConfigSection& section : read.Sections)
        QVERIFY(!section.ComboBox);
}

void TestConfig::sectionsNeverNamedGetDefault()
{
    for (const ConfigContents& read : {ParseText("$VERSION 106\n"), DefaultOnlyConfig(0)}) {
        QCOMPARE(read.Sections.size(), 4);
        for (const ConfigSection& section : read.Sections) {
            QCOMPARE(section.Entries.size(), 1);
            QCOMPARE(section.Entries[0].Name, QString("Default"));
            QCOMPARE(section.Entries[0].Value, QString());
        }
        QCOMPARE(read.Profiles.size(), 1);
        QCOMPARE(read.Profiles[0].Name, QString("Default"));
        QCOMPARE(read.Profiles[0].Indices, QList<qint32>({0, 0, 0}));
        QCOMPARE(read.Profiles[0].Arguments, QString());
    }
}

void TestConfig::encodeProfile_data()
{
    QTest::addColumn<QList<qint32>>("indices");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("value");
    using L = QList<qint32>;
    QTest::newRow("no arguments") << L{0, 0, 0} << "" << "[Resolution] 0 [PixelDensity] 0 [Input] 0 ";
    QTest::newRow("trimmed") << L{2, 1, 0} << "  abc  " << "[Resolution] 2 [PixelDensity] 1 [Input] 0 abc";
    QTest::newRow("inner blanks") << L{3, 0, 1} << "abc   def"
                                  << "[Resolution] 3 [PixelDensity] 0 [Input] 1 abc   def";
    QTest::newRow("negative") << L{-1, 7, 2147483647} << "\t-x\n"
                              << "[Resolution] -1 [PixelDensity] 7 [Input] 2147483647 -x";
}

void TestConfig::encodeProfile()
{
    QFETCH(QList<qint32>, indices);
    QFETCH(QString, arguments);
    QFETCH(QString, value);
    QCOMPARE(EncodeProfile(EmptySections(), MakeProfile("p", indices, arguments)), value);
}

void TestConfig::writesCanonicalLayout()
{
    QCOMPARE(WrittenText(CanonicalSections()).toUtf8(), ReadAll(MIRELVA_TEST_DATA_DIR "/canonical.ini"));
}

void TestConfig::roundTripKeepsModel()
{
    const ConfigContents first = ParseFile(MIRELVA_TEST_DATA_DIR "/canonical.ini");
    const QString written = WrittenText(first.Sections);
    const ConfigContents second = ParseText(written);
    QVERIFY(SameModel(first, second));
    QCOMPARE(second.Profiles[0].Arguments, QString(" -a -b"));
    QCOMPARE(second.Profiles[0].Indices, QList<qint32>({1, 0, -1}));
    QCOMPARE(second.Profiles[1].Name, QString("Phone"));
    QCOMPARE(WrittenText(second.Sections), written);
}

void TestConfig::rewritesHandOrderedProfilesCanonically()
{
    ConfigContents read = ParseFile(MIRELVA_TEST_DATA_DIR "/handwritten.ini");
    read.Sections[0].Entries = EncodeProfiles(read.Sections, read.Profiles);
    const QString written = WrittenText(read.Sections);
    QVERIFY(written.contains("$VERSION\t106\n"));
    QVERIFY(written.contains("\"Hand\"\t\"[Resolution] 2 [PixelDensity] 0 [Input] 1 -x -y\"\n"));
    QVERIFY(!written.contains("stray"));
    QVERIFY(!written.contains("# comment"));
}

void TestConfig::saveReplacesFileWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a/b/Launcher.ini");
    QVERIFY(SaveConfigFile(path, CanonicalSections()));
    QCOMPARE(ReadAll(path), ReadAll(MIRELVA_TEST_DATA_DIR "/canonical.ini"));
    QCOMPARE(QDir(dir.filePath("a/b")).entryList(QDir::Files), QStringList("Launcher.ini"));
}

void TestConfig::failedSaveKeepsOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Launcher.ini");
    QVERIFY(SaveConfigFile(path, CanonicalSections()));
    const QByteArray old = ReadAll(path);

    QList<ConfigSection> big = CanonicalSections();
    for (int i = 0; i < 5000; ++i)
        big[1].Entries.append({QString("Resolution %1").arg(i), " -windowsize 480x800"});

    // A file size limit makes the write fail part-way, as a full disk would;
    // it works for root too.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved_ok = SaveConfigFile(path, big);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved_ok);
    QCOMPARE(ReadAll(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList("Launcher.ini"));
}

void TestConfig::saveFailsWhenFolderCannotBeMade()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("Kestrune"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!SaveConfigFile(dir.filePath("Kestrune/MirelvaEmulator/Launcher.ini"), CanonicalSections()));

    QVERIFY(QDir(dir.path()).mkpath("Folder/Launcher.ini"));
    QVERIFY(!SaveConfigFile(dir.filePath("Folder/Launcher.ini"), CanonicalSections()));
}

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
