#include "exchange/OpportunityBatch.h"

#include "platform/LocaleText.h"
#include "store/OpportunityFields.h"
#include "store/SalesDatabase.h"
#include "store/SalesFile.h"
#include "store/SalesSchema.h"
#include "store/SqlStatement.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace {

// The statement that adds one record: every field, bound by its index in the field table.
QByteArray insertSql() {
    QString values;
    for (int i = 1; i <= OpportunityFields::Count; ++i)
        values += (i > 1 ? QStringLiteral(", ?") : QStringLiteral("?")) + QString::number(i);
    return (QStringLiteral("INSERT INTO Sales (") + OpportunityFields::storedNameList() +
            QStringLiteral(") VALUES (") + values + QLatin1Char(')'))
        .toUtf8();
}

// The highest record number in the file that an open would read (one that fits 32 bits), or 0.
std::optional<qint64> highestInFile(sqlite3* db) {
    SqlStatement highest(db, "SELECT max(CAST(RecordNumber AS INTEGER)) FROM Sales WHERE "
                             "CAST(RecordNumber AS INTEGER) BETWEEN -2147483648 AND 2147483647");
    if (!highest.ok() || sqlite3_step(highest.get()) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_int64(highest.get(), 0);
}

// A text of no more UTF-16 units than its field's size fits; only longer ones need the count
// of characters.
bool mayBeTooLong(const Opportunity& o) {
    for (const OpportunityFields::Info& field : OpportunityFields::Fields) {
        if (OpportunityFields::isText(field.field) && o.text(field.field).size() > field.size)
            return true;
    }
    return false;
}

// Binds one UTF-8 text; the bytes live in `keep` until the row is written.
void bind(sqlite3_stmt* s, int index, const QString& text, QByteArray& keep) {
    keep = text.toUtf8();
    sqlite3_bind_text(s, index, keep.constData(), static_cast<int>(keep.size()), SQLITE_STATIC);
}

} // namespace

Result OpportunityBatch::addAll(SalesDatabase& target, const std::vector<const Opportunity*>& items,
                                const Describe& describe) {
    const QString location = target.databaseLocation();
    const QString failed = QStringLiteral("Could not add the opportunities to %1: %2");
    const auto fail = [&](const QString& cause) {
        return Result::failure(failed.arg(location, cause) + QStringLiteral(" Nothing was added."));
    };
    if (items.empty())
        return {};

    // Texts too long for their fields are found before the file is touched.
    for (size_t i = 0; i < items.size(); ++i) {
        if (!mayBeTooLong(*items[i]))
            continue;
        if (const QString tooLong = SalesSchema::checkSizes(*items[i]); !tooLong.isEmpty())
            return fail(describe(i) + QStringLiteral(": ") + tooLong + QLatin1Char('.'));
    }

    SalesFile file(location, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return fail(file.error() + QLatin1Char('.'));
    if (!file.hasSalesTable())
        return fail(file.error() + QLatin1Char('.'));
    const auto inFile = highestInFile(file.handle());
    if (!inFile) {
        file.takeError(sqlite3_errcode(file.handle()));
        return fail(file.error() + QLatin1Char('.'));
    }
    const qint64 inCollection =
        target.opportunities().nextRecordNumber().value_or(std::numeric_limits<qint32>::max()) -
        qint64(1);
    const qint64 first = std::max({*inFile, inCollection, qint64(0)}) + 1;
    const qint64 last = first + static_cast<qint64>(items.size()) - 1;
    if (last > std::numeric_limits<qint32>::max())
        return fail(QStringLiteral("no record numbers are left for %1 more opportunities.")
                        .arg(items.size()));

    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray created = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    const QByteArray sql = insertSql();
    SqlStatement insert(file.handle(), sql.constData());
    if (!insert.ok()) {
        file.takeError(insert.rc());
        return fail(file.error() + QLatin1Char('.'));
    }
    sqlite3_stmt* s = insert.get();
    sqlite3_bind_text(s, 3, created.constData(), static_cast<int>(created.size()), SQLITE_STATIC);
    std::array<QByteArray, OpportunityFields::Count> keep;
    std::vector<qint64> rowIds;
    rowIds.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const Opportunity& o = *items[i];
        sqlite3_bind_int(s, 1, static_cast<int>(first + static_cast<qint64>(i)));
        for (const OpportunityFields::Info& field : OpportunityFields::Fields) {
            if (field.field != OpportunityFields::DateCreated &&
                OpportunityFields::isText(field.field))
                bind(s, field.field + 1, o.text(field.field), keep[field.field]);
        }
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_DONE) {
            file.takeError(rc);
            return fail(describe(i) + QStringLiteral(": ") + file.error() + QLatin1Char('.'));
        }
        rowIds.push_back(sqlite3_last_insert_rowid(file.handle()));
        sqlite3_reset(s);
    }
    if (!file.commit())
        return fail(file.error() + QLatin1Char('.'));

    // The file has them all: now the collection, which mirrors the file (the creation time
    // included, as an open would show it).
    const QString createdText = QLocale().toString(now, LocaleText::generalDateTimeFormat());
    ::Opportunities& collection = target.opportunities();
    collection.reserve(collection.count() + static_cast<qint32>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const auto number = static_cast<qint32>(first + static_cast<qint64>(i));
        auto copy = std::make_unique<Opportunity>(Opportunity::Blank{});
        copy->setRecordNumber(number);
        copy->copyFieldsFrom(*items[i]);
        copy->setDateCreated(createdText);
        copy->setRowId(rowIds[i]);
        collection.add(std::move(copy), ::Opportunities::keyFor(number));
    }
    return {};
}
