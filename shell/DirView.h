// TDirView: a list of one directory's files and sub-folders (or of the Recycle Bin), filtered by
// masks, attributes, size and date, sorted by any column, with shell type names and icons looked
// up as items are drawn, kept up to date by a change monitor, and with renaming, executing,
// deleting, shell menus, the clipboard and OLE drag and drop on its items.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ComPtr.h"
#include "DragDropEvents.h"
#include "Exceptions.h"
#include "GdiObject.h"
#include "ListView.h"
#include "ShellMemory.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TDiscMonitor;
class TDragDropFilesEx;
class TDragImageHold;
class TDriveView;
class TFileDeleteWatch;
class TFileOperator;
class TIconUpdateThread;
class TTimer;
class TTreeNode;

enum TSortColumn { sName, sSize, sType, sDate, sAttr };
enum TDateTimeDisplay { dtdDateTimeSec, dtdDateTime, dtdDate };
enum TSelAttr { SelDontCare, SelYes, SelNo };

class EIUThread : public Exception { using Exception::Exception; };
class EExecFile : public Exception { using Exception::Exception; };
class EInvalidFileName : public Exception { using Exception::Exception; };
class ERenameFileFailed : public Exception { using Exception::Exception; };
class EDragDrop : public Exception { using Exception::Exception; };

// What the view knows of one listed entry; the item's Data points at it.
struct TFileRec {
    bool InfoEmpty = true;    // type name not looked up yet
    bool IconEmpty = true;    // icon index not looked up yet
    bool IsDirectory = false;
    bool IsRecycleBin = false;
    std::string FileName;     // in the Recycle Bin: the full path of the file that holds the item
    std::string DisplayName;
    std::string Ext;          // upper case, without the dot, at most 3 characters
    std::string TypeName;
    int ImageIndex = 0;
    int64_t Size = 0;
    DWORD Attr = 0;
    FILETIME Time = {};
    ItemIdList PIDL;          // Recycle Bin items: relative to the bin's folder
};

// The filters of a load, window-free so that they can be checked on their own.
struct TDirFilter {
    TSelAttr SelArchive = SelDontCare;
    TSelAttr SelHidden = SelDontCare;
    TSelAttr SelSysFile = SelDontCare;
    TSelAttr SelReadOnly = SelDontCare;
    int64_t SizeFrom = 0;
    int64_t SizeTo = INT64_MAX;   // no file is too large by default
    WORD DateFrom = 33;           // 1980-01-01
    WORD DateTo = 61343;          // 2099-12-31
    WORD TimeFrom = 0;
    WORD TimeTo = 49152;          // 24:00:00

    // Whether a found file (not a folder) passes the attribute, size and date selection.
    bool Accepts(const WIN32_FIND_DATAA& found) const;
};

// The user texts of the views, by the user's primary language (German, French, else English).
struct TDirViewTexts {
    const char* OpenError;         // followed by the file's name
    const char* RenameError;       // followed by a line feed and the new name
    const char* InvalidChars;      // followed by the invalid characters
    const char* FileType;          // "%s": the extension
    const char* DragFiles;         // "%u": a count
    const char* DragDirectories;
    const char* ColumnTitles[5];
};
const TDirViewTexts& DirViewTextsFor(LANGID primaryLanguage);
// Chosen once from the user's language.
const TDirViewTexts& DirViewTexts();

// The system image list's default icons and the folder type name, asked once.
struct TDefaultIcons {
    int File = 0;
    int Executable = 0;
    int Folder = 0;
    int OpenFolder = 0;
    std::string FolderTypeName;
};
const TDefaultIcons& DefaultIcons();

