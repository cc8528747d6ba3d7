#include "ImportBench.h"

#include "BareSqlite.h"
#include "Measure.h"

#include "exchange/DelimitedFile.h"
#include "exchange/ImportMapping.h"
#include "exchange/ImportPlan.h"
#include "filter/Filters.h"
#include "platform/SettingsStore.h"
#include "store/SalesDatabase.h"
#include "workspace/OpenDatabases.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <cstdio>
#include <fstream>
#include <string>
#include <unordered_map>

namespace {

constexpr int Rows = 100000;

// Reads and plans the file as corvane-cli import does; the file's text is gone when it returns.
ResultValue<ImportPlan> planFile(const QString& csv, const Opportunities& existing) {
    DelimitedFile file;
    if (const Result read = file.read(csv); !read)
        return read;
    return ImportPlan::build(file, ImportMapping::guess(file.header()),
                             ImportPlan::Duplicates::Update, existing);
}

constexpr int Distinct = 32767;
constexpr int Repeats = 3;

QString count(qint64 n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

// A value for a comma-separated row: quoted when it holds a comma, a quote or a line break.
QString csvValue(const QString& value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\n')))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The baseline: reads the rows with std::getline, splits them at commas outside quotes, keeps
// the last row of each company and description, and inserts the rows kept in one transaction.
bool bareImport(const QString& csv, const QString& database) {
    std::ifstream in(QFile::encodeName(csv).toStdString(), std::ios::binary);
    std::string line;
    if (!std::getline(in, line))
        return false;
    std::vector<BareSqlite::Row> rows;
    rows.reserve(Distinct);
    std::unordered_map<std::string, size_t> seen;
    seen.reserve(Distinct);
    std::vector<std::string> values;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        values.clear();
        std::string value;
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (quoted) {
                if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                    value += '"';
                    ++i;
                } else if (c == '"') {
                    quoted = false;
                } else {
                    value += c;
                }
            } else if (c == '"') {
                quoted = true;
            } else if (c == ',') {
                values.push_back(std::move(value));
                value.clear();
            } else {
                value += c;
            }
        }
        values.push_back(std::move(value));
        if (values.size() < 8)
            return false;
        BareSqlite::Row row;
        // Description, Company, Contact, Revenue, Stage, Probability, Close Date, Note.
        row.texts[5] = values[0];
        row.texts[2] = values[1];
        row.texts[3] = values[2];
        row.texts[10] = values[3];
        row.texts[12] = values[4];
        row.texts[13] = values[5];
        row.texts[15] = values[6].substr(8, 2);
        row.texts[16] = values[6].substr(5, 2);
        row.texts[17] = values[6].substr(0, 4);
        row.texts[6] = values[7];
        const std::string key = values[1] + '\x1f' + values[0];
        const auto [at, added] = seen.emplace(key, rows.size());
        if (added)
            rows.push_back(std::move(row));
        else
            rows[at->second] = std::move(row);
    }
    return BareSqlite::insertAll(database, rows, 1);
}

} // namespace

ImportBench::ImportBench(const SalesDatabase& sample, const Filters& filters, const QString& folder)
    : m_sample(sample), m_filters(filters), m_folder(folder) {}

QString ImportBench::emptyDatabase() {
    const QString path = QDir(m_folder).filePath(QStringLiteral("import-%1.mdb").arg(++m_files));
    QFile::remove(path);
    (void)SalesDatabase::create(path);
    return path;
}

