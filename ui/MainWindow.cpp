#include "MainWindow.h"

#include "LauncherFiles.h"

#include <QDir>
#include <QMessageBox>

#include <cstdlib>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Mirelva Emulator"));
    LoadConfigOrExit();

    setCentralWidget(new QWidget(this));
}

MainWindow::~MainWindow()
{
    if (WriteConfig())
        return;
    const QString path = QDir::toNativeSeparators(LauncherFilePath(LauncherFile::UserConfig));
    QMessageBox::warning(nullptr, QStringLiteral("Mirelva Emulator Launcher Warning"),
                         QStringLiteral("Unable to save the launcher configuration to %1.").arg(path),
                         QMessageBox::Ok, QMessageBox::NoButton);
}

void MainWindow::LoadConfigOrExit()
{
    if (ReadConfig(LauncherFilePath(LauncherFile::UserConfig), true))
        return;
    if (ReadConfig(LauncherFilePath(LauncherFile::DefaultConfig), false))
        return;
    {
        QMessageBox box;
        box.setWindowTitle(QStringLiteral("Mirelva Emulator"));
        box.setText(QStringLiteral("Unable to start Mirelva Emulator Launcher"));
        box.setInformativeText(QStringLiteral("Unable to read configuration file."));
        box.setIcon(QMessageBox::Critical);
        box.exec();
    }
    std::exit(1);
}
