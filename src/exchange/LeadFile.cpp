#include "exchange/LeadFile.h"

#include "store/OpportunityFields.h"

#include <array>

namespace {

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
