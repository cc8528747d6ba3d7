#include "reports/ReportPreviewWindow.h"

#include "platform/UiServices.h"
#include "platform/WorkProgress.h"
#include "reports/ReportDocument.h"
#include "reports/ReportMail.h"
#include "reports/ReportPageView.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
ReportPreviewWindow::PrinterChooser& chooser() {
    static ReportPreviewWindow::PrinterChooser instance;
    return instance;
}

QPushButton* button(const QString& text, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}
} // namespace

void ReportPreviewWindow::setPrinterChooser(PrinterChooser c) {
    chooser() = std::move(c);
}

ReportPreviewWindow::ReportPreviewWindow(std::shared_ptr<ReportDocument> document,
                                         const ReportEngine::MailSettings& mail,
                                         SettingsStore& settings, QWidget* parent)
    : QDialog(parent), m_document(std::move(document)), m_mail(mail), m_settings(settings) {
    setObjectName(QStringLiteral("ReportPreviewWindow"));
    setWindowTitle(m_document->content().title + QStringLiteral(" - Print Preview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    // The pages are painted as they come into view: a long report opens at once.
    m_preview = new ReportPageView(m_document, this);
    m_preview->setObjectName(QStringLiteral("previewReport"));
    connect(m_preview, &ReportPageView::pageChanged, this, &ReportPreviewWindow::updatePageLabel);

    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("tbrPreview"));
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto tool = [&](const QString& text, const QKeySequence& keys, auto slot) {
        QAction* action = tools->addAction(text);
        action->setShortcut(keys);
        action->setToolTip(text + QStringLiteral(" (") + keys.toString(QKeySequence::NativeText) +
                           QLatin1Char(')'));
        connect(action, &QAction::triggered, m_preview, slot);
        return action;
    };
    tool(QStringLiteral("First Page"), QKeySequence(Qt::CTRL | Qt::Key_Home),
         [this] { m_preview->setCurrentPage(1); });
    tool(QStringLiteral("Previous Page"), QKeySequence(Qt::Key_PageUp),
         [this] { m_preview->setCurrentPage(m_preview->currentPage() - 1); });
    tool(QStringLiteral("Next Page"), QKeySequence(Qt::Key_PageDown),
         [this] { m_preview->setCurrentPage(m_preview->currentPage() + 1); });
    tool(QStringLiteral("Last Page"), QKeySequence(Qt::CTRL | Qt::Key_End),
         [this] { m_preview->setCurrentPage(m_preview->pageCount()); });
    tools->addSeparator();
    tool(QStringLiteral("Zoom In"), QKeySequence::ZoomIn, [this] { m_preview->zoomIn(); });
    tool(QStringLiteral("Zoom Out"), QKeySequence::ZoomOut, [this] { m_preview->zoomOut(); });
    tool(QStringLiteral("Fit Width"), QKeySequence(Qt::CTRL | Qt::Key_1),
         [this] { m_preview->fitToWidth(); });
    tool(QStringLiteral("Whole Page"), QKeySequence(Qt::CTRL | Qt::Key_2),
         [this] { m_preview->fitInView(); });
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("lblPage"));
    m_pageLabel->setMinimumWidth(
        m_pageLabel->fontMetrics().horizontalAdvance(QStringLiteral("Page 00000 of 00000")));
    m_pageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* print = button(QStringLiteral("&Print..."), QStringLiteral("cmdPrint"), this);
    auto* pdf = button(QStringLiteral("Save as P&DF..."), QStringLiteral("cmdSavePdf"), this);
    auto* send = button(QStringLiteral("&Mail..."), QStringLiteral("cmdMail"), this);
    auto* close = button(QStringLiteral("&Close"), QStringLiteral("cmdClose"), this);
    print->setDefault(true);
    connect(print, &QPushButton::clicked, this, &ReportPreviewWindow::printReport);
    connect(pdf, &QPushButton::clicked, this, &ReportPreviewWindow::savePdf);
    connect(send, &QPushButton::clicked, this, &ReportPreviewWindow::mailReport);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* printShortcut = new QAction(this);
    printShortcut->setShortcut(QKeySequence::Print);
    connect(printShortcut, &QAction::triggered, this, &ReportPreviewWindow::printReport);
    addAction(printShortcut);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pageLabel);
    buttons->addStretch(1);
    buttons->addWidget(print);
    buttons->addWidget(pdf);
    buttons->addWidget(send);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tools);
    layout->addWidget(m_preview, 1);
    layout->addLayout(buttons);

    // Large enough to read a page: most of the screen.
    QSize size(900, 1000);
    if (const QScreen* screen = parent ? parent->screen() : this->screen()) {
        const QSize available = screen->availableSize();
        size = size.boundedTo(available * 0.9).expandedTo(QSize(640, 480));
    }
    resize(size);
    m_preview->fitToWidth();
    updatePageLabel();
}

