// TDriveView: a tree of the machine's drives and their folders, read lazily as branches open,
// kept in step with the disk, reporting the selected folder through Directory and OnChange.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "DragDetector.h"
#include "DragDropEvents.h"
#include "ExactNames.h"
#include "Exceptions.h"
#include "GdiObject.h"
#include "TreeView.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TDirView;
class TDiscMonitor;
class TTimer;
class TDragImageHold;
class TDragDropFilesEx;
class TFileDeleteWatch;
class TFileOperator;
struct IDataObject;

class ENodeNotAssigned : public Exception { using Exception::Exception; };
class EInvalidDirName : public Exception { using Exception::Exception; };

// What the view knows of the folder of one node; every node has one, freed with the node.
struct TNodeData {
    std::string DirName;      // the exact name (the long one, else the alias); a root: "C:\"
    std::string DisplayName;  // the long name as shown; a root: DirName
    std::string ShortName;    // the 8.3 alias (empty when the long name is one); a root: DirName
    DWORD Attr = 0;           // as found when the node was made; 0 for a root
    bool Scanned = false;     // the sub-folders have been read
    bool Bold = false;
    int64_t DirSize = -1;     // bytes of the files directly inside; -1 while unknown
    bool IsRecycler = false;  // a recycle bin below a root, never read unless OnScanDir says so
};

// The state of one drive letter.
struct TDriveSlot {
    bool Scanned = false;     // the drive's tree has been loaded
    bool FullScan = false;    // that load read the whole drive
    TTreeNode* RootNode = nullptr;
    TDiscMonitor* Watcher = nullptr;
    TTimer* ChangeTimer = nullptr;
};

enum TVolumeDisplayStyle { doPrettyName, doDisplayName, doLongPrettyName };

// "1K" for 1 to 1023 bytes, else whole kilobytes; above 99,999 K whole megabytes ("97M"); with
// the user's thousands separator.
std::string FormatDirSize(int64_t size);
// "Directory name contains invalid characters:" in German (7), French (12) or English.
std::string InvalidDirNameTextFor(LANGID primaryLanguage);
// That text in the user's language, chosen once.
const std::string& InvalidDirNameText();

// How a node is drawn beyond what the control does itself: clNone leaves a colour alone.
struct TNodeLook {
    bool dimmHiddenDirs = false;
    bool hidden = false;
    bool selected = false;
    bool viewFocused = false;
    bool hideSelection = true;
    bool bold = false;
    TColor colorBold = 0xFF0000;
};
struct TNodeColors {
    TColor font = clNone;
    TColor brush = clNone;
    bool bold = false;
};
TNodeColors NodeColors(const TNodeLook& look);

// "Can't rename file or directory:" in German (7), French (12) or English, and in the user's
// language.
std::string RenameFailedTextFor(LANGID primaryLanguage);
const std::string& RenameFailedText();

// Whether `path` is `folder` itself or lies inside it (compared without regard to case).
bool PathWithin(const std::string& path, const std::string& folder);

// What decides the effect of a drop onto a node of the tree.
struct TTreeDropInput {
    DWORD effect = 0;              // as the drag-and-drop component chose it from keys and offers
    DWORD keyState = 0;            // MK_SHIFT, MK_CONTROL, ...
    DWORD offered = 0;             // the effects the source offered
    UINT targetDriveType = 0;
    char targetDrive = '\0';       // upper case
    char dragDrive = '\0';         // of the first dragged path, as it came
    bool recycleBinTarget = false;
    bool namesMapped = false;      // the data carries a file name map (it came out of a recycle bin)
    bool linkExecutables = false;  // link offered and every dragged file an .EXE or .COM
    bool ownDragBlocked = false;   // this tree's dragged node, one of its descendants or its parent
    bool targetInsideSource = false;   // the target is a dragged folder or lies inside one
    bool rootSource = false;       // a drive root is among the dragged paths
};
DWORD TreeDropEffect(const TTreeDropInput& in);

