#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmAbout;
}

// The about box: the application's title and version, the versions of Qt, SQLite and libical
// with a button that copies them, OK, and "System Info..." which starts the system-information
// program. Shown modally, owned by the main window.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    // Starts the system-information program (SystemInfoRegistry), or tells that none is
    // available.
    static void StartSysInfo();

private:
    void Form_Load();
    void copyVersions();

    std::unique_ptr<Ui::frmAbout> m_ui;
};
