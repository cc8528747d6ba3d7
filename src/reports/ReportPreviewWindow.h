#pragma once

#include "reports/ReportEngine.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QPrinter;
class ReportDocument;
class ReportPageView;
class SettingsStore;

// The print preview of a report, from which the user prints it (the system's print dialog),
// saves it as a PDF file or mails it as a PDF attachment.
class ReportPreviewWindow : public QDialog {
    Q_OBJECT
public:
    // Mail drafts go to the drafts folder that `settings` names.
    ReportPreviewWindow(std::shared_ptr<ReportDocument> document,
                        const ReportEngine::MailSettings& mail, SettingsStore& settings,
                        QWidget* parent = nullptr);
    ~ReportPreviewWindow() override;

    // Asks for the printer and the pages; the system's print dialog unless a test sets its own.
    using PrinterChooser = std::function<bool(QPrinter& printer, QWidget* parent)>;
    static void setPrinterChooser(PrinterChooser chooser);

    ReportPageView* preview() const { return m_preview; }

public slots:
    void printReport();
    void savePdf();
    void mailReport();

private:
    void updatePageLabel();
    // Lays the report out for the preview's page again after printing on other paper.
    void restorePreview();

    std::shared_ptr<ReportDocument> m_document;
    ReportEngine::MailSettings m_mail;
    SettingsStore& m_settings;
    ReportPageView* m_preview = nullptr;
    QLabel* m_pageLabel = nullptr;
};
