// The drive tree's core: node data, drive roots, paths, reading and synchronising folders,
// selection and the processing of a new selection.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "DriveView.h"

#include "BaseUtils.h"
#include "DirView.h"
#include "DiscMon.h"
#include "DragDropFilesEx.h"
#include "DragImageHold.h"
#include "ExtCtrls.h"
#include "FileChanges.h"
#include "FileOperator.h"
#include "Forms.h"
#include "KtDriveInfo.h"
#include "LateLibrary.h"
#include "SysUtils.h"

#include <algorithm>
#include <optional>
#include <type_traits>
#include <unordered_set>

namespace {

// A whole-drive read goes no deeper: links can make a folder tree endless.
constexpr int MaxScanDepth = 32;

// Only a..z: the paths compared are the file system's, not the user's language.
char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string AsciiUpper(std::string s)
{
    for (char& c : s)
        c = AsciiUpper(c);
    return s;
}

bool AsciiLess(const std::string& a, const std::string& b)
{
    return AsciiUpper(a) < AsciiUpper(b);
}

bool IsDriveLetter(char c)
{
    c = AsciiUpper(c);
    return c >= 'A' && c <= 'Z';
}

std::string RootPath(char drive)
{
    return std::string(1, drive) + ":\\";
}

// The path of the parent folder with its trailing backslash; "" above a root.
std::string ParentPath(const std::string& path)
{
    const std::string trimmed = RemoveBackslash(path);
    const auto slash = trimmed.rfind('\\');
    return slash == std::string::npos ? std::string() : trimmed.substr(0, slash + 1);
}

bool IsSubFolder(const TFoundEntry& found)
{
    return (found.Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The system list's images of a closed and an open folder.
std::pair<int, int> StandardFolderImages()
{
    static const std::pair<int, int> images = [] {
        SHFILEINFOA closed = {}, open = {};
        const UINT flags = SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
        Shell32::SHGetFileInfoA("Ordner", FILE_ATTRIBUTE_DIRECTORY, &closed, sizeof closed, flags);
        Shell32::SHGetFileInfoA("Ordner", FILE_ATTRIBUTE_DIRECTORY, &open, sizeof open, flags | SHGFI_OPENICON);
        return std::make_pair(closed.iIcon, open.iIcon);
    }();
    return images;
}

// `flags`: SHGFI_OPENICON for the list the shell gives with the open folders' images.
HIMAGELIST SystemSmallImages(UINT flags = 0)
{
    SHFILEINFOA info = {};
    return reinterpret_cast<HIMAGELIST>(
        Shell32::SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | flags));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction

TDriveView::TDriveView(TComponent* owner)
    : TTreeView(owner), dragImages_(std::make_unique<TDragImageHold>()),
      fileOperator_(std::make_unique<TFileOperator>()), dragDrop_(std::make_unique<TDragDropFilesEx>(nullptr)),
      deleteWatch_(std::make_unique<TFileDeleteWatch>())
{
    for (char drive = 'A'; drive <= 'Z'; ++drive) {
        auto timer = std::make_unique<TTimer>();
        timer->SetEnabled(false);
        timer->SetInterval(0);
        timer->SetTag(drive);
        timer->OnTimer = [this, drive](TComponent*) { ChangeTimerFired(drive); };
        SlotOf(drive).timer = std::move(timer);
    }
    // Folders are renamed in place.
    SetReadOnly(false);
    fileOperator_->SetProgressTitle("Filesystem Operation");
    fileOperator_->SetFlags(foAllowUndo | foNoConfirmMkDir);

    TDragDropFilesEx& dd = *dragDrop_;
    dd.AcceptOwnDnD = true;
    dd.AutoDetectDnD = false;
    dd.BringToFront = true;
    dd.CompleteFileList = true;
    dd.NeedValid = nvFilename;
    dd.RenderDataOn = rdoEnterAndDropSync;
    dd.TargetPopUpMenu = targetPopUpMenu_;
    dd.SetSourceEffects(deCopy | deMove | deLink);
    dd.SetTargetEffects(deCopy | deMove | deLink);
    dd.OnDragDetect = [this](DWORD keys, POINT start, POINT pt, TDragDetectStatus status) {
        DDDragDetect(keys, start, pt, status);
    };
    dd.OnDragEnter = [this](IDataObject* data, DWORD keys, POINT pt, DWORD& effect, bool& accept) {
        DDDragEnter(data, keys, pt, effect, accept);
    };
    dd.OnDragOver = [this](DWORD keys, POINT pt, DWORD& effect) { DDDragOver(keys, pt, effect); };
    dd.OnDragLeave = [this] { DDDragLeave(); };
    dd.OnDrop = [this](IDataObject* data, DWORD keys, POINT pt, DWORD& effect) { DDDrop(data, keys, pt, effect); };
    dd.OnQueryContinueDrag = [this](BOOL escape, DWORD keys, HRESULT& result) {
        DDQueryContinueDrag(escape, keys, result);
    };
    dd.OnGiveFeedback = [this](DWORD effect, HRESULT& result) { DDGiveFeedback(effect, result); };
    dd.OnProcessDropped = [this](TComponent* sender, DWORD keys, POINT pt, DWORD effect) {
        DDProcessDropped(sender, keys, pt, effect);
    };
}

TDriveView::~TDriveView()
{
    deleteWatch_->Cancel();
    // Revoked while the window still exists.
    dragDrop_.reset();
    SetDirView(nullptr);
    for (Slot& slot : slots_) {
        slot.watcher.reset();
        slot.timer.reset();
    }
    // The nodes' data go with the nodes, while this is still a drive view; the nodes going with
    // the view are no news to a handler.
    OnDeletion = nullptr;
    Items().Clear();
}

TDriveView::Slot& TDriveView::SlotOf(char drive)
{
    return const_cast<Slot&>(static_cast<const TDriveView*>(this)->SlotOf(drive));
}

const TDriveView::Slot& TDriveView::SlotOf(char drive) const
{
    if (!IsDriveLetter(drive))
        throw EConvertError(std::string(1, drive) + " is a invalid drive letter.");
    return slots_[static_cast<size_t>(AsciiUpper(drive) - 'A')];
}

void TDriveView::CreateWnd()
{
    TTreeView::CreateWnd();
    if (!HandleAllocated())
        return;
    // The shell's own lists, which the window shares and never destroys.
    if (!Images())
        if (HIMAGELIST system = SystemSmallImages())
            SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(system));
    if (!StateImages())
        if (HIMAGELIST open = SystemSmallImages(SHGFI_OPENICON))
            SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(open));
    if (loading_)
        Loaded();
    else
        BindDragDrop();
}

void TDriveView::Loaded()
{
    UpdateDriveRoots(false, 8 | 4);
    loading_ = false;
    if (!pendingDirectory_.empty())
        SetDirectory(pendingDirectory_);
    BindDragDrop();
}

void TDriveView::SetDirView(TDirView* view)
{
    if (view == dirView_)
        return;
    if (dirView_) {
        dirView_->SetDriveView(nullptr);
        dirView_->RemoveFreeNotification(this);
    }
    dirView_ = view;
    if (dirView_) {
        dirView_->SetDriveView(this);
        dirView_->FreeNotification(this);
    }
}

void TDriveView::Notification(TComponent* component, TOperation operation)
{
    TTreeView::Notification(component, operation);
    if (operation == opRemove && component == dirView_)
        dirView_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Nodes and paths

TNodeData* TDriveView::NodeData(const TTreeNode* node)
{
    return node ? static_cast<TNodeData*>(node->Data()) : nullptr;
}

TNodeData& TDriveView::DataOf(const TTreeNode* node, const char* operation) const
{
    TNodeData* data = NodeData(node);
    if (!data)
        throw ENodeNotAssigned(std::string(operation) + ": Node not assigned");
    return *data;
}

std::string TDriveView::GetDirPath(const TTreeNode* node) const
{
    if (!node)
        throw ENodeNotAssigned("GetDirPath: Node not assigned");
    std::string path = NodeDirName(node);
    for (const TTreeNode* p = node->Parent(); p; p = p->Parent())
        path = p->Parent() ? NodeDirName(p) + "\\" + path : NodeDirName(p) + path;
    return path.size() == 3 ? path.substr(0, 2) : path;
}

std::string TDriveView::NodePathName(const TTreeNode* node) const
{
    std::string path = GetDirPath(node);
    return path.size() == 2 ? path + "\\" : path;
}

std::string TDriveView::NodeDirName(const TTreeNode* node) const
{
    const TNodeData* data = NodeData(node);
    return data ? data->DirName : std::string();
}

char TDriveView::GetDrive(const TTreeNode* node) const
{
    DataOf(node, "GetDrive");
    while (node->Parent())
        node = node->Parent();
    const std::string root = NodeDirName(node);
    return root.empty() ? '\0' : AsciiUpper(root[0]);
}

TTreeNode* TDriveView::RootNode(TTreeNode* node) const
{
    if (!node)
        throw ENodeNotAssigned("RootNode: Node not assigned");
    while (node->Parent())
        node = node->Parent();
    return node;
}

DWORD TDriveView::NodeAttr(const TTreeNode* node) const
{
    return DataOf(node, "NodeAttr").Attr;
}

bool TDriveView::NodeVerified(const TTreeNode* node) const
{
    return DataOf(node, "NodeVerified").Scanned;
}

UINT TDriveView::GetDriveTypeToNode(const TTreeNode* node) const
{
    if (!node)
        throw ENodeNotAssigned("GetDriveTypeToNode: Node not assigned");
    TDriveInfoRec rec;
    DriveInfo().GetDriveRec(GetDrive(node), rec);
    return rec.DriveType;
}

bool TDriveView::NodeModifiable(const TTreeNode* node) const
{
    return NodeData(node) && node->Parent() && GetDriveTypeToNode(node) != DRIVE_CDROM;
}

TTreeNode* TDriveView::NodeOfPath(const std::string& path)
{
    if (path.size() < 3)
        return nullptr;
    if (!IsDriveLetter(path[0]))
        throw EConvertError(std::string(1, path[0]) + " is a invalid drive letter.");
    TNodeWatch node(*this, SlotOf(path[0]).root);
    // Case as the file system ignores it: "Bär" and "BÄR" are one name.
    std::string rest = AnsiUpperCase(path.substr(3));
    while (node.node && !rest.empty()) {
        const auto slash = rest.find('\\');
        const std::string component = rest.substr(0, slash);
        rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
        if (!node.node->GetFirstChild())
            SyncExpanded(node.node);
        if (!node.node)
            return nullptr;
        TTreeNode* match = nullptr;
        for (int i = 0; i < node.node->Count() && !match; ++i) {
            TTreeNode* child = node.node->Item(i);
            const TNodeData* data = NodeData(child);
            if (data && (AnsiUpperCase(data->DirName) == component || AnsiUpperCase(data->ShortName) == component))
                match = child;
        }
        node.node = match;
    }
    return node.node;
}

TTreeNode* TDriveView::NodeOfDrivePath(const std::string& path)
{
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' ? NodeOfPath(path) : nullptr;
}

TDriveSlot TDriveView::DriveSlotOf(char drive) const
{
    const Slot& slot = SlotOf(drive);
    return {slot.scanned, slot.fullScan, slot.root, slot.watcher.get(), slot.timer.get()};
}

TTreeNode* TDriveView::AddSubDirNode(TTreeNode* parent, const TFoundEntry& found)
{
    auto data = std::make_unique<TNodeData>();
    data->Attr = found.Data.dwFileAttributes;
    data->DirName = found.Data.cFileName;
    data->DisplayName = found.DisplayName;
    data->ShortName = std::string(found.Data.cAlternateFileName).substr(0, 12);
    const std::string upper = AsciiUpper(data->DirName);
    data->IsRecycler = (found.Data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) && !parent->Parent() &&
                       (upper == "RECYCLED" || upper == "RECYCLER");
    TTreeNode* node = Items().AddChild(parent, data->DisplayName);
    node->SetData(data.release());
    node->SetImageIndex(TTreeNode::ImageOnRequest);
    if (showDirSize_)
        node->SetText(GetDisplayName(node));
    ++nodesRead_;
    return node;
}

bool TDriveView::MayScanDir(TTreeNode* node)
{
    bool doScanDir = !DataOf(node, "MayScanDir").IsRecycler;
    if (OnScanDir)
        OnScanDir(this, node, doScanDir);
    return doScanDir;
}

// ---------------------------------------------------------------------------------------------
// Drive roots and loading

void TDriveView::UpdateDriveRoots(bool rescanChanged, unsigned parts)
{
    if (scanning_)
        return;
    TCursorGuard hourglass;
    for (char drive = (parts & 8) ? 'A' : 'C'; drive <= 'Z'; ++drive) {
        Slot& slot = SlotOf(drive);
        TDriveInfoRec rec;
        DriveInfo().GetDriveRec(drive, rec);
        const bool hadRoot = rec.Valid && slot.root;
        const DWORD oldSerial = rec.DriveSerial;
        uint8_t read = static_cast<uint8_t>(parts & 7);
        if (!(parts & 16) && !rec.DisplayName.empty())
            read &= static_cast<uint8_t>(~drNames);
        DriveInfo().ReadDriveStatus(drive, read);
        DriveInfo().GetDriveRec(drive, rec);

        if (!rec.Valid && hadRoot) {
            const std::string directory = Directory();
            if (!directory.empty() && AsciiUpper(directory[0]) == drive) {
                // The selection leaves the drive: to the drive before, or else to C:.
                TTreeNode* previous = slot.root->GetPrevSibling();
                SetDirectory(previous ? NodePathName(previous) : RootPath('C'));
            }
            slot.scanned = slot.fullScan = false;
            Items().Delete(slot.root);
            slot.root = nullptr;
        } else if (rec.Valid && hadRoot) {
            if (rec.ImageIndex != 0 && rec.ImageIndex != slot.root->ImageIndex()) {
                slot.root->SetImageIndex(rec.ImageIndex);
                slot.root->SetSelectedIndex(rec.ImageIndex);
            }
        } else if (rec.Valid) {
            auto data = std::make_unique<TNodeData>();
            data->DirName = data->DisplayName = data->ShortName = RootPath(drive);
            TTreeNode* next = nullptr;
            for (char later = static_cast<char>(drive + 1); later <= 'Z' && !next && !loading_; ++later)
                next = SlotOf(later).root;
            TTreeNode* root = Items().Insert(next, "");
            root->SetData(data.release());
            root->SetImageIndex(rec.ImageIndex != 0 ? rec.ImageIndex : TTreeNode::ImageOnRequest);
            slot.root = root;
            root->SetText(GetDisplayName(root));
            root->SetHasChildren(true);
            slot.scanned = slot.fullScan = false;
        }
        if (rec.Valid && drive >= 'C' && rescanChanged && rec.DriveSerial != oldSerial)
            LoadDrive(drive);
        if (slot.root) {
            const std::string caption = GetDisplayName(slot.root);
            if (slot.root->Text() != caption)
                slot.root->SetText(caption);
        }
    }
}

void TDriveView::LoadDrive(char drive)
{
    Slot& slot = SlotOf(drive);
    DWORD rootAttributes = GetFileAttributesA(RootPath(drive).c_str());
    // A drive whose root is a link (Wine's Z: is the host's root) is never read whole.
    const bool linkedRoot = rootAttributes != INVALID_FILE_ATTRIBUTES && (rootAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    if (!fullDriveScan_ || linkedRoot) {
        SyncExpanded(NodeOfPath(RootPath(drive)));
        slot.scanned = true;
        slot.fullScan = false;
        return;
    }
    TCursorGuard hourglass;
    TTreeNode* root = slot.root;
    {
        TUpdateHold update(Items());
        std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> animation(nullptr, &DestroyWindow);
        if (showAnimation_ && HandleAllocated()) {
            animation.reset(CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | ACS_CENTER | ACS_TRANSPARENT, 0, 0, 80,
                                            50, Handle(), nullptr, nullptr, nullptr));
            // The shell's "find folder" animation.
            SendMessageA(animation.get(), ACM_OPENA, reinterpret_cast<WPARAM>(Shell32::Library().Module()),
                         reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(150)));
            SetWindowPos(animation.get(), HWND_TOP, ((ClientWidth() - 80) * 2) / 3, (ClientHeight() - 50) / 2, 0, 0,
                         SWP_NOSIZE | SWP_SHOWWINDOW);
            SendMessageA(animation.get(), ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF));
        }
        if (OnStartScan)
            OnStartScan(this);
        if (root) {
            TScanScope busy(*this);
            while (root->GetFirstChild())
                Items().Delete(root->Item(root->Count() - 1));
            ReadDriveTree(RootPath(drive), root, 0);
            NodeData(root)->Scanned = true;
            slot.scanned = slot.fullScan = true;
        }
        AlphaSort();
    }
    if (root) {
        root->Expand(false);
        if (OnEndScan)
            OnEndScan(this);
    }
}

