#pragma once

#include <QString>
#include <optional>
#include <utility>

// The outcome of an operation that can fail: success, or a message that says what went wrong
// (for file operations: which file and why).
class [[nodiscard]] Result {
public:
    Result() = default;
    static Result failure(const QString& message) {
        Result result;
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
template <typename T> class [[nodiscard]] ResultValue {
public:
    ResultValue(T value) : m_value(std::move(value)) {}
    ResultValue(const Result& failure) : m_message(failure.message()) {}
    static ResultValue failure(const QString& message) {
        return ResultValue(Result::failure(message));
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
    Result result() const { return ok() ? Result() : Result::failure(m_message); }

private:
    std::optional<T> m_value;
    QString m_message;
};
