#include "platform/QtUiServices.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {
QMessageBox::Icon toQt(UiServices::Icon icon) {
    switch (icon) {
    case UiServices::Icon::Information:
        return QMessageBox::Information;
    case UiServices::Icon::Question:
        return QMessageBox::Question;
    case UiServices::Icon::Exclamation:
        return QMessageBox::Warning;
    case UiServices::Icon::Critical:
        return QMessageBox::Critical;
    case UiServices::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(UiServices::Buttons buttons) {
    switch (buttons) {
    case UiServices::Buttons::Ok:
        return QMessageBox::Ok;
    case UiServices::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case UiServices::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case UiServices::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case UiServices::Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}
} // namespace

UiServices::Answer QtUiServices::messageBox(const QString& text, const QString& title, Icon icon,
                                            Buttons buttons) {
    QMessageBox box(toQt(icon), title, text, toQt(buttons), QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

std::optional<QString> QtUiServices::chooseFile(const FileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.filters.isEmpty())
        dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.filterSuffixes.size() == request.filters.size()) {
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &request](const QString& filter) {
                             const qsizetype index = request.filters.indexOf(filter);
                             if (index >= 0)
                                 dialog.setDefaultSuffix(request.filterSuffixes.at(index));
                         });
    }
    const QString directory = request.directory.isEmpty() ? m_lastDirectory : request.directory;
    if (!directory.isEmpty())
        dialog.setDirectory(directory);
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    m_lastDirectory = request.folder ? chosen : QFileInfo(chosen).absolutePath();
    return chosen;
}

void QtUiServices::setClipboardText(const QString& text) {
    QApplication::clipboard()->setText(text);
}

QString QtUiServices::clipboardText() {
    return QApplication::clipboard()->text();
}

void QtUiServices::beep() {
    QApplication::beep();
}

void QtUiServices::setWaitCursor(bool on) {
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool QtUiServices::openInUserProgram(const QString& pathOrUrl) {
    const QUrl url = QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(pathOrUrl)
                                                  : QUrl::fromUserInput(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

bool QtUiServices::startProgram(const QString& program, const QStringList& arguments) {
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return false;
    return QProcess::startDetached(found, arguments);
}
