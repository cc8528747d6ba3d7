#pragma once

#include <iterator>

// Enumerates a vector of owned items (entries that hold them, or the owning pointers
// themselves) as the items: `item(entry)` gives the item's address.
template <typename T, typename Base,
          T* (*item)(const typename std::iterator_traits<Base>::value_type&)>
class OwnedItemIterator {
public:
    explicit OwnedItemIterator(Base it) : m_it(it) {}
    T& operator*() const { return *item(*m_it); }
    T* operator->() const { return item(*m_it); }
    OwnedItemIterator& operator++() {
        ++m_it;
        return *this;
    }
    bool operator==(const OwnedItemIterator& other) const { return m_it == other.m_it; }
    bool operator!=(const OwnedItemIterator& other) const { return m_it != other.m_it; }

private:
    Base m_it;
};
