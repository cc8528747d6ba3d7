#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>
#include <QUrl>

// The HTML manual shipped with the application: a folder "manual" holding index.html, its
// pages, style sheet and pictures. It is looked for beside the executable (where the build
// puts it), then in the installed data folders ("<prefix>/share/corvane/manual" next to the
// executable's prefix, then each XDG data folder's "corvane/manual").
class HelpManual {
public:
    // Topics: a page of the manual, optionally followed by "#" and an anchor on it.
    static constexpr const char* Contents = "index.html";
    static constexpr const char* EditorTopic = "editor.html#editor";

    // The folders looked in, in order.
    static QStringList defaultFolders();

    explicit HelpManual(const QStringList& folders = defaultFolders());

    const QStringList& folders() const { return m_folders; }
    // The first folder holding the start page; empty when none does.
    QString folder() const;
    // The file URL of a topic (empty: the start page). Fails when the manual or the topic's
    // page cannot be found, or the topic names a file outside the manual.
    ResultValue<QUrl> topicUrl(const QString& topic = QString()) const;

private:
    QStringList m_folders;
};
