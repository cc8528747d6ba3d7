#include "platform/QtWorkProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QPushButton>

namespace {
// QProgressDialog counts in int: larger totals are shown in proportion.
constexpr qint64 DialogSteps = 1000;
} // namespace

QtWorkProgress::QtWorkProgress(const QString& title, const QString& label, QWidget* parent)
    : m_dialog(new QProgressDialog(parent)) {
    m_dialog->setWindowTitle(title);
    m_dialog->setLabelText(label);
    m_dialog->setCancelButton(
        new QPushButton(QCoreApplication::translate("QtWorkProgress", "&Cancel")));
    // Application-modal: no other command may start while this work runs.
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(500);
    m_dialog->setRange(0, 0);
    m_dialog->setValue(0);
}

QtWorkProgress::~QtWorkProgress() {
    if (m_dialog)
        delete m_dialog.data();
}

void QtWorkProgress::setMaximum(qint64 maximum) {
    if (maximum == m_maximum || !m_dialog)
        return;
    m_maximum = maximum;
    m_dialog->setRange(0, maximum > 0 ? int(DialogSteps) : 0);
}

bool QtWorkProgress::setValue(qint64 value) {
    if (!m_dialog)
        return !m_cancelled;
    const int shown = m_maximum > 0
                          ? int(qBound<qint64>(0, value * DialogSteps / m_maximum, DialogSteps - 1))
                          : 0;
    // A shown modal progress dialog processes the events as its value changes. Otherwise they
    // are processed here, to keep the windows painted and to let the dialog show itself after
    // its delay; until it is shown, the user's input waits, so no other command starts.
    if (shown != m_dialog->value())
        m_dialog->setValue(shown);
    else if (m_dialog->isVisible())
        QCoreApplication::processEvents();
    else
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (m_dialog->wasCanceled())
        m_cancelled = true;
    return !m_cancelled;
}

void QtWorkProgress::setLabel(const QString& text) {
    if (m_dialog)
        m_dialog->setLabelText(text);
}

bool QtWorkProgress::wasCancelled() const {
    return m_cancelled;
}
