// The directory list view: loading with filters, record texts, sorting, sort arrows and the
// change monitor.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "DirView.h"

#include "BaseUtils.h"
#include "DiscMon.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Handles.h"
#include "KtDriveInfo.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace {

enum TLanguage { lgEnglish, lgGerman, lgFrench };

TLanguage UserLanguage()
{
    switch (PRIMARYLANGID(GetUserDefaultLangID())) {
    case LANG_GERMAN: return lgGerman;
    case LANG_FRENCH: return lgFrench;
    default: return lgEnglish;
    }
}

const char* ColumnTitle(int column)
{
    static const char* const titles[3][5] = {
        {"Name", "Size", "Type", "Changed", "Attr"},
        {"Name", "Größe", "Typ", "Geändert am", "Attr"},
        {"Nom", "Taille", "Type", "Date", "Attributs"},
    };
    return titles[UserLanguage()][column];
}

std::string FileTypeText(const std::string& ext)
{
    static const char* const prefixes[3] = {"File ", "Datei ", "Fichier "};
    return prefixes[UserLanguage()] + ext;
}

std::string UpperCase(std::string s)
{
    CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

std::string ExtOf(const std::string& name, bool isDirectory)
{
    if (isDirectory)
        return std::string();
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    return UpperCase(name.substr(dot + 1, 3));
}

bool AttrSelected(DWORD attributes, DWORD bit, TSelAttr sel)
{
    if (sel == SelYes)
        return (attributes & bit) != 0;
    if (sel == SelNo)
        return (attributes & bit) == 0;
    return true;
}

// Types whose files may each show an icon of their own, so one per type would be wrong.
const char PerFileIconTypes[] = "EXE,LNK,ICO,ANI,CUR,PIF,JOB,CPL";

bool HasPerFileIcons(const std::string& ext)
{
    return ext.size() >= 3 && std::string(PerFileIconTypes).find(ext) != std::string::npos;
}

template <typename T>
int Order(T a, T b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

// The platform's sort callback: the items arrive as TListItem pointers.
struct SortRequest {
    TSortColumn column;
    bool ascending;
};

int CALLBACK CompareItems(LPARAM item1, LPARAM item2, LPARAM data)
{
    const auto* a = static_cast<const TFileRec*>(reinterpret_cast<TListItem*>(item1)->Data());
    const auto* b = static_cast<const TFileRec*>(reinterpret_cast<TListItem*>(item2)->Data());
    const auto* request = reinterpret_cast<const SortRequest*>(data);
    if (!a || !b)
        return 0;
    return CompareFileRecs(*a, *b, request->column, request->ascending);
}

}  // namespace

bool TDirFilter::Accepts(const WIN32_FIND_DATAA& found) const
{
    const DWORD attributes = found.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    if (!AttrSelected(attributes, FILE_ATTRIBUTE_ARCHIVE, SelArchive) ||
        !AttrSelected(attributes, FILE_ATTRIBUTE_HIDDEN, SelHidden) ||
        !AttrSelected(attributes, FILE_ATTRIBUTE_READONLY, SelReadOnly) ||
        !AttrSelected(attributes, FILE_ATTRIBUTE_SYSTEM, SelSysFile))
        return false;
    const int size = static_cast<int>(found.nFileSizeLow);
    if (size < SizeFrom || size > SizeTo)
        return false;
    const DWORD stamp = PackedDosDateTime(found.ftLastWriteTime);
    const DWORD lower = (static_cast<DWORD>(DateFrom) << 16) | TimeFrom;
    const DWORD upper = (static_cast<DWORD>(DateTo) << 16) | TimeTo;
    return stamp >= lower && stamp <= upper;
}

std::string NormalizeMask(const std::string& mask)
{
    size_t first = mask.find_first_not_of(' ');
    if (first == std::string::npos)
        return "*.*";
    std::string result = mask.substr(first, mask.find_last_not_of(' ') - first + 1);
    ReplaceChars(result, " ;,;");
    for (size_t at; (at = result.find(";;")) != std::string::npos;)
        result.erase(at, 1);
    CharLowerBuffA(&result[0], static_cast<DWORD>(result.size()));
    return result;
}

void NextMask(std::string& masks, std::string& mask)
{
    size_t semicolon = masks.find(';');
    if (semicolon == std::string::npos) {
        mask = masks;
        masks.clear();
    } else {
        mask = masks.substr(0, semicolon);
        masks.erase(0, semicolon + 1);
    }
}

std::string AttrString(DWORD attributes)
{
    static const struct { DWORD bit; char letter; } letters[] = {
        {FILE_ATTRIBUTE_READONLY, 'R'}, {FILE_ATTRIBUTE_HIDDEN, 'H'}, {FILE_ATTRIBUTE_SYSTEM, 'S'},
        {FILE_ATTRIBUTE_ARCHIVE, 'A'}, {FILE_ATTRIBUTE_DIRECTORY, 'D'}, {FILE_ATTRIBUTE_COMPRESSED, 'C'},
    };
    std::string text;
    for (const auto& entry : letters)
        if (attributes & entry.bit)
            text += entry.letter;
    return text;
}

DWORD PackedDosDateTime(const FILETIME& time)
{
    FILETIME local;
    WORD date = 0, dosTime = 0;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToDosDateTime(&local, &date, &dosTime))
        return 0;
    return (static_cast<DWORD>(date) << 16) | dosTime;
}

