#pragma once

#include "about/HelpManual.h"

#include <QMainWindow>

class QAction;
class QTextBrowser;

// The help window: one page of the manual at a time in txtHelp, with Back, Forward, Home (the
// contents) and "Open in Browser". Links to other sites open in the user's browser. One window
// serves the whole application; it is not modal, and it stays usable over a modal dialog that
// asked for help.
class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    // Shows `topic` ("page.html" or "page.html#anchor"; empty: the contents) in the help window,
    // owned by `owner`'s window. When the manual or the page cannot be found, says so and
    // returns false.
    static bool showTopic(const QString& topic = QString(), QWidget* owner = nullptr,
                          const HelpManual& manual = HelpManual());
    // The help window, when one is open.
    static HelpWindow* instance();

    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows a page of the manual.
    void showUrl(const QUrl& url);

private:
    void openLink(const QUrl& link);
    void updateCommands();

    QTextBrowser* m_txtHelp;
    QAction* m_back;
    QAction* m_forward;
    QAction* m_home;
    QAction* m_browser;
    QUrl m_homeUrl;
};
