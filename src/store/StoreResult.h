#pragma once

#include <QString>

// The outcome of a single-record write: success, or a message that names the file and the cause.
class [[nodiscard]] StoreResult {
public:
    StoreResult() = default;
    static StoreResult failure(const QString& message) {
        StoreResult result;
        result.m_ok = false;
        result.m_message = message;
        return result;
    }
    bool ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const QString& message() const { return m_message; }

private:
    bool m_ok = true;
    QString m_message;
};
