#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The note editor of the quick-info panel: a multi-line text of at most 128 characters with
// OK and Cancel. Esc and closing the window count as Cancel.
class NoteEditor : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxLength = 128;

    explicit NoteEditor(QWidget* parent = nullptr);

    // Puts the note into the text box.
    void edit(const QString& theNote);
    // The text of the text box.
    QString note() const;

private:
    void limitLength();

    QPlainTextEdit* m_txtNote = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
