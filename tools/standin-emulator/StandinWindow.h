#pragma once

#include "StandinCommandLine.h"

#include <QWidget>

// The stand-in emulator's one window: titled "Mirelva Emulator (stand-in)",
// sized by the command line, listing the arguments one per row in a list
// whose object name is "arguments".
class StandinWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StandinWindow)

public:
    explicit StandinWindow(const StandinCommandLine& commandLine, QWidget* parent = nullptr);
    ~StandinWindow() override;
};
