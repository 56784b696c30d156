// The directory list view: loading with filters and the Recycle Bin, item texts on demand,
// sorting with the header's arrows, reloads, columns, dimming and the change monitor.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "DirView.h"

#include "BaseUtils.h"
#include "DiscMon.h"
#include "DragDropFilesEx.h"
#include "DragImageHold.h"
#include "DriveView.h"
#include "ExactNames.h"
#include "ExtCtrls.h"
#include "FileChanges.h"
#include "FileOperator.h"
#include "Forms.h"
#include "Handles.h"
#include "IconUpdateThread.h"
#include "KtDriveInfo.h"
#include "LateLibrary.h"
#include "PIDL.h"
#include "ShellViewShare.h"
#include "SysUtils.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace {

// The animation resource of the shell's folder search.
constexpr WORD FindFolderAnimation = 150;

// The platform's sort callback: the items arrive as TListItem pointers.
struct SortRequest {
    TSortColumn column;
    bool ascending;
};

int CALLBACK CompareItems(LPARAM item1, LPARAM item2, LPARAM data)
{
    const TFileRec* a = TDirView::ItemRec(reinterpret_cast<TListItem*>(item1));
    const TFileRec* b = TDirView::ItemRec(reinterpret_cast<TListItem*>(item2));
    const auto* request = reinterpret_cast<const SortRequest*>(data);
    if (!a || !b)
        return 0;
    return CompareFileRecs(*a, *b, request->column, request->ascending);
}

// The shell's folder-search animation over a long load; it goes with the object.
class FindFolderAnimationWindow {
public:
    FindFolderAnimationWindow() = default;
    ~FindFolderAnimationWindow()
    {
        if (window_)
            DestroyWindow(window_);
    }
    FindFolderAnimationWindow(const FindFolderAnimationWindow&) = delete;
    FindFolderAnimationWindow& operator=(const FindFolderAnimationWindow&) = delete;

    bool Exists() const { return window_ != nullptr; }
    // A failure leaves the load without animation.
    void Start(HWND parent)
    {
        RECT client;
        GetClientRect(parent, &client);
        window_ = CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | ACS_TRANSPARENT | ACS_AUTOPLAY, 0, 0, 0, 0,
                                  parent, nullptr, GetModuleHandleA(nullptr), nullptr);
        HMODULE shell = Shell32::Library().Module();
        if (!window_ || !shell ||
            !SendMessageA(window_, ACM_OPENA, reinterpret_cast<WPARAM>(shell),
                          reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(FindFolderAnimation)))) {
            if (window_)
                DestroyWindow(window_);
            window_ = nullptr;
            return;
        }
        RECT frame;
        GetWindowRect(window_, &frame);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        SetWindowPos(window_, HWND_TOP, (client.right - width) / 2, (client.bottom - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_SHOWWINDOW);
        SendMessageA(window_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, -1));
    }

private:
    HWND window_ = nullptr;
};

}  // namespace

// What one load counts while it fills the list.
struct TDirView::TLoadProgress {
    ULONGLONG startTick = GetTickCount64();
    int added = 0;
    FindFolderAnimationWindow animation;
};

// Ends a load on every path out, a handler's exception included: the flags, the update bracket
// and the cursor.
class TDirView::TLoadScope {
public:
    explicit TLoadScope(TDirView& view) : view_(view)
    {
        view_.loading_ = true;
        view_.displayEnabled_ = false;
    }
    ~TLoadScope()
    {
        view_.loading_ = false;
        view_.displayEnabled_ = true;
        if (updating_)
            view_.Items().EndUpdate();
        view_.reloadPending_ = false;
    }
    TLoadScope(const TLoadScope&) = delete;
    TLoadScope& operator=(const TLoadScope&) = delete;

    void BeginUpdate()
    {
        view_.Items().BeginUpdate();
        updating_ = true;
    }

private:
    TDirView& view_;
    TCursorGuard hourglass_;
    bool updating_ = false;
};

// ---------------------------------------------------------------------------------------------
// Construction

