// The drive tree's drag and drop: dragging a folder out, showing where a drop would land
// (highlight, expanding on hover or Space, scrolling, the effect rules) and carrying a drop out as
// a copy, a move, a delete into a recycle bin or shortcuts.
#include <windows.h>
#include <commctrl.h>

#include "DriveView.h"

#include "BaseUtils.h"
#include "Bitmap.h"
#include "DirView.h"
#include "DragDropFilesEx.h"
#include "DragImageHold.h"
#include "FileChanges.h"
#include "FileOperator.h"
#include "ImageList.h"
#include "Forms.h"
#include "KtDriveInfo.h"
#include "LateLibrary.h"
#include "ShellLink.h"
#include "ShellViewShare.h"
#include "SysUtils.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Times in the clock's 100 ns units.
constexpr uint64_t HoverExpandTime = 25000000;     // 2.5 s on one node expands it
constexpr uint64_t ScrollStepTime = 2000000;       // 0.2 s between scroll steps
constexpr uint64_t FastScrollStepTime = 1000000;   // 0.1 s once more than five came in a row
constexpr uint64_t OwnDropGuardTime = 2000000;     // a drop this soon after our own drag start
constexpr int ScrollMargin = 50;
constexpr int DragIconWidth = 16;

uint64_t SystemTime()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsExecutableName(const std::string& name)
{
    const std::string ext = AnsiUpperCase(ExtractFileExt(name));
    return ext == ".EXE" || ext == ".COM";
}

bool IsDriveRoot(const std::string& path)
{
    return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

// The space bar's state, taken: each press (or repeat) toggles one node.
bool TakeSpaceKey()
{
    BYTE keys[256];
    if (!GetKeyboardState(keys) || keys[VK_SPACE] == 0)
        return false;
    keys[VK_SPACE] = 0;
    SetKeyboardState(keys);
    return true;
}

bool IsInside(const TTreeNode* node, const TTreeNode* ancestor)
{
    for (const TTreeNode* p = node; p; p = p->Parent())
        if (p == ancestor)
            return true;
    return false;
}

struct ImageListDeleter {
    void operator()(HIMAGELIST list) const { ComCtl32::ImageList_Destroy(list); }
};
using TImageListHandle = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Window-free rules

bool PathWithin(const std::string& path, const std::string& folder)
{
    const std::string p = AnsiUpperCase(RemoveBackslash(path));
    const std::string f = AnsiUpperCase(RemoveBackslash(folder));
    if (f.empty())
        return false;
    return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '\\');
}

DWORD TreeDropEffect(const TTreeDropInput& in)
{
    DWORD effect = in.effect;
    if (effect == DROPEFFECT_NONE)
        return effect;
    // The dragged node, its branch and its parent take only a link.
    if (in.ownDragBlocked && effect != DROPEFFECT_LINK)
        effect = DROPEFFECT_NONE;
    if (in.targetDriveType == DRIVE_CDROM)
        return DROPEFFECT_NONE;
    if (in.recycleBinTarget) {
        // What came out of a recycle bin stays out; only what may be moved away goes in.
        const bool movable = (in.offered & DROPEFFECT_MOVE) && !in.rootSource && !in.targetInsideSource;
        return !in.namesMapped && movable ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
    }
    if (!(in.keyState & (MK_SHIFT | MK_CONTROL))) {
        if (in.linkExecutables && in.targetDrive >= 'C')
            effect = DROPEFFECT_LINK;
        else if (effect == DROPEFFECT_COPY && in.targetDrive == UpperAscii(in.dragDrive) &&
                 (in.offered & DROPEFFECT_MOVE))
            effect = DROPEFFECT_MOVE;
    }
    // No folder goes into itself; a drive root never moves.
    if ((effect == DROPEFFECT_COPY || effect == DROPEFFECT_MOVE) && in.targetInsideSource)
        effect = DROPEFFECT_NONE;
    if (effect == DROPEFFECT_MOVE && in.rootSource)
        effect = DROPEFFECT_NONE;
    return effect;
}

// ---------------------------------------------------------------------------------------------
// Setup

void TDriveView::BindDragDrop()
{
    if (dragDrop_->DragDropControl() != this)
        dragDrop_->SetDragDropControl(this);
    else
        dragDrop_->RegisterTarget();
}

bool TDriveView::DragRunning() const
{
    // The detection's state stays at "drag" after a drag the control began; these end with it.
    return dragDrop_->OwnDrag() || DragSourceView() != nullptr;
}

