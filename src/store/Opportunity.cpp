#include "store/Opportunity.h"

#include "platform/LocaleText.h"
#include "store/InternedTexts.h"
#include "store/NumericText.h"
#include "store/ValueLists.h"

#include <QDate>

namespace F = OpportunityFields;

Opportunity::Opportunity() {
    setDescription(QStringLiteral("None"));
    setUnitPrice(QStringLiteral("0"));
    setQuantity(QStringLiteral("0"));
    setRevenue(QStringLiteral("0"));
    setStage(ValueLists::stage().at(0));
    setForecast(QStringLiteral("No"));
    setProbability(ValueLists::probability().at(1));
    fillTodayOrderDate();
}

const QString& Opportunity::text(Field field) const {
    static const QString none;
    if (field == F::RecordNumber)
        return none;
    if (field == F::DateCreated && m_created != 0)
        makeCreatedText();
    const size_t slot = slotOf(field);
    return slot >= ListedSlot ? InternedTexts::text(listedId(slot - ListedSlot)) : m_texts[slot];
}

void Opportunity::setCreated(const QDate& date, const QTime& time) {
    constexpr qint64 secondsPerDay = 86'400;
    m_created = date.toJulianDay() * secondsPerDay + time.msecsSinceStartOfDay() / 1000;
    m_texts[slotOf(F::DateCreated)].clear();
}

void Opportunity::makeCreatedText() const {
    constexpr qint64 secondsPerDay = 86'400;
    const QDateTime when(
        QDate::fromJulianDay(m_created / secondsPerDay),
        QTime::fromMSecsSinceStartOfDay(static_cast<int>(m_created % secondsPerDay * 1000)));
    m_texts[slotOf(F::DateCreated)] = LocaleText::generalDateTime(when);
    m_created = 0;
}

void Opportunity::setText(Field field, QString value) {
    if (field == F::RecordNumber)
        return;
    if (field == F::Revenue)
        m_revenueAmount = amountOf(value);
    if (field == F::DateCreated)
        m_created = 0;
    const size_t slot = slotOf(field);
    if (slot < ListedSlot) {
        m_texts[slot] = std::move(value);
        return;
    }
    setListedId(slot - ListedSlot, InternedTexts::idOf(value));
}

QVariant Opportunity::value(Field field) const {
    return field == F::RecordNumber ? QVariant(m_RecordNumber) : QVariant(text(field));
}

QString Opportunity::orderMonthName(int month) {
    return LocaleText::monthNameWithin(month, F::info(F::OrderMonth).size);
}

bool Opportunity::fitOrderMonth() {
    const QString& month = orderMonth();
    if (month.toUcs4().size() <= F::info(F::OrderMonth).size)
        return false;
    const int number = LocaleText::monthNumber(month);
    if (number == 0)
        return false;
    setOrderMonth(orderMonthName(number));
    return true;
}

void Opportunity::fillTodayOrderDate() {
    const QDate today = QDate::currentDate();
    setOrderDay(QString::number(today.day()).rightJustified(2, QLatin1Char('0')));
    setOrderMonth(orderMonthName(today.month()));
    setOrderYear(QString::number(today.year()));
}

QString Opportunity::orderDate() {
    if (orderYear().isEmpty())
        fillTodayOrderDate();
    return orderDateText();
}

QString Opportunity::orderDateText() const {
    if (orderYear().isEmpty()) {
        Opportunity today(Blank{});
        today.fillTodayOrderDate();
        return today.orderDateText();
    }
    int month = LocaleText::monthNumber(orderMonth());
    if (month == 0)
        month = QDate::currentDate().month();
    return orderYear() + QLatin1Char('-') +
           QString::number(month).rightJustified(2, QLatin1Char('0')) + QLatin1Char('-') +
           orderDay();
}

QString Opportunity::keyText(const QString& key) const {
    if (key == QLatin1String(F::OrderDateColumn.key))
        return orderDateText();
    const auto field = F::byKey(key);
    if (!field)
        return QString();
    return *field == F::RecordNumber ? QString::number(m_RecordNumber) : text(*field);
}

QVariant Opportunity::keyValue(const QString& key) const {
    if (const auto field = F::byKey(key); field && *field == F::RecordNumber)
        return QVariant(m_RecordNumber);
    return QVariant(keyText(key));
}

void Opportunity::copyFieldsFrom(const Opportunity& other) {
    m_texts = other.m_texts;
    m_created = other.m_created;
    m_listed = other.m_listed;
    m_revenueAmount = other.m_revenueAmount;
}

bool Opportunity::sameRecord(const Opportunity& other) const {
    return m_RecordNumber == other.m_RecordNumber && dateCreated() == other.dateCreated() &&
           m_texts == other.m_texts && m_listed == other.m_listed;
}
