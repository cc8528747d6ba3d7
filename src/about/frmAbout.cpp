#include "about/frmAbout.h"

#include "about/AppInfo.h"
#include "about/SystemInfoRegistry.h"
#include "platform/UiServices.h"
#include "ui_frmAbout.h"

#include <QApplication>
#include <QIcon>
#include <QLayout>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::frmAbout>()) {
    m_ui->setupUi(this);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cmdSysInfo, &QPushButton::clicked, this, [] { StartSysInfo(); });
    connect(m_ui->cmdCopy, &QPushButton::clicked, this, &frmAbout::copyVersions);
    Form_Load();
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + AppInfo::Title());
    m_ui->lblVersion->setText(AppInfo::VersionText());
    m_ui->lblTitle->setText(AppInfo::Title());

    QFont titleFont = m_ui->lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    m_ui->lblTitle->setFont(titleFont);

    QStringList lines;
    for (const AppInfo::Component& component : AppInfo::Components())
        lines << component.name + QLatin1Char(' ') + component.version;
    m_ui->lblComponents->setText(lines.join(QLatin1Char('\n')));

    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        m_ui->picIcon->setPixmap(icon.pixmap(64, 64));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void frmAbout::copyVersions() {
    UiServices::instance().setClipboardText(AppInfo::ReportText());
}

void frmAbout::StartSysInfo() {
    UiServices& ui = UiServices::instance();
    const ResultValue<SystemInfoRegistry::Command> command = SystemInfoRegistry::Find();
    if (command && ui.startProgram(command->program, command->arguments))
        return;
    ui.messageBox(SystemInfoRegistry::UnavailableText(), AppInfo::Title(), UiServices::Icon::None,
                  UiServices::Buttons::Ok);
}
