#include "exchange/ImportPlan.h"

#include "exchange/DelimitedFile.h"
#include "exchange/TextExport.h"
#include "platform/LocaleText.h"
#include "store/Opportunities.h"
#include "store/SalesSchema.h"
#include "store/ValueLists.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>

namespace {

using namespace OpportunityFields;

// Records planned between two reports of progress.
constexpr int ProgressEvery = 1024;

// Where a duplicate key was met first.
struct Match {
    enum class Kind { Existing, Addition, Update } kind;
    qsizetype index = 0; // of the addition or update
    QString key;         // of an existing opportunity
};

QString quoted(const QString& text) {
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString caption(Field field) {
    return reportCaption(QString::fromLatin1(info(field).storedName));
}

// The spelling of the value list's entry that `value` is, compared without case; nothing when
// it is none.
std::optional<QString> listEntry(const QStringList& list, const QString& value) {
    for (const QString& entry : list) {
        if (entry.compare(value, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return std::nullopt;
}

// Our export puts an apostrophe in front of texts that a spreadsheet would run as formulas.
QString unguarded(const QString& value) {
    if (value.size() > 1 && value.front() == QLatin1Char('\'') &&
        TextExport::looksLikeFormula(value.mid(1)))
        return value.mid(1);
    return value;
}

// One row as the fields it sets: `row` holds them, `set` says which.
struct RowValues {
    Opportunity row;
    std::array<bool, Count> set{};
};

} // namespace

QDate ImportPlan::parseDate(const QString& text) {
    const QString value = text.trimmed();
    if (value.isEmpty())
        return QDate();
    // The usual yyyy-MM-dd first, without a pattern.
    if (value.size() == 10 && value.at(4) == QLatin1Char('-') && value.at(7) == QLatin1Char('-')) {
        bool year = false, month = false, day = false;
        const QDate date(QStringView(value).first(4).toInt(&year),
                         QStringView(value).sliced(5, 2).toInt(&month),
                         QStringView(value).sliced(8, 2).toInt(&day));
        if (year && month && day)
            return date;
    }
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[T ][0-9:.]+(?:Z|[+-][0-9:]+)?)?$"));
    if (const auto match = iso.match(value); match.hasMatch())
        return QDate(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt());
    if (const QDate local = LocaleText::parseShortDate(value); local.isValid())
        return local;
    static const QRegularExpression us(
        QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})(?: [0-9:]+(?: ?[AaPp][Mm])?)?$"));
    if (const auto match = us.match(value); match.hasMatch())
        return QDate(match.captured(3).toInt(), match.captured(1).toInt(),
                     match.captured(2).toInt());
    return QDate();
}

bool ImportPlan::isAmount(const QString& text) {
    if (LocaleText::amount(text))
        return true;
    static const QRegularExpression shape(
        QStringLiteral("^\\s*[(+\\-]?\\s*(?:\\p{Sc}|[A-Za-z]{3})?\\s*[+\\-]?"
                       "(?:\\d{1,3}(?:[,.'\\x{00A0}\\x{202F} ]\\d{3})+|\\d+)(?:[.,]\\d+)?"
                       "\\s*(?:\\p{Sc}|[A-Za-z]{3})?\\s*\\)?\\s*$"));
    return shape.match(text).hasMatch();
}

QString ImportPlan::matchKey(const Opportunity& opportunity) {
    // Case folding is the costly part: plain ASCII texts, the usual ones, are folded here.
    const auto fold = [](QStringView text, QString& key) {
        text = text.trimmed();
        for (const QChar c : text) {
            if (c.unicode() >= 0x80)
                return false;
        }
        const qsizetype start = key.size();
        key.resize(start + text.size());
        QChar* out = key.data() + start;
        for (const QChar c : text)
            *out++ = (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + 32) : c;
        return true;
    };
    QString key;
    key.reserve(opportunity.company().size() + opportunity.description().size() + 1);
    if (!fold(opportunity.company(), key))
        key = opportunity.company().trimmed().toCaseFolded();
    key += QChar(0x1F);
    const qsizetype start = key.size();
    if (!fold(opportunity.description(), key)) {
        key.truncate(start);
        key += opportunity.description().trimmed().toCaseFolded();
    }
    return key;
}

QString ImportPlan::summary() const {
    const QLocale locale;
    QString text = QStringLiteral("%1 added, %2 updated, %3 skipped")
                       .arg(locale.toString(qint64(additions.size())),
                            locale.toString(qint64(updates.size())), locale.toString(skipped));
    if (rejected > 0)
        text += QStringLiteral(", %1 not imported (see the problems listed)")
                    .arg(locale.toString(rejected));
    return text + QLatin1Char('.');
}

ResultValue<ImportPlan> ImportPlan::build(DelimitedFile& file, const ImportMapping& mapping,
                                          Duplicates duplicates, const Opportunities& existing,
                                          const ProgressCallback& progress, int previewRows) {
    ImportPlan plan;
    const auto problem = [&plan](qint64 line, const QString& message, bool rejected) {
        if (rejected)
            ++plan.rejected;
        else
            ++plan.warnings;
        if (plan.problems.size() < MaxListed)
            plan.problems.push_back({line, message, rejected});
    };

    QHash<QString, Match> matches;
    matches.reserve(existing.count() + 4096);
    for (const Opportunity& item : existing) {
        const QString key = matchKey(item);
        if (!matches.contains(key))
            matches.insert(key,
                           {Match::Kind::Existing, 0, Opportunities::keyFor(item.recordNumber())});
    }

    std::array<bool, Count> mapped{};
    for (const int target : mapping.columns()) {
        if (target >= 0)
            mapped[static_cast<size_t>(target)] = true;
        else if (target == ImportMapping::OrderDate)
            mapped[OrderDay] = mapped[OrderMonth] = mapped[OrderYear] = true;
    }
    // The header says how many values a row has; without one, the widest of the first rows.
    const qsizetype expected = file.header().isEmpty() ? file.columnCount() : file.header().size();
    const Opportunity fresh;
    qint64 additionCount = 0;
    // The order date's parts, made once each: an opportunity holds such texts by their number
    // in the process's table, found fastest when the same string comes again.
    std::array<QString, 12> monthNames;
    for (int month = 1; month <= 12; ++month)
        monthNames[static_cast<size_t>(month - 1)] = Opportunity::orderMonthName(month);
    std::array<QString, 31> dayTexts;
    for (int day = 1; day <= 31; ++day)
        dayTexts[static_cast<size_t>(day - 1)] =
            QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
    QHash<int, QString> yearTexts;

    file.rewind();
    DelimitedFile::Record record;
    while (file.next(record)) {
        ++plan.rows;
        if (progress && plan.rows % ProgressEvery == 0 && !progress(file.position(), file.size()))
            return Result::cancelled();
        const qint64 line = record.line;
        const QStringList& values = record.values;

        if (values.size() > expected) {
            bool extraEmpty = true;
            for (qsizetype i = expected; i < values.size(); ++i)
                extraEmpty = extraEmpty && values.at(i).trimmed().isEmpty();
            if (!extraEmpty) {
                problem(line,
                        QStringLiteral("The row has %1 values where %2 are expected (a delimiter "
                                       "in an unquoted value?).")
                            .arg(values.size())
                            .arg(expected),
                        true);
                continue;
            }
        }

        RowValues converted{fresh, mapped};
        Opportunity& row = converted.row;
        QString rejection;
        QStringList remarks;
        if (values.size() < expected)
            remarks.append(QStringLiteral("The row has %1 values where %2 are expected; the "
                                          "missing ones are empty.")
                               .arg(values.size())
                               .arg(expected));
        for (int column = 0; column < mapping.columnCount() && rejection.isEmpty(); ++column) {
            const int target = mapping.target(column);
            if (target == ImportMapping::Ignore)
                continue;
            const QString value = column < values.size() ? values.at(column) : QString();
            if (target == ImportMapping::OrderDate) {
                if (value.trimmed().isEmpty()) {
                    row.setOrderDay(QString());
                    row.setOrderMonth(QString());
                    row.setOrderYear(QString());
                    continue;
                }
                const QDate date = parseDate(value);
                if (!date.isValid() || date.year() < 1000 || date.year() > 9999) {
                    rejection = QStringLiteral("%1 is not a date.").arg(quoted(value));
                    continue;
                }
                row.setOrderDay(dayTexts[static_cast<size_t>(date.day() - 1)]);
                row.setOrderMonth(monthNames[static_cast<size_t>(date.month() - 1)]);
                QString& year = yearTexts[date.year()];
                if (year.isEmpty())
                    year = QString::number(date.year());
                row.setOrderYear(year);
                continue;
            }
            const auto field = static_cast<Field>(target);
            if (info(field).amount != Amount::None) {
                const QString amount = value.trimmed();
                if (!amount.isEmpty() && !isAmount(amount)) {
                    rejection =
                        QStringLiteral("%1 %2 is not a number.").arg(caption(field), quoted(value));
                    continue;
                }
                row.setText(field, amount);
                continue;
            }
            QString text = unguarded(value);
            if ((field == Stage || field == Probability) && !text.isEmpty()) {
                const QStringList& list =
                    field == Stage ? ValueLists::stage() : ValueLists::probability();
                // Written as the list writes it (the list's own string), else in other letters,
                // else kept as it is.
                if (const qsizetype at = list.indexOf(text); at >= 0) {
                    text = list.at(at);
                } else {
                    if (const auto entry = listEntry(list, text.trimmed()))
                        text = *entry;
                    else
                        remarks.append(
                            QStringLiteral("%1 %2 is not in the list; it is kept as it is.")
                                .arg(caption(field), quoted(text)));
                }
            }
            row.setText(field, std::move(text));
        }
        if (rejection.isEmpty()) {
            row.fitOrderMonth();
            if (const QString tooLong = SalesSchema::checkSizes(row); !tooLong.isEmpty())
                rejection = tooLong + QLatin1Char('.');
        }
        if (!rejection.isEmpty()) {
            problem(line, rejection, true);
            continue;
        }
        for (const QString& remark : std::as_const(remarks))
            problem(line, remark, false);
        if (plan.preview.size() < static_cast<size_t>(previewRows))
            plan.preview.push_back({row, line});

        const QString key = matchKey(row);
        const auto match = matches.find(key);
        if (match != matches.end()) {
            ++plan.duplicates;
            if (plan.duplicateRows.size() < MaxListed) {
                QString name = row.company().trimmed();
                if (!name.isEmpty() && !row.description().trimmed().isEmpty())
                    name += QStringLiteral(" - ");
                name += row.description().trimmed();
                plan.duplicateRows.push_back({line, name, match->kind == Match::Kind::Existing});
            }
            if (duplicates == Duplicates::Skip) {
                ++plan.skipped;
                continue;
            }
            if (duplicates == Duplicates::Update) {
                // The row's columns overwrite the match; its other fields stay.
                Opportunity* target = nullptr;
                switch (match->kind) {
                case Match::Kind::Existing: {
                    const Opportunity* item = existing.item(match->key);
                    plan.updates.push_back({match->key, *item, line});
                    *match = {Match::Kind::Update, qsizetype(plan.updates.size() - 1), QString()};
                    target = &plan.updates.back().fields;
                    break;
                }
                case Match::Kind::Update:
                    target = &plan.updates[static_cast<size_t>(match->index)].fields;
                    plan.updates[static_cast<size_t>(match->index)].line = line;
                    break;
                case Match::Kind::Addition:
                    if (match->index < qsizetype(plan.additions.size()))
                        target = &plan.additions[static_cast<size_t>(match->index)].fields;
                    break;
                }
                if (target) {
                    for (int field = 0; field < Count; ++field) {
                        if (converted.set[static_cast<size_t>(field)])
                            target->setText(static_cast<Field>(field),
                                            row.text(static_cast<Field>(field)));
                    }
                }
                continue;
            }
        }
        ++additionCount;
        if (existing.count() + additionCount > MaxOpportunities)
            continue; // counted, not kept: the plan fails below
        if (match == matches.end())
            matches.insert(key, {Match::Kind::Addition, qsizetype(plan.additions.size()), {}});
        plan.additions.push_back({std::move(row), line});
    }
    if (existing.count() + additionCount > MaxOpportunities) {
        const QLocale locale;
        return Result::failure(
            QStringLiteral("The import would add %1 opportunities to the %2 of the database, "
                           "more than the %3 a database holds. Nothing was imported; import "
                           "fewer rows, skip or update the duplicates, or import into another "
                           "database.")
                .arg(locale.toString(additionCount), locale.toString(existing.count()),
                     locale.toString(MaxOpportunities)));
    }
    if (progress)
        progress(file.size(), file.size());
    return plan;
}
