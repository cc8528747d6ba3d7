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

// RFC 2047 encoded words of at most `bytes` bytes of UTF-8 each, split between characters and
// separated by blanks (where the line may be folded; decoders drop them between words).
QByteArray encodedWords(const QString& text, qsizetype bytes = 36) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype length = qMin<qsizetype>(bytes, utf8.size() - start);
        while (start + length < utf8.size() && (uchar(utf8[start + length]) & 0xC0) == 0x80)
            --length;
        if (!out.isEmpty())
            out.append(' ');
        out.append("=?UTF-8?B?" + utf8.mid(start, length).toBase64() + "?=");
        start += length;
    }
    return out;
}

// Words longer than this cannot be folded and are encoded instead.
constexpr qsizetype LongestPlainWord = 900;

bool hasLongWord(const QString& text) {
    qsizetype word = 0;
    for (const QChar c : text) {
        word = c == QLatin1Char(' ') ? 0 : word + 1;
        if (word > LongestPlainWord)
            return true;
    }
    return false;
}

// Plain text a reader would take for what it is: ASCII without control characters, nothing
// that looks like an encoded word, and no word too long to fold.
bool staysPlain(const QString& text) {
    return isPlainAscii(text) && !text.contains(QLatin1String("=?")) && !hasLongWord(text);
}

// Free text for a header (the subject): as it is when it stays plain, else encoded.
QByteArray headerText(const QString& text) {
    return staysPlain(text) ? text.toLatin1() : encodedWords(text);
}

// The display name of an address: an atom phrase, a quoted string or encoded words.
QByteArray displayName(const QString& name) {
    // One word of 45 bytes (72 characters) holds most names whole: some readers keep the
    // blanks between the words of a name that they should drop.
    if (!staysPlain(name))
        return encodedWords(name, 45);
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

// The display name part of "name <address>": a quoted string without its quotes and escapes,
// other text as it is (double quotes inside a name such as Dana "DJ" Finch included).
QString nameOf(const QString& entry) {
    const qsizetype open = entry.lastIndexOf(QLatin1Char('<'));
    const QString name = open > 0 ? entry.left(open).trimmed() : QString();
    if (name.size() < 2 || !name.startsWith(QLatin1Char('"')) || !name.endsWith(QLatin1Char('"')))
        return name;
    QString unquoted;
    for (qsizetype i = 1; i + 1 < name.size(); ++i) {
        if (name[i] == QLatin1Char('\\') && i + 2 < name.size())
            ++i;
        unquoted.append(name[i]);
    }
    return unquoted;
}

// The checked addresses of a recipient text, as a header value.
QByteArray addressList(const QString& recipients) {
    QByteArray out;
    for (const QString& entry : MailDraft::addresses(singleLine(recipients))) {
        if (!MailDraft::isMailbox(entry))
            continue;
        if (!out.isEmpty())
            out.append(", ");
        const QByteArray bare = MailDraft::bareAddress(entry).toLatin1();
        const QString name = nameOf(entry);
        if (name.isEmpty())
            out.append(bare);
        else
            out.append(displayName(name) + " <" + bare + '>');
    }
    return out;
}

// One header field with CR LF, folded before blanks so that its lines keep to 78 octets where
// the value allows it; no word of a value built here is longer than 998 octets.
QByteArray headerField(const QByteArray& name, const QByteArray& value) {
    constexpr qsizetype Aim = 78;
    const QList<QByteArray> words = value.split(' ');
    QByteArray out;
    QByteArray line = name + ':';
    for (const QByteArray& word : words) {
        // Never fold before an empty word: a folded line must carry more than blanks.
        if (!word.isEmpty() && line.size() + 1 + word.size() > Aim && !line.trimmed().isEmpty() &&
            line.trimmed() != name + ':') {
            out.append(line + "\r\n");
            line.clear();
        }
        line.append(' ' + word);
    }
    out.append(line + "\r\n");
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

// A file name parameter: quoted for short plain names, else RFC 2231 UTF-8 in pieces short
// enough for a header line.
QByteArray fileNameParameter(const char* parameter, const QString& name) {
    if (staysPlain(name) && name.size() <= 60)
        return QByteArray(parameter) + '=' + quotedParameter(name);
    const QByteArray encoded = name.toUtf8().toPercentEncoding();
    constexpr qsizetype Piece = 50;
    if (encoded.size() <= Piece)
        return QByteArray(parameter) + "*=UTF-8''" + encoded;
    QByteArray out;
    qsizetype start = 0;
    for (int n = 0; start < encoded.size(); ++n) {
        qsizetype length = qMin<qsizetype>(Piece, encoded.size() - start);
        // Never split a %XX escape.
        if (start + length < encoded.size()) {
            if (encoded[start + length - 1] == '%')
                length -= 1;
            else if (encoded[start + length - 2] == '%')
                length -= 2;
        }
        if (!out.isEmpty())
            out.append("; ");
        out.append(QByteArray(parameter) + '*' + QByteArray::number(n) +
                   "*=" + (n == 0 ? "UTF-8''" : "") + encoded.mid(start, length));
        start += length;
    }
    return out;
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

namespace {
bool isAtext(QChar c) {
    static const QString specials = QStringLiteral("!#$%&'*+-/=?^_`{|}~");
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || specials.contains(c);
}

// dot-atom: atoms of atext joined by single dots.
bool isDotAtom(QStringView text) {
    if (text.isEmpty() || text.front() == QLatin1Char('.') || text.back() == QLatin1Char('.'))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('.')) {
            if (text[i - 1] == QLatin1Char('.'))
                return false;
        } else if (!isAtext(text[i])) {
            return false;
        }
    }
    return true;
}

// quoted-string: printable ASCII and blanks between quotes, "\" escaping the next character.
bool isQuotedString(QStringView text) {
    if (text.size() < 2 || text.front() != QLatin1Char('"') || text.back() != QLatin1Char('"'))
        return false;
    for (qsizetype i = 1; i + 1 < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == '\\') {
            if (++i + 1 >= text.size())
                return false; // escapes the closing quote
            const char16_t next = text[i].unicode();
            if (next < 0x20 || next > 0x7E)
                return false;
        } else if (c == '"' || (c < 0x20 && c != '\t') || c > 0x7E) {
            return false;
        }
    }
    return true;
}

// domain-literal: "[" printable ASCII other than "[", "]" and "\" "]".
bool isDomainLiteral(QStringView text) {
    if (text.size() < 3 || text.front() != QLatin1Char('[') || text.back() != QLatin1Char(']'))
        return false;
    for (const QChar c : text.sliced(1, text.size() - 2))
        if (c.unicode() < 33 || c.unicode() > 126 || c == QLatin1Char('[') ||
            c == QLatin1Char(']') || c == QLatin1Char('\\'))
            return false;
    return true;
}

QString percentEncoded(const QString& text, const QByteArray& keep = {}) {
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(keep));
}
} // namespace

