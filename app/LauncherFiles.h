#pragma once

#include <QString>

// The launcher's four files; the values are passed as plain integers.
enum class LauncherFile : int
{
    UserConfig = 0,
    DefaultConfig = 1,
    HelpPage = 2,
    Emulator = 3,
};

// The absolute path of a launcher file, computed afresh at every call; an
// empty string for a kind outside the enumeration.
QString LauncherFilePath(int kind);
QString LauncherFilePath(LauncherFile kind);
