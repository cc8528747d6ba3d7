#include "RawDatabase.h"
#include "ReportFixture.h"
#include "TestEnvironment.h"

#include "pim/PimApplication.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPageView.h"
#include "reports/ReportPreviewWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPushButton>
#include <QtTest>

namespace {

// A mail program that records the one draft it is asked to make.
struct Draft {
    QString to, cc, subject, body, attachmentName;
    QByteArray attachment;
    bool saved = false;
    bool displayed = false;
};

class FakeMail : public PimApplication::MailItem {
public:
    explicit FakeMail(Draft& draft) : m_draft(draft) {}
    PimApplication::ItemType type() const override { return PimApplication::ItemType::Mail; }
    QString body() const override { return m_draft.body; }
    PimResult setBody(const QString& body) override { return m_draft.body = body, PimResult(); }
    PimResult save() override { return m_draft.saved = true, PimResult(); }
    PimResult display() override { return m_draft.displayed = true, PimResult(); }
    QString to() const override { return m_draft.to; }
    PimResult setTo(const QString& to) override { return m_draft.to = to, PimResult(); }
    QString cc() const override { return m_draft.cc; }
    PimResult setCc(const QString& cc) override { return m_draft.cc = cc, PimResult(); }
    QString bcc() const override { return {}; }
    PimResult setBcc(const QString&) override { return {}; }
    QString subject() const override { return m_draft.subject; }
    PimResult setSubject(const QString& s) override { return m_draft.subject = s, PimResult(); }
    PimResult addAttachment(const QString& source, PimApplication::AttachmentType, qint32,
                            const QString& displayName) override {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly))
            return PimResult::failure("no attachment");
        m_draft.attachment = file.readAll();
        m_draft.attachmentName = displayName;
        return {};
    }
    qint32 attachmentCount() const override { return m_draft.attachment.isEmpty() ? 0 : 1; }

private:
    Draft& m_draft;
};

class FakeProgram : public PimApplication {
public:
    explicit FakeProgram(Draft& draft) : m_draft(draft) {}
    PimValue<QString> version() const override { return QStringLiteral("fake"); }
    PimValue<std::unique_ptr<Namespace>> getNamespace(const QString&) override {
        return PimResult::failure("none");
    }
    PimValue<std::unique_ptr<MailItem>> createMailItem() override {
        return std::unique_ptr<MailItem>(std::make_unique<FakeMail>(m_draft));
    }
    PimValue<std::unique_ptr<AppointmentItem>> createAppointmentItem() override {
        return PimResult::failure("none");
    }
    PimValue<std::unique_ptr<TaskItem>> createTaskItem() override {
        return PimResult::failure("none");
    }

private:
    Draft& m_draft;
};

std::shared_ptr<ReportDocument> stageReport(TestEnvironment& env) {
    const QString database = env.path("Pipeline.mdb");
    if (!ReportFixture::write(database))
        return nullptr;
    ReportEngine engine;
    engine.setDataFiles(0, database);
    engine.setFormulas(0, "SalesRep= 'O'Brien'");
    engine.setReportFileName("Stage");
    return engine.makeDocument();
}

const ReportEngine::MailSettings Mail{"hq@example.com", "cc@example.com", "Sales report. O'Brien"};

} // namespace

class TestReportPreviewWindow : public QObject {
    Q_OBJECT

private slots:
    void showsThePages();
    void paintsOnlyThePagesInSight();
    void savesPdf_data();
    void savesPdf();
    void cancelledPdfLeavesNothing_data();
    void cancelledPdfLeavesNothing();
    void mails_data();
    void mails();
    void prints();
};

void TestReportPreviewWindow::showsThePages() {
    TestEnvironment env;
    const auto document = stageReport(env);
    QVERIFY(document);
    ReportPreviewWindow window(document, Mail, env.store());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(window.preview()->pageCount(), document->pageCount());
    QCOMPARE(window.windowTitle(), QStringLiteral("Pipeline by Stage - Print Preview"));
    for (const char* name : {"cmdPrint", "cmdSavePdf", "cmdMail", "cmdClose"})
        QVERIFY(window.findChild<QPushButton*>(name));
}

