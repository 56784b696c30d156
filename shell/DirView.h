// TDirView: a report list of one directory's files and sub-folders, filtered by masks, attributes,
// size and date, sortable by any column and optionally kept up to date by a change monitor.
#pragma once

#include <windows.h>

#include "Exceptions.h"
#include "ListView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TDiscMonitor;
class TDriveView;
class TTimer;

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
    bool InfoEmpty = true;
    bool IconEmpty = true;
    bool IsDirectory = false;
    bool IsRecycleBin = false;
    std::string FileName;
    std::string DisplayName;
    std::string Ext;        // upper case, without the dot, at most 3 characters
    std::string TypeName;
    int ImageIndex = 0;
    int Size = 0;
    DWORD Attr = 0;
    FILETIME Time = {};
};

// The filters of a load, window-free so that they can be checked on their own.
struct TDirFilter {
    TSelAttr SelArchive = SelDontCare;
    TSelAttr SelHidden = SelDontCare;
    TSelAttr SelSysFile = SelDontCare;
    TSelAttr SelReadOnly = SelDontCare;
    int SizeFrom = 0;
    int SizeTo = 2147483647;
    WORD DateFrom = 33;       // 1980-01-01
    WORD DateTo = 61343;      // 2099-12-31
    WORD TimeFrom = 0;
    WORD TimeTo = 49152;      // 24:00:00

    // Whether a found file (not a folder) passes the attribute, size and date selection.
    bool Accepts(const WIN32_FIND_DATAA& found) const;
};

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

class TDirView : public TCustomListView {
public:
    using TAddFileEvent = std::function<void(TComponent* sender, WIN32_FIND_DATAA& found, bool& addFile)>;
    using TSelectItemNewEvent = std::function<void(TComponent* sender, TListItem* item, bool selected)>;

    explicit TDirView(TComponent* owner);
    ~TDirView() override;

    // The drive tree this view follows, set by the tree itself.
    TDriveView* DriveView() const { return driveView_; }
    void SetDriveView(TDriveView* tree) { driveView_ = tree; }
    // Never with a trailing backslash; a bare drive is "C:".
    const std::string& Path() const { return path_; }
    virtual void SetPath(const std::string& path);
    const std::string& LastPath() const { return lastPath_; }
    // Path with a backslash after a bare drive, as the shell wants it.
    std::string PathForShell() const;
    bool DirOK() const { return dirOK_; }
    bool Loading() const { return loading_; }
    bool LoadEnabled() const { return loadEnabled_; }
    bool ReloadPending() const { return reloadPending_; }
    int64_t FilesSize() const { return filesSize_; }
    int64_t SelectedSize() const { return selectedSize_; }

    const std::string& Mask() const { return mask_; }
    virtual void SetMask(const std::string& mask);
    TSortColumn SortColumn() const { return sortColumn_; }
    virtual void SetSortColumn(TSortColumn column);
    bool SortAscending() const { return sortAscending_; }
    virtual void SetSortAscending(bool ascending);
    int ColWidth(TSortColumn column) const { return colWidths_[column]; }
    void SetColWidth(TSortColumn column, int width);
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

    TNotifyEvent OnStartLoading;
    TNotifyEvent OnLoaded;
    TNotifyEvent OnChangeDetected;
    TNotifyEvent OnChangeInvalid;
    TAddFileEvent OnAddFile;
    TSelectItemNewEvent OnSelectItemNew;

protected:
    void CreateWnd() override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void ColumnClick(TListColumn* column) override;
    void Edit(TListItem* item, std::string& text) override;
    void EditCanceled(TListItem* item) override;

private:
    void Load(const std::string& path);
    TListItem* AddItem(const WIN32_FIND_DATAA& found);
    void ItemDeleted(TListItem* item);
    void LookUpType(TFileRec& rec);
    // Writes the record's texts into the item's caption and sub-items.
    void ShowRecord(TListItem* item);
    void RefreshTexts();
    void NameColumnTitle();
    void UpdateSortArrows();
    void StartWatching();
    void StopWatching();
    void ChangeNoticed();
    void ChangeTimer();
    LRESULT CustomDraw(NMLVCUSTOMDRAW* draw);

    TDriveView* driveView_ = nullptr;
    std::string path_;
    std::string lastPath_;
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
    bool showMaskInHeader_ = false;
    TDateTimeDisplay dateTimeDisplay_ = dtdDateTimeSec;
    std::string dateFormat_;
    std::string timeFormat_;
    TDirFilter filter_;

    bool loadEnabled_ = true;
    bool reloadPending_ = false;
    bool loading_ = false;
    bool dirOK_ = false;
    UINT driveType_ = 0;
    int64_t filesSize_ = 0;
    int64_t selectedSize_ = 0;

    // The records of the items; an item's deletion frees its own.
    std::unordered_map<const TFileRec*, std::unique_ptr<TFileRec>> records_;
    // Type name and icon per extension of plain files, kept across loads while UseIconCache is on.
    std::unordered_map<std::string, std::pair<std::string, int>> typeCache_;
    std::unique_ptr<TTimer> changeTimer_;
    std::unique_ptr<TDiscMonitor> monitor_;
};
