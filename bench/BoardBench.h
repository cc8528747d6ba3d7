#pragma once

#include <QString>

class SettingsStore;

// The pipeline board over the sample file: showing it (the cards of every column read, sorted
// views over them and, with a display, the columns painted), and one card moved to the next
// stage (the write and the board's update) against a bare one-row update of the same file in
// the same run.
class BoardBench {
public:
    BoardBench(const QString& path, SettingsStore& settings);
    void run();

private:
    QString m_path;
    SettingsStore& m_settings;
};
