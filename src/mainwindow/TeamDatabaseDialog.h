#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

// File > Open Team Database: the connection URI of a team database on a PostgreSQL server, with
// a hint of its form, the team databases opened last offered in the field's list. OK is refused,
// with a note next to the field, while the text is no postgresql:// or postgres:// URI.
class TeamDatabaseDialog : public QDialog {
    Q_OBJECT
public:
    explicit TeamDatabaseDialog(const QStringList& recent, QWidget* parent = nullptr);

    // The URI entered, without surrounding spaces.
    QString location() const;
    // Why `text` cannot name a team database; "" when it can.
    static QString refusal(const QString& text);

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* m_location = nullptr;
    QLabel* m_note = nullptr;
    QPushButton* m_ok = nullptr;
};
