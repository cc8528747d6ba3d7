#include "importer/ImportWizard.h"

#include "platform/SettingsStore.h"
#include "platform/UiServices.h"
#include "platform/WorkProgress.h"
#include "store/OpportunityFields.h"
#include "store/SalesDatabase.h"
#include "workspace/OpenDatabases.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using namespace OpportunityFields;

const QString TextFilter = QStringLiteral("Text files (*.csv *.txt *.tsv *.tab *.prn)");
const QString AllFilter = QStringLiteral("All files (*)");

// The fields the preview shows, in the list's order.
const QList<int>& previewFields() {
    static const QList<int> fields{Description, Company,     Contact,    Revenue,
                                   Stage,       Probability, SalesOwner, Note};
    return fields;
}

QString delimiterName(QChar delimiter) {
    switch (delimiter.unicode()) {
    case ',':
        return QStringLiteral("Comma");
    case ';':
        return QStringLiteral("Semicolon");
    case '\t':
        return QStringLiteral("TAB");
    default:
        break;
    }
    return QStringLiteral("Pipe (|)");
}

QString number(qint64 value) {
    return QLocale().toString(value);
}

// "1 row", "2 rows".
QString rows(qint64 count) {
    return count == 1 ? QStringLiteral("1 row") : number(count) + QStringLiteral(" rows");
}

// A table that fills its width and does not grow the wizard beyond small screens.
void setUpTable(QTableWidget* table) {
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setMinimumHeight(60);
}

} // namespace

ImportWizard::ImportWizard(OpenDatabases& databases, SettingsStore& settings, QWidget* parent)
    : QWizard(parent), m_databases(databases), m_settings(settings) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(title());
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setButtonText(QWizard::BackButton, QStringLiteral("< &Back"));
    setButtonText(QWizard::NextButton, QStringLiteral("&Next >"));
    setButtonText(QWizard::FinishButton, QStringLiteral("&Import"));
    setButtonText(QWizard::CancelButton, QStringLiteral("&Cancel"));
    setPage(FilePage, buildFilePage());
    setPage(ColumnsPage, buildColumnsPage());
    setPage(PreviewPage, buildPreviewPage());
    setPage(DuplicatesPage, buildDuplicatesPage());
    // Usable on a 640x480 screen, also at twice the scale.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize(640, 480);
    setMinimumSize(std::min(360, available.width()), std::min(300, available.height()));
    resize(std::min(620, available.width()), std::min(460, available.height()));
}

QString ImportWizard::mappingKey(const QStringList& header) {
    return QStringLiteral("Mapping_") + ImportMapping::headerKey(header);
}

void ImportWizard::guardWheel(QComboBox* combo) {
    combo->setFocusPolicy(Qt::StrongFocus);
    combo->installEventFilter(this);
}

bool ImportWizard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        if (auto* combo = qobject_cast<QComboBox*>(watched); combo && !combo->hasFocus()) {
            event->ignore();
            return true;
        }
    }
    return QWizard::eventFilter(watched, event);
}

