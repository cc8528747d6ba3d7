#include "store/Opportunity.h"

#include "platform/LocaleText.h"
#include "store/NumericText.h"
#include "store/ValueLists.h"

#include <QDate>

namespace F = OpportunityFields;

Opportunity::Opportunity() {
    setDescription(QStringLiteral("None"));
    setUnitPrice(QStringLiteral("0"));
    setQuantity(QStringLiteral("0"));
    setRevenue(QStringLiteral("0"));
    setStage(ValueLists::Stage().at(0));
    setForecast(QStringLiteral("No"));
    setProbability(ValueLists::Probability().at(1));
    fillTodayOrderDate();
}

const QString& Opportunity::text(Field field) const {
    static const QString none;
    return field == F::RecordNumber ? none : m_texts[textSlot(field)];
}

void Opportunity::setText(Field field, QString value) {
    if (field == F::RecordNumber)
        return;
    if (field == F::Revenue)
        m_revenueAmount = AmountOf(value);
    m_texts[textSlot(field)] = std::move(value);
}

QVariant Opportunity::value(Field field) const {
    return field == F::RecordNumber ? QVariant(m_RecordNumber) : QVariant(text(field));
}

QString Opportunity::OrderMonthName(int month) {
    return LocaleText::monthNameWithin(month, F::info(F::OrderMonth).size);
}

bool Opportunity::fitOrderMonth() {
    const QString& month = OrderMonth();
    if (month.toUcs4().size() <= F::info(F::OrderMonth).size)
        return false;
    const int number = LocaleText::monthNumber(month);
    if (number == 0)
        return false;
    setOrderMonth(OrderMonthName(number));
    return true;
}

void Opportunity::fillTodayOrderDate() {
    const QDate today = QDate::currentDate();
    setOrderDay(QString::number(today.day()).rightJustified(2, QLatin1Char('0')));
    setOrderMonth(OrderMonthName(today.month()));
    setOrderYear(QString::number(today.year()));
}

QString Opportunity::OrderDate() {
    if (OrderYear().isEmpty())
        fillTodayOrderDate();
    return OrderDateText();
}

QString Opportunity::OrderDateText() const {
    if (OrderYear().isEmpty()) {
        Opportunity today(Blank{});
        today.fillTodayOrderDate();
        return today.OrderDateText();
    }
    int month = LocaleText::monthNumber(OrderMonth());
    if (month == 0)
        month = QDate::currentDate().month();
    return OrderYear() + QLatin1Char('-') +
           QString::number(month).rightJustified(2, QLatin1Char('0')) + QLatin1Char('-') +
           OrderDay();
}

QString Opportunity::KeyText(const QString& key) const {
    if (key == QLatin1String(F::OrderDateColumn.key))
        return OrderDateText();
    const auto field = F::byKey(key);
    if (!field)
        return QString();
    return *field == F::RecordNumber ? QString::number(m_RecordNumber) : text(*field);
}

QVariant Opportunity::KeyValue(const QString& key) const {
    if (const auto field = F::byKey(key); field && *field == F::RecordNumber)
        return QVariant(m_RecordNumber);
    return QVariant(KeyText(key));
}

void Opportunity::copyFieldsFrom(const Opportunity& other) {
    m_texts = other.m_texts;
    m_revenueAmount = other.m_revenueAmount;
}

bool Opportunity::sameRecord(const Opportunity& other) const {
    return m_RecordNumber == other.m_RecordNumber && m_texts == other.m_texts;
}