void TDriveView::ReadDriveTree(const std::string& folder, TTreeNode* parent, int depth)
{
    if (!MayScanDir(parent))
        return;
    const int before = nodesRead_;
    for (const TFoundEntry& found : FindExactEntries(folder)) {
        if (!IsSubFolder(found) || (found.Data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        TTreeNode* node = AddSubDirNode(parent, found);
        NodeData(node)->Scanned = true;
        if (depth < MaxScanDepth)
            ReadDriveTree(folder + found.Data.cFileName + "\\", node, depth + 1);
    }
    // Every tenth node or so the screen follows.
    if (nodesRead_ / 10 != before / 10)
        RepaintMeanwhile();
}

void TDriveView::RepaintMeanwhile()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&msg);
}

void TDriveView::ClearNodeChildren(TTreeNode* node)
{
    if (!node || scanning_)
        return;
    while (node->GetFirstChild())
        Items().Delete(node->Item(node->Count() - 1));
    if (!node->Parent())
        SlotOf(GetDrive(node)).scanned = false;
    node->SetHasChildren(false);
}

// ---------------------------------------------------------------------------------------------
// Synchronising

void TDriveView::SyncNode(TTreeNode* node, int depth)
{
    if (!NodeData(node) || syncing_ || scanning_ || !MayScanDir(node))
        return;
    const std::string remembered = Directory();
    std::optional<TCursorGuard> hourglass;
    if (Focused())
        hourglass.emplace();
    if (!node->Parent())
        SlotOf(GetDrive(node)).timer->SetEnabled(false);
    bool restartWatching = false;
    if (TTreeNode* selected = Selected(); selected && DriveWatched(selected)) {
        SlotOf(GetDrive(selected)).watcher->Stop();
        restartWatching = true;
    }
    syncing_ = true;
    changeSeen_ = false;
    const bool buttonUp = buttonUp_;
    buttonUp_ = true;
    TNodeWatch start(*this, node);
    bool added = false;
    try {
        WalkSubtree(node, depth, true, [&](TTreeNode*& n) { return SyncStep(n, node, added); });
    } catch (...) {
        // A handler's exception must not leave every later sync refused and the drive unwatched.
        syncing_ = false;
        buttonUp_ = buttonUp;
        if (restartWatching && watchDirectory_ && !SelectedDriveWatched())
            Guarded([this] { StartWatchingSelected(); });
        throw;
    }
    syncing_ = false;

    if (!Selected() && !remembered.empty())
        SetDirectory(remembered.substr(0, 3));
    if (Directory() != remembered && !changeSeen_ && Selected())
        Change(Selected());
    buttonUp_ = buttonUp;
    if (added && start.node && start.node->HasChildren())
        SortChildren(start.node, true);
    if (restartWatching && watchDirectory_ && !SelectedDriveWatched())
        StartWatchingSelected();
}

