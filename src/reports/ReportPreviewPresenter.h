#pragma once

#include "reports/ReportEngine.h"

class QWidget;
class SettingsStore;

// Shows each report the engine makes in a modal preview window over `parent`.
class ReportPreviewPresenter : public ReportEngine::Presenter {
public:
    // The mail program's folders are the ones `settings` names.
    explicit ReportPreviewPresenter(SettingsStore& settings, QWidget* parent = nullptr)
        : m_settings(settings), m_parent(parent) {}
    Result present(std::shared_ptr<ReportDocument> document,
                   const ReportEngine::MailSettings& mail) override;

private:
    SettingsStore& m_settings;
    QWidget* m_parent;
};
