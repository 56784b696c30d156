// TSectionListBox: sections mirrored into the rows of an owner-drawn list box, their drawing, and
// what the mouse and the keys do to them.
#include <windows.h>
#include <shellapi.h>
#include <windowsx.h>
#include <richedit.h>

#include "slstbox.h"

#include "Markup.h"
#include "PictureContainer.h"

#include <algorithm>

namespace {

const char* const SubItemIndexError = "Access of imageindex of non-existing subitem";

Exception IndexError(int index)
{
    return Exception("Listenindex außerhalb des gültigen Bereichs (" + std::to_string(index) + ").");
}

bool Holds(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

bool IsMarkup(const std::string& text)
{
    return Holds(text, "</");
}

bool IsRichText(const std::string& text)
{
    return text.compare(0, 2, "{\\") == 0;
}

// Feeds a string to EM_STREAMIN.
struct TRichSource {
    const std::string* text;
    size_t position;
};

DWORD CALLBACK ReadRichSource(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given)
{
    try {
        auto* source = reinterpret_cast<TRichSource*>(cookie);
        size_t count = std::min(static_cast<size_t>(std::max<LONG>(wanted, 0)), source->text->size() - source->position);
        std::copy_n(source->text->data() + source->position, count, buffer);
        source->position += count;
        *given = static_cast<LONG>(count);
        return 0;
    } catch (...) {
        *given = 0;
        return 1;
    }
}

bool IsURL(const std::string& text)
{
    return Holds(text, "://") || Holds(text, "mailto:");
}

// What a URL row shows without URLFull: the scheme and a leading "//" dropped.
std::string ShortURL(const std::string& text)
{
    size_t colon = text.find(':');
    std::string rest = colon == std::string::npos ? text : text.substr(colon + 1);
    if (rest.compare(0, 2, "//") == 0)
        rest.erase(0, 2);
    return rest;
}

TMarkupOptions MarkupOptions(TSectionListBox& list, bool selected)
{
    TMarkupOptions options;
    options.pictures = list.PictureContainer();
    options.images = list.SubItemImages();
    options.shadowColor = clGray;
    options.anchorColor = clBlue;
    options.wordWrap = list.WordWrap();
    options.selected = selected;
    return options;
}

}  // namespace

// The in-place editor: a multi-line edit that ends the editing when it loses the focus, on Enter,
// and on Up or Down while it holds a single line.
class TSectionMemo : public TEdit {
public:
    explicit TSectionMemo(TSectionListBox* list) : TEdit(list), list_(*list) {}

protected:
    void CreateParams(TCreateParams& params) override
    {
        TEdit::CreateParams(params);
        params.style &= ~(WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL);
        params.style |= ES_MULTILINE | ES_AUTOVSCROLL;
        params.exStyle &= ~WS_EX_CLIENTEDGE;
    }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_GETDLGCODE)
            return DLGC_WANTALLKEYS | DLGC_HASSETSEL;
        if (msg == WM_KEYDOWN) {
            bool oneLine = SendMessageA(Handle(), EM_GETLINECOUNT, 0, 0) < 2;
            if (wParam == VK_RETURN || ((wParam == VK_UP || wParam == VK_DOWN) && oneLine)) {
                list_.EndEdit();
                return 0;
            }
        }
        if (msg == WM_CHAR && (wParam == '\r' || wParam == '\n'))
            return 0;
        if (msg == WM_KILLFOCUS) {
            LRESULT result = TEdit::WndProc(msg, wParam, lParam);
            list_.EndEdit();
            return result;
        }
        return TEdit::WndProc(msg, wParam, lParam);
    }

private:
    TSectionListBox& list_;
};

// BeginUpdate / EndUpdate on every path.
class TSectionListBox::TUpdateScope {
public:
    explicit TUpdateScope(TSectionListBox& list) : list_(list) { list_.BeginUpdate(); }
    ~TUpdateScope() { list_.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TSectionListBox& list_;
};

// ---------------------------------------------------------------------------------------------
// TSectionListStrings

void TSectionListStrings::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw IndexError(index);
}

const std::string& TSectionListStrings::Strings(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].text;
}

void TSectionListStrings::SetStrings(int index, const std::string& text)
{
    CheckIndex(index);
    if (items_[static_cast<size_t>(index)].text == text)
        return;
    items_[static_cast<size_t>(index)].text = text;
    section_->StringChanged(index);
}

