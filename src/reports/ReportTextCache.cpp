#include "reports/ReportTextCache.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace {
// The memory the shaped texts may take, roughly, in bytes.
constexpr qsizetype Budget = 24 * 1024 * 1024;
// What one shaped text costs: a fixed part and a part per character.
constexpr qsizetype FixedCost = 600;
constexpr qsizetype CostPerCharacter = 48;

const QChar Ellipsis(0x2026);
// The smallest size a text is shrunk to, in points.
constexpr double MinimumPoints = 3;
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

std::unique_ptr<ReportTextCache::Entry> ReportTextCache::layOut(QPainter& painter,
                                                                const QFont& font, double room,
                                                                const QString& text) const {
    auto entry = std::make_unique<Entry>();
    entry->layout = std::make_unique<QTextLayout>(text, font, painter.device());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    entry->layout->setTextOption(option);
    entry->layout->setCacheEnabled(true); // keep the glyphs for every later drawing
    entry->layout->beginLayout();
    QTextLine line = entry->layout->createLine();
    line.setLineWidth(qMax(room, 1.0));
    entry->layout->endLayout();
    entry->width = line.naturalTextWidth();
    entry->ascent = line.ascent();
    return entry;
}

std::unique_ptr<ReportTextCache::Entry>
ReportTextCache::shrunk(QPainter& painter, const QFont& font, double room, const QString& text,
                        std::unique_ptr<Entry> whole) const {
    // The size steps down in quarter points, as far as the room asks; the width of a text is
    // nearly proportional to the size, and a step more is taken where it is not quite.
    double points = font.pointSizeF();
    std::unique_ptr<Entry> entry = std::move(whole);
    while (entry->width > room && points > MinimumPoints) {
        const double wanted = points * room / entry->width;
        points = qMax(MinimumPoints, qMin(points - 0.25, std::floor(wanted * 4) / 4));
        QFont smaller = font;
        smaller.setPointSizeF(points);
        entry = layOut(painter, smaller, room, text);
    }
    return entry;
}

std::unique_ptr<ReportTextCache::Entry> ReportTextCache::shape(QPainter& painter, const QFont& font,
                                                               const FontMetrics& metrics,
                                                               double room, const QString& text,
                                                               Fit fit, qsizetype cutFrom,
                                                               qsizetype cutLength) const {
    auto entry = layOut(painter, font, room, text);
    if (entry->width <= room)
        return entry;
    if (fit == Fit::Shrink)
        return shrunk(painter, font, room, text, std::move(entry));

    if (cutLength > 0) {
        // Only a part may be cut: as many of its characters as fit, found by halving.
        const QString before = text.left(cutFrom);
        const QString part = text.mid(cutFrom, cutLength);
        const QString after = text.mid(cutFrom + cutLength);
        const auto shownWith = [&](qsizetype kept) {
            return before + part.left(kept) + Ellipsis + after;
        };
        qsizetype low = 0;
        qsizetype high = part.size() - 1;
        std::unique_ptr<Entry> best = layOut(painter, font, room, shownWith(0));
        if (best->width > room)
            return shrunk(painter, font, room, shownWith(0), std::move(best));
        while (low < high) {
            const qsizetype middle = (low + high + 1) / 2;
            auto tried = layOut(painter, font, room, shownWith(middle));
            if (tried->width <= room) {
                low = middle;
                best = std::move(tried);
            } else {
                high = middle - 1;
            }
        }
        return best;
    }

    // Too wide: as many characters as fit before the ellipsis, found on the shaped line.
    const QTextLine line = entry->layout->lineAt(0);
    int cut =
        line.xToCursor(qMax(0.0, room - metrics.ellipsis), QTextLine::CursorBetweenCharacters);
    // The cursor may round up to the character that crosses the edge.
    while (cut > 0 && line.cursorToX(cut) + metrics.ellipsis > room)
        cut = entry->layout->previousCursorPosition(cut);
    for (;;) {
        auto elided = layOut(painter, font, room, text.left(cut) + Ellipsis);
        // Kerning at the cut may still make it a little wider: one character less then.
        if (elided->width <= room || cut == 0)
            return elided;
        cut = entry->layout->previousCursorPosition(cut);
    }
}

void ReportTextCache::drawCell(QPainter& painter, const QFont& font, const QRectF& rect,
                               const QString& text, Qt::Alignment align, Fit fit, qsizetype cutFrom,
                               qsizetype cutLength) {
    if (text.isEmpty())
        return;
    const int dpi = painter.device()->logicalDpiY();
    if (dpi != m_dpi) {
        clear();
        m_dpi = dpi;
    }
    const FontMetrics& metrics = metricsOf(painter, font);
    if (cutLength <= 0 || cutFrom < 0 || cutFrom + cutLength > text.size())
        cutFrom = cutLength = 0;
    else
        fit = Fit::Cut;
    const int how = cutLength > 0 ? 2 + int(cutFrom) : int(fit);
    const Key key{&font, int(rect.width() * 100), how, text};
    Entry* entry = m_entries.object(key);
    std::unique_ptr<Entry> uncached;
    if (!entry) {
        uncached = shape(painter, font, metrics, rect.width(), text, fit, cutFrom, cutLength);
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
