#pragma once

#include <QList>
#include <QString>

class QComboBox;

// One named choice of a section: one entry line of the configuration file.
struct ConfigEntry
{
    QString Name;
    QString Value;
};

// One bracketed section of the configuration file.
struct ConfigSection
{
    QString Header;             // exactly as in the file, brackets included
    QList<ConfigEntry> Entries;
    QComboBox* ComboBox = nullptr; // the option list showing the entries; not owned
};

// One launch profile. Indices hold the chosen entry of the Resolution,
// PixelDensity and Input sections, in that order; an index that names no
// entry means "no choice".
struct Profile
{
    QString Name;
    QString Arguments;
    QList<qint32> Indices{0, 0, 0};
};

enum class SectionIndex : int
{
    Profile = 0,
    Resolution = 1,
    PixelDensity = 2,
    Input = 3,
};

inline constexpr int SectionCount = 4;
inline constexpr int OptionSectionCount = SectionCount - 1;

// The header of each section, in SectionIndex order.
QString SectionHeader(SectionIndex section);

// Turns a header such as "[PixelDensity]" into display text ("Pixel Density").
QString SectionTitle(const QString& header, bool lowerCase);