void TDriveView::SetTargetPopUpMenu(bool on)
{
    targetPopUpMenu_ = on;
    dragDrop_->TargetPopUpMenu = on;
}

void TDriveView::SetClock(TClock clock)
{
    clock_ = std::move(clock);
}

uint64_t TDriveView::Now() const
{
    return clock_ ? clock_() : SystemTime();
}

// ---------------------------------------------------------------------------------------------
// The drag image

void TDriveView::ShowDragImage(bool show)
{
    if (!dragImageBegun_ || dragImageShown_ == show)
        return;
    ComCtl32::ImageList_DragShowNolock(show);
    dragImageShown_ = show;
}

void TDriveView::HideDragImageFor(const std::function<void()>& change)
{
    const bool shown = dragImageShown_;
    ShowDragImage(false);
    change();
    if (shown) {
        // Painted while the image is away: it saves and restores the screen under itself.
        Update();
        ShowDragImage(true);
    }
}

bool TDriveView::BeginNodeDragImage(POINT detectStart, POINT pt)
{
    TForm* form = GetParentForm(this);
    if (!form || !form->HandleAllocated())
        return false;
    TTreeNode* node = dragNode_;
    TImageListHandle image;
    {
        // Without its selection colours; the selection steps aside without being a change.
        dragSelecting_ = true;
        struct Restore {
            bool& flag;
            ~Restore() { flag = false; }
        } restore{dragSelecting_};
        if (node->Selected())
            SetSelected(nullptr);
        image.reset(reinterpret_cast<HIMAGELIST>(
            SendMessageA(Handle(), TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(node->ItemId()))));
        if (!Selected())
            SetSelected(node);
    }
    // Wine's control hands out an empty list: the shared list then takes a picture of our own.
    HIMAGELIST picture =
        image && ComCtl32::ImageList_GetImageCount(image.get()) > 0 ? image.get() : PaintNodeDragImage(node);
    if (!picture)
        return false;
    const RECT text = node->DisplayRect(true);
    const POINT down = ScreenToClient(detectStart);
    dragHotSpot_ = {down.x - (text.left - DragIconWidth), down.y - text.top};
    if (!ComCtl32::ImageList_BeginDrag(picture, 0, dragHotSpot_.x, dragHotSpot_.y))
        return false;
    RECT window;
    GetWindowRect(form->Handle(), &window);
    ComCtl32::ImageList_DragEnter(form->Handle(), pt.x - window.left, pt.y - window.top);
    dragImageLock_ = form->Handle();
    dragImageBegun_ = true;
    dragImageShown_ = true;
    lastDragPos_ = {-1, -1};
    ShowCursor(TRUE);
    return true;
}

