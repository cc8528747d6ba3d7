#pragma once

#include "platform/Result.h"

#include <QChar>
#include <QString>
#include <QStringList>

// A spreadsheet saved as delimited text, as other programs write it: its encoding (UTF-8 with or
// without a byte-order mark, UTF-16 with one, else Windows-1252), its delimiter (comma,
// semicolon, TAB or pipe), RFC 4180 quoting (a value between double quotes may hold delimiters,
// line breaks and doubled quotes) and whether its first record is a header. All four are
// detected when the file is read and can be changed afterwards. Records are read one at a time
// from the decoded text; records that are empty or hold only blanks are passed over.
class DelimitedFile {
public:
    enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };
    struct Format {
        Encoding encoding = Encoding::Utf8;
        QChar delimiter = QLatin1Char(',');
        bool quoted = true;
        bool header = true;
    };
    // One record of the file: its values and the line it begins on (1-based).
    struct Record {
        QStringList values;
        qint64 line = 0;
    };

    // The largest file read (a spreadsheet of a few hundred thousand rows).
    static constexpr qint64 MaxBytes = qint64(256) << 20;
    // The delimiters offered, in the order of detection's preference on a tie.
    static const QList<QChar>& delimiters();
    static QString encodingName(Encoding encoding);

    // Reads the file at `path` and detects its format; a failure says why in a sentence.
    Result read(const QString& path);
    // The same for bytes already in memory (tests, a file read elsewhere).
    void readBytes(const QByteArray& bytes);

    const Format& format() const { return m_format; }
    // Decodes the bytes anew when the encoding changes; the next record is the first again.
    void setFormat(const Format& format);

    // The header's values (empty without a header).
    const QStringList& header() const { return m_header; }
    // Starts over at the first record after the header.
    void rewind();
    // The next record into `record`; false after the last one.
    bool next(Record& record);
    // How far the reading is, in characters of the decoded text.
    qint64 position() const { return m_position; }
    qint64 size() const { return m_text.size(); }
    // The largest number of values among the first records (header included), for a preview.
    int columnCount(int records = 50);

    // The decoded bytes of an encoding (a byte-order mark is no character).
    static QString decode(const QByteArray& bytes, Encoding encoding);
    // The encoding of `bytes` by their byte-order mark, else UTF-8 when they are, else
    // Windows-1252.
    static Encoding detectEncoding(const QByteArray& bytes);

private:
    void detect();
    QChar detectDelimiter() const;
    bool detectHeader();
    // Reads one record from `position` of `m_text` with `delimiter` and quoting.
    bool parse(qsizetype& position, qint64& line, QChar delimiter, bool quoted,
               Record& record) const;

    QString m_path;     // the file read, if any
    QByteArray m_bytes; // the bytes given, when no file was read
    QString m_text;
    Format m_format;
    QStringList m_header;
    qsizetype m_position = 0;
    qint64 m_line = 1;
    qsizetype m_bodyStart = 0;
    qint64 m_bodyLine = 1;
};
