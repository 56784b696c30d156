// The directory view in OLE drag and drop: its items as a drag source with a drag image, the
// rules for what it accepts and how, and the file operation of a drop or a paste.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "DirView.h"

#include "BaseUtils.h"
#include "DragDropFilesEx.h"
#include "DragImageHold.h"
#include "DriveView.h"
#include "FileOperator.h"
#include "Forms.h"
#include "ImageList.h"
#include "LateLibrary.h"
#include "PIDL.h"
#include "ShellLink.h"
#include "ShellViewShare.h"
#include "SysUtils.h"

#include <cstdio>

namespace {

constexpr DWORD SingleEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

bool IsDriveRoot(const std::string& name)
{
    return name.size() <= 3 && name.size() >= 2 && name[1] == ':';
}

char UpperLetter(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A drag image list made for one drag, destroyed after it.
struct OwnedImageList {
    explicit OwnedImageList(HIMAGELIST list = nullptr) : handle(list) {}
    ~OwnedImageList()
    {
        if (handle)
            ComCtl32::ImageList_Destroy(handle);
    }
    OwnedImageList(const OwnedImageList&) = delete;
    OwnedImageList& operator=(const OwnedImageList&) = delete;
    HIMAGELIST handle;
};

// The drag image over the form the drag started on, from the start of the drag to its end.
class DragImageOverForm {
public:
    DragImageOverForm(HIMAGELIST list, POINT hotspot, HWND form) : form_(form)
    {
        if (!list || !form || !ComCtl32::ImageList_BeginDrag(list, 0, hotspot.x, hotspot.y))
            return;
        began_ = true;
        const POINT at = Where();
        shown_ = ComCtl32::ImageList_DragEnter(form_, at.x, at.y) != FALSE;
    }
    ~DragImageOverForm()
    {
        if (shown_)
            ComCtl32::ImageList_DragLeave(form_);
        if (began_)
            ComCtl32::ImageList_EndDrag();
    }
    DragImageOverForm(const DragImageOverForm&) = delete;
    DragImageOverForm& operator=(const DragImageOverForm&) = delete;

    void Follow()
    {
        if (!shown_)
            return;
        const POINT at = Where();
        ComCtl32::ImageList_DragMove(at.x, at.y);
    }

private:
    // The cursor relative to the form's window, held inside it.
    POINT Where() const
    {
        POINT cursor;
        GetCursorPos(&cursor);
        RECT frame;
        GetWindowRect(form_, &frame);
        return {std::min(std::max(cursor.x, frame.left), frame.right) - frame.left,
                std::min(std::max(cursor.y, frame.top), frame.bottom) - frame.top};
    }

    HWND form_;
    bool began_ = false;
    bool shown_ = false;
};

DragImageOverForm* dragImage = nullptr;

}  // namespace

TDirView* TDirView::DirViewDragSource()
{
    return dynamic_cast<TDirView*>(DragSourceView());
}

bool TDirView::TargetPopUpMenu() const
{
    return dragDrop_->TargetPopUpMenu;
}

void TDirView::SetTargetPopUpMenu(bool on)
{
    dragDrop_->TargetPopUpMenu = on;
}

void TDirView::DDError(int errorNo)
{
    if (OnDDError) {
        OnDDError(this, errorNo);
        return;
    }
    throw EDragDrop("DragDrop Error: " + std::to_string(errorNo));
}

// ---------------------------------------------------------------------------------------------
// Set-up

void TDirView::SetupDragDrop()
{
    dragDrop_ = std::make_unique<TDragDropFilesEx>(nullptr);
    TDragDropFilesEx& dd = *dragDrop_;
    dd.AutoDetectDnD = false;
    dd.AcceptOwnDnD = true;
    dd.BringToFront = true;
    dd.CompleteFileList = true;
    dd.DragDetectDelta = 2;
    dd.NeedValid = nvFilename;
    dd.RenderDataOn = rdoEnterAndDropSync;
    dd.SetSourceEffects(SingleEffects);
    dd.SetTargetEffects(SingleEffects);
    dd.OnDragDetect = [this](DWORD keyState, POINT start, POINT pt, TDragDetectStatus status) {
        if (OnDDDragDetect)
            OnDDDragDetect(this, keyState, start, pt, status);
        if (status == ddsDrag)
            StartDrag();
    };
    dd.OnDragEnter = [this](IDataObject* data, DWORD keyState, POINT pt, DWORD& effect, bool& accept) {
        DragEnter(data, keyState, pt, effect, accept);
    };
    dd.OnDragOver = [this](DWORD keyState, POINT pt, DWORD& effect) { DragOver(keyState, pt, effect); };
    dd.OnDragLeave = [this] { DragLeave(); };
    dd.OnDrop = [this](IDataObject* data, DWORD keyState, POINT pt, DWORD& effect) {
        if (OnDDDrop)
            OnDDDrop(this, data, keyState, pt, effect);
    };
    dd.OnQueryContinueDrag = [this](BOOL escapePressed, DWORD keyState, HRESULT& result) {
        if (dragImage)
            dragImage->Follow();
        if (OnDDQueryContinueDrag)
            OnDDQueryContinueDrag(this, escapePressed, keyState, result);
    };
    dd.OnGiveFeedback = [this](DWORD effect, HRESULT& result) {
        if (OnDDGiveFeedback)
            OnDDGiveFeedback(this, effect, result);
    };
    dd.OnProcessDropped = [this](TComponent*, DWORD keyState, POINT pt, DWORD effect) {
        Dropped(keyState, pt, effect);
    };
}

// ---------------------------------------------------------------------------------------------
// Drag source

void TDirView::StartDrag()
{
    if (loading_ || DragSourceView() || !HandleAllocated())
        return;
    const std::vector<TListItem*> selected = SelectedItems();
    if (selected.empty())
        return;
    TDragDropFilesEx& dd = *dragDrop_;
    int files = 0, directories = 0;
    {
        TCursorGuard hourglass;
        // Bin items travel with their ID lists and their names before deletion.
        dd.CompleteFileList = selected.size() <= 100 && !isRecycleBin_;
        dd.FileList.Clear();
        for (TListItem* item : selected) {
            const TFileRec& rec = *ItemRec(item);
            if (isRecycleBin_) {
                const ItemIdList absolute = ConcatPIDLs(recycleBinPidl_.get(), rec.PIDL.get());
                dd.FileList.AddItemMapped(absolute.get(), rec.FileName, rec.DisplayName);
            } else {
                dd.FileList.AddItem(nullptr, ItemFullFileName(item));
            }
            ++(rec.IsDirectory ? directories : files);
        }
    }
    DWORD effects = isRecycleBin_ ? DROPEFFECT_MOVE : SingleEffects;
    if (driveType_ == DRIVE_CDROM)
        effects &= ~DROPEFFECT_MOVE;
    dd.SetSourceEffects(effects);

    OwnedImageList ownImage;
    POINT hotspot = {25, 20};
    HIMAGELIST image = nullptr;
    if (useDragImages_) {
        if (selected.size() == 1) {
            POINT origin = {};
            ownImage.handle = ListView_CreateDragImage(Handle(), selected.front()->Index(), &origin);
            hotspot = {dragPoint_.x - origin.x, dragPoint_.y - origin.y};
            image = ownImage.handle;
        } else {
            image = MakeDragImage(files, directories);
        }
    }
    TForm* form = GetParentForm(this);
    std::vector<std::string> dragged;
    for (TListItem* item : selected)
        dragged.push_back(ItemFullFileName(item));

    DragSourceView() = this;
    dragStartTick_ = GetTickCount64();
    int result;
    {
        DragImageOverForm shown(image, hotspot, form ? form->Handle() : nullptr);
        dragImage = &shown;
        struct Forget {
            ~Forget() { dragImage = nullptr; }
        } forget;
        result = dd.ExecuteDrag();
    }
    // A drop on a view of this program is handed on after the drag loop; it still sees this
    // view as its source.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, DDM_ProcessDropped(), DDM_ProcessDropped(), PM_REMOVE))
        DispatchMessageA(&msg);
    DragSourceView() = nullptr;
    SetDropTargetItem(nullptr);
    dd.SetSourceEffects(SingleEffects);
    if (result == 3 && !WatchingActive())
        WatchVanishing(dragged);
}

HIMAGELIST TDirView::MakeDragImage(int files, int directories)
{
    TImageList* list = TDragImageHold::List();
    if (!list)
        return nullptr;
    char part[64];
    std::string text;
    if (files > 0) {
        std::snprintf(part, sizeof part, DirViewTexts().DragFiles, static_cast<unsigned>(files));
        text = part;
    }
    if (directories > 0) {
        std::snprintf(part, sizeof part, DirViewTexts().DragDirectories, static_cast<unsigned>(directories));
        text += (text.empty() ? "" : ", ") + std::string(part);
    }
    const WindowDC screen;
    MemoryDC dc(screen.get());
    SelectedObject font(dc.get(), Font().Handle());
    SIZE extent = {};
    GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    const int width = 33 + extent.cx + 2, height = std::max(32, static_cast<int>(extent.cy));
    GdiObject<HBITMAP> picture(CreateCompatibleBitmap(screen.get(), width, height));
    {
        SelectedObject selected(dc.get(), picture.get());
        RECT all = {0, 0, width, height};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        GdiObject<HBITMAP> files(static_cast<HBITMAP>(
            LoadImageA(GetModuleHandleA(nullptr), "DRAGFILES", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        if (files) {
            MemoryDC source(dc.get());
            SelectedObject filesSelected(source.get(), files.get());
            BITMAP size = {};
            GetObjectA(files.get(), sizeof size, &size);
            BitBlt(dc.get(), 0, (height - size.bmHeight) / 2, size.bmWidth, size.bmHeight, source.get(), 0, 0,
                   SRCCOPY);
        }
        SetBkMode(dc.get(), TRANSPARENT);
        SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
        TextOutA(dc.get(), 33, (height - extent.cy) / 2, text.c_str(), static_cast<int>(text.size()));
    }
    list->SetSize(width, height);
    if (ComCtl32::ImageList_AddMasked(list->Handle(), picture.get(), RGB(255, 255, 255)) < 0)
        return nullptr;
    return list->Handle();
}

// ---------------------------------------------------------------------------------------------
// Drop target

TListItem* TDirView::DropTargetItem() const
{
    return dropTarget_;
}

void TDirView::SetDropTargetItem(TListItem* item)
{
    if (item == dropTarget_)
        return;
    const bool hide = dragImage != nullptr;
    if (hide)
        ComCtl32::ImageList_DragShowNolock(FALSE);
    if (HandleAllocated()) {
        if (dropTarget_)
            ListView_SetItemState(Handle(), dropTarget_->Index(), 0, LVIS_DROPHILITED);
        if (item)
            ListView_SetItemState(Handle(), item->Index(), LVIS_DROPHILITED, LVIS_DROPHILITED);
        UpdateWindow(Handle());
    }
    dropTarget_ = item;
    if (hide)
        ComCtl32::ImageList_DragShowNolock(TRUE);
}

bool TDirView::DropsOnRecycleBin() const
{
    const TFileRec* target = ItemRec(dropTarget_);
    return isRecycleBin_ || (target && target->IsRecycleBin);
}

std::string TDirView::DropTargetPath() const
{
    const TFileRec* target = ItemRec(dropTarget_);
    return target ? AddBackslash(PathForShell()) + target->FileName : PathForShell();
}

void TDirView::DragEnter(IDataObject* data, DWORD keyState, POINT pt, DWORD& effect, bool& accept)
{
    const TFileList& list = dragDrop_->FileList;
    draggedFolders_.clear();
    if (accept) {
        accept = !loading_ && driveType_ != DRIVE_CDROM && dirOK_ && list.Count() > 0;
        const std::string first = accept ? list.Item(0).Name : std::string();
        accept = accept && first.size() > 2 && (first[1] == ':' || first[1] == '\\');
        // A bin takes files, not bin items coming back under their old names.
        accept = accept && !(isRecycleBin_ && dragDrop_->FileNamesMapped);
        sourceDrive_ = accept && first[1] == ':' ? UpperLetter(first[0]) : '\0';
        linksForExecutables_ = accept && (dragDrop_->OfferedEffects() & DROPEFFECT_LINK);
        for (int i = 0; accept && i < list.Count(); ++i) {
            const std::string& name = list.Item(i).Name;
            const std::string ext = FileExt(ExtractFileName(name), false);
            linksForExecutables_ = linksForExecutables_ && (ext == "EXE" || ext == "COM");
            if (IsDirectory(RemoveBackslash(name)))
                draggedFolders_.push_back(name);
        }
    }
    scrollSteps_ = 0;
    lastScrollTick_ = 0;
    if (accept)
        TrackDrag(keyState, pt, effect);
    else
        effect = DROPEFFECT_NONE;
    if (OnDDDragEnter)
        OnDDDragEnter(this, data, keyState, pt, effect, accept);
}

void TDirView::DragOver(DWORD keyState, POINT pt, DWORD& effect)
{
    if (dragDrop_->DropTarget()->Accept())
        TrackDrag(keyState, pt, effect);
    if (OnDDDragOver)
        OnDDDragOver(this, keyState, pt, effect);
}

void TDirView::TrackDrag(DWORD keyState, POINT pt, DWORD& effect)
{
    POINT client = pt;
    ::ScreenToClient(Handle(), &client);
    LVHITTESTINFO hit = {};
    hit.pt = client;
    const int index = static_cast<int>(SendMessageA(Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    TListItem* under = index >= 0 && index < Items().Count() && (hit.flags & LVHT_ONITEM) ? Items()[index] : nullptr;
    const TFileRec* rec = ItemRec(under);
    SetDropTargetItem(rec && rec->IsDirectory ? under : nullptr);
    if (ViewStyle() == vsReport)
        ScrollWhileDragging(client);
    effect = DropEffectFor(keyState, effect);
}

DWORD TDirView::DropEffectFor(DWORD keyState, DWORD effect) const
{
    const DWORD scroll = effect & DROPEFFECT_SCROLL;
    DWORD chosen = effect & SingleEffects;
    if (chosen == DROPEFFECT_NONE)
        return effect;
    const DWORD offered = dragDrop_->OfferedEffects();
    const char viewDrive = path_.size() >= 2 && path_[1] == ':' ? UpperLetter(path_[0]) : '\0';
    if (!(keyState & (MK_SHIFT | MK_CONTROL))) {
        if (linksForExecutables_ && viewDrive >= 'C')
            chosen = DROPEFFECT_LINK;
        else if (chosen == DROPEFFECT_COPY && sourceDrive_ && sourceDrive_ == viewDrive && (offered & DROPEFFECT_MOVE))
            chosen = DROPEFFECT_MOVE;
    }
    // Into the bin means away from where the files are: only a source that lets them go.
    if (DropsOnRecycleBin())
        chosen = (offered & DROPEFFECT_MOVE) ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
    // A folder never goes into itself.
    const std::string target = DropTargetPath();
    if (chosen & (DROPEFFECT_COPY | DROPEFFECT_MOVE))
        for (const std::string& folder : draggedFolders_)
            if (PathInFolder(target, folder))
                chosen = DROPEFFECT_NONE;
    return chosen | scroll;
}

void TDirView::ScrollWhileDragging(POINT client)
{
    RECT area;
    GetClientRect(Handle(), &area);
    RECT row = {};
    int lineHeight = 16;
    if (Items().Count() > 0 && ListView_GetItemRect(Handle(), 0, &row, LVIR_BOUNDS))
        lineHeight = row.bottom - row.top;
    HWND header = ListView_GetHeader(Handle());
    RECT headerRect = {};
    if (header && IsWindowVisible(header))
        GetWindowRect(header, &headerRect);
    const int top = headerRect.bottom - headerRect.top;
    int direction = 0;
    if (client.y < top + 3 * lineHeight)
        direction = SB_LINEUP;
    else if (client.y > area.bottom - 3 * lineHeight)
        direction = SB_LINEDOWN;
    else {
        scrollSteps_ = 0;
        return;
    }
    const ULONGLONG now = GetTickCount64();
    const ULONGLONG wait = scrollSteps_ >= 6 ? 100 : 200;
    if (now - lastScrollTick_ < wait)
        return;
    lastScrollTick_ = now;
    ++scrollSteps_;
    if (dragImage)
        ComCtl32::ImageList_DragShowNolock(FALSE);
    SendMessageA(Handle(), WM_VSCROLL, static_cast<WPARAM>(direction), 0);
    UpdateWindow(Handle());
    if (dragImage)
        ComCtl32::ImageList_DragShowNolock(TRUE);
}

void TDirView::DragLeave()
{
    SetDropTargetItem(nullptr);
    if (OnDDDragLeave)
        OnDDDragLeave(this);
}

void TDirView::Dropped(DWORD keyState, POINT pt, DWORD effect)
{
    struct ClearTarget {
        TDirView& view;
        ~ClearTarget()
        {
            view.dragDrop_->FileList.Clear();
            view.SetDropTargetItem(nullptr);
        }
    } clear{*this};
    if (OnDDProcessDropped)
        OnDDProcessDropped(this, keyState, pt, effect);
    // A click that the system took for a tiny drag onto the view itself.
    if (DragSourceView() == this && GetTickCount64() - dragStartTick_ < 200)
        return;
    // Only what the source offered may be done with its files.
    if (effect != DROPEFFECT_COPY && effect != DROPEFFECT_MOVE && effect != DROPEFFECT_LINK)
        return;
    if (!(effect & dragDrop_->OfferedEffects()))
        return;
    ExecuteDropFileOperation(DropTargetPath(), effect);
    if (OnDDExecuted)
        OnDDExecuted(this, effect);
}

// ---------------------------------------------------------------------------------------------
// The file operation of a drop or a paste

bool TDirView::ExecuteDropFileOperation(const std::string& targetPath, DWORD effect)
{
    TFileList& list = dragDrop_->FileList;
    if (list.Count() == 0)
        return false;
    if (!IsDirectory(targetPath)) {
        Reload(true);
        DDError(1);
        return false;
    }
    const bool recycleBin = DropsOnRecycleBin();
    if (recycleBin && dragDrop_->FileNamesMapped)
        return false;
    TDirView* source = DirViewDragSource();
    std::string sourcePath;
    bool sourceIsDirectory = true;
    bool done = false;
    {
        TCursorGuard hourglass;
        // Whatever happens, the operator's lists are emptied and everything watches again.
        struct WatchAgain {
            TDirView& view;
            TDirView* source;
            ~WatchAgain()
            {
                view.fileOperator_->SourceFiles.clear();
                view.fileOperator_->DestFiles.clear();
                view.StartWatching();
                if (view.driveView_)
                    view.driveView_->StartWatchingSelected();
                if (source)
                    source->StartWatching();
            }
        } watchAgain{*this, source};

        if (effect == DROPEFFECT_COPY || effect == DROPEFFECT_MOVE) {
            done = CopyOrMoveDropped(targetPath, effect, recycleBin, sourcePath, sourceIsDirectory);
        } else if (effect == DROPEFFECT_LINK) {
            StopWatching();
            done = true;
            for (int i = 0; i < list.Count(); ++i) {
                const std::string& name = list.Item(i).Name;
                const std::string link = AddBackslash(targetPath) + ShellLinkBaseName(name) + ".lnk";
                if (!CreateShellLink(name, link, ExtractFileNameNoExt(name))) {
                    done = false;
                    DDError(0);
                }
            }
            Reload(true);
        } else {
            return false;
        }
        if (source && source != this && effect == DROPEFFECT_MOVE)
            source->RemoveVanishedSelected();
        if (driveView_ && (sourceIsDirectory || showDirectories_)) {
            // The tree's view of the folders is refreshed if it can be; the files are where they are.
            try {
                driveView_->SyncExpanded(driveView_->NodeOfPath(targetPath));
            } catch (const std::exception&) {
            }
            if (effect == DROPEFFECT_MOVE || recycleBin) {
                try {
                    driveView_->SyncExpanded(driveView_->NodeOfPath(sourcePath));
                } catch (const std::exception&) {
                }
            }
        }
    }
    return done;
}

bool TDirView::CopyOrMoveDropped(const std::string& targetPath, DWORD effect, bool recycleBin,
                                 std::string& sourcePath, bool& sourceIsDirectory)
{
    TFileList& list = dragDrop_->FileList;
    TDirView* source = DirViewDragSource();
    const bool mapped = dragDrop_->FileNamesMapped;
    TFileOperator& op = *fileOperator_;
    StopWatching();
    if (driveView_)
        driveView_->StopWatchingSelected();
    if (source)
        source->StopWatching();
    // A drive's root never leaves it; the file operator refuses a folder into itself.
    const bool removes = effect == DROPEFFECT_MOVE || recycleBin;
    for (int i = 0; i < list.Count(); ++i) {
        const TFDDListItem& item = list.Item(i);
        if (removes && IsDriveRoot(item.Name))
            continue;
        op.SourceFiles.push_back(item.Name);
        if (mapped)
            op.DestFiles.push_back(AddBackslash(targetPath) + item.MappedName);
    }
    if (op.SourceFiles.empty()) {
        Reload(true);
        return false;
    }
    sourcePath = op.SourceFiles.front();
    sourceIsDirectory = IsDirectory(RemoveBackslash(sourcePath));
    if (!sourceIsDirectory)
        sourcePath = ExtractFilePath(sourcePath);
    TFileOperationFlags flags = foAllowUndo | foNoConfirmMkDir;
    if (mapped && !recycleBin) {
        flags |= foMultiDestFiles;
    } else {
        op.DestFiles.assign(1, targetPath);
    }
    if (recycleBin ? !ConfirmDelete : !ConfirmOverwrite)
        flags |= foNoConfirmation;
    op.SetFlags(flags);
    op.SetOperation(recycleBin ? foDelete : effect == DROPEFFECT_COPY ? foCopy : foMove);
    bool doOperation = true;
    if (OnDDFileOperation)
        OnDDFileOperation(this, effect, sourcePath, targetPath, doOperation);
    bool done = false;
    if (doOperation && !op.SourceFiles.empty()) {
        done = op.Execute();
        if (OnDDFileOperationExecuted)
            OnDDFileOperationExecuted(this, effect, sourcePath, targetPath);
        if (mapped)
            op.ClearUndo();
    }
    Reload(true);
    return done;
}
