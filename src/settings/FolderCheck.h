#pragma once

#include <QString>

// Whether a folder of the mail, calendar and contacts adapter can be used: read (contacts) or
// read and written (calendar, drafts). A folder that does not exist yet passes when it can be
// made, since the adapter makes it when first used. Nothing is created by the check.
class FolderCheck {
public:
    static FolderCheck check(const QString& path, bool writable);

    bool ok() const { return m_ok; }
    // One sentence for the user.
    const QString& text() const { return m_text; }

private:
    FolderCheck(bool ok, const QString& text) : m_ok(ok), m_text(text) {}

    bool m_ok;
    QString m_text;
};
