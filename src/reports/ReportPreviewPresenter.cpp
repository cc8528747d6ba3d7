#include "reports/ReportPreviewPresenter.h"

#include "reports/ReportPreviewWindow.h"

Result ReportPreviewPresenter::present(std::shared_ptr<ReportDocument> document,
                                       const ReportEngine::MailSettings& mail) {
    ReportPreviewWindow window(std::move(document), mail, m_settings, m_parent);
    window.exec();
    return {};
}
