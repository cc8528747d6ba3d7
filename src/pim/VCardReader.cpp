#include "pim/VCardReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>
#include <optional>

namespace {

bool equalsNoCase(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() && qstrnicmp(a.data(), a.size(), b.data(), b.size()) == 0;
}

bool endsWithNoCase(QByteArrayView text, QByteArrayView suffix) {
    return text.size() >= suffix.size() && equalsNoCase(text.last(suffix.size()), suffix);
}

// Text in a byte form the parser can split: UTF-16 files are turned into UTF-8, a byte-order
// mark is dropped.
QByteArray normalized(const QByteArray& data) {
    if (data.startsWith("\xEF\xBB\xBF"))
        return data.mid(3);
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(data.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                           : QStringDecoder::Utf16BE);
        const QString text = decoder(QByteArrayView(data).sliced(2));
        return text.toUtf8();
    }
    return data;
}

// The position of the colon that ends the name and parameters, outside quoted parameter values.
qsizetype valueColon(QByteArrayView line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == ':' && !quoted)
            return i;
    }
    return -1;
}

bool hasQuotedPrintableParameter(QByteArrayView head) {
    for (qsizetype i = 0; i + 16 <= head.size(); ++i)
        if (equalsNoCase(head.sliced(i, 16), "QUOTED-PRINTABLE"))
            return true;
    return false;
}

// One logical line while its physical lines are joined. The colon that ends the name and the
// parameters is looked for only in what was added since the last look, and the encoding is
// decided once, when that colon is found: joining stays linear in the size of the text
// however the line is built (thousands of soft breaks, an unclosed quote, endless parameters).
class LogicalLine {
public:
    explicit LogicalLine(QByteArrayView first) { append(first); }
    void append(QByteArrayView more) {
        m_text.append(more);
        if (m_colon >= 0)
            return;
        for (; m_scanned < m_text.size(); ++m_scanned) {
            const char c = m_text[m_scanned];
            if (c == '"') {
                m_quoted = !m_quoted;
            } else if (c == ':' && !m_quoted) {
                m_colon = m_scanned;
                m_quotedPrintable =
                    hasQuotedPrintableParameter(QByteArrayView(m_text).first(m_colon));
                break;
            }
        }
    }
    // A quoted-printable value that ends with "=" goes on in the next physical line.
    bool softBreak() const { return m_quotedPrintable && m_text.endsWith('='); }
    void dropSoftBreak() { m_text.chop(1); }
    QByteArray take() { return std::move(m_text); }

private:
    QByteArray m_text;
    qsizetype m_scanned = 0;
    qsizetype m_colon = -1;
    bool m_quoted = false;
    bool m_quotedPrintable = false;
};

// Splits the text into logical lines: folded lines (continued by a leading space or tab) are
// joined, and so are quoted-printable soft line breaks ("=" at the end of a line).
QList<QByteArray> logicalLines(const QByteArray& data) {
    QList<QByteArray> lines;
    std::optional<LogicalLine> current;
    const char separator = data.contains('\n') ? '\n' : '\r';
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf(separator, start);
        if (end < 0)
            end = data.size();
        QByteArrayView line = QByteArrayView(data).sliced(start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (current && current->softBreak()) {
            current->dropSoftBreak();
            current->append(line);
        } else if (current && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            current->append(line.sliced(1));
        } else if (!line.trimmed().isEmpty()) {
            if (current)
                lines.append(current->take());
            current.emplace(line);
        }
    }
    if (current)
        lines.append(current->take());
    return lines;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(QByteArrayView value) {
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '=' && i + 2 < value.size() && hexValue(value[i + 1]) >= 0 &&
            hexValue(value[i + 2]) >= 0) {
            out.append(char(hexValue(value[i + 1]) * 16 + hexValue(value[i + 2])));
            i += 2;
        } else if (c == '=' && i + 1 == value.size()) {
            // a soft break left at the very end
        } else {
            out.append(c);
        }
    }
    return out;
}

QString decodeText(const QByteArray& bytes, const QByteArray& charset) {
    if (!charset.isEmpty() && !equalsNoCase(charset, "UTF-8") && !equalsNoCase(charset, "UTF8")) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) {
            QString text = decoder(bytes);
            if (!decoder.hasError())
                return text;
        }
        if (equalsNoCase(charset, "ISO-8859-1") || equalsNoCase(charset, "LATIN1"))
            return QString::fromLatin1(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    // Old exporters wrote their own code page without saying so.
    QStringDecoder windows("windows-1252");
    if (windows.isValid()) {
        text = windows(bytes);
        if (!windows.hasError())
            return text;
    }
    return QString::fromLatin1(bytes);
}

