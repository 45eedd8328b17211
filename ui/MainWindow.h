#pragma once

#include "ConfigModel.h"

#include <QMainWindow>

class ProfileQListWidget;
class QGridLayout;
class QLineEdit;
class QPushButton;

// The launcher's one window and the owner of its model, which it loads when
// it is built and writes back to the user's configuration when destroyed.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    bool ReadConfig(const QString& path, bool isUserConfig);
    QString RenameOutdatedConfig(int version);
    bool WriteConfig();
    QString EncodeProfile(const Profile& profile) const;

    void RefreshAddUpdateButton();
    QString EncodeCurrentSelection() const;
    void CopySelectionToProfile(Profile& profile) const;
    bool RemoveOptionValue(int k);

    QList<Profile> Profiles;
    QList<ConfigSection> Sections;
    ProfileQListWidget* ProfileList = nullptr;
    QPushButton* AddUpdateProfileButton = nullptr;
    QPushButton* RemoveProfileButton = nullptr;
    QLineEdit* ArgumentsEdit = nullptr;
    QPushButton* RemoveResolutionButton = nullptr;
    QPushButton* RemovePixelDensityButton = nullptr;

public slots:
    void OnProfileChanged(int index);
    void OnAddUpdateProfile();
    void OnRemoveProfile();
    void OnResolution(int index);
    void OnAddResolution();
    void OnRemoveResolution();
    void OnPixelDensity(int index);
    void OnAddPixelDensity();
    void OnRemovePixelDensity();
    void OnInput();
    void OnTextCtrlEdit();
    void OnHelp();
    void OnLaunch();

private:
    void LoadConfigOrExit();
    QLayout* CreateProfileGrid();
    QLayout* CreateOptionsForm();
    QGridLayout* CreateOptionRow(int k);
    QWidget* CreateButtonBox();

    int CurrentIndex(int k) const;
    QString SelectedValue(int k) const;
    bool ArgumentsCanBeStored(const QString& title);
    bool AskProfileName(QString* name);
    void AddProfile();
    void AppendOptionValue(SectionIndex section, const ConfigEntry& entry);
};