bool MailDraft::isAddress(const QString& address) {
    if (address.size() > 254)
        return false;
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    if (at <= 0)
        return false;
    const QStringView local = QStringView(address).first(at);
    const QStringView domain = QStringView(address).sliced(at + 1);
    return (isDotAtom(local) || isQuotedString(local)) &&
           (isDotAtom(domain) || isDomainLiteral(domain));
}

bool MailDraft::isMailbox(const QString& entry) {
    const QString trimmed = entry.trimmed();
    const qsizetype open = trimmed.lastIndexOf(QLatin1Char('<'));
    if (open < 0)
        return isAddress(trimmed);
    return trimmed.endsWith(QLatin1Char('>')) &&
           isAddress(trimmed.mid(open + 1, trimmed.size() - open - 2));
}

PimResult MailDraft::checkRecipients(const QString& recipients) {
    for (const QString& entry : addresses(singleLine(recipients)))
        if (!isMailbox(entry))
            return PimResult::failure(
                QStringLiteral("\"%1\" is not an e-mail address.").arg(entry));
    return {};
}

QString MailDraft::composeUri() const {
    QStringList to;
    for (const QString& entry : addresses(singleLine(To)))
        if (isMailbox(entry))
            to.append(percentEncoded(bareAddress(entry), "@"));
    QStringList fields;
    const auto addressField = [&fields](const char* name, const QString& recipients) {
        QStringList list;
        for (const QString& entry : addresses(singleLine(recipients)))
            if (isMailbox(entry))
                list.append(percentEncoded(bareAddress(entry), "@"));
        if (!list.isEmpty())
            fields.append(QLatin1String(name) + u'=' + list.join(u','));
    };
    addressField("cc", CC);
    addressField("bcc", BCC);
    if (const QString subject = singleLine(Subject); !subject.isEmpty())
        fields.append(QStringLiteral("subject=") + percentEncoded(subject));
    if (!Body.isEmpty()) {
        // Line breaks in a mailto: body are CR LF.
        QString body = TextForm::withLineFeeds(Body);
        body.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        fields.append(QStringLiteral("body=") + percentEncoded(body));
    }
    QString uri = QStringLiteral("mailto:") + to.join(u',');
    if (!fields.isEmpty())
        uri += u'?' + fields.join(u'&');
    return uri;
}

QByteArray MailDraft::toMime(const QDateTime& date, const QString& messageId) const {
    QByteArray out;
    out.append(headerField("Date", date.toString(Qt::RFC2822Date).toLatin1()));
    out.append(headerField("Message-ID", '<' + singleLine(messageId).toLatin1() + '>'));
    for (const auto& [name, recipients] : {std::pair{"To", &To}, {"Cc", &CC}, {"Bcc", &BCC}})
        if (const QByteArray list = addressList(*recipients); !list.isEmpty())
            out.append(headerField(name, list));
    if (const QString subject = singleLine(Subject); !subject.isEmpty())
        out.append(headerField("Subject", headerText(subject)));
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
    out.append(headerField("Content-Type", "multipart/mixed; boundary=\"" + boundary + '"'));
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
        out.append(
            headerField("Content-Type", type.toLatin1() + "; " + fileNameParameter("name", name)));
        out.append("Content-Transfer-Encoding: base64\r\n");
        out.append(headerField("Content-Disposition",
                               "attachment; " + fileNameParameter("filename", name)));
        out.append("\r\n");
        out.append(base64Lines(attachment.content));
    }
    out.append("--" + boundary + "--\r\n");
    return out;
}
