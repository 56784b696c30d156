// The directory view's operations on its items: renaming in place, opening and executing, a new
// empty file, deleting, the shell's menus and the clipboard.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "DirView.h"

#include "BaseUtils.h"
#include "DragDropFilesEx.h"
#include "DriveView.h"
#include "FileChanges.h"
#include "FileOperator.h"
#include "Forms.h"
#include "IconUpdateThread.h"
#include "LateLibrary.h"
#include "ShellDialogs.h"
#include "ShellLink.h"
#include "ShellViewShare.h"
#include "SysUtils.h"

#include <algorithm>
#include <optional>

namespace {

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The process's current folder for a scope: the shell's verbs resolve names against it.
class CurrentFolderHold {
public:
    explicit CurrentFolderHold(const std::string& folder)
    {
        char current[MAX_PATH] = {};
        if (GetCurrentDirectoryA(MAX_PATH, current))
            previous_ = current;
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentFolderHold()
    {
        if (!previous_.empty())
            SetCurrentDirectoryA(previous_.c_str());
    }
    CurrentFolderHold(const CurrentFolderHold&) = delete;
    CurrentFolderHold& operator=(const CurrentFolderHold&) = delete;

private:
    std::string previous_;
};

}  // namespace

TTreeNode* TDirView::DriveRootNode(const std::string& path) const
{
    if (!driveView_ || path.size() < 2 || path[1] != ':' || !IsCharAlphaA(path[0]))
        return nullptr;
    return driveView_->DriveSlotOf(path[0]).RootNode;
}

HWND TDirView::OwnerWindow()
{
    TForm* form = GetParentForm(this);
    return form ? form->Handle() : Handle();
}

std::vector<TListItem*> TDirView::SelectedItems() const
{
    std::vector<TListItem*> selected;
    for (int i = 0; i < Items().Count(); ++i)
        if (Items()[i]->Selected() && ItemRec(Items()[i]))
            selected.push_back(Items()[i]);
    return selected;
}

// ---------------------------------------------------------------------------------------------
// Renaming in place

void TDirView::Edit(TListItem* item, std::string& text)
{
    const TFileRec* rec = ItemRec(item);
    if (!rec || text.empty() || text == rec->DisplayName) {
        SetLoadEnabled(true);
        return;
    }
    try {
        RenameItem(item, text);
    } catch (...) {
        // The window keeps showing the file's own name: its texts come from the record.
        SetLoadEnabled(true);
        throw;
    }
    TCustomListView::Edit(item, text);
    SetLoadEnabled(true);
}

void TDirView::EditCanceled(TListItem* item)
{
    TCustomListView::EditCanceled(item);
    SetLoadEnabled(true);
}

void TDirView::RenameItem(TListItem* item, const std::string& newName)
{
    TFileRec& rec = *ItemRec(item);
    bool invalidChars = false;
    const std::string rejected = RejectedFileName(path_, newName, invalidChars);
    if (!rejected.empty()) {
        if (invalidChars)
            throw EInvalidFileName(rejected);
        throw ERenameFileFailed(rejected);
    }
    const std::string oldPath = path_ + "\\" + rec.FileName;
    const std::string newPath = path_ + "\\" + newName;
    const bool directory = rec.IsDirectory;
    // The tree's node of the folder is found by its old name, before it changes.
    TTreeNode* node = directory && driveView_ ? driveView_->NodeOfPath(oldPath) : nullptr;
    TTreeNode* parent = node ? node->Parent() : nullptr;
    StopWatching();
    if (directory && driveView_)
        driveView_->StopWatchingSelected();
    auto watchAgain = [&] {
        StartWatching();
        if (driveView_)
            driveView_->StartWatchingSelected();
    };
    // The item's own file by its exact name, and the new name exactly as typed, case included.
    DWORD error;
    if (!RenameExactly(oldPath, newName, error)) {
        watchAgain();
        throw ERenameFileFailed(DirViewTexts().RenameError + std::string("\n") + newName);
    }
    if (parent)
        driveView_->SyncExpanded(parent);
    rec.FileName = newName;
    rec.DisplayName = newName;
    rec.Ext = FileExt(newName, directory);
    rec.InfoEmpty = true;
    rec.IconEmpty = true;
    GetItemInfo(rec, true);
    watchAgain();
}

// ---------------------------------------------------------------------------------------------
// Opening and executing

void TDirView::DblClick()
{
    if (!loading_)
        OpenSelected();
    TCustomListView::DblClick();
}

void TDirView::OpenSelected()
{
    TListItem* item = Selected();
    bool allow = !isRecycleBin_;
    if (OnExecFile)
        OnExecFile(this, item, allow);
    const TFileRec* rec = ItemRec(item);
    if (!allow || !rec)
        return;
    std::string folder;
    if (rec->IsDirectory) {
        folder = ItemFullFileName(item);
    } else if (rec->Ext == "LNK") {
        const std::string target = ShellLinkTarget(ItemFullFileName(item));
        if (target.empty() || !Exists(target))
            return;   // a link to nothing opens nothing
        if (IsDirectory(target))
            folder = target;
    }
    if (!folder.empty()) {
        if (!driveView_) {
            SetPath(folder);
            return;
        }
        if (!driveView_->NodeOfPath(folder))
            if (TTreeNode* root = DriveRootNode(folder))
                driveView_->SyncExpanded(root);
        driveView_->SetDirectory(folder);
        driveView_->ScrollNodeToMiddle(driveView_->Selected());
        return;
    }
    const CurrentFolderHold current(PathForShell());
    const std::vector<TListItem*> selected = SelectedItems();
    for (TListItem* each : selected)
        PathInvokeVerb(OwnerWindow(), "", ItemFullFileName(each));
}

void TDirView::ExecuteFile(TListItem* item)
{
    const std::string name = ItemFullFileName(item);
    const HINSTANCE result =
        Shell32::ShellExecuteA(OwnerWindow(), nullptr, name.c_str(), nullptr, PathForShell().c_str(), SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        throw EExecFile(DirViewTexts().OpenError + name);
}

// ---------------------------------------------------------------------------------------------
// New files and deleting

TListItem* TDirView::CreateEmptyFile(const std::string& name)
{
    bool invalidChars = false;
    if (!dirOK_ || loading_ || isRecycleBin_ || name.empty() || !RejectedFileName(path_, name, invalidChars).empty())
        return nullptr;
    const std::string file = path_ + "\\" + name;
    if (Exists(file))
        return nullptr;
    StopWatching();
    StopIconUpdateThread();
    TListItem* item = nullptr;
    if (FileHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr))) {
        TFoundEntry found;
        if (FindExactEntry(file, found)) {
            item = AddItem(found.Data, found.DisplayName);
            SetItemFocused(item);
            item->MakeVisible();
        }
    }
    if (useIconUpdateThread_)
        StartIconUpdateThread();
    StartWatching();
    return item;
}

