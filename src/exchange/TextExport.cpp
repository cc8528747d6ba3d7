#include "exchange/TextExport.h"

#include "exchange/FileIdentity.h"
#include "store/Opportunities.h"
#include "store/OpportunityFields.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

// Characters converted before each write to the file.
constexpr qsizetype FlushChars = 1 << 18;

const QString CsvFilter = QStringLiteral("Text(.CSV) (*.CSV)");
const QString TabFilter = QStringLiteral("Text(Tab) (*.txt)");
const QString AllFilter = QStringLiteral("All files (*)");

QChar separatorChar(TextExport::Format format) {
    return format == TextExport::Format::Tab ? QLatin1Char('\t') : QLatin1Char(',');
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Appends `value` to `row`, between double quotes with inner quotes doubled when it holds the
// separator character, a double quote, CR or LF, or begins or ends with a blank (readers drop
// blanks around a bare value).
void appendValue(QString& row, const QString& value, QChar separator) {
    bool quote = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    for (const QChar c : value) {
        if (c == separator || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n')) {
            quote = true;
            break;
        }
    }
    if (!quote) {
        row += value;
        return;
    }
    row += QLatin1Char('"');
    for (const QChar c : value) {
        if (c == QLatin1Char('"'))
            row += QLatin1Char('"');
        row += c;
    }
    row += QLatin1Char('"');
}

QString separatorText(TextExport::Format format) {
    switch (format) {
    case TextExport::Format::Comma:
        return QStringLiteral(",");
    case TextExport::Format::Tab:
        return QStringLiteral("\t");
    case TextExport::Format::CommaSpace:
        break;
    }
    return QStringLiteral(", ");
}

} // namespace

bool TextExport::looksLikeFormula(const QString& text) {
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    return first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('-') ||
           first == QLatin1Char('@');
}

QString TextExport::formulaSafe(const QString& text) {
    return looksLikeFormula(text) ? QLatin1Char('\'') + text : text;
}

QString TextExport::formatKey(const QString& fileName) {
    if (fileName.size() < 4)
        return QString();
    return fileName.mid(fileName.size() - 4, 3);
}

TextExport::Format TextExport::formatOf(const QString& key) {
    if (key == QLatin1String(".cs") || key == QLatin1String(".CS"))
        return Format::Comma;
    if (key == QLatin1String(".TX") || key == QLatin1String(".tx"))
        return Format::Tab;
    return Format::CommaSpace;
}

QString TextExport::exportQuote(const QString& value, const QString& key) {
    QString text;
    appendValue(text, value, separatorChar(formatOf(key)));
    return text;
}

QString TextExport::exportSeparator(const QString& value, const QString& key) {
    return exportQuote(value, key) + separatorText(formatOf(key));
}

const QStringList& TextExport::headers() {
    return OpportunityFields::exportHeaders();
}

UiServices::FileRequest TextExport::fileRequest(bool* guardFormulas) {
    UiServices::FileRequest request;
    request.title = QStringLiteral("Export Opportunities");
    request.checkBoxText = guardFormulasText();
    request.checkBox = guardFormulas;
    request.save = true;
    request.confirmOverwrite = true;
    request.filters = {CsvFilter, TabFilter, AllFilter};
    request.defaultSuffix = defaultSuffixFor(CsvFilter);
    for (const QString& filter : request.filters)
        request.filterSuffixes.append(defaultSuffixFor(filter));
    return request;
}

QString TextExport::defaultSuffixFor(const QString& filter) {
    if (filter == CsvFilter)
        return QStringLiteral("csv");
    if (filter == TabFilter)
        return QStringLiteral("txt");
    return QString();
}

QString TextExport::doneMessage(qint64 count, const QString& fileName) {
    return QString::number(count) + QStringLiteral(" opportunities exported to ") + fileName;
}

ResultValue<qint64> TextExport::write(const Opportunities& opportunities, const QString& path,
                                      const QStringList& openDatabases, Formulas formulas,
                                      const ProgressCallback& progress) {
    const QString refusal = QStringLiteral(
        "%1 is %2. The export does not write over a database; choose a file name ending in .csv "
        "or .txt.");
    if (!FileIdentity::findIn(path, openDatabases).isEmpty())
        return ResultValue<qint64>::failure(
            refusal.arg(path, QStringLiteral("an open Corvane database")));
    if (FileIdentity::isSqliteFile(path))
        return ResultValue<qint64>::failure(refusal.arg(path, QStringLiteral("a database file")));

    const QString failed = QStringLiteral("Could not export to %1: %2");
    // The temporary file would take the place of a pipe or a device: such a target is refused.
    if (FileIdentity::isNonRegularFile(path))
        return ResultValue<qint64>::failure(
            failed.arg(path, QStringLiteral("it exists and is not a regular file")));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ResultValue<qint64>::failure(failed.arg(path, file.errorString()));
    const auto written = write(opportunities, file, formatOf(formatKey(path)), formulas, progress);
    if (written.isCancelled()) {
        file.cancelWriting();
        return written;
    }
    if (!written || !file.commit()) {
        const QString cause = written ? file.errorString() : written.message();
        file.cancelWriting();
        return ResultValue<qint64>::failure(failed.arg(path, cause));
    }
    return written;
}

ResultValue<qint64> TextExport::write(const Opportunities& opportunities, QIODevice& device,
                                      Format format, Formulas formulas,
                                      const ProgressCallback& progress) {
    const QChar separator = separatorChar(format);
    const QString between = separatorText(format);
    const QString rowEnd = QStringLiteral("\r\n");
    QString buffer;
    buffer.reserve(FlushChars + 4096);
    bool writeFailed = false;
    const auto flush = [&] {
        const QByteArray bytes = buffer.toUtf8();
        if (device.write(bytes) != bytes.size())
            writeFailed = true;
        buffer.clear();
    };

    const QStringList& headers = TextExport::headers();
    for (qsizetype i = 0; i < headers.size(); ++i) {
        if (i > 0)
            buffer += between;
        appendValue(buffer, headers.at(i), separator);
    }
    buffer += rowEnd;

    qint64 count = 0;
    const qint64 total = opportunities.unFilteredCount();
    if (progress && !progress(0, total))
        return Result::cancelled();
    for (const Opportunity& o : opportunities) {
        if (!o.visible())
            continue;
        bool first = true;
        for (const auto& field : OpportunityFields::exportFields()) {
            if (!first)
                buffer += between;
            first = false;
            if (!field)
                appendValue(buffer, o.orderDateText(), separator);
            else if (*field == OpportunityFields::RecordNumber)
                buffer += QString::number(o.recordNumber()); // a number, never quoted
            else if (formulas == Formulas::Guarded &&
                     OpportunityFields::Fields[*field].amount == OpportunityFields::Amount::None)
                appendValue(buffer, formulaSafe(o.text(*field)), separator);
            else
                appendValue(buffer, o.text(*field), separator);
        }
        buffer += rowEnd;
        ++count;
        if (buffer.size() >= FlushChars) {
            flush();
            if (writeFailed)
                break;
            if (progress && !progress(count, total))
                return Result::cancelled();
        }
    }
    if (!writeFailed)
        flush();
    if (writeFailed)
        return ResultValue<qint64>::failure(device.errorString());
    return count;
}
