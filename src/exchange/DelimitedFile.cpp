#include "exchange/DelimitedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace {

// The characters of Windows-1252 at 0x80..0x9F; the undefined bytes keep their C1 code.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// How many records the detection looks at.
constexpr int SampleRecords = 50;

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// A value that reads as a number or a date, which a header never is.
bool looksLikeData(const QString& value) {
    static const QRegularExpression data(QStringLiteral("^[\\s\\p{Sc}+\\-(]*[\\d][\\d.,/\\-: ]*"
                                                        "[\\s\\p{Sc})%]*$"));
    return data.match(value).hasMatch();
}

} // namespace

const QList<QChar>& DelimitedFile::delimiters() {
    static const QList<QChar> list{QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t'),
                                   QLatin1Char('|')};
    return list;
}

QString DelimitedFile::encodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::Utf8Bom:
        return QStringLiteral("UTF-8 with byte-order mark");
    case Encoding::Utf16LE:
        return QStringLiteral("UTF-16 little-endian");
    case Encoding::Utf16BE:
        return QStringLiteral("UTF-16 big-endian");
    case Encoding::Windows1252:
        break;
    }
    return QStringLiteral("Windows-1252 (Western European)");
}

Result DelimitedFile::read(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return Result::failure(QStringLiteral("The file %1 does not exist.").arg(path));
    if (!info.isFile())
        return Result::failure(QStringLiteral("%1 is not a plain file.").arg(path));
    if (info.size() > MaxBytes)
        return Result::failure(
            QStringLiteral("The file %1 is larger than %2 MB.").arg(path).arg(MaxBytes >> 20));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(
            QStringLiteral("The file %1 cannot be read: %2.").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result::failure(
            QStringLiteral("The file %1 cannot be read: %2.").arg(path, file.errorString()));
    readBytes(bytes);
    // The decoded text is what is read; the bytes are read again for another encoding.
    m_bytes.clear();
    m_bytes.squeeze();
    m_path = path;
    if (m_text.contains(QChar(0)))
        return Result::failure(
            QStringLiteral("The file %1 holds NUL characters: it is no text file.").arg(path));
    return {};
}

void DelimitedFile::readBytes(const QByteArray& bytes) {
    m_path.clear();
    m_bytes = bytes;
    m_format = Format();
    m_format.encoding = detectEncoding(m_bytes);
    m_text = decode(m_bytes, m_format.encoding);
    detect();
}

DelimitedFile::Encoding DelimitedFile::detectEncoding(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE"))
        return Encoding::Utf16LE;
    if (bytes.startsWith("\xFE\xFF"))
        return Encoding::Utf16BE;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return Encoding::Utf8Bom;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? Encoding::Windows1252 : Encoding::Utf8;
}

QString DelimitedFile::decode(const QByteArray& bytes, Encoding encoding) {
    const auto strict = [&](QStringConverter::Encoding converter, qsizetype skip) {
        QStringDecoder decoder(converter, QStringConverter::Flag::Stateless |
                                              QStringConverter::Flag::ConvertInitialBom);
        QByteArrayView view(bytes);
        if (view.size() >= skip)
            view = view.sliced(skip);
        return QString(decoder.decode(view));
    };
    switch (encoding) {
    case Encoding::Utf16LE:
        return strict(QStringConverter::Utf16LE, bytes.startsWith("\xFF\xFE") ? 2 : 0);
    case Encoding::Utf16BE:
        return strict(QStringConverter::Utf16BE, bytes.startsWith("\xFE\xFF") ? 2 : 0);
    case Encoding::Utf8:
    case Encoding::Utf8Bom:
        return strict(QStringConverter::Utf8, bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0);
    case Encoding::Windows1252:
        break;
    }
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(Cp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

void DelimitedFile::setFormat(const Format& format) {
    if (format.encoding != m_format.encoding) {
        if (m_path.isEmpty()) {
            m_text = decode(m_bytes, format.encoding);
        } else {
            QFile file(m_path);
            if (file.open(QIODevice::ReadOnly))
                m_text = decode(file.readAll(), format.encoding);
        }
    }
    m_format = format;
    // The header is the first record read with the new format.
    m_header.clear();
    m_bodyStart = 0;
    m_bodyLine = 1;
    if (m_format.header) {
        Record first;
        qsizetype position = 0;
        qint64 line = 1;
        if (parse(position, line, m_format.delimiter, m_format.quoted, first)) {
            m_header = first.values;
            m_bodyStart = position;
            m_bodyLine = line;
        }
    }
    rewind();
}

void DelimitedFile::detect() {
    Format format = m_format;
    format.delimiter = detectDelimiter();
    format.quoted = true;
    m_format = format;
    format.header = detectHeader();
    setFormat(format);
}

QChar DelimitedFile::detectDelimiter() const {
    // The delimiter that splits the most sample records into the same number (above one) of
    // values; a decimal comma splits a row of amounts alike, but never the header.
    QChar best = delimiters().first();
    double bestScore = 0.0;
    for (const QChar delimiter : delimiters()) {
        QHash<int, int> counts;
        qsizetype position = 0;
        qint64 line = 1;
        Record record;
        int records = 0;
        while (records < SampleRecords && parse(position, line, delimiter, true, record)) {
            ++counts[static_cast<int>(record.values.size())];
            ++records;
        }
        int mode = 1;
        int modeRecords = 0;
        for (auto count = counts.cbegin(); count != counts.cend(); ++count) {
            if (count.value() > modeRecords ||
                (count.value() == modeRecords && count.key() > mode)) {
                mode = count.key();
                modeRecords = count.value();
            }
        }
        if (mode < 2 || records == 0)
            continue;
        const double score = double(modeRecords) / records + mode / 1000.0;
        if (score > bestScore) {
            bestScore = score;
            best = delimiter;
        }
    }
    return best;
}

bool DelimitedFile::detectHeader() {
    // A header names its columns: distinct texts, none empty, none a number or a date.
    Record first;
    qsizetype position = 0;
    qint64 line = 1;
    if (!parse(position, line, m_format.delimiter, m_format.quoted, first))
        return false;
    QSet<QString> seen;
    for (const QString& value : std::as_const(first.values)) {
        const QString name = value.trimmed().toCaseFolded();
        if (name.isEmpty() || looksLikeData(name) || seen.contains(name))
            return false;
        seen.insert(name);
    }
    return true;
}

void DelimitedFile::rewind() {
    m_position = m_bodyStart;
    m_line = m_bodyLine;
}

bool DelimitedFile::next(Record& record) {
    return parse(m_position, m_line, m_format.delimiter, m_format.quoted, record);
}

int DelimitedFile::columnCount(int records) {
    int count = static_cast<int>(m_header.size());
    qsizetype position = m_bodyStart;
    qint64 line = m_bodyLine;
    Record record;
    for (int i = 0;
         i < records && parse(position, line, m_format.delimiter, m_format.quoted, record); ++i)
        count = std::max(count, static_cast<int>(record.values.size()));
    return count;
}

bool DelimitedFile::parse(qsizetype& position, qint64& line, QChar delimiter, bool quoted,
                          Record& record) const {
    const qsizetype size = m_text.size();
    const QChar* text = m_text.constData();
    const QChar quote = QLatin1Char('"');
    const QChar cr = QLatin1Char('\r');
    const QChar lf = QLatin1Char('\n');
    const bool delimiterIsBlank = isBlank(delimiter);
    const auto blank = [&](QChar c) { return isBlank(c) && !(delimiterIsBlank && c == delimiter); };
    // Passes over a line end at `at`; true when there was one.
    const auto lineEnd = [&](qsizetype& at) {
        if (at < size && text[at] == cr) {
            ++at;
            if (at < size && text[at] == lf)
                ++at;
            ++line;
            return true;
        }
        if (at < size && text[at] == lf) {
            ++at;
            ++line;
            return true;
        }
        return false;
    };

    for (;;) {
        if (position >= size)
            return false;
        record.values.clear();
        record.line = line;
        QString value;
        bool recordDone = false;
        while (!recordDone) {
            value.clear();
            qsizetype at = position;
            while (at < size && blank(text[at]))
                ++at;
            if (quoted && at < size && text[at] == quote) {
                // A quoted value: up to the lone closing quote; "" is one quote.
                ++at;
                for (;;) {
                    if (at >= size)
                        break;
                    const QChar c = text[at];
                    if (c == quote) {
                        if (at + 1 < size && text[at + 1] == quote) {
                            value += quote;
                            at += 2;
                            continue;
                        }
                        ++at;
                        break;
                    }
                    if (c == cr || c == lf) {
                        // A line break inside the value is kept as it was written.
                        const qsizetype from = at;
                        lineEnd(at);
                        value += QStringView(text + from, at - from);
                        continue;
                    }
                    value += c;
                    ++at;
                }
                // Anything after the closing quote up to the delimiter belongs to the value.
                const qsizetype rest = at;
                while (at < size && text[at] != delimiter && text[at] != cr && text[at] != lf)
                    ++at;
                const QStringView tail = QStringView(text + rest, at - rest).trimmed();
                value += tail;
            } else {
                const qsizetype from = at;
                while (at < size && text[at] != delimiter && text[at] != cr && text[at] != lf)
                    ++at;
                qsizetype end = at;
                while (end > from && blank(text[end - 1]))
                    --end;
                value = QString(text + from, end - from);
            }
            record.values.append(value);
            if (at < size && text[at] == delimiter) {
                position = at + 1;
                continue;
            }
            position = at;
            lineEnd(position);
            recordDone = true;
        }
        // An empty line, or one of blanks and delimiters only, is no record.
        if (std::all_of(record.values.cbegin(), record.values.cend(),
                        [](const QString& v) { return v.isEmpty(); }))
            continue;
        return true;
    }
}
