#pragma once

#include "platform/WorkProgress.h"

#include <QPointer>

class QProgressDialog;
class QWidget;

// Long work in the window: a modal progress dialog with Cancel that shows itself when
// the work lasts more than about half a second and keeps the windows painted meanwhile.
class QtWorkProgress : public WorkProgress {
public:
    QtWorkProgress(const QString& title, const QString& label, QWidget* parent);
    ~QtWorkProgress() override;
    QtWorkProgress(const QtWorkProgress&) = delete;
    QtWorkProgress& operator=(const QtWorkProgress&) = delete;

    void setMaximum(qint64 maximum) override;
    bool setValue(qint64 value) override;
    void setLabel(const QString& text) override;
    bool wasCancelled() const override;

private:
    QPointer<QProgressDialog> m_dialog;
    qint64 m_maximum = 0;
    bool m_cancelled = false;
};
