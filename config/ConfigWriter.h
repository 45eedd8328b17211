#pragma once

#include "ConfigModel.h"

class QTextStream;

// The value text of a profile's entry: the three header/index pairs, each
// followed by a blank, then the arguments trimmed at both ends.
QString EncodeProfile(const QList<ConfigSection>& sections, const Profile& profile);

// The Profile section's entries rebuilt from the profiles.
QList<ConfigEntry> EncodeProfiles(const QList<ConfigSection>& sections, const QList<Profile>& profiles);

// Writes the whole file in its canonical layout.
void WriteConfigText(QTextStream& out, const QList<ConfigSection>& sections);

// Writes the file through a temporary file that replaces it only once it has
// been written completely, so that a failed save leaves the previous file
// whole. Returns false when the folder cannot be made or the file cannot be
// written or committed.
bool SaveConfigFile(const QString& path, const QList<ConfigSection>& sections);
