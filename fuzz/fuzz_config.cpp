// libFuzzer target over the configuration reader and the profile decoding.
//
// Every input is read as a file's bytes (as the launcher reads them) and as
// UTF-8 text; what is read must be well formed and rewrite stably. With
// R = read and W = encode the profiles into the Profile section, then write:
//   - R(W(R(x))) has the same entries, the same profiles and the same names
//     in the Profile section as R(x); only the Profile section's values
//     become their canonical encoding and the version the current one;
//   - W(R(W(R(x)))) is byte for byte W(R(x)).
// The file cannot carry every text: a double quote or a line break in a name
// or value splits it, an empty name becomes a TAB, and "\t" in a name reads
// as a TAB. None of that survives a first reading, hence R(x) as the start.
// One thing does: a file read as UTF-16 or UTF-32 (it starts with their byte
// order mark) can hold a lone surrogate, which UTF-8 cannot; R(x) is compared
// as UTF-8 carries it.
// The input also builds a model directly, with texts of every kind; read
// back after its first writing, it must rewrite stably the same way.
// Finally, DecodeProfile of any text decodes its own encoding to itself.

#include "ConfigReader.h"
#include "ConfigWriter.h"

#include <QIODevice>
#include <QTextStream>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

ConfigContents ReadBytes(const QByteArray& bytes)
{
    QTextStream in(bytes, QIODevice::ReadOnly);
    in.setEncoding(QStringConverter::System);
    return ParseConfig(in);
}

ConfigContents ReadText(const QString& text)
{
    QString copy = text;
    QTextStream in(&copy, QIODevice::ReadOnly);
    return ParseConfig(in);
}

QByteArray Written(QList<ConfigSection> sections, const QList<Profile>& profiles)
{
    sections[int(SectionIndex::Profile)].Entries = EncodeProfiles(sections, profiles);
    QByteArray bytes;
    QTextStream out(&bytes, QIODevice::WriteOnly);
    out.setEncoding(QStringConverter::System);
    WriteConfigText(out, sections);
    out.flush();
    return bytes;
}

bool SameEntries(const QList<ConfigEntry>& a, const QList<ConfigEntry>& b, bool withValues)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype e = 0; e < a.size(); ++e) {
        if (a[e].Name != b[e].Name || (withValues && a[e].Value != b[e].Value))
            return false;
    }
    return true;
}

bool SameProfile(const Profile& a, const Profile& b)
{
    return a.Name == b.Name && a.Arguments == b.Arguments && a.Indices == b.Indices;
}

bool SameProfiles(const QList<Profile>& a, const QList<Profile>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype p = 0; p < a.size(); ++p) {
        if (!SameProfile(a[p], b[p]))
            return false;
    }
    return true;
}

bool CarriedByFile(const QString& text)
{
    return !text.contains(u'"') && !text.contains(u'\n');
}

void RequireWellFormed(const ConfigContents& contents)
{
    Require(contents.Sections.size() == SectionCount, "four sections");
    for (int s = 0; s < SectionCount; ++s) {
        const ConfigSection& section = contents.Sections[s];
        Require(section.Header == SectionHeader(static_cast<SectionIndex>(s)), "canonical headers");
        Require(!section.Entries.isEmpty(), "no section without entries");
        for (const ConfigEntry& entry : section.Entries) {
            Require(!entry.Name.isEmpty(), "no empty name");
            Require(CarriedByFile(entry.Name) && CarriedByFile(entry.Value), "no quote or line break read");
            Require(!entry.Name.contains(QLatin1String("\\t")), "no backslash-t left in a name");
        }
    }
    const QList<ConfigEntry>& profileEntries = contents.Sections[int(SectionIndex::Profile)].Entries;
    Require(contents.Profiles.size() == profileEntries.size(), "one profile per Profile entry");
    for (qsizetype p = 0; p < contents.Profiles.size(); ++p) {
        Require(contents.Profiles[p].Name == profileEntries[p].Name, "profile named after its entry");
        Require(contents.Profiles[p].Indices.size() == OptionSectionCount, "one index per option section");
    }
}

// The text as a UTF-8 file carries it: a lone surrogate becomes U+FFFD.
QString ThroughUtf8(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

// The model as a file in UTF-8 can hold it.
ConfigContents ThroughUtf8(ConfigContents contents)
{
    for (ConfigSection& section : contents.Sections) {
        for (ConfigEntry& entry : section.Entries)
            entry = ConfigEntry{ThroughUtf8(entry.Name), ThroughUtf8(entry.Value)};
    }
    for (Profile& profile : contents.Profiles) {
        profile.Name = ThroughUtf8(profile.Name);
        profile.Arguments = ThroughUtf8(profile.Arguments);
    }
    return contents;
}

// The properties of the file comment, starting from a first reading.
void RequireStableRewriting(const ConfigContents& read)
{
    RequireWellFormed(read);
    const ConfigContents first = ThroughUtf8(read);
    const QByteArray firstWritten = Written(read.Sections, read.Profiles);
    Require(Written(first.Sections, first.Profiles) == firstWritten, "written as UTF-8 carries it");
    const ConfigContents second = ReadBytes(firstWritten);
    RequireWellFormed(second);
    Require(second.Version == ConfigVersion, "the current version written");
    Require(SameEntries(first.Sections[0].Entries, second.Sections[0].Entries, false), "Profile names kept");
    for (int s = 1; s < SectionCount; ++s)
        Require(SameEntries(first.Sections[s].Entries, second.Sections[s].Entries, true), "option entries kept");
    Require(SameProfiles(first.Profiles, second.Profiles), "profiles kept");
    Require(Written(second.Sections, second.Profiles) == firstWritten, "second writing identical");
}

void RequireProfileRoundTrip(const QString& value)
{
    const Profile decoded = DecodeProfile(ConfigEntry{QStringLiteral("p"), value});
    Require(decoded.Arguments.isEmpty()
                || (decoded.Arguments[0] == u' ' && decoded.Arguments.mid(1) == decoded.Arguments.simplified()),
            "arguments joined by single blanks");
    const QString encoded = EncodeProfile(EmptySections(), decoded);
    Require(SameProfile(DecodeProfile(ConfigEntry{QStringLiteral("p"), encoded}), decoded),
            "a profile decodes from its encoding");
}

// A model straight from the input: pieces between 0x1F bytes alternate
// between names and values, dealt out to the sections in turn; the Profile
// section's pairs become profiles.
ConfigContents ModelFromPieces(const QString& text)
{
    const QStringList pieces = text.split(QChar(0x1F));
    ConfigContents model;
    model.Sections = EmptySections();
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        const ConfigEntry entry{pieces[i], pieces[i + 1]};
        const int section = int((i / 2) % SectionCount);
        model.Sections[section].Entries.append(entry);
        if (section == int(SectionIndex::Profile))
            model.Profiles.append(DecodeProfile(entry));
    }
    return model;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);

    RequireStableRewriting(ReadBytes(bytes));
    RequireStableRewriting(ReadText(text));

    const ConfigContents built = ModelFromPieces(text);
    RequireStableRewriting(ReadBytes(Written(built.Sections, built.Profiles)));

    RequireProfileRoundTrip(text);
    return 0;
}
