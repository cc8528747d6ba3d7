#pragma once

#include <QCache>
#include <QFont>
#include <QHash>
#include <QRectF>
#include <QString>
#include <memory>

class QPainter;
class QTextLayout;

// Draws the one-line texts of report pages. Each text is shaped once per font, device
// resolution and width (shaping is what text costs: measuring a text and then drawing it shapes
// it twice), and the texts a report repeats (companies, stages, dates, headings) are kept
// shaped for the next cell and the next page, up to a memory budget.
class ReportTextCache {
public:
    ReportTextCache();
    ~ReportTextCache();
    ReportTextCache(const ReportTextCache&) = delete;
    ReportTextCache& operator=(const ReportTextCache&) = delete;

    // Draws `text` in `font` in `rect` on one line, vertically centred, cut with an ellipsis
    // when it does not fit; left or right aligned. `font` must outlive the cache (the report's
    // fonts are made once each).
    void drawCell(QPainter& painter, const QFont& font, const QRectF& rect, const QString& text,
                  Qt::Alignment align);

    // Forgets every shaped text.
    void clear();

private:
    struct Key {
        const QFont* font;
        int width; // the room in hundredths of a device pixel
        QString text;
        bool operator==(const Key& other) const {
            return font == other.font && width == other.width && text == other.text;
        }
    };
    friend size_t qHash(const Key& key, size_t seed) {
        return qHashMulti(seed, quintptr(key.font), key.width, key.text);
    }
    struct Entry;
    struct FontMetrics;

    std::unique_ptr<Entry> shape(QPainter& painter, const QFont& font, const FontMetrics& metrics,
                                 double room, const QString& text) const;
    const FontMetrics& metricsOf(QPainter& painter, const QFont& font);

    QCache<Key, Entry> m_entries;
    QHash<const QFont*, FontMetrics> m_metrics;
    int m_dpi = 0; // the resolution the shaped texts are for
};
