#include "pim/MailDraft.h"

#include "platform/TextForm.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QUuid>

namespace {

// Header values never carry line breaks of their own: a break would start a new header.
QString singleLine(const QString& text) {
    return TextForm::withLineFeeds(text).replace(QLatin1Char('\n'), QLatin1Char(' ')).trimmed();
}

bool isPlainAscii(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    return true;
}

// RFC 2047 encoded words, each short enough for a header line, split between characters.
QByteArray encodedWords(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype length = qMin<qsizetype>(45, utf8.size() - start);
        while (start + length < utf8.size() && (uchar(utf8[start + length]) & 0xC0) == 0x80)
            --length;
        if (!out.isEmpty())
            out.append("\r\n ");
        out.append("=?UTF-8?B?" + utf8.mid(start, length).toBase64() + "?=");
        start += length;
    }
    return out;
}

// Free text for a header (the subject): as it is when plain ASCII, else encoded.
QByteArray headerText(const QString& text) {
    return isPlainAscii(text) ? text.toLatin1() : encodedWords(text);
}

QByteArray displayName(const QString& name) {
    if (!isPlainAscii(name))
        return encodedWords(name);
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    for (const QChar c : name)
        if (specials.contains(c)) {
            QString quoted = name;
            quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
            quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
            return '"' + quoted.toLatin1() + '"';
        }
    return name.toLatin1();
}

QByteArray addressList(const QString& recipients) {
    QByteArray out;
    for (const QString& address : MailDraft::addresses(singleLine(recipients))) {
        if (!out.isEmpty())
            out.append(",\r\n ");
        const QString bare = MailDraft::bareAddress(address);
        const qsizetype open = address.lastIndexOf(QLatin1Char('<'));
        QString name = open > 0 ? address.left(open).trimmed() : QString();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) &&
            name.endsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2);
        if (name.isEmpty())
            out.append(bare.toUtf8());
        else
            out.append(displayName(name) + " <" + bare.toUtf8() + '>');
    }
    return out;
}

// Quoted-printable text with CR LF line ends and lines of at most 76 characters.
QByteArray quotedPrintableBody(const QString& body) {
    const QString text = TextForm::withLineFeeds(body);
    QByteArray out;
    const QList<QByteArray> lines = text.toUtf8().split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QByteArray& line = lines[n];
        QByteArray current;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const uchar c = uchar(line[i]);
            const bool last = i + 1 == line.size();
            QByteArray piece;
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))
                piece = QByteArray(1, char(c));
            else
                piece = '=' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
            if (current.size() + piece.size() > 75) {
                out.append(current + "=\r\n");
                current.clear();
            }
            current.append(piece);
        }
        out.append(current);
        if (n + 1 < lines.size())
            out.append("\r\n");
    }
    return out;
}

QByteArray base64Lines(const QByteArray& content) {
    const QByteArray encoded = content.toBase64();
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < encoded.size(); i += 76)
        out.append(encoded.mid(i, 76) + "\r\n");
    return out;
}

QByteArray quotedParameter(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return '"' + quoted.toLatin1() + '"';
}

// The filename parameters: plain for ASCII names, RFC 2231 for the others.
QByteArray fileNameParameter(const char* parameter, const QString& name) {
    if (isPlainAscii(name))
        return QByteArray(parameter) + '=' + quotedParameter(name);
    return QByteArray(parameter) + "*=UTF-8''" + name.toUtf8().toPercentEncoding();
}

QByteArray textPartHeader() {
    return "Content-Type: text/plain; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n";
}

} // namespace

QStringList MailDraft::addresses(const QString& recipients) {
    QStringList list;
    QString current;
    bool quoted = false;
    bool angle = false;
    for (const QChar c : recipients) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char('<') && !quoted)
            angle = true;
        else if (c == QLatin1Char('>') && !quoted)
            angle = false;
        if ((c == QLatin1Char(';') || c == QLatin1Char(',')) && !quoted && !angle) {
            if (!current.trimmed().isEmpty())
                list.append(current.trimmed());
            current.clear();
        } else {
            current.append(c);
        }
    }
    if (!current.trimmed().isEmpty())
        list.append(current.trimmed());
    return list;
}

QString MailDraft::bareAddress(const QString& address) {
    const qsizetype open = address.lastIndexOf(QLatin1Char('<'));
    const qsizetype close = address.lastIndexOf(QLatin1Char('>'));
    if (open >= 0 && close > open)
        return address.mid(open + 1, close - open - 1).trimmed();
    return address.trimmed();
}

QByteArray MailDraft::toMime(const QDateTime& date, const QString& messageId) const {
    QByteArray out;
    out.append("Date: " + date.toString(Qt::RFC2822Date).toLatin1() + "\r\n");
    out.append("Message-ID: <" + singleLine(messageId).toLatin1() + ">\r\n");
    if (!addresses(To).isEmpty())
        out.append("To: " + addressList(To) + "\r\n");
    if (!addresses(CC).isEmpty())
        out.append("Cc: " + addressList(CC) + "\r\n");
    if (!addresses(BCC).isEmpty())
        out.append("Bcc: " + addressList(BCC) + "\r\n");
    if (!singleLine(Subject).isEmpty())
        out.append("Subject: " + headerText(singleLine(Subject)) + "\r\n");
    out.append("X-Unsent: 1\r\n");
    out.append("MIME-Version: 1.0\r\n");
    if (Attachments.isEmpty()) {
        out.append(textPartHeader());
        out.append("\r\n");
        // A closing soft line break: the body ends exactly where its text ends.
        out.append(quotedPrintableBody(Body));
        out.append("=\r\n");
        return out;
    }
    const QByteArray boundary =
        "=_Corvane_" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    out.append("Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n");
    out.append("\r\nThis is a message in MIME format.\r\n");
    out.append("\r\n--" + boundary + "\r\n");
    out.append(textPartHeader());
    out.append("\r\n");
    out.append(quotedPrintableBody(Body));
    out.append("\r\n");
    const QMimeDatabase types;
    for (const Attachment& attachment : Attachments) {
        const QString name = QFileInfo(singleLine(attachment.displayName)).fileName();
        QString type = types.mimeTypeForFileNameAndData(name, attachment.content).name();
        if (type.isEmpty() || !isPlainAscii(type))
            type = QStringLiteral("application/octet-stream");
        out.append("--" + boundary + "\r\n");
        out.append("Content-Type: " + type.toLatin1() + "; " + fileNameParameter("name", name) +
                   "\r\n");
        out.append("Content-Transfer-Encoding: base64\r\n");
        out.append("Content-Disposition: attachment; " + fileNameParameter("filename", name) +
                   "\r\n");
        out.append("\r\n");
        out.append(base64Lines(attachment.content));
    }
    out.append("--" + boundary + "--\r\n");
    return out;
}