unsigned TSectionListStrings::Objects(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TSectionListStrings::SetObjects(int index, unsigned value)
{
    CheckIndex(index);
    items_[static_cast<size_t>(index)].object = value;
}

int TSectionListStrings::Add(const std::string& text, unsigned object)
{
    items_.push_back({text, object});
    section_->StringAdded(Count() - 1);
    return Count() - 1;
}

void TSectionListStrings::Insert(int index, const std::string& text, unsigned object)
{
    if (index < 0 || index > Count())
        throw IndexError(index);
    items_.insert(items_.begin() + index, {text, object});
    section_->StringInserted(index);
}

void TSectionListStrings::Delete(int index)
{
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    section_->StringDeleted(index);
}

void TSectionListStrings::Clear()
{
    int count = Count();
    items_.clear();
    if (count > 0)
        section_->StringsCleared(count);
}

int TSectionListStrings::IndexOf(const std::string& text) const
{
    for (int index = 0; index < Count(); ++index)
        if (items_[static_cast<size_t>(index)].text == text)
            return index;
    return -1;
}

std::vector<std::string> TSectionListStrings::ToVector() const
{
    std::vector<std::string> strings;
    for (const TEntry& entry : items_)
        strings.push_back(entry.text);
    return strings;
}

// ---------------------------------------------------------------------------------------------
// TListSection

TListSection::TListSection(TListSectionCollection* collection, TSectionListBox* list)
    : collection_(collection), list_(list)
{
    if (list_) {
        color_ = list_->Color();
        itemHeight_ = list_->SubItemHeight();
    }
}

int TListSection::Index() const
{
    return collection_ ? collection_->IndexOf(this) : -1;
}

void TListSection::Changed()
{
    if (list_)
        list_->Invalidate();
}

void TListSection::SetCaption(const std::string& caption)
{
    caption_ = caption;
    if (list_ && Index() >= 0)
        list_->SetItem(list_->HeaderRow(Index()), caption);
}

void TListSection::SetSubItems(const std::vector<std::string>& strings)
{
    TListSectionState previous = state_;
    SetState(lssContracted);
    subItems_.items_.clear();
    for (const std::string& text : strings)
        subItems_.items_.push_back({text, 0});
    SetState(previous);
}

void TListSection::SetState(TListSectionState state)
{
    if (state == state_)
        return;
    if (list_ && Index() >= 0) {
        if (state == lssExpanded)
            list_->ExpandRows(*this);
        else
            list_->ContractRows(*this);
    }
    state_ = state;
}

void TListSection::SetSortDirection(TSortDirection direction)
{
    sortDirection_ = direction;
    if (direction == sdNone || subItems_.Count() == 0)
        return;
    bool expanded = state_ == lssExpanded && list_;
    if (expanded)
        list_->BeginUpdate();
    SetState(lssContracted);
    // Byte order (case matters); equal strings keep their order and their check marks.
    auto& items = subItems_.items_;
    std::stable_sort(items.begin(), items.end(), [direction](const auto& a, const auto& b) {
        return direction == sdAscending ? a.text < b.text : b.text < a.text;
    });
    if (expanded) {
        SetState(lssExpanded);
        list_->EndUpdate();
    }
}

void TListSection::SetItemHeight(int height)
{
    itemHeight_ = height;
    if (state_ == lssExpanded && list_) {
        list_->BeginUpdate();
        SetState(lssContracted);
        SetState(lssExpanded);
        list_->EndUpdate();
    }
}

bool TListSection::SubItemChecked(int index) const
{
    if (index < 0 || index >= subItems_.Count())
        return false;
    return (subItems_.Objects(index) & TSectionListStrings::CheckFlag) != 0;
}

void TListSection::SetSubItemChecked(int index, bool checked)
{
    if (index < 0 || index >= subItems_.Count())
        throw ESectionListBoxError(SubItemIndexError);
    unsigned object = subItems_.Objects(index);
    subItems_.SetObjects(index, checked ? object | TSectionListStrings::CheckFlag
                                        : object & ~TSectionListStrings::CheckFlag);
    if (state_ == lssExpanded && list_ && Index() >= 0)
        list_->InvalidateRow(list_->HeaderRow(Index()) + 1 + index);
}

int TListSection::SubItemImageIndex(int index) const
{
    if (index < 0 || index >= subItems_.Count())
        return -1;
    return static_cast<int>(subItems_.Objects(index) & 0xFFFF) - 1;
}

void TListSection::SetSubItemImageIndex(int index, int image)
{
    if (index < 0 || index >= subItems_.Count())
        throw ESectionListBoxError(SubItemIndexError);
    unsigned object = subItems_.Objects(index) & ~0xFFFFu;
    subItems_.SetObjects(index, object | (static_cast<unsigned>(image + 1) & 0xFFFF));
    Changed();
}

void TListSection::Assign(const TListSection& source)
{
    SetCaption(source.caption_);
    TListSectionState wanted = source.state_;
    SetState(lssContracted);
    subItems_.items_ = source.subItems_.items_;
    imageIndex_ = source.imageIndex_;
    alignment_ = source.alignment_;
    vAlignment_ = source.vAlignment_;
    autoSize_ = source.autoSize_;
    autoEdit_ = source.autoEdit_;
    fixed_ = source.fixed_;
    readOnly_ = source.readOnly_;
    color_ = source.color_;
    font_.Assign(source.font_);
    fontUsage_ = source.fontUsage_;
    endEllipsis_ = source.endEllipsis_;
    controlType_ = source.controlType_;
    radioIndex_ = source.radioIndex_;
    sortDirection_ = source.sortDirection_;
    sortShow_ = source.sortShow_;
    lines_ = source.lines_;
    ownerDraw_ = source.ownerDraw_;
    itemHeight_ = source.itemHeight_;
    tag_ = source.tag_;
    SetState(wanted);
}

void TListSection::StringAdded(int index)
{
    if (state_ != lssExpanded || !list_ || Index() < 0)
        return;
    int row = list_->HeaderRow(Index()) + 1 + index;
    list_->InsertItem(row, subItems_.Strings(index), 0);
    list_->SetRowHeight(row, list_->SubItemRowHeight(*this, subItems_.Strings(index)));
    list_->UpdateHorizontalExtent();
}

void TListSection::StringInserted(int index)
{
    StringAdded(index);
}

void TListSection::StringDeleted(int index)
{
    if (state_ != lssExpanded || !list_ || Index() < 0)
        return;
    list_->DeleteItem(list_->HeaderRow(Index()) + 1 + index);
    list_->UpdateHorizontalExtent();
}

void TListSection::StringsCleared(int count)
{
    if (state_ != lssExpanded || !list_ || Index() < 0)
        return;
    int header = list_->HeaderRow(Index());
    for (int i = 0; i < count; ++i)
        list_->DeleteItem(header + 1);
    list_->UpdateHorizontalExtent();
}

void TListSection::StringChanged(int index)
{
    if (state_ != lssExpanded || !list_ || Index() < 0)
        return;
    int row = list_->HeaderRow(Index()) + 1 + index;
    const std::string& text = subItems_.Strings(index);
    if (list_->Item(row) != text) {
        list_->SetItem(row, text);
        list_->SetRowHeight(row, list_->SubItemRowHeight(*this, text));
    }
    list_->UpdateHorizontalExtent();
}

// ---------------------------------------------------------------------------------------------
// TListSectionCollection

TListSection& TListSectionCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw IndexError(index);
    return *items_[static_cast<size_t>(index)];
}

TListSection& TListSectionCollection::Add()
{
    items_.push_back(std::make_unique<TListSection>(this, list_));
    TListSection& section = *items_.back();
    if (list_)
        list_->SectionAdded(section);
    return section;
}

void TListSectionCollection::Delete(int index)
{
    TListSection& section = Items(index);
    if (list_)
        list_->SectionRemoving(section);
    items_.erase(items_.begin() + index);
}

void TListSectionCollection::Clear()
{
    while (Count() > 0)
        Delete(Count() - 1);
}

void TListSectionCollection::Assign(const TListSectionCollection& source)
{
    if (&source == this)
        return;
    if (list_)
        list_->BeginUpdate();
    Clear();
    for (const auto& section : source.items_)
        Add().Assign(*section);
    if (list_)
        list_->EndUpdate();
}

int TListSectionCollection::IndexOf(const TListSection* section) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == section)
            return static_cast<int>(i);
    return -1;
}

// ---------------------------------------------------------------------------------------------
// TTabPositionCollection

const TTabPositionItem& TTabPositionCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw IndexError(index);
    return items_[static_cast<size_t>(index)];
}

void TTabPositionCollection::Add(int position, TTabType type)
{
    items_.push_back({position, type});
    if (changed_)
        changed_();
}

void TTabPositionCollection::SetItem(int index, int position, TTabType type)
{
    Items(index);
    items_[static_cast<size_t>(index)] = {position, type};
    if (changed_)
        changed_();
}

void TTabPositionCollection::Delete(int index)
{
    Items(index);
    items_.erase(items_.begin() + index);
    if (changed_)
        changed_();
}

void TTabPositionCollection::Clear()
{
    items_.clear();
    if (changed_)
        changed_();
}

std::vector<int> TTabPositionCollection::Stops() const
{
    std::vector<int> stops;
    if (Count() < 1 || Count() > 19)
        return stops;
    for (const TTabPositionItem& item : items_)
        stops.push_back(item.TabType == tabright ? -item.TabPosition : item.TabPosition);
    return stops;
}

// ---------------------------------------------------------------------------------------------
// TSectionListBox: rows

TSectionListBox::TSectionListBox(TComponent* owner)
    : TCustomListBox(owner),
      sectionImages_([this] { Invalidate(); }),
      subItemImages_([this] { ImagesChanged(); }),
      tabPositions_([this] {
          Invalidate();
          UpdateHorizontalExtent();
      }),
      scrollWidth_(GetSystemMetrics(SM_CXVSCROLL))
{
    SetStyle(lbOwnerDrawVariable);
    SetItemHeight(sectionHeight_);
    urlSettings_.OnChange = [this](TComponent*) { Invalidate(); };
    sectionFont_.OnChange = [this] { Invalidate(); };
    editor_ = new TSectionMemo(this);
    editor_->SetVisible(false);
    editor_->SetBounds(0, 0, 0, 0);
    editor_->SetParent(this);
}

TSectionListBox::~TSectionListBox()
{
    // The editor loses the focus as it goes; nothing may be committed into a list being freed.
    endingEdit_ = true;
    editRow_ = -1;
    delete editor_;
    editor_ = nullptr;
    if (pictureContainer_)
        pictureContainer_->RemoveFreeNotification(this);
}

void TSectionListBox::CreateParams(TCreateParams& params)
{
    TCustomListBox::CreateParams(params);
    params.className = "QlSectionListBox";
    params.style |= LBS_DISABLENOSCROLL;
}

