#include "store/InternedTexts.h"

#include <QHash>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>

namespace {

// The texts live in blocks that never move, so that a reference to one stays valid and a
// reader needs no lock: a number is only handed out after its text is in place.
constexpr quint32 BlockBits = 10;
constexpr quint32 BlockSize = 1U << BlockBits;
constexpr quint32 MaxBlocks = 1U << 14; // 16 million texts
// The numbers of the texts met last, by the address of their characters, per thread.
constexpr size_t RecentSize = 4096;

struct Table {
    std::array<std::atomic<QString*>, MaxBlocks> blocks{};
    QHash<QString, quint32> ids;
    quint32 count = 1; // 0 is the empty text
    std::mutex mutex;

    Table() { blocks[0].store(new QString[BlockSize], std::memory_order_release); }
};

Table& table() {
    // Never destroyed: opportunities may outlive static destruction order.
    static Table* const instance = new Table;
    return *instance;
}

} // namespace

quint32 InternedTexts::idOf(const QString& text) {
    if (text.isEmpty())
        return 0;
    // A text that shares its characters with one met lately is that text: files are read
    // through a cache that hands out one string per distinct value, so most texts are found
    // here by the address of their characters, without hashing and without the lock. The entry
    // keeps the characters alive, so an address cannot stand for another text meanwhile.
    struct Recent {
        QString text;
        quint32 id = 0;
    };
    thread_local std::array<Recent, RecentSize> recent;
    const auto address = reinterpret_cast<quintptr>(text.constData());
    Recent& entry = recent[((address >> 4) ^ (address >> 16)) & (RecentSize - 1)];
    if (entry.id != 0 && entry.text.constData() == text.constData() &&
        entry.text.size() == text.size())
        return entry.id;
    entry.id = find(text);
    entry.text = text;
    return entry.id;
}

quint32 InternedTexts::find(const QString& text) {
    Table& t = table();
    const std::lock_guard lock(t.mutex);
    if (const auto found = t.ids.constFind(text); found != t.ids.constEnd())
        return *found;
    const quint32 id = t.count;
    const quint32 block = id >> BlockBits;
    // Reached only by a process that met 16 million distinct texts: stop rather than write
    // past the table.
    if (block >= MaxBlocks)
        qFatal("InternedTexts: more than %u distinct texts", MaxBlocks * BlockSize);
    QString* texts = t.blocks[block].load(std::memory_order_acquire);
    if (!texts) {
        texts = new QString[BlockSize];
        t.blocks[block].store(texts, std::memory_order_release);
    }
    texts[id & (BlockSize - 1)] = text;
    t.ids.insert(text, id);
    ++t.count;
    return id;
}

const QString& InternedTexts::text(quint32 id) {
    static const QString empty;
    if (id == 0)
        return empty;
    return table().blocks[id >> BlockBits].load(std::memory_order_acquire)[id & (BlockSize - 1)];
}