TDirView::TDirView(TComponent* owner) : TCustomListView(owner)
{
    SetTextCallbacks(true);
    SetViewStyle(vsReport);
    SetMultiSelect(true);
    BuildDateTimeFormat(dateTimeDisplay_, dateFormat_, timeFormat_);
    CreateColumns();
    changeTimer_ = std::make_unique<TTimer>(nullptr);
    changeTimer_->SetEnabled(false);
    changeTimer_->OnTimer = [this](TComponent*) { ChangeTimer(); };
    OnDeletion = [this](TComponent*, TListItem* item) { ItemDeleted(item); };
    fileOperator_ = std::make_unique<TFileOperator>(nullptr);
    fileOperator_->SetFlags(foAllowUndo | foNoConfirmMkDir);
    fileOperator_->SetProgressTitle("Filesystem Operation");
    LoadArrowBitmaps();
    SetupDragDrop();
}

TDirView::~TDirView()
{
    StopIconUpdateThread();
    StopWatching();
    deleteWatch_.reset();
    if (DragSourceView() == this)
        DragSourceView() = nullptr;
    // The drop target may still be held by OLE: it must not reach back into a view that is gone.
    dragDrop_.reset();
    OnDeletion = nullptr;
}

void TDirView::CreateWnd()
{
    TCustomListView::CreateWnd();
    if (!HandleAllocated())
        return;
    // The shell's own lists, which the window shares and never destroys (LVS_SHAREIMAGELISTS).
    SHFILEINFOA info = {};
    if (!SmallImages())
        if (auto list = reinterpret_cast<HIMAGELIST>(Shell32::SHGetFileInfoA(
                "", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES)))
            SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(list));
    if (!LargeImages())
        if (auto list = reinterpret_cast<HIMAGELIST>(Shell32::SHGetFileInfoA(
                "", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES)))
            SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
    if (!dragImages_)
        dragImages_ = std::make_unique<TDragImageHold>();
    NameColumnTitle();
    arrowsSet_ = false;
    UpdateSortArrows();
    // A new window is a new drop target, and watching goes on where a window was before.
    if (dragDrop_->DragDropControl() != this)
        dragDrop_->SetDragDropControl(this);
    else
        dragDrop_->RegisterTarget();
    StartWatching();
}

void TDirView::DestroyWnd()
{
    StopIconUpdateThread();
    monitor_.reset();
    TCustomListView::DestroyWnd();
}

// ---------------------------------------------------------------------------------------------
// Properties

std::string TDirView::PathForShell() const
{
    return path_.size() == 2 && path_[1] == ':' ? path_ + "\\" : path_;
}

void TDirView::SetPath(const std::string& path)
{
    std::string stripped = path;
    while (!stripped.empty() && stripped.back() == '\\')
        stripped.pop_back();
    if (loading_) {
        // A load that lets messages run is not entered again: the newest path waits for its end.
        pendingPath_ = stripped;
        pathPending_ = true;
        return;
    }
    if (stripped != path_) {
        lastPath_ = path_;
        path_ = stripped;
        Load(path_);
    }
    SetLoadEnabled(true);
}

void TDirView::SetMask(const std::string& mask)
{
    std::string normalized = NormalizeMask(mask);
    if (normalized == mask_)
        return;
    mask_ = normalized;
    NameColumnTitle();
    Reload(true);
}

void TDirView::SetSortColumn(TSortColumn column)
{
    if (column < sName || column > sAttr)
        return;
    sortColumn_ = column;
    SortItems();
    UpdateSortArrows();
}

void TDirView::SetSortAscending(bool ascending)
{
    sortAscending_ = ascending;
    SortItems();
    UpdateSortArrows();
}

int TDirView::ColWidth(int column) const
{
    return column >= 0 && column < 5 ? colWidths_[column] : 0;
}

void TDirView::SetColWidth(int column, int width)
{
    if (column < 0 || column >= 5)
        return;
    colWidths_[column] = width;
    if (column < Columns().Count())
        Columns()[column]->SetWidth(width);
}

void TDirView::SetWatchForChanges(bool watch)
{
    if (watch == watchForChanges_)
        return;
    watchForChanges_ = watch;
    if (!watch)
        StopWatching();
    else
        StartWatching();
}

