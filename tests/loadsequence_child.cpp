// Builds the launcher's main window the way the launcher does, answers every
// message box like a user clicking its first button, and reports what it saw
// on standard output:
//   box:<title>|<text>|<informative text>   for every message box
//   profiles:<name>,<name>...               once the window is built
// Then it works through its arguments as a user would:
//   row=<n>          selects profile row n
//   combo=<k>:<i>    selects entry i in the option list of section k
//   args=<text>      types text into the arguments field
//   launch           clicks Launch
// and reports the window's state as
//   state:<row>|<index>,<index>,<index>|<arguments>
// The window is destroyed on the way out, which saves the configuration.

#include "MainWindow.h"
#include "ProfileQListWidget.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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

void Perform(MainWindow& window, const QString& command)
{
    const QString value = command.section(u'=', 1);
    if (command.startsWith(QLatin1String("row=")))
        window.ProfileList->setCurrentRow(value.toInt());
    else if (command.startsWith(QLatin1String("combo=")))
        window.Sections[value.section(u':', 0, 0).toInt()].ComboBox->setCurrentIndex(value.section(u':', 1).toInt());
    else if (command.startsWith(QLatin1String("args=")))
        window.ArgumentsEdit->setText(value);
    else if (command == QLatin1String("launch")) {
        const auto buttons = window.findChildren<QPushButton*>();
        for (QPushButton* button : buttons) {
            if (button->text() == QLatin1String("&Launch"))
                button->click();
        }
    }
}

void ReportState(const MainWindow& window)
{
    QStringList indices;
    for (int k = 1; k < window.Sections.size(); ++k)
        indices << QString::number(window.Sections[k].ComboBox->currentIndex());
    Report(QStringLiteral("state:%1|%2|%3")
               .arg(window.ProfileList->currentRow())
               .arg(indices.join(u','), window.ArgumentsEdit->text()));
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
    const QStringList commands = app.arguments().mid(1);
    for (const QString& command : commands)
        Perform(window, command);
    if (!commands.isEmpty())
        ReportState(window);
    return 0;
}
