#pragma once

#include <QString>

struct sqlite3;

// A connection of the test's own to a database file, for making fixture files with SQL and for
// reading back what the program wrote. Failures are reported by the return values and error().
class FixtureDb {
public:
    explicit FixtureDb(const QString& path);
    ~FixtureDb();
    FixtureDb(const FixtureDb&) = delete;
    FixtureDb& operator=(const FixtureDb&) = delete;

    bool exec(const QString& sql);
    // The first column of the first row as text: "<null>" for NULL, "<no row>" without a row.
    QString text(const QString& sql);
    int count() { return text(QStringLiteral("SELECT count(*) FROM Sales")).toInt(); }
    const QString& error() const { return m_error; }
    sqlite3* handle() const { return m_db; }

    // Makes a sales database file (the table Sales with its size checks and index) with the
    // records numbered `numbers`, in that order, with the description "Deal <number>" and the
    // company "Company <number>". False on failure.
    static bool makeSalesFile(const QString& path, const QList<int>& numbers);

    // Plain file helpers: the bytes of a file ("<unreadable>" when it cannot be read), and
    // writing bytes to one.
    static QByteArray readFile(const QString& path);
    static bool writeFile(const QString& path, const QByteArray& bytes);

private:
    sqlite3* m_db = nullptr;
    QString m_error;
};