bool TDriveView::WalkSubtree(TTreeNode* node, int depth, bool includeStart, const TSyncStep& step)
{
    TNodeWatch start(*this, node);
    if (includeStart) {
        TTreeNode* stepped = start.node;
        step(stepped);
    }
    if (!start.node)
        return true;
    for (int i = 0; start.node && i < start.node->Count();) {
        TNodeWatch child(*this, start.node->Item(i));
        const bool hadChildren = child.node->HasChildren();
        TTreeNode* stepped = child.node;
        if (!step(stepped))
            return false;
        if (!child.node)
            continue;   // the next sibling moved into its place
        const bool descend = depth == 1 || (depth == 3 && child.node->Expanded()) || (depth == 2 && hadChildren);
        if (descend && !WalkSubtree(child.node, depth, false, step))
            return false;
        ++i;
    }
    return true;
}

bool TDriveView::SyncStep(TTreeNode*& node, const TTreeNode* start, bool& added)
{
    if (node == start && node->Parent() && !IsDirectory(NodePathName(node))) {
        if (node->Selected())
            SetSelectedNode(node->Parent());
        if (DropTarget() == node)
            SetDropTarget(nullptr);
        Items().Delete(node);
        node = nullptr;
        return true;
    }
    const std::string folder = AddBackslash(GetDirPath(node));
    if (!node->GetFirstChild()) {
        if (MayScanDir(node))
            for (const TFoundEntry& found : FindExactEntries(folder))
                if (IsSubFolder(found)) {
                    AddSubDirNode(node, found);
                    added = true;
                }
    } else {
        CompareWithDisk(node, folder, added);
    }
    if (node == start)
        NodeData(node)->Scanned = true;
    return true;
}

