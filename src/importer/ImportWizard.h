#pragma once

#include "exchange/DelimitedFile.h"
#include "exchange/ImportMapping.h"
#include "exchange/ImportPlan.h"

#include <QWizard>
#include <optional>

class OpenDatabases;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTableWidget;
class SettingsStore;
class WorkProgress;

// File > Import...: a spreadsheet saved as delimited text into the shown database. Four pages:
// the file and its format (encoding, delimiter, quoting, header: detected, changeable), the
// field of each column (guessed from the header, or the mapping last used for the same header
// row), a preview of the first rows as they will be stored with every row that cannot be
// stored, and what becomes of rows that match an opportunity or an earlier row. Finish imports
// in one transaction, with progress and Cancel, and the import is one step of the history.
class ImportWizard : public QWizard {
    Q_OBJECT
public:
    enum Page { FilePage, ColumnsPage, PreviewPage, DuplicatesPage };
    // Rows shown on the preview page.
    static constexpr int PreviewRows = 20;

    ImportWizard(OpenDatabases& databases, SettingsStore& settings, QWidget* parent = nullptr);

    // The title of the wizard and its messages.
    static QString title() { return QStringLiteral("Import"); }
    // The settings section where the mappings last used are kept, by header row.
    static QString settingsSection() { return QStringLiteral("Import"); }
    static QString mappingKey(const QStringList& header);

    // Reads `path` and shows its detected format (the file page's Browse... and typed names).
    bool readFile(const QString& path);
    const ImportMapping& mapping() const { return m_mapping; }

protected:
    void initializePage(int id) override;
    bool validateCurrentPage() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWizardPage* buildFilePage();
    QWizardPage* buildColumnsPage();
    QWizardPage* buildPreviewPage();
    QWizardPage* buildDuplicatesPage();
    // A combo box changes only when it has the focus: a stray wheel passes over it.
    void guardWheel(QComboBox* combo);
    void chooseFile();
    void applyFormat();
    void showFormat();
    void fillColumns();
    void fillPreview();
    void fillDuplicates();
    // Plans the import with progress; nothing when cancelled or refused (then told).
    std::optional<ImportPlan> plan(ImportPlan::Duplicates duplicates, int previewRows,
                                   WorkProgress& work);
    bool runImport();
    ImportPlan::Duplicates duplicateChoice() const;

    OpenDatabases& m_databases;
    SettingsStore& m_settings;
    DelimitedFile m_file;
    QString m_path;
    ImportMapping m_mapping;
    std::optional<ImportPlan> m_preview;

    QLineEdit* m_fileName = nullptr;
    QComboBox* m_encoding = nullptr;
    QComboBox* m_delimiter = nullptr;
    QCheckBox* m_quoted = nullptr;
    QCheckBox* m_header = nullptr;
    QLabel* m_fileSummary = nullptr;
    QTableWidget* m_columns = nullptr;
    QTableWidget* m_previewTable = nullptr;
    QListWidget* m_problems = nullptr;
    QLabel* m_previewSummary = nullptr;
    QLabel* m_duplicateSummary = nullptr;
    QListWidget* m_duplicates = nullptr;
    QRadioButton* m_skip = nullptr;
    QRadioButton* m_update = nullptr;
    QRadioButton* m_add = nullptr;
};
