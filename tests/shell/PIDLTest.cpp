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
LPITEMIDLIST MakeList(const std::vector<std::vector<BYTE>>& items)
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
    LPITEMIDLIST list = CreatePIDL(static_cast<UINT>(bytes.size()));
    std::memcpy(list, bytes.data(), bytes.size());
    return list;
}

struct Owned {
    LPITEMIDLIST list;
    explicit Owned(LPITEMIDLIST l) : list(l) {}
    ~Owned() { FreePIDL(list); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
};

}  // namespace

TEST(PIDL, SizesCopiesAndJoins)
{
    Owned two(MakeList({{1, 2, 3}, {4, 5}}));
    EXPECT_EQ(GetPIDLSize(two.list), 5u + 4u + 2u);
    EXPECT_EQ(GetPIDLSize(nullptr), 0u);
    EXPECT_EQ(NextID(nullptr), nullptr);
    EXPECT_EQ(reinterpret_cast<BYTE*>(NextID(two.list)) - reinterpret_cast<BYTE*>(two.list), 5);

    Owned copy(CopyPIDL(two.list));
    EXPECT_TRUE(PIDLsEqual(copy.list, two.list));
    EXPECT_TRUE(PIDLsEqual(two.list, two.list));
    EXPECT_FALSE(PIDLsEqual(two.list, nullptr));
    EXPECT_EQ(CopyPIDL(nullptr), nullptr);

    Owned other(MakeList({{1, 2, 3}, {4, 6}}));
    EXPECT_FALSE(PIDLsEqual(other.list, two.list)) << "differs in the last byte before the terminator";

    Owned one(MakeList({{9}}));
    Owned joined(ConcatPIDLs(two.list, one.list));
    Owned expected(MakeList({{1, 2, 3}, {4, 5}, {9}}));
    EXPECT_TRUE(PIDLsEqual(joined.list, expected.list));
    Owned alone(ConcatPIDLs(two.list, nullptr));
    EXPECT_TRUE(PIDLsEqual(alone.list, two.list)) << "a missing second list keeps the terminator";
    Owned front(ConcatPIDLs(nullptr, one.list));
    EXPECT_TRUE(PIDLsEqual(front.list, one.list));
}

TEST(PIDL, SplitGivesTheParentAndTheLastItem)
{
    LPITEMIDLIST parent = nullptr, item = nullptr;
    SplitPIDL(nullptr, parent, item);
    EXPECT_EQ(parent, nullptr);
    EXPECT_EQ(item, nullptr);

    Owned one(MakeList({{7, 7}}));
    SplitPIDL(one.list, parent, item);
    Owned p1(parent), i1(item);
    EXPECT_EQ(GetPIDLSize(parent), 2u) << "an empty parent list";
    EXPECT_TRUE(PIDLsEqual(item, one.list));

    Owned three(MakeList({{1}, {2, 2}, {3, 3, 3}}));
    SplitPIDL(three.list, parent, item);
    Owned p3(parent), i3(item);
    Owned first(MakeList({{1}, {2, 2}})), last(MakeList({{3, 3, 3}}));
    EXPECT_TRUE(PIDLsEqual(parent, first.list));
    EXPECT_TRUE(PIDLsEqual(item, last.list));
}

TEST(PIDL, RealFoldersParseBindAndNameThemselves)
{
    StagedFolder folder("pidl folder");
    CreateDirectoryA((folder.Path() + "Innen").c_str(), nullptr);
    Owned list(PathToPIDL(folder.Path() + "Innen"));
    ASSERT_NE(list.list, nullptr);
    EXPECT_EQ(PathToPIDL(folder.Path() + "gibt es nicht"), nullptr);

    LPITEMIDLIST parent = nullptr, item = nullptr;
    SplitPIDL(list.list, parent, item);
    Owned p(parent), i(item);
    IShellFolder* shellFolder = nullptr;
    ASSERT_TRUE(BindToFolder(parent, shellFolder));
    char name[MAX_PATH] = {};
    EXPECT_TRUE(GetPIDLDisplayName(shellFolder, item, SHGDN_INFOLDER, name, sizeof name));
    EXPECT_STREQ(name, "Innen");
    Owned relative(ParseRelativePath(shellFolder, "Innen"));
    EXPECT_TRUE(PIDLsEqual(relative.list, item));
    shellFolder->Release();

    char path[MAX_PATH] = {};
    EXPECT_TRUE(GetPIDLDisplayName(nullptr, list.list, SHGDN_FORPARSING, path, sizeof path));
    EXPECT_STREQ(path, (folder.Path() + "Innen").c_str());
    char tiny[4] = {};
    EXPECT_TRUE(GetPIDLDisplayName(nullptr, list.list, SHGDN_FORPARSING, tiny, sizeof tiny));
    EXPECT_EQ(std::strlen(tiny), 3u) << "cut at the buffer's length";
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
