#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class SettingsDialog;
}

// The settings of Notes, kept with QSettings.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget* parent = nullptr);
    ~SettingsDialog() override;

private:
    void save();

    std::unique_ptr<Ui::SettingsDialog> ui;
};