bool TDirView::DeleteSelectedFiles(bool allowUndo)
{
    const std::vector<TListItem*> selected = SelectedItems();
    if (loading_ || selected.empty())
        return false;
    const int oldIndex = selected.front()->Index();
    bool directories = false;
    TFileOperator remover;
    remover.SetOperation(foDelete);
    TFileOperationFlags flags = foNoConfirmMkDir;
    if (!ConfirmDelete)
        flags |= foNoConfirmation;
    if (allowUndo)
        flags |= foAllowUndo;
    remover.SetFlags(flags);
    remover.SetProgressTitle("Filesystem Operation");
    for (TListItem* item : selected) {
        remover.SourceFiles.push_back(ItemFullFileName(item));
        directories = directories || ItemRec(item)->IsDirectory;
    }
    const std::vector<std::string> files = remover.SourceFiles;
    if (driveView_)
        driveView_->StopWatchingSelected();
    StopWatching();
    StopIconUpdateThread();
    bool done;
    {
        TListUpdateHold hold(Items());
        done = remover.Execute();
        for (int i = Items().Count() - 1; i >= 0; --i)
            if (Items()[i]->Selected() && ItemRec(Items()[i]) && !Exists(ItemFullFileName(Items()[i])))
                Items().Delete(i);
    }
    // The shell reports a cancel as success: only files that are gone count.
    done = done && std::none_of(files.begin(), files.end(), Exists);
    if (useIconUpdateThread_)
        StartIconUpdateThread();
    StartWatching();
    if (driveView_) {
        if (directories && driveView_->Selected())
            driveView_->SyncExpanded(driveView_->Selected());
        driveView_->StartWatchingSelected();
    }
    if (oldIndex >= Items().Count() && Items().Count() > 0)
        SetSelected(Items()[Items().Count() - 1]);
    return done;
}

