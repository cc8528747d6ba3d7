#include "ReportBench.h"

#include "Measure.h"
#include "platform/SettingsStore.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPageView.h"
#include "reports/ReportPreviewWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <ctime>

namespace {
const QString Rep = QStringLiteral("Jordan O'Neil");

// The processor time of the process so far, in milliseconds.
double processorMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}
const QString Company = QStringLiteral("Vantage Systems");
} // namespace

ReportBench::ReportBench(const QString& database, const QString& folder)
    : m_database(database), m_folder(folder) {}

void ReportBench::run() {
    const QString pdf = QDir(m_folder).filePath(QStringLiteral("report.pdf"));
    ReportEngine::Outcome outcome;
    std::vector<double> summary;
    for (int i = 0; i < 5; ++i) {
        summary.push_back(Measure::ms([&] {
            outcome =
                ReportEngine::renderToPdf(m_database, QStringLiteral("Summary"), pdf, Rep, Company);
        }));
    }
    if (outcome.status != 0) {
        std::printf("(no report figures: %s)\n", outcome.error.toUtf8().constData());
        return;
    }
    const double summaryMs = Measure::median(summary);
    Measure::line(QStringLiteral("Summary report to PDF (%1 page)").arg(outcome.pages),
                  Measure::duration(summaryMs), {}, QStringLiteral("<500 ms"),
                  summaryMs < 500 && outcome.pages == 1);

    // The Detail report, every page; the peak memory is that of the run alone.
    const bool peakReset = Measure::resetPeakResident();
    std::vector<double> detail;
    std::vector<double> detailCpu; // the processor time, which a busy machine barely changes
    for (int i = 0; i < 2; ++i) {
        const double cpuBefore = processorMs();
        detail.push_back(Measure::ms([&] {
            outcome =
                ReportEngine::renderToPdf(m_database, QStringLiteral("Detail"), pdf, Rep, Company);
        }));
        detailCpu.push_back(processorMs() - cpuBefore);
    }
    const double detailMs = Measure::median(detail);
    const long peakKb = Measure::peakResidentKb();
    const double peakMb = peakKb / 1024.0;
    Measure::line(QStringLiteral("Detail report to PDF, all %1 pages").arg(outcome.pages),
                  Measure::duration(detailMs),
                  QStringLiteral("PDF %1, processor %2")
                      .arg(Measure::megabytes(QFileInfo(pdf).size()),
                           Measure::duration(Measure::median(detailCpu))),
                  QStringLiteral("<5 s"), outcome.status == 0 && detailMs < 5000);
    Measure::line(QStringLiteral("  peak resident memory of the process"),
                  peakKb < 0 ? QStringLiteral("unknown")
                             : QString::number(peakMb, 'f', 1) + QStringLiteral(" MB"),
                  peakReset ? QString() : QStringLiteral("(peak of the whole run)"),
                  QStringLiteral("<300 MB"), peakKb >= 0 && peakMb < 300);

    // The preview: the report made and the window shown with its first page.
    SettingsStore settings(QDir(m_folder).filePath(QStringLiteral("Corvane.ini")));
    for (const QString& name : {QStringLiteral("Summary"), QStringLiteral("Detail")}) {
        int pages = 0;
        const double ms = Measure::ms([&] {
            ReportEngine engine;
            engine.setDataFiles(0, m_database);
            engine.setReportFileName(name);
            const auto document = engine.makeDocument();
            if (!document)
                return;
            ReportPreviewWindow window(document, {}, settings);
            window.show();
            QApplication::processEvents();
            pages = window.preview()->pageCount();
        });
        Measure::line(QStringLiteral("%1 report in the preview, first page shown").arg(name),
                      Measure::duration(ms), QStringLiteral("%1 pages").arg(pages),
                      QStringLiteral("<1 s"), pages > 0 && ms < 1000);
    }
}
