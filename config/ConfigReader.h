#pragma once

#include "ConfigModel.h"

#include <QStringView>

class QTextStream;

inline constexpr int ConfigVersion = 106;
inline constexpr int OldestCurrentConfigVersion = 103;

bool IsCurrentConfigVersion(int version);

// How the reader classifies one line of a configuration file. Whether an
// Other line becomes an entry depends on whether a section is current.
enum class ConfigLineKind
{
    Blank,
    Comment,
    Version,
    Header,
    Other,
};

struct ConfigLine
{
    ConfigLineKind Kind = ConfigLineKind::Other;
    int Section = -1;        // the section a Header line opens
    bool HasVersion = false; // whether a Version line carries a number
    qint32 Version = 0;
};

ConfigLine ClassifyConfigLine(QStringView line);

// Reads the name and value of an entry line. Returns false when the line adds
// nothing (it consists of double quotes only).
bool ParseEntryLine(QStringView line, ConfigEntry* entry);

// A whole base-10 integer in the signed 32-bit range, optional leading minus.
bool ParseInt32(QStringView text, qint32* value);

// The four sections with their headers and no entries.
QList<ConfigSection> EmptySections();

// Gives every section without entries one entry named "Default".
void FillEmptySections(QList<ConfigSection>& sections);

Profile DecodeProfile(const ConfigEntry& entry);
QList<Profile> DecodeProfiles(const ConfigSection& profileSection);

struct ConfigContents
{
    QList<ConfigSection> Sections;
    QList<Profile> Profiles;
    qint32 Version = 0;
};

// Reads a whole configuration text. The result always holds four sections
// with at least one entry each, and one profile per Profile entry; the caller
// decides what an out-of-date Version means.
ConfigContents ParseConfig(QTextStream& text);

// What an out-of-date default file leaves: every section reduced to its
// "Default" entry and a single "Default" profile.
ConfigContents DefaultOnlyConfig(qint32 version);
