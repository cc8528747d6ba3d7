#pragma once

#include "store/OpportunityFields.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>
#include <array>
#include <optional>

// One sales opportunity: the in-memory form of one record of table Sales, plus the visibility
// flag that the filter pass sets. It holds any text; the file bounds what can be stored.
class Opportunity {
public:
    using Field = OpportunityFields::Field;

    // A new opportunity: "None", "Lead", "25% - Long Shot", "No", amounts "0" and today's date
    // as the expected order date.
    Opportunity();

    // The field named by `key`, compared exactly: the record number as a number, the text
    // fields and "OrderDate" as texts; any other key (SalesOwner and DateCreated included)
    // gives "".
    QVariant keyValue(const QString& key) const;
    // KeyValue as cell text, without the QVariant round trip.
    QString keyText(const QString& key) const;
    // The expected order date as YYYY-MM-DD; fills in today when OrderYear is empty.
    QString orderDate();
    // The same text without filling in the fields (today's date when OrderYear is empty).
    QString orderDateText() const;

    bool visible() const { return m_Visible; }
    void setVisible(bool isVisible) { m_Visible = isVisible; }
    qint32 recordNumber() const { return m_RecordNumber; }
    void setRecordNumber(qint32 number) { m_RecordNumber = number; }

    // A field by its index in the field table: text() and setText() for the eighteen texts
    // (text(RecordNumber) is "", setText(RecordNumber, ...) does nothing); value() gives the
    // record number as a number and the texts as texts.
    const QString& text(Field field) const;
    void setText(Field field, QString value);
    QVariant value(Field field) const;

#define TEXT_FIELD_ACCESSORS(getter, Name)                                                         \
    const QString& getter() const {                                                                \
        return text(OpportunityFields::Name);                                                      \
    }                                                                                              \
    void set##Name(QString value) {                                                                \
        setText(OpportunityFields::Name, std::move(value));                                        \
    }
    TEXT_FIELD_ACCESSORS(salesOwner, SalesOwner)
    TEXT_FIELD_ACCESSORS(dateCreated, DateCreated)
    TEXT_FIELD_ACCESSORS(company, Company)
    TEXT_FIELD_ACCESSORS(department, Department)
    TEXT_FIELD_ACCESSORS(contact, Contact)
    TEXT_FIELD_ACCESSORS(note, Note)
    TEXT_FIELD_ACCESSORS(product, Product)
    TEXT_FIELD_ACCESSORS(description, Description)
    TEXT_FIELD_ACCESSORS(unitPrice, UnitPrice)
    TEXT_FIELD_ACCESSORS(quantity, Quantity)
    TEXT_FIELD_ACCESSORS(revenue, Revenue)
    TEXT_FIELD_ACCESSORS(source, Source)
    TEXT_FIELD_ACCESSORS(stage, Stage)
    TEXT_FIELD_ACCESSORS(forecast, Forecast)
    TEXT_FIELD_ACCESSORS(probability, Probability)
    TEXT_FIELD_ACCESSORS(orderDay, OrderDay)
    TEXT_FIELD_ACCESSORS(orderMonth, OrderMonth)
    TEXT_FIELD_ACCESSORS(orderYear, OrderYear)
#undef TEXT_FIELD_ACCESSORS

    // DateCreated as read from a file: kept as a number until its text (the locale's general
    // date and time) is first asked for, so that a list of many opportunities carries no
    // creation texts that nobody reads.
    void setCreated(const QDate& date, const QTime& time);

    // The amount Revenue stands for (AmountOf), read once when Revenue is set; the totals and
    // the revenue filter add these up.
    double revenueAmount() const {
        return m_revenueAmount;
    }

    // The name under which a month is stored in OrderMonth: the locale's full name, or its
    // short name where the full one does not fit the field.
    static QString orderMonthName(int month);
    // Replaces an OrderMonth that is a full month name too long for its field by the month's
    // short name; true when it changed.
    bool fitOrderMonth();

    // Where the record that this opportunity was read from (or written to) sits in its file:
    // the engine's row identity, not stored in a field (on a server: the record's row version
    // as it was read, which names that state of the record). Nothing for an opportunity that no
    // file has given it.
    std::optional<qint64> rowId() const {
        return m_hasRowId ? std::optional<qint64>(m_rowId) : std::nullopt;
    }
    void setRowId(std::optional<qint64> rowId) {
        m_hasRowId = rowId.has_value();
        m_rowId = rowId.value_or(0);
    }

    // Copies the eighteen stored texts of `other` (not the record number, not Visible, not
    // the row identity).
    void copyFieldsFrom(const Opportunity& other);
    // Field-by-field equality of the record number and the eighteen texts.
    bool sameRecord(const Opportunity& other) const;

    // An opportunity with every text empty and record number 0, for readers that set every
    // field themselves (opening a file); skips the work of the defaults.
    struct Blank {};
    explicit Opportunity(Blank) {}

private:
    // Fields whose values come from short lists are held as numbers of InternedTexts; the
    // others (descriptions, notes, companies, amounts...) as strings of their own. A slot is an
    // index into m_texts, or into m_listed plus ListedSlot.
    static constexpr size_t ListedSlot = 100;
    static constexpr size_t FreeCount = 6;
    static constexpr size_t ListedCount = OpportunityFields::Count - 1 - FreeCount;
    static constexpr size_t slotOf(Field field) {
        constexpr std::array<size_t, OpportunityFields::Count> table{
            0,               // RecordNumber (not a text)
            ListedSlot + 0,  // SalesOwner
            0,               // DateCreated
            1,               // Company
            2,               // Contact
            ListedSlot + 1,  // Department
            3,               // Description
            4,               // Note
            ListedSlot + 2,  // Product
            ListedSlot + 3,  // UnitPrice
            ListedSlot + 4,  // Quantity
            5,               // Revenue
            ListedSlot + 5,  // Source
            ListedSlot + 6,  // Stage
            ListedSlot + 7,  // Probability
            ListedSlot + 8,  // Forecast
            ListedSlot + 9,  // OrderDay
            ListedSlot + 10, // OrderMonth
            ListedSlot + 11, // OrderYear
        };
        return table[static_cast<size_t>(field)];
    }
    void fillTodayOrderDate();
    // Turns a creation time held as a number into its text.
    void makeCreatedText() const;

    // DateCreated's text is made on first demand, so it may change in a const call.
    mutable std::array<QString, FreeCount> m_texts;
    // A creation time whose text is not made yet: its Julian day times 86,400 plus its second
    // of the day; 0 for none.
    mutable qint64 m_created = 0;
    // The numbers of the list fields' texts, three bytes each (InternedTexts hands out fewer
    // than 2^24), so that an opportunity fits a smaller block of memory.
    std::array<quint8, 3 * ListedCount> m_listed{};
    quint32 listedId(size_t index) const {
        const quint8* bytes = &m_listed[3 * index];
        return bytes[0] | (quint32(bytes[1]) << 8) | (quint32(bytes[2]) << 16);
    }
    void setListedId(size_t index, quint32 id) {
        Q_ASSERT(id < (1U << 24));
        quint8* bytes = &m_listed[3 * index];
        bytes[0] = quint8(id);
        bytes[1] = quint8(id >> 8);
        bytes[2] = quint8(id >> 16);
    }
    double m_revenueAmount = 0.0;
    qint64 m_rowId = 0;
    qint32 m_RecordNumber = 0;
    bool m_hasRowId = false;
    bool m_Visible = true;
};
