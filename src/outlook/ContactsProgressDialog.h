#pragma once

#include "outlook/OutlookProgress.h"

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QProgressBar;
class QToolButton;

// The small window "Contacts Folder...." that shows the steps of the contact operations:
// the status lines in txtStatus, the progress bar progressOutlook, and the button cmdPushed
// with the mail symbol, which closes the window. Deletes itself when closed.
class ContactsProgressDialog : public QWidget, public OutlookProgress {
    Q_OBJECT
public:
    explicit ContactsProgressDialog(QWidget* parent = nullptr);

    // Makes the contact operations show this window and give the focus to Qt windows.
    static void install();

    // The whole status: every line told so far, each after CR LF.
    const QString& statusText() const { return m_status; }

    void tellEm(const QString& text) override;
    void buttonOn(bool on) override;
    void setProgressMaximum(int maximum) override;
    void setProgressValue(int value) override;
    void finish() override;
    void keepOpen() override;

private:
    // Repaints now and then while the caller keeps the event loop busy.
    void refresh();

    QString m_status;
    QPlainTextEdit* m_txtStatus;
    QProgressBar* m_progressOutlook;
    QToolButton* m_cmdPushed;
    QElapsedTimer m_sincePaint;
};
