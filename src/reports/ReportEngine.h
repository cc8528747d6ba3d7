#pragma once

#include "platform/Result.h"
#include "reports/ReportDocument.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <memory>

// The report engine: it takes the settings the window hands over (the data file, the formulas
// SalesRep and UserCompany, the mail recipients, copy list and text, the template file and the
// run request), makes the report and reports a status number and the text of the last error.
//
// A run reads the template, reads the database file itself (read-only, so every change already
// written is included and the list's filter plays no part), lays the report out and hands it to
// the presenter, which shows it (the preview window of the GUI). Status 0 is success; 1 and
// above are failures with an error text.
class ReportEngine {
public:
    enum Status {
        Success = 0,
        DataFileFailed = 1, // the database file is missing, locked, damaged or no sales file
        TemplateFailed = 2, // the template is missing or not readable as a template
        OutputFailed = 3,   // the report could not be shown or written
        NotReady = 4,       // no data file, no template, or no way to show the report
    };

    // The recipients, copy list and text of the mail that sends a report.
    struct MailSettings {
        QString toList;
        QString ccList;
        QString message;
    };

    // Shows a finished report: the preview window, or a test's recorder.
    class Presenter {
    public:
        virtual ~Presenter() = default;
        // Fails only when the report could not be shown at all.
        virtual Result present(std::shared_ptr<ReportDocument> document,
                               const MailSettings& mail) = 0;
    };

    ReportEngine() = default;

    // The settings, named as the window sets them.
    void setDataFiles(int index, const QString& path);
    QString dataFiles(int index) const { return m_dataFiles.value(index); }
    void setFormulas(int index, const QString& text);
    QString formulas(int index) const { return m_formulas.value(index); }
    void setMailToList(const QString& list) { m_mail.toList = list; }
    void setMailCcList(const QString& list) { m_mail.ccList = list; }
    void setMailMessage(const QString& text) { m_mail.message = text; }
    const MailSettings& mail() const { return m_mail; }
    void setReportFileName(const QString& path) { m_reportFileName = path; }
    const QString& reportFileName() const { return m_reportFileName; }

    // The run request: 1 makes the report and presents it. Returns the status.
    int setAction(int request);
    int lastErrorNumber() const { return m_status; }
    const QString& lastErrorString() const { return m_error; }

    // Not owned; nullptr leaves a run without a way to show its report.
    void setPresenter(Presenter* presenter) { m_presenter = presenter; }
    // The print date on the pages; today when not set.
    void setPrintDate(const QDate& date) { m_printDate = date; }

    // The representative and company of the formulas SalesRep and userCompany ("" when unset).
    QString formulaValue(const QString& name) const;

    // The report of the current settings, or the failure; sets the status and error text.
    std::shared_ptr<ReportDocument> makeDocument();

    // A report without a window: the template (a shipped name such as "Summary", or a path)
    // over the database at `database`, written as a PDF to `pdfPath`.
    struct Outcome {
        int status = Success;
        QString error;
        int pages = 0;
    };
    static Outcome renderToPdf(const QString& database, const QString& templateNameOrPath,
                               const QString& pdfPath, const QString& salesRep,
                               const QString& company, const QDate& printDate = {});

private:
    int fail(Status status, const QString& error);

    QMap<int, QString> m_dataFiles;
    QMap<int, QString> m_formulas;
    MailSettings m_mail;
    QString m_reportFileName;
    Presenter* m_presenter = nullptr;
    QDate m_printDate;
    int m_status = Success;
    QString m_error;
};
