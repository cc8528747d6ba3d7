#include "StoreBench.h"

#include "Measure.h"
#include "SampleData.h"
#include "platform/LocaleText.h"
#include "platform/Result.h"
#include "store/SalesDatabase.h"

#include <QLocale>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int OpenRepeats = 7;
constexpr int TotalsRepeats = 21;
constexpr int WriteRepeats = 9;
// Record numbers of the bare writes: negative, far from the store's own, so that the store's
// numbering (one above the highest number of the file) does not follow them.
constexpr int BareRecordBase = -2'000'000;

// Keeps a computed value alive so that the compiler cannot drop the work.
volatile double g_sink = 0.0;

QString ratio(const QString& baseName, double baseMs, double ms) {
    return QStringLiteral("%1 %2  ratio %3")
        .arg(baseName, Measure::duration(baseMs), QString::number(ms / baseMs, 'f', 2));
}

QString count(int n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

} // namespace

StoreBench::StoreBench(const QString& path, int count) : m_path(path), m_count(count) {}

StoreBench::~StoreBench() = default;

bool StoreBench::run() {
    if (!open() || !memory())
        return false;
    totals();
    germanTotals();
    writes();
    return true;
}

bool StoreBench::open() {
    std::vector<double> store;
    std::vector<double> bare;
    // One untimed round of each warms the file cache.
    BareSqlite::readAll(m_path, m_rows);
    for (int i = 0; i <= OpenRepeats; ++i) {
        const double bareMs = Measure::ms([&] { BareSqlite::readAll(m_path, m_rows); });
        ResultValue<std::unique_ptr<SalesDatabase>> opened =
            Result::failure(QStringLiteral("not opened"));
        const double storeMs = Measure::ms([&] { opened = SalesDatabase::open(m_path); });
        if (!opened || (*opened)->opportunities().count() != m_count ||
            static_cast<int>(m_rows.size()) != m_count) {
            std::printf("open failed: %s\n", opened.message().toUtf8().constData());
            return false;
        }
        if (i > 0) {
            bare.push_back(bareMs);
            store.push_back(storeMs);
        }
    }
    const double storeMs = Measure::median(store);
    m_bareReadMs = Measure::median(bare);
    Measure::line(
        QStringLiteral("open %1 records (OpenDatabase)").arg(count(m_count)),
        Measure::duration(storeMs), ratio(QStringLiteral("bare read"), m_bareReadMs, storeMs),
        QStringLiteral("<=2x bare and <150 ms"), storeMs <= 2.0 * m_bareReadMs && storeMs < 150.0);
    return true;
}

bool StoreBench::memory() {
    const size_t heapBefore = Measure::heapInUse();
    const long residentBefore = Measure::residentKb();
    const bool peakReset = Measure::resetPeakResident();
    auto opened = SalesDatabase::open(m_path);
    if (!opened) {
        std::printf("open failed: %s\n", opened.message().toUtf8().constData());
        return false;
    }
    m_database = std::move(*opened);
    const size_t heapAfter = Measure::heapInUse();
    const long peak = Measure::peakResidentKb();

    const double storeBytes = static_cast<double>(heapAfter) - static_cast<double>(heapBefore);
    if (heapAfter <= heapBefore) {
        Measure::line(QStringLiteral("memory of the store, %1 opportunities").arg(count(m_count)),
                      QStringLiteral("unknown"),
                      QStringLiteral("the allocator keeps no count (a sanitizer build?)"));
        return true;
    }
    Measure::line(
        QStringLiteral("memory of the store, %1 opportunities").arg(count(m_count)),
        Measure::megabytes(storeBytes),
        QStringLiteral("heap in use; %1 bytes per opportunity").arg(qRound(storeBytes / m_count)),
        QStringLiteral("<40 MB"), storeBytes < 40.0 * 1024 * 1024);
    if (peakReset && peak > 0 && residentBefore > 0) {
        Measure::line(QStringLiteral("  peak resident set during the open"),
                      Measure::megabytes(static_cast<double>(peak - residentBefore) * 1024),
                      QStringLiteral("above %1 before; process peak %2")
                          .arg(Measure::megabytes(static_cast<double>(residentBefore) * 1024),
                               Measure::megabytes(static_cast<double>(peak) * 1024)));
    } else {
        Measure::line(QStringLiteral("  process peak resident set (VmHWM)"),
                      Measure::megabytes(static_cast<double>(peak) * 1024));
    }
    return true;
}

void StoreBench::totals() {
    const ::Opportunities& items = m_database->opportunities();
    struct Total {
        const char* name;
        std::function<double()> store;
        std::function<double()> bare;
    };
    const Total totals[] = {
        {"NextRecordNumber()", [&] { return double(items.nextRecordNumber().value_or(0)); },
         [&] { return double(BareSqlite::nextRecordNumber(m_rows)); }},
        {"UnFilteredCount", [&] { return double(items.unFilteredCount()); },
         [&] { return double(BareSqlite::nextRecordNumber(m_rows)); }},
        {"FilteredRevenue()", [&] { return items.filteredRevenue(); },
         [&] { return BareSqlite::revenueSum(m_rows); }},
        {"TotalRevenue()", [&] { return items.totalRevenue(); },
         [&] { return BareSqlite::revenueSum(m_rows); }},
    };
    for (const Total& total : totals) {
        std::vector<double> store;
        std::vector<double> bare;
        for (int i = 0; i < TotalsRepeats; ++i) {
            bare.push_back(Measure::ms([&] { g_sink = g_sink + total.bare(); }));
            store.push_back(Measure::ms([&] { g_sink = g_sink + total.store(); }));
        }
        const double storeMs = Measure::median(store);
        Measure::line(QStringLiteral("%1 over %2").arg(QLatin1String(total.name), count(m_count)),
                      Measure::duration(storeMs),
                      ratio(QStringLiteral("bare pass"), Measure::median(bare), storeMs));
    }
}

