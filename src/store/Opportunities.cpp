#include "store/Opportunities.h"

#include "store/NumericText.h"

#include <algorithm>
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
    for (const Entry& entry : m_items)
        highest = std::max(highest, entry.item->RecordNumber());
    if (highest == std::numeric_limits<qint32>::max())
        return std::nullopt;
    return highest + 1;
}

qint32 Opportunities::UnFilteredCount() const {
    qint32 count = 0;
    for (const Entry& entry : m_items)
        count += entry.item->Visible() ? 1 : 0;
    return count;
}

double Opportunities::FilteredRevenue() const {
    double sum = 0.0;
    for (const Entry& entry : m_items) {
        if (entry.item->Visible())
            sum += AmountOf(entry.item->Revenue());
    }
    return sum;
}

double Opportunities::TotalRevenue() const {
    double sum = 0.0;
    for (const Entry& entry : m_items)
        sum += AmountOf(entry.item->Revenue());
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
    if (!key.isEmpty() && m_byKey.contains(key))
        return nullptr;
    auto item = std::make_unique<Opportunity>(Opportunity::Blank{});
    item->setRecordNumber(recordNumber);
    item->setSalesOwner(SalesOwner);
    item->setDateCreated(DateCreated);
    item->setCompany(Company);
    item->setDepartment(Department);
    item->setContact(Contact);
    item->setNote(Note);
    item->setProduct(Product);
    item->setDescription(Description);
    item->setUnitPrice(UnitPrice);
    item->setQuantity(Quantity);
    item->setRevenue(Revenue);
    item->setSource(Source);
    item->setStage(Stage);
    item->setForecast(Forecast);
    item->setProbability(Probability);
    item->setOrderDay(OrderDay);
    item->setOrderMonth(OrderMonth);
    item->setOrderYear(OrderYear);
    return Add(std::move(item), key);
}

Opportunity* Opportunities::Add(std::unique_ptr<Opportunity> item, const QString& key) {
    Opportunity* raw = item.get();
    // Room first, so that nothing can fail once the key is taken.
    if (m_items.size() == m_items.capacity())
        m_items.reserve(std::max<size_t>(16, m_items.size() * 2));
    if (!key.isEmpty()) {
        // One look-up: the slot is new exactly when the key was free (items are never null).
        Opportunity*& slot = m_byKey[key];
        if (slot)
            return nullptr;
        slot = raw;
    }
    raw->setVisible(true);
    m_items.push_back({key, std::move(item)});
    return raw;
}

Opportunity* Opportunities::Item(const QString& key) const {
    return m_byKey.value(key, nullptr);
}

Opportunity* Opportunities::Item(qint32 position) const {
    if (position < 1 || position > Count())
        return nullptr;
    return m_items[static_cast<size_t>(position - 1)].item.get();
}

QString Opportunities::KeyAt(qint32 position) const {
    if (position < 1 || position > Count())
        return QString();
    return m_items[static_cast<size_t>(position - 1)].key;
}

bool Opportunities::Remove(const QString& key) {
    Opportunity* target = m_byKey.value(key, nullptr);
    if (!target)
        return false;
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [target](const Entry& e) { return e.item.get() == target; });
    return it != m_items.end() && Remove(static_cast<qint32>(it - m_items.begin()) + 1);
}

bool Opportunities::Remove(qint32 position) {
    if (position < 1 || position > Count())
        return false;
    const auto it = m_items.begin() + (position - 1);
    if (!it->key.isEmpty())
        m_byKey.remove(it->key);
    m_items.erase(it);
    return true;
}

void Opportunities::Clear() {
    m_items.clear();
    m_byKey.clear();
}