// One property line: name (without group), parameters, raw value.
struct Property {
    QByteArrayView name;
    QByteArray charset;
    bool work = false; // TYPE=work (or a bare WORK)
    bool fax = false;
    bool quotedPrintable = false;
    QByteArrayView rawValue;
    bool isUri = false;
};

// Notes the types that matter (work, fax) without keeping the list: a parameter list may be
// endless.
void addTypes(Property& property, QByteArrayView value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.sliced(1, value.size() - 2);
    while (!value.isEmpty()) {
        const qsizetype comma = value.indexOf(',');
        const QByteArrayView part = (comma < 0 ? value : value.first(comma)).trimmed();
        value = comma < 0 ? QByteArrayView() : value.sliced(comma + 1);
        property.work = property.work || equalsNoCase(part, "work");
        property.fax = property.fax || equalsNoCase(part, "fax");
    }
}

bool parseProperty(QByteArrayView line, Property& property) {
    const qsizetype colon = valueColon(line);
    if (colon <= 0)
        return false;
    const QByteArrayView head = line.first(colon);
    property.rawValue = line.sliced(colon + 1);
    qsizetype semicolon = head.indexOf(';');
    QByteArrayView name = semicolon < 0 ? head : head.first(semicolon);
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.sliced(dot + 1); // "item1.TEL"
    property.name = name.trimmed();
    while (semicolon >= 0) {
        const qsizetype from = semicolon + 1;
        qsizetype next = from;
        bool quoted = false;
        for (; next < head.size(); ++next) {
            if (head[next] == '"')
                quoted = !quoted;
            else if (head[next] == ';' && !quoted)
                break;
        }
        const QByteArrayView parameter = head.sliced(from, next - from).trimmed();
        semicolon = next < head.size() ? next : -1;
        const qsizetype equals = parameter.indexOf('=');
        if (equals < 0) {
            // vCard 2.1: bare parameter values
            if (equalsNoCase(parameter, "QUOTED-PRINTABLE"))
                property.quotedPrintable = true;
            else
                addTypes(property, parameter);
            continue;
        }
        const QByteArrayView key = parameter.first(equals).trimmed();
        QByteArrayView value = parameter.sliced(equals + 1).trimmed();
        if (equalsNoCase(key, "TYPE"))
            addTypes(property, value);
        else if (equalsNoCase(key, "ENCODING"))
            property.quotedPrintable = equalsNoCase(value, "QUOTED-PRINTABLE");
        else if (equalsNoCase(key, "CHARSET"))
            property.charset = value.toByteArray().replace('"', "");
        else if (equalsNoCase(key, "VALUE"))
            property.isUri = equalsNoCase(value, "uri");
    }
    return !property.name.isEmpty();
}

QString propertyText(const Property& property) {
    const QByteArray bytes = property.quotedPrintable ? decodeQuotedPrintable(property.rawValue)
                                                      : property.rawValue.toByteArray();
    return decodeText(bytes, property.charset);
}

// Splits a value at unescaped `separator`s and removes the escapes.
QStringList components(const QString& text, QChar separator) {
    QStringList parts;
    QString current;
    current.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (next == QLatin1Char('n') || next == QLatin1Char('N'))
                current.append(QLatin1Char('\n'));
            else if (next == QLatin1Char('\\') || next == QLatin1Char(',') ||
                     next == QLatin1Char(';') || next == QLatin1Char(':'))
                current.append(next);
            else {
                current.append(c);
                current.append(next);
            }
            ++i;
        } else if (c == separator) {
            parts.append(current.trimmed());
            current.clear();
        } else {
            current.append(c);
        }
    }
    parts.append(current.trimmed());
    return parts;
}

QString unescaped(const QString& text) {
    return components(text, QChar()).constFirst();
}

