#include "mainwindow/ListLayout.h"

#include "mainwindow/Twips.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/SortChoice.h"
#include "store/OpportunityFields.h"

namespace {
const QString NoSort = QStringLiteral("None");
}

ListLayout::ListLayout(SortChoice& sorting, ColumnsInfo& columns)
    : m_sorting(sorting), m_columns(columns) {}

void ListLayout::chooseSort(const QString& choice) {
    qint16 order = 0;
    if (m_sorting.displaySortKey() && *m_sorting.displaySortKey() == choice)
        order = m_sorting.displaySortOrder() == 0 ? 1 : 0;
    m_sorting.setDisplaySortKey(choice);
    m_sorting.setDisplaySortOrder(order);
    m_sorting.setDisplaySorted(choice != NoSort);
}

void ListLayout::chooseSort(int sortMenuPosition) {
    chooseSort(OpportunityFields::sortKey(sortMenuPosition));
}

QString ListLayout::sortKey() const {
    if (!m_sorting.displaySorted() || !m_sorting.displaySortKey())
        return QString();
    return *m_sorting.displaySortKey();
}

Qt::SortOrder ListLayout::sortOrder() const {
    return m_sorting.displaySortOrder() == 1 ? Qt::DescendingOrder : Qt::AscendingOrder;
}

int ListLayout::checkedSortPosition() const {
    const QString key = sortKey();
    return key.isEmpty() ? 0 : OpportunityFields::sortPosition(key);
}

int ListLayout::columnWidth(const QString& key, qreal dpi) const {
    const ColumnStatus* status = m_columns.item(key);
    return status ? Twips::toPixels(status->width(), dpi) : -1;
}

void ListLayout::setColumnWidth(const QString& key, int pixels, qreal dpi) {
    if (ColumnStatus* status = m_columns.item(key))
        status->setWidth(Twips::fromPixels(pixels, dpi));
}

void ListLayout::captureColumnWidths(const std::function<int(const QString&)>& pixelsOf,
                                     qreal dpi) {
    for (qint32 position = 1; position <= m_columns.count(); ++position) {
        ColumnStatus* status = m_columns.item(position);
        if (!status || !status->isDisplayed())
            continue;
        const int pixels = pixelsOf(status->key());
        if (pixels >= 0)
            status->setWidth(Twips::fromPixels(pixels, dpi));
    }
}

QStringList ListLayout::columnsWithoutStoredWidth(const SettingsStore& store) {
    QStringList keys;
    for (const QString& key : OpportunityFields::columnKeys()) {
        if (!store.hasSetting(QLatin1String(SettingsStore::AppName), QStringLiteral("Display"),
                              key + QStringLiteral("Width")))
            keys.append(key);
    }
    return keys;
}
