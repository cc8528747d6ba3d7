#include "exchange/LeadFile.h"

#include "store/OpportunityFields.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <array>
#include <optional>

namespace {

// The characters of Windows-1252 at 0x80..0x9F; the undefined bytes keep their C1 code.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(Cp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

std::optional<QString> decodeStrictly(QStringConverter::Encoding encoding, QByteArrayView bytes) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

const QString LeadSource = QStringLiteral("Vantick");
const QString LeadStage = QStringLiteral("Lead");
const QString LeadProbability = QStringLiteral("25% - Long Shot");
const QString LeadSuffix = QStringLiteral(" - Vantick Lead");

} // namespace

QString LeadFile::clean(const QString& column) {
    const auto isBlank = [](QChar c) { return c == QLatin1Char(' '); };
    qsizetype from = 0;
    qsizetype to = column.size();
    const auto trim = [&] {
        while (from < to && isBlank(column.at(from)))
            ++from;
        while (to > from && isBlank(column.at(to - 1)))
            --to;
    };
    trim();
    if (from < to && column.at(from) == QLatin1Char('"'))
        ++from;
    if (from < to && column.at(to - 1) == QLatin1Char('"'))
        --to;
    trim();
    return column.mid(from, to - from);
}

LeadFile::Field LeadFile::nextTabField(const QString& line, qsizetype start) {
    const qsizetype from = std::max<qsizetype>(start, 1) - 1;
    if (from >= line.size())
        return {QString(), line.size() + 1};
    const qsizetype tab = line.indexOf(QLatin1Char('\t'), from);
    if (tab < 0)
        return {clean(line.mid(from)), line.size() + 1};
    return {clean(line.mid(from, tab - from)), tab + 1};
}

QString LeadFile::leftChars(const QString& text, qsizetype count) {
    qsizetype units = 0;
    for (qsizetype characters = 0; characters < count && units < text.size(); ++characters) {
        const bool pair = text.at(units).isHighSurrogate() && units + 1 < text.size() &&
                          text.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return units >= text.size() ? text : text.left(units);
}

QString LeadFile::decode(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeStrictly(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3))
            .value_or(fromWindows1252(bytes.mid(3)));
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringConverter::Utf16LE).decode(QByteArrayView(bytes).sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringConverter::Utf16BE).decode(QByteArrayView(bytes).sliced(2));
    if (auto utf8 = decodeStrictly(QStringConverter::Utf8, bytes))
        return *std::move(utf8);
    return fromWindows1252(bytes);
}

QStringList LeadFile::lines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}

void LeadFile::fillLead(Opportunity& o, const QString& line) {
    std::array<QString, Columns> column;
    qsizetype start = 1;
    for (QString& text : column) {
        Field field = nextTabField(line, start);
        text = std::move(field.text);
        start = field.end + 1;
    }
    const QChar blank = QLatin1Char(' ');
    using OpportunityFields::info;
    o.setCompany(leftChars(column[9], info(OpportunityFields::Company).size));
    o.setContact(leftChars(column[0] + blank + column[10], info(OpportunityFields::Contact).size));
    o.setDescription(leftChars(column[0] + blank + column[9] + LeadSuffix,
                               info(OpportunityFields::Description).size));
    o.setSource(LeadSource);
    o.setStage(LeadStage);
    o.setProbability(LeadProbability);
    QString note;
    for (const QString& text : column)
        note += text + QStringLiteral(", ");
    // One character short of the field's size, as lead notes have always been.
    o.setNote(leftChars(note, info(OpportunityFields::Note).size - 1));
}

std::vector<Opportunity> LeadFile::leads(const QString& text) {
    const QStringList lines = LeadFile::lines(text);
    std::vector<Opportunity> leads;
    if (lines.size() <= 2)
        return leads;
    leads.reserve(static_cast<size_t>(lines.size() - 2));
    // Every lead starts from the same new opportunity (today's order date and so on).
    const Opportunity fresh;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        Opportunity& lead = leads.emplace_back(fresh);
        fillLead(lead, lines.at(i));
    }
    return leads;
}

ResultValue<std::vector<Opportunity>> LeadFile::read(const QString& path) {
    using Outcome = ResultValue<std::vector<Opportunity>>;
    const QFileInfo info(path);
    if (!info.exists())
        return Outcome::failure(QStringLiteral("The file does not exist."));
    if (!info.isFile())
        return Outcome::failure(QStringLiteral("It is not a plain file."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Outcome::failure(
            QStringLiteral("The file cannot be read: %1.").arg(file.errorString()));
    // Read one byte more than allowed, so that a file that grows while it is read is caught too.
    const QByteArray bytes = file.read(MaxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Outcome::failure(
            QStringLiteral("The file cannot be read: %1.").arg(file.errorString()));
    if (bytes.size() > MaxBytes)
        return Outcome::failure(
            QStringLiteral("The file is larger than %1 MB, too large for a lead "
                           "file.")
                .arg(MaxBytes / (1024 * 1024)));
    const QString text = decode(bytes);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0) {
        const qsizetype line = text.left(nul).count(QLatin1Char('\n')) + 1;
        return Outcome::failure(
            QStringLiteral("Line %1 holds a NUL character: this is not a text file.").arg(line));
    }
    return LeadFile::leads(text);
}
