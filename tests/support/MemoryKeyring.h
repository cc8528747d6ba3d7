#pragma once

#include "platform/PasswordKeyring.h"

#include <QMap>

// A keyring in memory, installed for the life of the object: what the window kept, read and
// forgot can be looked at. With `available` false it keeps nothing, as a desktop without a
// keyring service.
class MemoryKeyring : public PasswordKeyring {
public:
    explicit MemoryKeyring(bool available = true) : m_available(available) {
        PasswordKeyring::setInstance(this);
    }
    ~MemoryKeyring() override { PasswordKeyring::setInstance(nullptr); }
    MemoryKeyring(const MemoryKeyring&) = delete;
    MemoryKeyring& operator=(const MemoryKeyring&) = delete;

    const QMap<QString, QString>& passwords() const { return m_passwords; }
    void setAvailable(bool available) { m_available = available; }
    void put(const QString& location, const QString& password) {
        m_passwords.insert(location, password);
    }

    std::optional<QString> read(const QString& location) override {
        if (!m_passwords.contains(location))
            return std::nullopt;
        return m_passwords.value(location);
    }
    Result write(const QString& location, const QString& password) override {
        if (!m_available)
            return Result::failure(QStringLiteral("no keyring service runs"));
        m_passwords.insert(location, password);
        return {};
    }
    void remove(const QString& location) override { m_passwords.remove(location); }

private:
    bool m_available;
    QMap<QString, QString> m_passwords;
};
