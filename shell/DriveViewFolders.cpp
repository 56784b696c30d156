// The drive tree's folder operations: making, deleting and renaming folders, the shell's menus,
// and copy, cut, paste and undo through the clipboard.
#include <windows.h>
#include <commctrl.h>

#include "DriveView.h"

#include "BaseUtils.h"
#include "DirView.h"
#include "DragDropFilesEx.h"
#include "FileOperator.h"
#include "Forms.h"
#include "ExactNames.h"
#include "Handles.h"
#include "ShellDialogs.h"
#include "ShellViewShare.h"
#include "SysUtils.h"

namespace {

// Characters no folder name may hold, in the order the message lists them.
const std::string InvalidNameChars = "\\/:*?\"<>|";

std::string ListedInvalidChars()
{
    std::string listed;
    for (char c : InvalidNameChars) {
        listed += ' ';
        listed += c;
    }
    return listed;
}

HWND OwnerWindow(TControl* control)
{
    TForm* form = GetParentForm(control);
    return form ? form->Handle() : nullptr;
}

// The clipboard opened for a look, closed on every way out.
class TClipboardOpen {
public:
    TClipboardOpen() : open_(OpenClipboard(nullptr) != FALSE) {}
    ~TClipboardOpen()
    {
        if (open_)
            CloseClipboard();
    }
    TClipboardOpen(const TClipboardOpen&) = delete;
    TClipboardOpen& operator=(const TClipboardOpen&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

// The drive letter (upper case) of a path on a drive, '\0' for any other path.
char DriveOfPath(const std::string& path)
{
    if (path.size() < 3 || path[1] != ':')
        return '\0';
    const char c = path[0] >= 'a' && path[0] <= 'z' ? static_cast<char>(path[0] - 'a' + 'A') : path[0];
    return c >= 'A' && c <= 'Z' ? c : '\0';
}

}  // namespace

// Holds the selected drive's watching off for a scope, and starts it again on every way out.
class TSelectedWatchPause {
public:
    explicit TSelectedWatchPause(TDriveView& view) : view_(view) { view_.StopWatchingSelected(); }
    ~TSelectedWatchPause()
    {
        Guarded([this] { view_.StartWatchingSelected(); });
    }
    TSelectedWatchPause(const TSelectedWatchPause&) = delete;
    TSelectedWatchPause& operator=(const TSelectedWatchPause&) = delete;

private:
    TDriveView& view_;
};

// ---------------------------------------------------------------------------------------------
// Making, deleting and renaming folders

TTreeNode* TDriveView::CreateDirectory(TTreeNode* node, const std::string& newName)
{
    if (!node)
        throw ENodeNotAssigned("CreateDirectory: Node not assigned");
    // A separator or wildcard would make a folder elsewhere, or none at all; a trailing dot or a
    // device name one under another name, or none.
    const std::string folder = GetDirPath(node);
    if (newName.empty() || ContainsAnyChar(InvalidNameChars, newName) || !NameKeptAsTyped(folder, newName))
        return nullptr;
    const std::string path = folder + "\\" + newName;
    TSelectedWatchPause pause(*this);
    if (!::CreateDirectoryA(path.c_str(), nullptr))
        return nullptr;
    TFoundEntry found;
    if (!FindExactEntry(path, found) || !(found.Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    TTreeNode* added = AddSubDirNode(node, found);
    SortChildren(node, false);
    node->Expand(false);
    return added;
}

bool TDriveView::DeleteDirectory(TTreeNode* node, bool allowUndo)
{
    if (!node)
        throw ENodeNotAssigned("DeleteDirectory: Node not assigned");
    if (!node->Parent())
        return false;
    TCursorGuard hourglass;
    const std::string path = NodePathName(node);
    bool result = false;
    if (!IsDirectory(path)) {
        Items().Delete(node);
        result = true;
    } else {
        TFileOperator deleter;
        deleter.SourceFiles.push_back(path);
        deleter.SetOperation(foDelete);
        deleter.SetFlags(allowUndo ? deleter.Flags() | foAllowUndo : deleter.Flags() & ~foAllowUndo);
        StopWatchingSelected();
        // The shell's questions let timers run: a refresh may take the node away meanwhile.
        TNodeWatch watched(*this, node);
        deleter.Execute();
        // Failed, cancelled or done: the disk tells whether the folder went. (Asking by making it
        // the current folder would keep it locked.)
        if (!IsDirectory(path) && watched.node)
            SelectPreviousAndDelete(watched.node);
    }
    StartWatchingSelected();
    if (dirView_ && Selected())
        dirView_->SetPath(GetDirPath(Selected()));
    return result;
}

void TDriveView::SelectPreviousAndDelete(TTreeNode* node)
{
    TNodeWatch watched(*this, node);
    if (TTreeNode* previous = node->GetPrevVisible())
        SetDirectory(NodePathName(previous));
    // The selection's handlers may have let a refresh take the node already.
    if (watched.node)
        Items().Delete(watched.node);
}

void TDriveView::Edit(TTreeNode* node, const std::string& text)
{
    TNodeData* data = NodeData(node);
    if (!data || text.empty() || text == node->Text())
        return;
    if (ContainsAnyChar(InvalidNameChars, text))
        throw EInvalidDirName(InvalidDirNameText() + " " + ListedInvalidChars());
    if (!NameKeptAsTyped(GetDirPath(node->Parent()), text))
        throw ERenameFileFailed(RenameFailedText() + "\n" + text);
    TSelectedWatchPause pause(*this);
    const std::string newPath = AddBackslash(GetDirPath(node->Parent())) + text;
    // The node's own folder by its exact name, and the new name exactly as typed, case included.
    DWORD error;
    if (!RenameExactly(GetDirPath(node), text, error))
        throw ERenameFileFailed(RenameFailedText() + "\n" + text);
    data->DirName = data->DisplayName = text;
    TFoundEntry found;
    if (FindExactEntry(newPath, found))
        data->ShortName = std::string(found.Data.cAlternateFileName).substr(0, 12);
    node->SetText(text);
    SortChildren(node->Parent(), false);
    // The handler hears of the new name (OnEdited); the node keeps showing its folder's name.
    TTreeView::Edit(node, text);
    if (node->Text() != text)
        node->SetText(text);
    if (dirView_ && Selected())
        dirView_->SetPath(GetDirPath(Selected()));
}

// ---------------------------------------------------------------------------------------------
// Menus

void TDriveView::RightButtonReleased()
{
    mouseDownPoint_ = {-1, -1};
    if (!rightButton_)
        return;
    rightButton_ = false;
    POINT screen;
    GetCursorPos(&screen);
    const POINT client = ScreenToClient(screen);
    TNodeWatch node(*this, GetNodeAt(client.x, client.y));
    // No drag starts from the presses meant for the menu; afterwards detection is as it was.
    const bool detecting = dragDrop_->AutoDetectDnD;
    dragDrop_->AutoDetectDnD = false;
    try {
        if (!UseSystemContextMenu || !node.node) {
            if (PopupMenu)
                TrackPopupMenu(PopupMenu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, OwnerWindow(this), nullptr);
        } else {
            const bool watched = DriveWatched(node.node) && SelectedDriveWatched();
            DisplayContextMenu(node.node);
            // The menu may have renamed, deleted or made folders that no watcher reports.
            if (!watched && node.node)
                SyncExpanded(node.node);
        }
    } catch (...) {
        dragDrop_->AutoDetectDnD = detecting;
        throw;
    }
    dragDrop_->AutoDetectDnD = detecting;
}

void TDriveView::DisplayContextMenu(TTreeNode* node)
{
    if (!node)
        throw ENodeNotAssigned("DisplayContextMenu: Node not assigned");
    TNodeWatch watch(*this, node);
    const std::string path = NodePathName(node);
    if (node != Selected())
        SetDropTarget(node);
    POINT at;
    GetCursorPos(&at);
    std::string verb;
    PathContextMenu(OwnerWindow(this), at, path, CanEdit(node), verb);
    SetDropTarget(nullptr);
    if (verb == "rename" && watch.node) {
        watch.node->EditText();
    } else if (verb == "cut") {
        ViewClipboard().mode = cbCut;
        ViewClipboard().cutSequence = GetClipboardSequenceNumber();
        MarkCutPath(path);
    } else if (verb == "copy") {
        ViewClipboard().mode = cbCopy;
    }
}

void TDriveView::DisplayPropertiesMenu(TTreeNode* node)
{
    if (!node)
        throw ENodeNotAssigned("DisplayPropertiesMenu: Node not assigned");
    PathInvokeVerb(OwnerWindow(this), "properties", NodePathName(node));
}

// ---------------------------------------------------------------------------------------------
// Clipboard

void TDriveView::MarkCutPath(const std::string& path)
{
    if (path != cutPath_) {
        if (TTreeNode* old = NodeOfDrivePath(cutPath_))
            old->SetCut(false);
        cutPath_ = path;
    }
    if (TTreeNode* node = NodeOfDrivePath(path))
        node->SetCut(true);
}

void TDriveView::ClearClipboard()
{
    {
        TClipboardOpen clipboard;
        if (!clipboard)
            return;
        EmptyClipboard();
    }
    MarkCutPath("");
    ViewClipboard().mode = cbNone;
    if (dirView_)
        dirView_->ClearCutMarks();
}

bool TDriveView::CopyPathToClipboard(const std::string& path)
{
    dragDrop_->FileList.Clear();
    dragDrop_->FileList.AddItem(nullptr, path);
    return dragDrop_->CopyListToClipboard();
}

bool TDriveView::CopySelectedToClipboard()
{
    TTreeNode* selected = Selected();
    if (!selected)
        return false;
    ClearClipboard();
    const bool copied = CopyPathToClipboard(NodePathName(selected));
    ViewClipboard().mode = cbCopy;
    return copied;
}

bool TDriveView::CutNodeToClipboard(TTreeNode* node)
{
    if (!node)
        throw ENodeNotAssigned("CutNodeToClipboard: Node not assigned");
    if (!NodeData(node) || !node->Parent())
        return false;
    ClearClipboard();
    const std::string path = NodePathName(node);
    if (!CopyPathToClipboard(path))
        return false;
    MarkCutPath(path);
    ViewClipboard().mode = cbCut;
    ViewClipboard().cutSequence = GetClipboardSequenceNumber();
    return true;
}

bool TDriveView::ClipboardHasFiles()
{
    if (!Selected())
        return false;
    TClipboardOpen clipboard;
    return clipboard && IsClipboardFormatAvailable(CF_HDROP);
}

bool TDriveView::PasteIntoSelected()
{
    dragDrop_->FileList.Clear();
    TTreeNode* selected = Selected();
    if (!ClipboardHasFiles() || !dragDrop_->ReadClipboard())
        return false;
    const std::string target = NodePathName(selected);
    const bool recycleBin = NodeData(selected) && NodeData(selected)->IsRecycler;
    // A cut moves only while the clipboard holds what was cut; whatever came since is copied.
    if (ViewClipboard().CutStillHeld()) {
        const bool moved = DDFileOperation(target, DROPEFFECT_MOVE, recycleBin);
        if (OnDDExecuted)
            OnDDExecuted(this, DROPEFFECT_MOVE);
        // What was cut stays on the clipboard until it is where it was to go.
        if (moved)
            ClearClipboard();
    } else {
        DDFileOperation(target, DROPEFFECT_COPY, recycleBin);
        if (OnDDExecuted)
            OnDDExecuted(this, DROPEFFECT_COPY);
    }
    return true;
}

bool TDriveView::CanUndoFileOperation() const
{
    return fileOperator_->CanUndo();
}

bool TDriveView::UndoLastFileOperation()
{
    if (!fileOperator_->CanUndo())
        return false;
    const std::vector<std::string>& sources = fileOperator_->LastSourceFiles();
    const std::vector<std::string>& targets = fileOperator_->LastDestFiles();
    const std::string source = sources.empty() ? std::string() : sources.front();
    const std::string target = targets.empty() ? std::string() : targets.front();
    const bool undone = fileOperator_->UndoExecute();

    const char sourceDrive = DriveOfPath(source);
    const char targetDrive = DriveOfPath(target);
    TTreeNode* selected = Selected();
    const bool sourceWatched = selected && SelectedDriveWatched() && GetDrive(selected) == sourceDrive;
    if (sourceDrive && !sourceWatched)
        SyncExpanded(SlotOf(sourceDrive).root);
    if (targetDrive && targetDrive != sourceDrive)
        SyncExpanded(SlotOf(targetDrive).root);
    if (dirView_) {
        const std::string shown = RemoveBackslash(dirView_->Path());
        if (SameText(RemoveBackslash(ExtractFilePath(source)), shown) || SameText(RemoveBackslash(target), shown))
            dirView_->Reload(true);
    }
    return undone;
}
