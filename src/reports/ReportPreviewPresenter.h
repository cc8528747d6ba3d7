#pragma once

#include "reports/ReportEngine.h"

class QWidget;

// Shows each report the engine makes in a modal preview window over `parent`.
class ReportPreviewPresenter : public ReportEngine::Presenter {
public:
    explicit ReportPreviewPresenter(QWidget* parent = nullptr) : m_parent(parent) {}
    Result present(std::shared_ptr<ReportDocument> document,
                   const ReportEngine::MailSettings& mail) override;

private:
    QWidget* m_parent;
};
