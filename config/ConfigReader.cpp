#include "ConfigReader.h"

#include <QTextStream>

namespace {

bool IsTokenSeparator(QChar c)
{
    return c == u' ' || c == u',' || c == u'=' || c == u'\t';
}

// The next token of a line cut at runs of separators; empty pieces skipped.
QStringView NextNonEmptyToken(QStringView line, qsizetype* pos)
{
    qsizetype i = *pos;
    while (i < line.size() && IsTokenSeparator(line[i]))
        ++i;
    const qsizetype start = i;
    while (i < line.size() && !IsTokenSeparator(line[i]))
        ++i;
    *pos = i;
    return line.mid(start, i - start);
}

int HeaderSection(QStringView token)
{
    for (int s = 0; s < SectionCount; ++s) {
        if (token == SectionHeader(static_cast<SectionIndex>(s)))
            return s;
    }
    return -1;
}

QString UnescapeName(QStringView name)
{
    QString result = name.toString();
    if (result.contains(u'\\'))
        result.replace(QLatin1String("\\t"), QLatin1String("\t"));
    return result;
}

} // namespace

bool IsCurrentConfigVersion(int version)
{
    return version >= OldestCurrentConfigVersion && version <= ConfigVersion;
}

bool ParseInt32(QStringView text, qint32* value)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (negative)
        ++i;
    if (i == text.size())
        return false;
    qint64 magnitude = 0;
    const qint64 limit = negative ? qint64(2147483648LL) : qint64(2147483647LL);
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > limit)
            return false;
    }
    *value = static_cast<qint32>(negative ? -magnitude : magnitude);
    return true;
}

ConfigLine ClassifyConfigLine(QStringView line)
{
    ConfigLine result;
    if (line.isEmpty()) {
        result.Kind = ConfigLineKind::Blank;
        return result;
    }
    if (line[0] == u'#') {
        result.Kind = ConfigLineKind::Comment;
        return result;
    }
    qsizetype end = 0;
    while (end < line.size() && !IsTokenSeparator(line[end]))
        ++end;
    const QStringView first = line.left(end);
    if (first == u"$VERSION") {
        result.Kind = ConfigLineKind::Version;
        qsizetype pos = end;
        while (pos < line.size()) {
            const QStringView token = NextNonEmptyToken(line, &pos);
            if (!token.isEmpty() && ParseInt32(token, &result.Version)) {
                result.HasVersion = true;
                break;
            }
        }
        return result;
    }
    result.Section = HeaderSection(first);
    if (result.Section >= 0)
        result.Kind = ConfigLineKind::Header;
    return result;
}

bool ParseEntryLine(QStringView line, ConfigEntry* entry)
{
    // Pieces between double quotes, empty ones dropped: the first is the
    // name, the third the value; the second (the TAB between them) and any
    // further pieces are ignored.
    QStringView pieces[3];
    int found = 0;
    qsizetype start = 0;
    while (found < 3 && start <= line.size()) {
        qsizetype quote = line.indexOf(u'"', start);
        if (quote < 0)
            quote = line.size();
        if (quote > start)
            pieces[found++] = line.mid(start, quote - start);
        start = quote + 1;
    }
    if (found == 0)
        return false;
    entry->Name = UnescapeName(pieces[0]);
    entry->Value = found == 3 ? pieces[2].toString() : QString();
    return true;
}

QList<ConfigSection> EmptySections()
{
    QList<ConfigSection> sections;
    sections.reserve(SectionCount);
    for (int s = 0; s < SectionCount; ++s)
        sections.append(ConfigSection{SectionHeader(static_cast<SectionIndex>(s)), {}, nullptr});
    return sections;
}

void FillEmptySections(QList<ConfigSection>& sections)
{
    for (ConfigSection& section : sections) {
        if (section.Entries.isEmpty())
            section.Entries.append(ConfigEntry{QStringLiteral("Default"), QString()});
    }
}

Profile DecodeProfile(const ConfigEntry& entry)
{
    Profile profile;
    profile.Name = entry.Name;

    const QStringView value = entry.Value;
    int awaitingIndexOf = -1; // option section whose header was the previous piece
    qsizetype i = 0;
    while (true) {
        while (i < value.size() && value[i].isSpace())
            ++i;
        if (i == value.size())
            break;
        const qsizetype start = i;
        while (i < value.size() && !value[i].isSpace())
            ++i;
        const QStringView piece = value.mid(start, i - start);

        if (awaitingIndexOf > 0) {
            const int section = awaitingIndexOf;
            awaitingIndexOf = -1;
            qint32 index = 0;
            if (ParseInt32(piece, &index)) {
                profile.Indices[section - 1] = index;
                continue;
            }
        }
        const int section = HeaderSection(piece);
        if (section > 0) {
            awaitingIndexOf = section;
            continue;
        }
        if (profile.Arguments.isEmpty())
            profile.Arguments.reserve(value.size() - start + 1);
        profile.Arguments += u' ';
        profile.Arguments += piece;
    }
    return profile;
}

QList<Profile> DecodeProfiles(const ConfigSection& profileSection)
{
    QList<Profile> profiles;
    profiles.reserve(profileSection.Entries.size());
    for (const ConfigEntry& entry : profileSection.Entries)
        profiles.append(DecodeProfile(entry));
    return profiles;
}

namespace {

ConfigContents Complete(QList<ConfigSection> sections, qint32 version)
{
    FillEmptySections(sections);
    ConfigContents contents;
    contents.Profiles = DecodeProfiles(sections[int(SectionIndex::Profile)]);
    contents.Sections = std::move(sections);
    contents.Version = version;
    return contents;
}

// Adds every entry of the text to its section and returns the last version
// number found. Kept apart from the profile decoding so that the line buffer,
// as large as the longest line, is gone before the profiles are made.
qint32 ReadSections(QTextStream& text, QList<ConfigSection>& sections)
{
    qint32 version = 0;
    ConfigSection* current = nullptr;
    QString line;
    ConfigEntry entry;
    while (text.readLineInto(&line)) {
        const ConfigLine kind = ClassifyConfigLine(line);
        switch (kind.Kind) {
        case ConfigLineKind::Blank:
        case ConfigLineKind::Comment:
            break;
        case ConfigLineKind::Version:
            if (kind.HasVersion)
                version = kind.Version;
            break;
        case ConfigLineKind::Header:
            current = &sections[kind.Section];
            break;
        case ConfigLineKind::Other:
            if (current && ParseEntryLine(line, &entry))
                current->Entries.append(std::move(entry));
            break;
        }
    }
    return version;
}

} // namespace

ConfigContents ParseConfig(QTextStream& text)
{
    QList<ConfigSection> sections = EmptySections();
    const qint32 version = ReadSections(text, sections);
    return Complete(std::move(sections), version);
}

ConfigContents DefaultOnlyConfig(qint32 version)
{
    return Complete(EmptySections(), version);
}