HIMAGELIST TDriveView::PaintNodeDragImage(TTreeNode* node)
{
    TImageList* list = TDragImageHold::List();
    if (!list)
        return nullptr;
    TBitmap picture(1, 1);
    picture.Canvas().Font().Assign(Font());
    const std::string text = node->Text();
    const SIZE extent = picture.Canvas().TextExtent(text);
    const int height = std::max<int>(16, extent.cy);
    picture.SetSize(DragIconWidth + 3 + extent.cx + 2, height);
    TCanvas& canvas = picture.Canvas();
    canvas.Font().Assign(Font());
    canvas.Brush().SetColor(Color());
    canvas.FillRect({0, 0, picture.Width(), height});
    const auto icons = reinterpret_cast<HIMAGELIST>(SendMessageA(Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    if (icons && node->ImageIndex() >= 0)
        ComCtl32::ImageList_Draw(icons, node->ImageIndex(), canvas.Handle(), 0, (height - 16) / 2, ILD_TRANSPARENT);
    canvas.TextOut(DragIconWidth + 3, (height - extent.cy) / 2, text);
    list->SetSize(picture.Width(), height);
    // The background stays see-through.
    list->AddMasked(picture, Color());
    return list->Count() > 0 ? list->Handle() : nullptr;
}

void TDriveView::EndNodeDragImage()
{
    if (!dragImageBegun_)
        return;
    ComCtl32::ImageList_DragLeave(dragImageLock_);
    ComCtl32::ImageList_EndDrag();
    ShowCursor(FALSE);
    dragImageBegun_ = false;
    dragImageShown_ = false;
    dragImageLock_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// A drag out of the tree

void TDriveView::DDDragDetect(DWORD keyState, POINT detectStart, POINT pt, TDragDetectStatus status)
{
    if (status == ddsDrag && !dragNode_) {
        const POINT down = ScreenToClient(detectStart);
        dragNode_ = GetNodeAt(down.x, down.y);
    }
    if (OnDDDragDetect)
        OnDDDragDetect(this, keyState, detectStart, pt, status);
    if (status != ddsDrag || !dragNode_)
        return;
    // Only a press on the text or the icon before it drags the node.
    const RECT text = dragNode_->DisplayRect(true);
    const POINT down = ScreenToClient(detectStart);
    if (down.x < text.left - DragIconWidth || down.x > text.right) {
        dragNode_ = nullptr;
        return;
    }
    dragDrive_ = '\0';

    // Whatever happens during the drag, the image, the cursor count and the drag state end with it.
    struct DragEnd {
        TDriveView& view;
        ~DragEnd()
        {
            view.EndNodeDragImage();
            view.dragNode_ = nullptr;
            if (DragSourceView() == &view)
                DragSourceView() = nullptr;
        }
    } end{*this};
    if (UseDragImages)
        BeginNodeDragImage(detectStart, pt);

    const std::string path = NodePathName(dragNode_);
    const int level = dragNode_->Level();
    dragDrop_->FileList.Clear();
    dragDrop_->FileList.AddItem(nullptr, path);
    DWORD effects = dragDrop_->SourceEffects();
    // A drive root can only be linked to; nothing moves off a CD.
    if (level == 0)
        effects &= ~static_cast<DWORD>(deCopy | deMove);
    else
        effects |= deCopy | deMove;
    TDriveInfoRec rec;
    DriveInfo().GetDriveRec(UpperAscii(path[0]), rec);
    if (rec.DriveType == DRIVE_CDROM)
        effects &= ~static_cast<DWORD>(deMove);
    dragDrop_->SetSourceEffects(effects);

    const bool watched = SelectedDriveWatched();
    DragSourceView() = this;
    dragStartTime_ = Now();
    rightButton_ = false;
    const int result = dragDrop_->ExecuteDrag();

    EndNodeDragImage();
    // The drop on this tree is processed here, while the drag is still this tree's.
    Application.ProcessMessages();
    dragDrive_ = '\0';
    if (result == 1)
        SetDropTarget(nullptr);
    // Unwatched, the moved folder's node leaves once the folder is seen gone.
    if (result == 3 && level > 0 && !watched && NodeOfDrivePath(path)) {
        deleteWaitList_ = {path};
        *deleteWatch_ = TFileDeleteWatch(
            deleteWaitList_, [this](TFileDeleteThread&, const std::vector<std::string>& files) { DDFilesDeleted(files); },
            10);
    }
}

void TDriveView::DDQueryContinueDrag(BOOL escapePressed, DWORD keyState, HRESULT& result)
{
    if (OnDDQueryContinueDrag)
        OnDDQueryContinueDrag(this, escapePressed, keyState, result);
    if (escapePressed) {
        ShowDragImage(false);
        SetDropTarget(nullptr);
        return;
    }
    TForm* form = GetParentForm(this);
    if (!dragImageBegun_ || !form)
        return;
    POINT screen;
    GetCursorPos(&screen);
    const POINT onForm = form->ScreenToClient(screen);
    if (onForm.x == lastDragPos_.x && onForm.y == lastDragPos_.y)
        return;
    lastDragPos_ = onForm;
    RECT window;
    GetWindowRect(dragImageLock_, &window);
    if (PtInRect(&window, screen)) {
        ComCtl32::ImageList_DragMove(screen.x - window.left, screen.y - window.top);
        ShowDragImage(true);
    } else {
        ShowDragImage(false);
    }
}

void TDriveView::DDGiveFeedback(DWORD effect, HRESULT& result)
{
    if (OnDDGiveFeedback)
        OnDDGiveFeedback(this, effect, result);
}

// ---------------------------------------------------------------------------------------------
// A drag over the tree

void TDriveView::DDDragEnter(IDataObject* data, DWORD keyState, POINT pt, DWORD& effect, bool& accept)
{
    const TFileList& list = dragDrop_->FileList;
    dragDrive_ = '\0';
    linkExecutables_ = false;
    if (list.Count() > 0 && !list.Item(0).Name.empty()) {
        dragDrive_ = list.Item(0).Name[0];
        linkExecutables_ = (dragDrop_->OfferedEffects() & DROPEFFECT_LINK) != 0;
        for (int i = 0; i < list.Count() && linkExecutables_; ++i)
            linkExecutables_ = IsExecutableName(list.Item(i).Name);
    }
    hoverStart_ = vScrollTime_ = hScrollTime_ = Now();
    scrollCount_ = 0;
    TakeSpaceKey();
    if (OnDDDragEnter)
        OnDDDragEnter(this, data, keyState, pt, effect, accept);
}

void TDriveView::DDDragOver(DWORD keyState, POINT screenPoint, DWORD& effect)
{
    const POINT pt = ScreenToClient(screenPoint);
    if (effect != DROPEFFECT_NONE) {
        TNodeWatch node(*this, GetNodeAt(pt.x, pt.y));
        if (node.node) {
            TTreeNode* old = DropTarget();
            // The image hides while the highlight changes, unless it lies right of both texts.
            bool hide = dragImageShown_ && node.node != old;
            if (hide && old) {
                const int imageLeft = pt.x - dragHotSpot_.x;
                hide = !(imageLeft > old->DisplayRect(true).right && imageLeft > node.node->DisplayRect(true).right);
            }
            // Marked again only when it changes: Wine repaints the node at every mark, under the image.
            if (hide)
                HideDragImageFor([&] { SetDropTarget(node.node); });
            else if (node.node != old)
                SetDropTarget(node.node);

            // The rules read the effect without the component's scrolling mark, which stays.
            const DWORD scrolling = effect & DROPEFFECT_SCROLL;
            const DWORD chosen = effect & ~static_cast<DWORD>(DROPEFFECT_SCROLL);
            const bool ownBlocked = dragNode_ && (IsInside(node.node, dragNode_) || node.node == dragNode_->Parent());
            const uint64_t now = Now();
            DragOverExpand(node.node, old, now);
            if (node.node)
                DragOverScroll(node.node, pt, now);
            if (node.node) {
                const std::string target = GetDirPath(node.node);
                TTreeDropInput in;
                in.effect = chosen;
                in.keyState = keyState;
                in.offered = dragDrop_->OfferedEffects();
                in.targetDriveType = GetDriveTypeToNode(node.node);
                in.targetDrive = GetDrive(node.node);
                in.dragDrive = dragDrive_;
                in.recycleBinTarget = NodeData(node.node)->IsRecycler;
                in.namesMapped = dragDrop_->FileNamesMapped;
                in.linkExecutables = linkExecutables_;
                in.ownDragBlocked = ownBlocked;
                const TFileList& list = dragDrop_->FileList;
                for (int i = 0; i < list.Count(); ++i) {
                    in.rootSource = in.rootSource || IsDriveRoot(list.Item(i).Name);
                    in.targetInsideSource = in.targetInsideSource || PathWithin(target, list.Item(i).Name);
                }
                effect = TreeDropEffect(in);
                if (effect != DROPEFFECT_NONE)
                    effect |= scrolling;
            }
        }
        if (!node.node)
            effect = DROPEFFECT_NONE;
    }
    if (OnDDDragOver)
        OnDDDragOver(this, keyState, pt, effect);
}

void TDriveView::DragOverExpand(TTreeNode* node, TTreeNode* old, uint64_t now)
{
    TNodeWatch watched(*this, node);
    auto toggle = [&](bool expandOnly) {
        TNodeWatch top(*this, TopItem());
        HideDragImageFor([&] {
            if (!expandOnly && !watched.node->HasChildren())
                SyncExpanded(watched.node);
            if (!watched.node)
                return;
            if (watched.node->Expanded() && !expandOnly) {
                // Never the branch that holds the selection.
                if (!IsInside(Selected(), watched.node))
                    watched.node->Collapse(false);
            } else {
                watched.node->Expand(false);
            }
            if (top.node)
                SetTopItem(top.node);
            RepaintMeanwhile();
        });
    };
    if (TakeSpaceKey()) {
        hoverStart_ = now;
        toggle(false);
    } else if (!old || node != old) {
        hoverStart_ = now;
    } else if (now - hoverStart_ > HoverExpandTime) {
        toggle(true);
        hoverStart_ = now;
    }
}

void TDriveView::DragOverScroll(TTreeNode* node, POINT pt, uint64_t now)
{
    // One whole step, ended as a scroll bar ends one: nobody takes it for a scroll still going on.
    auto scroll = [&](UINT msg, WPARAM code) {
        HideDragImageFor([&] {
            SendMessageA(Handle(), msg, code, 0);
            SendMessageA(Handle(), msg, SB_ENDSCROLL, 0);
        });
    };
    const uint64_t step = scrollCount_ > 5 ? FastScrollStepTime : ScrollStepTime;
    if (now - vScrollTime_ > step) {
        const int rowHeight = std::abs(Font().Height());
        const bool up = node == TopItem();
        const bool down = !up && pt.y + 3 * rowHeight > ClientHeight();
        if (up || down) {
            scroll(WM_VSCROLL, up ? SB_LINEUP : SB_LINEDOWN);
            vScrollTime_ = now;
            ++scrollCount_;
        } else {
            scrollCount_ = 0;
        }
    }
    if (now - hScrollTime_ > ScrollStepTime) {
        hScrollTime_ = now;
        int low = 0, high = 0;
        GetScrollRange(Handle(), SB_HORZ, &low, &high);
        if (low != high) {
            const RECT text = node->DisplayRect(true);
            const int width = ClientWidth();
            if (pt.x < ScrollMargin && text.right + ScrollMargin < width)
                scroll(WM_HSCROLL, SB_LINELEFT);
            else if (pt.x > width - ScrollMargin && text.left > ScrollMargin)
                scroll(WM_HSCROLL, SB_LINERIGHT);
        }
    }
}

void TDriveView::DDDragLeave()
{
    if (DropTarget())
        HideDragImageFor([this] { SetDropTarget(nullptr); });
    if (OnDDDragLeave)
        OnDDDragLeave(this);
}

void TDriveView::DDDrop(IDataObject* data, DWORD keyState, POINT pt, DWORD& effect)
{
    ShowDragImage(false);
    if (effect == DROPEFFECT_NONE)
        SetDropTarget(nullptr);
    if (OnDDDrop)
        OnDDDrop(this, data, keyState, pt, effect);
}

// ---------------------------------------------------------------------------------------------
// The drop

void TDriveView::DDProcessDropped(TComponent*, DWORD keyState, POINT pt, DWORD effect)
{
    TTreeNode* target = DropTarget();
    if (!target)
        return;
    const std::string targetPath = NodePathName(target);
    if (IsDirectory(targetPath)) {
        // A drop this soon after our own drag began is the press that started it.
        const bool tooSoon = dragStartTime_ && Now() - *dragStartTime_ <= OwnDropGuardTime;
        if (!tooSoon) {
            if (OnDDProcessDropped)
                OnDDProcessDropped(this, keyState, pt, effect);
            DDFileOperation(targetPath, effect, NodeData(target)->IsRecycler);
            if (OnDDExecuted)
                OnDDExecuted(this, effect);
        }
    } else {
        SyncExpanded(target);
        DDError(1);
    }
    SetDropTarget(nullptr);
    dragDrop_->FileList.Clear();
}

bool TDriveView::DDFileOperation(const std::string& targetPath, DWORD effect, bool recycleBinTarget)
{
    TFileList& list = dragDrop_->FileList;
    if (list.Count() == 0)
        return false;
    // A folder that went meanwhile would become the name of what arrives.
    if (!IsDirectory(targetPath)) {
        list.Clear();
        DDError(1);
        return false;
    }
    if (effect == DROPEFFECT_COPY || effect == DROPEFFECT_MOVE) {
        bool rootSource = false;
        for (int i = 0; i < list.Count(); ++i)
            rootSource = rootSource || IsDriveRoot(list.Item(i).Name);
        // A recycle bin takes only a move; a drive root is never moved or deleted. (A paste comes
        // here without the rules of a drag; the file operator refuses a folder into itself.)
        if ((recycleBinTarget && effect != DROPEFFECT_MOVE) || (rootSource && effect == DROPEFFECT_MOVE)) {
            list.Clear();
            return false;
        }
    }
    bool done = false;

    TCursorGuard hourglass;
    TFileOperator& op = *fileOperator_;
    std::string sourceDir;
    // A file list that was dragged here and the attached one watch no changes of the operation.
    TDirView* sourceView = dynamic_cast<TDirView*>(DragSourceView());
    if (sourceView == dirView_)
        sourceView = nullptr;
    // However the operation ends, the lists are empty and the watchers run again.
    struct Restart {
        TDriveView& view;
        TFileOperator& op;
        TDirView* sourceView;
        ~Restart()
        {
            op.SourceFiles.clear();
            op.DestFiles.clear();
            Guarded([this] {
                view.StartWatchingAll();
                if (view.dirView_)
                    view.dirView_->StartWatching();
                if (sourceView)
                    sourceView->StartWatching();
            });
        }
    } restart{*this, op, sourceView};

    if (effect == DROPEFFECT_COPY || effect == DROPEFFECT_MOVE) {
        StopWatchingAll();
        if (dirView_)
            dirView_->StopWatching();
        if (sourceView)
            sourceView->StopWatching();
        const bool mapped = dragDrop_->FileNamesMapped;
        for (int i = 0; i < list.Count(); ++i) {
            op.SourceFiles.push_back(list.Item(i).Name);
            if (mapped)
                op.DestFiles.push_back(AddBackslash(targetPath) + list.Item(i).MappedName);
        }
        const std::string sourcePath = list.Item(0).Name;
        sourceDir = ExtractFilePath(RemoveBackslash(sourcePath));
        list.Clear();
        TFileOperationFlags flags = foAllowUndo | foNoConfirmMkDir;
        if (mapped && !recycleBinTarget) {
            flags |= foMultiDestFiles;
        } else {
            op.DestFiles.clear();
            op.DestFiles.push_back(targetPath);
        }
        // foAllowUndo makes the shell's delete one into the recycle bin.
        op.SetOperation(recycleBinTarget ? foDelete : effect == DROPEFFECT_COPY ? foCopy : foMove);
        if (recycleBinTarget ? !ConfirmDelete : !ConfirmOverwrite)
            flags |= foNoConfirmation;
        op.SetFlags(flags);
        bool doOperation = true;
        if (OnDDFileOperation)
            OnDDFileOperation(this, effect, sourcePath, targetPath, doOperation);
        if (doOperation && !op.SourceFiles.empty()) {
            done = op.Execute();
            if (OnDDFileOperationExecuted)
                OnDDFileOperationExecuted(this, effect, sourcePath, targetPath);
        }
    } else if (effect == DROPEFFECT_LINK) {
        // Names taken first: an error without OnDDError ends the loop, and the list with it.
        std::vector<std::string> names;
        for (int i = 0; i < list.Count(); ++i)
            names.push_back(list.Item(i).Name);
        done = true;
        for (const std::string& name : names)
            if (!CreateShellLink(name, AddBackslash(targetPath) + ShellLinkBaseName(name) + ".lnk",
                                 ExtractFileNameNoExt(name))) {
                done = false;
                DDError(0);
            }
    }

    {
        std::optional<TUpdateHold> update;
        if (effect == DROPEFFECT_MOVE)
            update.emplace(Items());
        // Moved or deleted folders leave the tree; a source elsewhere has no node.
        if (effect == DROPEFFECT_MOVE || recycleBinTarget)
            SyncExpanded(NodeOfDrivePath(sourceDir));
        TTreeNode* targetNode = NodeOfDrivePath(targetPath);
        if (!targetNode && targetPath.size() >= 2 && targetPath[1] == ':')
            targetNode = SlotOf(targetPath[0]).root;
        SyncExpanded(targetNode);
    }
    ReloadFileView(targetPath, sourceDir, effect);
    // Moved files leave the list they were dragged from at once.
    if (effect == DROPEFFECT_MOVE)
        if (auto* source = dynamic_cast<TDirView*>(DragSourceView()))
            source->RemoveVanishedSelected();
    return done;
}

void TDriveView::ReloadFileView(const std::string& targetPath, const std::string& sourceDir, DWORD effect)
{
    if (!dirView_ || dirView_->WatchingActive())
        return;
    const std::string shown = AddBackslash(dirView_->Path());
    const bool atTarget = AddBackslash(targetPath) == shown;
    if (effect == DROPEFFECT_MOVE) {
        if ((atTarget || AddBackslash(sourceDir) == shown) && DragSourceView() != dirView_)
            dirView_->Reload(true);
    } else if (atTarget) {
        dirView_->Reload(true);
    }
}

void TDriveView::DDError(int errorNo)
{
    if (OnDDError) {
        OnDDError(this, errorNo);
        return;
    }
    throw EDragDrop("DragDrop Error: " + std::to_string(errorNo));
}

void TDriveView::DDFilesDeleted(const std::vector<std::string>& files)
{
    if (!files.empty())
        SyncExpanded(NodeOfDrivePath(files[0]));
}