QString ImportBench::writeFile() const {
    const QString path = QDir(m_folder).filePath(QStringLiteral("deals.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    const Opportunities& items = m_sample.opportunities();
    QString text = QStringLiteral(
        "Deal Name,Company Name,Contact,Amount,Stage,Probability,Expected Close Date,Notes\r\n");
    for (int row = 0; row < Rows; ++row) {
        const int n = row % Distinct;
        const Opportunity* o = items.item(n % items.count() + 1);
        const QString date = QStringLiteral("%1-%2-%3")
                                 .arg(2026 + n % 3)
                                 .arg(1 + n % 12, 2, 10, QLatin1Char('0'))
                                 .arg(1 + n % 28, 2, 10, QLatin1Char('0'));
        text += csvValue(o->description().left(100) + QStringLiteral(" #%1").arg(n)) +
                QLatin1Char(',') + csvValue(o->company()) + QLatin1Char(',') +
                csvValue(o->contact()) + QLatin1Char(',') + QString::number(1000 + row % 90000) +
                QStringLiteral(".50,") + o->stage() + QLatin1Char(',') + o->probability() +
                QLatin1Char(',') + date + QLatin1Char(',') + csvValue(o->note().left(60)) +
                QStringLiteral("\r\n");
        if (text.size() > (1 << 20)) {
            file.write(text.toUtf8());
            text.clear();
        }
    }
    file.write(text.toUtf8());
    return path;
}

int ImportBench::importOnly(const QString& csv, const QString& database) {
    SettingsStore settings(QFileInfo(database).dir().filePath(QStringLiteral("import-only.ini")));
    const Filters filters(settings);
    OpenDatabases workspace(filters);
    if (!workspace.open(database))
        return 1;
    auto plan = planFile(csv, workspace.shown()->opportunities());
    if (!plan || !workspace.import(std::move(*plan), QStringLiteral("deals.csv")))
        return 1;
    std::printf("%ld\n", Measure::peakResidentKb());
    return 0;
}

void ImportBench::run() {
    const QString csv = writeFile();
    if (csv.isEmpty()) {
        std::printf("(no import figures: the file could not be written)\n");
        return;
    }
    const qint64 bytes = QFile(csv).size();
    std::vector<double> imports, bares;
    qint64 added = -1;
    for (int i = 0; i <= Repeats; ++i) {
        const QString bareTarget = emptyDatabase();
        const double bareMs = Measure::ms([&] { bareImport(csv, bareTarget); });
        const QString target = emptyDatabase();
        OpenDatabases workspace(m_filters);
        if (!workspace.open(target))
            return;
        const double importMs = Measure::ms([&] {
            auto plan = planFile(csv, workspace.shown()->opportunities());
            if (!plan)
                return;
            const auto keys = workspace.import(std::move(*plan), QStringLiteral("deals.csv"));
            added = keys ? keys->size() : -1;
        });
        if (i > 0) {
            imports.push_back(importMs);
            bares.push_back(bareMs);
        }
        workspace.closeShown();
        QFile::remove(bareTarget);
        QFile::remove(target);
    }
    const double importMs = Measure::median(imports);
    const double bareMs = Measure::median(bares);
    const bool ok = added == Distinct;
    Measure::line(QStringLiteral("import %1 rows (%2 MB) as %3 opportunities, duplicates updated")
                      .arg(count(Rows))
                      .arg(bytes >> 20)
                      .arg(count(added)),
                  Measure::duration(importMs),
                  QStringLiteral("bare parse + insert %1  ratio %2")
                      .arg(Measure::duration(bareMs))
                      .arg(importMs / bareMs, 0, 'f', 2),
                  QStringLiteral("<2 s, <=2x"),
                  ok && importMs < 2000.0 && importMs <= 2.0 * bareMs);
    // The peak memory in a process that does nothing else.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {importOnlyArgument(), csv, emptyDatabase()});
    const bool finished = child.waitForFinished(120000) && child.exitCode() == 0;
    const double peakMb =
        finished ? QString::fromUtf8(child.readAllStandardOutput()).trimmed().toDouble() / 1024.0
                 : -1;
    Measure::line(QStringLiteral("peak memory of the import (a process of its own)"),
                  QStringLiteral("%1 MB").arg(peakMb, 0, 'f', 0), QString(),
                  QStringLiteral("<150 MB"), ok && peakMb > 0 && peakMb < 150.0);
    QFile::remove(csv);
}