void TDirView::RemoveVanishedSelected()
{
    const std::vector<TListItem*> selected = SelectedItems();
    std::optional<TListUpdateHold> hold;
    if (selected.size() > 10)
        hold.emplace(Items());
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        if (!Exists(ItemFullFileName(*it)))
            (*it)->Delete();
}

void TDirView::WatchVanishing(const std::vector<std::string>& files)
{
    deleteWatch_ = std::make_unique<TFileDeleteWatch>(
        files,
        [this](TFileDeleteThread&, const std::vector<std::string>& gone) {
            for (int i = Items().Count() - 1; i >= 0; --i)
                if (std::find(gone.begin(), gone.end(), ItemFullFileName(Items()[i])) != gone.end())
                    Items().Delete(i);
        },
        10);
}

// ---------------------------------------------------------------------------------------------
// Shell menus

void TDirView::ShowContextMenu()
{
    POINT at;
    GetCursorPos(&at);
    ContextMenuAt(at);
}

void TDirView::ContextMenuAt(POINT screenPos)
{
    if (loading_)
        return;
    const std::vector<TListItem*> selected = SelectedItems();
    if (!useSystemContextMenu_ || selected.empty()) {
        if (popupMenu_)
            TrackPopupMenu(popupMenu_, TPM_RIGHTBUTTON, screenPos.x, screenPos.y, 0, OwnerWindow(), nullptr);
        return;
    }
    std::string verb;
    {
        const CurrentFolderHold current(PathForShell());
        if (isRecycleBin_) {
            std::vector<LPCITEMIDLIST> ids;
            for (TListItem* item : selected)
                ids.push_back(ItemRec(item)->PIDL.get());
            ShellContextMenu(OwnerWindow(), screenPos, recycleBinFolder_.get(), ids, false, verb);
        } else if (selected.size() == 1) {
            PathContextMenu(OwnerWindow(), screenPos, ItemFullFileName(selected.front()), CanEditLabel(), verb);
        } else {
            std::vector<std::string> names;
            for (TListItem* item : selected)
                names.push_back(ItemRec(item)->FileName);
            FilesContextMenu(OwnerWindow(), screenPos, PathForShell(), names, verb);
        }
    }
    if (verb == "rename") {
        if (TListItem* item = Selected())
            ListView_EditLabel(Handle(), item->Index());
    } else if (verb == "cut") {
        // The shell put the files on the clipboard to be moved: one file as well as several.
        MarkCut(true);
        NoteCut();
    } else if (verb == "copy") {
        ClearCutMarks();
        ViewClipboard().mode = cbCopy;
    }
    if (isRecycleBin_ && !verb.empty() && verb != "cut" && verb != "properties")
        AfterRecycleBinVerb();
}

void TDirView::AfterRecycleBinVerb()
{
    std::vector<std::string> files;
    bool outside = false;
    for (TListItem* item : SelectedItems()) {
        files.push_back(ItemFullFileName(item));
        outside = outside || !PathInFolder(ExtractFilePath(files.back()), path_);
    }
    // Restored files leave the bin's folder only after a while.
    if (outside) {
        WatchVanishing(files);
    } else if (!WatchingActive()) {
        Sleep(500);
        RemoveVanishedSelected();
    }
}

void TDirView::ShowPropertiesDialog()
{
    const std::vector<TListItem*> selected = SelectedItems();
    if (selected.empty())
        return;
    if (isRecycleBin_) {
        ShellInvokeVerb(OwnerWindow(), "properties", recycleBinFolder_.get(), {ItemRec(selected.front())->PIDL.get()});
    } else if (selected.size() == 1) {
        PathInvokeVerb(OwnerWindow(), "properties", ItemFullFileName(selected.front()));
    } else {
        std::vector<std::string> names;
        for (TListItem* item : selected)
            names.push_back(ItemRec(item)->FileName);
        FilesInvokeVerb(OwnerWindow(), "properties", PathForShell(), names);
    }
}

