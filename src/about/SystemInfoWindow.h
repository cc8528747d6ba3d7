#pragma once

#include <QDialog>

class QPlainTextEdit;
class SettingsStore;

// Corvane's own summary of the system (SystemSummary), with Copy for a problem report, and a
// button that starts the installed system-information program when there is one
// (SystemInfoRegistry). Opened from the about box, over it.
class SystemInfoWindow : public QDialog {
    Q_OBJECT
public:
    explicit SystemInfoWindow(const SettingsStore& store, QWidget* parent = nullptr);

private:
    void copySummary();
    void startProgram();

    const SettingsStore& m_store;
    QPlainTextEdit* m_summary = nullptr;
};
