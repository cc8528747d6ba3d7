#pragma once

#include <QDialog>
#include <memory>

class SettingsStore;

namespace Ui {
class AboutDialog;
}

// The about box: the application's title and version, the versions of Qt, SQLite and libical
// with a button that copies them, OK, and "System Info..." which opens Corvane's own summary of
// the system (SystemInfoWindow). Shown modally, owned by the main window.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // The settings may name the system-information program.
    explicit AboutDialog(const SettingsStore& store, QWidget* parent = nullptr);
    ~AboutDialog() override;

private:
    // Opens the system summary over the about box.
    void showSystemInfo(const SettingsStore& store);

    void load();
    void copyVersions();

    std::unique_ptr<Ui::AboutDialog> m_ui;
};