ReportPreviewWindow::~ReportPreviewWindow() = default;

void ReportPreviewWindow::updatePageLabel() {
    m_pageLabel->setText(
        QStringLiteral("Page %1 of %2").arg(m_preview->currentPage()).arg(m_preview->pageCount()));
}

void ReportPreviewWindow::restorePreview() {
    if (m_document->layout().isEquivalentTo(m_document->preferredLayout()))
        return;
    m_document->paginate(m_document->preferredLayout());
    m_preview->updatePages();
}

void ReportPreviewWindow::printReport() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_document->preferredLayout());
    printer.setDocName(m_document->content().title);
    printer.setFromTo(0, 0);
    const bool chosen = chooser() ? chooser()(printer, this) : [&] {
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, m_document->pageCount());
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, true);
        return dialog.exec() == QDialog::Accepted;
    }();
    if (!chosen)
        return;
    int from = 1;
    int to = 0;
    if (printer.printRange() == QPrinter::PageRange) {
        from = printer.fromPage();
        to = printer.toPage();
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        from = to = m_preview->currentPage();
    }
    Result printed;
    {
        // The pages go to the printer with a progress dialog; a cancel stops them and asks the
        // printing system to drop the job (Qt's CUPS printing cannot: it prints what was made).
        const auto work = UiServices::instance().startWork(
            QStringLiteral("Print Report"),
            QStringLiteral("Printing %1...").arg(m_document->content().title));
        printed = m_document->print(printer, from, to, work->callback(), [&] { printer.abort(); });
    }
    // The printer's paper may differ from the preview's: lay the preview out again.
    restorePreview();
    if (!printed && !printed.isCancelled())
        UiServices::instance().messageBox(
            QStringLiteral("The report could not be printed: %1.").arg(printed.message()),
            QStringLiteral("Print Report"), UiServices::Icon::Critical, UiServices::Buttons::Ok);
}

void ReportPreviewWindow::savePdf() {
    UiServices::FileRequest request;
    request.title = QStringLiteral("Save Report as PDF");
    request.defaultSuffix = QStringLiteral("pdf");
    request.fileName = ReportMail::attachmentName(*m_document);
    request.filters = QStringList{QStringLiteral("PDF files (*.pdf)")};
    request.save = true;
    request.confirmOverwrite = true;
    const std::optional<QString> path = UiServices::instance().chooseFile(request);
    if (!path)
        return;
    Result written;
    {
        // A cancel leaves the chosen file as it was: the PDF takes its place only when complete.
        const auto work = UiServices::instance().startWork(
            request.title, QStringLiteral("Writing %1...").arg(QFileInfo(*path).fileName()));
        written = m_document->writePdf(*path, work->callback());
    }
    restorePreview();
    if (!written && !written.isCancelled())
        UiServices::instance().messageBox(
            QStringLiteral("Could not write the PDF file %1: %2.")
                .arg(QDir::toNativeSeparators(*path), written.message()),
            request.title, UiServices::Icon::Critical, UiServices::Buttons::Ok);
}

void ReportPreviewWindow::mailReport() {
    Result sent;
    {
        const auto work = UiServices::instance().startWork(
            QStringLiteral("Mail Report"),
            QStringLiteral("Making the PDF of %1...").arg(m_document->content().title));
        sent = ReportMail::send(*m_document, m_mail, m_settings, work->callback());
    }
    restorePreview();
    if (!sent && !sent.isCancelled())
        UiServices::instance().messageBox(sent.message(), QStringLiteral("Mail Report"),
                                          UiServices::Icon::Critical, UiServices::Buttons::Ok);
}