void TDriveView::CompareWithDisk(TTreeNode* node, const std::string& folder, bool& added)
{
    std::vector<TFoundEntry> onDisk;
    for (const TFoundEntry& found : FindExactEntries(folder))
        if (IsSubFolder(found))
            onDisk.push_back(found);
    std::unordered_set<std::string> known;
    for (int i = 0; i < node->Count(); ++i)
        if (const TNodeData* data = NodeData(node->Item(i)))
            known.insert(data->DirName);
    for (const TFoundEntry& found : onDisk)
        if (!known.count(found.Data.cFileName)) {
            AddSubDirNode(node, found);
            added = true;
        }

    // Each name on disk keeps one node; a node whose name differs only in case takes the disk's.
    struct Listed {
        std::string name;
        std::string display;
        std::string alias;
        bool taken;
    };
    std::vector<Listed> names;
    for (const TFoundEntry& found : onDisk)
        names.push_back({found.Data.cFileName, found.DisplayName, found.Data.cAlternateFileName, false});
    std::stable_sort(names.begin(), names.end(), [](const Listed& a, const Listed& b) { return AsciiLess(a.name, b.name); });
    for (int i = 0; i < node->Count();) {
        TTreeNode* child = node->Item(i);
        TNodeData* data = NodeData(child);
        Listed* listed = nullptr;
        if (data) {
            auto range = std::equal_range(names.begin(), names.end(), Listed{data->DirName, "", "", false},
                                          [](const Listed& a, const Listed& b) { return AsciiLess(a.name, b.name); });
            for (auto it = range.first; it != range.second && !listed; ++it)
                if (!it->taken && it->name == data->DirName)
                    listed = &*it;
            for (auto it = range.first; it != range.second && !listed; ++it)
                if (!it->taken)
                    listed = &*it;
        }
        if (!listed) {
            Items().Delete(child);
            continue;
        }
        listed->taken = true;
        if (listed->name != data->DirName || listed->display != data->DisplayName) {
            data->DirName = listed->name;
            data->DisplayName = listed->display;
            data->ShortName = listed->alias.substr(0, 12);
            child->SetText(GetDisplayName(child));
        }
        ++i;
    }
}

