#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// What widget-free work takes to tell how far it is: called with the steps done and the total
// (0 when unknown); returns false when the work is to stop (the user cancelled). Work that
// stops leaves nothing half-written.
using ProgressCallback = std::function<bool(qint64 done, qint64 total)>;

// Long work as the user sees it: a progress dialog with Cancel in the window, nothing in a
// process without windows. Made by UiServices::startWork(); the dialog goes with the object.
class WorkProgress {
public:
    virtual ~WorkProgress() = default;

    // The steps in all (0: not known, a busy indicator).
    virtual void setMaximum(qint64 maximum) = 0;
    // Steps done so far; keeps the window painted. False once the user has cancelled.
    virtual bool setValue(qint64 value) = 0;
    virtual void setLabel(const QString& text) = 0;
    virtual bool wasCancelled() const = 0;

    // A callback for widget-free work that reports here.
    ProgressCallback callback() {
        return [this](qint64 done, qint64 total) {
            if (total > 0)
                setMaximum(total);
            return setValue(done);
        };
    }
};

// A progress that nobody sees and that never cancels.
class SilentWorkProgress : public WorkProgress {
public:
    void setMaximum(qint64 /*maximum*/) override {}
    bool setValue(qint64 /*value*/) override { return true; }
    void setLabel(const QString& /*text*/) override {}
    bool wasCancelled() const override { return false; }
};
