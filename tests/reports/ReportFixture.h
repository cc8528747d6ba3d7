#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// The sales file the report tests run over: seven readable opportunities of known content and
// one with a NULL field, which the reports leave out as the application does.
namespace ReportFixture {
// Creates the file; false (with a test failure) when it cannot.
bool write(const QString& path);
// Creates a sales file with the rows of an SQL VALUES list, with or without the unique index
// on the record number.
bool create(const QString& path, const QByteArray& rows, bool uniqueIndex = true);
// The text pdftotext reads from a PDF file, with its layout.
QString pdfText(const QString& pdfPath);

// A connection of the test's own that holds the file locked, as another program would.
class Holder {
public:
    explicit Holder(const QString& path);
    ~Holder();
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;
    bool locked() const { return m_locked; }

private:
    sqlite3* m_db = nullptr;
    bool m_locked = false;
};
} // namespace ReportFixture
