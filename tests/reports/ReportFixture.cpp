#include "ReportFixture.h"

#include <QFile>
#include <QProcess>
#include <QtTest>
#include <sqlite3.h>

namespace ReportFixture {

bool create(const QString& path, const QByteArray& rows, bool uniqueIndex) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    QByteArray sql = R"(
        CREATE TABLE Sales (RecordNumber INTEGER, SalesOwner TEXT, DateCreated DATETIME,
            Company TEXT, Contact TEXT, Department TEXT, Description TEXT, Note TEXT,
            Product TEXT, UnitPrice TEXT, Quantity TEXT, Revenue TEXT, Source TEXT, Stage TEXT,
            Probability TEXT, Forecast TEXT, OrderDay TEXT, OrderMonth TEXT, OrderYear TEXT);
    )";
    if (uniqueIndex)
        sql += "CREATE UNIQUE INDEX RecordNumber ON Sales (RecordNumber);\n";
    sql += "INSERT INTO Sales VALUES " + rows + ";";
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK)
        qWarning("fixture: %s", error);
    sqlite3_free(error);
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

bool write(const QString& path) {
    return create(path, R"(
          (1, 'o', '2024-01-02 10:00:00', 'Acme', 'Pat', 'IT', 'Servers', 'call back', 'Rack',
           '$5,000.00', '2', '$10,000.00', 'Email', 'Lead', '25% - Long Shot', 'No', '07',
           'March', '2024'),
          (2, 'o', '2024-01-02 10:00:00', 'Bolt', 'Sam', 'Ops', 'Switches', '', 'Switch',
           '$2,500.50', '1', '$2,500.50', 'Email', 'Gain Commitment', '90% - Verbal Commitment',
           'Yes', '12', 'March', '2024'),
          (3, 'o', '2024-01-02 10:00:00', 'Crest', 'Kim', 'IT', 'Laptops', '', 'Laptop',
           '$1,000.00', '4', '$4,000.00', 'Seminar', 'Present/Propose', '75% - Favored', 'Yes',
           '18', 'March', '2024'),
          (4, 'o', '2024-01-02 10:00:00', 'Delta', 'Lee', 'HR', 'Phones', '', 'Phone', '100',
           '12', '1200', 'Article', 'Lead', '50% - Competitive', 'Yes', '02', 'April', '2024'),
          (5, 'o', '2024-01-02 10:00:00', 'Echo', 'Ana', 'IT', 'Support', '', 'Plan', '$800.00',
           '1', '$800.00', 'Email', 'Implement/Confirm', '100% - Won', 'Yes', '13', 'March',
           '2024'),
          (6, 'o', '2024-01-02 10:00:00', 'Foxtrot', 'Bo', 'IT', 'Lost deal', '', 'Rack', '0',
           '0', '$0.00', 'Email', 'Lead', '0% - Lost', 'No', '01', 'May', '2024'),
          (7, 'o', '2024-01-02 10:00:00', 'O''Hara & "Sons"', 'Jo', 'IT', 'Training', '', 'Day',
           '$1,100.00', '3', '$3,300.00', 'Email', 'Develop Solution', '50% - Competitive', 'No',
           '20', 'June', '2024'),
          (NULL, 'o', '2024-01-02 10:00:00', 'Nameless', 'Nu', 'IT', 'Unreadable', '', 'X', '1', '1',
           '$99,999.00', 'Email', 'Lead', '100% - Won', 'Yes', '01', 'March', '2024')
    )");
}

QString pdfText(const QString& pdfPath) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), pdfPath, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(process.errorString());
    return QString::fromUtf8(process.readAllStandardOutput());
}

Holder::Holder(const QString& path) {
    sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    m_locked = sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

Holder::~Holder() {
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
}

} // namespace ReportFixture