void StoreBench::germanTotals() {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // The pipeline as a German user's file holds it: revenues such as "48.000,50 €".
    std::vector<QString> texts;
    texts.reserve(static_cast<size_t>(m_count));
    double expected = 0.0;
    for (const Opportunity& item : m_database->opportunities()) {
        texts.push_back(LocaleText::currency(item.revenueAmount()));
        expected += item.revenueAmount();
    }
    ::Opportunities german;
    german.reserve(m_count);
    std::vector<std::unique_ptr<Opportunity>> items;
    for (const Opportunity& item : m_database->opportunities()) {
        auto copy = std::make_unique<Opportunity>(Opportunity::Blank{});
        copy->copyFieldsFrom(item);
        copy->setRecordNumber(item.recordNumber());
        items.push_back(std::move(copy));
    }
    // Each amount is read once, when its text is set (as an open does).
    const double readMs = Measure::ms([&] {
        for (size_t i = 0; i < items.size(); ++i)
            items[i]->setRevenue(texts[i]);
    });
    for (auto& item : items) {
        const qint32 number = item->recordNumber();
        german.add(std::move(item), ::Opportunities::keyFor(number));
    }
    Measure::line(
        QStringLiteral("read %1 de_DE revenue texts (AmountOf, once each)").arg(count(m_count)),
        Measure::duration(readMs));

    std::vector<double> store;
    double total = 0.0;
    for (int i = 0; i < TotalsRepeats; ++i)
        store.push_back(Measure::ms([&] { total = german.totalRevenue(); }));
    const double storeMs = Measure::median(store);
    const bool same = std::abs(total - expected) < 0.005 * m_count;
    Measure::line(QStringLiteral("TotalRevenue() de_DE over %1").arg(count(m_count)),
                  Measure::duration(storeMs),
                  same ? QStringLiteral("total %1").arg(LocaleText::currency(total))
                       : QStringLiteral("WRONG total %1, expected %2")
                             .arg(LocaleText::currency(total), LocaleText::currency(expected)),
                  QStringLiteral("<10 ms"), same && storeMs < 10.0);
    QLocale::setDefault(previous);
}

void StoreBench::writes() {
    ::Opportunities& items = m_database->opportunities();
    const BareSqlite::Row& bareRow = m_rows.front();
    SampleData sample(7u);
    std::vector<double> add, update, remove, bareAdd, bareUpdate, bareRemove;
    for (int i = 0; i < WriteRepeats; ++i) {
        const int bareNumber = BareRecordBase - i;
        bool bareAdded = false;
        bareAdd.push_back(
            Measure::ms([&] { bareAdded = BareSqlite::insertRow(m_path, bareNumber, bareRow); }));
        if (!bareAdded) {
            std::printf("bare insert failed\n");
            return;
        }

        // Stay at the data model's capacity: remove one, then add one.
        const QString removed = items.keyAt(1 + i * (items.count() / WriteRepeats));
        Result removeResult;
        remove.push_back(Measure::ms([&] { removeResult = m_database->remove(removed); }));

        const Opportunity x = sample.next();
        ResultValue<QString> added = Result::failure(QStringLiteral("not added"));
        add.push_back(Measure::ms([&] { added = m_database->add(x); }));
        Result addResult = added.result();
        const QString key = added ? *added : QString();
        Opportunity edited = items.item(key) ? *items.item(key) : x;
        edited.setNote(QStringLiteral("Revised quote sent; call back on Friday."));
        Result updateResult;
        update.push_back(Measure::ms([&] { updateResult = m_database->update(key, edited); }));

        bareUpdate.push_back(
            Measure::ms([&] { BareSqlite::updateRow(m_path, edited.recordNumber(), bareRow); }));
        bareRemove.push_back(Measure::ms([&] { BareSqlite::deleteRow(m_path, bareNumber); }));

        for (const Result* result : {&removeResult, &addResult, &updateResult}) {
            if (!result->ok()) {
                std::printf("write failed: %s\n", result->message().toUtf8().constData());
                return;
            }
        }
    }
    const struct {
        const char* what;
        const std::vector<double>& store;
        const char* baseName;
        const std::vector<double>& bare;
    } figures[] = {{"AddOpportunity (one record)", add, "bare insert", bareAdd},
                   {"UpdateDBOpportunity (one record)", update, "bare update", bareUpdate},
                   {"RemoveOpportunity (one record)", remove, "bare delete", bareRemove}};
    for (const auto& figure : figures) {
        const double storeMs = Measure::median(figure.store);
        const double bareMs = Measure::median(figure.bare);
        Measure::line(QLatin1String(figure.what), Measure::duration(storeMs),
                      ratio(QLatin1String(figure.baseName), bareMs, storeMs),
                      QStringLiteral("<=1.5x bare"), storeMs <= 1.5 * bareMs);
    }
}
