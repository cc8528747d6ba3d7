#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// A mail message as an RFC 5322 draft: UTF-8 text, quoted-printable body, and when it carries
// attachments a MIME multipart message with each attachment in base64. The draft is marked
// unsent, so mail programs open it for editing and sending.
class MailDraft {
public:
    struct Attachment {
        QString displayName; // its file name is the attachment's name in the message
        QByteArray content;
    };

    QString To;
    QString CC;
    QString BCC;
    QString Subject;
    QString Body;
    QList<Attachment> Attachments;

    // The message text. `date` and `messageId` (without angle brackets) go in the header.
    QByteArray toMime(const QDateTime& date, const QString& messageId) const;

    // The addresses of a recipient text, split at ";" and "," outside quotes and angle brackets.
    static QStringList addresses(const QString& recipients);
    // The bare address of "name <address>" (or of a bare address).
    static QString bareAddress(const QString& address);
};