QWizardPage* ImportWizard::buildFilePage() {
    auto* page = new QWizardPage;
    page->setTitle(QStringLiteral("Choose the file"));
    page->setSubTitle(QStringLiteral("A spreadsheet saved as text: comma, semicolon, TAB or pipe "
                                     "separated. Its format is detected; change it if the "
                                     "preview looks wrong."));
    m_fileName = new QLineEdit;
    m_fileName->setObjectName(QStringLiteral("txtImportFile"));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."));
    browse->setObjectName(QStringLiteral("cmdBrowse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_fileName, 1);
    fileRow->addWidget(browse);

    m_encoding = new QComboBox;
    m_encoding->setObjectName(QStringLiteral("cboEncoding"));
    for (const auto encoding : {DelimitedFile::Encoding::Utf8, DelimitedFile::Encoding::Utf8Bom,
                                DelimitedFile::Encoding::Utf16LE, DelimitedFile::Encoding::Utf16BE,
                                DelimitedFile::Encoding::Windows1252})
        m_encoding->addItem(DelimitedFile::encodingName(encoding), static_cast<int>(encoding));
    m_delimiter = new QComboBox;
    m_delimiter->setObjectName(QStringLiteral("cboDelimiter"));
    for (const QChar delimiter : DelimitedFile::delimiters())
        m_delimiter->addItem(delimiterName(delimiter), QString(delimiter));
    guardWheel(m_encoding);
    guardWheel(m_delimiter);
    m_quoted = new QCheckBox(QStringLiteral("&Quoted values (\"...\") may hold delimiters"));
    m_quoted->setObjectName(QStringLiteral("chkQuoted"));
    m_header = new QCheckBox(QStringLiteral("First row is a &header (names the columns)"));
    m_header->setObjectName(QStringLiteral("chkHeader"));
    m_fileSummary = new QLabel;
    m_fileSummary->setObjectName(QStringLiteral("lblFileSummary"));
    m_fileSummary->setWordWrap(true);

    auto* form = new QFormLayout(page);
    auto* fileLabel = new QLabel(QStringLiteral("&File:"));
    fileLabel->setBuddy(m_fileName);
    form->addRow(fileLabel, fileRow);
    auto* encodingLabel = new QLabel(QStringLiteral("&Encoding:"));
    encodingLabel->setBuddy(m_encoding);
    form->addRow(encodingLabel, m_encoding);
    auto* delimiterLabel = new QLabel(QStringLiteral("&Delimiter:"));
    delimiterLabel->setBuddy(m_delimiter);
    form->addRow(delimiterLabel, m_delimiter);
    form->addRow(m_quoted);
    form->addRow(m_header);
    form->addRow(m_fileSummary);

    connect(browse, &QPushButton::clicked, this, &ImportWizard::chooseFile);
    // A typed name shows its format as soon as it names a file; Next says what is wrong with
    // any other name.
    connect(m_fileName, &QLineEdit::editingFinished, this, [this] {
        const QString typed = m_fileName->text().trimmed();
        if (typed != m_path && QFileInfo(typed).isFile())
            readFile(typed);
    });
    for (QComboBox* combo : {m_encoding, m_delimiter})
        connect(combo, &QComboBox::currentIndexChanged, this, &ImportWizard::applyFormat);
    for (QCheckBox* box : {m_quoted, m_header})
        connect(box, &QCheckBox::toggled, this, &ImportWizard::applyFormat);
    return page;
}

QWizardPage* ImportWizard::buildColumnsPage() {
    auto* page = new QWizardPage;
    page->setTitle(QStringLiteral("Choose the field of each column"));
    page->setSubTitle(QStringLiteral("Columns set to (ignore) are not imported."));
    m_columns = new QTableWidget(0, 3);
    m_columns->setObjectName(QStringLiteral("tblColumns"));
    m_columns->setHorizontalHeaderLabels(
        {QStringLiteral("Column"), QStringLiteral("First value"), QStringLiteral("Field")});
    setUpTable(m_columns);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_columns);
    return page;
}

QWizardPage* ImportWizard::buildPreviewPage() {
    auto* page = new QWizardPage;
    page->setTitle(QStringLiteral("Preview"));
    page->setSubTitle(QStringLiteral("The first rows as they will be stored, and the rows that "
                                     "cannot be stored."));
    m_previewTable = new QTableWidget(0, static_cast<int>(previewFields().size()) + 2);
    m_previewTable->setObjectName(QStringLiteral("tblPreview"));
    QStringList headers{QStringLiteral("Line")};
    for (const int field : previewFields())
        headers.append(ImportMapping::targetCaption(field));
    headers.insert(5, ImportMapping::targetCaption(ImportMapping::OrderDate));
    m_previewTable->setHorizontalHeaderLabels(headers);
    setUpTable(m_previewTable);
    m_previewSummary = new QLabel;
    m_previewSummary->setObjectName(QStringLiteral("lblPreviewSummary"));
    m_previewSummary->setWordWrap(true);
    m_problems = new QListWidget;
    m_problems->setObjectName(QStringLiteral("lstProblems"));
    m_problems->setMinimumHeight(40);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_previewTable, 3);
    layout->addWidget(m_previewSummary);
    layout->addWidget(m_problems, 2);
    return page;
}