class TDriveView : public TTreeView, public TDragDropEvents {
public:
    using TScanDirEvent = std::function<void(TComponent* sender, TTreeNode* node, bool& doScanDir)>;
    using TDiskChangeEvent = std::function<void(TComponent* sender, char drive)>;
    // System file time, in 100 ns units.
    using TClock = std::function<uint64_t()>;

    explicit TDriveView(TComponent* owner);
    ~TDriveView() override;

    // The selected folder ("C:\" for a root, "C:\WINDOWS" below one); "" when none is selected.
    std::string Directory() const;
    // Selects the node of the path, or of its deepest existing folder; a path that names no
    // drive ("", "C:", a network path) changes nothing. A path that begins with no drive letter
    // ("1:\x") raises EConvertError and changes nothing. Before the window is made, the path
    // waits for it.
    void SetDirectory(const std::string& path);

    bool FullDriveScan() const { return fullDriveScan_; }
    void SetFullDriveScan(bool on) { fullDriveScan_ = on; }
    bool DimmHiddenDirs() const { return dimmHiddenDirs_; }
    void SetDimmHiddenDirs(bool on);
    bool ShowAnimation() const { return showAnimation_; }
    void SetShowAnimation(bool on) { showAnimation_ = on; }
    TDirView* DirView() const { return dirView_; }
    void SetDirView(TDirView* view);

    // Node texts and drawing.
    TColor ColorBold() const { return colorBold_; }
    void SetColorBold(TColor color);
    bool ShowDirSize() const { return showDirSize_; }
    void SetShowDirSize(bool on);
    bool ShowVolLabel() const { return showVolLabel_; }
    void SetShowVolLabel(bool on);
    TVolumeDisplayStyle VolDisplayStyle() const { return volDisplayStyle_; }
    void SetVolDisplayStyle(TVolumeDisplayStyle style);

    // Change watching: one monitor per drive; a burst of changes refreshes the drive's tree
    // once, ChangeInterval milliseconds after the last.
    bool WatchDirectory() const { return watchDirectory_; }
    void SetWatchDirectory(bool on);
    unsigned ChangeInterval() const { return changeInterval_; }
    // 0 is ignored.
    void SetChangeInterval(unsigned milliseconds);

    // Asked for by drops and pastes: whether the shell asks before deleting into a recycle bin
    // and before overwriting.
    bool ConfirmDelete = true;
    bool ConfirmOverwrite = true;
    // A right click shows the shell's menu of the folder; off (or on empty space): PopupMenu.
    bool UseSystemContextMenu = true;
    // Shown at a right click where the shell's menu is not; its commands go to the parent form.
    // Not owned.
    HMENU PopupMenu = nullptr;
    // A node dragged out of the tree shows its picture under the pointer.
    bool UseDragImages = true;
    bool TargetPopUpMenu() const { return targetPopUpMenu_; }
    // Right-button drops ask what to do.
    void SetTargetPopUpMenu(bool on);
    TDragDropFilesEx& DragDrop() { return *dragDrop_; }
    TFileOperator& FileOperator() { return *fileOperator_; }
    // Hover and scroll timing during drags read this clock (tests give their own).
    void SetClock(TClock clock);

    TNotifyEvent OnStartScan;
    TNotifyEvent OnEndScan;
    TScanDirEvent OnScanDir;
    TDiskChangeEvent OnDiskChange;
    TDiskChangeEvent OnChangeDetected;
    TDiskChangeEvent OnChangeInvalid;

