#include "StandinWindow.h"

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

StandinWindow::StandinWindow(const StandinCommandLine& commandLine, QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Mirelva Emulator (stand-in)"));

    const qsizetype count = commandLine.Arguments.size();
    const QString sizeText = QStringLiteral("%1 x %2").arg(commandLine.WindowSize.width())
                                 .arg(commandLine.WindowSize.height());
    auto* summary = new QLabel(this);
    summary->setWordWrap(true);
    summary->setText(
        (count == 0 ? QStringLiteral("This stand-in for MirelvaEmu.exe was started without arguments.")
                    : QStringLiteral("This stand-in for MirelvaEmu.exe was started with %1 argument(s):")
                          .arg(count))
        + u'\n'
        + (commandLine.WindowSizeGiven ? QStringLiteral("Window size %1, from -windowsize.").arg(sizeText)
                                       : QStringLiteral("Window size %1 (the default).").arg(sizeText)));

    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("arguments"));
    list->addItems(commandLine.Arguments);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(list, 1);

    // Any size the command line asks for, even one below what the contents need.
    setMinimumSize(1, 1);
    resize(commandLine.WindowSize);
}

StandinWindow::~StandinWindow() = default;