void BuildDateTimeFormat(TDateTimeDisplay display, std::string& dateFormat, std::string& timeFormat)
{
    char buffer[96] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, buffer, sizeof buffer);
    dateFormat = buffer;
    if (UpperCase(dateFormat).find("YYYY") == std::string::npos) {
        // A two-digit year picture grows to four; one without a year gets none added.
        size_t at = dateFormat.find("yy");
        if (at != std::string::npos)
            dateFormat.insert(at, "yy");
    }
    timeFormat.clear();
    if (display == dtdDate)
        return;
    buffer[0] = '\0';
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, buffer, sizeof buffer);
    timeFormat = buffer;
    if (display == dtdDateTime) {
        // The short time is the long one without its seconds.
        size_t seconds = timeFormat.find('s');
        if (seconds != std::string::npos) {
            size_t from = timeFormat.find_last_not_of("s", seconds);
            size_t cut = from != std::string::npos ? timeFormat.find_last_not_of(":. ", from) : from;
            size_t start = cut == std::string::npos ? 0 : cut + 1;
            size_t end = timeFormat.find_first_not_of('s', seconds);
            timeFormat.erase(start, (end == std::string::npos ? timeFormat.size() : end) - start);
        }
    }
}

int CompareFileRecs(const TFileRec& a, const TFileRec& b, TSortColumn column, bool ascending)
{
    if (&a == &b)
        return 0;
    int result;
    if (a.IsDirectory != b.IsDirectory) {
        result = a.IsDirectory ? -1 : 1;
    } else {
        switch (column) {
        case sSize:
            result = Order(static_cast<uint32_t>(a.Size), static_cast<uint32_t>(b.Size));
            break;
        case sType:
            result = Order(a.TypeName, b.TypeName);
            break;
        case sDate:
            result = Order(static_cast<int32_t>(a.Time.dwHighDateTime), static_cast<int32_t>(b.Time.dwHighDateTime));
            if (!result)
                result = Order(a.Time.dwLowDateTime, b.Time.dwLowDateTime);
            break;
        case sAttr:
            result = Order(a.Attr, b.Attr);
            break;
        default: {
            // By character codes: the bytes as unsigned, so umlauts follow "Z".
            std::string x = UpperCase(a.DisplayName), y = UpperCase(b.DisplayName);
            result = Order(std::vector<unsigned char>(x.begin(), x.end()),
                           std::vector<unsigned char>(y.begin(), y.end()));
        }
        }
    }
    return ascending ? result : -result;
}

TDirView::TDirView(TComponent* owner) : TCustomListView(owner)
{
    SetViewStyle(vsReport);
    SetMultiSelect(true);
    BuildDateTimeFormat(dateTimeDisplay_, dateFormat_, timeFormat_);
    CreateColumns();
    changeTimer_ = std::make_unique<TTimer>(nullptr);
    changeTimer_->SetEnabled(false);
    changeTimer_->OnTimer = [this](TComponent*) { ChangeTimer(); };
    OnDeletion = [this](TComponent*, TListItem* item) { ItemDeleted(item); };
}

TDirView::~TDirView()
{
    StopWatching();
    OnDeletion = nullptr;
}

std::string TDirView::PathForShell() const
{
    return path_.size() == 2 && path_[1] == ':' ? path_ + "\\" : path_;
}

