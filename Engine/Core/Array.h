#pragma once
// CArray: the engine's growable array. A new array has room for 5 items; appending to a full
// array grows it to 2 x capacity + 1. Indexed reads clamp the index into 0 .. count - 1, so a
// stale or negative index reads the nearest item instead of memory outside the array.

#include <cstdint>
#include <memory>
#include <utility>

namespace Tess
{

template <class T>
class CArray
{
public:
    static constexpr std::int32_t kInitialCapacity = 5;

    CArray() : m_items(std::make_unique<T[]>(kInitialCapacity)) {}
    ~CArray() = default;
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;
    // A moved-from array is empty with fresh storage, so adding to it again is safe.
    CArray(CArray&& other) { *this = std::move(other); }
    CArray& operator=(CArray&& other)
    {
        if (this == &other)
            return *this;
        m_count = std::exchange(other.m_count, 0);
        m_capacity = std::exchange(other.m_capacity, kInitialCapacity);
        m_items = std::exchange(other.m_items, std::make_unique<T[]>(kInitialCapacity));
        return *this;
    }

    // Appends one item, growing the storage first when it is full.
    void Add(T item)
    {
        if (m_count == m_capacity)
            Grow();
        m_items[m_count++] = std::move(item);
    }

    // Makes room for at least `capacity` items, so a loader that knows its count grows the
    // storage once instead of step by step. A smaller capacity changes nothing.
    void Reserve(std::int32_t capacity)
    {
        if (capacity > m_capacity)
            Reallocate(capacity);
    }

    // The item at the clamped index. An empty array reads a value-initialised item.
    T& Get(std::int32_t index) { return m_count > 0 ? m_items[Clamp(index)] : m_empty; }
    const T& Get(std::int32_t index) const { return m_count > 0 ? m_items[Clamp(index)] : m_empty; }
    T& operator[](std::int32_t index) { return Get(index); }
    const T& operator[](std::int32_t index) const { return Get(index); }

    // Replaces the item at a valid index; an index outside 0 .. count - 1 changes nothing.
    void Set(std::int32_t index, T item)
    {
        if (index >= 0 && index < m_count)
            m_items[index] = std::move(item);
    }

    // Removes the item at a valid index; the later items move down one place.
    void RemoveAt(std::int32_t index)
    {
        if (index < 0 || index >= m_count)
            return;
        for (std::int32_t i = index; i + 1 < m_count; ++i)
            m_items[i] = std::move(m_items[i + 1]);
        m_items[--m_count] = T{};
    }

    // Forgets every item; the storage and its capacity stay.
    void Clear()
    {
        for (std::int32_t i = 0; i < m_count; ++i)
            m_items[i] = T{};
        m_count = 0;
    }

    std::int32_t GetCount() const { return m_count; }
    std::int32_t GetCapacity() const { return m_capacity; }
    bool IsEmpty() const { return m_count == 0; }

    T* begin() { return m_items.get(); }
    T* end() { return m_items.get() + m_count; }
    const T* begin() const { return m_items.get(); }
    const T* end() const { return m_items.get() + m_count; }

private:
    std::int32_t Clamp(std::int32_t index) const
    {
        if (index < 0)
            return 0;
        return index >= m_count ? m_count - 1 : index;
    }

    void Grow() { Reallocate(2 * m_capacity + 1); }

    void Reallocate(std::int32_t capacity)
    {
        auto items = std::make_unique<T[]>(static_cast<std::size_t>(capacity));
        for (std::int32_t i = 0; i < m_count; ++i)
            items[i] = std::move(m_items[i]);
        m_items = std::move(items);
        m_capacity = capacity;
    }

    std::int32_t m_count = 0;
    std::int32_t m_capacity = kInitialCapacity;
    std::unique_ptr<T[]> m_items;
    T m_empty{};
};

} // namespace Tess
