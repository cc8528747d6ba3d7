#include "store/Opportunities.h"

#include <QSet>

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
    for (const Opportunity& item : *this)
        highest = std::max(highest, item.recordNumber());
    if (highest == std::numeric_limits<qint32>::max())
        return std::nullopt;
    return highest + 1;
}

qint32 Opportunities::unFilteredCount() const {
    qint32 count = 0;
    for (const Opportunity& item : *this)
        count += item.visible() ? 1 : 0;
    return count;
}

double Opportunities::filteredRevenue() const {
    double sum = 0.0;
    for (const Opportunity& item : *this) {
        if (item.visible())
            sum += item.revenueAmount();
    }
    return sum;
}

double Opportunities::totalRevenue() const {
    double sum = 0.0;
    for (const Opportunity& item : *this)
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
    if (contains(key))
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
    Opportunity* raw = item.get();
    // Room first, so that nothing can fail once the key is taken.
    if (m_items.size() == m_items.capacity())
        m_items.reserve(std::max<size_t>(16, m_items.size() * 2));
    if (!key.isEmpty()) {
        if (numberOf(key) != item->recordNumber())
            return nullptr;
        // One look-up: the slot is new exactly when the key was free (items are never null).
        Opportunity*& slot = m_byNumber[item->recordNumber()];
        if (slot)
            return nullptr;
        slot = raw;
    }
    raw->setVisible(true);
    m_items.push_back(std::move(item));
    return raw;
}

std::optional<qint32> Opportunities::numberOf(const QString& key) {
    if (!key.startsWith(QLatin1String("Key=")))
        return std::nullopt;
    bool isNumber = false;
    const qint32 number = QStringView(key).mid(4).toInt(&isNumber);
    if (!isNumber || keyFor(number) != key)
        return std::nullopt;
    return number;
}

Opportunity* Opportunities::item(const QString& key) const {
    const std::optional<qint32> number = numberOf(key);
    return number ? m_byNumber.value(*number, nullptr) : nullptr;
}

Opportunity* Opportunities::item(qint32 position) const {
    if (position < 1 || position > count())
        return nullptr;
    return m_items[static_cast<size_t>(position - 1)].get();
}

QString Opportunities::keyAt(qint32 position) const {
    const Opportunity* found = item(position);
    return found && isKeyed(found) ? keyFor(found->recordNumber()) : QString();
}

bool Opportunities::remove(const QString& key) {
    const Opportunity* target = item(key);
    if (!target)
        return false;
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [target](const auto& entry) { return entry.get() == target; });
    return remove(static_cast<qint32>(it - m_items.begin()) + 1);
}

bool Opportunities::remove(qint32 position) {
    const Opportunity* target = item(position);
    if (!target)
        return false;
    if (isKeyed(target))
        m_byNumber.remove(target->recordNumber());
    m_items.erase(m_items.begin() + (position - 1));
    return true;
}

qint32 Opportunities::removeAll(const QStringList& keys) {
    QSet<const Opportunity*> leaving;
    for (const QString& key : keys) {
        const std::optional<qint32> number = numberOf(key);
        if (Opportunity* found = number ? m_byNumber.take(*number) : nullptr)
            leaving.insert(found);
    }
    if (leaving.isEmpty())
        return 0;
    std::erase_if(m_items, [&leaving](const auto& entry) { return leaving.contains(entry.get()); });
    return static_cast<qint32>(leaving.size());
}

void Opportunities::clear() {
    m_items.clear();
    m_byNumber.clear();
}

void Opportunities::reserve(qint32 count) {
    m_items.reserve(static_cast<size_t>(count));
    m_byNumber.reserve(count);
}
