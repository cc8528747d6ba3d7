#include "ScriptedUiServices.h"

#include "platform/HeadlessUiServices.h"

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

void ScriptedUiServices::clearRecords() {
    m_messages.clear();
    m_fileRequests.clear();
    m_opened.clear();
    m_started.clear();
    m_waitCursor.clear();
    m_beeps = 0;
}
