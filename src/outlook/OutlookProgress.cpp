#include "outlook/OutlookProgress.h"

namespace {
// Without a GUI nothing is shown.
class SilentProgress : public OutlookProgress {
public:
    void tellEm(const QString&) override {}
    void buttonOn(bool) override {}
    void setProgressMaximum(int) override {}
    void setProgressValue(int) override {}
    void finish() override { delete this; }
    void keepOpen() override { delete this; }
};

OutlookProgress::Factory& factory() {
    static OutlookProgress::Factory installed;
    return installed;
}

OutlookProgress::FocusHandler& focusHandler() {
    static OutlookProgress::FocusHandler installed;
    return installed;
}
} // namespace

OutlookProgress* OutlookProgress::showProgress() {
    if (factory())
        if (OutlookProgress* progress = factory()())
            return progress;
    return new SilentProgress;
}

void OutlookProgress::focusWindow(QObject* window) {
    if (window && focusHandler())
        focusHandler()(window);
}

void OutlookProgress::setFactory(Factory factory_) {
    factory() = std::move(factory_);
}

void OutlookProgress::setFocusHandler(FocusHandler handler) {
    focusHandler() = std::move(handler);
}
