#include "platform/QtUiServices.h"

#include "platform/AccessKeys.h"

#include "platform/QtWorkProgress.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
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

// Notes a message box closed without a button: Escape or the title bar's close button. Qt
// reports that as a click on the box's No button when it has no Cancel button.
class DismissWatcher : public QObject {
public:
    bool dismissed() const { return m_dismissed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close ||
            (event->type() == QEvent::KeyPress &&
             static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel)))
            m_dismissed = true;
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_dismissed = false;
};
} // namespace

UiServices::Answer QtUiServices::messageBox(const QString& text, const QString& title, Icon icon,
                                            Buttons buttons) {
    QMessageBox box(toQt(icon), title, text, toQt(buttons), QApplication::activeWindow());
    AccessKeys::assignButtons(&box);
    DismissWatcher watcher;
    box.installEventFilter(&watcher);
    const int clicked = box.exec();
    // Closed without an answer: Cancel, the answer that changes nothing.
    if (watcher.dismissed() && buttons != Buttons::Ok)
        return Answer::Cancel;
    switch (clicked) {
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
    QCheckBox* checkBox = nullptr;
    if (request.checkBox) {
        // Only Qt's own dialog takes a widget of the caller's, as a last row of its grid.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            checkBox = new QCheckBox(request.checkBoxText, &dialog);
            checkBox->setObjectName(QStringLiteral("chkFileOption"));
            checkBox->setChecked(*request.checkBox);
            grid->addWidget(checkBox, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
    // Never larger than the screen, whatever the scale.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dialog.resize(dialog.sizeHint().boundedTo(screen->availableGeometry().size() * 0.95));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (checkBox)
        *request.checkBox = checkBox->isChecked();
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

std::unique_ptr<WorkProgress> QtUiServices::startWork(const QString& title, const QString& label) {
    return std::make_unique<QtWorkProgress>(title, label, QApplication::activeWindow());
}
