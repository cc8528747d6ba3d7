#pragma once

#include <QDate>
#include <QString>
#include <memory>

class SettingsStore;

// The sales representative's profile. Loads itself from section "User" of the settings store
// when created; SaveUser writes it back (the options dialog's Apply and the shut-down call it).
class User {
public:
    // Loads the profile from `store`, where saveUser() writes it back.
    explicit User(SettingsStore& store);
    ~User();
    User(const User&) = delete;
    User& operator=(const User&) = delete;

    bool useOutlook() const { return m_UseOutlook; }
    void setUseOutlook(bool value) { m_UseOutlook = value; }
    QDate lastSent() const { return m_LastSent; }
    void setLastSent(const QDate& value) { m_LastSent = value; }
    const QString& hqEmail() const { return m_HQemail; }
    void setHqEmail(const QString& value) { m_HQemail = value; }
    const QString& emailCc() const { return m_emailcc; }
    void setEmailCc(const QString& value) { m_emailcc = value; }
    const QString& email() const { return m_email; }
    void setEmail(const QString& value) { m_email = value; }
    const QString& id() const { return m_ID; }
    void setId(const QString& value) { m_ID = value; }
    const QString& territory() const { return m_Territory; }
    void setTerritory(const QString& value) { m_Territory = value; }
    const QString& company() const { return m_Company; }
    void setCompany(const QString& value) { m_Company = value; }
    const QString& salesRep() const { return m_Sales_Rep; }
    void setSalesRep(const QString& value) { m_Sales_Rep = value; }

    // Writes the nine persisted values; a write that fails is skipped.
    void saveUser();

    // The date an unreadable LastSent loads as.
    static QDate zeroDate() { return QDate(1899, 12, 30); }

private:
    SettingsStore& m_store;
    void load();

    QString m_Sales_Rep;
    QString m_Company;
    QString m_Territory;
    QString m_ID;
    QString m_email;
    QString m_emailcc;
    QString m_HQemail;
    QDate m_LastSent = zeroDate();
    bool m_UseOutlook = false;
};