void TSectionListBox::CreateWnd()
{
    TCustomListBox::CreateWnd();
    if (!HandleAllocated())
        return;
    // Rich-text sub-items are measured and drawn through a hidden rich edit, a child window
    // that goes with the list's.
    static HMODULE richEditLibrary = LoadLibraryA("riched20.dll");
    richEdit_ = richEditLibrary ? CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_CHILD | ES_MULTILINE, 0, 0, 0, 0,
                                                  Handle(), nullptr, GetModuleHandleA(nullptr), nullptr)
                                : nullptr;
    UpdateHeights();
    UpdateHorizontalExtent();
    ApplyFlatScrollBars();
}

int TSectionListBox::HeaderRow(int sectionIdx) const
{
    int row = 0;
    for (int j = 0; j < sectionIdx && j < sections_.Count(); ++j) {
        TListSection& section = sections_.Items(j);
        row += 1 + (section.State() == lssExpanded ? section.SubItems().Count() : 0);
    }
    return row;
}

int TSectionListBox::SectionOfRow(int row) const
{
    if (sections_.Count() == 0)
        return -1;
    int rows = 0;
    for (int j = 0; j < sections_.Count(); ++j) {
        TListSection& section = sections_.Items(j);
        rows += 1 + (section.State() == lssExpanded ? section.SubItems().Count() : 0);
        if (rows > row)
            return j;
    }
    return sections_.Count() - 1;
}

int TSectionListBox::SubItemOfRow(int row) const
{
    int section = SectionOfRow(row);
    if (section < 0)
        return -1;
    int sub = row - HeaderRow(section) - 1;
    return sub < 0 ? -1 : sub;
}

bool TSectionListBox::GetSelection(int row, int& sectionIdx, int& subItemIdx) const
{
    sectionIdx = -1;
    subItemIdx = -1;
    if (row < 0)
        return false;
    sectionIdx = SectionOfRow(row);
    subItemIdx = SubItemOfRow(row);
    return true;
}