void TDriveView::EnsureChildrenRead(TTreeNode* node)
{
    if (!NodeVerified(node))
        SyncExpanded(node);
}

bool TDriveView::SortChildren(TTreeNode* node, bool recurse)
{
    if (!node)
        throw ENodeNotAssigned("SortChildren: Node not assigned");
    node->AlphaSort(recurse);
    return true;
}

void TDriveView::ExpandLevel(TTreeNode* node, int level)
{
    DataOf(node, "ExpandLevel");
    TUpdateHold update(Items());
    std::function<void(TTreeNode*)> walk = [&](TTreeNode* n) {
        if (!n)
            throw ENodeNotAssigned("CallBackExpandLevel: Node not assigned");
        if (n->Level() <= level && !n->Expanded())
            n->Expand(false);
        else if (n->Level() > level && n->Expanded())
            n->Collapse(true);
        for (int i = 0; i < n->Count(); ++i)
            walk(n->Item(i));
    };
    walk(node);
}

void TDriveView::ScrollNodeToMiddle(TTreeNode* node)
{
    if (!node || !HandleAllocated())
        return;
    node->MakeVisible();
    const int height = ClientHeight();
    // One row at a time, until the node lies in the middle third or the rows run out.
    for (;;) {
        const RECT row = node->DisplayRect(false);
        TTreeNode* top = TopItem();
        if (!top)
            return;
        TTreeNode* next = nullptr;
        if (row.top < height / 3)
            next = top->GetPrevVisible();
        else if (row.top > height * 2 / 3)
            next = top->GetNextVisible();
        if (!next)
            return;
        SetTopItem(next);
        if (TopItem() == top)
            return;
    }
}

