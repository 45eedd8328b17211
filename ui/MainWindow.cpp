#include "MainWindow.h"

#include "LauncherFiles.h"
#include "ProfileQListWidget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Mirelva Emulator"));
    LoadConfigOrExit();

    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout;

    auto* profileBox = new QGroupBox(QStringLiteral("Profile"));
    layout->addWidget(profileBox);
    auto* profileLayout = new QHBoxLayout;
    profileBox->setLayout(profileLayout);
    profileLayout->addLayout(CreateProfileGrid(), 0);
    QLayout* options = CreateOptionsForm();
    profileLayout->addSpacing(10);
    profileLayout->addLayout(options, 0);

    // Every connection exists now; show the first profile through the
    // same slots that later selections run.
    OnProfileChanged(0);
    OnResolution(0);
    OnPixelDensity(0);

    layout->addWidget(CreateButtonBox());
    central->setLayout(layout);
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

QLayout* MainWindow::CreateProfileGrid()
{
    auto* grid = new QGridLayout;
    ProfileList = new ProfileQListWidget;
    for (const Profile& profile : Profiles)
        ProfileList->addItem(profile.Name);
    ProfileList->setCurrentRow(0);
    connect(ProfileList, SIGNAL(currentRowChanged(int)), this, SLOT(OnProfileChanged(int)));
    grid->addWidget(ProfileList, 0, 0, 1, -1);

    AddUpdateProfileButton = new QPushButton(QStringLiteral("Add"));
    connect(AddUpdateProfileButton, SIGNAL(clicked()), this, SLOT(OnAddUpdateProfile()));
    RemoveProfileButton = new QPushButton(QStringLiteral("Remove"));
    connect(RemoveProfileButton, SIGNAL(clicked()), this, SLOT(OnRemoveProfile()));
    grid->addWidget(AddUpdateProfileButton, 1, 0);
    grid->addWidget(RemoveProfileButton, 1, 1);
    return grid;
}

QLayout* MainWindow::CreateOptionsForm()
{
    auto* form = new QFormLayout;
    for (int k = 1; k <= OptionSectionCount; ++k)
        form->addRow(SectionTitle(Sections[k].Header, false), CreateOptionRow(k));

    ArgumentsEdit = new QLineEdit;
    connect(ArgumentsEdit, SIGNAL(textChanged(QString)), this, SLOT(OnTextCtrlEdit()));
    form->addRow(QStringLiteral("&Arguments"), ArgumentsEdit);
    return form;
}

QGridLayout* MainWindow::CreateOptionRow(int k)
{
    auto* grid = new QGridLayout;
    auto* comboBox = new QComboBox;
    Sections[k].ComboBox = comboBox;
    for (const ConfigEntry& entry : Sections[k].Entries)
        comboBox->addItem(entry.Name);
    grid->addWidget(comboBox, 0, 0, 1, -1);

    QPushButton* addButton = nullptr;
    QPushButton* removeButton = nullptr;
    switch (static_cast<SectionIndex>(k)) {
    case SectionIndex::Resolution:
        connect(comboBox, SIGNAL(currentIndexChanged(int)), this, SLOT(OnResolution(int)));
        addButton = new QPushButton(QStringLiteral("Add"));
        connect(addButton, SIGNAL(clicked()), this, SLOT(OnAddResolution()));
        RemoveResolutionButton = removeButton = new QPushButton(QStringLiteral("Remove"));
        connect(removeButton, SIGNAL(clicked()), this, SLOT(OnRemoveResolution()));
        break;
    case SectionIndex::PixelDensity:
        connect(comboBox, SIGNAL(currentIndexChanged(int)), this, SLOT(OnPixelDensity(int)));
        addButton = new QPushButton(QStringLiteral("Add"));
        connect(addButton, SIGNAL(clicked()), this, SLOT(OnAddPixelDensity()));
        RemovePixelDensityButton = removeButton = new QPushButton(QStringLiteral("Remove"));
        connect(removeButton, SIGNAL(clicked()), this, SLOT(OnRemovePixelDensity()));
        break;
    default:
        connect(comboBox, SIGNAL(currentIndexChanged(int)), this, SLOT(OnInput()));
        break;
    }
    if (addButton) {
        grid->addWidget(addButton, 1, 0);
        grid->addWidget(removeButton, 1, 1);
    }
    comboBox->setCurrentIndex(0);
    return grid;
}

QWidget* MainWindow::CreateButtonBox()
{
    auto* help = new QPushButton(QStringLiteral("&Help"));
    connect(help, SIGNAL(clicked()), this, SLOT(OnHelp()));
    auto* launch = new QPushButton(QStringLiteral("&Launch"));
    connect(launch, SIGNAL(clicked()), this, SLOT(OnLaunch()));
    auto* buttons = new QDialogButtonBox(Qt::Horizontal);
    buttons->addButton(help, QDialogButtonBox::HelpRole);
    buttons->addButton(launch, QDialogButtonBox::AcceptRole);
    return buttons;
}
