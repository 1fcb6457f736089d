// nArray<T>: the growable array shared by engine and application.
//
// The block is allocated as an array of T. Growth: the first block has 32 slots, each
// later one the larger of twice the capacity and count + 1; an insertion grows first
// when count + 1 is not below the capacity, so a block holds at most capacity - 1
// elements. Shrinking (on by default): a removal that leaves between 1 and a quarter
// of the capacity halves the block; an array that becomes empty keeps its block.
//
// Elements are copied with T's assignment, so pointers and integers copy their bits
// while nString copies its text. The array owns its elements, not what pointer
// elements point to. Copies of an array are deep in the same sense.
#ifndef NARRAY_H
#define NARRAY_H

#include <assert.h>

#include <utility>

template <typename T>
class nArray {
public:
    enum { FIRST_CAPACITY = 32 };

    nArray() = default;
    nArray(const nArray &other) { CopyFrom(other); }
    nArray(nArray &&other) noexcept { TakeFrom(other); }
    nArray &operator=(const nArray &other) {
        if (this != &other) {
            Clear();
            CopyFrom(other);
        }
        return *this;
    }
    nArray &operator=(nArray &&other) noexcept {
        if (this != &other) {
            Clear();
            TakeFrom(other);
        }
        return *this;
    }
    // Releases the block; element destructors run from the last slot to the first.
    ~nArray() { delete[] block_; }

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    bool Shrinks() const { return shrink_; }
    void SetShrink(bool shrink) { shrink_ = shrink; }

    T &operator[](int index) {
        assert(index >= 0 && index < count_);
        return block_[index];
    }
    const T &operator[](int index) const {
        assert(index >= 0 && index < count_);
        return block_[index];
    }

    // Grows the block unconditionally: 32 slots when there is none yet, otherwise
    // the larger of twice the capacity and count + 1.
    void SizeUp() {
        int capacity = FIRST_CAPACITY;
        if (block_ != nullptr) {
            capacity = capacity_ * 2 > count_ + 1 ? capacity_ * 2 : count_ + 1;
        }
        Reallocate(capacity);
    }

    // The element is taken by value so that inserting an element of this very array
    // stays valid when the block moves.
    void InsertLast(T element) { Insert(count_, std::move(element)); }
    void InsertFirst(T element) { Insert(0, std::move(element)); }

    // Inserts before the element at index (index == Count() appends); the elements
    // from index on move up one place. An index outside 0..Count() does nothing.
    void Insert(int index, T element) {
        if (index < 0 || index > count_) {
            return;
        }
        if (count_ + 1 >= capacity_) {
            SizeUp();
        }
        for (int i = count_; i > index; i--) {
            block_[i] = block_[i - 1];
        }
        block_[index] = std::move(element);
        count_++;
    }

    // Removes the element at index; the later ones move down one place. An index
    // outside the array does nothing.
    void Remove(int index) {
        if (index < 0 || index >= count_) {
            return;
        }
        for (int i = index; i + 1 < count_; i++) {
            block_[i] = block_[i + 1];
        }
        count_--;
        block_[count_] = T();
        if (shrink_ && block_ != nullptr && count_ >= 1 && count_ <= capacity_ / 4) {
            int capacity = capacity_ / 2;
            Reallocate(capacity < count_ ? count_ : capacity);
        }
    }

    // Releases the block and every element; the shrink flag stays.
    void Clear() {
        delete[] block_;
        block_ = nullptr;
        count_ = 0;
        capacity_ = 0;
    }

private:
    // Copies the elements into a new block of the given capacity (at least the count)
    // and releases the old block with the elements it held.
    void Reallocate(int capacity) {
        T *block = new T[capacity]();
        for (int i = 0; i < count_; i++) {
            block[i] = block_[i];
        }
        delete[] block_;
        block_ = block;
        capacity_ = capacity;
    }

    void CopyFrom(const nArray &other) {
        shrink_ = other.shrink_;
        if (other.block_ == nullptr) {
            return;
        }
        block_ = new T[other.capacity_]();
        capacity_ = other.capacity_;
        for (int i = 0; i < other.count_; i++) {
            block_[i] = other.block_[i];
        }
        count_ = other.count_;
    }

    void TakeFrom(nArray &other) {
        block_ = other.block_;
        count_ = other.count_;
        capacity_ = other.capacity_;
        shrink_ = other.shrink_;
        other.block_ = nullptr;
        other.count_ = 0;
        other.capacity_ = 0;
    }

    T *block_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    bool shrink_ = true;
};

#endif