void TestReportPreviewWindow::paintsOnlyThePagesInSight() {
    ReportContent content;
    content.title = "Long";
    content.columnSets.push_back({{"Name"}, {1.0}, {false}, {false}});
    for (int i = 1; i <= 2000; ++i) {
        ReportContent::Band row;
        row.columnSet = 0;
        row.cells = QStringList{QString("Row %1").arg(i)};
        content.bands.push_back(row);
    }
    const auto document = std::make_shared<ReportDocument>(content, ReportDocument::Heading{});
    QVERIFY(document->pageCount() > 20);
    ReportPageView view(document);
    view.resize(500, 700);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTRY_VERIFY(view.paintedPages() > 0);
    QCOMPARE(view.pageCount(), document->pageCount());
    QCOMPARE(view.currentPage(), 1);
    QVERIFY2(view.paintedPages() <= 2, qPrintable(QString::number(view.paintedPages())));

    // The last page, painted when it comes into sight, with its rows on it.
    const int painted = view.paintedPages();
    int announced = 0;
    connect(&view, &ReportPageView::pageChanged, &view, [&] { ++announced; });
    view.setCurrentPage(document->pageCount() + 5);
    QCOMPARE(view.currentPage(), document->pageCount());
    QCOMPARE(announced, 1);
    QTRY_VERIFY(view.paintedPages() > painted);
    QVERIFY(view.paintedPages() <= painted + 2);
    const QImage shown = view.viewport()->grab().toImage();
    int dark = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            dark += qGray(shown.pixel(x, y)) < 100;
    QVERIFY(dark > 100);
}

// A PDF over a database or a named pipe is refused by the same code for the command line tool:
// TestCommandLine::refusedTargets.
void TestReportPreviewWindow::savesPdf_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("saved") << "Out.pdf";
    QTest::newRow("folder missing") << "missing/Out.pdf";
}

void TestReportPreviewWindow::savesPdf() {
    QFETCH(QString, target);
    TestEnvironment env;
    const auto document = stageReport(env);
    QVERIFY(document);
    ReportPreviewWindow window(document, Mail, env.store());
    const QString path = env.path(target);
    env.ui().queueFile(path);
    window.findChild<QPushButton*>("cmdSavePdf")->click();

    QCOMPARE(env.ui().fileRequests().size(), 1);
    const auto& request = env.ui().fileRequests().first();
    QCOMPARE(request.fileName, QStringLiteral("Pipeline by Stage.pdf"));
    QVERIFY(request.save && request.confirmOverwrite);
    if (target == "Out.pdf") {
        QVERIFY(env.ui().messages().isEmpty());
        const QString text = ReportFixture::pdfText(path);
        QVERIFY2(text.contains("Pipeline by Stage") && text.contains("Page 1 of 1") &&
                     text.contains("Sales representative: O'Brien"),
                 qPrintable(text));
        return;
    }
    QCOMPARE(env.ui().messages().size(), 1);
    const auto& message = env.ui().messages().first();
    const QString prefix = "Could not write the PDF file " + path + ": ";
    QVERIFY2(message.text.startsWith(prefix) && message.text.size() > prefix.size(),
             qPrintable(message.text));
    QCOMPARE(message.icon, UiServices::Icon::Critical);
    QVERIFY(!QFile::exists(path));
}

void TestReportPreviewWindow::cancelledPdfLeavesNothing_data() {
    QTest::addColumn<QByteArray>("before"); // the target's content; empty: no file
    QTest::newRow("new file") << QByteArray();
    QTest::newRow("existing file") << QByteArray("%PDF-1.4 the report of last week");
}

