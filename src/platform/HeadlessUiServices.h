#pragma once

#include "platform/UiServices.h"

// The UI services of a process without windows (the command-line tool, the benchmark): nobody
// can be asked, so every message box answers with its safe default (OK, Cancel or No), the file
// dialog is cancelled, the clipboard is this process's own text, and nothing is handed to
// another program.
class HeadlessUiServices : public UiServices {
public:
    Answer messageBox(const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override;
    std::optional<QString> chooseFile(const FileRequest& request) override;
    void setClipboardText(const QString& text) override { m_clipboard = text; }
    QString clipboardText() override { return m_clipboard; }
    void beep() override {}
    void setWaitCursor(bool /*on*/) override {}
    bool openInUserProgram(const QString& pathOrUrl) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    int runProgram(const QString& program, const QStringList& arguments, int waitMs) override;

    // The answer of a message box that nobody can see.
    static Answer defaultAnswer(Buttons buttons);

private:
    QString m_clipboard;
};
