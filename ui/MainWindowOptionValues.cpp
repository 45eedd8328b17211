// Adding and removing resolutions and pixel densities.

#include "MainWindow.h"

void MainWindow::OnAddResolution()
{
}

void MainWindow::OnAddPixelDensity()
{
}

void MainWindow::OnRemoveResolution()
{
}

void MainWindow::OnRemovePixelDensity()
{
}

bool MainWindow::RemoveOptionValue(int k)
{
    Q_UNUSED(k);
    return false;
}
