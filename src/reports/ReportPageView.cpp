#include "reports/ReportPageView.h"

#include "reports/ReportDocument.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace {
// Pixels of desk around and between the pages.
constexpr int Gap = 12;
constexpr double MinZoom = 0.2;
constexpr double MaxZoom = 8.0;
constexpr double ZoomStep = 1.25;
// The pages kept painted: a screenful and some either side.
constexpr int KeptPages = 8;
} // namespace

ReportPageView::ReportPageView(std::shared_ptr<ReportDocument> document, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(std::move(document)), m_pixmaps(KeptPages) {
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
    applyFit();
}

ReportPageView::~ReportPageView() = default;

int ReportPageView::pageCount() const {
    return m_document->pageCount();
}

QSize ReportPageView::pageSize() const {
    const QSizeF points = m_document->layout().fullRectPoints().size();
    return QSize(qMax(1, qRound(points.width() * m_zoom)),
                 qMax(1, qRound(points.height() * m_zoom)));
}

int ReportPageView::pageStride() const {
    return pageSize().height() + Gap;
}

int ReportPageView::currentPage() const {
    return pageCount() == 0 ? 0 : qBound(1, m_current, pageCount());
}

int ReportPageView::pageInSight() const {
    if (pageCount() == 0)
        return 0;
    // The page that holds the line a third down the view.
    const int y = verticalScrollBar()->value() + viewport()->height() / 3;
    return qBound(1, y / pageStride() + 1, pageCount());
}

void ReportPageView::setCurrentPage(int page) {
    if (pageCount() == 0)
        return;
    page = qBound(1, page, pageCount());
    // The page asked for stays the current one even where the view cannot scroll it to the
    // top (the last pages).
    m_scrollingToPage = true;
    verticalScrollBar()->setValue((page - 1) * pageStride());
    m_scrollingToPage = false;
    m_current = page;
    viewport()->update();
    announcePage();
}

void ReportPageView::announcePage() {
    if (m_current != m_lastPage) {
        m_lastPage = m_current;
        emit pageChanged();
    }
}

void ReportPageView::setZoom(double zoom, Fit fit) {
    const int page = currentPage();
    m_fit = fit;
    // Whole dots per inch on the device, so that painted pages match their places exactly.
    const qreal ratio = devicePixelRatioF();
    // Rounded down, so that a page fitted to the view stays inside it.
    zoom = qMax(1.0, std::floor(72 * qBound(MinZoom, zoom, MaxZoom) * ratio + 1e-6)) / (72 * ratio);
    if (zoom != m_zoom) {
        m_zoom = zoom;
        m_pixmaps.clear();
    }
    updateScrollBars();
    if (page > 0)
        setCurrentPage(page);
    viewport()->update();
}

void ReportPageView::zoomIn() {
    setZoom(m_zoom * ZoomStep, Fit::None);
}

void ReportPageView::zoomOut() {
    setZoom(m_zoom / ZoomStep, Fit::None);
}

void ReportPageView::fitToWidth() {
    m_fit = Fit::Width;
    applyFit();
}

void ReportPageView::fitInView() {
    m_fit = Fit::Page;
    applyFit();
}

void ReportPageView::applyFit() {
    const QSizeF points = m_document->layout().fullRectPoints().size();
    const QSize room = viewport()->size() - QSize(2 * Gap, 2 * Gap);
    double zoom = m_zoom;
    if (m_fit == Fit::Width && points.width() > 0)
        zoom = room.width() / points.width();
    else if (m_fit == Fit::Page && points.width() > 0 && points.height() > 0)
        zoom = qMin(room.width() / points.width(), room.height() / points.height());
    setZoom(zoom, m_fit);
}

void ReportPageView::updatePages() {
    m_pixmaps.clear();
    applyFit();
    m_lastPage = -1; // the page count may have changed
    setCurrentPage(m_current);
}

void ReportPageView::updateScrollBars() {
    const QSize page = pageSize();
    const int height = pageCount() * pageStride() + Gap;
    const int width = page.width() + 2 * Gap;
    const QSize view = viewport()->size();
    verticalScrollBar()->setRange(0, qMax(0, height - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    horizontalScrollBar()->setRange(0, qMax(0, width - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
}

const QPixmap& ReportPageView::pagePixmap(int page) {
    if (const QPixmap* kept = m_pixmaps.object(page))
        return *kept;
    const qreal ratio = devicePixelRatioF();
    // The page is painted at the resolution that makes a point `m_zoom` pixels; the paint device
    // gives whole dots per inch, so the page's size follows from those.
    const int dpi = qMax(1, qRound(72 * m_zoom * ratio));
    const QPageLayout& layout = m_document->layout();
    const QSizeF points = layout.fullRectPoints().size();
    QImage image(qMax(1, qRound(points.width() * dpi / 72)),
                 qMax(1, qRound(points.height() * dpi / 72)), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        const QPointF origin = layout.paintRect(QPageLayout::Point).topLeft() * (dpi / 72.0);
        painter.translate(origin);
        m_document->paintPage(painter, page);
    }
    ++m_paintedPages;
    auto* pixmap = new QPixmap(QPixmap::fromImage(std::move(image)));
    pixmap->setDevicePixelRatio(ratio);
    m_pixmaps.insert(page, pixmap);
    return *m_pixmaps.object(page);
}

void ReportPageView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int count = pageCount();
    if (count == 0)
        return;
    const QSize page = pageSize();
    const int stride = pageStride();
    const int top = verticalScrollBar()->value();
    const int left =
        qMax(Gap, (viewport()->width() - page.width()) / 2) - horizontalScrollBar()->value();
    const QRect exposed = event->rect();
    const int first = qMax(1, (top + exposed.top() - Gap) / stride + 1);
    const int last = qMin(count, (top + exposed.bottom()) / stride + 1);
    for (int p = first; p <= last; ++p) {
        const QRect target(QPoint(left, Gap + (p - 1) * stride - top), page);
        if (!target.intersects(exposed))
            continue;
        painter.fillRect(target.translated(3, 3), QColor(0, 0, 0, 70)); // the page's shadow
        painter.drawPixmap(target, pagePixmap(p));
    }
}

void ReportPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_fit != Fit::None)
        applyFit();
    else
        updateScrollBars();
}

void ReportPageView::scrollContentsBy(int dx, int dy) {
    if (dx != 0 || dy != 0)
        viewport()->update();
    if (!m_scrollingToPage) {
        m_current = pageInSight();
        announcePage();
    }
}
