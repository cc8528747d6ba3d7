#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

// Asks for the password of a team database whose server wants one: the user and the server
// named, the password hidden as it is typed, and "Remember" (unticked) to keep it in the
// desktop's keyring. After a refused password it shows the server's message.
class TeamPasswordDialog : public QDialog {
    Q_OBJECT
public:
    TeamPasswordDialog(const QString& user, const QString& server, QWidget* parent = nullptr);

    // The server's message about the password tried last; "" for none.
    void setMessage(const QString& message);
    QString password() const;
    bool remember() const;

private:
    QLineEdit* m_password = nullptr;
    QCheckBox* m_remember = nullptr;
    QLabel* m_message = nullptr;
};
