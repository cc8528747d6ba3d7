#pragma once

#include "store/Opportunity.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <iterator>
#include <random>

// Realistic opportunities for the benchmark and for the sample database that newcomers try:
// a sales rep's pipeline over a few hundred customer companies, with contacts, departments, a
// product catalogue, coherent stages, probabilities and forecasts, and notes as people write
// them. The same seed gives the same data; texts follow the default locale (month names,
// number and currency texts) as the editor would write them.
class SampleData {
public:
    explicit SampleData(unsigned seed = 20040317u);

    // The next opportunity. DateCreated holds the stored form ("yyyy-MM-dd HH:mm:ss"), as the
    // file keeps it; RecordNumber is left to the caller.
    Opportunity next();

    // Creates a new sales database file at `path` (it must not exist) and fills it with `count`
    // opportunities numbered 1..count in one transaction. Returns "" on success, else the cause.
    static QString writeDatabase(const QString& path, int count, unsigned seed = 20040317u);

private:
    int uniform(int low, int high);
    template <typename List> const auto& pick(const List& list) {
        return list[static_cast<size_t>(uniform(0, static_cast<int>(std::size(list)) - 1))];
    }
    QString firstName(int company, int person) const;
    QString note(const QString& contactFirstName, const QDate& created, const QDate& order);

    std::mt19937 m_random;
    QDateTime m_now;
};
