#include "reports/ReportMail.h"

#include "pim/PimApplication.h"
#include "reports/ReportDocument.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

QString ReportMail::attachmentName(const ReportDocument& document) {
    QString name = document.content().title;
    static const QRegularExpression refused(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(refused, QStringLiteral("-"));
    name = name.trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Report");
    return name + QStringLiteral(".pdf");
}

QString ReportMail::subject(const ReportDocument& document) {
    const QString database = document.heading().databaseName;
    return database.isEmpty() ? document.content().title
                              : document.content().title + QStringLiteral(" - ") + database;
}

Result ReportMail::send(ReportDocument& document, const ReportEngine::MailSettings& mail,
                        SettingsStore& settings, const ProgressCallback& progress) {
    const auto failed = [](const QString& why) {
        return Result::failure(QStringLiteral("The report could not be mailed: %1").arg(why));
    };
    QTemporaryDir folder;
    if (!folder.isValid())
        return failed(QStringLiteral("no temporary folder can be made."));
    const QString pdf = folder.filePath(attachmentName(document));
    const Result written = document.writePdf(pdf, progress);
    if (written.isCancelled())
        return written;
    if (!written)
        return failed(written.message() + QLatin1Char('.'));

    auto application = PimApplication::create(settings);
    if (!application)
        return failed(application.message());
    auto item = (*application)->createMailItem();
    if (!item)
        return failed(item.message());
    PimApplication::MailItem& message = **item;
    // The attachment is copied when it is added, so the temporary file may go afterwards.
    const std::function<PimResult()> steps[] = {
        [&] { return message.setTo(mail.toList); },
        [&] { return message.setCc(mail.ccList); },
        [&] { return message.setSubject(subject(document)); },
        [&] { return message.setBody(mail.message); },
        [&] {
            return message.addAttachment(pdf, PimApplication::AttachmentType::ByValue, 1,
                                         attachmentName(document));
        },
        [&] { return message.save(); },
        [&] { return message.display(); }};
    for (const auto& step : steps) {
        const PimResult done = step();
        if (!done)
            return failed(done.message());
    }
    return {};
}
