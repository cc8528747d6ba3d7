#include "settings/OptionsDialog.h"

#include "outlook/OutlookContacts.h"
#include "pim/FilePimApplication.h"
#include "pim/PimFolders.h"
#include "platform/AccessKeys.h"
#include "platform/DialogButtons.h"
#include "platform/LocaleText.h"
#include "platform/ScreenFit.h"
#include "platform/ScrollPanel.h"
#include "platform/SettingsStore.h"
#include "platform/UiServices.h"
#include "settings/ColumnsInfo.h"
#include "settings/FolderCheck.h"
#include "settings/SortChoice.h"
#include "settings/User.h"
#include "store/OpportunityFields.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {
const QString SelectAllCaption = QStringLiteral("Se&lect All");
const QString UnselectAllCaption = QStringLiteral("Unse&lect All");

struct FolderSetting {
    const char* key;
    const char* name; // the standard folder's name
    const char* caption;
    const char* field;
    const char* button;
    const char* check;
    bool writable;
};
constexpr std::array<FolderSetting, 3> FolderSettings{{
    {"ContactsFolder", "Contacts", "Contacts &folder", "txt_ContactsFolder", "cmdBrowseContacts",
     "lbl_ContactsCheck", false},
    {"CalendarFolder", "Calendar", "Ca&lendar folder", "txt_CalendarFolder", "cmdBrowseCalendar",
     "lbl_CalendarCheck", true},
    {"DraftsFolder", "Drafts", "&Drafts folder", "txt_DraftsFolder", "cmdBrowseDrafts",
     "lbl_DraftsCheck", true},
}};

QLineEdit* textBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLabel* buddyLabel(QWidget* parent, const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

// Runs the connection test on the folders the dialog shows, unless another application object
// is installed (tests install their own), and puts things back afterwards.
class ShownFoldersForTest {
public:
    explicit ShownFoldersForTest(const PimFolders& folders)
        : m_previous(PimApplication::factory()) {
        if (!m_previous)
            PimApplication::setFactory([folders] { return FilePimApplication::open(folders); });
    }
    ~ShownFoldersForTest() { PimApplication::setFactory(m_previous); }
    ShownFoldersForTest(const ShownFoldersForTest&) = delete;
    ShownFoldersForTest& operator=(const ShownFoldersForTest&) = delete;

private:
    PimApplication::Factory m_previous;
};
} // namespace

OptionsDialog::OptionsDialog(User& user, ColumnsInfo& columns, SortChoice& sorting,
                             SettingsStore& store, QWidget* parent)
    : QDialog(parent), m_user(user), m_columns(columns), m_sorting(sorting), m_store(store),
      m_tabOptions(new QTabBar(this)), m_frames(new QStackedWidget(this)) {
    setObjectName(QStringLiteral("OptionsDialog"));
    setWindowTitle(QStringLiteral("Options"));
    setModal(false);
    // The pages scroll in a window smaller than they need; the buttons stay in sight.
    auto* scroll = new ScrollPanel(this);
    scroll->setWidget(m_frames);

    m_tabOptions->setObjectName(QStringLiteral("tabOptions"));
    m_tabOptions->setExpanding(false);
    const struct {
        const char* caption;
        const char* key;
        const char* tip;
    } tabs[] = {{"Display", "Display", "Select the information to display."},
                {"User", "User", "Set your user information."},
                {"Connections", "Connection", "Set email address for sending your information."}};
    for (const auto& tab : tabs) {
        const int index = m_tabOptions->addTab(QLatin1String(tab.caption));
        m_tabOptions->setTabData(index, QLatin1String(tab.key));
        m_tabOptions->setTabToolTip(index, QLatin1String(tab.tip));
    }
    m_frames->addWidget(buildColumnsFrame());
    m_frames->addWidget(buildUserFrame());
    m_frames->addWidget(buildConnectPage());

    const DialogButtons buttons = DialogButtons::okCancelApply(
        this, QStringLiteral("cmd_OK"), QStringLiteral("cmd_Cancel"), QStringLiteral("cmd_Apply"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabOptions);
    layout->addWidget(scroll);
    layout->addWidget(buttons.box);

    connect(m_tabOptions, &QTabBar::currentChanged, this, &OptionsDialog::optionsTabChosen);
    connect(buttons.apply, &QPushButton::clicked, this, &OptionsDialog::apply);
    connect(buttons.ok, &QPushButton::clicked, this, [this] {
        apply();
        accept();
    });
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextTab, &QShortcut::activated, this, [this] {
        m_tabOptions->setCurrentIndex((m_tabOptions->currentIndex() + 1) % m_tabOptions->count());
    });

    load();
    AccessKeys::assignButtons(this);
    ScreenFit::resizeWithin(this);
}

