#include "about/AboutDialog.h"

#include "about/AppInfo.h"
#include "about/SystemInfoWindow.h"
#include "platform/AccessKeys.h"
#include "platform/UiServices.h"
#include "ui_AboutDialog.h"

#include <QApplication>
#include <QIcon>
#include <QLayout>

AboutDialog::AboutDialog(const SettingsStore& store, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AboutDialog>()) {
    m_ui->setupUi(this);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->cmdSysInfo, &QPushButton::clicked, this,
            [this, &store] { showSystemInfo(store); });
    connect(m_ui->cmdCopy, &QPushButton::clicked, this, &AboutDialog::copyVersions);
    load();
    AccessKeys::assignButtons(this);
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::load() {
    setWindowTitle(QStringLiteral("About ") + AppInfo::title());
    m_ui->lblVersion->setText(AppInfo::versionText());
    m_ui->lblTitle->setText(AppInfo::title());

    QFont titleFont = m_ui->lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    m_ui->lblTitle->setFont(titleFont);

    QStringList lines;
    for (const AppInfo::Component& component : AppInfo::components())
        lines << component.name + QLatin1Char(' ') + component.version;
    m_ui->lblComponents->setText(lines.join(QLatin1Char('\n')));

    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        m_ui->picIcon->setPixmap(icon.pixmap(64, 64));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutDialog::copyVersions() {
    UiServices::instance().setClipboardText(AppInfo::reportText());
}

void AboutDialog::showSystemInfo(const SettingsStore& store) {
    auto* window = new SystemInfoWindow(store, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->open();
}