// ---------------------------------------------------------------------------------------------
// Clipboard

void TDirView::MarkCut(bool cut)
{
    if (!HandleAllocated())
        return;
    for (int i = 0; i < Items().Count(); ++i)
        ListView_SetItemState(Handle(), i, cut && Items()[i]->Selected() ? LVIS_CUT : 0, LVIS_CUT);
}

void TDirView::ClearCutMarks()
{
    MarkCut(false);
}

void TDirView::EmptyClipboard()
{
    if (OpenClipboard(HandleAllocated() ? Handle() : nullptr)) {
        ::EmptyClipboard();
        CloseClipboard();
    }
    if (ViewClipboard().mode != cbNone)
        ClearCutMarks();
    ViewClipboard().mode = cbNone;
    if (driveView_)
        driveView_->MarkCutPath("");
}

bool TDirView::FillFileListWithSelection()
{
    TFileList& list = dragDrop_->FileList;
    list.Clear();
    for (TListItem* item : SelectedItems())
        list.AddItem(nullptr, ItemFullFileName(item));
    return list.Count() > 0;
}

bool TDirView::CopyToClipboard()
{
    EmptyClipboard();
    if (!FillFileListWithSelection())
        return false;
    const bool copied = dragDrop_->CopyListToClipboard();
    ViewClipboard().mode = cbCopy;
    return copied;
}

bool TDirView::CutToClipboard()
{
    EmptyClipboard();
    if (!FillFileListWithSelection())
        return false;
    MarkCut(true);
    const bool copied = dragDrop_->CopyListToClipboard();
    NoteCut();
    return copied;
}

void TDirView::NoteCut()
{
    ViewClipboard().mode = cbCut;
    ViewClipboard().cutSequence = GetClipboardSequenceNumber();
}

bool TDirView::CanPasteFromClipboard()
{
    if (!dirOK_ || path_.empty() || driveType_ == DRIVE_CDROM)
        return false;
    if (!OpenClipboard(nullptr))
        return false;
    const bool files = IsClipboardFormatAvailable(CF_HDROP) != 0;
    CloseClipboard();
    return files;
}

bool TDirView::PasteFromClipboard()
{
    dragDrop_->FileList.Clear();
    if (loading_ || !CanPasteFromClipboard() || !dragDrop_->ReadClipboard())
        return false;
    if (ViewClipboard().mode == cbCut && !ViewClipboard().CutStillHeld()) {
        // Something new has been put there since: this is no longer our cut.
        ClearCutMarks();
        ViewClipboard().mode = cbNone;
    }
    if (ViewClipboard().mode == cbCut) {
        const bool moved = ExecuteDropFileOperation(PathForShell(), DROPEFFECT_MOVE);
        if (OnDDExecuted)
            OnDDExecuted(this, DROPEFFECT_MOVE);
        // The files stay on the clipboard until they are where they were to go.
        if (moved)
            EmptyClipboard();
    } else {
        ExecuteDropFileOperation(PathForShell(), DROPEFFECT_COPY);
        if (OnDDExecuted)
            OnDDExecuted(this, DROPEFFECT_COPY);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Undo

bool TDirView::CanUndoFileOperation() const
{
    return fileOperator_->CanUndo();
}

bool TDirView::UndoFileOperation()
{
    if (!fileOperator_->CanUndo() || fileOperator_->LastSourceFiles().empty() ||
        fileOperator_->LastDestFiles().empty())
        return false;
    const std::string source = fileOperator_->LastSourceFiles().front();
    const std::string target = fileOperator_->LastDestFiles().front();
    const bool undone = fileOperator_->UndoExecute();
    if (!WatchingActive())
        Reload(true);
    for (const std::string& path : {source, target})
        if (TTreeNode* root = DriveRootNode(path))
            driveView_->SyncExpanded(root);
    return undone;
}
