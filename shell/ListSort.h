// TSortedList: a list of pointers kept in the order of a comparison when items are added.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

class TSortedList {
public:
    using TCompareEvent = std::function<int(TSortedList& sender, void* item1, void* item2)>;
    using TItemEvent = std::function<void(TSortedList& sender, void* item)>;

    // Before the first item at or after it; appended without a comparison. -1 when a duplicate is
    // refused. OnItemAdded hears of every item, stored or refused.
    int Add(void* item);
    void Delete(int index);
    void Clear();

    int Count() const { return static_cast<int>(items_.size()); }
    void* Items(int index) const { return items_.at(index); }

    TCompareEvent OnCompare;
    TItemEvent OnItemAdded;
    TItemEvent OnItemDelete;
    bool AllowDuplicates = true;

private:
    std::vector<void*> items_;
};
