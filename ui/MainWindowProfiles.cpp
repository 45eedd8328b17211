// Showing, adding, updating and removing profiles, and the button states
// that follow the window's selections.

#include "MainWindow.h"

#include "ProfileQListWidget.h"

#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

const QString AddProfileTitle = QStringLiteral("Add Profile");

// The configuration file cannot carry these inside a profile name: a double
// quote ends the name, a line break ends the entry and a backslash followed
// by t comes back as a TAB.
bool NameCanBeStored(const QString& name)
{
    return !name.contains(u'"') && !name.contains(u'\n') && !name.contains(u'\r')
        && !name.contains(QLatin1String("\\t"));
}

// Nor a double quote or a line break inside stored arguments.
bool ArgumentsTextCanBeStored(const QString& arguments)
{
    return !arguments.contains(u'"') && !arguments.contains(u'\n') && !arguments.contains(u'\r');
}

} // namespace

void MainWindow::OnProfileChanged(int index)
{
    if (index < 0 || index >= Profiles.size())
        return;
    const Profile& profile = Profiles[index];
    for (int k = 1; k <= OptionSectionCount; ++k)
        Sections[k].ComboBox->setCurrentIndex(profile.Indices[k - 1]);
    ArgumentsEdit->setText(profile.Arguments);
    RemoveProfileButton->setEnabled(index != 0);
    RefreshAddUpdateButton();
}

void MainWindow::OnResolution(int index)
{
    RemoveResolutionButton->setEnabled(index != 0);
    RefreshAddUpdateButton();
}

void MainWindow::OnPixelDensity(int index)
{
    RemovePixelDensityButton->setEnabled(index != 0);
    RefreshAddUpdateButton();
}

void MainWindow::OnInput()
{
    RefreshAddUpdateButton();
}

void MainWindow::OnTextCtrlEdit()
{
    RefreshAddUpdateButton();
}

void MainWindow::RefreshAddUpdateButton()
{
    const int row = ProfileList->currentRow();
    AddUpdateProfileButton->setText(row == 0 ? QStringLiteral("Add") : QStringLiteral("Update"));
    if (row < 0 || row >= Profiles.size())
        return;
    AddUpdateProfileButton->setEnabled(EncodeCurrentSelection() != EncodeProfile(Profiles[row]));
}

int MainWindow::CurrentIndex(int k) const
{
    return Sections[k].ComboBox->currentIndex();
}

QString MainWindow::EncodeCurrentSelection() const
{
    Profile shown;
    CopySelectionToProfile(shown);
    return EncodeProfile(shown);
}

void MainWindow::CopySelectionToProfile(Profile& profile) const
{
    for (int k = 1; k <= OptionSectionCount; ++k)
        profile.Indices[k - 1] = CurrentIndex(k);
    profile.Arguments = ArgumentsEdit->text();
}

bool MainWindow::ArgumentsCanBeStored(const QString& title)
{
    if (ArgumentsTextCanBeStored(ArgumentsEdit->text()))
        return true;
    QMessageBox::warning(this, title,
                         QStringLiteral("The arguments contain a double quote or a line break, which a "
                                        "profile cannot store. Remove them to store the profile; Launch "
                                        "passes the arguments on as they are."),
                         QMessageBox::Ok, QMessageBox::NoButton);
    return false;
}

// Asks for a new profile's name until the user gives one that can be stored
// or cancels; false when cancelled or left empty.
bool MainWindow::AskProfileName(QString* name)
{
    QString typed;
    while (true) {
        bool accepted = false;
        typed = QInputDialog::getText(this, AddProfileTitle, QStringLiteral("Enter the name for the new profile"),
                                      QLineEdit::Normal, typed, &accepted);
        if (!accepted || typed.isEmpty())
            return false;
        if (NameCanBeStored(typed)) {
            *name = typed;
            return true;
        }
        QMessageBox::warning(this, AddProfileTitle,
                             QStringLiteral("A profile name cannot contain a double quote (\"), a line "
                                            "break or a backslash followed by t (\\t). Please choose "
                                            "another name."),
                             QMessageBox::Ok, QMessageBox::NoButton);
    }
}

void MainWindow::OnAddUpdateProfile()
{
    const int row = ProfileList->currentRow();
    if (row != 0) {
        if (row < 0 || row >= Profiles.size() || !ArgumentsCanBeStored(QStringLiteral("Update Profile")))
            return;
        CopySelectionToProfile(Profiles[row]);
        RefreshAddUpdateButton();
        return;
    }
    if (ArgumentsCanBeStored(AddProfileTitle))
        AddProfile();
}

void MainWindow::AddProfile()
{
    while (true) {
        QString name;
        if (!AskProfileName(&name))
            return;
        const auto found = std::find_if(Profiles.cbegin(), Profiles.cend(),
                                        [&](const Profile& profile) { return profile.Name == name; });
        if (found == Profiles.cend()) {
            Profile profile;
            profile.Name = name;
            CopySelectionToProfile(profile);
            Profiles.append(profile);
            ProfileList->insertItem(ProfileList->count(), name);
            ProfileList->setCurrentRow(int(Profiles.size()) - 1);
            return;
        }
        const int existing = int(found - Profiles.cbegin());
        const auto answer = QMessageBox::question(
            this, AddProfileTitle, QStringLiteral("This profile already exists. Do you want to replace it?"),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton);
        if (answer == QMessageBox::Ok) {
            CopySelectionToProfile(Profiles[existing]);
            ProfileList->setCurrentRow(existing);
            return;
        }
    }
}

void MainWindow::OnRemoveProfile()
{
    const int row = ProfileList->currentRow();
    if (row <= 0 || row >= Profiles.size())
        return;
    const auto answer = QMessageBox::question(
        this, QStringLiteral("Confirm Remove Profile"),
        QStringLiteral("Are you sure you want to remove this profile?\n\n") + Profiles[row].Name,
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton);
    if (answer != QMessageBox::Ok)
        return;
    Profiles.removeAt(row);
    delete ProfileList->takeItem(row);
    ProfileList->setCurrentRow(0);
}
