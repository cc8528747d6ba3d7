#pragma once

#include <QAbstractScrollArea>
#include <QCache>
#include <QPixmap>
#include <memory>

class ReportDocument;

// The pages of a report one under the other, as on a desk. Only the pages in sight are painted,
// each when it first comes into view (and kept for a while), so that even a report of
// thousands of pages shows its first page at once.
class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReportPageView(std::shared_ptr<ReportDocument> document, QWidget* parent = nullptr);
    ~ReportPageView() override;

    int pageCount() const;
    // The page at the top of the view, from 1.
    int currentPage() const;
    // Scrolls page `page` (from 1, kept in range) to the top.
    void setCurrentPage(int page);

    // Screen pixels per point.
    double zoom() const { return m_zoom; }
    void zoomIn();
    void zoomOut();
    void fitToWidth();
    void fitInView();

    // The document was laid out anew (another page size, another page count): shows it afresh.
    void updatePages();

    // How many pages were painted since the view was made (the pages in sight, not all).
    int paintedPages() const { return m_paintedPages; }

signals:
    // The current page or the page count changed.
    void pageChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class Fit { None, Width, Page };

    QSize pageSize() const; // of a page on screen, in pixels
    int pageStride() const; // from the top of one page to the next
    void setZoom(double zoom, Fit fit);
    void applyFit();
    void updateScrollBars();
    const QPixmap& pagePixmap(int page);
    int pageInSight() const;
    void announcePage();

    std::shared_ptr<ReportDocument> m_document;
    double m_zoom = 1.0;
    Fit m_fit = Fit::Width;
    QCache<int, QPixmap> m_pixmaps;
    int m_paintedPages = 0;
    int m_current = 1;
    int m_lastPage = 0; // the current page last announced
    bool m_scrollingToPage = false;
};
