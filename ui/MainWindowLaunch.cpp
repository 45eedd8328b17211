// Starting the emulator with the window's choices, and opening the help page.

#include "MainWindow.h"

#include "LauncherFiles.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

QString MainWindow::SelectedValue(int k) const
{
    const int index = CurrentIndex(k);
    const QList<ConfigEntry>& entries = Sections[k].Entries;
    return index >= 0 && index < entries.size() ? entries[index].Value : QString();
}

void MainWindow::OnLaunch()
{
    // Every value carries its own leading blank, so they are joined as they are.
    QString arguments;
    for (int k = 1; k < Sections.size(); ++k)
        arguments += SelectedValue(k);
    arguments += u' ';
    arguments += ArgumentsEdit->text();

    // The emulator's path is passed as the program itself rather than quoted
    // into the command text, so that no character of the launcher's folder
    // name can change which program starts.
    const QString program = LauncherFilePath(LauncherFile::Emulator);
    if (QProcess::startDetached(program, QProcess::splitCommand(arguments)))
        return;
    QMessageBox::critical(this, QStringLiteral("Mirelva Emulator Launcher"),
                          QStringLiteral("Failed to start Mirelva Emulator!"), QMessageBox::Ok,
                          QMessageBox::NoButton);
}

void MainWindow::OnHelp()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(LauncherFilePath(LauncherFile::HelpPage)));
}