void TDirView::SetPath(const std::string& path)
{
    std::string stripped = path;
    while (!stripped.empty() && stripped.back() == '\\')
        stripped.pop_back();
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

void TDirView::SetColWidth(TSortColumn column, int width)
{
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
    else if (dirOK_)
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
    RefreshTexts();
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

void TDirView::Load(const std::string& path)
{
    if (!loadEnabled_) {
        reloadPending_ = true;
        return;
    }
    loading_ = true;
    path_ = path;
    if (OnStartLoading)
        OnStartLoading(this);
    StopWatching();
    changeTimer_->SetEnabled(false);
    TCursorGuard hourglass;

    Items().BeginUpdate();
    Items().Clear();
    Items().EndUpdate();
    Items().BeginUpdate();
    filesSize_ = 0;
    selectedSize_ = 0;

    TDriveInfoRec drive;
    driveType_ = 0;
    const char letter = path.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    const bool driveLetter = path.size() >= 2 && path[1] == ':' && letter >= 'A' && letter <= 'Z';
    if (driveLetter) {
        DriveInfo().ReadDriveStatus(letter, drSize);
        DriveInfo().GetDriveRec(letter, drive);
        driveType_ = drive.DriveType;
    }
    // Paths without a drive letter (shares) have no record and count as ready.
    dirOK_ = !path.empty() && (!driveLetter || drive.DriveReady) && IsDirectory(path);

    if (dirOK_) {
        std::string masks = mask_, mask;
        std::set<std::string> listed;
        int maskCount = 0;
        while (!masks.empty()) {
            NextMask(masks, mask);
            if (mask.empty())
                continue;
            ++maskCount;
            WIN32_FIND_DATAA found;
            const FindHandle search = FindFirst(path + "\\" + mask, found);
            if (!search)
                continue;
            do {
                if (!filter_.Accepts(found))
                    continue;
                if (maskCount > 1 && listed.count(found.cFileName))
                    continue;
                bool add = true;
                if (OnAddFile)
                    OnAddFile(this, found, add);
                if (!add)
                    continue;
                AddItem(found);
                if (!masks.empty())
                    listed.insert(found.cFileName);
            } while (FindNextFileA(search.get(), &found));
        }
        if (showDirectories_) {
            WIN32_FIND_DATAA found;
            const FindHandle search = FindFirst(path + "\\*.*", found);
            if (search) {
                do {
                    const std::string name = found.cFileName;
                    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..")
                        continue;
                    bool add = true;
                    if (OnAddFile)
                        OnAddFile(this, found, add);
                    if (add)
                        AddItem(found);
                } while (FindNextFileA(search.get(), &found));
            }
        }
        SortItems();
    }
    loading_ = false;
    Items().EndUpdate();
    reloadPending_ = false;
    if (dirOK_ && watchForChanges_)
        StartWatching();
    if (OnLoaded)
        OnLoaded(this);
}

TListItem* TDirView::AddItem(const WIN32_FIND_DATAA& found)
{
    auto rec = std::make_unique<TFileRec>();
    rec->IsDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    rec->IsRecycleBin = rec->IsDirectory && (found.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) &&
                        path_.size() == 2 && UpperCase(found.cFileName) == "RECYCLED";
    rec->FileName = found.cFileName;
    rec->DisplayName = found.cFileName;
    rec->Ext = ExtOf(rec->FileName, rec->IsDirectory);
    rec->Size = static_cast<int>(found.nFileSizeLow);
    rec->Attr = found.dwFileAttributes;
    rec->Time = found.ftLastWriteTime;
    LookUpType(*rec);
    filesSize_ += rec->Size;

    TListItem* item = Items().Add();
    item->SetData(rec.get());
    records_.emplace(rec.get(), std::move(rec));
    ShowRecord(item);
    if (static_cast<TFileRec*>(item->Data())->Ext == "LNK")
        item->SetOverlayIndex(0);   // the platform's overlay image 1: the shortcut arrow
    return item;
}

void TDirView::ItemDeleted(TListItem* item)
{
    auto* rec = static_cast<TFileRec*>(item->Data());
    if (!rec)
        return;
    filesSize_ -= rec->Size;
    if (item->Selected())
        selectedSize_ -= rec->Size;
    item->SetData(nullptr);
    records_.erase(rec);
}

void TDirView::LookUpType(TFileRec& rec)
{
    const bool cacheable = useIconCache_ && !rec.IsDirectory && !HasPerFileIcons(rec.Ext);
    if (cacheable) {
        auto cached = typeCache_.find(rec.Ext);
        if (cached != typeCache_.end()) {
            rec.TypeName = cached->second.first;
            rec.ImageIndex = cached->second.second;
            rec.InfoEmpty = rec.IconEmpty = false;
            return;
        }
    }
    // By attributes only: no disk access, the type follows from the name.
    SHFILEINFOA info = {};
    const DWORD attributes = rec.IsDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (SHGetFileInfoA(rec.FileName.c_str(), attributes, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) {
        rec.TypeName = info.szTypeName;
        rec.ImageIndex = info.iIcon;
        rec.IconEmpty = false;
    }
    if (rec.TypeName.empty())
        rec.TypeName = FileTypeText(rec.Ext);
    else if (cacheable && !rec.IconEmpty)
        typeCache_[rec.Ext] = {rec.TypeName, rec.ImageIndex};
    rec.InfoEmpty = false;
}

void TDirView::ShowRecord(TListItem* item)
{
    const auto* rec = static_cast<const TFileRec*>(item->Data());
    if (!rec)
        return;
    std::string size, date;
    if (!rec->IsDirectory)
        IntToThousands(static_cast<uint32_t>(rec->Size), size);
    FormatFileTime(rec->Time, date);
    item->SetCaption(rec->DisplayName);
    item->SetImageIndex(rec->ImageIndex);
    const std::string texts[4] = {size, rec->TypeName, date, AttrString(rec->Attr)};
    TSubItems& sub = item->SubItems();
    for (int i = 0; i < 4; ++i) {
        if (i < sub.Count())
            sub.Set(i, texts[i]);
        else
            sub.Add(texts[i]);
    }
}

void TDirView::RefreshTexts()
{
    Items().BeginUpdate();
    for (int i = 0; i < Items().Count(); ++i)
        ShowRecord(Items()[i]);
    Items().EndUpdate();
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

void TDirView::Reload(bool keepIcons)
{
    if (path_.empty())
        return;
    if (!loadEnabled_) {
        reloadPending_ = true;
        return;
    }
    std::set<std::string> selected;
    std::string focused;
    std::unordered_map<std::string, int> icons;
    for (int i = 0; i < Items().Count(); ++i) {
        TListItem* item = Items()[i];
        const auto* rec = static_cast<const TFileRec*>(item->Data());
        if (!rec)
            continue;
        if (item->Selected())
            selected.insert(rec->FileName);
        if (item->Focused())
            focused = rec->FileName;
        if (keepIcons && !rec->IconEmpty && !rec->Ext.empty() &&
            std::string(PerFileIconTypes).find(rec->Ext) != std::string::npos)
            icons[rec->FileName] = rec->ImageIndex;
    }
    Items().BeginUpdate();
    Load(path_);
    TListItem* focus = nullptr;
    for (int i = 0; i < Items().Count(); ++i) {
        TListItem* item = Items()[i];
        auto* rec = static_cast<TFileRec*>(item->Data());
        if (selected.count(rec->FileName))
            item->SetSelected(true);   // the selection notice counts its size
        if (!focused.empty() && rec->FileName == focused)
            focus = item;
        auto icon = icons.find(rec->FileName);
        if (icon != icons.end() && rec->IconEmpty) {
            rec->ImageIndex = icon->second;
            rec->IconEmpty = false;
            item->SetImageIndex(icon->second);
        }
    }
    if (focus)
        focus->SetFocused(true);
    Items().EndUpdate();
    if (focus && HandleAllocated())
        focus->MakeVisible();
}

void TDirView::SortItems()
{
    SortRequest request{sortColumn_, sortAscending_};
    CustomSort(CompareItems, reinterpret_cast<LPARAM>(&request));
}

void TDirView::CustomSortItems(PFNLVCOMPARE compare, bool ascending)
{
    if (compare) {
        CustomSort(compare, ascending);
        return;
    }
    SortRequest request{sName, ascending};
    CustomSort(CompareItems, reinterpret_cast<LPARAM>(&request));
}

void TDirView::CreateColumns()
{
    Columns().BeginUpdate();
    Columns().Clear();
    static const TAlignment alignments[5] = {taLeftJustify, taRightJustify, taLeftJustify, taLeftJustify,
                                             taRightJustify};
    for (int i = 0; i < 5; ++i) {
        TListColumn* column = Columns().Add();
        column->SetCaption(ColumnTitle(i));
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
    if (HandleAllocated())
        SendMessageA(Handle(), LVM_GETCOLUMNORDERARRAY, 5, reinterpret_cast<LPARAM>(order));
}

void TDirView::SetColumnOrder(const int order[5])
{
    if (!HandleAllocated())
        return;
    SendMessageA(Handle(), LVM_SETCOLUMNORDERARRAY, 5, reinterpret_cast<LPARAM>(order));
    Invalidate();
}

void TDirView::NameColumnTitle()
{
    if (Columns().Count() == 0)
        return;
    std::string title = ColumnTitle(0);
    if (showMaskInHeader_ && mask_ != "*.*")
        title += " (" + mask_ + ")";
    if (Columns()[0]->Caption() != title)
        Columns()[0]->SetCaption(title);
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
        column.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        int format = column.fmt & ~(HDF_SORTUP | HDF_SORTDOWN | HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
        // Ascending shows the arrow pointing down, as the view always has.
        if (showColumnIcon_ && i == sortColumn_)
            format |= sortAscending_ ? HDF_SORTDOWN : HDF_SORTUP;
        if (format != column.fmt) {
            column.fmt = format;
            SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        }
    }
}

std::string TDirView::ItemFullFileName(const TListItem* item) const
{
    const auto* rec = item ? static_cast<const TFileRec*>(item->Data()) : nullptr;
    if (!rec)
        return std::string();
    return rec->IsRecycleBin && path_.empty() ? rec->FileName : path_ + "\\" + rec->FileName;
}

TListItem* TDirView::FindFileItem(const std::string& fileName) const
{
    for (int i = 0; i < Items().Count(); ++i) {
        const auto* rec = static_cast<const TFileRec*>(Items()[i]->Data());
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
    return static_cast<TFileRec*>(Items()[index]->Data());
}

void TDirView::CreateWnd()
{
    TCustomListView::CreateWnd();
    // The shell's own lists, which the window shares and never destroys (LVS_SHAREIMAGELISTS).
    SHFILEINFOA info = {};
    if (!SmallImages())
        if (auto list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
                "", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES)))
            SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(list));
    if (!LargeImages())
        if (auto list = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
                "", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES)))
            SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
    UpdateSortArrows();
}

void TDirView::ColumnClick(TListColumn* column)
{
    const int index = std::min(column->Index(), 4);
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

void TDirView::Edit(TListItem* item, std::string& text)
{
    // The caption stays the file's name: a new name only shows once the file carries it.
    if (const auto* rec = static_cast<const TFileRec*>(item->Data()))
        text = rec->DisplayName;
    TCustomListView::Edit(item, text);
    SetLoadEnabled(true);
}

void TDirView::EditCanceled(TListItem* item)
{
    TCustomListView::EditCanceled(item);
    SetLoadEnabled(true);
}

bool TDirView::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_NOTIFY && !Dying()) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        switch (header->code) {
        case LVN_BEGINLABELEDITA:
        case LVN_BEGINLABELEDITW:
            if (ReadOnly() || driveType_ == DRIVE_CDROM) {
                result = TRUE;
                return true;
            }
            SetLoadEnabled(false);
            result = FALSE;
            return true;
        case LVN_ITEMCHANGED: {
            if (loading_) {
                result = 0;
                return true;
            }
            auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
            bool toggled = (change->uChanged & LVIF_STATE) &&
                           ((change->uOldState ^ change->uNewState) & LVIS_SELECTED);
            if (toggled && change->iItem >= 0 && change->iItem < Items().Count()) {
                TListItem* item = Items()[change->iItem];
                const auto* rec = static_cast<const TFileRec*>(item->Data());
                const bool selected = (change->uNewState & LVIS_SELECTED) != 0;
                if (rec) {
                    if (SelCount() == 1 && selected)
                        selectedSize_ = rec->Size;
                    else
                        selectedSize_ += selected ? rec->Size : -rec->Size;
                }
                if (OnSelectItemNew)
                    OnSelectItemNew(this, item, selected);
            }
            break;
        }
        case NM_CUSTOMDRAW:
            if (dimmHiddenFiles_) {
                result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
                return true;
            }
            break;
        case HDN_ENDTRACKA:
        case HDN_ENDTRACKW:
            UpdateSortArrows();
            break;
        default:
            break;
        }
    }
    return TCustomListView::Reflected(msg, wParam, lParam, result);
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

void TDirView::StartWatching()
{
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
