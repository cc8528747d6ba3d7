#pragma once

#include "platform/OwnedItemIterator.h"

#include <QHash>
#include <QString>
#include <algorithm>
#include <memory>
#include <vector>

// An ordered collection that owns its items, each optionally under a text key unique within
// the collection. Positions count from 1. Look-ups that find nothing give nullptr or false;
// Add refuses a key already in use and changes nothing then.
template <typename T> class KeyedCollection {
public:
    T* add(std::unique_ptr<T> item, const QString& key = QString()) {
        T* raw = item.get();
        // Room first, so that nothing can fail once the key is taken.
        if (m_items.size() == m_items.capacity())
            m_items.reserve(std::max<size_t>(16, m_items.size() * 2));
        if (!key.isEmpty()) {
            // One look-up: the slot is new exactly when the key was free (items are never null).
            T*& slot = m_byKey[key];
            if (slot)
                return nullptr;
            slot = raw;
        }
        m_items.push_back({key, std::move(item)});
        return raw;
    }

    T* item(qint32 position) const {
        if (position < 1 || position > count())
            return nullptr;
        return m_items[static_cast<size_t>(position - 1)].item.get();
    }
    T* item(const QString& key) const { return m_byKey.value(key, nullptr); }
    bool contains(const QString& key) const { return m_byKey.contains(key); }
    // The key of the item at a position ("" for an item without key or no item).
    QString keyAt(qint32 position) const {
        if (position < 1 || position > count())
            return QString();
        return m_items[static_cast<size_t>(position - 1)].key;
    }
    qint32 count() const { return static_cast<qint32>(m_items.size()); }

    bool remove(qint32 position) {
        if (position < 1 || position > count())
            return false;
        const auto it = m_items.begin() + (position - 1);
        if (!it->key.isEmpty())
            m_byKey.remove(it->key);
        m_items.erase(it);
        return true;
    }
    bool remove(const QString& key) {
        const T* target = item(key);
        if (!target)
            return false;
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i].item.get() == target)
                return remove(static_cast<qint32>(i + 1));
        }
        return false;
    }
    // Removes the items under `keys` in one pass over the collection (keys not in it are passed
    // over); the number removed.
    template <typename Keys> qint32 removeAll(const Keys& keys) {
        qint32 removed = 0;
        for (const QString& key : keys)
            removed += m_byKey.remove(key) ? 1 : 0;
        if (removed == 0)
            return 0;
        std::erase_if(m_items, [this](const Entry& entry) {
            return !entry.key.isEmpty() && m_byKey.value(entry.key) != entry.item.get();
        });
        return removed;
    }
    void clear() {
        m_items.clear();
        m_byKey.clear();
    }
    void reserve(qint32 count) {
        m_items.reserve(static_cast<size_t>(count));
        m_byKey.reserve(count);
    }

    struct Entry {
        QString key;
        std::unique_ptr<T> item;
    };
    // Enumeration in position order, giving the items themselves.
    static T* itemOf(const Entry& entry) { return entry.item.get(); }
    using const_iterator =
        OwnedItemIterator<T, typename std::vector<Entry>::const_iterator, &KeyedCollection::itemOf>;
    const_iterator begin() const { return const_iterator(m_items.begin()); }
    const_iterator end() const { return const_iterator(m_items.end()); }

private:
    std::vector<Entry> m_items;
    QHash<QString, T*> m_byKey;
};