    // Node operations; those that need a node raise ENodeNotAssigned for nullptr.
    static TNodeData* NodeData(const TTreeNode* node);
    // Without a trailing backslash; a root gives "C:".
    std::string GetDirPath(const TTreeNode* node) const;
    // GetDirPath, a root with its backslash.
    std::string NodePathName(const TTreeNode* node) const;
    std::string NodeDirName(const TTreeNode* node) const;
    char GetDrive(const TTreeNode* node) const;
    TTreeNode* RootNode(TTreeNode* node) const;
    DWORD NodeAttr(const TTreeNode* node) const;
    bool NodeVerified(const TTreeNode* node) const;
    UINT GetDriveTypeToNode(const TTreeNode* node) const;
    bool NodeModifiable(const TTreeNode* node) const;
    // Short paths match too (a component given as its 8.3 alias); a path below a drive without a
    // root gives nullptr; a first character that is no letter raises EConvertError.
    TTreeNode* NodeOfPath(const std::string& path);
    TDriveSlot DriveSlotOf(char drive) const;
    // Reads a branch again from the disk: depth 3 the expanded branches, 2 every branch that has
    // children, 1 everything.
    void SyncNode(TTreeNode* node, int depth);
    void SyncExpanded(TTreeNode* node) { SyncNode(node, 3); }
    void SyncBranches(TTreeNode* node) { SyncNode(node, 2); }
    void SyncAll(TTreeNode* node) { SyncNode(node, 1); }
    void EnsureChildrenRead(TTreeNode* node);
    bool SortChildren(TTreeNode* node, bool recurse);
    // Expands the collapsed nodes of the branch up to tree level `level`, collapses those below.
    void ExpandLevel(TTreeNode* node, int level);
    void ScrollNodeToMiddle(TTreeNode* node);
    // Back to the left edge when the tree stands scrolled sideways (as after Directory is set and
    // after an in-place edit).
    void ScrollToLeftEdge();
    void SetSelectedNode(TTreeNode* node);
    void ClearNodeChildren(TTreeNode* node);
    // Parts: 1 icons, 2 sizes and volume data, 4 names, 8 from A: (else from C:), 16 names even
    // when known.
    void UpdateDriveRoots(bool rescanChanged, unsigned parts);
    // Whether the user may edit the node's text in place.
    bool CanEdit(TTreeNode* node) override;

    // Texts, sizes and drawing.
    std::string GetDisplayName(const TTreeNode* node);
    std::string DriveCaption(char drive) const;
    int64_t GetDirSize(TTreeNode* node);
    void SetDirSize(TTreeNode* node);
    void RefreshDirSize(TTreeNode* node);
    int64_t GetSubTreeSize(TTreeNode* node);
    void SetBoldDraw(TTreeNode* node, bool bold);

    // Watching.
    void CreateWatcher(char drive);
    void DropWatcher(char drive);
    void StartWatchingSelected();
    void StopWatchingSelected();
    void StartWatchingAll();
    void StopWatchingAll();
    bool SelectedDriveWatched() const;
    bool DriveWatched(const TTreeNode* node) const;

    // Folder operations. Those that take a node raise ENodeNotAssigned for nullptr.
    // The new folder's node, or nullptr when the folder could not be made.
    TTreeNode* CreateDirectory(TTreeNode* node, const std::string& newName);
    // Roots are refused (false); true only when the folder was already gone.
    bool DeleteDirectory(TTreeNode* node, bool allowUndo);
    void DisplayContextMenu(TTreeNode* node);
    void DisplayPropertiesMenu(TTreeNode* node);

    // The clipboard, shared with the file list views.
    const std::string& CutPath() const { return cutPath_; }
    // Draws the node of `path` as cut (and no other); "" clears the mark.
    void MarkCutPath(const std::string& path);
    void ClearClipboard();
    bool CopySelectedToClipboard();
    // Puts the folder of `node` (below a root) on the clipboard, to be moved by the next paste.
    bool CutNodeToClipboard(TTreeNode* node);
    bool ClipboardHasFiles();
    // Into the selected folder: moves what this tree cut while the clipboard still holds it,
    // else copies.
    bool PasteIntoSelected();
    bool CanUndoFileOperation() const;
    bool UndoLastFileOperation();

