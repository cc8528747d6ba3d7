#include "mainwindow/TeamPasswordDialog.h"

#include "platform/AccessKeys.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TeamPasswordDialog::TeamPasswordDialog(const QString& user, const QString& server, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TeamPasswordDialog"));
    setWindowTitle(QStringLiteral("Team Database Password"));

    auto* question = new QLabel(this);
    question->setObjectName(QStringLiteral("lbl_PasswordQuestion"));
    question->setTextFormat(Qt::PlainText);
    question->setText(QStringLiteral("The server %1 asks for the password of %2.")
                          .arg(server, user.isEmpty() ? QStringLiteral("your login") : user));
    question->setWordWrap(true);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("lbl_PasswordMessage"));
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setStyleSheet(QStringLiteral("color: #b00020"));
    m_message->hide();

    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txt_Password"));
    m_password->setEchoMode(QLineEdit::Password);
    auto* label = new QLabel(QStringLiteral("&Password:"), this);
    label->setBuddy(m_password);
    m_remember = new QCheckBox(QStringLiteral("&Remember in the desktop's keyring"), this);
    m_remember->setObjectName(QStringLiteral("chk_Remember"));
    m_remember->setChecked(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(label, m_password);
    form->addRow(QString(), m_remember);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(m_message);
    layout->addLayout(form);
    layout->addStretch(1);
    layout->addWidget(buttons);
    AccessKeys::assignButtons(this);
    m_password->setFocus();
}

void TeamPasswordDialog::setMessage(const QString& message) {
    m_message->setText(message);
    m_message->setVisible(!message.isEmpty());
}

QString TeamPasswordDialog::password() const {
    return m_password->text();
}

bool TeamPasswordDialog::remember() const {
    return m_remember->isChecked();
}
