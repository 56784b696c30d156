// The path helpers and the two lists of the shell components.
#include <windows.h>

#include "BaseUtils.h"
#include "Exceptions.h"
#include "ListExt.h"
#include "ListSort.h"
#include "StagedFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(BaseUtils, TextsAndPaths)
{
    std::string s = "a b,c d";
    ReplaceChars(s, " ;,;");
    EXPECT_EQ(s, "a;b;c;d");
    ReplaceChars(s, ";");   // odd: ignored
    EXPECT_EQ(s, "a;b;c;d");
    ReplaceChars(s, "aa");
    EXPECT_EQ(s, "a;b;c;d");
    EXPECT_TRUE(ContainsAnyChar("*?", "x*.ico"));
    EXPECT_FALSE(ContainsAnyChar("*?", "x.ico"));

    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("C:"), "C:\\");
    EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
    EXPECT_EQ(RemoveBackslash("\\"), "");
    EXPECT_EQ(RemoveBackslash("C:\\a\\"), "C:\\a");
    EXPECT_EQ(RemoveBackslash(""), "");
    EXPECT_EQ(ExtractFileNameNoExt("C:\\a.b\\name.tar.gz"), "name.tar");
    EXPECT_EQ(ExtractFileNameNoExt("C:\\a\\name"), "name");
}

TEST(BaseUtils, DriveRootsCountAsFoldersWithoutLookingAndOtherPathsAreLookedUp)
{
    DWORD attributes = 123;
    EXPECT_TRUE(GetDirectoryAttr("Q:", attributes)) << "no disk access for a root, even of no drive";
    EXPECT_EQ(attributes, 0u);
    EXPECT_TRUE(GetDirectoryAttr("Q:\\", attributes));
    StagedFolder folder("base utils");
    const std::string file = folder.Path() + "datei.txt";
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_TRUE(IsDirectory(folder.Path().substr(0, folder.Path().size() - 1)));
    EXPECT_FALSE(IsDirectory(file));
    EXPECT_FALSE(IsDirectory(folder.Path() + "fehlt"));
    EXPECT_FALSE(IsDirectory("Q:x")) << "relative to the drive's folder, not its root";
}

TEST(BaseUtils, ThousandsTakeTheUsersSeparator)
{
    char separator[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof separator);
    const std::string sep = separator;
    std::string s;
    IntToThousands(999, s);
    EXPECT_EQ(s, "999");
    IntToThousands(1000, s);
    EXPECT_EQ(s, "1" + sep + "000");
    IntToThousands(1234567, s);
    EXPECT_EQ(s, "1" + sep + "234" + sep + "567");
    IntToThousands(0, s);
    EXPECT_EQ(s, "0");
}

namespace {

int CompareInts(const void* key, const void* item)
{
    int a = *static_cast<const int*>(key), b = *static_cast<const int*>(item);
    return a < b ? -1 : a > b ? 1 : 0;
}

void AddInt(TListExt& list, int value)
{
    void* block = list.NewItem();
    std::memcpy(block, &value, sizeof value);
    list.Add(block);
}

}  // namespace

TEST(ListExt, GrowsSortsAndSearches)
{
    EXPECT_THROW(TListExt(-1), ERangeError);
    TListExt list(sizeof(int));
    EXPECT_TRUE(list.Sorted());
    for (int i = 0; i < 501; ++i)
        AddInt(list, (i * 7919) % 1000);
    EXPECT_EQ(list.Count(), 501);
    EXPECT_EQ(list.Capacity(), 1000) << "the 501st item grows the list by 500";
    EXPECT_FALSE(list.Sorted());
    EXPECT_THROW(list.Items(501), ERangeError);
    EXPECT_THROW(list.Items(-1), ERangeError);

    int key = (3 * 7919) % 1000;
    EXPECT_EQ(list.Find(&key, CompareInts), 3) << "an unsorted list is scanned";
    EXPECT_FALSE(list.Sorted()) << "and stays unsorted";
    EXPECT_EQ(list.Find(nullptr, CompareInts), -1);

    list.Sort(CompareInts);
    EXPECT_TRUE(list.Sorted());
    for (int i = 1; i < list.Count(); ++i)
        ASSERT_LE(*static_cast<int*>(list.Items(i - 1)), *static_cast<int*>(list.Items(i))) << "at " << i;
    int index = list.BinarySearch(&key, CompareInts);
    ASSERT_GE(index, 0);
    EXPECT_EQ(*static_cast<int*>(list.Items(index)), key);
    int missing = 1001;
    EXPECT_EQ(list.BinarySearch(&missing, CompareInts), -1);
}

TEST(ListExt, ClearFreesEveryBlockThroughTheHandler)
{
    TListExt list(sizeof(int));
    int freed = 0;
    list.OnFreeItem = [&](TListExt&, void*& item, int size) {
        EXPECT_EQ(size, static_cast<int>(sizeof(int)));
        ++freed;
        if (*static_cast<int*>(item) % 2 == 0) {
            std::free(item);   // the handler may free the block itself
            item = nullptr;
        }
    };
    for (int i = 0; i < 6; ++i)
        AddInt(list, i);
    list.FreeItem(2);
    EXPECT_EQ(freed, 1);
    list.Clear();
    EXPECT_EQ(freed, 6) << "the blocks behind a freed slot go too";
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 500);
    EXPECT_TRUE(list.Sorted());
}

TEST(SortedList, KeepsOrderAndRefusesDuplicatesWhenAsked)
{
    TSortedList list;
    std::vector<int> values = {5, 1, 4, 1, 3};
    std::vector<void*> added, deleted;
    list.OnCompare = [](TSortedList&, void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); };
    list.OnItemAdded = [&](TSortedList&, void* item) { added.push_back(item); };
    list.OnItemDelete = [&](TSortedList&, void* item) { deleted.push_back(item); };
    for (int& v : values)
        list.Add(&v);
    ASSERT_EQ(list.Count(), 5);
    std::vector<int> order;
    for (int i = 0; i < list.Count(); ++i)
        order.push_back(*static_cast<int*>(list.Items(i)));
    EXPECT_EQ(order, (std::vector<int>{1, 1, 3, 4, 5}));

    list.AllowDuplicates = false;
    int four = 4;
    EXPECT_EQ(list.Add(&four), -1);
    EXPECT_EQ(added.size(), 6u) << "a refused item is announced too";
    EXPECT_EQ(list.Count(), 5);
    int two = 2;
    EXPECT_EQ(list.Add(&two), 2);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(deleted.size(), 6u);
    EXPECT_EQ(*static_cast<int*>(deleted.front()), 5) << "cleared from the last index down";

    TSortedList plain;
    int a = 3, b = 1;
    plain.Add(&a);
    EXPECT_EQ(plain.Add(&b), 1) << "without a comparison items are appended";
}
