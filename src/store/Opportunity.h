#pragma once

#include <QString>
#include <QVariant>

// One sales opportunity: the in-memory form of one record of table Sales, plus the visibility
// flag that the filter pass sets. It holds any text; the file bounds what can be stored.
class Opportunity {
public:
    // A new opportunity: "None", "Lead", "25% - Long Shot", "No", amounts "0" and today's date
    // as the expected order date.
    Opportunity();

    // The field named by `key`, compared exactly: the record number as a number, the text
    // fields and "OrderDate" as texts; any other key (SalesOwner and DateCreated included)
    // gives "".
    QVariant KeyValue(const QString& key) const;
    // KeyValue as cell text, without the QVariant round trip.
    QString KeyText(const QString& key) const;
    // The expected order date as YYYY-MM-DD; fills in today when OrderYear is empty.
    QString OrderDate();
    // The same text without filling in the fields (today's date when OrderYear is empty).
    QString OrderDateText() const;

    bool Visible() const { return m_Visible; }
    void setVisible(bool isVisible) { m_Visible = isVisible; }
    qint32 RecordNumber() const { return m_RecordNumber; }
    void setRecordNumber(qint32 number) { m_RecordNumber = number; }

#define CVN_TEXT_FIELD(Name)                                                                       \
    const QString& Name() const {                                                                  \
        return m_##Name;                                                                           \
    }                                                                                              \
    void set##Name(const QString& value) {                                                         \
        m_##Name = value;                                                                          \
    }                                                                                              \
    void set##Name(QString&& value) {                                                              \
        m_##Name = std::move(value);                                                               \
    }
    CVN_TEXT_FIELD(SalesOwner)
    CVN_TEXT_FIELD(DateCreated)
    CVN_TEXT_FIELD(Company)
    CVN_TEXT_FIELD(Department)
    CVN_TEXT_FIELD(Contact)
    CVN_TEXT_FIELD(Note)
    CVN_TEXT_FIELD(Product)
    CVN_TEXT_FIELD(Description)
    CVN_TEXT_FIELD(UnitPrice)
    CVN_TEXT_FIELD(Quantity)
    CVN_TEXT_FIELD(Revenue)
    CVN_TEXT_FIELD(Source)
    CVN_TEXT_FIELD(Stage)
    CVN_TEXT_FIELD(Forecast)
    CVN_TEXT_FIELD(Probability)
    CVN_TEXT_FIELD(OrderDay)
    CVN_TEXT_FIELD(OrderMonth)
    CVN_TEXT_FIELD(OrderYear)
#undef CVN_TEXT_FIELD

    // Copies the eighteen stored texts of `other` (not the record number, not Visible).
    void copyFieldsFrom(const Opportunity& other);
    // Field-by-field equality of the record number and the eighteen texts.
    bool sameRecord(const Opportunity& other) const;

    // An opportunity with every text empty and record number 0, for readers that set every
    // field themselves (opening a file); skips the work of the defaults.
    struct Blank {};
    explicit Opportunity(Blank) {}

private:
    void fillTodayOrderDate();

    qint32 m_RecordNumber = 0;
    QString m_SalesOwner;
    QString m_DateCreated;
    QString m_Company;
    QString m_Department;
    QString m_Contact;
    QString m_Note;
    QString m_Product;
    QString m_Description;
    QString m_UnitPrice;
    QString m_Quantity;
    QString m_Revenue;
    QString m_Source;
    QString m_Stage;
    QString m_Forecast;
    QString m_Probability;
    QString m_OrderDay;
    QString m_OrderMonth;
    QString m_OrderYear;
    bool m_Visible = true;
};
