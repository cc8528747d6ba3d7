#include "ScriptedUiServices.h"

#include "platform/HeadlessUiServices.h"
#include "platform/WorkProgress.h"

#include <utility>

// Records what the work reports into the services' list and cancels where scripted.
class ScriptedUiServices::Progress : public WorkProgress {
public:
    Progress(ScriptedUiServices& services, qsizetype index, std::optional<qint64> cancelAt)
        : m_services(services), m_index(index), m_cancelAt(cancelAt) {}
    ~Progress() override { work().ended = true; }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void setMaximum(qint64 maximum) override { work().maximum = maximum; }
    bool setValue(qint64 value) override {
        work().value = value;
        if (m_cancelAt && value >= *m_cancelAt)
            work().cancelled = true;
        return !work().cancelled;
    }
    void setLabel(const QString& text) override { work().label = text; }
    bool wasCancelled() const override { return m_services.m_works.at(m_index).cancelled; }

private:
    Work& work() { return m_services.m_works[m_index]; }
    ScriptedUiServices& m_services;
    qsizetype m_index;
    std::optional<qint64> m_cancelAt;
};

UiServices::Answer ScriptedUiServices::messageBox(const QString& text, const QString& title,
                                                  Icon icon, Buttons buttons) {
    const Message message{text, title, icon, buttons};
    m_messages.append(message);
    if (m_messageHook)
        m_messageHook(message);
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    return HeadlessUiServices::defaultAnswer(buttons);
}

std::optional<QString> ScriptedUiServices::chooseFile(const FileRequest& request) {
    m_fileRequests.append(request);
    m_fileRequests.last().checkBox = nullptr; // not valid after the call
    if (m_files.isEmpty())
        return std::nullopt;
    const std::optional<QString> chosen = m_files.dequeue();
    if (chosen && request.checkBox && !m_checkBoxes.isEmpty())
        *request.checkBox = m_checkBoxes.dequeue();
    return chosen;
}

bool ScriptedUiServices::openInUserProgram(const QString& pathOrUrl) {
    m_opened.append(pathOrUrl);
    return m_openSucceeds;
}

bool ScriptedUiServices::startProgram(const QString& program, const QStringList& arguments) {
    m_started.append({program, arguments});
    return m_startSucceeds;
}

int ScriptedUiServices::runProgram(const QString& program, const QStringList& arguments,
                                   int /*waitMs*/) {
    m_started.append({program, arguments});
    return m_startSucceeds ? m_runExitStatus : -1;
}

std::unique_ptr<WorkProgress> ScriptedUiServices::startWork(const QString& title,
                                                            const QString& label) {
    m_works.append({title, label});
    return std::make_unique<Progress>(*this, m_works.size() - 1, std::exchange(m_cancelAt, {}));
}

void ScriptedUiServices::clearRecords() {
    m_messages.clear();
    m_fileRequests.clear();
    m_opened.clear();
    m_started.clear();
    m_waitCursor.clear();
    m_works.clear();
    m_beeps = 0;
}
