// Adding and removing resolutions and pixel densities.

#include "MainWindow.h"

#include "AddDlg.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {

// A name holding one of these would not come back the same from the
// configuration file.
const QStringList NameRefused = {QStringLiteral("\""), QStringLiteral("\\t")};

QList<AddDlgField> NamedFields(const QList<QPair<QString, AddDlgFieldKind>>& numbers)
{
    QList<AddDlgField> fields{{AddDlgFieldKind::Text, QStringLiteral("Name:"), nullptr, NameRefused}};
    for (const auto& [label, kind] : numbers)
        fields.append({kind, label, nullptr, {}});
    return fields;
}

bool ConfirmBiggerThanScreen(QWidget* parent, int width, int height)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    if (width <= screen.width() && height <= screen.height())
        return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Resolution bigger than the current screen size!"),
                    QStringLiteral("You are trying to add: %1x%2\nbut the current screen resolution is: %3x%4\n\nAre you sure ?")
                        .arg(width)
                        .arg(height)
                        .arg(screen.width())
                        .arg(screen.height()),
                    QMessageBox::NoButton, parent);
    const QPushButton* yes = box.addButton(QStringLiteral("Yes"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("No"), QMessageBox::RejectRole);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace

void MainWindow::AppendOptionValue(SectionIndex section, const ConfigEntry& entry)
{
    ConfigSection& target = Sections[int(section)];
    target.Entries.append(entry);
    target.ComboBox->insertItem(target.ComboBox->count(), QIcon(), entry.Name, QVariant());
    target.ComboBox->setCurrentIndex(int(target.Entries.size()) - 1);
}

void MainWindow::OnAddResolution()
{
    const auto number = AddDlgFieldKind::Number;
    AddDlg dialog(this, QStringLiteral("Add Resolution"),
                  NamedFields({{QStringLiteral("Width:"), number}, {QStringLiteral("Height:"), number}}));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString width = dialog.Fields[1].Edit->text();
    const QString height = dialog.Fields[2].Edit->text();
    if (!ConfirmBiggerThanScreen(this, width.toInt(), height.toInt()))
        return;
    AppendOptionValue(SectionIndex::Resolution,
                      {dialog.Fields[0].Edit->text(), QStringLiteral(" -windowsize ") + width + u'x' + height});
}

void MainWindow::OnAddPixelDensity()
{
    AddDlg dialog(this, QStringLiteral("Add Pixel Density"),
                  NamedFields({{QStringLiteral("Pixel Density:"), AddDlgFieldKind::Number}}));
    if (dialog.exec() != QDialog::Accepted)
        return;
    AppendOptionValue(SectionIndex::PixelDensity,
                      {dialog.Fields[0].Edit->text(), QStringLiteral(" -ppi ") + dialog.Fields[1].Edit->text()});
}

void MainWindow::OnRemoveResolution()
{
    if (RemoveOptionValue(int(SectionIndex::Resolution)))
        Sections[int(SectionIndex::Resolution)].ComboBox->setCurrentIndex(0);
}

void MainWindow::OnRemovePixelDensity()
{
    if (RemoveOptionValue(int(SectionIndex::PixelDensity)))
        Sections[int(SectionIndex::PixelDensity)].ComboBox->setCurrentIndex(0);
}

bool MainWindow::RemoveOptionValue(int k)
{
    ConfigSection& section = Sections[k];
    const int current = section.ComboBox->currentIndex();
    // The first entry stays, and a list without a current item (a stored
    // index naming no entry) has nothing to remove.
    if (current < 1 || current >= section.Entries.size())
        return false;

    QString users;
    for (const Profile& profile : std::as_const(Profiles)) {
        if (profile.Indices[k - 1] == current)
            users += profile.Name + u'\n';
    }
    if (!users.isEmpty()) {
        const auto answer = QMessageBox::warning(
            this, QStringLiteral("Confirm remove ") + SectionTitle(section.Header, true),
            QStringLiteral("The following profiles use this option, are you sure you want to continue?\n\n") + users,
            QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
        if (answer != QMessageBox::Yes)
            return false;
    }

    const QString removedValue = section.Entries[current].Value;
    for (Profile& profile : Profiles) {
        qint32& index = profile.Indices[k - 1];
        if (index == current) {
            index = 0;
            if (!profile.Arguments.isEmpty())
                profile.Arguments += u' ';
            profile.Arguments += removedValue;
        } else if (index > current) {
            --index;
        }
    }
    section.Entries.removeAt(current);
    section.ComboBox->removeItem(current);
    return true;
}