// Window-free helpers of the view.
// The size of a found entry.
inline int64_t FoundSize(const WIN32_FIND_DATAA& found)
{
    return static_cast<int64_t>((static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
}
// Trimmed, blanks and commas turned into single semicolons, lower case; empty becomes "*.*".
std::string NormalizeMask(const std::string& mask);
// Takes the text up to the first ";" out of `masks` (with the ";") into `mask`.
void NextMask(std::string& masks, std::string& mask);
// "RHSADC" letters of the set bits, in that order.
std::string AttrString(DWORD attributes);
// The packed local DOS date (high word) and time of a file time; 0 when it has none (before 1980).
DWORD PackedDosDateTime(const FILETIME& time);
// The date-time picture of a display form from the locale's formats: the date part, and the time
// part (empty for dtdDate).
void BuildDateTimeFormat(TDateTimeDisplay display, std::string& dateFormat, std::string& timeFormat);
// Directories first, then by the column's key; descending reverses everything.
int CompareFileRecs(const TFileRec& a, const TFileRec& b, TSortColumn column, bool ascending);
// The upper-cased extension of a file name, at most 3 characters; "" for a folder.
std::string FileExt(const std::string& name, bool isDirectory);
// Types whose files each may show an icon of their own ("EXE", "LNK", ...; fewer than three
// characters never count).
bool HasPerFileIcons(const std::string& ext);
// Why a new name typed over an item cannot be taken, or "" when it can: the invalid-characters
// text for a name with \ / : * ? " < > |, the rename text for a name the file system would change
// or that leaves the folder (trailing dots or blanks, "." and "..", device names) or one that makes
// the path too long. `invalidChars` tells which of the two texts it is.
std::string RejectedFileName(const std::string& folder, const std::string& name, bool& invalidChars);
// Whether the file system keeps `name` in `folder` as typed: no trailing dots or blanks, not "."
// or "..", no device name, and the path not too long.
bool NameKeptAsTyped(const std::string& folder, const std::string& name);
// The type name of a file type the shell names not: "Datei %s" with the extension.
std::string FileTypeName(const std::string& ext);
// Whether `path` lies in `folder` or in one of its sub-folders (or is the folder itself).
bool PathInFolder(const std::string& path, const std::string& folder);

class TDirView : public TCustomListView, public TDragDropEvents {
public:
    using TAddFileEvent = std::function<void(TComponent* sender, WIN32_FIND_DATAA& found, bool& addFile)>;
    using TSelectItemNewEvent = std::function<void(TComponent* sender, TListItem* item, bool selected)>;
    using TExecFileEvent = std::function<void(TComponent* sender, TListItem* item, bool& allowExec)>;

    explicit TDirView(TComponent* owner);
    ~TDirView() override;

    // The drive tree this view follows, set by the tree itself.
    TDriveView* DriveView() const { return driveView_; }
    void SetDriveView(TDriveView* tree) { driveView_ = tree; }
    // Never with a trailing backslash; a bare drive is "C:". A path set while a load runs is
    // loaded when that load is done.
    const std::string& Path() const { return path_; }
    virtual void SetPath(const std::string& path);
    const std::string& LastPath() const { return lastPath_; }
    // Path with a backslash after a bare drive, as the shell wants it.
    std::string PathForShell() const;
    bool DirOK() const { return dirOK_; }
    bool Loading() const { return loading_; }
    bool LoadEnabled() const { return loadEnabled_; }
    bool ReloadPending() const { return reloadPending_; }
    bool IsRecycleBin() const { return isRecycleBin_; }
    UINT DriveType() const { return driveType_; }
    int64_t FilesSize() const { return filesSize_; }
    int64_t SelectedSize() const { return selectedSize_; }

    const std::string& Mask() const { return mask_; }
    virtual void SetMask(const std::string& mask);
    TSortColumn SortColumn() const { return sortColumn_; }
    virtual void SetSortColumn(TSortColumn column);
    bool SortAscending() const { return sortAscending_; }
    virtual void SetSortAscending(bool ascending);
    // Columns outside 0..4 read 0 and are not set.
    int ColWidth(int column) const;
    void SetColWidth(int column, int width);
    bool WatchForChanges() const { return watchForChanges_; }
    virtual void SetWatchForChanges(bool watch);
    unsigned ChangeInterval() const { return changeInterval_; }
    virtual void SetChangeInterval(unsigned milliseconds);
    bool ShowColumnIcon() const { return showColumnIcon_; }
    virtual void SetShowColumnIcon(bool show);
    bool DimmHiddenFiles() const { return dimmHiddenFiles_; }
    virtual void SetDimmHiddenFiles(bool dimm);
    bool ShowDirectories() const { return showDirectories_; }
    virtual void SetShowDirectories(bool show);
    TDateTimeDisplay DateTimeDisplay() const { return dateTimeDisplay_; }
    virtual void SetDateTimeDisplay(TDateTimeDisplay display);
    bool ShowMaskInHeader() const { return showMaskInHeader_; }
    void SetShowMaskInHeader(bool show);
    bool UseIconCache() const { return useIconCache_; }
    void SetUseIconCache(bool use) { useIconCache_ = use; }
    bool UseIconUpdateThread() const { return useIconUpdateThread_; }
    void SetUseIconUpdateThread(bool use) { useIconUpdateThread_ = use; }
    bool ShowAnimation() const { return showAnimation_; }
    void SetShowAnimation(bool show) { showAnimation_ = show; }
    bool UseSystemContextMenu() const { return useSystemContextMenu_; }
    void SetUseSystemContextMenu(bool use) { useSystemContextMenu_ = use; }
    bool UseDragImages() const { return useDragImages_; }
    void SetUseDragImages(bool use) { useDragImages_ = use; }
    bool TargetPopUpMenu() const;
    void SetTargetPopUpMenu(bool on);
    // The menu shown on a right click where the shell's menu is not; not owned. Its commands go
    // to the parent form.
    HMENU PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(HMENU menu) { popupMenu_ = menu; }
    bool ConfirmDelete = true;
    bool ConfirmOverwrite = true;
    // The selection filters of the next load.
    TDirFilter& Filter() { return filter_; }
    void SetViewStyle(TViewStyle style) override;

    virtual void SetLoadEnabled(bool enabled);
    virtual void Reload(bool keepIcons);
    void SortItems();
    // nullptr sorts by name; a compare function gets `ascending` as its data.
    virtual void CustomSortItems(PFNLVCOMPARE compare, bool ascending);
    virtual void CreateColumns();
    virtual void StoreColumnWidths();
    void GetColumnOrder(int order[5]);
    void SetColumnOrder(const int order[5]);
    virtual void FormatFileTime(const FILETIME& time, std::string& text);

    std::string ItemFullFileName(const TListItem* item) const;
    TListItem* FindFileItem(const std::string& fileName) const;
    void GetSelectedFiles(std::vector<std::string>& names) const;
    TFileRec* ItemData(int index) const;
    static TFileRec* ItemRec(const TListItem* item) { return item ? static_cast<TFileRec*>(item->Data()) : nullptr; }

    // Type name and icon of an item, from the type cache or the shell; `forceIcon` asks for the
    // icon of a type whose files have icons of their own too.
    void GetItemInfo(TFileRec& rec, bool forceIcon);
    void StartIconUpdateThread();
    void StopIconUpdateThread();
    TIconUpdateThread* IconUpdateThread() const { return iconThread_.get(); }
    // Rows that fit the view (list and report styles), else 0.
    int VisibleRowCount();
    // The first row shown (list and report styles), else -1.
    int TopItemIndex();

    // Change watching, as WatchForChanges, the path and the last load allow.
    void StartWatching();
    void StopWatching();
    bool WatchingActive() const;

    // Operations on the items.
    bool CanUndoFileOperation() const;
    bool UndoFileOperation();
    void EmptyClipboard();
    // Draws no item as cut any more (the tree's clipboard changed).
    void ClearCutMarks();
    bool CopyToClipboard();
    bool CutToClipboard();
    bool CanPasteFromClipboard();
    bool PasteFromClipboard();
    // A new empty file in the folder, listed and focused; nullptr when a file of that name exists
    // or it cannot be made.
    TListItem* CreateEmptyFile(const std::string& name);
    bool DeleteSelectedFiles(bool allowUndo);
    void ExecuteFile(TListItem* item);
    void RemoveVanishedSelected();
    void ShowPropertiesDialog();
    void ShowContextMenu();
    // Copies, moves, deletes into the Recycle Bin or links the drag-and-drop object's files
    // into `targetPath` (effect 1 copy, 2 move, 4 link), and refreshes the views and the tree.
    // True when the files' operation ran and succeeded.
    bool ExecuteDropFileOperation(const std::string& targetPath, DWORD effect);
    // Starts a drag of the selected items (the view's own detection calls it).
    void StartDrag();
    // Opens the selected item (a folder, or a link to one, in the view or the tree; a file by
    // its default verb), as a double click does.
    void OpenSelected();

    TDragDropFilesEx& DragDropFiles() { return *dragDrop_; }
    TFileOperator& FileOperator() { return *fileOperator_; }

    TNotifyEvent OnStartLoading;
    TNotifyEvent OnLoaded;
    TNotifyEvent OnChangeDetected;
    TNotifyEvent OnChangeInvalid;
    TAddFileEvent OnAddFile;
    TSelectItemNewEvent OnSelectItemNew;
    TExecFileEvent OnExecFile;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void ColumnClick(TListColumn* column) override;
    void Edit(TListItem* item, std::string& text) override;
    void EditCanceled(TListItem* item) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void DblClick() override;

private:
    friend class TIconUpdateThread;
    class TLoadScope;

    struct TLoadProgress;

    // Loading.
    void Load(const std::string& path);
    void LoadEntries(const std::string& path, TLoadProgress& progress);
    void LoadRecycleBin(TLoadProgress& progress);
    // Every 100 items, lets queued messages run in a long load (a close or quit waits for its
    // end) and starts the animation of a load that takes long.
    void LetMessagesRun(TLoadProgress& progress);
    // `found` carries the exact name.
    TListItem* AddItem(const WIN32_FIND_DATAA& found, const std::string& displayName);
    std::string ItemText(const TFileRec& rec, int column);
    void SortWith(PFNLVCOMPARE compare, LPARAM data);
    void ItemDeleted(TListItem* item);
    void NameColumnTitle();
    void ChangeNoticed();
    void ChangeTimer();
    LRESULT CustomDraw(NMLVCUSTOMDRAW* draw);
    bool GetDispInfo(NMHDR* header);
    void ItemChanged(const NMLISTVIEW& change);
    bool CanEditLabel() const;

    // Header arrows.
    void LoadArrowBitmaps();
    void UpdateSortArrows();

    // Operations.
    HWND OwnerWindow();
    // The attached tree's root node of a path's drive; nullptr without one.
    TTreeNode* DriveRootNode(const std::string& path) const;
    std::vector<TListItem*> SelectedItems() const;
    bool FillFileListWithSelection();
    void RenameItem(TListItem* item, const std::string& newName);
    void ContextMenuAt(POINT screenPos);
    void AfterRecycleBinVerb();
    void MarkCut(bool cut);
    void WatchVanishing(const std::vector<std::string>& files);

    // Drag and drop; the view that started the running drag, also while its drop is handled.
    static TDirView* DirViewDragSource();
    void DDError(int errorNo);
    void SetupDragDrop();
    HIMAGELIST MakeDragImage(int files, int directories);
    void DragEnter(IDataObject* data, DWORD keyState, POINT pt, DWORD& effect, bool& accept);
    void DragOver(DWORD keyState, POINT pt, DWORD& effect);
    void DragLeave();
    void Dropped(DWORD keyState, POINT pt, DWORD effect);
    // The drop target under the point, auto-scrolling, and the effect a drop there would have.
    void TrackDrag(DWORD keyState, POINT pt, DWORD& effect);
    DWORD DropEffectFor(DWORD keyState, DWORD effect) const;
    void ScrollWhileDragging(POINT client);
    TListItem* DropTargetItem() const;
    void SetDropTargetItem(TListItem* item);
    std::string DropTargetPath() const;
    bool DropsOnRecycleBin() const;
    bool CopyOrMoveDropped(const std::string& targetPath, DWORD effect, bool recycleBin, std::string& sourcePath,
                           bool& sourceIsDirectory);
    // A cut has just put the selection on the clipboard.
    void NoteCut();

    TDriveView* driveView_ = nullptr;
    std::string path_;
    std::string lastPath_;
    std::string pendingPath_;
    bool pathPending_ = false;
    bool reloadAfterLoad_ = false;
    std::string mask_ = "*.*";
    TSortColumn sortColumn_ = sName;
    bool sortAscending_ = true;
    int colWidths_[5] = {150, 80, 125, 130, 45};
    bool watchForChanges_ = false;
    unsigned changeInterval_ = 1000;
    bool showColumnIcon_ = true;
    bool dimmHiddenFiles_ = false;
    bool showDirectories_ = true;
    bool useIconCache_ = false;
    bool useIconUpdateThread_ = false;
    bool showMaskInHeader_ = false;
    bool showAnimation_ = false;
    bool useSystemContextMenu_ = true;
    bool useDragImages_ = true;
    HMENU popupMenu_ = nullptr;
    TDateTimeDisplay dateTimeDisplay_ = dtdDateTimeSec;
    std::string dateFormat_;
    std::string timeFormat_;
    TDirFilter filter_;

    bool loadEnabled_ = true;
    bool reloadPending_ = false;
    bool loading_ = false;
    bool displayEnabled_ = true;
    bool dirOK_ = false;
    bool isRecycleBin_ = false;
    UINT driveType_ = 0;
    int64_t filesSize_ = 0;
    int64_t selectedSize_ = 0;
    bool arrowsSet_ = false;

    // The records of the items; an item's deletion frees its own.
    std::unordered_map<const TFileRec*, std::unique_ptr<TFileRec>> records_;
    // Type name and icon per extension of plain files, kept across loads while UseIconCache is on.
    std::unordered_map<std::string, std::pair<std::string, int>> typeCache_;
    std::unique_ptr<TTimer> changeTimer_;
    std::unique_ptr<TDiscMonitor> monitor_;
    std::unique_ptr<TIconUpdateThread> iconThread_;
    std::unique_ptr<TFileOperator> fileOperator_;
    std::unique_ptr<TDragDropFilesEx> dragDrop_;
    std::unique_ptr<TDragImageHold> dragImages_;
    std::unique_ptr<TFileDeleteWatch> deleteWatch_;
    ComPtr<IShellFolder> recycleBinFolder_;
    ItemIdList recycleBinPidl_;
    GdiObject<HBITMAP> upArrow_;
    GdiObject<HBITMAP> downArrow_;

    // Drag and drop.
    ULONGLONG dragStartTick_ = 0;
    char sourceDrive_ = '\0';
    bool linksForExecutables_ = false;
    TListItem* dropTarget_ = nullptr;
    std::vector<std::string> draggedFolders_;
    POINT dragPoint_ = {};
    ULONGLONG lastScrollTick_ = 0;
    int scrollSteps_ = 0;
};
