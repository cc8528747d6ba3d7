#pragma once

#include "store/Opportunity.h"
#include "store/SqlStatement.h"

#include <QDateTime>
#include <QString>
#include <cmath>
#include <string_view>

// Reads DateCreated into an opportunity: a date and time as a number, whose text (the locale's
// general date and time) the opportunity makes only when it is asked for; a stored text that is
// no date and time as it is. A number (another program's choice) is a Julian day, as the
// engine's date functions read numbers.
class DateCreatedReader {
public:
    explicit DateCreatedReader(bool utf8File) : m_utf8File(utf8File) {}

    void readInto(Opportunity& item, sqlite3_stmt* s, int column) const {
        const int type = sqlite3_column_type(s, column);
        if (type == SQLITE_FLOAT || type == SQLITE_INTEGER) {
            if (const QDateTime when = fromJulianDay(sqlite3_column_double(s, column));
                when.isValid())
                item.setCreated(when.date(), when.time());
            else
                item.setDateCreated(textColumn(s, column));
            return;
        }
        const auto [text, size] = columnBytes(s, column, m_utf8File);
        QDate date;
        QTime time;
        if (text && parseExact(std::string_view(text, static_cast<size_t>(size)), date, time)) {
            item.setCreated(date, time);
            return;
        }
        const QString stored = textColumn(s, column);
        if (const QDateTime when = parse(stored); when.isValid())
            item.setCreated(when.date(), when.time());
        else
            item.setDateCreated(stored);
    }

private:
    // "YYYY-MM-DD HH:MM:SS" (or with "T") and "YYYY-MM-DD", as this program writes them, with
    // a valid date and time; anything else is left to parse().
    static bool parseExact(std::string_view text, QDate& date, QTime& time) {
        if (text.size() != 10 && text.size() != 19)
            return false;
        const auto number = [&](size_t at, size_t digits, int& value) {
            value = 0;
            for (size_t i = at; i < at + digits; ++i) {
                if (text[i] < '0' || text[i] > '9')
                    return false;
                value = value * 10 + (text[i] - '0');
            }
            return true;
        };
        int year, month, day, hour = 0, minute = 0, second = 0;
        if (!number(0, 4, year) || text[4] != '-' || !number(5, 2, month) || text[7] != '-' ||
            !number(8, 2, day))
            return false;
        if (text.size() == 19 &&
            ((text[10] != ' ' && text[10] != 'T') || !number(11, 2, hour) || text[13] != ':' ||
             !number(14, 2, minute) || text[16] != ':' || !number(17, 2, second)))
            return false;
        date = QDate(year, month, day);
        time = QTime(hour, minute, second);
        return year > 0 && date.isValid() && time.isValid();
    }

    // 2453370.5 is 1 January 2005, 00:00:00; days outside the years 1 to 9999 are no dates.
    static QDateTime fromJulianDay(double day) {
        if (!(day >= 1721425.5 && day < 5373484.5))
            return {};
        constexpr qint64 msPerDay = 86'400'000;
        const qint64 ms = std::llround((day + 0.5) * static_cast<double>(msPerDay));
        // Whole seconds, as the texts this program writes have them.
        const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms % msPerDay));
        return QDateTime(QDate::fromJulianDay(ms / msPerDay),
                         QTime(time.hour(), time.minute(), time.second()));
    }

    // "YYYY-MM-DD HH:MM:SS" or with "T", as the engine writes it; a bare date is midnight.
    static QDateTime parse(const QString& text) {
        if (text.size() < 10)
            return {};
        const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
        if (!date.isValid())
            return {};
        if (text.size() == 10)
            return QDateTime(date, QTime(0, 0));
        const QTime time = QTime::fromString(text.mid(11, 8), Qt::ISODate);
        return time.isValid() ? QDateTime(date, time) : QDateTime();
    }

    bool m_utf8File;
};