// ---------------------------------------------------------------------------------------------
// Directory, selection and change processing

std::string TDriveView::Directory() const
{
    TTreeNode* selected = Selected();
    return selected ? NodePathName(selected) : std::string();
}

void TDriveView::SetDirectory(const std::string& path)
{
    // A path that begins with no drive letter is refused as every lookup refuses it; a network
    // path names no drive of the tree and selects nothing.
    const bool networkPath = path.compare(0, 2, "\\\\") == 0;
    if (path.size() >= 3 && !IsDriveLetter(path[0]) && !networkPath)
        throw EConvertError(std::string(1, path[0]) + " is a invalid drive letter.");
    pendingDirectory_ = path;
    if (loading_ || networkPath || path.size() < 2 || path[1] != ':')
        return;
    std::string tried = path;
    TTreeNode* node = NodeOfPath(tried);
    while (!node && tried.size() >= 3) {
        tried = ParentPath(tried);
        node = NodeOfPath(tried);
    }
    if (!node)
        return;
    buttonUp_ = true;
    SetSelectedNode(node);
    TTreeNode* selected = Selected();
    if (selected && !selected->Parent() && !SlotOf(GetDrive(selected)).scanned)
        LoadDrive(GetDrive(selected));
    // Reading the drive may have pushed the node out of sight.
    if (TTreeNode* shown = Selected(); shown && HandleAllocated()) {
        shown->MakeVisible();
        ScrollToLeftEdge();
    }
}