QString telephoneText(const Property& property) {
    QString text = unescaped(propertyText(property));
    if (property.isUri || text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) {
        if (text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            text.remove(0, 4);
        const qsizetype extension = text.indexOf(QLatin1String(";ext="), 0, Qt::CaseInsensitive);
        if (extension >= 0)
            text = text.left(extension) + QLatin1String(" x") + text.mid(extension + 5);
    }
    return text.trimmed();
}

// Gathers the properties of one card.
class CardBuilder {
public:
    void add(const Property& property) {
        const QByteArrayView name = property.name;
        if (equalsNoCase(name, "N")) {
            if (m_hasN)
                return;
            m_hasN = true;
            const QStringList parts = components(propertyText(property), QLatin1Char(';'));
            m_contact.LastName = parts.value(0);
            m_contact.FirstName = parts.value(1);
        } else if (equalsNoCase(name, "FN")) {
            if (m_fullName.isEmpty())
                m_fullName = unescaped(propertyText(property)).trimmed();
        } else if (equalsNoCase(name, "ORG")) {
            if (m_hasOrg)
                return;
            m_hasOrg = true;
            const QStringList parts = components(propertyText(property), QLatin1Char(';'));
            m_contact.CompanyName = parts.value(0);
            m_contact.Department = parts.value(1);
        } else if (equalsNoCase(name, "TEL")) {
            const bool fax = property.fax;
            const bool work = property.work;
            const int rank = work && !fax ? 0 : !fax ? 1 : 2;
            if (rank < m_phoneRank) {
                const QString text = telephoneText(property);
                if (!text.isEmpty()) {
                    m_phoneRank = rank;
                    m_contact.BusinessTelephoneNumber = text;
                }
            }
        } else if (endsWithNoCase(name, "FILE-AS")) {
            if (m_contact.FileAs.isEmpty())
                m_contact.FileAs = unescaped(propertyText(property)).trimmed();
        }
    }

    PimApplication::ContactFields finish() {
        if (m_contact.FileAs.isEmpty()) {
            if (!m_contact.LastName.isEmpty() && !m_contact.FirstName.isEmpty())
                m_contact.FileAs = m_contact.LastName + QLatin1String(", ") + m_contact.FirstName;
            else if (!m_contact.LastName.isEmpty() || !m_contact.FirstName.isEmpty())
                m_contact.FileAs = m_contact.LastName + m_contact.FirstName;
            else if (!m_fullName.isEmpty())
                m_contact.FileAs = m_fullName;
            else
                m_contact.FileAs = m_contact.CompanyName;
        }
        return m_contact;
    }

private:
    PimApplication::ContactFields m_contact;
    QString m_fullName;
    bool m_hasN = false;
    bool m_hasOrg = false;
    int m_phoneRank = 3;
};

} // namespace

VCardReader::Outcome VCardReader::parse(const QByteArray& data) {
    Outcome outcome;
    const QList<QByteArray> lines = logicalLines(normalized(data));
    std::optional<CardBuilder> card;
    for (const QByteArray& line : lines) {
        Property property;
        if (!parseProperty(line, property))
            continue; // a stray line; nothing to take from it
        if (equalsNoCase(property.name, "BEGIN")) {
            if (equalsNoCase(property.rawValue.trimmed(), "VCARD")) {
                if (card)
                    ++outcome.skipped; // the open card never ended
                card.emplace();
            }
        } else if (equalsNoCase(property.name, "END")) {
            if (card && equalsNoCase(property.rawValue.trimmed(), "VCARD")) {
                outcome.contacts.append(card->finish());
                card.reset();
            }
        } else if (card) {
            card->add(property);
        }
    }
    if (card)
        ++outcome.skipped;
    return outcome;
}

PimValue<VCardReader::Outcome> VCardReader::readFolder(const QString& folder) {
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return PimValue<Outcome>::failure(
            QStringLiteral("The contacts folder \"%1\" cannot be read.").arg(folder));
    // Devices, pipes and sockets are listed too, so that they are counted as damaged.
    const QStringList names = dir.entryList({QStringLiteral("*.vcf")},
                                            QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    Outcome outcome;
    for (const QString& name : names) {
        const std::optional<QByteArray> data = readContactsFile(dir.filePath(name));
        if (!data) {
            ++outcome.skipped;
            continue;
        }
        Outcome part = parse(*data);
        outcome.contacts.append(std::move(part.contacts));
        outcome.skipped += part.skipped;
        ++outcome.files;
    }
    return outcome;
}

std::optional<QByteArray> VCardReader::readContactsFile(const QString& path) {
    // Only a regular file (or a link to one) is read: a link to a device or a pipe could be
    // endless or never answer.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxFileSize)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The file may have grown since it was looked at: never read more than the limit.
    QByteArray data = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || data.size() > MaxFileSize)
        return std::nullopt;
    return data;
}

namespace {
const char* const kFirstNames[] = {"Alma",     "Bertil",   "Céline", "Dorian", "Edda",    "Fintan",
                                   "Greta",    "Hallvard", "Ines",   "Jórunn", "Kasimir", "Lotte",
                                   "Mireille", "Nils",     "Oona",   "Pavel"};
const char* const kLastNames[] = {"Abernathy",   "Brockwell",   "Castellane", "Dunmore",
                                  "Eriksdóttir", "Fairweather", "Grünfeld",   "Holloway",
                                  "Iversen",     "Jaramillo",   "Kettering",  "Lindqvist",
                                  "Marchetti",   "Northcott",   "O'Rourke",   "Pemberton"};
const char* const kCompanies[] = {"Halvorsen Tool & Die", "Quillfeather Paper, Inc.",
                                  "Redmarsh Logistics",   "Stonebridge Analytics",
                                  "Tallowmere Foods",     "Umberfield Energy"};
const char* const kDepartments[] = {"Purchasing", "Operations", "Finance", "IT; Networks",
                                    "Facilities"};

QByteArray escapedValue(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char(','), QLatin1String("\\,"));
    out.replace(QLatin1Char(';'), QLatin1String("\\;"));
    return out.toUtf8();
}