void TDirView::SetChangeInterval(unsigned milliseconds)
{
    if (milliseconds > 0)
        changeInterval_ = milliseconds;
}

void TDirView::SetShowColumnIcon(bool show)
{
    showColumnIcon_ = show;
    UpdateSortArrows();
}

void TDirView::SetDimmHiddenFiles(bool dimm)
{
    if (dimm == dimmHiddenFiles_)
        return;
    dimmHiddenFiles_ = dimm;
    Invalidate();
}

void TDirView::SetShowDirectories(bool show)
{
    if (show == showDirectories_)
        return;
    showDirectories_ = show;
    Reload(true);
}

void TDirView::SetDateTimeDisplay(TDateTimeDisplay display)
{
    if (display == dateTimeDisplay_)
        return;
    dateTimeDisplay_ = display;
    BuildDateTimeFormat(display, dateFormat_, timeFormat_);
    Invalidate();
}

void TDirView::SetShowMaskInHeader(bool show)
{
    showMaskInHeader_ = show;
    NameColumnTitle();
}

void TDirView::SetViewStyle(TViewStyle style)
{
    TCustomListView::SetViewStyle(style);
    UpdateSortArrows();
}

void TDirView::SetLoadEnabled(bool enabled)
{
    loadEnabled_ = enabled;
    if (enabled && reloadPending_)
        Reload(true);
}

// ---------------------------------------------------------------------------------------------
// Loading

void TDirView::Load(const std::string& path)
{
    if (!loadEnabled_) {
        reloadPending_ = true;
        return;
    }
    if (loading_) {
        reloadAfterLoad_ = true;
        return;
    }
    {
        TLoadScope scope(*this);
        path_ = path;
        if (OnStartLoading)
            OnStartLoading(this);
        StopIconUpdateThread();
        StopWatching();
        changeTimer_->SetEnabled(false);
        SetDropTargetItem(nullptr);
        {
            TListUpdateHold hold(Items());
            Items().Clear();
        }
        filesSize_ = 0;
        selectedSize_ = 0;
        TLoadProgress progress;
        LetMessagesRun(progress);
        scope.BeginUpdate();

        TDriveInfoRec drive;
        driveType_ = 0;
        const char letter =
            path.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
        const bool driveLetter = path.size() >= 2 && path[1] == ':' && letter >= 'A' && letter <= 'Z';
        if (driveLetter) {
            if (!driveView_)
                DriveInfo().ReadDriveStatus(letter, drSize);
            DriveInfo().GetDriveRec(letter, drive);
            driveType_ = drive.DriveType;
        }
        // Paths without a drive letter (shares) have no record and count as ready.
        dirOK_ = !path.empty() && (!driveLetter || drive.DriveReady) && IsDirectory(path);
        isRecycleBin_ = false;
        if (dirOK_) {
            TTreeNode* node = driveView_ && driveLetter ? driveView_->NodeOfPath(path) : nullptr;
            if (const TNodeData* data = TDriveView::NodeData(node))
                isRecycleBin_ = data->IsRecycler;
            else
                // The bin's folder itself, not one whose name only begins like it.
                isRecycleBin_ = path.size() == 11 && AnsiUpperCase(path.substr(1)) == ":\\RECYCLED";
        }
        // A Recycle Bin's title goes without the mask, which it does not apply.
        NameColumnTitle();
        if (dirOK_) {
            if (isRecycleBin_)
                LoadRecycleBin(progress);
            else
                LoadEntries(path, progress);
            SortItems();
        }
    }
    if (dirOK_) {
        if (useIconUpdateThread_ && !isRecycleBin_)
            StartIconUpdateThread();
        if (watchForChanges_)
            StartWatching();
    }
    if (OnLoaded)
        OnLoaded(this);
    // What was asked for while the load let messages run.
    if (pathPending_) {
        pathPending_ = false;
        reloadAfterLoad_ = false;
        SetPath(pendingPath_);
    } else if (reloadAfterLoad_) {
        reloadAfterLoad_ = false;
        Reload(true);
    }
}

