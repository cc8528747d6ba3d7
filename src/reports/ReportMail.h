#pragma once

#include "platform/Result.h"
#include "platform/WorkProgress.h"
#include "reports/ReportEngine.h"

class ReportDocument;
class SettingsStore;

// Sends a report by mail: the report as a PDF attached to a mail draft of the user's mail
// program, to the recipients and copy list of the mail settings, with their text as the body.
class ReportMail {
public:
    // The attachment's file name: the title, without characters file systems refuse, ".pdf".
    static QString attachmentName(const ReportDocument& document);
    static QString subject(const ReportDocument& document);
    // The mail draft goes to the drafts folder that `settings` names. `progress` hears how far
    // the PDF is; when it answers false, nothing is mailed and the result is cancelled.
    static Result send(ReportDocument& document, const ReportEngine::MailSettings& mail,
                       SettingsStore& settings, const ProgressCallback& progress = {});
};
