// nMap<T>: a map from text keys to values of type T, kept as pairs in insertion order.
//
// Each pair owns a heap copy of its key. Keys compare exactly (case-sensitive). The
// pairs live in an nArray, so the map grows by the array's rule (32 pairs first).
#ifndef NMAP_H
#define NMAP_H

#include <utility>

#include "narray.h"
#include "nstring.h"

template <typename T>
struct nMapPair {
    nString key;
    T value{};
};

template <typename T>
class nMap {
public:
    int Count() const { return pairs_.Count(); }
    int Capacity() const { return pairs_.Capacity(); }

    // Gives an existing key (the first pair with an equal key) the new value;
    // otherwise appends a pair with a copy of the key ("" for null) and the value.
    // A null key never equals an existing one.
    void AddPair(const char *key, T value) {
        int index = IndexOf(key);
        if (index >= 0) {
            pairs_[index].value = std::move(value);
            return;
        }
        nMapPair<T> pair;
        pair.key.Set(key != nullptr ? key : "");
        pair.value = std::move(value);
        pairs_.InsertLast(std::move(pair));
    }

    // Index of the first pair whose key equals the given one, -1 when none does.
    int IndexOf(const char *key) const {
        for (int i = 0; i < pairs_.Count(); i++) {
            if (nStringsMatch(pairs_[i].key.Get(), key)) {
                return i;
            }
        }
        return -1;
    }

    // The value stored for the key, null when the map does not hold the key (a held
    // key whose value is null gives a pointer to that null value).
    T *Find(const char *key) {
        int index = IndexOf(key);
        return index < 0 ? nullptr : &pairs_[index].value;
    }

    const char *KeyAt(int index) const { return pairs_[index].key.Get(); }
    T &ValueAt(int index) { return pairs_[index].value; }
    const T &ValueAt(int index) const { return pairs_[index].value; }

    // Releases every pair; the map is empty afterwards.
    void Clear() { pairs_.Clear(); }

private:
    nArray<nMapPair<T>> pairs_;
};

#endif