void TDirView::LoadEntries(const std::string& path, TLoadProgress& progress)
{
    std::string masks = mask_, mask;
    std::set<std::string> listed;
    int maskCount = 0;
    while (!masks.empty()) {
        NextMask(masks, mask);
        if (mask.empty())
            continue;
        ++maskCount;
        for (TFoundEntry& found : FindExactEntries(path, mask)) {
            if (!filter_.Accepts(found.Data))
                continue;
            if (maskCount > 1 && listed.count(found.Data.cFileName))
                continue;
            bool add = true;
            if (OnAddFile)
                OnAddFile(this, found.Data, add);
            if (!add)
                continue;
            AddItem(found.Data, found.DisplayName);
            if (!masks.empty())
                listed.insert(found.Data.cFileName);
            LetMessagesRun(progress);
        }
    }
    if (!showDirectories_)
        return;
    for (TFoundEntry& found : FindExactEntries(path)) {
        if (!(found.Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        bool add = true;
        if (OnAddFile)
            OnAddFile(this, found.Data, add);
        if (add) {
            AddItem(found.Data, found.DisplayName);
            LetMessagesRun(progress);
        }
    }
}

void TDirView::LoadRecycleBin(TLoadProgress& progress)
{
    if (!recycleBinFolder_) {
        ComPtr<IShellFolder> desktop;
        ItemIdList bin;
        if (FAILED(Shell32::SHGetDesktopFolder(desktop.put())) ||
            FAILED(Shell32::SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, bin.put())) || !bin ||
            FAILED(desktop->BindToObject(bin.get(), nullptr, IID_IShellFolder, recycleBinFolder_.put_void())))
            return;
        recycleBinPidl_ = std::move(bin);
    }
    ComPtr<IEnumIDList> entries;
    if (recycleBinFolder_->EnumObjects(Handle(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                       entries.put()) != S_OK || !entries)
        return;
    for (;;) {
        ItemIdList relative;
        ULONG fetched = 0;
        if (entries->Next(1, relative.put(), &fetched) != S_OK || !relative)
            break;
        const ItemIdList full = ConcatPIDLs(recycleBinPidl_.get(), relative.get());
        wchar_t physical[MAX_PATH] = {};
        std::string exact;
        if (!full || !Shell32::SHGetPathFromIDListW(full.get(), physical) || !ExactAnsiPath(physical, exact))
            continue;
        // An entry whose file is not found exactly has no record to show.
        TFoundEntry entry;
        if (!FindExactEntry(exact, entry))
            continue;
        WIN32_FIND_DATAA& found = entry.Data;
        lstrcpynA(found.cFileName, exact.c_str(), MAX_PATH);
        bool add = true;
        if (OnAddFile)
            OnAddFile(this, found, add);
        if (!add)
            continue;
        char display[MAX_PATH] = {};
        GetPIDLDisplayName(recycleBinFolder_.get(), relative.get(), SHGDN_FORPARSING, display, sizeof display);
        SHFILEINFOA info = {};
        Shell32::SHGetFileInfoA(reinterpret_cast<LPCSTR>(full.get()), 0, &info, sizeof info,
                                SHGFI_PIDL | SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        TFileRec& rec = *ItemRec(AddItem(found, display));
        rec.InfoEmpty = false;
        rec.IconEmpty = false;
        rec.PIDL = std::move(relative);
        rec.TypeName = info.szTypeName[0] ? info.szTypeName : FileTypeName(rec.Ext);
        rec.ImageIndex = info.iIcon;
        LetMessagesRun(progress);
    }
}

void TDirView::LetMessagesRun(TLoadProgress& progress)
{
    if (progress.added++ % 100 != 0)
        return;
    if (showAnimation_ && !progress.animation.Exists() && HandleAllocated() &&
        GetTickCount64() - progress.startTick > 1000)
        progress.animation.Start(Handle());
    // A close, a form's release or the end of the program waits for the load: they would free
    // the view in the middle of it.
    MSG msg;
    const UINT ranges[][2] = {{0, WM_QUIT - 1}, {WM_QUIT + 1, CM_RELEASE - 1}, {CM_RELEASE + 1, 0xFFFFFFFF}};
    for (const auto& range : ranges)
        while (PeekMessageA(&msg, nullptr, range[0], range[1], PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
}

TListItem* TDirView::AddItem(const WIN32_FIND_DATAA& found, const std::string& displayName)
{
    auto rec = std::make_unique<TFileRec>();
    rec->IsDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    rec->IsRecycleBin = rec->IsDirectory && (found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) &&
                        path_.size() == 2 && AnsiUpperCase(found.cFileName) == "RECYCLED";
    rec->FileName = found.cFileName;
    rec->DisplayName = displayName;
    rec->Ext = FileExt(ExtractFileName(rec->FileName), rec->IsDirectory);
    rec->Size = FoundSize(found);
    rec->Attr = found.dwFileAttributes;
    rec->Time = found.ftLastWriteTime;
    filesSize_ += rec->Size;

    // The window asks for the texts when it draws them.
    TListItem* item = Items().Add();
    item->SetData(rec.get());
    if (rec->Ext == "LNK")
        item->SetOverlayIndex(0);   // the platform's overlay image 1: the shortcut arrow
    records_.emplace(rec.get(), std::move(rec));
    return item;
}

void TDirView::ItemDeleted(TListItem* item)
{
    TFileRec* rec = ItemRec(item);
    if (!rec)
        return;
    filesSize_ -= rec->Size;
    if (item->Selected())
        selectedSize_ -= rec->Size;
    if (item == dropTarget_)
        dropTarget_ = nullptr;
    item->SetData(nullptr);
    records_.erase(rec);
}

void TDirView::Reload(bool keepIcons)
{
    if (path_.empty())
        return;
    if (!loadEnabled_) {
        reloadPending_ = true;
        return;
    }
    if (loading_) {
        reloadAfterLoad_ = true;
        return;
    }
    std::set<std::string> selected;
    std::string focused;
    std::unordered_map<std::string, int> icons;
    for (int i = 0; i < Items().Count(); ++i) {
        TListItem* item = Items()[i];
        const TFileRec* rec = ItemRec(item);
        if (!rec)
            continue;
        if (item->Selected())
            selected.insert(rec->FileName);
        if (item->Focused())
            focused = rec->FileName;
        if (keepIcons && !rec->IconEmpty && HasPerFileIcons(rec->Ext))
            icons[rec->FileName] = rec->ImageIndex;
    }
    TListUpdateHold hold(Items());
    Load(path_);
    TListItem* focus = nullptr;
    for (int i = 0; i < Items().Count(); ++i) {
        TListItem* item = Items()[i];
        TFileRec* rec = ItemRec(item);
        if (!rec)
            continue;
        if (selected.count(rec->FileName))
            item->SetSelected(true);   // the selection notice counts its size
        if (!focused.empty() && rec->FileName == focused)
            focus = item;
        auto icon = icons.find(rec->FileName);
        if (icon != icons.end() && rec->IconEmpty) {
            rec->ImageIndex = icon->second;
            rec->IconEmpty = false;
        }
    }
    if (focus) {
        focus->SetFocused(true);
        focus->MakeVisible();
    }
}

// ---------------------------------------------------------------------------------------------
// Sorting and columns

void TDirView::SortItems()
{
    if (!HandleAllocated())
        return;
    SortRequest request{sortColumn_, sortAscending_};
    SortWith(CompareItems, reinterpret_cast<LPARAM>(&request));
}

void TDirView::CustomSortItems(PFNLVCOMPARE compare, bool ascending)
{
    if (!HandleAllocated())
        return;
    SortRequest request{sName, ascending};
    if (compare)
        SortWith(compare, ascending);
    else
        SortWith(CompareItems, reinterpret_cast<LPARAM>(&request));
}

void TDirView::SortWith(PFNLVCOMPARE compare, LPARAM data)
{
    StopIconUpdateThread();
    const bool shown = displayEnabled_;
    displayEnabled_ = false;
    // The type column sorts by names that may not have been looked up yet.
    if (sortColumn_ == sType)
        for (int i = 0; i < Items().Count(); ++i)
            if (TFileRec* rec = ItemRec(Items()[i]); rec && rec->InfoEmpty)
                GetItemInfo(*rec, false);
    CustomSort(compare, data);
    displayEnabled_ = shown;
    if (useIconUpdateThread_ && !loading_ && dirOK_ && !isRecycleBin_)
        StartIconUpdateThread();
}

void TDirView::CreateColumns()
{
    Columns().BeginUpdate();
    Columns().Clear();
    static const TAlignment alignments[5] = {taLeftJustify, taRightJustify, taLeftJustify, taLeftJustify,
                                             taRightJustify};
    for (int i = 0; i < 5; ++i) {
        TListColumn* column = Columns().Add();
        column->SetCaption(DirViewTexts().ColumnTitles[i]);
        column->SetWidth(colWidths_[i]);
        column->SetAlignment(alignments[i]);
    }
    Columns().EndUpdate();
    NameColumnTitle();
}

void TDirView::StoreColumnWidths()
{
    for (int i = 0; i < 5 && i < Columns().Count(); ++i)
        colWidths_[i] = Columns()[i]->Width();
}

void TDirView::GetColumnOrder(int order[5])
{
    for (int i = 0; i < 5; ++i)
        order[i] = i;
    if (HandleAllocated() && Columns().Count() == 5)
        SendMessageA(Handle(), LVM_GETCOLUMNORDERARRAY, 5, reinterpret_cast<LPARAM>(order));
}

void TDirView::SetColumnOrder(const int order[5])
{
    if (!HandleAllocated() || Columns().Count() != 5)
        return;
    // Every column exactly once, or the header would lose some.
    bool seen[5] = {};
    for (int i = 0; i < 5; ++i) {
        if (order[i] < 0 || order[i] > 4 || seen[order[i]])
            return;
        seen[order[i]] = true;
    }
    SendMessageA(Handle(), LVM_SETCOLUMNORDERARRAY, 5, reinterpret_cast<LPARAM>(order));
    Invalidate();
}

void TDirView::NameColumnTitle()
{
    if (Columns().Count() == 0)
        return;
    std::string title = DirViewTexts().ColumnTitles[0];
    if (showMaskInHeader_ && mask_ != "*.*" && !isRecycleBin_)
        title += " (" + mask_ + ")";
    if (Columns()[0]->Caption() != title)
        Columns()[0]->SetCaption(title);
}

void TDirView::ColumnClick(TListColumn* column)
{
    const int index = std::min(std::max(column->Index(), 0), 4);
    {
        TCursorGuard hourglass;
        if (index == sortColumn_)
            sortAscending_ = !sortAscending_;
        sortColumn_ = static_cast<TSortColumn>(index);
        SortItems();
    }
    UpdateSortArrows();
    if (TListItem* selected = Selected())
        selected->MakeVisible();
    TCustomListView::ColumnClick(column);
}

// ---------------------------------------------------------------------------------------------
// Header arrows

void TDirView::LoadArrowBitmaps()
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    upArrow_.reset(static_cast<HBITMAP>(LoadImageA(instance, "UPARROW2", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    downArrow_.reset(static_cast<HBITMAP>(LoadImageA(instance, "DOWNARROW2", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    // The arrows stand on the header's own face colour.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (HBITMAP bitmap : {upArrow_.get(), downArrow_.get()}) {
        if (!bitmap)
            continue;
        MemoryDC dc;
        SelectedObject selected(dc.get(), bitmap);
        const COLORREF corner = GetPixel(dc.get(), 15, 15);
        if (corner == CLR_INVALID || corner == face)
            continue;
        GdiObject<HBRUSH> brush(CreateSolidBrush(face));
        SelectedObject brushSelected(dc.get(), brush.get());
        ExtFloodFill(dc.get(), 15, 15, corner, FLOODFILLSURFACE);
    }
}

void TDirView::UpdateSortArrows()
{
    if (!HandleAllocated() || !ShowColumnHeaders())
        return;
    HWND header = ListView_GetHeader(Handle());
    if (!header)
        return;
    const int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        HDITEMA column = {};
        column.mask = HDI_FORMAT | HDI_BITMAP;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        HDITEMA wanted = {};
        wanted.mask = HDI_FORMAT | HDI_BITMAP;
        wanted.fmt = column.fmt & ~(HDF_BITMAP | HDF_BITMAP_ON_RIGHT | HDF_SORTUP | HDF_SORTDOWN);
        // Ascending shows the arrow pointing down, as the view always has.
        HBITMAP arrow = sortAscending_ ? downArrow_.get() : upArrow_.get();
        if (showColumnIcon_ && i == sortColumn_ && arrow) {
            wanted.fmt |= HDF_BITMAP | HDF_STRING;
            if ((wanted.fmt & HDF_JUSTIFYMASK) == HDF_LEFT)
                wanted.fmt |= HDF_BITMAP_ON_RIGHT;
            wanted.hbm = arrow;
        }
        if (wanted.fmt != column.fmt || wanted.hbm != column.hbm)
            SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&wanted));
    }
    arrowsSet_ = true;
}

// ---------------------------------------------------------------------------------------------
// Items

std::string TDirView::ItemFullFileName(const TListItem* item) const
{
    const TFileRec* rec = ItemRec(item);
    if (!rec)
        return std::string();
    return isRecycleBin_ ? rec->FileName : path_ + "\\" + rec->FileName;
}

TListItem* TDirView::FindFileItem(const std::string& fileName) const
{
    for (int i = 0; i < Items().Count(); ++i) {
        const TFileRec* rec = ItemRec(Items()[i]);
        if (rec && rec->FileName == fileName)
            return Items()[i];
    }
    return nullptr;
}

void TDirView::GetSelectedFiles(std::vector<std::string>& names) const
{
    for (int i = 0; i < Items().Count(); ++i)
        if (Items()[i]->Selected())
            names.push_back(ItemFullFileName(Items()[i]));
}

TFileRec* TDirView::ItemData(int index) const
{
    if (index < 0 || index >= Items().Count())
        return nullptr;
    return ItemRec(Items()[index]);
}

void TDirView::FormatFileTime(const FILETIME& time, std::string& text)
{
    text.clear();
    FILETIME local;
    SYSTEMTIME system;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &system))
        return;
    char buffer[128] = {};
    if (GetDateFormatA(LOCALE_USER_DEFAULT, 0, &system, dateFormat_.c_str(), buffer, sizeof buffer))
        text = buffer;
    if (!timeFormat_.empty() &&
        GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &system, timeFormat_.c_str(), buffer, sizeof buffer))
        text += std::string("  ") + buffer;
}

std::string TDirView::ItemText(const TFileRec& rec, int column)
{
    std::string text;
    switch (column) {
    case 0:
        return rec.DisplayName;
    case 1:
        if (!rec.IsDirectory)
            IntToThousands(rec.Size, text);
        return text;
    case 2:
        return rec.TypeName;
    case 3:
        FormatFileTime(rec.Time, text);
        return text;
    case 4:
        return AttrString(rec.Attr);
    default:
        return text;
    }
}

// ---------------------------------------------------------------------------------------------
// Window messages

bool TDirView::CanEditLabel() const
{
    return !ReadOnly() && driveType_ != DRIVE_CDROM && !isRecycleBin_ && !loading_;
}

LRESULT TDirView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        if (ViewStyle() == vsReport && !arrowsSet_)
            UpdateSortArrows();
        break;
    case WM_CONTEXTMENU:
        if (DragSourceView() == this)
            return 0;
        if (HWND(wParam) == Handle()) {
            POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (lParam == -1) {
                RECT rect = {};
                if (TListItem* item = ItemFocused())
                    ListView_GetItemRect(Handle(), item->Index(), &rect, LVIR_LABEL);
                at = ClientToScreen({rect.left, rect.bottom});
            }
            ContextMenuAt(at);
            return 0;
        }
        break;
    default:
        break;
    }
    return TCustomListView::WndProc(msg, wParam, lParam);
}

bool TDirView::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_NOTIFY && !Dying()) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        switch (header->code) {
        case LVN_GETDISPINFOA:
        case LVN_GETDISPINFOW:
            GetDispInfo(header);
            result = 0;
            return true;
        case LVN_BEGINLABELEDITA:
        case LVN_BEGINLABELEDITW:
            if (!CanEditLabel()) {
                result = TRUE;
                return true;
            }
            SetLoadEnabled(false);
            result = FALSE;
            return true;
        case LVN_ITEMCHANGED:
            if (!loading_)
                ItemChanged(*reinterpret_cast<NMLISTVIEW*>(lParam));
            result = 0;
            return true;
        case LVN_BEGINDRAG:
        case LVN_BEGINRDRAG:
            dragPoint_ = reinterpret_cast<NMLISTVIEW*>(lParam)->ptAction;
            StartDrag();
            result = 0;
            return true;
        case NM_CUSTOMDRAW:
            if (dimmHiddenFiles_) {
                result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
                return true;
            }
            break;
        case HDN_ENDTRACKA:
        case HDN_ENDTRACKW:
            arrowsSet_ = false;
            UpdateSortArrows();
            break;
        default:
            break;
        }
    }
    return TCustomListView::Reflected(msg, wParam, lParam, result);
}

