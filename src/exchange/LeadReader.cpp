#include "exchange/LeadReader.h"

#include "exchange/LeadFile.h"

#include <QFileInfo>
#include <array>

namespace {

// How much of the file is read and decoded at a time.
constexpr qint64 ChunkBytes = qint64(1) << 20;
// A line longer than this is no lead: a lead uses the beginnings of thirteen short columns.
constexpr qsizetype MaxLineChars = qsizetype(1) << 20;

// The characters of Windows-1252 at 0x80..0x9F; the undefined bytes keep their C1 code.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(Cp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

// The length of the beginning of `bytes` that ends with a whole UTF-8 character: a character
// that the end of a chunk cuts in two is left for the next chunk.
qsizetype wholeUtf8(QByteArrayView bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for the lead byte
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

QStringDecoder utf8Decoder() {
    // Chunk by chunk, strictly; a byte-order mark inside the text stays a character.
    return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                      QStringConverter::Flag::ConvertInitialBom);
}

bool isBlank(const QString& line) {
    for (const QChar c : line) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    }
    return true;
}

const QString TooLarge =
    QStringLiteral("The file is larger than %1 MB, too large for a lead file.");

} // namespace

LeadReader::LeadReader(const QString& path) : m_file(path), m_lead(m_fresh) {}

Result LeadReader::readFailure() const {
    return Result::failure(
        QStringLiteral("The file cannot be read: %1.").arg(m_file.errorString()));
}

Result LeadReader::open() {
    const QFileInfo info(m_file.fileName());
    if (!info.exists())
        return Result::failure(QStringLiteral("The file does not exist."));
    if (!info.isFile())
        return Result::failure(QStringLiteral("It is not a plain file."));
    if (!m_file.open(QIODevice::ReadOnly))
        return readFailure();
    if (m_file.size() > LeadFile::MaxBytes)
        return Result::failure(TooLarge.arg(LeadFile::MaxBytes / (1024 * 1024)));
    const QByteArray head = m_file.peek(3);
    if (m_file.error() != QFileDevice::NoError)
        return readFailure();
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        m_encoding = Encoding::Utf16;
        m_start = 2;
        m_decoder.emplace(head.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                      : QStringConverter::Utf16BE);
    } else {
        m_start = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        if (!m_file.seek(m_start))
            return readFailure();
        const auto utf8 = isUtf8();
        if (!utf8)
            return utf8.result();
        m_encoding = *utf8 ? Encoding::Utf8 : Encoding::Windows1252;
    }
    if (!m_file.seek(m_start))
        return readFailure();
    return {};
}

ResultValue<bool> LeadReader::isUtf8() {
    QStringDecoder decoder = utf8Decoder();
    QByteArray carry;
    qint64 read = 0;
    for (;;) {
        const QByteArray chunk = m_file.read(ChunkBytes);
        if (m_file.error() != QFileDevice::NoError)
            return readFailure();
        read += chunk.size();
        if (read > LeadFile::MaxBytes)
            return Result::failure(TooLarge.arg(LeadFile::MaxBytes / (1024 * 1024)));
        if (chunk.isEmpty()) {
            // A character cut off by the end of the file is no UTF-8.
            return carry.isEmpty();
        }
        const QByteArray bytes = carry + chunk;
        const qsizetype whole = wholeUtf8(bytes);
        const QString text = decoder.decode(QByteArrayView(bytes).first(whole));
        if (decoder.hasError())
            return false;
        carry = bytes.mid(whole);
    }
}

ResultValue<bool> LeadReader::readMore() {
    const QByteArray chunk = m_file.read(ChunkBytes);
    if (m_file.error() != QFileDevice::NoError)
        return readFailure();
    // The file may have grown since it was opened.
    m_read += chunk.size();
    if (m_read > LeadFile::MaxBytes)
        return Result::failure(TooLarge.arg(LeadFile::MaxBytes / (1024 * 1024)));
    switch (m_encoding) {
    case Encoding::Utf16:
        m_pending += m_decoder->decode(chunk);
        break;
    case Encoding::Windows1252:
        m_pending += fromWindows1252(chunk);
        break;
    case Encoding::Utf8: {
        const QByteArray bytes = m_carry + chunk;
        const qsizetype whole = chunk.isEmpty() ? bytes.size() : wholeUtf8(bytes);
        QStringDecoder decoder = utf8Decoder();
        m_pending += decoder.decode(QByteArrayView(bytes).first(whole));
        m_carry = bytes.mid(whole);
        break;
    }
    }
    return !chunk.isEmpty();
}

Result LeadReader::tooLong() const {
    return Result::failure(
        QStringLiteral("Line %1 is longer than %2 characters: this is not a lead file.")
            .arg(m_line + 1)
            .arg(MaxLineChars));
}

ResultValue<std::optional<QString>> LeadReader::nextLine() {
    qsizetype from = m_position; // the pending text before it holds no line end
    for (;;) {
        const qsizetype size = m_pending.size();
        const QChar* text = m_pending.constData();
        qsizetype end = from;
        while (end < size && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        // A CR at the end of what was read may be followed by an LF still in the file.
        const bool whole =
            end < size && !(text[end] == QLatin1Char('\r') && end + 1 == size && !m_atEnd);
        if (whole || (m_atEnd && end == size)) {
            if (!whole && m_position == size)
                return std::optional<QString>();
            if (end - m_position > MaxLineChars)
                return tooLong();
            QString line = m_pending.mid(m_position, end - m_position);
            if (whole && text[end] == QLatin1Char('\r') && end + 1 < size &&
                text[end + 1] == QLatin1Char('\n'))
                ++end;
            m_position = std::min(end + 1, size);
            return std::optional<QString>(std::move(line));
        }
        if (end - m_position > MaxLineChars)
            return tooLong();
        // Keep only the line begun, and read on.
        m_pending.remove(0, m_position);
        from = end - m_position;
        m_position = 0;
        const auto more = readMore();
        if (!more)
            return more.result();
        m_atEnd = !*more;
    }
}

ResultValue<const Opportunity*> LeadReader::next() {
    for (;;) {
        auto line = nextLine();
        if (!line)
            return line.result();
        if (!*line)
            return nullptr;
        ++m_line;
        const QString& text = **line;
        if (text.contains(QChar(0)))
            return Result::failure(
                QStringLiteral("Line %1 holds a NUL character: this is not a text file.")
                    .arg(m_line));
        // Leads begin on the third line; a blank line is none.
        if (m_line <= 2 || isBlank(text))
            continue;
        if (++m_leads > MaxLeads)
            return Result::failure(QStringLiteral("Line %1 holds lead %2, more than one merge "
                                                  "adds (%3).")
                                       .arg(m_line)
                                       .arg(m_leads)
                                       .arg(MaxLeads));
        m_lead = m_fresh;
        LeadFile::fillLead(m_lead, text);
        return &m_lead;
    }
}