void TDriveView::ScrollToLeftEdge()
{
    // Wine scrolls a node it shows, or whose text it edits, sideways out to its branch lines: the
    // drive roots would lose their icons and every name its start.
    if (!HandleAllocated() || GetScrollPos(Handle(), SB_HORZ) == 0)
        return;
    SendMessageA(Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    SendMessageA(Handle(), WM_HSCROLL, SB_ENDSCROLL, 0);
}

void TDriveView::SetSelectedNode(TTreeNode* node)
{
    if (Selected() == node)
        return;
    changeSeen_ = false;
    buttonUp_ = true;
    SetSelected(node);
    if (!changeSeen_ && node && Selected() == node)
        Change(node);
}

bool TDriveView::CanChange(TTreeNode* node)
{
    if (dragSelecting_)
        return true;
    if (scanning_)
        return false;
    if (!buttonUp_ && NodeData(node) && NodeData(Selected())) {
        // The change waits for the button's release; until then the node only looks chosen.
        SetDropTarget(node);
        selectionDeferred_ = true;
        return false;
    }
    // Asked once, when the change would happen now (OnChanging).
    if (!TTreeView::CanChange(node))
        return false;
    if (DropTarget())
        SetDropTarget(nullptr);
    return true;
}

void TDriveView::ButtonReleased()
{
    buttonUp_ = true;
    if (!selectionDeferred_)
        return;
    selectionDeferred_ = false;
    TTreeNode* target = DropTarget();
    SetDropTarget(nullptr);
    if (NodeData(target))
        SetSelectedNode(target);
}

void TDriveView::Change(TTreeNode* node)
{
    changeSeen_ = true;
    // The selection only steps aside while a drag image is made.
    if (dragSelecting_)
        return;
    // Nothing selected (the selection's branch went): only the event.
    if (node && !ProcessChange(node))
        return;
    TTreeView::Change(node);
}

bool TDriveView::ProcessChange(TTreeNode* node)
{
    const std::string newPath = GetDirPath(node);
    if (newPath == lastPath_)
        return true;
    const char newDrive = AsciiUpper(newPath[0]);
    const char oldDrive = lastPath_.empty() ? '\0' : AsciiUpper(lastPath_[0]);
    TDriveInfoRec rec;
    DriveInfo().GetDriveRec(newDrive, rec);
    const DWORD oldSerial = rec.DriveSerial;
    DriveInfo().ReadDriveStatus(newDrive, drIcon | drSize);
    DriveInfo().GetDriveRec(newDrive, rec);
    if (dirView_ && dirView_->Path() != newPath)
        dirView_->SetPath(newPath);

    TNodeWatch selected(*this, node);
    if (rec.DriveReady) {
        if (newDrive != oldDrive) {
            if (oldDrive == 'A' || oldDrive == 'B')
                DropWatcher(oldDrive);
            if (rec.DriveSerial != oldSerial)
                LoadDrive(newDrive);
            if (OnDiskChange)
                OnDiskChange(this, newDrive);
        } else if (!IsDirectory(newPath)) {
            SyncExpanded(SlotOf(newDrive).root);
            // The sync chose another node, whose own change has run.
            if (!selected.node || Directory() != NodePathName(selected.node))
                return false;
        }
        StartWatchingSelected();
    } else {
        TTreeNode* root = SlotOf(newDrive).root;
        if (root && node != root) {
            // The medium went: the drive's folders go, the selection to its root.
            SetSelectedNode(root);
            return false;
        }
        if (root)
            while (root->GetFirstChild())
                Items().Delete(root->Item(root->Count() - 1));
        if (newDrive != oldDrive && OnDiskChange)
            OnDiskChange(this, newDrive);
    }
    if (!selected.node)
        return false;
    lastPath_ = newPath;
    return true;
}

bool TDriveView::CanExpand(TTreeNode* node)
{
    // A branch the handler keeps shut (OnExpanding) is not read either.
    if (scanning_ || !TTreeView::CanExpand(node))
        return false;
    if (!node->HasChildren() || !NodeData(node))
        return true;
    const char drive = GetDrive(node);
    if (!node->Parent() && drive >= 'C' && !SlotOf(drive).scanned) {
        if (node->GetFirstChild())
            return true;
        LoadDrive(drive);
        const bool has = node->GetFirstChild() != nullptr;
        node->SetHasChildren(has);
        if (!SlotOf(drive).watcher)
            CreateWatcher(drive);
        return has;
    }
    node->SetHasChildren(node->GetFirstChild() != nullptr);
    EnsureChildrenRead(node);
    return true;
}

bool TDriveView::CanEdit(TTreeNode* node)
{
    const TNodeData* data = NodeData(node);
    return TTreeView::CanEdit(node) && data && node->Parent() && !data->IsRecycler && !ReadOnly() &&
           !DragRunning() &&
           !(data->Attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)) &&
           GetDriveTypeToNode(node) != DRIVE_CDROM && node->Text() == data->DisplayName;
}