void TDirView::ItemChanged(const NMLISTVIEW& change)
{
    const bool toggled = (change.uChanged & LVIF_STATE) && ((change.uOldState ^ change.uNewState) & LVIS_SELECTED);
    if (!toggled || change.iItem < 0 || change.iItem >= Items().Count())
        return;
    TListItem* item = Items()[change.iItem];
    const TFileRec* rec = ItemRec(item);
    const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
    if (rec) {
        if (SelCount() == 1 && selected)
            selectedSize_ = rec->Size;
        else
            selectedSize_ += selected ? rec->Size : -rec->Size;
    }
    if (OnSelectItemNew)
        OnSelectItemNew(this, item, selected);
}

LRESULT TDirView::CustomDraw(NMLVCUSTOMDRAW* draw)
{
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const int index = static_cast<int>(draw->nmcd.dwItemSpec);
        const TFileRec* rec = ItemData(index);
        const bool selected = ListView_GetItemState(Handle(), index, LVIS_SELECTED) != 0;
        if (rec && (rec->Attr & FILE_ATTRIBUTE_HIDDEN) && !selected) {
            draw->clrText = GetSysColor(COLOR_GRAYTEXT);
            return CDRF_NOTIFYSUBITEMDRAW;
        }
        return CDRF_DODEFAULT;
    }
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        draw->clrText = GetSysColor(draw->iSubItem == 0 ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

void TDirView::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_RETURN && !loading_) {
        if (shift == 0)
            DblClick();
        else if (shift == ssAlt)
            ShowPropertiesDialog();
    }
    TCustomListView::KeyDown(key, shift);
}

