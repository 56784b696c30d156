// TSortedList: insertion in the comparison's order.
#include <windows.h>

#include "ListSort.h"

int TSortedList::Add(void* item)
{
    int result;
    if (!OnCompare) {
        items_.push_back(item);
        result = Count() - 1;
    } else {
        int at = 0;
        int order = -1;
        while (at < Count() && (order = OnCompare(*this, items_[at], item)) < 0)
            ++at;
        if (at < Count() && order == 0 && !AllowDuplicates) {
            result = -1;
        } else {
            items_.insert(items_.begin() + at, item);
            result = at;
        }
    }
    if (OnItemAdded)
        OnItemAdded(*this, item);
    return result;
}

void TSortedList::Delete(int index)
{
    void* item = items_.at(index);
    if (OnItemDelete)
        OnItemDelete(*this, item);
    items_.erase(items_.begin() + index);
}

void TSortedList::Clear()
{
    for (int i = Count() - 1; i >= 0; --i)
        Delete(i);
}
