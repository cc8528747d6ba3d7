#include "settings/ColumnsInfo.h"

#include "platform/SettingsStore.h"
#include "platform/TextForm.h"
#include "store/OpportunityFields.h"

namespace {
const QString Section = QStringLiteral("Display");
constexpr qint16 DefaultWidth = 1500;
} // namespace

ColumnsInfo::ColumnsInfo(SettingsStore& store) : m_store(store) {
    load();
}

ColumnsInfo::~ColumnsInfo() = default;

void ColumnsInfo::load() {
    const SettingsStore& store = m_store;
    const QString app = QLatin1String(SettingsStore::AppName);
    const QStringList& keys = OpportunityFields::columnKeys();
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString& key = keys[i];
        const qint16 position = static_cast<qint16>(i + 1);
        // A value that does not convert keeps its default.
        const qint16 width =
            TextForm::toInt16(store.getSetting(app, Section, key + QStringLiteral("Width"),
                                               QString::number(DefaultWidth)))
                .value_or(DefaultWidth);
        const bool display =
            TextForm::toBool(store.getSetting(app, Section, key + QStringLiteral("Display"),
                                              QStringLiteral("True")))
                .value_or(true);
        const qint16 order =
            TextForm::toInt16(store.getSetting(app, Section, key + QStringLiteral("Order"),
                                               QString::number(position)))
                .value_or(position);
        add(key, width, order, display, key);
    }
}

void ColumnsInfo::save() const {
    SettingsStore& store = m_store;
    const QString app = QLatin1String(SettingsStore::AppName);
    for (const ColumnStatus& entry : m_items) {
        const QString& key = entry.key();
        store.saveSetting(app, Section, key + QStringLiteral("Width"),
                          QString::number(entry.width()));
        store.saveSetting(app, Section, key + QStringLiteral("Display"),
                          TextForm::fromBool(entry.isDisplayed()));
        store.saveSetting(app, Section, key + QStringLiteral("Order"),
                          QString::number(entry.order()));
    }
}

ColumnStatus* ColumnsInfo::add(const QString& cKey, qint16 cWidth, qint16 order, bool displayed,
                               const QString& sKey) {
    if (m_items.contains(sKey))
        return nullptr;
    auto entry = std::make_unique<ColumnStatus>();
    entry->setKey(cKey);
    entry->setWidth(cWidth);
    entry->setOrder(order);
    entry->setDisplayed(displayed);
    return m_items.add(std::move(entry), sKey);
}

ColumnStatus* ColumnsInfo::item(qint32 position) const {
    return m_items.item(position);
}

ColumnStatus* ColumnsInfo::item(const QString& key) const {
    return m_items.item(key);
}

bool ColumnsInfo::remove(qint32 position) {
    return m_items.remove(position);
}

bool ColumnsInfo::remove(const QString& key) {
    return m_items.remove(key);
}

QString ColumnsInfo::keyValue(int sortMenuPosition) {
    return OpportunityFields::sortKey(sortMenuPosition);
}

bool ColumnsInfo::keepsSort(const std::optional<QString>& sortKey) const {
    const ColumnStatus* sorted = sortKey ? item(*sortKey) : nullptr;
    return !sorted || sorted->isDisplayed();
}
