#include "mainwindow/NoteEditor.h"

#include "platform/AccessKeys.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

NoteEditor::NoteEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NoteEditor"));
    setWindowTitle(QStringLiteral("Edit Note"));

    m_txtNote = new QPlainTextEdit(this);
    m_txtNote->setObjectName(QStringLiteral("txt_Note"));
    m_txtNote->setToolTip(QStringLiteral("Enter or edit the note information."));
    m_txtNote->setTabChangesFocus(true);
    connect(m_txtNote, &QPlainTextEdit::textChanged, this, &NoteEditor::limitLength);

    // The platform's button order; the captions stay "OK" and "Cancel".
    auto* buttons = new QDialogButtonBox(this);
    m_okButton = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    m_okButton->setObjectName(QStringLiteral("OKButton"));
    m_okButton->setDefault(true);
    m_cancelButton = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_txtNote);
    layout->addWidget(buttons);
    AccessKeys::assignButtons(this);
    resize(420, 200);
}

void NoteEditor::edit(const QString& theNote) {
    m_txtNote->setPlainText(theNote);
    m_txtNote->moveCursor(QTextCursor::End);
}

QString NoteEditor::note() const {
    return m_txtNote->toPlainText();
}

// Typing or pasting beyond the limit is cut back to it, the cursor staying where it was.
void NoteEditor::limitLength() {
    const QString text = m_txtNote->toPlainText();
    if (text.size() <= MaxLength)
        return;
    QTextCursor cursor = m_txtNote->textCursor();
    const int position = cursor.position();
    const int excess = static_cast<int>(text.size()) - MaxLength;
    // Remove what was just inserted before the cursor, so earlier text survives.
    const int from = qMax(0, position - excess);
    cursor.setPosition(from);
    cursor.setPosition(from + excess, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_txtNote->setTextCursor(cursor);
}