void TSectionListBox::BeginUpdate()
{
    if (++updateCount_ == 1 && HandleAllocated())
        SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TSectionListBox::EndUpdate()
{
    if (updateCount_ == 0)
        return;
    if (--updateCount_ > 0)
        return;
    if (HandleAllocated()) {
        SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    UpdateHorizontalExtent();
}

void TSectionListBox::SetSubItemFont(TCanvas& canvas, TListSection& section)
{
    if (section.FontUsage() == fuSubItems || section.FontUsage() == fuBoth)
        canvas.Font().Assign(section.Font());
    else
        canvas.Font().Assign(Font());
}

void TSectionListBox::ExpandRows(TListSection& section)
{
    TUpdateScope update(*this);
    int header = HeaderRow(section.Index());
    for (int j = 0; j < section.SubItems().Count(); ++j) {
        const std::string& text = section.SubItems().Strings(j);
        InsertItem(header + 1 + j, text, 0);
        SetRowHeight(header + 1 + j, SubItemRowHeight(section, text));
    }
}

void TSectionListBox::ContractRows(TListSection& section)
{
    TUpdateScope update(*this);
    int header = HeaderRow(section.Index());
    for (int j = 0; j < section.SubItems().Count() && header + 1 < ItemCount(); ++j)
        DeleteItem(header + 1);
}

void TSectionListBox::SectionAdded(TListSection& section)
{
    int row = AddItem(section.Caption(), 1);
    SetRowHeight(row, sectionHeight_);
    if (oneExpanded_ && sections_.Count() == 1)
        section.SetState(lssExpanded);
}

void TSectionListBox::SectionRemoving(TListSection& section)
{
    if (editor_ && Editing())
        EndEdit();
    TUpdateScope update(*this);
    section.SetState(lssContracted);
    int header = HeaderRow(section.Index());
    if (header < ItemCount())
        DeleteItem(header);
}

int TSectionListBox::TextRight() const
{
    return Width() - GetSystemMetrics(SM_CXVSCROLL);
}

bool TSectionListBox::LoadRichText(const std::string& rtf)
{
    if (!richEdit_ || !IsWindow(richEdit_))
        return false;
    TRichSource source = {&rtf, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadRichSource;
    SendMessageA(richEdit_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return true;
}

std::string TSectionListBox::RichPlainText(const std::string& s)
{
    if (!IsRichText(s) || !LoadRichText(s))
        return s;
    int length = GetWindowTextLengthA(richEdit_);
    std::string plain(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    plain.resize(static_cast<size_t>(GetWindowTextA(richEdit_, plain.data(), length + 1)));
    return plain;
}

void TSectionListBox::DrawRichText(TCanvas& canvas, const std::string& rtf, const RECT& rect, bool selected)
{
    if (!LoadRichText(rtf))
        return;
    if (selected) {
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_COLOR;
        format.crTextColor = RGB(255, 255, 255);
        SendMessageA(richEdit_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    }
    SendMessageA(richEdit_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(selected ? selectionColor_ : Color())));
    HDC dc = canvas.Handle();
    int ppiX = std::max(GetDeviceCaps(dc, LOGPIXELSX), 1);
    int ppiY = std::max(GetDeviceCaps(dc, LOGPIXELSY), 1);
    FORMATRANGE range = {};
    range.hdc = dc;
    range.hdcTarget = dc;
    range.rc = {MulDiv(rect.left, 1440, ppiX), MulDiv(rect.top, 1440, ppiY), MulDiv(rect.right, 1440, ppiX),
                MulDiv(rect.bottom, 1440, ppiY)};
    range.rcPage = range.rc;
    range.chrg = {0, -1};
    LRESULT formatted = SendMessageA(richEdit_, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    SendMessageA(richEdit_, EM_FORMATRANGE, FALSE, 0);   // lets go of the cached format data
    if (formatted > 0 || GetWindowTextLengthA(richEdit_) == 0)
        return;
    // Rich edits that cannot format a range (Wine's) still show the text, plainly.
    std::string plain = RichPlainText(rtf);
    RECT area = rect;
    SetBkMode(dc, TRANSPARENT);
    if (selected)
        SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, plain.c_str(), static_cast<int>(plain.size()), &area, DT_NOPREFIX | (wordWrap_ ? DT_WORDBREAK : 0));
}

int TSectionListBox::SubItemRowHeight(TListSection& section, const std::string& text)
{
    const std::string s = RichPlainText(text);
    // Rows are one byte high at most in the system's list box; no form uses AutoSize off, so the
    // section's base height serves there rather than a row one pixel high.
    if (!section.AutoSize())
        return section.ItemHeight();
    TCanvas& canvas = measure_.Canvas();
    SetSubItemFont(canvas, section);
    if (!IsMarkup(s)) {
        RECT rect = {subItemIndent_, 0, std::max(TextRight(), subItemIndent_ + 1), 0};
        UINT flags = DT_CALCRECT | DT_NOPREFIX | (wordWrap_ ? DT_WORDBREAK : 0);
        HDC dc = canvas.Handle();
        DrawTextA(dc, s.empty() ? " " : s.c_str(), -1, &rect, flags);
        int lineHeight = std::max(canvas.TextHeight("gh"), 1);
        int lines = std::max<int>((rect.bottom - rect.top) / lineHeight, 1);
        return lines * section.ItemHeight();
    }
    RECT rect = {subItemIndent_, 0, std::max(Width(), subItemIndent_ + 1), section.ItemHeight()};
    TMarkupOptions options = MarkupOptions(*this, false);
    options.measureOnly = true;
    TMarkupResult result;
    DrawMarkup(canvas, s, rect, options, result);
    return result.height + 2;
}

void TSectionListBox::UpdateHeights()
{
    for (int row = 0; row < ItemCount(); ++row) {
        int sectionIdx = -1;
        int sub = -1;
        GetSelection(row, sectionIdx, sub);
        if (sub < 0 || sectionIdx < 0)
            SetRowHeight(row, sectionHeight_);
        else
            SetRowHeight(row, SubItemRowHeight(sections_.Items(sectionIdx), Item(row)));
    }
    Invalidate();
}

void TSectionListBox::UpdateHorizontalExtent()
{
    if (updateCount_ > 0 || !HandleAllocated())
        return;
    if (wordWrap_) {
        HideHorizontalScrollBar();
        return;
    }
    TCanvas& canvas = measure_.Canvas();
    canvas.Font().Assign(Font());
    std::vector<int> stops = tabPositions_.Stops();
    int widest = 0;
    for (int row = 0; row < ItemCount(); ++row) {
        int sectionIdx = SectionOfRow(row);
        if (sectionIdx >= 0 && sections_.Items(sectionIdx).EndEllipsis())
            continue;
        std::string text = IsMarkup(Item(row)) ? std::string() : RichPlainText(Item(row));
        text = text.substr(0, text.find('\r'));
        DWORD size = GetTabbedTextExtentA(canvas.Handle(), text.c_str(), static_cast<int>(text.size()),
                                          static_cast<int>(stops.size()), stops.empty() ? nullptr : stops.data());
        widest = std::max(widest, (static_cast<int>(LOWORD(size)) + subItemIndent_) & 0xFFFF);
    }
    if (widest < Width())
        HideHorizontalScrollBar();
    else
        SetHorizontalExtent(widest);
}

void TSectionListBox::HideHorizontalScrollBar()
{
    SetHorizontalExtent(0);
    // The list keeps its vertical bar at all times, which shows an idle horizontal one as well.
    ShowScrollBar(Handle(), SB_HORZ, FALSE);
}

void TSectionListBox::InvalidateRow(int row)
{
    if (!HandleAllocated() || row < 0 || row >= ItemCount())
        return;
    RECT rect = ItemRect(row);
    InvalidateRect(Handle(), &rect, FALSE);
}

void TSectionListBox::SetOneExpanded(bool oneExpanded)
{
    oneExpanded_ = oneExpanded;
    if (!oneExpanded || sections_.Count() == 0)
        return;
    TUpdateScope update(*this);
    for (int j = sections_.Count() - 1; j >= 1; --j)
        sections_.Items(j).SetState(lssContracted);
    sections_.Items(0).SetState(lssExpanded);
}

void TSectionListBox::SetSectionHeight(int height)
{
    sectionHeight_ = std::max(height, 1);
    UpdateHeights();
}

void TSectionListBox::SetSubItemHeight(int height)
{
    subItemHeight_ = std::max(height, 1);
    TUpdateScope update(*this);
    for (int j = 0; j < sections_.Count(); ++j)
        sections_.Items(j).itemHeight_ = subItemHeight_;
    UpdateHeights();
}

void TSectionListBox::SetSubItemImages(TImageList* images)
{
    subItemImages_.SetList(images);
    UpdateHeights();
}

// Mark-up rows are as high as their images: once the list has changed (often image by image),
// the rows are measured again.
UINT TSectionListBox::RemeasureMessage()
{
    static const UINT message = RegisterWindowMessageA("QlSectionListBoxRemeasure");
    return message;
}

void TSectionListBox::ImagesChanged()
{
    Invalidate();
    if (HandleAllocated() && !remeasurePosted_ && !Destroying())
        remeasurePosted_ = PostMessageA(Handle(), RemeasureMessage(), 0, 0) != FALSE;
}

void TSectionListBox::SetPictureContainer(TPictureContainer* container)
{
    if (pictureContainer_)
        pictureContainer_->RemoveFreeNotification(this);
    pictureContainer_ = container;
    if (container)
        container->FreeNotification(this);
    UpdateHeights();
}

void TSectionListBox::Notification(TComponent* component, TOperation operation)
{
    TCustomListBox::Notification(component, operation);
    if (operation == opRemove && component == pictureContainer_) {
        pictureContainer_ = nullptr;
        if (!Destroying())
            Invalidate();
    }
}

void TSectionListBox::SetWordWrap(bool wordWrap)
{
    wordWrap_ = wordWrap;
    UpdateHeights();
    UpdateHorizontalExtent();
}

void TSectionListBox::Resize()
{
    TCustomListBox::Resize();
    if (wordWrap_)
        UpdateHeights();
}

void TSectionListBox::SelectSubItem(int sectionIdx, int subItemIdx)
{
    if (sectionIdx < 0 || sectionIdx >= sections_.Count())
        return;
    TListSection& section = sections_.Items(sectionIdx);
    if (subItemIdx >= section.SubItems().Count())
        return;
    if (subItemIdx >= 0 && section.State() == lssContracted)
        section.SetState(lssExpanded);
    int header = HeaderRow(sectionIdx);
    SetItemIndex(subItemIdx < 0 ? header : header + subItemIdx + 1);
}

void TSectionListBox::ContractAll()
{
    {
        TUpdateScope update(*this);
        SetItemIndex(0);
        for (int j = 0; j < sections_.Count(); ++j)
            sections_.Items(j).SetState(lssContracted);
    }
}

void TSectionListBox::ExpandAll()
{
    int sectionIdx = -1;
    int subItemIdx = -1;
    bool remembered = GetSelection(ItemIndex(), sectionIdx, subItemIdx) && sectionIdx >= 0;
    {
        TUpdateScope update(*this);
        for (int j = 0; j < sections_.Count(); ++j)
            sections_.Items(j).SetState(lssExpanded);
    }
    if (remembered && ItemIndex() >= 0) {
        int header = HeaderRow(sectionIdx);
        SetItemIndex(subItemIdx < 0 ? header : header + subItemIdx + 1);
    }
}

void TSectionListBox::ToggleSection(int sectionIdx)
{
    TListSection& section = sections_.Items(sectionIdx);
    if (section.State() == lssExpanded && !oneExpanded_) {
        section.SetState(lssContracted);
        if (OnContractSection)
            OnContractSection(this, sectionIdx);
        return;
    }
    {
        TUpdateScope update(*this);
        if (oneExpanded_)
            for (int j = 0; j < sections_.Count(); ++j)
                if (j != sectionIdx)
                    sections_.Items(j).SetState(lssContracted);
        section.SetState(lssExpanded);
    }
    if (OnExpandSection)
        OnExpandSection(this, sectionIdx);
    if (section.AutoEdit() && section.State() == lssExpanded && section.SubItems().Count() > 0)
        StartEdit(HeaderRow(sectionIdx) + 1);
}

bool TSectionListBox::ToggleCheck(int sectionIdx, int subItemIdx)
{
    TListSection& section = sections_.Items(sectionIdx);
    if (section.ReadOnly())
        return false;
    if (section.ControlType() == scCheckbox) {
        section.SetSubItemChecked(subItemIdx, !section.SubItemChecked(subItemIdx));
        if (OnCheckBoxClick)
            OnCheckBoxClick(this, sectionIdx, subItemIdx);
        return true;
    }
    if (section.ControlType() == scRadiobutton) {
        section.SetRadioIndex(subItemIdx);
        if (OnRadioClick)
            OnRadioClick(this, sectionIdx, subItemIdx);
        return true;
    }
    return false;
}

void TSectionListBox::Change()
{
    TCustomListBox::Change();
    if (updateCount_ > 0 || !OnChange)
        return;
    int sectionIdx = -1;
    int subItemIdx = -1;
    GetSelection(ItemIndex(), sectionIdx, subItemIdx);
    OnChange(this, sectionIdx, subItemIdx);
}

void TSectionListBox::SetScrollStyle(TSListScrollStyle style)
{
    if (style == scrollStyle_)
        return;
    TSListScrollStyle old = scrollStyle_;
    scrollStyle_ = style;
    if (!HandleAllocated())
        return;
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    using InitFn = BOOL(WINAPI*)(HWND);
    using UninitFn = HRESULT(WINAPI*)(HWND);
    if (old == slsNormal && comctl)
        if (auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "InitializeFlatSB"))))
            init(Handle());
    if (style == slsNormal && comctl)
        if (auto uninit =
                reinterpret_cast<UninitFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "UnInitializeFlatSB"))))
            uninit(Handle());
    ApplyFlatScrollBars();
}

