#include "outlook/ContactsProgressDialog.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// The mail symbol of the button: a closed envelope.
QIcon envelopeIcon() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(4, 10, 40, 28);
    painter.setPen(QPen(QColor(0x1f, 0x4e, 0x9a), 2));
    painter.setBrush(QColor(0xe8, 0xf0, 0xfb));
    painter.drawRoundedRect(body, 3, 3);
    painter.drawLine(body.topLeft(), QPointF(body.center().x(), body.center().y() + 2));
    painter.drawLine(body.topRight(), QPointF(body.center().x(), body.center().y() + 2));
    return QIcon(pixmap);
}
} // namespace

ContactsProgressDialog::ContactsProgressDialog(QWidget* parent)
    : QWidget(parent, Qt::Window), m_txtStatus(new QPlainTextEdit(this)),
      m_progressOutlook(new QProgressBar(this)), m_cmdPushed(new QToolButton(this)) {
    setObjectName(QStringLiteral("ContactsProgressDialog"));
    setWindowTitle(QStringLiteral("Contacts Folder...."));
    setAttribute(Qt::WA_DeleteOnClose);
    // A window left open after a failed test must not keep the application running.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_txtStatus->setObjectName(QStringLiteral("txtStatus"));
    m_txtStatus->setReadOnly(true);
    m_txtStatus->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_progressOutlook->setObjectName(QStringLiteral("progressOutlook"));
    m_progressOutlook->setTextVisible(false);
    m_cmdPushed->setObjectName(QStringLiteral("cmdPushed"));
    m_cmdPushed->setIcon(envelopeIcon());
    m_cmdPushed->setIconSize(QSize(48, 48));
    m_cmdPushed->setToolTip(QStringLiteral("Close"));

    auto* right = new QVBoxLayout;
    right->addWidget(m_txtStatus, 1);
    right->addWidget(m_progressOutlook);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_cmdPushed, 0, Qt::AlignTop);
    layout->addLayout(right, 1);
    resize(420, 200);

    // On load: empty status, button off.
    m_status.clear();
    m_cmdPushed->setEnabled(false);
    connect(m_cmdPushed, &QToolButton::clicked, this, &QWidget::close);
    m_sincePaint.start();
}

void ContactsProgressDialog::install() {
    OutlookProgress::setFactory([]() -> OutlookProgress* {
        auto* window = new ContactsProgressDialog;
        window->show();
        return window;
    });
    OutlookProgress::setFocusHandler([](QObject* object) {
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            widget->activateWindow();
            widget->setFocus();
        }
    });
}

void ContactsProgressDialog::tellEm(const QString& text) {
    m_status += QStringLiteral("\r\n") + text;
    // The widget gets the new line only (one paragraph each), so long reads stay fast; it
    // shows the same text as the status, starting with its empty first line.
    if (m_status.size() == 2 + text.size())
        m_txtStatus->setPlainText(QStringLiteral("\n") + text); // the first line
    else
        m_txtStatus->appendPlainText(text);
    m_txtStatus->moveCursor(QTextCursor::End);
    refresh();
}

void ContactsProgressDialog::buttonOn(bool on) {
    m_cmdPushed->setEnabled(on);
}

void ContactsProgressDialog::setProgressMaximum(int maximum) {
    m_progressOutlook->setMaximum(maximum);
}

void ContactsProgressDialog::setProgressValue(int value) {
    m_progressOutlook->setValue(value);
    refresh();
}

void ContactsProgressDialog::finish() {
    close();
}

void ContactsProgressDialog::keepOpen() {
    m_txtStatus->ensureCursorVisible();
    show();
    raise();
    activateWindow();
    m_cmdPushed->setFocus();
}

void ContactsProgressDialog::refresh() {
    if (m_sincePaint.elapsed() < 100 || !isVisible())
        return;
    m_txtStatus->ensureCursorVisible();
    repaint();
    m_sincePaint.restart();
}
