#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

// One filter criterion: a value kept under a section (FilterGroup) and a value name
// (FilterName) of the settings store. The kind of the value follows from its section:
// "Use", "Probability", "Stage" and "Forecast" hold Booleans, "DateRange" a date and time,
// "Revenue" a double, any other section a text. SaveFilter writes the value back to the store.
class SettingsStore;

class FilterItem {
public:
    FilterItem() = default;
    ~FilterItem();
    FilterItem(const FilterItem&) = delete;
    FilterItem& operator=(const FilterItem&) = delete;

    const QString& key() const { return m_Key; }
    void setKey(const QString& value) { m_Key = value; }
    const QString& filterGroup() const { return m_FilterGroup; }
    void setFilterGroup(const QString& value) { m_FilterGroup = value; }
    const QString& filterName() const { return m_FilterName; }
    void setFilterName(const QString& value) { m_FilterName = value; }
    const QVariant& value() const { return m_Value; }
    void setValue(const QVariant& value) { m_Value = value; }

    // Takes the section and value name, reads the stored text, converts it by the section and
    // keeps the result as Value, which it also returns. A missing, empty or unreadable text
    // gives the criterion's default.
    QVariant loadFilter(const SettingsStore& store, const QString& theFilterGroup,
                        const QString& theFilterName);
    // Writes Value in its stored form; false when there is nothing to write under (no section
    // or name), the value does not convert, or the store cannot be written.
    bool saveFilter(SettingsStore& store) const;

    // The value a criterion has when the store holds nothing for it: true for the Boolean
    // sections; today (start of day) for "Start" and now plus 30 days for any other date;
    // 0 for "Low" and 9999999 for any other revenue bound; "" otherwise.
    static QVariant defaultValue(const QString& theFilterGroup, const QString& theFilterName);
    // The value of a stored text, or nothing when the text is empty or does not convert.
    static std::optional<QVariant> fromStoredText(const QString& theFilterGroup,
                                                  const QString& text);
    // The stored form of a value: "True"/"False", the locale's short date, a plain decimal
    // number, or the value's text. Nothing when the value does not convert.
    static std::optional<QString> toStoredText(const QString& theFilterGroup,
                                               const QVariant& value);

    // True for the sections whose values are Booleans.
    static bool isBooleanGroup(const QString& group);
    // The date and time a value stands for (a date reads as its start of day, a text as a
    // short date); invalid when it stands for none.
    static QDateTime dateTimeOf(const QVariant& value);

private:
    QString m_Key;
    QString m_FilterGroup;
    QString m_FilterName;
    QVariant m_Value;
};
