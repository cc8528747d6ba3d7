#pragma once

#include "platform/UiServices.h"

#include <QList>
#include <QQueue>
#include <functional>
#include <optional>

// UI services that answer from a script and record every call, for headless tests.
// An unscripted message box answers with its safe default (OK, Cancel or No); an unscripted
// file dialog is cancelled.
class ScriptedUiServices : public UiServices {
public:
    struct Message {
        QString text;
        QString title;
        Icon icon;
        Buttons buttons;
    };
    struct Program {
        QString program;
        QStringList arguments;
    };
    // Long work shown through startWork(), as far as it went.
    struct Work {
        QString title;
        QString label;
        qint64 maximum = 0;
        qint64 value = 0;
        bool cancelled = false;
        bool ended = false; // the progress object is gone (its dialog closed)
    };

    ScriptedUiServices() = default;

    // Scripting.
    void queueAnswer(Answer answer) { m_answers.enqueue(answer); }
    void queueFile(const std::optional<QString>& path) { m_files.enqueue(path); }
    // The state a file dialog's check box is left in when the dialog chooses a file; unscripted,
    // the check box stays as the request shows it.
    void queueCheckBox(bool checked) { m_checkBoxes.enqueue(checked); }
    // Runs when the next message box is shown, before it answers (for modal interplay).
    void onMessage(std::function<void(const Message&)> hook) { m_messageHook = std::move(hook); }
    void setOpenSucceeds(bool ok) { m_openSucceeds = ok; }
    void setStartSucceeds(bool ok) { m_startSucceeds = ok; }
    // The exit status runProgram answers (recorded in started()); -1 when starts fail.
    void setRunExitStatus(int status) { m_runExitStatus = status; }

    // The next long work cancels once its value reaches `value` (0: at its first step).
    void cancelWorkAt(qint64 value) { m_cancelAt = value; }

    // Records.
    const QList<Message>& messages() const { return m_messages; }
    const QList<FileRequest>& fileRequests() const { return m_fileRequests; }
    const QStringList& opened() const { return m_opened; }
    const QList<Program>& started() const { return m_started; }
    const QList<bool>& waitCursorChanges() const { return m_waitCursor; }
    const QList<Work>& works() const { return m_works; }
    int beeps() const { return m_beeps; }
    int pendingAnswers() const { return static_cast<int>(m_answers.size()); }
    int pendingFiles() const { return static_cast<int>(m_files.size()); }
    void clearRecords();

    // UiServices.
    Answer messageBox(const QString& text, const QString& title, Icon icon,
                      Buttons buttons) override;
    std::optional<QString> chooseFile(const FileRequest& request) override;
    void setClipboardText(const QString& text) override { m_clipboard = text; }
    QString clipboardText() override { return m_clipboard; }
    void beep() override { ++m_beeps; }
    void setWaitCursor(bool on) override { m_waitCursor.append(on); }
    bool openInUserProgram(const QString& pathOrUrl) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    int runProgram(const QString& program, const QStringList& arguments, int waitMs) override;
    std::unique_ptr<WorkProgress> startWork(const QString& title, const QString& label) override;

private:
    class Progress;
    QList<Work> m_works;
    std::optional<qint64> m_cancelAt;
    QQueue<Answer> m_answers;
    QQueue<std::optional<QString>> m_files;
    QQueue<bool> m_checkBoxes;
    std::function<void(const Message&)> m_messageHook;
    QList<Message> m_messages;
    QList<FileRequest> m_fileRequests;
    QStringList m_opened;
    QList<Program> m_started;
    QList<bool> m_waitCursor;
    QString m_clipboard;
    int m_beeps = 0;
    bool m_openSucceeds = true;
    bool m_startSucceeds = true;
    int m_runExitStatus = 0;
};
