#include "reports/ReportTextCache.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace {
// The memory the shaped texts may take, roughly, in bytes.
constexpr qsizetype Budget = 24 * 1024 * 1024;
// What one shaped text costs: a fixed part and a part per character.
constexpr qsizetype FixedCost = 600;
constexpr qsizetype CostPerCharacter = 48;

const QChar Ellipsis(0x2026);
} // namespace

struct ReportTextCache::Entry {
    std::unique_ptr<QTextLayout> layout; // the text as shown, elided when it did not fit
    double width = 0;                    // of the shown text, in device pixels
    double ascent = 0;                   // of its line
};

struct ReportTextCache::FontMetrics {
    double height = 0;
    double ascent = 0;
    double ellipsis = 0; // the width of "…"
};

ReportTextCache::ReportTextCache() : m_entries(Budget) {}

ReportTextCache::~ReportTextCache() = default;

void ReportTextCache::clear() {
    m_entries.clear();
    m_metrics.clear();
}

const ReportTextCache::FontMetrics& ReportTextCache::metricsOf(QPainter& painter,
                                                               const QFont& font) {
    auto found = m_metrics.find(&font);
    if (found == m_metrics.end()) {
        const QFontMetricsF metrics(font, painter.device());
        found = m_metrics.insert(
            &font, {metrics.height(), metrics.ascent(), metrics.horizontalAdvance(Ellipsis)});
    }
    return *found;
}

std::unique_ptr<ReportTextCache::Entry> ReportTextCache::shape(QPainter& painter, const QFont& font,
                                                               const FontMetrics& metrics,
                                                               double room,
                                                               const QString& text) const {
    const auto layoutOf = [&](const QString& shown, double& width, double& ascent) {
        auto layout = std::make_unique<QTextLayout>(shown, font, painter.device());
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout->setTextOption(option);
        layout->setCacheEnabled(true); // keep the glyphs for every later drawing
        layout->beginLayout();
        QTextLine line = layout->createLine();
        line.setLineWidth(qMax(room, 1.0));
        layout->endLayout();
        width = line.naturalTextWidth();
        ascent = line.ascent();
        return layout;
    };
    auto entry = std::make_unique<Entry>();
    entry->layout = layoutOf(text, entry->width, entry->ascent);
    if (entry->width <= room)
        return entry;

    // Too wide: as many characters as fit before the ellipsis, found on the shaped line.
    const QTextLine line = entry->layout->lineAt(0);
    int cut =
        line.xToCursor(qMax(0.0, room - metrics.ellipsis), QTextLine::CursorBetweenCharacters);
    // The cursor may round up to the character that crosses the edge.
    while (cut > 0 && line.cursorToX(cut) + metrics.ellipsis > room)
        cut = entry->layout->previousCursorPosition(cut);
    for (;;) {
        const QString shown = text.left(cut) + Ellipsis;
        auto elided = std::make_unique<Entry>();
        elided->layout = layoutOf(shown, elided->width, elided->ascent);
        // Kerning at the cut may still make it a little wider: one character less then.
        if (elided->width <= room || cut == 0)
            return elided;
        cut = entry->layout->previousCursorPosition(cut);
    }
}

void ReportTextCache::drawCell(QPainter& painter, const QFont& font, const QRectF& rect,
                               const QString& text, Qt::Alignment align) {
    if (text.isEmpty())
        return;
    const int dpi = painter.device()->logicalDpiY();
    if (dpi != m_dpi) {
        clear();
        m_dpi = dpi;
    }
    const FontMetrics& metrics = metricsOf(painter, font);
    const Key key{&font, int(rect.width() * 100), text};
    Entry* entry = m_entries.object(key);
    std::unique_ptr<Entry> uncached;
    if (!entry) {
        uncached = shape(painter, font, metrics, rect.width(), text);
        entry = uncached.get();
    }
    const double x = (align & Qt::AlignRight) ? rect.right() - entry->width : rect.left();
    const double baseline = rect.top() + (rect.height() - metrics.height) / 2 + metrics.ascent;
    entry->layout->draw(&painter, QPointF(x, baseline - entry->ascent));
    if (uncached) {
        const qsizetype cost = FixedCost + CostPerCharacter * text.size();
        if (cost < Budget / 64)
            m_entries.insert(key, uncached.release(), cost);
    }
}