QWidget* OptionsDialog::buildColumnsFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Display Columns"), m_frames);
    frame->setObjectName(QStringLiteral("frame_Columns"));
    m_lstColumns = new QListWidget(frame);
    m_lstColumns->setObjectName(QStringLiteral("lst_Columns"));
    m_lstColumns->setAccessibleName(QStringLiteral("Display Columns"));
    for (const QString& entry : OpportunityFields::columnCaptions()) {
        auto* item = new QListWidgetItem(entry, m_lstColumns);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    auto* note = new QLabel(QStringLiteral("Marked columns will be displayed."), frame);
    note->setObjectName(QStringLiteral("lbl_Columns"));
    m_cmdSelectAll = new QPushButton(SelectAllCaption, frame);
    m_cmdSelectAll->setObjectName(QStringLiteral("cmdSelectAll"));
    connect(m_cmdSelectAll, &QPushButton::clicked, this, &OptionsDialog::selectAllFolders);

    auto* side = new QVBoxLayout;
    side->addWidget(note);
    side->addWidget(m_cmdSelectAll);
    side->addStretch();
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(m_lstColumns, 1);
    layout->addLayout(side);
    return frame;
}

QWidget* OptionsDialog::buildUserFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Sales Representative Information"), m_frames);
    frame->setObjectName(QStringLiteral("frame_User"));
    m_txtUser = textBox(frame, "txt_User");
    m_txtCompany = textBox(frame, "txt_Company");
    m_txtID = textBox(frame, "txt_ID");
    m_txtTerritory = textBox(frame, "txt_Territory");
    auto* layout = new QFormLayout(frame);
    layout->addRow(buddyLabel(frame, QStringLiteral("&Name"), m_txtUser), m_txtUser);
    layout->addRow(buddyLabel(frame, QStringLiteral("C&ompany"), m_txtCompany), m_txtCompany);
    layout->addRow(buddyLabel(frame, QStringLiteral("&Employee ID"), m_txtID), m_txtID);
    layout->addRow(buddyLabel(frame, QStringLiteral("&Territory"), m_txtTerritory), m_txtTerritory);
    return frame;
}

