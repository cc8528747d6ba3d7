#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class AboutDialog;
}

// The about box: the application's title and version, the versions of Qt, SQLite and libical
// with a button that copies them, OK, and "System Info..." which starts the system-information
// program. Shown modally, owned by the main window.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

    // Starts the system-information program (SystemInfoRegistry), or tells that none is
    // available.
    static void startSysInfo();

private:
    void load();
    void copyVersions();

    std::unique_ptr<Ui::AboutDialog> m_ui;
};