void TSectionListBox::SetScrollColor(TColor color)
{
    scrollColor_ = color;
    ApplyFlatScrollBars();
}

void TSectionListBox::SetScrollWidth(int width)
{
    scrollWidth_ = width;
    ApplyFlatScrollBars();
}

void TSectionListBox::ApplyFlatScrollBars()
{
    if (!HandleAllocated())
        return;
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    if (!comctl)
        return;
    using PropFn = BOOL(WINAPI*)(HWND, UINT, INT_PTR, BOOL);
    using InfoFn = int(WINAPI*)(HWND, int, LPSCROLLINFO, BOOL);
    auto setProp = reinterpret_cast<PropFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "FlatSB_SetScrollProp")));
    auto setInfo = reinterpret_cast<InfoFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "FlatSB_SetScrollInfo")));
    if (scrollStyle_ != slsNormal && setProp) {
        INT_PTR mode = scrollStyle_ == slsFlat ? 2 : 1;
        setProp(Handle(), 256, mode, TRUE);   // vertical style
        setProp(Handle(), 512, mode, TRUE);   // horizontal style
        if (scrollColor_ != clNone) {
            setProp(Handle(), 64, static_cast<INT_PTR>(ColorToRGB(scrollColor_)), TRUE);
            setProp(Handle(), 128, static_cast<INT_PTR>(ColorToRGB(scrollColor_)), TRUE);
        }
        setProp(Handle(), 8, scrollWidth_, TRUE);
        setProp(Handle(), 4, scrollWidth_, TRUE);
    } else if (setProp) {
        setProp(Handle(), 256, 0, TRUE);
        setProp(Handle(), 512, 0, TRUE);
    }
    if (scrollStyle_ != slsNormal && setInfo)
        for (int bar : {SB_VERT, SB_HORZ}) {
            SCROLLINFO info = {};
            info.cbSize = sizeof info;
            info.fMask = SIF_ALL;
            if (GetScrollInfo(Handle(), bar, &info))
                setInfo(Handle(), bar, &info, TRUE);
        }
}

// ---------------------------------------------------------------------------------------------
// TSectionListBox: drawing

void TSectionListBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state)
{
    TCanvas& canvas = Canvas();
    if (index < 0) {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(rect);
        return;
    }
    int sectionIdx = -1;
    int subItemIdx = -1;
    GetSelection(index, sectionIdx, subItemIdx);
    if (sectionIdx < 0)
        return;
    TListSection& section = sections_.Items(sectionIdx);
    bool selected = (state & odSelected) != 0;
    if (subItemIdx >= 0 && section.OwnerDraw() && OnDrawItem) {
        canvas.Brush().SetColor(selected ? selectionColor_ : section.Color());
        canvas.FillRect(rect);
        OnDrawItem(this, section, sectionIdx, subItemIdx, canvas, rect, state);
        return;
    }
    DrawRow(index, rect, state);
}

void TSectionListBox::DrawRow(int index, const RECT& rect, TOwnerDrawState state)
{
    TCanvas& canvas = Canvas();
    int sectionIdx = SectionOfRow(index);
    int subItemIdx = SubItemOfRow(index);
    TListSection& section = sections_.Items(sectionIdx);
    bool header = subItemIdx < 0;
    bool selected = (state & odSelected) != 0;
    bool focused = (state & odFocused) != 0;
    bool wallpaper = !wallpaper_.Empty();
    std::string text = Item(index);

    // 1. Font and colours.
    if (header) {
        if (section.FontUsage() == fuSection || section.FontUsage() == fuBoth)
            canvas.Font().Assign(section.Font());
        else
            canvas.Font().Assign(sectionFont_);
        canvas.Brush().SetColor(sectionColor_);
    } else {
        SetSubItemFont(canvas, section);
        canvas.Brush().SetColor(selected ? selectionColor_ : section.Color());
        if (selected)
            canvas.Font().SetColor(selectionTextColor_);
    }
    canvas.Brush().SetStyle(bsSolid);
    // 2. URL text.
    if (!header && urlSettings_.URLAware() && IsURL(text) && !IsMarkup(text)) {
        canvas.Font().SetStyle(canvas.Font().Style() | fsUnderline);
        canvas.Font().SetColor(urlSettings_.URLColor());
        if (!urlSettings_.URLFull())
            text = ShortURL(text);
    }
    // 3. Background.
    if (!wallpaper || header)
        canvas.FillRect(rect);
    else
        TileWallpaper(canvas, rect);
    TColor background = canvas.Brush().Color();

    // 4. Placement.
    int x = rect.left + (header ? sectionIndent_ : subItemIndent_);
    int height = header ? sectionHeight_ : section.ItemHeight();
    int rowHeight = rect.bottom - rect.top;
    HDC dc = canvas.Handle();

    if (!header) {
        bool checked = section.ControlType() == scRadiobutton ? subItemIdx == section.RadioIndex()
                                                               : section.SubItemChecked(subItemIdx);
        UINT flags = (flat_ ? DFCS_FLAT : 0) | (section.ReadOnly() ? DFCS_INACTIVE : 0) | (checked ? DFCS_CHECKED : 0);
        // 5. and 6. Check box and radio button.
        if (section.ControlType() == scCheckbox) {
            int top = section.VAlignment() == vtaTop      ? rect.top + 1
                      : section.VAlignment() == vtaBottom ? rect.bottom - 14
                                                          : rect.top + (height - 12) / 2;
            RECT box = {x, top, x + 14, top + 14};
            DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | flags);
            x += 16;
        } else if (section.ControlType() == scRadiobutton) {
            int top = section.VAlignment() == vtaTop      ? rect.top + 2
                      : section.VAlignment() == vtaBottom ? rect.bottom - 10
                                                          : rect.top + (height - 10) / 2;
            RECT box = {x, top, x + 10, top + 10};
            DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONRADIO | flags);
            x += 16;
        }
    }
    // 7. Image.
    TImageList* images = header ? SectionImages() : SubItemImages();
    int image = !images ? -1 : header ? section.ImageIndex() : section.SubItemImageIndex(subItemIdx);
    if (images && image >= 0) {
        int offset = section.VAlignment() == vtaTop      ? 0
                     : section.VAlignment() == vtaBottom ? rowHeight - images->Height()
                                                         : (rowHeight - images->Height()) / 2;
        images->Draw(canvas, x, rect.top + offset, image, true);
        x += images->Width() + imageSpacing_;
    }
    // 8. Text.
    int textWidth = 0;
    if (IsRichText(text) && !header) {
        DrawRichText(canvas, text, {x, rect.top, rect.right, rect.bottom}, selected);
        textWidth = rect.right - x;
    } else if (IsMarkup(text) && !header) {
        RECT area = {x, rect.top, rect.right, rect.bottom};
        TMarkupOptions options = MarkupOptions(*this, selected);
        TMarkupResult result;
        DrawMarkup(canvas, text, area, options, result);
        textWidth = result.width;
    } else
        textWidth = DrawPlainText(canvas, section, index, text, {x, rect.top, rect.right, rect.bottom}, height, selected);
    // 9. Node.
    if (header)
        DrawNode(canvas, section, rect.left, rect, height, background);
    // 10. Frames and lines.
    DrawRowLines(canvas, section, rect, header, focused);
    // 11. Focus.
    if (focused && !wallpaper && !(header && sectionFocus_ != sfDash)) {
        RECT focus = rect;
        InflateRect(&focus, -1, -1);
        if (!fullFocus_ && !header) {
            int top = section.VAlignment() == vtaTop      ? rect.top
                      : section.VAlignment() == vtaBottom ? rect.bottom - canvas.TextHeight("gh")
                                                          : rect.top + (rowHeight - canvas.TextHeight("gh")) / 2;
            focus = {x - 1, top, x + textWidth + 1, top + canvas.TextHeight("gh")};
        }
        SetTextColor(canvas.Handle(), RGB(0, 0, 0));
        SetBkColor(canvas.Handle(), RGB(255, 255, 255));
        DrawFocusRect(canvas.Handle(), &focus);
    }
}

