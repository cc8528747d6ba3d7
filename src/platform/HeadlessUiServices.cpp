#include "platform/HeadlessUiServices.h"

UiServices::Answer HeadlessUiServices::defaultAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
    case Buttons::RetryCancel:
        return Answer::Cancel;
    }
    return Answer::Cancel;
}

UiServices::Answer HeadlessUiServices::messageBox(const QString& /*text*/, const QString& /*title*/,
                                                  Icon /*icon*/, Buttons buttons) {
    return defaultAnswer(buttons);
}

std::optional<QString> HeadlessUiServices::chooseFile(const FileRequest& /*request*/) {
    return std::nullopt;
}

bool HeadlessUiServices::openInUserProgram(const QString& /*pathOrUrl*/) {
    return false;
}

bool HeadlessUiServices::startProgram(const QString& /*program*/,
                                      const QStringList& /*arguments*/) {
    return false;
}

int HeadlessUiServices::runProgram(const QString& /*program*/, const QStringList& /*arguments*/,
                                   int /*waitMs*/) {
    return -1;
}
