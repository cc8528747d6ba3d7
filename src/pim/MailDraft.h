#pragma once

#include "pim/PimResult.h"

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
    // Header lines are folded; recipients that are no valid mailbox are left out.
    QByteArray toMime(const QDateTime& date, const QString& messageId) const;

    // The addresses of a recipient text, split at ";" and "," outside quotes and angle brackets.
    static QStringList addresses(const QString& recipients);
    // The bare address of "name <address>" (or of a bare address).
    static QString bareAddress(const QString& address);
    // An addr-spec of RFC 5322: a dot-atom or quoted local part, "@", a dot-atom domain or a
    // domain literal; ASCII only, at most 254 characters.
    static bool isAddress(const QString& address);
    // "address" or "name <address>" with a valid address.
    static bool isMailbox(const QString& entry);
    // Fails, naming it, at the first recipient that is no valid mailbox.
    static PimResult checkRecipients(const QString& recipients);

    // The message as a mailto: URI (RFC 6068) for a compose window: every value percent-encoded
    // in it, so that no recipient or subject is ever read as a program option. Only valid
    // addresses are taken; attachments are not part of it.
    QString composeUri() const;
};
