#pragma once

#include <QString>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// One exclusive use of a sales database file: opens the connection defensively (the file may
// come from anywhere), takes the exclusive lock at once and holds it until commit() or the end
// of the object, which rolls back what was not committed and closes the file.
class SalesFile {
public:
    enum class Mode { Existing, Create };

    SalesFile(const QString& path, Mode mode);
    ~SalesFile();
    SalesFile(const SalesFile&) = delete;
    SalesFile& operator=(const SalesFile&) = delete;

    // False when the file could not be opened and locked; error() says why.
    bool isOpen() const { return m_db != nullptr && m_inTransaction; }
    // Runs statements without parameters; false on failure (error() says why).
    bool exec(const char* sql);
    bool commit();
    // The table Sales exists as a plain table with all its fields.
    bool hasSalesTable();

    sqlite3* handle() const { return m_db; }
    // The cause of the last failure in plain words, such as "the file is in use by another
    // program".
    const QString& error() const { return m_error; }
    // Sets error() from the connection's last result code.
    void takeError(int code);
    // A plain-words cause for an engine result code.
    static QString describe(int code, const char* engineMessage);

    // How long an operation waits for another program to let go of the file before it fails
    // with "the file is in use by another program": long enough to ride out another writer's
    // transaction. Tests that hold files on purpose shorten it.
    static constexpr int DefaultLockWaitMs = 5000;
    static int lockWaitMs();
    static void setLockWaitMs(int milliseconds);

    // Opens a connection to a file that may come from anywhere: by its absolute path (a name
    // beginning with "file:" is never read as a URI), with no extension loading, no triggers,
    // views or schema tricks, checked cell sizes and the lock wait. Returns the engine's
    // result code; `db` is set even on failure (close it).
    static int openDefensively(const QString& path, int flags, sqlite3** db);
    // The record number in `column` of a row, when it has one that fits 32 bits: an integer, a
    // whole real number or a text of digits.
    static std::optional<qint32> recordNumberColumn(sqlite3_stmt* s, int column);

private:
    sqlite3* m_db = nullptr;
    bool m_inTransaction = false;
    QString m_error;
};