void TestReportPreviewWindow::cancelledPdfLeavesNothing() {
    QFETCH(QByteArray, before);
    TestEnvironment env;
    const auto document = stageReport(env);
    QVERIFY(document);
    ReportPreviewWindow window(document, Mail, env.store());
    const QString path = env.path("Out.pdf");
    if (!before.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    const QStringList files = QDir(env.path(".")).entryList(QDir::Files);
    env.ui().queueFile(path);
    env.ui().cancelWorkAt(1); // after the last page, before the file takes the target's place
    window.findChild<QPushButton*>("cmdSavePdf")->click();

    QCOMPARE(env.ui().works().size(), 1);
    const auto& work = env.ui().works().first();
    QCOMPARE(work.title, QStringLiteral("Save Report as PDF"));
    QCOMPARE(work.maximum, qint64(document->pageCount()));
    QVERIFY(work.cancelled && work.ended);
    QVERIFY(env.ui().messages().isEmpty()); // the user's own cancel needs no message
    if (before.isEmpty())
        QVERIFY(!QFile::exists(path));
    else
        QCOMPARE(RawDatabase::readFile(path), before);
    // Nothing half-written is left beside it either.
    QCOMPARE(QDir(env.path(".")).entryList(QDir::Files), files);
}

void TestReportPreviewWindow::mails_data() {
    QTest::addColumn<bool>("available");
    QTest::newRow("drafted") << true;
    QTest::newRow("no mail program") << false;
}

void TestReportPreviewWindow::mails() {
    QFETCH(bool, available);
    TestEnvironment env;
    Draft draft;
    PimApplication::setFactory([&]() -> PimValue<std::unique_ptr<PimApplication>> {
        if (!available)
            return PimResult::failure("the mail program is missing");
        return std::unique_ptr<PimApplication>(std::make_unique<FakeProgram>(draft));
    });
    const auto document = stageReport(env);
    QVERIFY(document);
    ReportPreviewWindow window(document, Mail, env.store());
    window.findChild<QPushButton*>("cmdMail")->click();
    PimApplication::setFactory({});

    if (available) {
        QVERIFY(env.ui().messages().isEmpty());
        QCOMPARE(draft.to, Mail.toList);
        QCOMPARE(draft.cc, Mail.ccList);
        QCOMPARE(draft.body, QStringLiteral("Sales report. O'Brien"));
        QCOMPARE(draft.subject, QStringLiteral("Pipeline by Stage - Pipeline.mdb"));
        QCOMPARE(draft.attachmentName, QStringLiteral("Pipeline by Stage.pdf"));
        QVERIFY(draft.attachment.startsWith("%PDF"));
        QVERIFY(draft.saved && draft.displayed);
    } else {
        QCOMPARE(env.ui().messages().size(), 1);
        const auto& message = env.ui().messages().first();
        QCOMPARE(message.text,
                 QStringLiteral("The report could not be mailed: the mail program is missing"));
        QCOMPARE(message.title, QStringLiteral("Mail Report"));
        QCOMPARE(message.icon, UiServices::Icon::Critical);
    }
}

void TestReportPreviewWindow::prints() {
    TestEnvironment env;
    const auto document = stageReport(env);
    QVERIFY(document);
    ReportPreviewWindow window(document, Mail, env.store());
    const QString path = env.path("Printed.pdf");
    int asked = 0;
    ReportPreviewWindow::setPrinterChooser([&](QPrinter& printer, QWidget*) {
        ++asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        return true;
    });
    window.findChild<QPushButton*>("cmdPrint")->click();
    ReportPreviewWindow::setPrinterChooser({});
    QCOMPARE(asked, 1);
    QVERIFY(env.ui().messages().isEmpty());
    const QString text = ReportFixture::pdfText(path);
    QVERIFY2(text.contains("Subtotal Lead (3 opportunities)") && text.contains("Page 1 of 1"),
             qPrintable(text));
}

QTEST_MAIN(TestReportPreviewWindow)
#include "TestReportPreviewWindow.moc"
