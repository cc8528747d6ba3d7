#include "ExchangeBench.h"

#include "BareSqlite.h"
#include "Measure.h"
#include "exchange/DataMerge.h"
#include "exchange/DatabaseCopy.h"
#include "exchange/TextExport.h"
#include "store/SalesDatabase.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <cstdio>
#include <fstream>
#include <sqlite3.h>
#include <string>

namespace {

constexpr int Repeats = 5;
constexpr int LeadLines = 10000;

QString ratio(const QString& baseName, double baseMs, double ms) {
    return QStringLiteral("%1 %2  ratio %3")
        .arg(baseName, Measure::duration(baseMs), QString::number(ms / baseMs, 'f', 2));
}

// The peak resident memory of the process since the last resetPeakMemory(), in MB (Linux only;
// -1 elsewhere).
double peakMemoryMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}
void resetPeakMemory() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

QString count(qint64 n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

// The bare baseline of a lead import: the lines split at TABs and inserted in one transaction.
bool bareLeadImport(const QString& leads, const QString& target) {
    std::ifstream in(leads.toStdString(), std::ios::binary);
    std::string line;
    std::vector<BareSqlite::Row> rows;
    int number = 0;
    while (std::getline(in, line)) {
        if (++number <= 2)
            continue;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> columns;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            columns.push_back(line.substr(start, tab - start));
        columns.push_back(line.substr(start));
        columns.resize(13);
        BareSqlite::Row& row = rows.emplace_back();
        row.texts[2] = columns[9];
        row.texts[3] = columns[0] + ' ' + columns[10];
        row.texts[5] = columns[0] + ' ' + columns[9] + " - Vantick Lead";
        for (const std::string& column : columns)
            row.texts[6] += column + ", ";
        row.texts[11] = "Vantick";
        row.texts[12] = "Lead";
        row.texts[13] = "25% - Long Shot";
    }
    return BareSqlite::insertAll(target, rows, 1);
}

} // namespace

ExchangeBench::ExchangeBench(SalesDatabase& database, const QString& folder)
    : m_database(database), m_folder(folder) {}

void ExchangeBench::run() {
    exportFigure();
    mergeFigure();
    leadFigure();
    leadMemoryFigure();
    saveAsFigure();
}

QString ExchangeBench::emptyDatabase() {
    const QString path = QDir(m_folder).filePath(QStringLiteral("exchange-%1.mdb").arg(++m_files));
    (void)SalesDatabase::create(path);
    return path;
}

void ExchangeBench::exportFigure() {
    ::Opportunities& items = m_database.opportunities();
    for (qint32 i = 1; i <= items.count(); ++i)
        items.item(i)->setVisible(true);
    const QString target = QDir(m_folder).filePath(QStringLiteral("export.csv"));
    const QString bareTarget = QDir(m_folder).filePath(QStringLiteral("bare-export.csv"));
    std::vector<double> store, bare;
    qint64 written = 0;
    for (int i = 0; i <= Repeats; ++i) {
        const double bareMs =
            Measure::ms([&] { BareSqlite::exportCsv(m_database.location(), bareTarget); });
        const double storeMs = Measure::ms([&] {
            const auto result = TextExport::write(items, target, {m_database.location()});
            written = result ? *result : -1;
        });
        if (i > 0) {
            bare.push_back(bareMs);
            store.push_back(storeMs);
        }
    }
    const double storeMs = Measure::median(store);
    const double bareMs = Measure::median(bare);
    Measure::line(QStringLiteral("export %1 opportunities to .csv").arg(count(written)),
                  Measure::duration(storeMs),
                  ratio(QStringLiteral("bare CSV loop"), bareMs, storeMs),
                  QStringLiteral("<=2x bare"), written == items.count() && storeMs <= 2.0 * bareMs);
}

void ExchangeBench::mergeFigure() {
    const QString source = m_database.location();
    std::vector<double> store, bare;
    qint64 merged = 0;
    for (int i = 0; i <= Repeats; ++i) {
        const QString bareTarget = emptyDatabase();
        std::vector<BareSqlite::Row> rows;
        const double bareMs = Measure::ms([&] {
            BareSqlite::readAll(source, rows);
            BareSqlite::insertAll(bareTarget, rows, 1);
        });
        auto target = SalesDatabase::open(emptyDatabase());
        if (!target)
            return;
        DataMerge::Outcome outcome;
        const double storeMs =
            Measure::ms([&] { outcome = DataMerge::mergeDatabase(**target, source); });
        merged = outcome.ok() ? outcome.added : -1;
        if (i > 0) {
            bare.push_back(bareMs);
            store.push_back(storeMs);
        }
        QFile::remove(bareTarget);
        QFile::remove((*target)->location());
    }
    const double storeMs = Measure::median(store);
    const double bareMs = Measure::median(bare);
    Measure::line(QStringLiteral("merge a database of %1 (mergeDatabase)").arg(count(merged)),
                  Measure::duration(storeMs),
                  ratio(QStringLiteral("bare read + bulk insert"), bareMs, storeMs),
                  QStringLiteral("<1 s and <=2x bare"),
                  merged == m_database.opportunities().count() && storeMs < 1000.0 &&
                      storeMs <= 2.0 * bareMs);
}

