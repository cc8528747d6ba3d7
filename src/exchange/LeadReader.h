#pragma once

#include "platform/Result.h"
#include "store/Opportunity.h"

#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <optional>

// Reads the leads of a lead file (see LeadFile) one at a time, in file order, so that a file of
// any size the reader accepts needs no more memory than a chunk of it and one lead. Lines that
// are empty or hold only blanks and TABs are no leads and are passed over.
class LeadReader {
public:
    // One merge adds at most this many leads (the collection's positions are 16-bit counters).
    static constexpr int MaxLeads = 32767;

    explicit LeadReader(const QString& path);
    LeadReader(const LeadReader&) = delete;
    LeadReader& operator=(const LeadReader&) = delete;

    // Opens the file and finds its encoding; a failure says why in a sentence.
    Result open();
    // The next lead (valid until the following call), nullptr after the last one, or why the
    // file cannot be read on: a NUL character, more leads than one merge adds, a read error.
    ResultValue<const Opportunity*> next();
    // The 1-based line of the file that the lead last handed out was read from.
    qint64 lineNumber() const { return m_line; }
    // How many bytes of the file were read so far (for progress: the file's size in all).
    qint64 position() const { return m_file.pos(); }

private:
    enum class Encoding { Utf8, Utf16, Windows1252 };
    // Whether the bytes from the current position to the end are UTF-8; reads them once.
    ResultValue<bool> isUtf8();
    // Decodes the next chunk of the file onto the pending text; false at the end of the file.
    ResultValue<bool> readMore();
    // The next line of the file, without its line end; nothing at the end of the file.
    ResultValue<std::optional<QString>> nextLine();
    Result readFailure() const;
    Result tooLong() const;

    QFile m_file;
    qint64 m_start = 0; // where the text begins, after a byte-order mark
    Encoding m_encoding = Encoding::Utf8;
    std::optional<QStringDecoder> m_decoder;
    QByteArray m_carry; // the bytes of a character that the last chunk cut in two
    qint64 m_read = 0;
    bool m_atEnd = false;
    QString m_pending;
    qsizetype m_position = 0;
    qint64 m_line = 0;
    int m_leads = 0;
    const Opportunity m_fresh; // every lead starts from the same new opportunity
    Opportunity m_lead;
};