void TDriveView::Deletion(TTreeNode* node)
{
    if (node == dragNode_)
        dragNode_ = nullptr;
    for (TTreeNode** watched : watchedNodes_)
        if (*watched == node)
            *watched = nullptr;
    if (HandleAllocated() && DropTarget() == node) {
        SetDropTarget(nullptr);
        // Painted now; queued input would run into a sync or scan that is deleting nodes.
        Update();
    }
    if (!node->Parent())
        for (Slot& slot : slots_)
            if (slot.root == node)
                slot.root = nullptr;
    // Detached before the handler hears of it (OnDeletion), freed after.
    std::unique_ptr<TNodeData> data(NodeData(node));
    node->SetData(nullptr);
    TTreeView::Deletion(node);
}

void TDriveView::GetImageIndex(TTreeNode* node)
{
    const TNodeData* data = NodeData(node);
    if (!data) {
        TTreeView::GetImageIndex(node);
        return;
    }
    const char drive = GetDrive(node);
    if (!node->Parent()) {
        TDriveInfoRec rec;
        DriveInfo().GetDriveRec(drive, rec);
        if (rec.ImageIndex == 0) {
            DriveInfo().ReadDriveStatus(drive, drIcon);
            DriveInfo().GetDriveRec(drive, rec);
        }
        node->SetImageIndex(rec.ImageIndex);
        node->SetSelectedIndex(rec.ImageIndex);
        TTreeView::GetImageIndex(node);
        return;
    }
    auto [closed, open] = StandardFolderImages();
    if (GetDriveTypeToNode(node) != DRIVE_REMOTE) {
        // Network folders never ask the shell: that could wait on the network.
        const std::string path = NodePathName(node);
        HIMAGELIST system = SystemSmallImages();
        SHFILEINFOA info = {};
        Shell32::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        if (info.iIcon >= 1 && system && info.iIcon < ComCtl32::ImageList_GetImageCount(system)) {
            closed = info.iIcon;
            SHFILEINFOA openInfo = {};
            Shell32::SHGetFileInfoA(path.c_str(), 0, &openInfo, sizeof openInfo,
                                    SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
            open = openInfo.iIcon;
        }
    }
    node->SetImageIndex(closed);
    node->SetSelectedIndex(open);
    // The handler (OnGetImageIndex) may choose others.
    TTreeView::GetImageIndex(node);
}

// ---------------------------------------------------------------------------------------------
// Mouse and keys

LRESULT TDriveView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_LBUTTONDOWN: {
        buttonUp_ = false;
        GetCursorPos(&mouseDownPoint_);
        const LRESULT result = TTreeView::WndProc(msg, wParam, lParam);
        // The control may have waited for the release itself, taking it from the queue.
        if (!(GetKeyState(VK_LBUTTON) & 0x8000))
            ButtonReleased();
        return result;
    }
    case WM_LBUTTONUP: {
        const LRESULT result = TTreeView::WndProc(msg, wParam, lParam);
        ButtonReleased();
        return result;
    }
    case WM_RBUTTONDOWN: {
        GetCursorPos(&mouseDownPoint_);
        rightButton_ = !DragRunning();
        const LRESULT result = TTreeView::WndProc(msg, wParam, lParam);
        // The control waits for the release itself and takes it from the queue.
        if (!(GetKeyState(VK_RBUTTON) & 0x8000))
            RightButtonReleased();
        return result;
    }
    case WM_RBUTTONUP:
        RightButtonReleased();
        break;
    case WM_CONTEXTMENU:
        // The release of the right button shows the menu; the control's echo of it is not another.
        if (lParam != -1)
            return 0;
        break;
    case WM_SYSCHAR:
        // Alt+Enter was the properties: no beep.
        if (wParam == '\r')
            return 0;
        break;
    case WM_CANCELMODE:
        // The press was cut off: the node it chose stays unchosen.
        if (selectionDeferred_) {
            selectionDeferred_ = false;
            SetDropTarget(nullptr);
        }
        buttonUp_ = true;
        break;
    default:
        break;
    }
    return TTreeView::WndProc(msg, wParam, lParam);
}

void TDriveView::KeyDown(WORD& key, TShiftState shift)
{
    TTreeView::KeyDown(key, shift);
    if (key == VK_RETURN && (shift & ssAlt) && !IsEditing()) {
        key = 0;
        if (TTreeNode* selected = Selected())
            DisplayPropertiesMenu(selected);
    }
}

void TDriveView::KeyPress(char& key)
{
    TTreeView::KeyPress(key);
    TTreeNode* selected = Selected();
    if (!selected)
        return;
    switch (key) {
    case '\r':
        if (selected->Expanded())
            selected->Collapse(false);
        else
            selected->Expand(false);
        key = 0;
        break;
    case '*':
        // The control opens the whole branch itself.
        selected->MakeVisible();
        break;
    case '/':
        selected->Collapse(true);
        selected->MakeVisible();
        key = 0;
        break;
    default:
        break;
    }
}
