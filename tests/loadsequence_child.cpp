// Builds the launcher's main window the way the launcher does, answers every
// message box like a user clicking its first button, and reports what it saw
// on standard output:
//   box:<title>|<text>|<informative text>   for every message box
//   profiles:<name>,<name>...               once the window is built
// The window is destroyed on the way out, which saves the configuration.

#include "MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

namespace {

void Report(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

void AnswerMessageBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->buttons().isEmpty())
        return;
    Report(QStringLiteral("box:%1|%2|%3").arg(box->windowTitle(), box->text(), box->informativeText()));
    box->buttons().constFirst()->click();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, &AnswerMessageBox);
    answerer.start(10);

    MainWindow window(nullptr);
    QStringList names;
    for (const Profile& profile : window.Profiles)
        names << profile.Name;
    Report(QStringLiteral("profiles:") + names.join(u','));
    return 0;
}
