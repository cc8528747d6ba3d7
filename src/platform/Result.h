#pragma once

#include <QString>
#include <optional>
#include <utility>

// The outcome of an operation that can fail: success, a failure with a message that says what
// went wrong (for file operations: which file and why), or the user's cancelling, which needs
// no message.
class [[nodiscard]] Result {
public:
    Result() = default;
    static Result failure(const QString& message) {
        Result result;
        result.m_kind = Kind::Failed;
        result.m_message = message;
        return result;
    }
    static Result cancelled() {
        Result result;
        result.m_kind = Kind::Cancelled;
        return result;
    }
    bool ok() const { return m_kind == Kind::Ok; }
    bool isCancelled() const { return m_kind == Kind::Cancelled; }
    explicit operator bool() const { return ok(); }
    const QString& message() const { return m_message; }

private:
    enum class Kind { Ok, Failed, Cancelled };
    Kind m_kind = Kind::Ok;
    QString m_message;
};

// A value, or the message of the failure that prevented it.
template <typename T> class [[nodiscard]] ResultValue {
public:
    ResultValue(T value) : m_value(std::move(value)) {}
    ResultValue(const Result& failure)
        : m_message(failure.message()), m_cancelled(failure.isCancelled()) {}
    static ResultValue failure(const QString& message) {
        return ResultValue(Result::failure(message));
    }

    bool ok() const { return m_value.has_value(); }
    bool isCancelled() const { return m_cancelled; }
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
    Result result() const {
        if (ok())
            return Result();
        return m_cancelled ? Result::cancelled() : Result::failure(m_message);
    }

private:
    std::optional<T> m_value;
    QString m_message;
    bool m_cancelled = false;
};
