#pragma once

#include "reports/ReportCanvas.h"

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

    using Fit = ReportCanvas::Fit;

    // Draws `text` in `font` in `rect` on one line, vertically centred, left or right aligned.
    // A text too wide for the room is shrunk or cut as `fit` says; when `cutLength` > 0, only
    // the `cutLength` characters from `cutFrom` may be cut (a note inside a line), and the text
    // is shrunk only when it does not fit even without them. `font` must outlive the cache (the
    // report's fonts are made once each).
    void drawCell(QPainter& painter, const QFont& font, const QRectF& rect, const QString& text,
                  Qt::Alignment align, Fit fit = Fit::Shrink, qsizetype cutFrom = 0,
                  qsizetype cutLength = 0);

    // Forgets every shaped text.
    void clear();

private:
    struct Key {
        const QFont* font;
        int width; // the room in hundredths of a device pixel
        int fit;   // how the text is made to fit: Fit, or the position of its cuttable part
        QString text;
        bool operator==(const Key& other) const {
            return font == other.font && width == other.width && fit == other.fit &&
                   text == other.text;
        }
    };
    friend size_t qHash(const Key& key, size_t seed) {
        return qHashMulti(seed, quintptr(key.font), key.width, key.fit, key.text);
    }
    struct Entry;
    struct FontMetrics;

    std::unique_ptr<Entry> layOut(QPainter& painter, const QFont& font, double room,
                                  const QString& text) const;
    std::unique_ptr<Entry> shape(QPainter& painter, const QFont& font, const FontMetrics& metrics,
                                 double room, const QString& text, Fit fit, qsizetype cutFrom,
                                 qsizetype cutLength) const;
    std::unique_ptr<Entry> shrunk(QPainter& painter, const QFont& font, double room,
                                  const QString& text, std::unique_ptr<Entry> whole) const;
    const FontMetrics& metricsOf(QPainter& painter, const QFont& font);

    QCache<Key, Entry> m_entries;
    QHash<const QFont*, FontMetrics> m_metrics;
    int m_dpi = 0; // the resolution the shaped texts are for
};
