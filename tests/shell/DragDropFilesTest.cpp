// File lists as OLE data: the item-ID-list array and CF_HDROP as written and read back, the
// file name map, the file-list drop target and the clipboard copy and paste.
#include <windows.h>
#include <shlobj.h>

#include "DragDropFilesEx.h"

#include "PIDL.h"
#include "StagedFolder.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

UINT At32(const std::vector<BYTE>& block, size_t offset)
{
    UINT value = 0;
    std::memcpy(&value, block.data() + offset, 4);
    return value;
}

std::string Touch(const std::string& path)
{
    std::ofstream(path) << "x";
    return path;
}

// Files staged on disk with their item-ID lists in a file list.
class FileLists : public testing::Test {
protected:
    void SetUp() override { InitDragDrop(); }
    void AddFile(TFileList& list, const std::string& path, const std::string& mapped = "")
    {
        const ItemIdList pidl = PathToPIDL(Touch(path));
        ASSERT_TRUE(pidl) << path;
        list.AddItemMapped(pidl.get(), path, mapped);
    }
    StagedFolder folder{"Ziehen und Ablegen"};
};

TEST_F(FileLists, IDListArrayOfOneFolderSharesTheParent)
{
    // The folder's times change between the first file and the others, as a first look at a
    // folder changes them: the shell hands back the same folder in other bytes.
    TFileList list;
    Touch(folder.Path() + "b.ico");
    Touch(folder.Path() + "c.ico");
    AddFile(list, folder.Path() + "a.ico");
    ASSERT_TRUE(folder.AgeTimes());
    for (const char* name : {"b.ico", "c.ico"})
        AddFile(list, folder.Path() + name);
    ItemIdList parent, last, otherParent, otherLast;
    SplitPIDL(list.Item(0).Pidl.get(), parent, last);
    SplitPIDL(list.Item(1).Pidl.get(), otherParent, otherLast);
    ASSERT_FALSE(PIDLsEqual(parent.get(), otherParent.get())) << "the folder's bytes did not change";

    std::vector<BYTE> block = WriteIDListArray(list);
    ASSERT_GE(block.size(), 20u);
    EXPECT_EQ(At32(block, 0), 3u);
    EXPECT_EQ(At32(block, 4), 20u) << "the parent follows the offsets";
    const UINT parentSize = GetPIDLSize(parent.get());
    UINT expected = 20 + parentSize;
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(At32(block, 8 + 4 * k), expected) << "item " << k;
        auto item = reinterpret_cast<LPCITEMIDLIST>(block.data() + At32(block, 8 + 4 * k));
        EXPECT_EQ(NextID(NextID(item))->mkid.cb, 0) << "item " << k << " holds one item-ID";
        expected += GetPIDLSize(item);
    }
    EXPECT_EQ(block.size(), expected) << "nothing after the last item";

    TFileList read;
    ReadIDListArray(read, block.data(), block.size());
    ASSERT_EQ(read.Count(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(SameShellItem(read.Item(k).Pidl.get(), list.Item(k).Pidl.get())) << "item " << k;
        EXPECT_EQ(read.Item(k).Name, "") << "item " << k;
    }
    EXPECT_TRUE(CompleteNames(read));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(AnsiLowerCase(read.Item(k).Name), AnsiLowerCase(list.Item(k).Name)) << "item " << k;
}

TEST_F(FileLists, IDListArrayOfTwoFolders)
{
    TFileList list;
    AddFile(list, folder.Folder("Eins") + "a.ico");
    AddFile(list, folder.Folder("Zwei") + "b.ico");
    std::vector<BYTE> block = WriteIDListArray(list);
    ASSERT_GE(block.size(), 16u);
    // The second item's list is preceded by its own parent, not by the first item's list.
    auto firstItem = reinterpret_cast<LPCITEMIDLIST>(block.data() + At32(block, 8));
    EXPECT_GT(At32(block, 12), At32(block, 8) + GetPIDLSize(firstItem)) << "offset " << At32(block, 12);

    TFileList read;
    ReadIDListArray(read, block.data(), block.size());
    ASSERT_EQ(read.Count(), 2);
    EXPECT_TRUE(PIDLsEqual(read.Item(0).Pidl.get(), list.Item(0).Pidl.get()));
    EXPECT_TRUE(PIDLsEqual(read.Item(1).Pidl.get(), list.Item(1).Pidl.get()));

    // Read into a list that holds the names: the lists are filled in, no item is added.
    TFileList named;
    named.AddItem(nullptr, list.Item(0).Name);
    named.AddItem(nullptr, list.Item(1).Name);
    ReadIDListArray(named, block.data(), block.size());
    ASSERT_EQ(named.Count(), 2);
    EXPECT_TRUE(PIDLsEqual(named.Item(1).Pidl.get(), list.Item(1).Pidl.get()));

    // A block cut short yields what it holds and reads nothing beyond its end.
    TFileList cut;
    ReadIDListArray(cut, block.data(), block.size() - 3);
    EXPECT_EQ(cut.Count(), 1);
}