// Folds a line at 75 bytes without splitting a UTF-8 sequence.
void appendFolded(QByteArray& out, const QByteArray& line) {
    qsizetype start = 0;
    bool first = true;
    while (start < line.size()) {
        qsizetype length = qMin<qsizetype>(first ? 75 : 74, line.size() - start);
        while (start + length < line.size() && (uchar(line[start + length]) & 0xC0) == 0x80)
            --length;
        if (!first)
            out.append(' ');
        out.append(line.constData() + start, length);
        out.append("\r\n");
        start += length;
        first = false;
    }
}

QByteArray quotedPrintable(const QByteArray& bytes) {
    QByteArray out;
    for (const char c : bytes) {
        const uchar u = uchar(c);
        if (u >= 33 && u <= 126 && c != '=')
            out.append(c);
        else
            out.append('=').append(QByteArray::number(u, 16).toUpper().rightJustified(2, '0'));
    }
    return out;
}
} // namespace

PimResult VCardReader::writeSampleContacts(const QString& folder, qint32 count) {
    if (!QDir().mkpath(folder))
        return PimResult::failure(
            QStringLiteral("The folder \"%1\" cannot be created.").arg(folder));
    constexpr qint32 perFile = 100;
    for (qint32 fileIndex = 0; fileIndex * perFile < count; ++fileIndex) {
        QByteArray text;
        const int version = fileIndex % 3; // 0: 3.0, 1: 2.1, 2: 4.0
        for (qint32 i = fileIndex * perFile; i < qMin(count, (fileIndex + 1) * perFile); ++i) {
            const QString first = QString::fromUtf8(kFirstNames[i % 16]);
            const QString last = QString::fromUtf8(kLastNames[(i / 16) % 16]) +
                                 (i >= 256 ? QString::number(i / 256) : QString());
            const QString company = QString::fromUtf8(kCompanies[i % 6]);
            const QString department = QString::fromUtf8(kDepartments[i % 5]);
            const QString phone =
                QStringLiteral("+1 555 %1").arg(i % 10000, 4, 10, QLatin1Char('0'));
            const QString note = QStringLiteral("Met at the %1 trade fair; interested in the "
                                                "spring catalogue, follow up after the quarter.")
                                     .arg(2020 + i % 6);
            text.append("BEGIN:VCARD\r\n");
            if (version == 1) {
                text.append("VERSION:2.1\r\n");
                text.append("N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" +
                            quotedPrintable(escapedValue(last)) + ";" +
                            quotedPrintable(escapedValue(first)) + ";;;\r\n");
                text.append("FN;CHARSET=UTF-8:" + (first + u' ' + last).toUtf8() + "\r\n");
                text.append("ORG;CHARSET=UTF-8:" + escapedValue(company) + ";" +
                            escapedValue(department) + "\r\n");
                text.append("TEL;HOME;VOICE:+1 555 0199\r\n");
                text.append("TEL;WORK;VOICE:" + phone.toUtf8() + "\r\n");
                appendFolded(text, "NOTE;CHARSET=UTF-8:" + escapedValue(note));
            } else {
                text.append(version == 0 ? "VERSION:3.0\r\n" : "VERSION:4.0\r\n");
                text.append("N:" + escapedValue(last) + ";" + escapedValue(first) + ";;;\r\n");
                text.append("FN:" + (first + u' ' + last).toUtf8() + "\r\n");
                if (version == 0)
                    text.append("X-EVOLUTION-FILE-AS:" +
                                escapedValue(last + QLatin1String(", ") + first) + "\r\n");
                text.append("ORG:" + escapedValue(company) + ";" + escapedValue(department) +
                            "\r\n");
                text.append(
                    "EMAIL;TYPE=work:" +
                    (first + u'.' + QString::number(i) + QLatin1String("@example.com")).toUtf8() +
                    "\r\n");
                if (version == 0)
                    text.append("TEL;TYPE=WORK,VOICE:" + phone.toUtf8() + "\r\n");
                else
                    text.append("TEL;VALUE=uri;TYPE=\"work,voice\":tel:" +
                                phone.toUtf8().replace(' ', '-') + "\r\n");
                appendFolded(text, "NOTE:" + escapedValue(note));
            }
            text.append("END:VCARD\r\n");
        }
        QSaveFile file(QDir(folder).filePath(
            QStringLiteral("sample-%1.vcf").arg(fileIndex + 1, 4, 10, QLatin1Char('0'))));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
            return PimResult::failure(
                QStringLiteral("The file \"%1\" cannot be written.").arg(file.fileName()));
    }
    return {};
}