void ExchangeBench::leadFigure() {
    const QString leads = QDir(m_folder).filePath(QStringLiteral("leads.txt"));
    {
        QFile file(leads);
        if (!file.open(QIODevice::WriteOnly))
            return;
        QByteArray text = "Vantick lead export\r\nFirst\tLast\r\n";
        const Opportunities& items = m_database.opportunities();
        for (int i = 0; i < LeadLines; ++i) {
            const Opportunity* o = items.item(i % items.count() + 1);
            const QString first = o->contact().section(QLatin1Char(' '), 0, 0);
            const QString last = o->contact().section(QLatin1Char(' '), 1);
            text += (first + "\t" + o->department() + "\t\"" + o->product() + "\"\t" + o->source() +
                     "\t\t" + o->stage() + "\t\t\t\t" + o->company() + "\t" + last + "\t555-01" +
                     QString::number(i % 100) + "\t" + QString::number(i) + "\r\n")
                        .toUtf8();
        }
        file.write(text);
    }
    std::vector<double> store, bare;
    qint64 added = 0;
    for (int i = 0; i <= Repeats; ++i) {
        const QString bareTarget = emptyDatabase();
        const double bareMs = Measure::ms([&] { bareLeadImport(leads, bareTarget); });
        auto target = SalesDatabase::open(emptyDatabase());
        if (!target)
            return;
        DataMerge::Outcome outcome;
        const double storeMs =
            Measure::ms([&] { outcome = DataMerge::mergeText(**target, leads); });
        added = outcome.ok() ? outcome.added : -1;
        if (i > 0) {
            bare.push_back(bareMs);
            store.push_back(storeMs);
        }
        QFile::remove(bareTarget);
        QFile::remove((*target)->location());
    }
    const double storeMs = Measure::median(store);
    Measure::line(QStringLiteral("lead import of %1 lines (mergeText)").arg(count(added)),
                  Measure::duration(storeMs),
                  ratio(QStringLiteral("bare split + insert"), Measure::median(bare), storeMs),
                  QStringLiteral("<0.5 s"), added == LeadLines && storeMs < 500.0);
}

void ExchangeBench::leadMemoryFigure() {
    // As many leads as one merge adds, every column filled, among 16 MB of blank lines.
    const QString leads = QDir(m_folder).filePath(QStringLiteral("large-leads.txt"));
    constexpr int Leads = 32767;
    qint64 bytes = 0;
    {
        QFile file(leads);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write("Vantick lead export\r\nFirst\tLast\r\n");
        const QByteArray blanks(16 << 10, '\n');
        QByteArray columns;
        for (int c = 0; c < 13; ++c)
            columns += QByteArray(100, char('a' + c)) + '\t';
        for (int i = 0; i < Leads; ++i) {
            file.write(QByteArray::number(i) + columns + "\r\n");
            if (i % 32 == 0)
                file.write(blanks);
        }
        bytes = file.size();
    }
    auto target = SalesDatabase::open(emptyDatabase());
    if (!target)
        return;
    resetPeakMemory();
    const double before = peakMemoryMb();
    const DataMerge::Outcome outcome = DataMerge::mergeText(**target, leads);
    const double peak = peakMemoryMb();
    const bool ok = outcome.ok() && outcome.added == Leads;
    Measure::line(QStringLiteral("peak memory of a lead import of %1 MB (%2 leads)")
                      .arg(bytes >> 20)
                      .arg(count(outcome.added)),
                  QStringLiteral("%1 MB").arg(peak, 0, 'f', 0),
                  QStringLiteral("before %1 MB").arg(before, 0, 'f', 0), QStringLiteral("<200 MB"),
                  ok && peak >= 0 && peak < 200.0);
    QFile::remove((*target)->location());
    QFile::remove(leads);
}

void ExchangeBench::saveAsFigure() {
    const QString source = m_database.location();
    std::vector<double> store, bare;
    bool saved = true;
    for (int i = 0; i <= Repeats; ++i) {
        const QString copy = QDir(m_folder).filePath(QStringLiteral("copy-%1.mdb").arg(i));
        const QString saveAs = QDir(m_folder).filePath(QStringLiteral("saved-%1.mdb").arg(i));
        const double bareMs = Measure::ms([&] { QFile::copy(source, copy); });
        const double storeMs = Measure::ms(
            [&] { saved = DatabaseCopy::saveAs(source, saveAs, {source}).ok() && saved; });
        if (i > 0) {
            bare.push_back(bareMs);
            store.push_back(storeMs);
        }
        QFile::remove(copy);
        QFile::remove(saveAs);
    }
    const double storeMs = Measure::median(store);
    Measure::line(QStringLiteral("Save As of the %1 KB file").arg(QFile(source).size() / 1024),
                  Measure::duration(storeMs),
                  ratio(QStringLiteral("plain file copy"), Measure::median(bare), storeMs),
                  QStringLiteral("<0.3 s"), saved && storeMs < 300.0);
}
