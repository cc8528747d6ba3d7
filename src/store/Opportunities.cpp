#include "store/Opportunities.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <limits>

QString Opportunities::keyFor(qint32 recordNumber) {
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

std::optional<qint32> Opportunities::nextRecordNumber() const {
    qint32 highest = 0;
    for (const Opportunity& item : m_items)
        highest = std::max(highest, item.recordNumber());
    if (highest == std::numeric_limits<qint32>::max())
        return std::nullopt;
    return highest + 1;
}

qint32 Opportunities::unFilteredCount() const {
    qint32 count = 0;
    for (const Opportunity& item : m_items)
        count += item.visible() ? 1 : 0;
    return count;
}

double Opportunities::filteredRevenue() const {
    double sum = 0.0;
    for (const Opportunity& item : m_items) {
        if (item.visible())
            sum += item.revenueAmount();
    }
    return sum;
}

double Opportunities::totalRevenue() const {
    double sum = 0.0;
    for (const Opportunity& item : m_items)
        sum += item.revenueAmount();
    return sum;
}

Opportunity*
Opportunities::add(qint32 recordNumber, const QString& salesOwner, const QString& dateCreated,
                   const QString& company, const QString& department, const QString& contact,
                   const QString& note, const QString& product, const QString& description,
                   const QString& unitPrice, const QString& quantity, const QString& revenue,
                   const QString& source, const QString& stage, const QString& forecast,
                   const QString& probability, const QString& orderDay, const QString& orderMonth,
                   const QString& orderYear, const QString& key) {
    if (m_items.contains(key))
        return nullptr;
    const std::array<const QString*, OpportunityFields::AddOrder.size()> texts{
        &salesOwner, &dateCreated, &company,     &department, &contact,    &note,
        &product,    &description, &unitPrice,   &quantity,   &revenue,    &source,
        &stage,      &forecast,    &probability, &orderDay,   &orderMonth, &orderYear};
    auto item = std::make_unique<Opportunity>(Opportunity::Blank{});
    item->setRecordNumber(recordNumber);
    for (size_t i = 0; i < texts.size(); ++i)
        item->setText(OpportunityFields::AddOrder[i], *texts[i]);
    return add(std::move(item), key);
}

Opportunity* Opportunities::add(std::unique_ptr<Opportunity> item, const QString& key) {
    item->setVisible(true);
    return m_items.add(std::move(item), key);
}

Opportunity* Opportunities::item(const QString& key) const {
    return m_items.item(key);
}

Opportunity* Opportunities::item(qint32 position) const {
    return m_items.item(position);
}

QString Opportunities::keyAt(qint32 position) const {
    return m_items.keyAt(position);
}

bool Opportunities::remove(const QString& key) {
    return m_items.remove(key);
}

bool Opportunities::remove(qint32 position) {
    return m_items.remove(position);
}

void Opportunities::clear() {
    m_items.clear();
}
