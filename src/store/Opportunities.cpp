#include "store/Opportunities.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <limits>

QString Opportunities::KeyFor(qint32 recordNumber) {
    // One allocation: an open makes a key per record.
    char digits[12];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), recordNumber).ptr;
    QString key(4 + (end - digits), Qt::Uninitialized);
    QChar* out = key.data();
    for (const char c : {'K', 'e', 'y', '='})
        *out++ = QLatin1Char(c);
    for (const char* c = digits; c != end; ++c)
        *out++ = QLatin1Char(*c);
    return key;
}

Opportunity* Opportunities::AppendOpportunity(Opportunity& x) {
    const auto next = NextRecordNumber();
    if (!next)
        return nullptr;
    x.setRecordNumber(*next);
    auto copy = std::make_unique<Opportunity>(Opportunity::Blank{});
    copy->setRecordNumber(*next);
    copy->copyFieldsFrom(x);
    return Add(std::move(copy), KeyFor(*next));
}

std::optional<qint32> Opportunities::NextRecordNumber() const {
    qint32 highest = 0;
    for (const Opportunity& item : m_items)
        highest = std::max(highest, item.RecordNumber());
    if (highest == std::numeric_limits<qint32>::max())
        return std::nullopt;
    return highest + 1;
}

qint32 Opportunities::UnFilteredCount() const {
    qint32 count = 0;
    for (const Opportunity& item : m_items)
        count += item.Visible() ? 1 : 0;
    return count;
}

double Opportunities::FilteredRevenue() const {
    double sum = 0.0;
    for (const Opportunity& item : m_items) {
        if (item.Visible())
            sum += item.RevenueAmount();
    }
    return sum;
}

double Opportunities::TotalRevenue() const {
    double sum = 0.0;
    for (const Opportunity& item : m_items)
        sum += item.RevenueAmount();
    return sum;
}

Opportunity*
Opportunities::Add(qint32 recordNumber, const QString& SalesOwner, const QString& DateCreated,
                   const QString& Company, const QString& Department, const QString& Contact,
                   const QString& Note, const QString& Product, const QString& Description,
                   const QString& UnitPrice, const QString& Quantity, const QString& Revenue,
                   const QString& Source, const QString& Stage, const QString& Forecast,
                   const QString& Probability, const QString& OrderDay, const QString& OrderMonth,
                   const QString& OrderYear, const QString& key) {
    if (m_items.Contains(key))
        return nullptr;
    const std::array<const QString*, OpportunityFields::AddOrder.size()> texts{
        &SalesOwner, &DateCreated, &Company,     &Department, &Contact,    &Note,
        &Product,    &Description, &UnitPrice,   &Quantity,   &Revenue,    &Source,
        &Stage,      &Forecast,    &Probability, &OrderDay,   &OrderMonth, &OrderYear};
    auto item = std::make_unique<Opportunity>(Opportunity::Blank{});
    item->setRecordNumber(recordNumber);
    for (size_t i = 0; i < texts.size(); ++i)
        item->setText(OpportunityFields::AddOrder[i], *texts[i]);
    return Add(std::move(item), key);
}

Opportunity* Opportunities::Add(std::unique_ptr<Opportunity> item, const QString& key) {
    item->setVisible(true);
    return m_items.Add(std::move(item), key);
}

Opportunity* Opportunities::Item(const QString& key) const {
    return m_items.Item(key);
}

Opportunity* Opportunities::Item(qint32 position) const {
    return m_items.Item(position);
}

QString Opportunities::KeyAt(qint32 position) const {
    return m_items.KeyAt(position);
}

bool Opportunities::Remove(const QString& key) {
    return m_items.Remove(key);
}

bool Opportunities::Remove(qint32 position) {
    return m_items.Remove(position);
}

void Opportunities::Clear() {
    m_items.Clear();
}