    // Drag and drop: the handlers of the view's drag-and-drop component.
    TTreeNode* DragNode() const { return dragNode_; }
    void DDDragDetect(DWORD keyState, POINT detectStart, POINT pt, TDragDetectStatus status);
    void DDDragEnter(IDataObject* data, DWORD keyState, POINT pt, DWORD& effect, bool& accept);
    void DDDragOver(DWORD keyState, POINT pt, DWORD& effect);
    void DDDragLeave();
    void DDDrop(IDataObject* data, DWORD keyState, POINT pt, DWORD& effect);
    void DDQueryContinueDrag(BOOL escapePressed, DWORD keyState, HRESULT& result);
    void DDGiveFeedback(DWORD effect, HRESULT& result);
    void DDProcessDropped(TComponent* sender, DWORD keyState, POINT pt, DWORD effect);
    // Copies, moves, deletes into a recycle bin or links the component's file list into a folder;
    // true when that was done. A target folder that is gone raises DDError(1).
    bool DDFileOperation(const std::string& targetPath, DWORD effect, bool recycleBinTarget);
    // 0 a shortcut could not be made, 1 the target folder is gone. Without OnDDError: EDragDrop.
    virtual void DDError(int errorNo);
    void DDFilesDeleted(const std::vector<std::string>& files);

protected:
    void CreateWnd() override;
    // Builds the drive roots and selects the folder given before.
    virtual void Loaded();
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void FontChanged() override;
    void KeyPress(char& key) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void Notification(TComponent* component, TOperation operation) override;

    void Change(TTreeNode* node) override;
    bool CanExpand(TTreeNode* node) override;
    bool CanChange(TTreeNode* node) override;
    void Edit(TTreeNode* node, const std::string& text) override;
    void Deletion(TTreeNode* node) override;
    void GetImageIndex(TTreeNode* node) override;

private:
    friend class TNodeWatch;
    struct Slot {
        bool scanned = false;
        bool fullScan = false;
        TTreeNode* root = nullptr;
        std::unique_ptr<TDiscMonitor> watcher;
        std::unique_ptr<TTimer> timer;
    };
    using TSyncStep = std::function<bool(TTreeNode*& node)>;
    // Holds the tree's painting for a scope.
    class TUpdateHold {
    public:
        explicit TUpdateHold(TTreeNodes& nodes) : nodes_(nodes) { nodes_.BeginUpdate(); }
        ~TUpdateHold() { nodes_.EndUpdate(); }
        TUpdateHold(const TUpdateHold&) = delete;
        TUpdateHold& operator=(const TUpdateHold&) = delete;

    private:
        TTreeNodes& nodes_;
    };
    // A long read: meanwhile expanding and selecting are refused, and syncs, clears and root
    // updates (which other threads' reports may start) wait it out.
    class TScanScope {
    public:
        explicit TScanScope(TDriveView& view) : view_(view) { view_.scanning_ = true; }
        ~TScanScope() { view_.scanning_ = false; }
        TScanScope(const TScanScope&) = delete;
        TScanScope& operator=(const TScanScope&) = delete;

    private:
        TDriveView& view_;
    };

    Slot& SlotOf(char drive);
    const Slot& SlotOf(char drive) const;
    TNodeData& DataOf(const TTreeNode* node, const char* operation) const;
    TTreeNode* AddSubDirNode(TTreeNode* parent, const TFoundEntry& found);
    bool MayScanDir(TTreeNode* node);
    void LoadDrive(char drive);
    void ReadDriveTree(const std::string& folder, TTreeNode* parent, int depth);
    bool WalkSubtree(TTreeNode* node, int depth, bool includeStart, const TSyncStep& step);
    bool SyncStep(TTreeNode*& node, const TTreeNode* start, bool& added);
    void CompareWithDisk(TTreeNode* node, const std::string& folder, bool& added);
    // False when the change ends here: the node vanished and another was selected instead.
    bool ProcessChange(TTreeNode* node);
    void ButtonReleased();
    // Repaints in a long read; queued input waits, since it could select, expand or close the view
    // in the middle of the read.
    static void RepaintMeanwhile();
    void RefreshTexts(TTreeNode* node);
    LRESULT CustomDraw(NMTVCUSTOMDRAW* draw);
    void WatcherChanged(TDiscMonitor* watcher);
    void WatcherInvalid(TDiscMonitor* watcher);
    void ChangeTimerFired(char drive);