QWizardPage* ImportWizard::buildDuplicatesPage() {
    auto* page = new QWizardPage;
    page->setTitle(QStringLiteral("Duplicates"));
    page->setSubTitle(QStringLiteral("Rows with the company and description of an opportunity "
                                     "of the database, or of an earlier row."));
    m_duplicateSummary = new QLabel;
    m_duplicateSummary->setObjectName(QStringLiteral("lblDuplicates"));
    m_duplicateSummary->setWordWrap(true);
    m_duplicates = new QListWidget;
    m_duplicates->setObjectName(QStringLiteral("lstDuplicates"));
    m_duplicates->setMinimumHeight(40);
    m_skip = new QRadioButton(QStringLiteral("&Skip them"));
    m_skip->setObjectName(QStringLiteral("optSkip"));
    m_update = new QRadioButton(QStringLiteral("&Update the matching opportunity"));
    m_update->setObjectName(QStringLiteral("optUpdate"));
    m_add = new QRadioButton(QStringLiteral("&Add them anyway"));
    m_add->setObjectName(QStringLiteral("optAdd"));
    m_skip->setChecked(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_duplicateSummary);
    layout->addWidget(m_duplicates, 1);
    layout->addWidget(m_skip);
    layout->addWidget(m_update);
    layout->addWidget(m_add);
    return page;
}

void ImportWizard::chooseFile() {
    UiServices::FileRequest request;
    request.title = QStringLiteral("Import");
    request.filters = {TextFilter, AllFilter};
    request.mustExist = true;
    if (const auto chosen = UiServices::instance().chooseFile(request))
        readFile(*chosen);
}

bool ImportWizard::readFile(const QString& path) {
    UiServices& ui = UiServices::instance();
    ui.setWaitCursor(true);
    DelimitedFile file;
    const Result read = file.read(path);
    ui.setWaitCursor(false);
    m_fileName->setText(path);
    if (!read) {
        ui.messageBox(read.message(), title(), UiServices::Icon::Critical, UiServices::Buttons::Ok);
        return false;
    }
    m_file = std::move(file);
    m_path = path;
    m_preview.reset();
    showFormat();
    return true;
}

void ImportWizard::showFormat() {
    const DelimitedFile::Format& format = m_file.format();
    const QSignalBlocker encoding(m_encoding);
    const QSignalBlocker delimiter(m_delimiter);
    const QSignalBlocker quoted(m_quoted);
    const QSignalBlocker header(m_header);
    m_encoding->setCurrentIndex(m_encoding->findData(static_cast<int>(format.encoding)));
    m_delimiter->setCurrentIndex(m_delimiter->findData(QString(format.delimiter)));
    m_quoted->setChecked(format.quoted);
    m_header->setChecked(format.header);
    m_fileSummary->setText(QStringLiteral("%1 columns. %2")
                               .arg(m_file.columnCount())
                               .arg(format.header ? QStringLiteral("Headers: ") +
                                                        m_file.header().join(QStringLiteral(", "))
                                                  : QStringLiteral("No header row.")));
}

void ImportWizard::applyFormat() {
    if (m_path.isEmpty())
        return;
    DelimitedFile::Format format;
    format.encoding = static_cast<DelimitedFile::Encoding>(m_encoding->currentData().toInt());
    format.delimiter = m_delimiter->currentData().toString().at(0);
    format.quoted = m_quoted->isChecked();
    format.header = m_header->isChecked();
    m_file.setFormat(format);
    m_preview.reset();
    showFormat();
}

void ImportWizard::initializePage(int id) {
    switch (id) {
    case ColumnsPage:
        fillColumns();
        break;
    case PreviewPage:
        fillPreview();
        break;
    case DuplicatesPage:
        fillDuplicates();
        break;
    default:
        break;
    }
    QWizard::initializePage(id);
}

