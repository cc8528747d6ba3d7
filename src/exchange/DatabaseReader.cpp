#include "exchange/DatabaseReader.h"

#include "store/SalesFile.h"
#include "store/SharedTexts.h"
#include "store/SqlStatement.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <sqlite3.h>
#include <string_view>

namespace {

const char* const SelectSql =
    "SELECT RecordNumber, SalesOwner, Company, Department, Contact, Description, Note, Product, "
    "UnitPrice, Quantity, Revenue, Source, Stage, Forecast, Probability, OrderDay, OrderMonth, "
    "OrderYear FROM Sales";

QString cause(sqlite3* db, int rc) {
    QString text = SalesFile::describe(rc, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text + QLatin1Char('.');
}

} // namespace

ResultValue<std::vector<Opportunity>> DatabaseReader::read(const QString& path) {
    using Outcome = ResultValue<std::vector<Opportunity>>;
    const QFileInfo info(path);
    if (!info.exists())
        return Outcome::failure(QStringLiteral("The file does not exist."));
    if (!info.isFile())
        return Outcome::failure(QStringLiteral("It is not a file."));

    sqlite3* db = nullptr;
    const int opened = SalesFile::openDefensively(
        path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE, &db);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> connection(db, sqlite3_close);
    if (opened != SQLITE_OK)
        return Outcome::failure(cause(db, opened));

    // One read transaction: the records are read as they stood at one moment.
    if (const int rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return Outcome::failure(cause(db, rc));
    bool utf8File = false;
    {
        SqlStatement encoding(db, "PRAGMA encoding");
        if (!encoding.ok())
            return Outcome::failure(cause(db, encoding.rc()));
        if (const int rc = sqlite3_step(encoding.get()); rc != SQLITE_ROW)
            return Outcome::failure(cause(db, rc));
        utf8File = textColumn(encoding.get(), 0) == QLatin1String("UTF-8");
    }
    // Sized once for the records the file most likely holds.
    qint64 expected = 0;
    {
        SqlStatement count(db, "SELECT count(*) FROM Sales");
        if (count.ok() && sqlite3_step(count.get()) == SQLITE_ROW)
            expected = std::clamp<qint64>(sqlite3_column_int64(count.get(), 0), 0, 1 << 22);
    }
    SqlStatement select(db, SelectSql);
    if (!select.ok()) {
        if ((select.rc() & 0xff) == SQLITE_ERROR)
            return Outcome::failure(QStringLiteral("The file has no usable table Sales."));
        return Outcome::failure(cause(db, select.rc()));
    }

    std::vector<Opportunity> read;
    read.reserve(static_cast<size_t>(expected));
    QSet<qint32> numbers;
    numbers.reserve(expected);
    SharedTexts texts(utf8File);
    int rc;
    sqlite3_stmt* s = select.get();
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const auto number = SalesFile::recordNumberColumn(s, 0);
        if (!number || numbers.contains(*number))
            continue;
        numbers.insert(*number);
        Opportunity& o = read.emplace_back(Opportunity::Blank{});
        o.setRecordNumber(*number);
        o.setSalesOwner(texts.read(s, 1));
        o.setCompany(texts.read(s, 2));
        o.setDepartment(texts.read(s, 3));
        o.setContact(texts.read(s, 4));
        o.setDescription(texts.read(s, 5));
        o.setNote(texts.read(s, 6));
        o.setProduct(texts.read(s, 7));
        o.setUnitPrice(texts.read(s, 8));
        o.setQuantity(texts.read(s, 9));
        o.setRevenue(texts.read(s, 10));
        o.setSource(texts.read(s, 11));
        o.setStage(texts.read(s, 12));
        o.setForecast(texts.read(s, 13));
        o.setProbability(texts.read(s, 14));
        o.setOrderDay(texts.read(s, 15));
        o.setOrderMonth(texts.read(s, 16));
        o.setOrderYear(texts.read(s, 17));
    }
    // A damaged file fails as a whole rather than merging part of it.
    if (rc != SQLITE_DONE)
        return Outcome::failure(cause(db, rc));
    return read;
}
