// The directory view's type names and icons: the defaults, the per-extension cache, the lookup
// as rows are drawn and the icon thread's start and stop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "DirView.h"

#include "IconUpdateThread.h"
#include "LateLibrary.h"

#include <cstdio>

namespace {

int SystemIconIndex(const char* name, DWORD attributes, UINT flags, std::string* typeName = nullptr)
{
    SHFILEINFOA info = {};
    if (!Shell32::SHGetFileInfoA(name, attributes, &info, sizeof info, flags | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return 0;
    if (typeName)
        *typeName = info.szTypeName;
    return info.iIcon;
}

void CopyText(const std::string& text, NMHDR* header)
{
    if (header->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
        if (item.pszText && item.cchTextMax > 0) {
            const int written = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                                    item.pszText, item.cchTextMax - 1);
            item.pszText[written > 0 ? written : 0] = L'\0';
        }
        return;
    }
    LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
    if (item.pszText && item.cchTextMax > 0)
        lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
}

}  // namespace

const TDefaultIcons& DefaultIcons()
{
    static const TDefaultIcons icons = [] {
        TDefaultIcons made;
        const UINT byAttributes = SHGFI_USEFILEATTRIBUTES;
        made.File = SystemIconIndex("", FILE_ATTRIBUTE_NORMAL, byAttributes);
        made.Executable = SystemIconIndex(".COM", FILE_ATTRIBUTE_NORMAL, byAttributes);
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, MAX_PATH);
        const DWORD folder = FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY;
        made.Folder = SystemIconIndex(windows, folder, byAttributes | SHGFI_TYPENAME, &made.FolderTypeName);
        made.OpenFolder = SystemIconIndex(windows, folder, byAttributes | SHGFI_OPENICON);
        return made;
    }();
    return icons;
}

std::string FileTypeName(const std::string& ext)
{
    char text[64];
    std::snprintf(text, sizeof text, DirViewTexts().FileType, ext.c_str());
    return text;
}

void TDirView::GetItemInfo(TFileRec& rec, bool forceIcon)
{
    const bool perFile = HasPerFileIcons(rec.Ext);
    const bool cacheable = useIconCache_ && !perFile && !rec.IsDirectory;
    if (cacheable) {
        auto cached = typeCache_.find(rec.Ext);
        if (cached != typeCache_.end()) {
            rec.TypeName = cached->second.first;
            rec.ImageIndex = cached->second.second;
            rec.InfoEmpty = rec.IconEmpty = false;
            return;
        }
    }
    const bool needIcon = rec.IconEmpty && (forceIcon || !perFile);
    if (!rec.InfoEmpty && !needIcon)
        return;
    const std::string fullName = isRecycleBin_ ? rec.FileName : path_ + "\\" + rec.FileName;
    if (needIcon) {
        std::string typeName;
        int index;
        if (rec.IsDirectory && driveType_ != DRIVE_FIXED) {
            // Folders elsewhere are not asked about: the shell could wait on a network or a disc.
            typeName = DefaultIcons().FolderTypeName;
            index = DefaultIcons().Folder;
        } else if (rec.IsDirectory) {
            index = SystemIconIndex(fullName.c_str(), 0, SHGFI_TYPENAME, &typeName);
            HIMAGELIST system = HandleAllocated() ? ListView_GetImageList(Handle(), LVSIL_SMALL) : nullptr;
            if (index <= 0 || (system && index >= ComCtl32::ImageList_GetImageCount(system)))
                index = SystemIconIndex(fullName.c_str(), FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES |
                                        SHGFI_TYPENAME, &typeName);
        } else if (perFile) {
            // The file's own icon, which only the file itself tells.
            index = SystemIconIndex(fullName.c_str(), 0, SHGFI_TYPENAME, &typeName);
        } else {
            index = SystemIconIndex(rec.FileName.c_str(), FILE_ATTRIBUTE_NORMAL,
                                    SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME, &typeName);
        }
        rec.TypeName = typeName;
        rec.ImageIndex = index;
        rec.IconEmpty = false;
        if (rec.TypeName.empty())
            rec.TypeName = FileTypeName(rec.Ext);
        else if (cacheable)
            typeCache_[rec.Ext] = {rec.TypeName, rec.ImageIndex};
    } else {
        SHFILEINFOA info = {};
        Shell32::SHGetFileInfoA(rec.FileName.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME);
        rec.TypeName = info.szTypeName[0] ? info.szTypeName : FileTypeName(rec.Ext);
        // A stand-in until the file's own icon is known.
        if (rec.IconEmpty)
            rec.ImageIndex = rec.Ext == "EXE" ? DefaultIcons().Executable : DefaultIcons().File;
    }
    rec.InfoEmpty = false;
}

bool TDirView::GetDispInfo(NMHDR* header)
{
    // Both layouts agree up to the text pointer.
    LVITEMA& request = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
    if (!displayEnabled_ || request.iItem < 0 || request.iItem >= Items().Count()) {
        if (request.mask & LVIF_TEXT)
            CopyText(std::string(), header);
        return false;
    }
    TFileRec* rec = ItemRec(Items()[request.iItem]);
    if (!rec) {
        if (request.mask & LVIF_TEXT)
            CopyText(std::string(), header);
        return false;
    }
    // Icon views show no thread's progress, so their icons are looked up at once.
    const bool iconsNow = !useIconUpdateThread_ || ViewStyle() != vsReport;
    if (rec->InfoEmpty)
        GetItemInfo(*rec, rec->IconEmpty && iconsNow);
    if (rec->IconEmpty && (request.mask & LVIF_IMAGE) && iconsNow)
        GetItemInfo(*rec, true);
    if (rec->IconEmpty && iconThread_) {
        const int top = TopItemIndex();
        if (top >= 0)
            iconThread_->SetStartIndex(top);
        else
            iconThread_->NoteItem(request.iItem);
        if (!isRecycleBin_)
            iconThread_->Wake();
    }
    if (request.mask & LVIF_TEXT)
        CopyText(request.iSubItem >= 0 && request.iSubItem < 5 ? ItemText(*rec, request.iSubItem) : std::string(),
                 header);
    if (request.mask & LVIF_IMAGE)
        request.iImage = rec->ImageIndex;
    return true;
}

int TDirView::VisibleRowCount()
{
    if (!HandleAllocated() || (ViewStyle() != vsList && ViewStyle() != vsReport))
        return 0;
    return static_cast<int>(SendMessageA(Handle(), LVM_GETCOUNTPERPAGE, 0, 0));
}

int TDirView::TopItemIndex()
{
    if (!HandleAllocated() || (ViewStyle() != vsList && ViewStyle() != vsReport) || Items().Count() == 0)
        return -1;
    return static_cast<int>(SendMessageA(Handle(), LVM_GETTOPINDEX, 0, 0));
}

void TDirView::StartIconUpdateThread()
{
    if (!dirOK_ || !useIconUpdateThread_ || isRecycleBin_ || !HandleAllocated())
        return;
    if (iconThread_) {
        iconThread_->SetStartIndex(0);
        if (ViewStyle() == vsReport)
            iconThread_->Wake();
    } else if (Items().Count() > 0) {
        iconThread_ = std::make_unique<TIconUpdateThread>(this);
    }
}

void TDirView::StopIconUpdateThread()
{
    // Its destruction waits for its end, handling its hand-overs to this thread meanwhile.
    iconThread_.reset();
}
