#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class WorkProgress;

// Every user-facing interaction goes through this interface: message boxes, the file dialog,
// the clipboard, the beep, the wait cursor, progress of long work and handing a file to another
// program. The real
// implementation uses Qt; tests install a scripted one that records every call.
class UiServices {
public:
    enum class Icon { None, Information, Question, Exclamation, Critical };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
    enum class Answer { Ok, Cancel, Yes, No, Retry };

    struct FileRequest {
        QString title;
        QString defaultSuffix; // added to a typed name without extension
        QString fileName;      // initial file name
        QString directory;     // initial directory; empty = the last one used
        QStringList filters;   // Qt filter texts, such as "*.mdb (*.mdb)"
        // With one entry per filter: the default suffix follows the filter the user picks
        // (a typed "pipeline" becomes "pipeline.txt" under a text filter, not "pipeline.csv").
        QStringList filterSuffixes;
        bool save = false;      // a save dialog (else an open dialog)
        bool mustExist = false; // only existing files may be chosen
        bool confirmOverwrite = false;
        bool folder = false; // choose an existing folder instead of a file
        // A check box shown with the dialog when `checkBox` is set: it starts as *checkBox and
        // leaves its state there when a file is chosen.
        QString checkBoxText;
        bool* checkBox = nullptr;
    };

    virtual ~UiServices() = default;

    // The button pressed; Cancel when the box was closed without one (Escape, the window's
    // close button), also for Yes and No (a box of OK alone answers OK).
    virtual Answer messageBox(const QString& text, const QString& title, Icon icon,
                              Buttons buttons) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> chooseFile(const FileRequest& request) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual QString clipboardText() = 0;
    virtual void beep() = 0;
    virtual void setWaitCursor(bool on) = 0;
    // Opens a file (or URL) in the user's program for it; false when that cannot be done.
    virtual bool openInUserProgram(const QString& pathOrUrl) = 0;
    // Starts a program found on the PATH, detached; false when it is missing or fails to start.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // Starts a program found on the PATH and waits up to `waitMs` for it to end. The result is
    // its exit status when it ended, 0 when it still runs (it is left running, also past the
    // end of this process), and -1 when it is missing, cannot start or crashed.
    virtual int runProgram(const QString& program, const QStringList& arguments, int waitMs) {
        return runAndWait(program, arguments, waitMs);
    }
    // Shows long work: a progress dialog with Cancel over the active window (shown only when
    // the work lasts more than about half a second). The dialog closes with the object.
    virtual std::unique_ptr<WorkProgress> startWork(const QString& title, const QString& label);
    // The standard way of runProgram, for every implementation.
    static int runAndWait(const QString& program, const QStringList& arguments, int waitMs);

    // The services in force; a Qt implementation unless a test installed its own.
    static UiServices& instance();
    // Installs `services` (not owned); nullptr returns to the default implementation.
    static void setInstance(UiServices* services);
    // Used by instance() when nothing was installed; set by the GUI at start-up.
    static void setDefault(UiServices* services);
};

// Shows the wait cursor for the life of the object.
class WaitCursor {
public:
    WaitCursor() { UiServices::instance().setWaitCursor(true); }
    ~WaitCursor() { UiServices::instance().setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