QWidget* OptionsDialog::buildConnectPage() {
    auto* page = new QWidget(m_frames);
    page->setObjectName(QStringLiteral("page_Connect"));

    auto* frame = new QGroupBox(QStringLiteral("Send Information"), page);
    frame->setObjectName(QStringLiteral("frame_Connect"));
    m_txtEmail = textBox(frame, "txt_email");
    m_txtHQemail = textBox(frame, "txt_HQemail");
    m_txtEmailcc = textBox(frame, "txt_emailcc");
    m_txtLasteDate = textBox(frame, "txt_LasteDate");
    m_txtLasteDate->setReadOnly(true);
    QPalette readOnly = m_txtLasteDate->palette();
    readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Window));
    m_txtLasteDate->setPalette(readOnly);
    m_checkOutlook = new QCheckBox(QStringLiteral("Use &mail and calendar folders"), frame);
    m_checkOutlook->setObjectName(QStringLiteral("checkOutlook"));
    auto* cmdTest = new QPushButton(QStringLiteral("&Test Folders"), frame);
    cmdTest->setObjectName(QStringLiteral("cmdTest"));
    connect(cmdTest, &QPushButton::clicked, this, &OptionsDialog::testConnection);
    auto* outlook = new QHBoxLayout;
    outlook->addWidget(m_checkOutlook);
    outlook->addStretch();
    outlook->addWidget(cmdTest);
    auto* send = new QFormLayout(frame);
    send->addRow(buddyLabel(frame, QStringLiteral("&User email"), m_txtEmail), m_txtEmail);
    send->addRow(buddyLabel(frame, QStringLiteral("Tar&get email"), m_txtHQemail), m_txtHQemail);
    send->addRow(buddyLabel(frame, QStringLiteral("cc &email"), m_txtEmailcc), m_txtEmailcc);
    send->addRow(buddyLabel(frame, QStringLiteral("Last &sent"), m_txtLasteDate), m_txtLasteDate);
    send->addRow(outlook);

    auto* folders = new QGroupBox(QStringLiteral("Mail, Calendar and Contacts Folders"), page);
    folders->setObjectName(QStringLiteral("frame_Folders"));
    auto* grid = new QFormLayout(folders);
    for (std::size_t i = 0; i < FolderSettings.size(); ++i) {
        const FolderSetting& setting = FolderSettings[i];
        FolderRow& row = m_folders[i];
        row.writable = setting.writable;
        row.field = textBox(folders, setting.field);
        row.field->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
        row.browse = new QPushButton(QStringLiteral("Browse..."), folders);
        row.browse->setObjectName(QLatin1String(setting.button));
        const QString what = QString::fromLatin1(setting.caption).remove(u'&');
        row.browse->setAccessibleName(QStringLiteral("Browse for the ") + what.toLower());
        row.check = new QLabel(folders);
        row.check->setObjectName(QLatin1String(setting.check));
        row.check->setWordWrap(true);
        auto* line = new QHBoxLayout;
        line->addWidget(row.field, 1);
        line->addWidget(row.browse);
        grid->addRow(buddyLabel(folders, QLatin1String(setting.caption), row.field), line);
        grid->addRow(QString(), row.check);
        connect(row.field, &QLineEdit::editingFinished, this, [this, &row] { checkFolder(row); });
        connect(row.browse, &QPushButton::clicked, this, [this, &row, what] { browse(row, what); });
    }

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    layout->addWidget(folders);
    layout->addStretch();
    return page;
}

void OptionsDialog::load() {
    m_txtUser->setText(m_user.salesRep());
    m_txtCompany->setText(m_user.company());
    m_txtEmail->setText(m_user.email());
    m_txtEmailcc->setText(m_user.emailCc());
    m_txtHQemail->setText(m_user.hqEmail());
    m_txtID->setText(m_user.id());
    m_txtTerritory->setText(m_user.territory());
    m_txtLasteDate->setText(LocaleText::shortDate(m_user.lastSent()));
    m_checkOutlook->setChecked(m_user.useOutlook());

    const QStringList& keys = OpportunityFields::columnKeys();
    for (int row = 0; row < m_lstColumns->count(); ++row) {
        const ColumnStatus* column = m_columns.item(keys.at(row));
        m_lstColumns->item(row)->setCheckState(column && column->isDisplayed() ? Qt::Checked
                                                                               : Qt::Unchecked);
    }
    m_lstColumns->setCurrentRow(0);
    m_lstColumns->scrollToTop();

    // The stored folders, read without writing anything; none stored shows the standard one.
    const SettingsStore& store = m_store;
    const QString app = QString::fromLatin1(SettingsStore::AppName);
    const QString section = QString::fromLatin1(PimFolders::Section);
    for (std::size_t i = 0; i < FolderSettings.size(); ++i) {
        const QString stored =
            store.getSetting(app, section, QLatin1String(FolderSettings[i].key)).trimmed();
        m_folders[i].field->setText(
            stored.isEmpty() ? PimFolders::defaultFolder(QLatin1String(FolderSettings[i].name))
                             : stored);
        checkFolder(m_folders[i]);
    }

    m_tabOptions->setCurrentIndex(0);
    optionsTabChosen(0);
}

