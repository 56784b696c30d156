// TListExt: blocks from malloc, freed by the list.
#include <windows.h>

#include "ListExt.h"

#include "Exceptions.h"

#include <cstdlib>
#include <string>
#include <utility>

TListExt::TListExt(int itemSize) : itemSize_(itemSize)
{
    if (itemSize < 0)
        throw ERangeError("TListExt: negative itemsize: " + std::to_string(static_cast<unsigned>(itemSize)));
    items_.assign(capacity_ + 1, nullptr);
}

TListExt::~TListExt()
{
    Clear();
}

void* TListExt::NewItem() const
{
    void* block = std::calloc(1, itemSize_ > 0 ? itemSize_ : 1);
    if (!block)
        throw EOutOfResources("TListExt: out of memory");
    return block;
}

void TListExt::Add(void* item)
{
    if (count_ == capacity_) {
        capacity_ += Growth;
        items_.resize(capacity_ + 1, nullptr);
    }
    if (count_ >= static_cast<int>(items_.size()))
        throw ERangeError("TListExt: buffer overflow: " + std::to_string(count_));
    items_[count_++] = item;
    sorted_ = false;
}

void* TListExt::Items(int index) const
{
    if (index < 0 || index >= count_)
        throw ERangeError("TListExt: index out of range: " + std::to_string(static_cast<unsigned>(index)));
    return items_[index];
}

void TListExt::FreeItem(int index)
{
    void*& slot = items_.at(index);
    if (!slot)
        return;
    if (OnFreeItem)
        OnFreeItem(*this, slot, itemSize_);
    std::free(slot);
    slot = nullptr;
}

void TListExt::Clear()
{
    // Every stored block goes, also those behind a slot already freed.
    for (int i = 0; i < count_; ++i)
        FreeItem(i);
    count_ = 0;
    sorted_ = true;
    capacity_ = Growth;
    items_.assign(capacity_ + 1, nullptr);
}

void TListExt::QuickSort(int lo, int hi, TCompare compare)
{
    int i = lo, j = hi;
    void* pivot = items_[(lo + hi) / 2];
    do {
        // The bounds only matter for a comparison that contradicts itself.
        while (i < hi && compare(items_[i], pivot) == -1)
            ++i;
        while (j > lo && compare(pivot, items_[j]) == -1)
            --j;
        if (i <= j) {
            std::swap(items_[i], items_[j]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (j > lo)
        QuickSort(lo, j, compare);
    if (i < hi)
        QuickSort(i, hi, compare);
}

void TListExt::Sort(TCompare compare)
{
    if (count_ > 1 && !sorted_) {
        QuickSort(0, count_ - 1, compare);
        sorted_ = true;
    }
}

int TListExt::BinarySearch(const void* key, TCompare compare)
{
    if (!key || count_ == 0)
        return -1;
    if (!sorted_)
        Sort(compare);
    int lo = 0, hi = count_ - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int order = compare(key, items_[mid]);
        if (order == -1)
            hi = mid - 1;
        else if (order == 1)
            lo = mid + 1;
        else
            return mid;
    }
    return -1;
}

int TListExt::Find(const void* key, TCompare compare)
{
    if (!key)
        return -1;
    if (sorted_)
        return BinarySearch(key, compare);
    for (int i = 0; i < count_; ++i)
        if (compare(key, items_[i]) == 0)
            return i;
    return -1;
}
