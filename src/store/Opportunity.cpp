#include "store/Opportunity.h"

#include "platform/LocaleText.h"
#include "store/ValueLists.h"

#include <QDate>

Opportunity::Opportunity()
    : m_Description(QStringLiteral("None")), m_UnitPrice(QStringLiteral("0")),
      m_Quantity(QStringLiteral("0")), m_Revenue(QStringLiteral("0")),
      m_Stage(ValueLists::Stage().at(0)), m_Forecast(QStringLiteral("No")),
      m_Probability(ValueLists::Probability().at(1)) {
    fillTodayOrderDate();
}

void Opportunity::fillTodayOrderDate() {
    const QDate today = QDate::currentDate();
    m_OrderDay = QString::number(today.day()).rightJustified(2, QLatin1Char('0'));
    m_OrderMonth = LocaleText::monthName(today.month());
    m_OrderYear = QString::number(today.year());
}

QString Opportunity::OrderDate() {
    if (m_OrderYear.isEmpty())
        fillTodayOrderDate();
    return OrderDateText();
}

QString Opportunity::OrderDateText() const {
    if (m_OrderYear.isEmpty()) {
        Opportunity today(Blank{});
        today.fillTodayOrderDate();
        return today.OrderDateText();
    }
    int month = LocaleText::monthNumber(m_OrderMonth);
    if (month == 0)
        month = QDate::currentDate().month();
    return m_OrderYear + QLatin1Char('-') +
           QString::number(month).rightJustified(2, QLatin1Char('0')) + QLatin1Char('-') +
           m_OrderDay;
}

QString Opportunity::KeyText(const QString& key) const {
    if (key == QLatin1String("RecordNumber"))
        return QString::number(m_RecordNumber);
    if (key == QLatin1String("OrderDate"))
        return OrderDateText();
    const auto field = [&]() -> const QString* {
        static const struct {
            const char* name;
            QString Opportunity::*member;
        } fields[] = {{"Description", &Opportunity::m_Description},
                      {"Company", &Opportunity::m_Company},
                      {"Department", &Opportunity::m_Department},
                      {"Contact", &Opportunity::m_Contact},
                      {"Note", &Opportunity::m_Note},
                      {"Product", &Opportunity::m_Product},
                      {"UnitPrice", &Opportunity::m_UnitPrice},
                      {"Quantity", &Opportunity::m_Quantity},
                      {"Revenue", &Opportunity::m_Revenue},
                      {"Source", &Opportunity::m_Source},
                      {"Stage", &Opportunity::m_Stage},
                      {"Forecast", &Opportunity::m_Forecast},
                      {"Probability", &Opportunity::m_Probability},
                      {"OrderDay", &Opportunity::m_OrderDay},
                      {"OrderMonth", &Opportunity::m_OrderMonth},
                      {"OrderYear", &Opportunity::m_OrderYear}};
        for (const auto& f : fields) {
            if (key == QLatin1String(f.name))
                return &(this->*f.member);
        }
        return nullptr;
    }();
    return field ? *field : QString();
}

QVariant Opportunity::KeyValue(const QString& key) const {
    if (key == QLatin1String("RecordNumber"))
        return QVariant(m_RecordNumber);
    return QVariant(KeyText(key));
}

void Opportunity::copyFieldsFrom(const Opportunity& other) {
    m_SalesOwner = other.m_SalesOwner;
    m_DateCreated = other.m_DateCreated;
    m_Company = other.m_Company;
    m_Department = other.m_Department;
    m_Contact = other.m_Contact;
    m_Note = other.m_Note;
    m_Product = other.m_Product;
    m_Description = other.m_Description;
    m_UnitPrice = other.m_UnitPrice;
    m_Quantity = other.m_Quantity;
    m_Revenue = other.m_Revenue;
    m_Source = other.m_Source;
    m_Stage = other.m_Stage;
    m_Forecast = other.m_Forecast;
    m_Probability = other.m_Probability;
    m_OrderDay = other.m_OrderDay;
    m_OrderMonth = other.m_OrderMonth;
    m_OrderYear = other.m_OrderYear;
}

bool Opportunity::sameRecord(const Opportunity& other) const {
    return m_RecordNumber == other.m_RecordNumber && m_SalesOwner == other.m_SalesOwner &&
           m_DateCreated == other.m_DateCreated && m_Company == other.m_Company &&
           m_Department == other.m_Department && m_Contact == other.m_Contact &&
           m_Note == other.m_Note && m_Product == other.m_Product &&
           m_Description == other.m_Description && m_UnitPrice == other.m_UnitPrice &&
           m_Quantity == other.m_Quantity && m_Revenue == other.m_Revenue &&
           m_Source == other.m_Source && m_Stage == other.m_Stage &&
           m_Forecast == other.m_Forecast && m_Probability == other.m_Probability &&
           m_OrderDay == other.m_OrderDay && m_OrderMonth == other.m_OrderMonth &&
           m_OrderYear == other.m_OrderYear;
}