TEST(FileListBlocks, DropFilesWideAndNarrowAgree)
{
    TFileList list;
    list.AddItem(nullptr, "C:\\Symbole\\Bär.ico");
    list.AddItem(nullptr, "D:\\x.ico");
    std::vector<BYTE> narrow = WriteDropFiles(list);
    ASSERT_FALSE(narrow.empty());

    std::vector<BYTE> wide(sizeof(DROPFILES), 0);
    auto* header = reinterpret_cast<DROPFILES*>(wide.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    for (const wchar_t* name : {L"C:\\Symbole\\B\u00e4r.ico", L"D:\\x.ico"}) {
        const BYTE* p = reinterpret_cast<const BYTE*>(name);
        wide.insert(wide.end(), p, p + 2 * (wcslen(name) + 1));
    }
    wide.push_back(0);
    wide.push_back(0);

    for (const auto* block : {&narrow, &wide}) {
        TFileList read;
        ReadDropFiles(read, block->data(), block->size());
        ASSERT_EQ(read.Count(), 2) << (block == &wide ? "wide" : "narrow");
        EXPECT_EQ(read.Item(0).Name, "C:\\Symbole\\Bär.ico");
        EXPECT_EQ(read.Item(1).Name, "D:\\x.ico");
    }
    TFileList none;
    ReadDropFiles(none, narrow.data(), 10);   // shorter than the header
    ReadDropFiles(none, nullptr, 100);
    EXPECT_EQ(none.Count(), 0);

    std::vector<BYTE> unterminated = narrow;
    unterminated.resize(narrow.size() - 4);   // the last name loses its end
    TFileList partial;
    ReadDropFiles(partial, unterminated.data(), unterminated.size());
    EXPECT_EQ(partial.Count(), 1) << "an unterminated name is not read";
}

TEST(FileListBlocks, FileNameMap)
{
    for (bool wide : {false, true}) {
        TFileList list;
        list.AddItem(nullptr, "a");
        list.AddItem(nullptr, "b");
        std::vector<BYTE> map = WriteFileNameMap({"Kopie von a", "Grün"}, wide);
        ReadFileNameMap(list, map.data(), map.size(), wide);
        EXPECT_EQ(list.Item(0).MappedName, "Kopie von a") << "wide " << wide;
        EXPECT_EQ(list.Item(1).MappedName, "Grün") << "wide " << wide;

        std::vector<BYTE> tooMany = WriteFileNameMap({"1", "2", "3"}, wide);
        try {
            ReadFileNameMap(list, tooMany.data(), tooMany.size(), wide);
            ADD_FAILURE() << "no error, wide " << wide;
        } catch (const std::exception& error) {
            EXPECT_STREQ(error.what(), "A non-existing filename is mapped") << "wide " << wide;
        }
    }
}

bool Offers(TDataObject& data, UINT format)
{
    FORMATETC request = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return data.QueryGetData(&request) == S_OK;
}

TEST_F(FileLists, DataObjectOffersWhatEveryItemHas)
{
    TFileList list;
    AddFile(list, folder.Path() + "a.ico");
    AddFile(list, folder.Path() + "b.ico");
    list.Item(1).Name.clear();
    ComPtr<TDataObjectFilesEx> data(new TDataObjectFilesEx(list, true, true));
    EXPECT_TRUE(Offers(*data.get(), CF_SHELLIDLIST));
    EXPECT_FALSE(Offers(*data.get(), CF_HDROP));
    EXPECT_FALSE(Offers(*data.get(), CF_FILENAMEMAP));
    EXPECT_FALSE(Offers(*data.get(), CF_FILENAMEMAPW));
    EXPECT_TRUE(data->HasData(true, false));
    EXPECT_FALSE(data->HasData(false, true));
}

TEST_F(FileLists, MappedNamesTravelAsWideMap)
{
    TFileList list;
    AddFile(list, folder.Path() + "a.ico", "Kopie (2) von a.ico");
    AddFile(list, folder.Path() + "b.ico");
    ComPtr<TDataObjectFilesEx> data(new TDataObjectFilesEx(list, true, true));
    ASSERT_TRUE(Offers(*data.get(), CF_FILENAMEMAPW)) << "NT platforms get the wide map";
    FORMATETC request = {static_cast<CLIPFORMAT>(CF_FILENAMEMAPW), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    ASSERT_EQ(data->GetData(&request, &medium), S_OK);
    TFileList read;
    read.AddItem(nullptr, "1");
    read.AddItem(nullptr, "2");
    ReadFileNameMap(read, GlobalLock(medium.hGlobal), GlobalSize(medium.hGlobal), true);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    EXPECT_EQ(read.Item(0).MappedName, "Kopie (2) von a.ico");
    EXPECT_EQ(read.Item(1).MappedName, "");
}

TEST_F(FileLists, DropOfIDListsOnly)
{
    TFileList list;
    AddFile(list, folder.Path() + "a.ico");
    ComPtr<TDataObjectFilesEx> data(new TDataObjectFilesEx(list, true, false));
    TDragDropFilesEx dd(nullptr);
    dd.SetTargetEffects(deCopy);
    dd.TargetPopUpMenu = false;
    dd.FileList.AddItem(nullptr, "left over");
    IDropTarget* target = dd.DropTarget();
    DWORD effect = DROPEFFECT_COPY;
    POINTL pt = {0, 0};

    dd.NeedValid = nvFilename;
    target->DragEnter(data.get(), MK_LBUTTON, pt, &effect);
    EXPECT_EQ(effect, 0u) << "names required, none offered";
    target->DragLeave();

    dd.NeedValid = 0;
    effect = DROPEFFECT_COPY;
    target->DragEnter(data.get(), MK_LBUTTON, pt, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(data.get(), 0, pt, &effect), S_OK);
    ASSERT_EQ(dd.FileList.Count(), 1);
    EXPECT_TRUE(PIDLsEqual(dd.FileList.Item(0).Pidl.get(), list.Item(0).Pidl.get()));
    EXPECT_EQ(dd.FileList.Item(0).Name, "");
    EXPECT_FALSE(dd.FileNamesMapped);
}

TEST_F(FileLists, ClipboardCopyAndPaste)
{
    TDragDropFilesEx dd(nullptr);
    const std::string path = Touch(folder.Path() + "kopie.ico");
    dd.FileList.AddItemMapped(nullptr, path, "Neu.ico");
    ASSERT_TRUE(dd.CopyListToClipboard());

    TDragDropFilesEx paste(nullptr);
    ASSERT_TRUE(paste.ReadClipboard());
    ASSERT_EQ(paste.FileList.Count(), 1);
    EXPECT_EQ(paste.FileList.Item(0).Name, path);
    EXPECT_TRUE(paste.FileList.Item(0).Pidl) << "the completed list came along";
    EXPECT_EQ(paste.FileList.Item(0).MappedName, "Neu.ico");
    EXPECT_TRUE(paste.FileNamesMapped);

    // Only names on the clipboard, but item-ID lists required: nothing is pasted.
    TFileList namesOnly;
    namesOnly.AddItem(nullptr, path);
    ComPtr<TDataObjectFilesEx> data(new TDataObjectFilesEx(namesOnly, false, true));
    ASSERT_TRUE(data->PutOnClipboard());
    paste.NeedValid = nvPIDL;
    EXPECT_FALSE(paste.ReadClipboard());
    EXPECT_EQ(paste.FileList.Count(), 0);
}

TEST_F(FileLists, IncompleteListStartsNoDrag)
{
    TDragDropFilesEx dd(nullptr);
    dd.SetSourceEffects(deCopy);
    dd.NeedValid = nvFilename | nvPIDL;
    dd.FileList.AddItem(nullptr, folder.Path() + "fehlt\\nicht da.ico");
    EXPECT_EQ(dd.ExecuteDrag(), 0);
    EXPECT_FALSE(dd.CopyListToClipboard());
    TDragDropFilesEx empty(nullptr);
    empty.SetSourceEffects(deCopy);
    EXPECT_EQ(empty.ExecuteDrag(), 0) << "an empty list";
}

}  // namespace
