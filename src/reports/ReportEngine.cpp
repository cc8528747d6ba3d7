#include "reports/ReportEngine.h"

#include "platform/UiServices.h"
#include "reports/ReportBuilder.h"
#include "reports/ReportChart.h"
#include "reports/ReportDataReader.h"
#include "reports/ReportFormula.h"
#include "reports/ReportTemplate.h"
#include "reports/ReportTemplates.h"

#include <QDir>
#include <QFileInfo>

void ReportEngine::setDataFiles(int index, const QString& path) {
    m_dataFiles.insert(index, path);
}

void ReportEngine::setFormulas(int index, const QString& text) {
    m_formulas.insert(index, text);
}

QString ReportEngine::formulaValue(const QString& name) const {
    QString value;
    for (const QString& text : m_formulas) {
        const ReportFormula formula = ReportFormula::parse(text);
        if (formula.name.compare(name, Qt::CaseInsensitive) == 0)
            value = formula.value;
    }
    return value;
}

int ReportEngine::fail(Status status, const QString& error) {
    m_status = status;
    m_error = error;
    return m_status;
}

std::shared_ptr<ReportDocument> ReportEngine::makeDocument() {
    m_status = Success;
    m_error.clear();
    const QString database = m_dataFiles.value(0);
    if (database.isEmpty()) {
        fail(NotReady, QStringLiteral("No database file is given for the report."));
        return nullptr;
    }
    if (m_reportFileName.isEmpty()) {
        fail(NotReady, QStringLiteral("No report template is chosen."));
        return nullptr;
    }
    const QString templatePath = ReportTemplates::locate(m_reportFileName);
    const QString shownTemplate = QDir::toNativeSeparators(m_reportFileName);
    if (templatePath.isEmpty()) {
        fail(TemplateFailed, QStringLiteral("Could not read the report template %1: the file "
                                            "does not exist.")
                                 .arg(shownTemplate));
        return nullptr;
    }
    const ResultValue<ReportTemplate> reportTemplate = ReportTemplate::load(templatePath);
    if (!reportTemplate) {
        fail(TemplateFailed,
             QStringLiteral("Could not read the report template %1: %2.")
                 .arg(QDir::toNativeSeparators(templatePath), reportTemplate.message()));
        return nullptr;
    }
    if (reportTemplate->chart && !ReportChart::available()) {
        fail(OutputFailed, QStringLiteral("The report %1 has a chart, which only the "
                                          "graphical program can draw.")
                               .arg(reportTemplate->title));
        return nullptr;
    }

    ReportDataReader::Conditions conditions;
    for (const auto& [field, text] : reportTemplate->select)
        conditions.append({ReportRecord::fieldIndex(field), text});
    const auto records = ReportDataReader::read(database, conditions);
    if (!records) {
        fail(DataFileFailed, QStringLiteral("Could not read the database %1: %2.")
                                 .arg(QDir::toNativeSeparators(database), records.message()));
        return nullptr;
    }

    ReportDocument::Heading heading;
    heading.salesRep = formulaValue(QStringLiteral("SalesRep"));
    heading.company = formulaValue(QStringLiteral("UserCompany"));
    heading.databaseName =
        QFileInfo(QString(database).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    heading.printDate = m_printDate.isValid() ? m_printDate : QDate::currentDate();
    return std::make_shared<ReportDocument>(ReportBuilder::build(*reportTemplate, *records),
                                            heading);
}

int ReportEngine::setAction(int request) {
    if (request != 1)
        return fail(NotReady, QStringLiteral("The run request %1 is not known.").arg(request));
    std::shared_ptr<ReportDocument> document;
    {
        WaitCursor wait;
        document = makeDocument();
    }
    if (!document)
        return m_status;
    if (!m_presenter)
        return fail(NotReady, QStringLiteral("There is no window to show the report in."));
    const Result shown = m_presenter->present(document, m_mail);
    if (!shown)
        return fail(OutputFailed, shown.message());
    return m_status;
}

ReportEngine::Outcome ReportEngine::renderToPdf(const QString& database,
                                                const QString& templateNameOrPath,
                                                const QString& pdfPath, const QString& salesRep,
                                                const QString& company, const QDate& printDate) {
    ReportEngine engine;
    engine.setDataFiles(0, database);
    engine.setFormulas(0, QStringLiteral("SalesRep= '") + salesRep + QLatin1Char('\''));
    engine.setFormulas(1, QStringLiteral("UserCompany= '") + company + QLatin1Char('\''));
    engine.setReportFileName(templateNameOrPath);
    engine.setPrintDate(printDate);
    Outcome outcome;
    // The PDF replaces its file: never the database or the template the report is made from.
    const QFileInfo target(pdfPath);
    const QString templatePath = ReportTemplates::locate(templateNameOrPath);
    for (const QString& source : {database, templatePath}) {
        if (!source.isEmpty() && target.exists() && QFileInfo(source).exists() &&
            target.canonicalFilePath() == QFileInfo(source).canonicalFilePath()) {
            outcome.status = OutputFailed;
            outcome.error = QStringLiteral("Could not write the PDF file %1: it is the file the "
                                           "report is made from.")
                                .arg(QDir::toNativeSeparators(pdfPath));
            return outcome;
        }
    }
    const std::shared_ptr<ReportDocument> document = engine.makeDocument();
    if (!document) {
        outcome.status = engine.lastErrorNumber();
        outcome.error = engine.lastErrorString();
        return outcome;
    }
    const Result written = document->writePdf(pdfPath);
    if (!written) {
        outcome.status = OutputFailed;
        outcome.error = QStringLiteral("Could not write the PDF file %1: %2.")
                            .arg(QDir::toNativeSeparators(pdfPath), written.message());
        return outcome;
    }
    outcome.pages = document->pageCount();
    return outcome;
}