void ImportWizard::fillColumns() {
    const QStringList& header = m_file.header();
    const int columns = std::max<int>(m_file.columnCount(), static_cast<int>(header.size()));
    // The mapping last used for this header row, else the one its names suggest.
    m_mapping = ImportMapping::guess(header);
    if (!header.isEmpty()) {
        const QString remembered = m_settings.getSetting(QLatin1String(SettingsStore::AppName),
                                                         settingsSection(), mappingKey(header));
        if (!remembered.isEmpty())
            m_mapping = ImportMapping::fromText(remembered);
    }
    DelimitedFile::Record first;
    m_file.rewind();
    m_file.next(first);
    m_columns->setRowCount(columns);
    for (int column = 0; column < columns; ++column) {
        const QString name = column < header.size() ? header.at(column)
                                                    : QStringLiteral("Column %1").arg(column + 1);
        m_columns->setItem(column, 0, new QTableWidgetItem(name));
        m_columns->setItem(column, 1, new QTableWidgetItem(first.values.value(column)));
        auto* field = new QComboBox;
        field->setObjectName(QStringLiteral("cboField_%1").arg(column));
        for (const int target : ImportMapping::targets())
            field->addItem(ImportMapping::targetCaption(target), target);
        field->setCurrentIndex(field->findData(m_mapping.target(column)));
        guardWheel(field);
        connect(field, &QComboBox::currentIndexChanged, this, [this, column, field] {
            const int target = field->currentData().toInt();
            // A field goes to one column: another column that had it lets go.
            if (target != ImportMapping::Ignore) {
                for (int other = 0; other < m_columns->rowCount(); ++other) {
                    auto* combo = qobject_cast<QComboBox*>(m_columns->cellWidget(other, 2));
                    if (other != column && combo && combo->currentData().toInt() == target)
                        combo->setCurrentIndex(combo->findData(ImportMapping::Ignore));
                }
            }
            m_mapping.setTarget(column, target);
            m_preview.reset();
        });
        m_columns->setCellWidget(column, 2, field);
        m_mapping.setTarget(column, m_mapping.target(column));
    }
    m_columns->resizeColumnsToContents();
}

std::optional<ImportPlan> ImportWizard::plan(ImportPlan::Duplicates duplicates, int previewRows,
                                             WorkProgress& work) {
    SalesDatabase* database = m_databases.shown();
    if (!database)
        return std::nullopt;
    auto planned = ImportPlan::build(m_file, m_mapping, duplicates, database->opportunities(),
                                     work.callback(), previewRows);
    if (planned)
        return std::move(*planned);
    if (!planned.isCancelled())
        UiServices::instance().messageBox(planned.message(), title(), UiServices::Icon::Critical,
                                          UiServices::Buttons::Ok);
    return std::nullopt;
}

