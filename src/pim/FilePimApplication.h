#pragma once

#include "pim/PimApplication.h"
#include "pim/PimFolders.h"

#include <memory>

// The standard mail, calendar and contacts adapter, on open standards: contacts are the vCards
// of the .vcf files in the contacts folder; an appointment or a task is saved as an iCalendar
// file in the calendar folder and displayed by opening that file in the user's calendar
// program; a mail is saved as an e-mail draft (.eml) in the drafts folder and displayed in a
// compose window of the user's mail program (xdg-email).
class FilePimApplication : public PimApplication {
public:
    // The adapter on `folders`, which are created when missing; fails when one of them cannot
    // be created, read or written.
    static PimValue<std::unique_ptr<PimApplication>> open(const PimFolders& folders);
    // The adapter's name and version.
    static QString versionText();
    // The program that opens compose windows.
    static constexpr const char* MailProgram = "xdg-email";
    // How long Display waits for the compose program to report failure; one that still runs
    // then is taken to show its window.
    static constexpr int ComposeWaitMs = 5000;

    explicit FilePimApplication(const PimFolders& folders);

    PimValue<QString> version() const override;
    PimValue<std::unique_ptr<Namespace>> getNamespace(const QString& type) override;
    PimValue<std::unique_ptr<MailItem>> createMailItem() override;
    PimValue<std::unique_ptr<AppointmentItem>> createAppointmentItem() override;
    PimValue<std::unique_ptr<TaskItem>> createTaskItem() override;

private:
    std::shared_ptr<const PimFolders> m_folders;
};
