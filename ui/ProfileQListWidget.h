#pragma once

#include <QListWidget>

// The profile list: as wide as its widest profile name plus a scroll bar,
// and a fixed preferred height.
class ProfileQListWidget final : public QListWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProfileQListWidget)

public:
    explicit ProfileQListWidget(QWidget* parent = nullptr);

    QSize sizeHint() const override;
};