void ImportWizard::fillPreview() {
    if (!m_preview)
        return;
    const ImportPlan& preview = *m_preview;
    m_previewTable->setRowCount(static_cast<int>(preview.preview.size()));
    int row = 0;
    for (const ImportPlan::Addition& addition : preview.preview) {
        QStringList cells{QString::number(addition.line)};
        for (const int field : previewFields())
            cells.append(addition.fields.text(static_cast<Field>(field)));
        cells.insert(5, addition.fields.orderDateText());
        for (int column = 0; column < cells.size(); ++column)
            m_previewTable->setItem(row, column, new QTableWidgetItem(cells.at(column)));
        ++row;
    }
    m_previewTable->resizeColumnsToContents();
    m_problems->clear();
    for (const ImportPlan::Problem& problem : preview.problems)
        m_problems->addItem(
            QStringLiteral("Line %1: %2%3")
                .arg(problem.line)
                .arg(problem.rejected ? QStringLiteral("not imported. ") : QString(),
                     problem.message));
    QString summary = rows(preview.rows - preview.rejected) + QStringLiteral(" can be imported");
    if (preview.rejected > 0)
        summary += QStringLiteral("; %1 cannot be stored and %2 left out:")
                       .arg(rows(preview.rejected),
                            preview.rejected == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    else
        summary += QLatin1Char('.');
    if (preview.rejected == 0 && preview.warnings > 0)
        summary += QStringLiteral(" Notes:");
    m_previewSummary->setText(summary);
    m_problems->setVisible(!preview.problems.empty());
}

void ImportWizard::fillDuplicates() {
    if (!m_preview)
        return;
    const ImportPlan& preview = *m_preview;
    m_duplicates->clear();
    for (const ImportPlan::Duplicate& duplicate : preview.duplicateRows)
        m_duplicates->addItem(QStringLiteral("Line %1: %2 (%3)")
                                  .arg(duplicate.line)
                                  .arg(duplicate.name, duplicate.inDatabase
                                                           ? QStringLiteral("in the database")
                                                           : QStringLiteral("an earlier row")));
    const bool any = preview.duplicates > 0;
    m_duplicateSummary->setText(
        any ? (preview.duplicates == 1 ? QStringLiteral("1 row matches. What becomes of it?")
                                       : QStringLiteral("%1 match. What becomes of them?")
                                             .arg(rows(preview.duplicates)))
            : QStringLiteral("No row matches an opportunity of the database or an earlier row."));
    m_duplicates->setVisible(any);
    for (QRadioButton* choice : {m_skip, m_update, m_add})
        choice->setEnabled(any);
}

ImportPlan::Duplicates ImportWizard::duplicateChoice() const {
    if (m_update->isChecked())
        return ImportPlan::Duplicates::Update;
    if (m_add->isChecked())
        return ImportPlan::Duplicates::Add;
    return ImportPlan::Duplicates::Skip;
}

bool ImportWizard::validateCurrentPage() {
    UiServices& ui = UiServices::instance();
    switch (currentId()) {
    case FilePage: {
        const QString typed = m_fileName->text().trimmed();
        if (typed.isEmpty()) {
            ui.messageBox(QStringLiteral("Choose the file to import."), title(),
                          UiServices::Icon::Exclamation, UiServices::Buttons::Ok);
            return false;
        }
        return typed == m_path || readFile(typed);
    }
    case ColumnsPage:
        if (m_mapping.isEmpty()) {
            ui.messageBox(QStringLiteral("Choose the field of at least one column."), title(),
                          UiServices::Icon::Exclamation, UiServices::Buttons::Ok);
            return false;
        }
        // The preview counts the duplicates as if all were added.
        {
            const auto work = ui.startWork(
                title(), QStringLiteral("Reading %1...").arg(QFileInfo(m_path).fileName()));
            m_preview = plan(ImportPlan::Duplicates::Add, PreviewRows, *work);
        }
        return m_preview.has_value();
    case DuplicatesPage:
        return runImport();
    default:
        return true;
    }
}

bool ImportWizard::runImport() {
    UiServices& ui = UiServices::instance();
    const QString name = QFileInfo(m_path).fileName();
    QString summary;
    ResultValue<QStringList> imported = QStringList();
    {
        // One progress for reading and writing: a cancel at any point writes nothing.
        const auto work = ui.startWork(title(), QStringLiteral("Importing %1...").arg(name));
        auto planned = plan(duplicateChoice(), 0, *work);
        if (!planned)
            return false;
        summary = planned->summary();
        imported = m_databases.import(std::move(*planned), name, work->callback());
    }
    if (imported.isCancelled())
        return false;
    if (!imported) {
        ui.messageBox(imported.message(), title(), UiServices::Icon::Critical,
                      UiServices::Buttons::Ok);
        return false;
    }
    if (!m_file.header().isEmpty()) {
        m_settings.saveSetting(QLatin1String(SettingsStore::AppName), settingsSection(),
                               mappingKey(m_file.header()), m_mapping.toText());
        m_settings.flush();
    }
    ui.messageBox(QStringLiteral("Import of %1: %2").arg(name, summary), title(),
                  UiServices::Icon::Information, UiServices::Buttons::Ok);
    return true;
}
