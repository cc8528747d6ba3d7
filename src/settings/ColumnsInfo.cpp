#include "settings/ColumnsInfo.h"

#include "platform/SettingsStore.h"
#include "platform/TextForm.h"

namespace {
const QString Section = QStringLiteral("Display");
constexpr qint16 DefaultWidth = 1500;

std::unique_ptr<ColumnsInfo>& current() {
    static std::unique_ptr<ColumnsInfo> info;
    return info;
}
} // namespace

const QStringList& ColumnsInfo::ColumnKeys() {
    static const QStringList keys{
        QStringLiteral("Description"), QStringLiteral("Company"),     QStringLiteral("Department"),
        QStringLiteral("Contact"),     QStringLiteral("Note"),        QStringLiteral("Product"),
        QStringLiteral("UnitPrice"),   QStringLiteral("Quantity"),    QStringLiteral("Revenue"),
        QStringLiteral("Stage"),       QStringLiteral("Probability"), QStringLiteral("Forecast"),
        QStringLiteral("Source"),      QStringLiteral("OrderDate")};
    return keys;
}

const QStringList& ColumnsInfo::Captions() {
    static const QStringList captions{
        QStringLiteral("Description"), QStringLiteral("Company"), QStringLiteral("Department"),
        QStringLiteral("Contact"),     QStringLiteral("Note"),    QStringLiteral("Product"),
        QStringLiteral("Price"),       QStringLiteral("Qty."),    QStringLiteral("Revenue"),
        QStringLiteral("Stage"),       QStringLiteral("Prob."),   QStringLiteral("Forecast."),
        QStringLiteral("Source"),      QStringLiteral("YY-MM-DD")};
    return captions;
}

ColumnsInfo::ColumnsInfo() {
    load();
}

ColumnsInfo::~ColumnsInfo() = default;

ColumnsInfo& ColumnsInfo::instance() {
    auto& info = current();
    if (!info)
        info = std::make_unique<ColumnsInfo>();
    return *info;
}

void ColumnsInfo::releaseInstance() {
    current().reset();
}

void ColumnsInfo::load() {
    const SettingsStore& store = SettingsStore::instance();
    const QString app = QLatin1String(SettingsStore::AppName);
    const QStringList& keys = ColumnKeys();
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString& key = keys[i];
        const qint16 position = static_cast<qint16>(i + 1);
        // A value that does not convert keeps its default.
        const qint16 width =
            TextForm::toInt16(store.GetSetting(app, Section, key + QStringLiteral("Width"),
                                               QString::number(DefaultWidth)))
                .value_or(DefaultWidth);
        const bool display =
            TextForm::toBool(store.GetSetting(app, Section, key + QStringLiteral("Display"),
                                              QStringLiteral("True")))
                .value_or(true);
        const qint16 order =
            TextForm::toInt16(store.GetSetting(app, Section, key + QStringLiteral("Order"),
                                               QString::number(position)))
                .value_or(position);
        Add(key, width, order, display, key);
    }
}

void ColumnsInfo::Save() const {
    SettingsStore& store = SettingsStore::instance();
    const QString app = QLatin1String(SettingsStore::AppName);
    for (const ColumnStatus& entry : m_items) {
        const QString& key = entry.cKey();
        store.SaveSetting(app, Section, key + QStringLiteral("Width"),
                          QString::number(entry.cWidth()));
        store.SaveSetting(app, Section, key + QStringLiteral("Display"),
                          TextForm::fromBool(entry.CDisplay()));
        store.SaveSetting(app, Section, key + QStringLiteral("Order"),
                          QString::number(entry.COrder()));
    }
}

ColumnStatus* ColumnsInfo::Add(const QString& cKey, qint16 cWidth, qint16 COrder, bool CDisplay,
                               const QString& sKey) {
    if (m_items.Contains(sKey))
        return nullptr;
    auto entry = std::make_unique<ColumnStatus>();
    entry->setcKey(cKey);
    entry->setcWidth(cWidth);
    entry->setCOrder(COrder);
    entry->setCDisplay(CDisplay);
    return m_items.Add(std::move(entry), sKey);
}

ColumnStatus* ColumnsInfo::Item(qint32 position) const {
    return m_items.Item(position);
}

ColumnStatus* ColumnsInfo::Item(const QString& key) const {
    return m_items.Item(key);
}

bool ColumnsInfo::Remove(qint32 position) {
    return m_items.Remove(position);
}

bool ColumnsInfo::Remove(const QString& key) {
    return m_items.Remove(key);
}

QString ColumnsInfo::KeyValue(int sortMenuPosition) {
    // The Sort menu lists Source, Stage, Forecast, Probability at 10 to 13.
    static const QStringList bySortPosition{
        QStringLiteral("Description"), QStringLiteral("Company"),  QStringLiteral("Department"),
        QStringLiteral("Contact"),     QStringLiteral("Note"),     QStringLiteral("Product"),
        QStringLiteral("UnitPrice"),   QStringLiteral("Quantity"), QStringLiteral("Revenue"),
        QStringLiteral("Source"),      QStringLiteral("Stage"),    QStringLiteral("Forecast"),
        QStringLiteral("Probability"), QStringLiteral("OrderDate")};
    if (sortMenuPosition < 1 || sortMenuPosition > bySortPosition.size())
        return QStringLiteral("None");
    return bySortPosition.at(sortMenuPosition - 1);
}
