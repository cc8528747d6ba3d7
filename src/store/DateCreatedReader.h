#pragma once

#include "platform/LocaleText.h"
#include "platform/TimeText.h"
#include "store/SqlStatement.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QString>
#include <cmath>
#include <memory>
#include <string_view>

// DateCreated as the locale's general date-and-time text; a stored text that is no date and
// time stays as it is. A number (another program's choice) is a Julian day, as the engine's
// date functions read numbers.
class DateCreatedReader {
public:
    explicit DateCreatedReader(bool utf8File) : m_utf8File(utf8File) {
        // The general text is the short date, a blank and the long time, so the date and the
        // time can be formatted apart: each date once, and no time-zone work per record. Should
        // a locale's patterns not split that way, every record takes the general path.
        const QString dateFormat = LocaleText::shortDateFormat();
        if (m_format.startsWith(dateFormat + QLatin1Char(' '))) {
            m_dateFormat = dateFormat;
            m_time = std::make_unique<TimeText>(m_locale, m_format.mid(dateFormat.size() + 1));
            const QDateTime probe(QDate(2004, 12, 31), QTime(23, 59, 58));
            m_split = m_locale.toString(probe, m_format) == formatApart(probe.date(), probe.time());
        }
    }

    QString read(sqlite3_stmt* s, int column) {
        const int type = sqlite3_column_type(s, column);
        if (type == SQLITE_FLOAT || type == SQLITE_INTEGER) {
            if (const QDateTime when = fromJulianDay(sqlite3_column_double(s, column));
                when.isValid()) {
                if (QString general = m_split ? formatApart(when.date(), when.time()) : QString();
                    !general.isNull())
                    return general;
                return m_locale.toString(when, m_format);
            }
            return textColumn(s, column);
        }
        if (m_split) {
            const auto [text, size] = columnBytes(s, column, m_utf8File);
            QDate date;
            QTime time;
            if (text && parseExact(std::string_view(text, static_cast<size_t>(size)), date, time)) {
                if (QString general = formatApart(date, time); !general.isNull())
                    return general;
            }
        }
        const QString stored = textColumn(s, column);
        const QDateTime when = parse(stored);
        return when.isValid() ? m_locale.toString(when, m_format) : stored;
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

    // The general text of a date and time; null on days on which the local clock changes
    // (those take the general path, which knows the local time zone).
    QString formatApart(const QDate& date, const QTime& time) {
        auto found = m_dates.constFind(date.toJulianDay());
        if (found == m_dates.constEnd()) {
            const bool clockChanges = QDateTime(date, QTime(0, 0)).offsetFromUtc() !=
                                      QDateTime(date.addDays(1), QTime(0, 0)).offsetFromUtc();
            found =
                m_dates.insert(date.toJulianDay(),
                               clockChanges ? QString() : m_locale.toString(date, m_dateFormat));
        }
        if (found->isNull())
            return QString();
        QString text;
        text.reserve(found->size() + 1 + m_time->maxSize());
        text.append(*found).append(QLatin1Char(' '));
        m_time->appendTo(text, time);
        return text;
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
    QLocale m_locale;
    QString m_format = LocaleText::generalDateTimeFormat();
    bool m_split = false;
    QString m_dateFormat;
    std::unique_ptr<TimeText> m_time;
    QHash<qint64, QString> m_dates;
};
