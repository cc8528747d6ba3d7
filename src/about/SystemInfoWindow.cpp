#include "about/SystemInfoWindow.h"

#include "about/AppInfo.h"
#include "about/SystemInfoRegistry.h"
#include "about/SystemSummary.h"
#include "platform/AccessKeys.h"
#include "platform/ScreenFit.h"
#include "platform/UiServices.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

SystemInfoWindow::SystemInfoWindow(const SettingsStore& store, QWidget* parent)
    : QDialog(parent), m_store(store) {
    setObjectName(QStringLiteral("SystemInfoWindow"));
    setWindowTitle(QStringLiteral("System Information"));

    m_summary = new QPlainTextEdit(this);
    m_summary->setObjectName(QStringLiteral("txtSummary"));
    m_summary->setAccessibleName(QStringLiteral("System summary"));
    m_summary->setReadOnly(true);
    m_summary->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_summary->setPlainText(SystemSummary::text(SystemSummary::entries(store)));
    const QFontMetrics metrics(m_summary->font());
    m_summary->setMinimumSize(metrics.averageCharWidth() * 30, metrics.lineSpacing() * 4);

    auto* buttons = new QDialogButtonBox(this);
    auto* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("cmdCopy"));
    copy->setToolTip(QStringLiteral("Copy the summary to the clipboard for a problem report."));
    connect(copy, &QPushButton::clicked, this, &SystemInfoWindow::copySummary);
    // An installed system-information program tells more; it is offered when there is one.
    if (const auto command = SystemInfoRegistry::find(store)) {
        auto* program = buttons->addButton(
            QStringLiteral("Open %1...").arg(QFileInfo(command->program).fileName()),
            QDialogButtonBox::ActionRole);
        program->setObjectName(QStringLiteral("cmdProgram"));
        connect(program, &QPushButton::clicked, this, &SystemInfoWindow::startProgram);
    }
    auto* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(buttons);
    AccessKeys::assignButtons(this);
    // Every line in sight where the screen has room.
    const int lines = m_summary->document()->blockCount() + 3;
    const QSize text(metrics.averageCharWidth() * 90, metrics.lineSpacing() * lines);
    ScreenFit::resizeWithin(
        this, sizeHint().expandedTo(text + QSize(0, buttons->sizeHint().height() * 2)));
}

void SystemInfoWindow::copySummary() {
    UiServices::instance().setClipboardText(m_summary->toPlainText());
}

void SystemInfoWindow::startProgram() {
    UiServices& ui = UiServices::instance();
    const ResultValue<SystemInfoRegistry::Command> command = SystemInfoRegistry::find(m_store);
    if (command && ui.startProgram(command->program, command->arguments))
        return;
    ui.messageBox(SystemInfoRegistry::unavailableText(), AppInfo::title(), UiServices::Icon::None,
                  UiServices::Buttons::Ok);
}