    // The node of a path on a drive; nullptr for any other path (a network path).
    TTreeNode* NodeOfDrivePath(const std::string& path);
    void RightButtonReleased();
    bool CopyPathToClipboard(const std::string& path);
    void SelectPreviousAndDelete(TTreeNode* node);
    void BindDragDrop();
    // A drag of this program's views is under way.
    bool DragRunning() const;
    uint64_t Now() const;
    void ShowDragImage(bool show);
    void HideDragImageFor(const std::function<void()>& change);
    void DragOverExpand(TTreeNode* node, TTreeNode* old, uint64_t now);
    void DragOverScroll(TTreeNode* node, POINT pt, uint64_t now);
    bool BeginNodeDragImage(POINT detectStart, POINT pt);
    HIMAGELIST PaintNodeDragImage(TTreeNode* node);
    void EndNodeDragImage();
    void ReloadFileView(const std::string& targetPath, const std::string& sourceDir, DWORD effect);

    std::array<Slot, 26> slots_;
    std::vector<TTreeNode**> watchedNodes_;
    std::unique_ptr<TDragImageHold> dragImages_;
    GdiObject<HFONT> boldFont_;

    std::string pendingDirectory_;
    std::string lastPath_;
    bool changeSeen_ = false;
    bool syncing_ = false;
    bool scanning_ = false;
    bool loading_ = true;
    bool buttonUp_ = true;
    bool selectionDeferred_ = false;
    int nodesRead_ = 0;

    bool fullDriveScan_ = false;
    bool dimmHiddenDirs_ = false;
    bool watchDirectory_ = false;
    unsigned changeInterval_ = 1000;
    bool showAnimation_ = false;
    TDirView* dirView_ = nullptr;
    TColor colorBold_ = 0xFF0000;
    bool showDirSize_ = false;
    bool showVolLabel_ = true;
    TVolumeDisplayStyle volDisplayStyle_ = doPrettyName;

    std::unique_ptr<TFileOperator> fileOperator_;
    std::unique_ptr<TDragDropFilesEx> dragDrop_;
    std::unique_ptr<TFileDeleteWatch> deleteWatch_;
    TClock clock_;
    bool targetPopUpMenu_ = true;
    std::string cutPath_;
    bool rightButton_ = false;      // a right press here whose release shows a menu
    bool dragSelecting_ = false;    // the drag image is made: selection changes are no changes

    // The drag out of the tree and the drag over it.
    TTreeNode* dragNode_ = nullptr;
    char dragDrive_ = '\0';
    bool linkExecutables_ = false;
    POINT mouseDownPoint_ = {-1, -1};
    POINT lastDragPos_ = {-1, -1};
    POINT dragHotSpot_ = {0, 0};
    HWND dragImageLock_ = nullptr;    // the form the drag image is drawn on
    bool dragImageShown_ = false;
    bool dragImageBegun_ = false;
    uint64_t hoverStart_ = 0;
    std::optional<uint64_t> dragStartTime_;   // when this tree last started a drag
    uint64_t vScrollTime_ = 0;
    uint64_t hScrollTime_ = 0;
    int scrollCount_ = 0;
    std::vector<std::string> deleteWaitList_;
};

// Keeps a node pointer that a deletion may take away: the view sets it to nullptr then.
class TNodeWatch {
public:
    TNodeWatch(TDriveView& view, TTreeNode* node) : view_(view), node(node) { view_.watchedNodes_.push_back(&this->node); }
    ~TNodeWatch()
    {
        auto& watched = view_.watchedNodes_;
        watched.erase(std::find(watched.begin(), watched.end(), &node));
    }
    TNodeWatch(const TNodeWatch&) = delete;
    TNodeWatch& operator=(const TNodeWatch&) = delete;

private:
    TDriveView& view_;

public:
    TTreeNode* node;
};
