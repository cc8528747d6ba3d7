#pragma once

#include <QString>

// One contact read from the user's contacts folder.
class Contact {
public:
    const QString& key() const { return m_Key; }
    void setKey(const QString& value) { m_Key = value; }
    const QString& firstName() const { return m_FirstName; }
    void setFirstName(const QString& value) { m_FirstName = value; }
    const QString& lastName() const { return m_LastName; }
    void setLastName(const QString& value) { m_LastName = value; }
    const QString& fileAs() const { return m_FileAs; }
    void setFileAs(const QString& value) { m_FileAs = value; }
    const QString& company() const { return m_Company; }
    void setCompany(const QString& value) { m_Company = value; }
    const QString& department() const { return m_Department; }
    void setDepartment(const QString& value) { m_Department = value; }
    const QString& businessPhone() const { return m_BusinessPhone; }
    void setBusinessPhone(const QString& value) { m_BusinessPhone = value; }

private:
    QString m_Key;
    QString m_FirstName;
    QString m_LastName;
    QString m_FileAs;
    QString m_Company;
    QString m_Department;
    QString m_BusinessPhone;
};
