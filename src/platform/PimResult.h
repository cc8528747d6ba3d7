#pragma once

#include <QString>
#include <optional>
#include <utility>

// The outcome of a call on the mail, calendar and contacts adapter: success, or a message that
// says what went wrong.
class [[nodiscard]] PimResult {
public:
    PimResult() = default;
    static PimResult failure(const QString& message) {
        PimResult result;
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

// A value, or the message of the failure that prevented it.
template <typename T> class [[nodiscard]] PimValue {
public:
    PimValue(T value) : m_value(std::move(value)) {}
    PimValue(const PimResult& failure) : m_message(failure.message()) {}
    static PimValue failure(const QString& message) {
        return PimValue(PimResult::failure(message));
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const QString& message() const { return m_message; }
    // The value; only when ok().
    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    // The failure as a plain result.
    PimResult result() const { return ok() ? PimResult() : PimResult::failure(m_message); }

private:
    std::optional<T> m_value;
    QString m_message;
};