// ---------------------------------------------------------------------------------------------
// Change watching

void TDirView::StartWatching()
{
    if (!watchForChanges_ || !dirOK_ || path_.empty() || WatchingActive())
        return;
    if (!monitor_) {
        monitor_ = std::make_unique<TDiscMonitor>(nullptr);
        monitor_->OnChange = [this](TComponent*) { ChangeNoticed(); };
        monitor_->OnInvalid = [this](TComponent*) {
            StopWatching();
            if (OnChangeInvalid)
                OnChangeInvalid(this);
        };
    }
    monitor_->SetDirectory(PathForShell());
    monitor_->SetSubTree(false);
    monitor_->SetFilters(moFilename | moDirName | moAttributes | moSize);
    monitor_->SetChangeDelay(10);
    monitor_->Start();
}

void TDirView::StopWatching()
{
    if (monitor_)
        monitor_->Stop();
}

bool TDirView::WatchingActive() const
{
    return monitor_ && monitor_->Active();
}

void TDirView::ChangeNoticed()
{
    reloadPending_ = true;
    changeTimer_->SetEnabled(false);
    changeTimer_->SetInterval(changeInterval_);
    changeTimer_->SetEnabled(true);
}

void TDirView::ChangeTimer()
{
    changeTimer_->SetEnabled(false);
    if (loading_)
        return;
    if (OnChangeDetected)
        OnChangeDetected(this);
    Reload(true);
}
