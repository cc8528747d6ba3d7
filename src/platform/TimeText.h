#pragma once

#include <QLocale>
#include <QString>
#include <QTime>
#include <algorithm>
#include <utility>
#include <vector>

// The text of a time as QLocale::toString(time, format) gives it, without going through the
// pattern for every record. Knows the pattern letters of time texts (h, hh, H, HH, m, mm, s,
// ss, AP, ap, A, a) and quoted text; with any other pattern, or should its texts differ from
// the locale's for a sample of times, every time is left to the locale.
class TimeText {
public:
    TimeText(const QLocale& locale, const QString& format) : m_locale(locale), m_format(format) {
        m_compiled = compile() && agreesWithLocale();
    }

    // Appends the text of `time` to `out`.
    void appendTo(QString& out, const QTime& time) const {
        if (!m_compiled) {
            out.append(m_locale.toString(time, m_format));
            return;
        }
        for (const Piece& piece : m_pieces) {
            int value = 0;
            switch (piece.kind) {
            case Kind::Literal:
                out.append(piece.text);
                continue;
            case Kind::AmPm:
                out.append(time.hour() < 12 ? piece.text : piece.other);
                continue;
            case Kind::Hour12:
                value = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
                break;
            case Kind::Hour24:
                value = time.hour();
                break;
            case Kind::Minute:
                value = time.minute();
                break;
            case Kind::Second:
                value = time.second();
                break;
            }
            if (value >= 10 || piece.width == 2)
                out.append(QChar(u'0' + value / 10));
            out.append(QChar(u'0' + value % 10));
        }
    }
    // The most characters a text can have.
    qsizetype maxSize() const { return m_compiled ? m_size : 64; }

private:
    enum class Kind { Literal, Hour12, Hour24, Minute, Second, AmPm };
    struct Piece {
        Kind kind;
        int width = 1;
        QString text;  // the literal, or the morning text
        QString other; // the afternoon text
    };

    bool compile() {
        const QString& f = m_format;
        const qsizetype n = f.size();
        bool hasAmPm = false;
        for (qsizetype i = 0, quoted = 0; i < n; ++i) {
            if (f[i] == QLatin1Char('\''))
                quoted ^= 1;
            else if (!quoted && (f[i] == QLatin1Char('a') || f[i] == QLatin1Char('A')))
                hasAmPm = true;
        }
        for (qsizetype i = 0; i < n;) {
            const QChar c = f[i];
            if (c == QLatin1Char('\'')) {
                // 'text' is literal; '' is a quote, inside quoted text too.
                QString literal;
                if (i + 1 < n && f[i + 1] == QLatin1Char('\'')) {
                    literal = QStringLiteral("'");
                    i += 2;
                } else {
                    for (++i; i < n; ++i) {
                        if (f[i] != QLatin1Char('\''))
                            literal.append(f[i]);
                        else if (i + 1 < n && f[i + 1] == QLatin1Char('\''))
                            literal.append(f[++i]);
                        else
                            break;
                    }
                    ++i;
                }
                m_pieces.push_back({Kind::Literal, 1, literal, {}});
            } else if (c == QLatin1Char('h') || c == QLatin1Char('H') || c == QLatin1Char('m') ||
                       c == QLatin1Char('s')) {
                const int width = i + 1 < n && f[i + 1] == c ? 2 : 1;
                const Kind kind = c == QLatin1Char('m')              ? Kind::Minute
                                  : c == QLatin1Char('s')            ? Kind::Second
                                  : c == QLatin1Char('h') && hasAmPm ? Kind::Hour12
                                                                     : Kind::Hour24;
                m_pieces.push_back({kind, width, {}, {}});
                i += width;
            } else if (c == QLatin1Char('a') || c == QLatin1Char('A')) {
                const bool lower = c == QLatin1Char('a');
                const QString am = m_locale.amText();
                const QString pm = m_locale.pmText();
                m_pieces.push_back({Kind::AmPm, 1, lower ? am.toLower() : am.toUpper(),
                                    lower ? pm.toLower() : pm.toUpper()});
                i += i + 1 < n && (f[i + 1] == QLatin1Char('p') || f[i + 1] == QLatin1Char('P'))
                         ? 2
                         : 1;
            } else if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                       (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
                return false; // milliseconds, time zones and the like: the locale's business
            } else {
                m_pieces.push_back({Kind::Literal, 1, QString(c), {}});
                ++i;
            }
        }
        m_size = 0;
        for (const Piece& piece : m_pieces)
            m_size += std::max<qsizetype>({2, piece.text.size(), piece.other.size()});
        return true;
    }

    bool agreesWithLocale() {
        m_compiled = true;
        for (int hour = 0; hour < 24; ++hour) {
            for (const auto& [minute, second] : {std::pair{0, 0}, {7, 9}, {59, 59}}) {
                const QTime time(hour, minute, second);
                QString text;
                appendTo(text, time);
                if (text != m_locale.toString(time, m_format))
                    return false;
            }
        }
        return true;
    }

    QLocale m_locale;
    QString m_format;
    bool m_compiled = false;
    std::vector<Piece> m_pieces;
    qsizetype m_size = 0;
};
