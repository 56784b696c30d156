// TListExt: a growable array of owned memory blocks of one size, sortable and searchable.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

class TListExt {
public:
    // -1, 0 or 1: the key before, equal to or after the item.
    using TCompare = int (*)(const void* key, const void* item);
    // May free the block itself and set `item` to nullptr; a block left is freed afterwards.
    using TFreeItemEvent = std::function<void(TListExt& sender, void*& item, int itemSize)>;

    explicit TListExt(int itemSize);
    ~TListExt();
    TListExt(const TListExt&) = delete;
    TListExt& operator=(const TListExt&) = delete;

    // A block of ItemSize zeroed bytes for Add; the list frees it.
    void* NewItem() const;
    void Add(void* item);
    void* Items(int index) const;
    void FreeItem(int index);
    void Clear();
    void Sort(TCompare compare);
    int BinarySearch(const void* key, TCompare compare);
    int Find(const void* key, TCompare compare);

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    bool Sorted() const { return sorted_; }
    int ItemSize() const { return itemSize_; }

    TFreeItemEvent OnFreeItem;

private:
    static constexpr int Growth = 500;
    void QuickSort(int lo, int hi, TCompare compare);

    int count_ = 0;
    std::vector<void*> items_;
    bool sorted_ = true;
    int itemSize_;
    int capacity_ = Growth;
};
