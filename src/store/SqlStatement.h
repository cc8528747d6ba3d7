#pragma once

#include <QString>
#include <sqlite3.h>

// A prepared statement, finalized at the end of its scope.
class SqlStatement {
public:
    SqlStatement(sqlite3* db, const char* sql) {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_s, nullptr);
    }
    ~SqlStatement() { sqlite3_finalize(m_s); }
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;
    bool ok() const { return m_rc == SQLITE_OK; }
    int rc() const { return m_rc; }
    sqlite3_stmt* get() const { return m_s; }
    void bindText(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_s, index, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    }

private:
    sqlite3_stmt* m_s = nullptr;
    int m_rc = SQLITE_OK;
};

// A column as text; NULL reads as "".
inline QString textColumn(sqlite3_stmt* s, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    if (!text)
        return QString();
    return QString::fromUtf8(text, sqlite3_column_bytes(s, column));
}

// The UTF-8 bytes of a text column, read without a copy when the file itself stores UTF-8
// (sqlite3_column_text copies every value to add a terminator). Null data for NULL.
struct ColumnBytes {
    const char* data = nullptr;
    int size = 0;
};
inline ColumnBytes columnBytes(sqlite3_stmt* s, int column, bool utf8File) {
    const void* data = utf8File ? sqlite3_column_blob(s, column) : sqlite3_column_text(s, column);
    // No data is NULL or an empty value; only then is the type worth asking for.
    if (!data)
        return sqlite3_column_type(s, column) == SQLITE_NULL ? ColumnBytes{} : ColumnBytes{"", 0};
    return {static_cast<const char*>(data), sqlite3_column_bytes(s, column)};
}
