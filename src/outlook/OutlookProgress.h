#pragma once

#include <QString>
#include <functional>

class QObject;

// What the contact operations show while they work: the progress window of the GUI, or a
// silent stand-in where there is none. An object ends itself: at finish(), or, after
// keepOpen(), when the user dismisses the window.
class OutlookProgress {
public:
    virtual ~OutlookProgress() = default;

    // Appends a line to the status.
    virtual void tellEm(const QString& text) = 0;
    // Enables or disables the button that dismisses the window.
    virtual void buttonOn(bool on) = 0;
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressValue(int value) = 0;
    // Closes the window; the object is gone afterwards.
    virtual void finish() = 0;
    // Leaves the window open with the focus until the user presses its button; the object is
    // gone afterwards (at once where there is no window).
    virtual void keepOpen() = 0;

    using Factory = std::function<OutlookProgress*()>;
    using FocusHandler = std::function<void(QObject* window)>;

    // A new progress (shown, not modal), made by the installed factory.
    static OutlookProgress* showProgress();
    // Gives the focus to `window` (through the installed handler; nothing without one).
    static void focusWindow(QObject* window);
    // Installs the factory and the focus handler; empty ones return to the silent stand-in.
    static void setFactory(Factory factory);
    static void setFocusHandler(FocusHandler handler);
};