void OptionsDialog::optionsTabChosen(int index) {
    const QString key = m_tabOptions->tabData(index).toString();
    if (key == QLatin1String("User"))
        m_frames->setCurrentIndex(1);
    else if (key == QLatin1String("Connection"))
        m_frames->setCurrentIndex(2);
    else
        m_frames->setCurrentIndex(0);
}

void OptionsDialog::selectAllFolders() {
    const bool selectAll = m_cmdSelectAll->text() == SelectAllCaption;
    for (int row = 0; row < m_lstColumns->count(); ++row)
        m_lstColumns->item(row)->setCheckState(selectAll ? Qt::Checked : Qt::Unchecked);
    m_cmdSelectAll->setText(selectAll ? UnselectAllCaption : SelectAllCaption);
}

void OptionsDialog::testConnection() {
    const ShownFoldersForTest folders(shownFolders());
    OutlookContacts test(m_store);
    test.setParentForm(this);
    m_checkOutlook->setChecked(test.tryOutlook());
}

void OptionsDialog::browse(FolderRow& row, const QString& what) {
    UiServices::FileRequest request;
    request.title = what;
    request.directory = row.field->text().trimmed();
    request.folder = true;
    request.mustExist = true;
    if (const auto chosen = UiServices::instance().chooseFile(request)) {
        row.field->setText(*chosen);
        checkFolder(row);
    }
}

void OptionsDialog::checkFolder(FolderRow& row) {
    const FolderCheck result = FolderCheck::check(row.field->text(), row.writable);
    row.check->setText(result.text());
    row.check->setProperty("folderUsable", result.ok());
    QPalette palette = row.check->palette();
    palette.setColor(QPalette::WindowText, result.ok() ? this->palette().color(QPalette::WindowText)
                                                       : QColor(0xb0, 0, 0));
    row.check->setPalette(palette);
}

PimFolders OptionsDialog::shownFolders() const {
    std::array<QString, 3> paths;
    for (std::size_t i = 0; i < FolderSettings.size(); ++i) {
        paths[i] = m_folders[i].field->text().trimmed();
        if (paths[i].isEmpty())
            paths[i] = PimFolders::defaultFolder(QLatin1String(FolderSettings[i].name));
    }
    return PimFolders(paths[0], paths[1], paths[2]);
}

void OptionsDialog::apply() {
    m_user.setSalesRep(m_txtUser->text());
    m_user.setCompany(m_txtCompany->text());
    m_user.setEmail(m_txtEmail->text());
    m_user.setEmailCc(m_txtEmailcc->text());
    m_user.setHqEmail(m_txtHQemail->text());
    m_user.setId(m_txtID->text());
    m_user.setTerritory(m_txtTerritory->text());
    if (const QDate lastSent = LocaleText::parseShortDate(m_txtLasteDate->text());
        lastSent.isValid())
        m_user.setLastSent(lastSent);

    const bool useOutlook = m_checkOutlook->isChecked();
    if (useOutlook != m_user.useOutlook())
        emit outlookUseChanged(useOutlook);
    m_user.setUseOutlook(useOutlook);
    m_user.saveUser();
    (void)shownFolders().save(m_store);

    bool columnsChanged = false;
    const QStringList& keys = OpportunityFields::columnKeys();
    for (int row = 0; row < m_lstColumns->count(); ++row) {
        ColumnStatus* column = m_columns.item(keys.at(row));
        if (!column)
            continue;
        const bool display = m_lstColumns->item(row)->checkState() == Qt::Checked;
        columnsChanged = columnsChanged || column->isDisplayed() != display;
        column->setDisplayed(display);
    }
    m_columns.save();
    (void)m_store.flush();

    // A sort on a column that is no longer shown ends.
    const bool sortDropped =
        m_sorting.displaySorted() && !m_columns.keepsSort(m_sorting.displaySortKey());
    if (sortDropped)
        m_sorting.setDisplaySorted(false);

    if (columnsChanged)
        emit this->columnsChanged();
    if (sortDropped)
        emit this->sortDropped();
    emit listRebuildRequested();
    UiServices::instance().beep();
}