// Plain text (and every header): drawn with the system's text call, or as tabbed text when it
// holds tabs or is a header. Returns the width of the text.
int TSectionListBox::DrawPlainText(TCanvas& canvas, TListSection& section, int row, const std::string& text,
                                   const RECT& rect, int height, bool selected)
{
    int sectionIdx = SectionOfRow(row);
    int subItemIdx = SubItemOfRow(row);
    bool header = subItemIdx < 0;
    int x = rect.left;
    HDC dc = canvas.Handle();
    SetBkMode(dc, TRANSPARENT);
    if (!header && selected && !fullFocus_) {
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, ColorToRGB(selectionColor_));
    }
    if (!header && OnDrawItemProp) {
        OnDrawItemProp(this, section, sectionIdx, subItemIdx, canvas);
        dc = canvas.Handle();
    }
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    if (!header && !Holds(text, "\t")) {
        UINT flags = DT_NOPREFIX;
        RECT area = {x, rect.top, rect.right, rect.bottom};
        if (wordWrap_) {
            flags |= DT_WORDBREAK;
            area.right = std::min<LONG>(area.right, TextRight());
        } else {
            flags |= section.Alignment() == taRightJustify ? DT_RIGHT
                     : section.Alignment() == taCenter     ? DT_CENTER
                                                           : DT_LEFT;
            if (!Holds(text, "\r"))
                flags |= DT_SINGLELINE | (section.VAlignment() == vtaTop      ? DT_TOP
                                          : section.VAlignment() == vtaBottom ? DT_BOTTOM
                                                                              : DT_VCENTER);
            if (section.EndEllipsis())
                flags |= DT_END_ELLIPSIS;
        }
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, flags);
    } else {
        std::vector<int> stops = tabPositions_.Stops();
        int y = section.VAlignment() == vtaTop      ? rect.top
                : section.VAlignment() == vtaBottom ? rect.bottom - extent.cy
                                                    : rect.top + (height - extent.cy) / 2;
        TabbedTextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()), static_cast<int>(stops.size()),
                       stops.empty() ? nullptr : stops.data(), x);
    }
    return extent.cx;
}

// The 3D frame of a header (thick when focused with sf3D) and its sort button; the grid lines of
// a sub-item.
void TSectionListBox::DrawRowLines(TCanvas& canvas, TListSection& section, const RECT& rect, bool header, bool focused)
{
    if (header) {
        bool thick = focused && sectionFocus_ == sf3D;
        RECT frame = rect;
        for (int i = 0; i < (thick ? 3 : 1); ++i) {
            canvas.Pen().SetColor(clWhite);
            canvas.MoveTo(frame.left, frame.bottom - 1);
            canvas.LineTo(frame.left, frame.top);
            canvas.LineTo(frame.right - 1, frame.top);
            canvas.Pen().SetColor(clGray);
            canvas.LineTo(frame.right - 1, frame.bottom - 1);
            canvas.LineTo(frame.left, frame.bottom - 1);
            InflateRect(&frame, -1, -1);
        }
        if (section.SortShow() && section.State() == lssExpanded)
            DrawSortButton(canvas, section, rect);
    } else {
        if (section.Lines() == slHorizontal || section.Lines() == slBoth) {
            canvas.Pen().SetColor(clGray);
            canvas.MoveTo(rect.left, rect.bottom - 1);
            canvas.LineTo(rect.right, rect.bottom - 1);
        }
        if (section.Lines() == slVertical || section.Lines() == slBoth)
            for (int i = 0; i < tabPositions_.Count(); ++i) {
                const TTabPositionItem& tab = tabPositions_.Items(i);
                int lineX = rect.left + tab.TabPosition + (tab.TabType == tabright ? 2 : -2);
                canvas.Pen().SetColor(clBlack);
                canvas.MoveTo(lineX, rect.top);
                canvas.LineTo(lineX, rect.bottom);
                canvas.Pen().SetColor(clWhite);
                canvas.MoveTo(lineX + 1, rect.top);
                canvas.LineTo(lineX + 1, rect.bottom);
            }
    }
}

void TSectionListBox::DrawNode(TCanvas& canvas, TListSection& section, int x, const RECT& rect, int height,
                               TColor background)
{
    bool empty = section.SubItems().Count() == 0;
    bool contracted = section.State() == lssContracted;
    if (nodeType_ == lnGlyph) {
        TBitmap& glyph = contracted ? contractGlyph_ : expandGlyph_;
        if (glyph.Empty())
            return;
        // The top-left pixel's colour becomes the row background.
        TBitmap copy(glyph.Width(), glyph.Height());
        copy.Canvas().Brush().SetColor(background);
        copy.Canvas().FillRect({0, 0, glyph.Width(), glyph.Height()});
        TColor key = glyph.Canvas().Pixels(0, 0);
        for (int gy = 0; gy < glyph.Height(); ++gy)
            for (int gx = 0; gx < glyph.Width(); ++gx) {
                TColor pixel = glyph.Canvas().Pixels(gx, gy);
                if (pixel != key)
                    copy.Canvas().SetPixel(gx, gy, pixel);
            }
        canvas.Draw(x + 3, rect.top + (height - glyph.Height()) / 2, copy);
        return;
    }
    RECT box = {x + 4, rect.top + (height - 8) / 2, x + 12, rect.top + (height - 8) / 2 + 8};
    if (nodeType_ == ln3D) {
        UINT edge = empty ? EDGE_ETCHED : contracted ? BDR_RAISEDOUTER | BDR_RAISEDINNER : BDR_SUNKENOUTER | BDR_SUNKENINNER;
        DrawEdge(canvas.Handle(), &box, edge, BF_RECT | BF_SOFT);
        return;
    }
    canvas.Pen().SetColor(empty ? clGray : clBlack);
    canvas.Brush().SetColor(background);
    canvas.Rectangle(box.left - 1, box.top - 1, box.right, box.bottom);
    if (empty)
        return;
    canvas.MoveTo(box.left + 1, box.top + 3);
    canvas.LineTo(box.left + 6, box.top + 3);
    if (contracted) {
        canvas.MoveTo(box.left + 3, box.top + 1);
        canvas.LineTo(box.left + 3, box.top + 6);
    }
}

void TSectionListBox::DrawSortButton(TCanvas& canvas, TListSection& section, const RECT& rect)
{
    int right = TextRight() - 10;
    int left = right - 10;
    int middle = rect.top + (rect.bottom - rect.top) / 2;
    bool up = section.SortDirection() != sdDescending;
    // A small triangle: grey on its shaded sides, white on its lit one.
    int top = middle - 3;
    int bottom = middle + 3;
    canvas.Pen().SetColor(clGray);
    canvas.MoveTo(left, up ? bottom : top);
    canvas.LineTo(left + 5, up ? top : bottom);
    canvas.Pen().SetColor(clWhite);
    canvas.LineTo(right, up ? bottom : top);
    canvas.LineTo(left, up ? bottom : top);
}

