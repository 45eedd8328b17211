#pragma once

#include <QSize>
#include <QStringList>

// What the stand-in emulator makes of its command line.
struct StandinCommandLine
{
    // Every argument after the program name, as received.
    QStringList Arguments;
    // The window's client size: the last valid "-windowsize WxH", else DefaultWindowSize.
    QSize WindowSize;
    // Whether WindowSize came from a valid "-windowsize WxH".
    bool WindowSizeGiven = false;
};

// The size of a window started without a valid -windowsize.
inline constexpr QSize DefaultWindowSize(400, 600);
// The largest width or height taken from -windowsize: the largest that the
// window systems accept (X11 keeps window coordinates in 16 signed bits).
inline constexpr int MaxWindowSide = 32767;

// Reads the arguments that follow the program name. "-windowsize WxH" with W
// and H whole numbers from 1 to MaxWindowSide sets the window size; any other
// value of it is ignored, as is a -windowsize without a value.
StandinCommandLine ParseStandinCommandLine(const QStringList& arguments);
