// QSMoveableArray: the growable array of pointers that every list is built on.
//
// It stores pointers only and never owns what they point to. Each user picks an initial
// room and a linear growth step (no doubling: the step suits the expected size). Sorted
// arrays insert at the place a binary search finds and look up by binary search; removal
// moves the tail down. A comparison takes (key, element) and returns <0, 0 or >0.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/QSError.h"

template <typename T>
class QSMoveableArray {
    static_assert(std::is_pointer_v<T>, "QSMoveableArray holds pointers");

public:
    QSMoveableArray(uint32_t initialCapacity, int32_t grow) : grow_(grow) {
        if (grow == 1) {
            Log(kLogDebug, "QSMoveableArray", 162,
                "WARNING: Should not initialize QSMoveableArray with grow=1");
        }
        if (initialCapacity > 0) {
            data_ = new T[initialCapacity]();
            capacity_ = initialCapacity;
        }
    }
    ~QSMoveableArray() { delete[] data_; }
    QSMoveableArray(const QSMoveableArray&) = delete;
    QSMoveableArray& operator=(const QSMoveableArray&) = delete;

    uint32_t Count() const { return count_; }
    uint32_t Capacity() const { return capacity_; }
    int32_t Grow() const { return grow_; }
    bool Empty() const { return count_ == 0; }

    T& operator[](uint32_t index) { return data_[index]; }
    const T& operator[](uint32_t index) const { return data_[index]; }
    T* begin() { return data_; }
    T* end() { return data_ + count_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + count_; }

    // Adds a slot at the end and returns it for the caller to fill.
    T* Append() {
        GrowIfFull();
        data_[count_] = nullptr;
        return &data_[count_++];
    }
    void Append(T element) { *Append() = element; }

    // Opens a slot at index, moving the later slots up by one.
    T* InsertAt(uint32_t index) {
        GrowIfFull();
        std::memmove(data_ + index + 1, data_ + index, (count_ - index) * sizeof(T));
        ++count_;
        data_[index] = nullptr;
        return &data_[index];
    }

    // The place for key: the first equal slot the search meets, else the first greater
    // slot, else Count().
    template <typename Key, typename Compare>
    uint32_t SearchPlace(const Key& key, Compare compare) const {
        uint32_t lo = 0, hi = count_;
        while (hi > lo) {
            uint32_t mid = lo + (hi - lo) / 2;
            int c = compare(key, data_[mid]);
            if (c == 0) return mid;
            if (c < 0) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        return lo;
    }

    template <typename Compare>
    T* InsertSorted(T element, Compare compare) {
        T* slot = InsertAt(SearchPlace(element, compare));
        *slot = element;
        return slot;
    }

    // The slot comparing equal to key, or null.
    template <typename Key, typename Compare>
    T* Find(const Key& key, Compare compare) {
        uint32_t place = SearchPlace(key, compare);
        if (place < count_ && compare(key, data_[place]) == 0) return &data_[place];
        return nullptr;
    }
    template <typename Key, typename Compare>
    const T* Find(const Key& key, Compare compare) const {
        return const_cast<QSMoveableArray*>(this)->Find(key, compare);
    }

    void RemoveAt(uint32_t index) {
        --count_;
        std::memmove(data_ + index, data_ + index + 1, (count_ - index) * sizeof(T));
    }

    // Sorts the used slots; compare(a, b) as above. Not stable.
    template <typename Compare>
    void Sort(Compare compare) {
        std::sort(data_, data_ + count_, [&](T a, T b) { return compare(a, b) < 0; });
    }

    void Resize(uint32_t newCapacity, int32_t newGrow) {
        if (newGrow > 0) grow_ = newGrow;
        T* block = new T[newCapacity]();
        uint32_t keep = std::min(count_, newCapacity);
        if (keep) std::memcpy(block, data_, keep * sizeof(T));
        delete[] data_;
        data_ = block;
        capacity_ = newCapacity;
        count_ = keep;
    }

    // Frees the block; the growth step is kept.
    void Clear() {
        delete[] data_;
        data_ = nullptr;
        count_ = 0;
        capacity_ = 0;
    }

private:
    void GrowIfFull() {
        if (count_ == capacity_) Resize(capacity_ + static_cast<uint32_t>(std::max(grow_, 1)), 0);
    }

    T* data_ = nullptr;
    uint32_t count_ = 0;
    uint32_t capacity_ = 0;
    int32_t grow_;
};
