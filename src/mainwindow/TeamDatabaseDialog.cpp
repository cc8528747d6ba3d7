#include "mainwindow/TeamDatabaseDialog.h"

#include "platform/AccessKeys.h"
#include "store/SalesServerStore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

TeamDatabaseDialog::TeamDatabaseDialog(const QStringList& recent, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TeamDatabaseDialog"));
    setWindowTitle(QStringLiteral("Open Team Database"));

    m_location = new QComboBox(this);
    m_location->setObjectName(QStringLiteral("combo_TeamLocation"));
    m_location->setEditable(true);
    m_location->setInsertPolicy(QComboBox::NoInsert);
    m_location->addItems(recent);
    m_location->setCurrentIndex(recent.isEmpty() ? -1 : 0);
    m_location->setMinimumContentsLength(28);
    m_location->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // A stray wheel over the field never swaps the database.
    m_location->setFocusPolicy(Qt::StrongFocus);
    m_location->installEventFilter(this);
    m_location->lineEdit()->setPlaceholderText(
        QStringLiteral("postgresql://user@host:5432/database"));

    auto* label = new QLabel(QStringLiteral("Connection &URI:"), this);
    label->setBuddy(m_location);
    auto* hint = new QLabel(
        QStringLiteral("The form is postgresql://user@host:port/database, optionally followed by "
                       "?sslmode=require. A password is asked for when the server wants one."),
        this);
    hint->setObjectName(QStringLiteral("lbl_TeamHint"));
    hint->setWordWrap(true);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("lbl_TeamNote"));
    m_note->setWordWrap(true);
    m_note->setStyleSheet(QStringLiteral("color: #b00020"));
    m_note->hide();
    connect(m_location, &QComboBox::editTextChanged, m_note, &QLabel::hide);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TeamDatabaseDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(label, m_location);
    form->addRow(QString(), m_note);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addStretch(1);
    layout->addWidget(buttons);
    AccessKeys::assignButtons(this);
    // Room for a whole URI with its port and options on a 640x480 screen.
    resize(qMax(sizeHint().width(), 580), sizeHint().height());
    m_location->setFocus();
}

QString TeamDatabaseDialog::location() const {
    return m_location->currentText().trimmed();
}

QString TeamDatabaseDialog::refusal(const QString& text) {
    const QString trimmed = text.trimmed();
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!SalesServerStore::isServerLocation(trimmed) || !url.isValid())
        return QStringLiteral("Enter a connection URI that starts with postgresql:// or "
                              "postgres://.");
    return QString();
}

void TeamDatabaseDialog::accept() {
    const QString why = refusal(location());
    if (!why.isEmpty()) {
        m_note->setText(why);
        m_note->show();
        // The dialog grows to show the whole note.
        layout()->activate();
        const int needed = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                         : sizeHint().height();
        if (height() < needed)
            resize(width(), needed);
        m_location->setFocus();
        m_location->lineEdit()->selectAll();
        return;
    }
    QDialog::accept();
}

bool TeamDatabaseDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_location && event->type() == QEvent::Wheel && !m_location->hasFocus())
        return true;
    return QDialog::eventFilter(watched, event);
}