void TSectionListBox::TileWallpaper(TCanvas& canvas, const RECT& rect)
{
    int width = wallpaper_.Width();
    int height = wallpaper_.Height();
    if (width <= 0 || height <= 0)
        return;
    // Tiled in the list's own coordinates, so that scrolling moves the pattern with the rows.
    int topRow = TopIndex();
    int offset = 0;
    for (int row = 0; row < topRow && row < ItemCount(); ++row)
        offset += RowHeight(row);
    int clipState = SaveDC(canvas.Handle());
    IntersectClipRect(canvas.Handle(), rect.left, rect.top, rect.right, rect.bottom);
    int startY = rect.top - ((rect.top + offset) % height);
    for (int y = startY; y < rect.bottom; y += height)
        for (int x = rect.left; x < rect.right; x += width)
            canvas.Draw(x, y, wallpaper_);
    RestoreDC(canvas.Handle(), clipState);
}

// ---------------------------------------------------------------------------------------------
// TSectionListBox: mouse, keys and in-place editing

LRESULT TSectionListBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    if (msg == RemeasureMessage()) {
        remeasurePosted_ = false;
        UpdateHeights();
        return 0;
    }
    switch (msg) {
    case WM_LBUTTONDOWN:
        LeftButtonDown(x, y, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        LeftButtonUp(x, y);   // first: the list's release of the mouse ends any drag
        break;
    case WM_LBUTTONDBLCLK: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        FireRowEvent(x, y, OnSectionDblClk, OnSubItemDblClk);
        return result;
    }
    case WM_RBUTTONDOWN: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        FireRowEvent(x, y, OnSectionRClick, OnSubItemRClick);
        return result;
    }
    case WM_RBUTTONDBLCLK: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        int sectionIdx = -1;
        int subItemIdx = -1;
        if (GetSelection(ItemIndex(), sectionIdx, subItemIdx) && sectionIdx >= 0 && OnSubItemRDblClk)
            OnSubItemRDblClk(this, sectionIdx, subItemIdx);
        return result;
    }
    case WM_MOUSEMOVE: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        PointerMove(x, y);
        return result;
    }
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        draggingTab_ = false;
        break;
    case WM_KEYDOWN: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        SectionKeyDown(static_cast<WORD>(wParam));
        return result;
    }
    case WM_CHAR:
        // The list's own search by first letter would move the selection on a blank.
        if (wParam == ' ') {
            char key = ' ';
            KeyPress(key);
            if (key)
                SectionKeyPress(key);
            return 0;
        }
        break;
    case WM_VSCROLL: {
        if (LOWORD(wParam) == SB_THUMBTRACK && !scrollTrack_)
            return 0;
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        if (!wallpaper_.Empty() && wallpaper_.Height() != subItemHeight_ && updateCount_ == 0)
            Invalidate();
        ApplyFlatScrollBars();
        return result;
    }
    case WM_HSCROLL: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        ApplyFlatScrollBars();
        return result;
    }
    case WM_SETCURSOR:
        if (splitCursor_ && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
            return TRUE;
        }
        break;
    case WM_ERASEBKGND:
        if (updateCount_ > 0 && !wallpaper_.Empty())
            return 1;
        break;
    }
    return TCustomListBox::WndProc(msg, wParam, lParam);
}

bool TSectionListBox::MarkupHit(int row, int x, int y, std::string& target)
{
    target.clear();
    if (row < 0 || row >= ItemCount() || !IsMarkup(Item(row)))
        return false;
    int sectionIdx = SectionOfRow(row);
    bool header = SubItemOfRow(row) < 0;
    RECT rect = ItemRect(row);
    rect.left += header ? sectionIndent_ : subItemIndent_;
    TCanvas& canvas = measure_.Canvas();
    if (header)
        canvas.Font().Assign(sectionFont_);
    else
        SetSubItemFont(canvas, sections_.Items(sectionIdx));
    // The hit-test lays the text out at the row's own position.
    TMarkupOptions options = MarkupOptions(*this, false);
    options.hitTestOnly = true;
    options.point = {x, y};
    TMarkupResult result;
    bool hit = DrawMarkup(canvas, Item(row), rect, options, result);
    if (hit)
        target = result.hotTarget;
    return hit && !target.empty();
}

