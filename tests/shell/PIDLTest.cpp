// Item-ID lists: sizes, copies, joins and splits of lists built by hand, and the shell's own lists
// of real folders.
#include <windows.h>
#include <shlobj.h>

#include "PIDL.h"
#include "StagedFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A list of items with the given payload bytes each, in shell memory.
ItemIdList MakeList(const std::vector<std::vector<BYTE>>& items)
{
    std::vector<BYTE> bytes;
    for (const auto& payload : items) {
        USHORT size = static_cast<USHORT>(payload.size() + 2);
        bytes.push_back(static_cast<BYTE>(size & 0xFF));
        bytes.push_back(static_cast<BYTE>(size >> 8));
        bytes.insert(bytes.end(), payload.begin(), payload.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    ItemIdList list = CreatePIDL(static_cast<UINT>(bytes.size()));
    std::memcpy(list.get(), bytes.data(), bytes.size());
    return list;
}

}  // namespace

TEST(PIDL, SizesCopiesAndJoins)
{
    ItemIdList two = MakeList({{1, 2, 3}, {4, 5}});
    EXPECT_EQ(GetPIDLSize(two.get()), 5u + 4u + 2u);
    EXPECT_EQ(GetPIDLSize(nullptr), 0u);
    EXPECT_EQ(NextID(nullptr), nullptr);
    EXPECT_EQ(reinterpret_cast<BYTE*>(NextID(two.get())) - reinterpret_cast<BYTE*>(two.get()), 5);

    ItemIdList copy = CopyPIDL(two.get());
    EXPECT_TRUE(PIDLsEqual(copy.get(), two.get()));
    EXPECT_TRUE(PIDLsEqual(two.get(), two.get()));
    EXPECT_FALSE(PIDLsEqual(two.get(), nullptr));
    EXPECT_FALSE(CopyPIDL(nullptr));

    ItemIdList other = MakeList({{1, 2, 3}, {4, 6}});
    EXPECT_FALSE(PIDLsEqual(other.get(), two.get())) << "differs in the last byte before the terminator";

    ItemIdList one = MakeList({{9}});
    ItemIdList joined = ConcatPIDLs(two.get(), one.get());
    ItemIdList expected = MakeList({{1, 2, 3}, {4, 5}, {9}});
    EXPECT_TRUE(PIDLsEqual(joined.get(), expected.get()));
    ItemIdList alone = ConcatPIDLs(two.get(), nullptr);
    EXPECT_TRUE(PIDLsEqual(alone.get(), two.get())) << "a missing second list keeps the terminator";
    ItemIdList front = ConcatPIDLs(nullptr, one.get());
    EXPECT_TRUE(PIDLsEqual(front.get(), one.get()));
}

TEST(PIDL, SplitGivesTheParentAndTheLastItem)
{
    ItemIdList parent, item;
    SplitPIDL(nullptr, parent, item);
    EXPECT_FALSE(parent);
    EXPECT_FALSE(item);

    ItemIdList one = MakeList({{7, 7}});
    SplitPIDL(one.get(), parent, item);
    EXPECT_EQ(GetPIDLSize(parent.get()), 2u) << "an empty parent list";
    EXPECT_TRUE(PIDLsEqual(item.get(), one.get()));

    ItemIdList three = MakeList({{1}, {2, 2}, {3, 3, 3}});
    SplitPIDL(three.get(), parent, item);
    ItemIdList first = MakeList({{1}, {2, 2}}), last = MakeList({{3, 3, 3}});
    EXPECT_TRUE(PIDLsEqual(parent.get(), first.get()));
    EXPECT_TRUE(PIDLsEqual(item.get(), last.get()));
}

TEST(PIDL, RealFoldersParseBindAndNameThemselves)
{
    StagedFolder folder("pidl folder");
    CreateDirectoryA((folder.Path() + "Innen").c_str(), nullptr);
    ItemIdList list = PathToPIDL(folder.Path() + "Innen");
    ASSERT_TRUE(list);
    EXPECT_FALSE(PathToPIDL(folder.Path() + "gibt es nicht"));

    ItemIdList parent, item;
    SplitPIDL(list.get(), parent, item);
    ComPtr<IShellFolder> shellFolder;
    ASSERT_TRUE(BindToFolder(parent.get(), shellFolder));
    char name[MAX_PATH] = {};
    EXPECT_TRUE(GetPIDLDisplayName(shellFolder.get(), item.get(), SHGDN_INFOLDER, name, sizeof name));
    EXPECT_STREQ(name, "Innen");
    ItemIdList relative = ParseRelativePath(shellFolder.get(), "Innen");
    EXPECT_TRUE(PIDLsEqual(relative.get(), item.get()));

    char path[MAX_PATH] = {};
    EXPECT_TRUE(GetPIDLDisplayName(nullptr, list.get(), SHGDN_FORPARSING, path, sizeof path));
    EXPECT_STREQ(path, (folder.Path() + "Innen").c_str());
    char tiny[4] = {};
    EXPECT_TRUE(GetPIDLDisplayName(nullptr, list.get(), SHGDN_FORPARSING, tiny, sizeof tiny));
    EXPECT_EQ(std::strlen(tiny), 3u) << "cut at the buffer's length";
}

TEST(PIDL, TheSameItemInOtherBytesIsTheSameItem)
{
    StagedFolder folder("pidl times");
    const std::string innen = folder.Folder("Innen");
    const std::string aussen = folder.Folder("Aussen");
    ItemIdList before = PathToPIDL(innen);
    ASSERT_TRUE(before);
    ASSERT_TRUE(folder.AgeTimes("Innen"));
    ItemIdList after = PathToPIDL(innen);
    ASSERT_FALSE(PIDLsEqual(before.get(), after.get())) << "the folder's bytes did not change";
    EXPECT_TRUE(SameShellItem(before.get(), after.get()));
    EXPECT_TRUE(SameShellItem(before.get(), before.get()));
    EXPECT_FALSE(SameShellItem(before.get(), PathToPIDL(aussen).get()));
    EXPECT_FALSE(SameShellItem(before.get(), PathToPIDL(folder.Path()).get())) << "a parent is another item";
    EXPECT_FALSE(SameShellItem(before.get(), nullptr));
    ItemIdList desktop = CreatePIDL(sizeof(USHORT));
    EXPECT_TRUE(SameShellItem(desktop.get(), desktop.get()));
    EXPECT_FALSE(SameShellItem(desktop.get(), before.get()));
}

TEST(PIDL, TheShellsClipboardFormatsAreRegistered)
{
    char name[64] = {};
    ASSERT_NE(CF_FILECONTENTS, 0u);
    GetClipboardFormatNameA(CF_SHELLIDLIST, name, sizeof name);
    EXPECT_STREQ(name, "Shell IDList Array");
    GetClipboardFormatNameA(CF_URL, name, sizeof name);
    EXPECT_STREQ(name, "UniformResourceLocator");
    EXPECT_EQ(CF_PREFERREDDROPEFFECT, RegisterClipboardFormatA("Preferred DropEffect"));
}
