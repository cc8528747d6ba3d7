#pragma once

#include "platform/UiServices.h"

// The UI services of the running application, on Qt's widgets.
class QtUiServices : public UiServices {
public:
    Answer messageBox(const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override;
    std::optional<QString> chooseFile(const FileRequest& request) override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() override;
    void beep() override;
    void setWaitCursor(bool on) override;
    bool openInUserProgram(const QString& pathOrUrl) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    std::unique_ptr<WorkProgress> startWork(const QString& title, const QString& label) override;

private:
    QString m_lastDirectory;
};