void TSectionListBox::OpenTarget(const std::string& target)
{
    if (OpenURL) {
        OpenURL(target);
        return;
    }
    ShellExecuteA(HandleAllocated() ? Handle() : nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TSectionListBox::LeftButtonDown(int x, int y, WPARAM keys, LPARAM lParam)
{
    int row = ItemAtPos({x, y});
    if (row < 0) {
        if (MultiSelect())
            ClearSelection();
        else
            SetItemIndex(-1);
        return;
    }
    if (tabPosMove_ && dragTab_ >= 0) {
        draggingTab_ = true;
        dragX_ = -1;
    }
    const std::string text = Item(row);
    // Mark-up rows with addresses in them are handled by their anchors below.
    if (urlSettings_.URLAware() && !IsMarkup(text) && IsURL(text)) {
        OpenTarget(text);
        return;
    }
    std::string target;
    if (MarkupHit(row, x, y, target)) {
        if (!Holds(target, "://") && !Holds(target, "mailto:")) {
            if (OnAnchorClick)
                OnAnchorClick(this, row, target);
        } else
            OpenTarget(target);
        return;
    }
    int sectionIdx = SectionOfRow(row);
    int subItemIdx = SubItemOfRow(row);
    TListSection& section = sections_.Items(sectionIdx);
    if (subItemIdx >= 0 && x >= sectionIndent_ && x < sectionIndent_ + 15)
        ToggleCheck(sectionIdx, subItemIdx);
    if (subItemIdx >= 0 && ItemIndex() == row && !MultiSelect() && !section.ReadOnly() &&
        section.ControlType() == scText) {
        StartEdit(row);
        return;
    }

    TCustomListBox::WndProc(WM_LBUTTONDOWN, keys, lParam);   // the list moves the selection
    if (subItemIdx < 0) {
        if (OnSectionClick)
            OnSectionClick(this, sectionIdx);
        if (sectionIdx >= sections_.Count())
            return;   // the handler removed the section
        int right = TextRight() - 10;
        if (section.SortShow() && x >= right - 10 && x < right) {
            TUpdateScope update(*this);
            section.SetSortDirection(section.SortDirection() == sdAscending ? sdDescending : sdAscending);
            return;
        }
        if (draggingTab_)
            return;   // the press takes a tab stop, not the section
        int nodeWidth = nodeType_ == lnGlyph ? contractGlyph_.Width() + 4 : 12;
        bool inToggleArea = activeSection_ == asFull || x < nodeWidth;
        if (!inToggleArea || section.Fixed())
            return;
        bool expanded = section.State() == lssExpanded;
        if ((expanded && contractDisable_) || (!expanded && expandDisable_))
            return;
        ToggleSection(sectionIdx);
        return;
    }
    if (OnSubItemClick)
        OnSubItemClick(this, sectionIdx, subItemIdx);
}

void TSectionListBox::LeftButtonUp(int x, int)
{
    if (!draggingTab_)
        return;
    draggingTab_ = false;
    if (dragTab_ >= 0 && dragTab_ < tabPositions_.Count())
        tabPositions_.SetItem(dragTab_, x, tabPositions_.Items(dragTab_).TabType);
    dragTab_ = -1;
    Invalidate();
}

void TSectionListBox::FireRowEvent(int x, int y, const TSectionEvent& onSection, const TSubItemEvent& onSubItem)
{
    int row = ItemAtPos({x, y});
    if (row < 0)
        return;
    int sectionIdx = SectionOfRow(row);
    int subItemIdx = SubItemOfRow(row);
    if (subItemIdx < 0) {
        if (onSection)
            onSection(this, sectionIdx);
    } else if (onSubItem)
        onSubItem(this, sectionIdx, subItemIdx);
}

void TSectionListBox::PointerMove(int x, int y)
{
    auto showCursor = [this](TCursor cursor) {
        splitCursor_ = false;
        SetCursor(cursor);
        if (HCURSOR handle = CursorHandle(cursor == crDefault ? crArrow : cursor))
            ::SetCursor(handle);
    };
    int row = ItemAtPos({x, y});
    if (draggingTab_ && dragTab_ >= 0 && row >= 0) {
        int sectionIdx = SectionOfRow(row);
        int header = HeaderRow(sectionIdx);
        TListSection& section = sections_.Items(sectionIdx);
        int last = header + (section.State() == lssExpanded ? section.SubItems().Count() : 0);
        RECT top = ItemRect(header);
        RECT bottom = ItemRect(std::min(last, ItemCount() - 1));
        TCanvas& canvas = Canvas();
        canvas.Pen().SetMode(pmNotXor);
        canvas.Pen().SetColor(clBlack);
        if (dragX_ >= 0) {
            canvas.MoveTo(dragX_, top.top);
            canvas.LineTo(dragX_, bottom.bottom);
        }
        canvas.MoveTo(x, top.top);
        canvas.LineTo(x, bottom.bottom);
        canvas.Pen().SetMode(pmCopy);
        dragX_ = x;
        return;
    }
    if (row < 0) {
        showCursor(restCursor_);
        return;
    }
    const std::string& text = Item(row);
    bool header = SubItemOfRow(row) < 0;
    if (header && tabPosMove_) {
        dragTab_ = -1;
        for (int i = 0; i < tabPositions_.Count(); ++i)
            if (std::abs(tabPositions_.Items(i).TabPosition - x) <= 3)
                dragTab_ = i;
        if (dragTab_ >= 0) {
            splitCursor_ = true;
            ::SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
            return;
        }
    }
    if (!IsMarkup(text)) {
        showCursor(IsURL(text) ? crHandPoint : restCursor_);
        return;
    }
    std::string target;
    if (MarkupHit(row, x, y, target)) {
        showCursor(crHandPoint);
        if (target != hoverAnchor_) {
            hoverAnchor_ = target;
            if (OnAnchorEnter)
                OnAnchorEnter(this, 1, target);
        }
        return;
    }
    showCursor(restCursor_);
    if (!hoverAnchor_.empty()) {
        hoverAnchor_.clear();
        if (OnAnchorExit)
            OnAnchorExit(this, 1, hoverAnchor_);
    }
}

void TSectionListBox::SectionKeyDown(WORD key)
{
    int row = ItemIndex();
    int sectionIdx = -1;
    int subItemIdx = -1;
    bool onRow = GetSelection(row, sectionIdx, subItemIdx) && sectionIdx >= 0;
    switch (key) {
    case VK_SPACE:
        if (onRow && subItemIdx >= 0) {
            TListSection& section = sections_.Items(sectionIdx);
            if (!section.ReadOnly() && section.ControlType() == scText)
                StartEdit(row);
        }
        break;
    case VK_ESCAPE:
        if (MultiSelect())
            ClearSelection();
        else
            SetItemIndex(-1);
        break;
    case VK_INSERT:
        if (!onRow)
            break;
        if (subItemIdx < 0 && sections_.Items(sectionIdx).SubItems().Count() > 0) {
            if (OnInsertSection) {
                TListSection& added = sections_.Add();
                OnInsertSection(this, sectionIdx, added);
            }
        } else if (OnInsertSubItem) {
            std::string text;
            OnInsertSubItem(this, sectionIdx, subItemIdx, text);
            if (!text.empty() && sectionIdx < sections_.Count()) {
                TSectionListStrings& strings = sections_.Items(sectionIdx).SubItems();
                if (subItemIdx < 0)
                    strings.Add(text);
                else
                    strings.Insert(std::min(subItemIdx, strings.Count()), text);
            }
        }
        SetItemIndex(std::min(row, ItemCount() - 1));
        break;
    case VK_DELETE:
        if (!onRow)
            break;
        if (subItemIdx >= 0) {
            bool allow = false;
            if (OnDeleteSubItem)
                OnDeleteSubItem(this, sectionIdx, subItemIdx, allow);
            if (allow && sectionIdx < sections_.Count() && subItemIdx < sections_.Items(sectionIdx).SubItems().Count())
                sections_.Items(sectionIdx).SubItems().Delete(subItemIdx);
        } else {
            bool allow = false;
            if (OnDeleteSection)
                OnDeleteSection(this, sectionIdx, allow);
            if (allow && sectionIdx < sections_.Count())
                sections_.Delete(sectionIdx);
        }
        SetItemIndex(std::min(row, ItemCount() - 1));
        break;
    }
}

void TSectionListBox::SectionKeyPress(char key)
{
    if (key != ' ')
        return;
    int sectionIdx = -1;
    int subItemIdx = -1;
    if (!GetSelection(ItemIndex(), sectionIdx, subItemIdx) || sectionIdx < 0)
        return;
    TListSection& section = sections_.Items(sectionIdx);
    if (subItemIdx >= 0) {
        ToggleCheck(sectionIdx, subItemIdx);
        if (OnSubItemClick)
            OnSubItemClick(this, sectionIdx, subItemIdx);
        return;
    }
    bool expanded = section.State() == lssExpanded;
    if ((expanded && contractDisable_) || (!expanded && expandDisable_) || section.Fixed())
        return;
    ToggleSection(sectionIdx);
}

bool TSectionListBox::Editing() const
{
    return editRow_ >= 0;
}

void TSectionListBox::StartEdit(int row)
{
    int sectionIdx = -1;
    int subItemIdx = -1;
    if (!GetSelection(row, sectionIdx, subItemIdx) || sectionIdx < 0 || subItemIdx < 0)
        return;
    TListSection& section = sections_.Items(sectionIdx);
    if (section.ReadOnly() || section.ControlType() != scText || !HandleAllocated())
        return;
    if (Editing())
        EndEdit();
    RECT rect = ItemRect(row);
    editor_->SetColor(section.Color());
    editor_->SetFont(Font());
    editor_->SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    editor_->SetReadOnly(false);
    editor_->SetEnabled(true);
    editSection_ = sectionIdx;
    editSubItem_ = subItemIdx;
    editRow_ = row;
    std::string text = section.SubItems().Strings(subItemIdx);
    if (OnStartEdit)
        OnStartEdit(this, sectionIdx, subItemIdx, text);
    editor_->SetText(text);
    SendMessageA(editor_->Handle(), EM_SETSEL, 0, static_cast<LPARAM>(text.size()));
    editor_->Show();
    editor_->SetFocus();
    SendMessageA(editor_->Handle(), EM_LINESCROLL, 0, -SendMessageA(editor_->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
}

void TSectionListBox::EndEdit()
{
    if (!Editing() || endingEdit_)
        return;
    endingEdit_ = true;
    int sectionIdx = editSection_;
    int subItemIdx = editSubItem_;
    int row = editRow_;
    editRow_ = -1;
    std::string text = editor_->Text();
    while (!text.empty() && (text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (OnEndEdit)
        OnEndEdit(this, sectionIdx, subItemIdx, text);
    if (sectionIdx < sections_.Count() && subItemIdx < sections_.Items(sectionIdx).SubItems().Count())
        sections_.Items(sectionIdx).SubItems().SetStrings(subItemIdx, text);
    UpdateHeights();
    editor_->Hide();
    endingEdit_ = false;
    if (HandleAllocated() && IsWindowVisible(Handle()))
        SetFocus();
    SetItemIndex(std::min(row, ItemCount() - 1));
}
