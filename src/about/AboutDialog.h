#pragma once

#include <QDialog>
#include <memory>

class SettingsStore;

namespace Ui {
class AboutDialog;
}

// The about box: the application's title and version, the versions of Qt, SQLite and libical
// with a button that copies them, OK, and "System Info..." which starts the system-information
// program. Shown modally, owned by the main window.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // The settings may name the system-information program.
    explicit AboutDialog(const SettingsStore& store, QWidget* parent = nullptr);
    ~AboutDialog() override;

    // Starts the system-information program (SystemInfoRegistry), or tells that none is
    // available.
    static void startSysInfo(const SettingsStore& store);

private:
    void load();
    void copyVersions();

    std::unique_ptr<Ui::AboutDialog> m_ui;
};
