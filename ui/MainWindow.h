#pragma once

#include "ConfigModel.h"

#include <QMainWindow>

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

    QList<Profile> Profiles;
    QList<ConfigSection> Sections;

private:
    void LoadConfigOrExit();
};
