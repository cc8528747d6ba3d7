#include "about/HelpWindow.h"

#include "platform/UiServices.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>

namespace {
QPointer<HelpWindow>& current() {
    static QPointer<HelpWindow> window;
    return window;
}

const QString HelpTitle = QStringLiteral("Corvane Help");

QAction* addCommand(QToolBar* bar, const char* name, const QString& text, const char* themeIcon,
                    const QKeySequence& key) {
    QAction* action = bar->addAction(QIcon::fromTheme(QLatin1String(themeIcon)), text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    return action;
}
} // namespace

bool HelpWindow::showTopic(const QString& topic, QWidget* owner, const HelpManual& manual) {
    const ResultValue<QUrl> url = manual.topicUrl(topic);
    if (!url) {
        UiServices::instance().messageBox(url.message(), HelpTitle, UiServices::Icon::Exclamation,
                                          UiServices::Buttons::Ok);
        return false;
    }

    // Over a modal dialog the window must belong to that dialog, or the dialog blocks it.
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent && owner)
        parent = owner->window();
    QPointer<HelpWindow>& window = current();
    if (!window) {
        window = new HelpWindow(parent);
    } else if (window->parentWidget() != parent) {
        const QRect geometry = window->geometry();
        window->setParent(parent, window->windowFlags());
        window->setGeometry(geometry);
    }
    window->m_homeUrl =
        QUrl::fromLocalFile(QDir(manual.folder()).filePath(QLatin1String(HelpManual::Contents)));
    window->showUrl(url.value());
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

HelpWindow* HelpWindow::instance() {
    return current();
}

HelpWindow::HelpWindow(QWidget* parent) : QMainWindow(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(HelpTitle);
    setAttribute(Qt::WA_QuitOnClose, false);

    m_txtHelp = new QTextBrowser(this);
    m_txtHelp->setObjectName(QStringLiteral("txtHelp"));
    m_txtHelp->setOpenLinks(false);
    setCentralWidget(m_txtHelp);

    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setObjectName(QStringLiteral("toolbarHelp"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back = addCommand(bar, "cmdBack", QStringLiteral("&Back"), "go-previous",
                        QKeySequence(QKeySequence::Back));
    m_forward = addCommand(bar, "cmdForward", QStringLiteral("&Forward"), "go-next",
                           QKeySequence(QKeySequence::Forward));
    m_home = addCommand(bar, "cmdHome", QStringLiteral("&Contents"), "go-home",
                        QKeySequence(Qt::ALT | Qt::Key_Home));
    bar->addSeparator();
    m_browser = addCommand(bar, "cmdBrowser", QStringLiteral("Open in B&rowser"),
                           "internet-web-browser", QKeySequence());
    m_browser->setToolTip(QStringLiteral("Show this page in your web browser"));

    connect(m_back, &QAction::triggered, m_txtHelp, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_txtHelp, &QTextBrowser::forward);
    connect(m_home, &QAction::triggered, this, [this] { showUrl(m_homeUrl); });
    connect(m_browser, &QAction::triggered, this,
            [this] { UiServices::instance().openInUserProgram(m_txtHelp->source().toString()); });
    connect(m_txtHelp, &QTextBrowser::anchorClicked, this, &HelpWindow::openLink);
    connect(m_txtHelp, &QTextBrowser::historyChanged, this, &HelpWindow::updateCommands);

    // A readable first size: about 70 characters wide, never larger than the screen.
    const QFontMetrics metrics(m_txtHelp->font());
    QSize size(metrics.horizontalAdvance(QLatin1Char('x')) * 110, metrics.lineSpacing() * 40);
    if (const QScreen* screen = QApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 0.9);
    resize(size);
    updateCommands();
}

void HelpWindow::showUrl(const QUrl& url) {
    if (m_txtHelp->source() == url)
        m_txtHelp->reload();
    else
        m_txtHelp->setSource(url);
    if (!url.fragment().isEmpty())
        m_txtHelp->scrollToAnchor(url.fragment());
    updateCommands();
}

void HelpWindow::openLink(const QUrl& link) {
    const QUrl url = m_txtHelp->source().resolved(link);
    if (url.isLocalFile())
        showUrl(url);
    else
        UiServices::instance().openInUserProgram(url.toString());
}

void HelpWindow::updateCommands() {
    m_back->setEnabled(m_txtHelp->isBackwardAvailable());
    m_forward->setEnabled(m_txtHelp->isForwardAvailable());
    const QString title = m_txtHelp->documentTitle();
    setWindowTitle(title.isEmpty() ? HelpTitle : HelpTitle + QStringLiteral(" - ") + title);
}
