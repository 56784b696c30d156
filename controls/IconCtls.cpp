// The icon list box: loading a file's icons through the checked reader, and drawing them.
#include "IconCtls.h"

#include "Forms.h"
#include "StdCtrls.h"
#include "SysUtils.h"

#include <algorithm>
#include <optional>

TqelIconListBox::TqelIconListBox(TComponent* owner) : TWinControl(owner)
{
    clickEvents_ = false;   // a click is a change of the selection, reported by the system
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
    Font().SetName("Arial");
    Font().SetHeight(ItemHeight());
    ApplyAutoDisable();
}

TqelIconListBox::~TqelIconListBox() = default;

void TqelIconListBox::SetFileName(const std::string& fileName)
{
    if (fileName == fileName_)
        return;
    fileName_ = fileName;
    Reload();
    if (OnFileChange)
        OnFileChange(this);
}

void TqelIconListBox::SetAutoDisable(bool autoDisable)
{
    autoDisable_ = autoDisable;
    ApplyAutoDisable();
}

void TqelIconListBox::SetEnableCaching(bool enableCaching)
{
    if (enableCaching == enableCaching_)
        return;
    enableCaching_ = enableCaching;
    if (!enableCaching_)
        Reload();
}

void TqelIconListBox::SetMargin(int margin)
{
    // The system keeps item heights below 256.
    margin = std::clamp(margin, 0, 255 - GetSystemMetrics(SM_CYICON));
    if (margin == margin_)
        return;
    margin_ = margin;
    if (HandleAllocated()) {
        SendMessageA(Handle(), LB_SETCOLUMNWIDTH, static_cast<WPARAM>(ColumnWidth()), 0);
        SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, ItemHeight());
        Invalidate();
    }
}

int TqelIconListBox::ItemHeight() const
{
    return GetSystemMetrics(SM_CYICON) + margin_;
}

int TqelIconListBox::ColumnWidth() const
{
    return GetSystemMetrics(SM_CXICON) + margin_;
}

int TqelIconListBox::ItemIndex() const
{
    if (HandleAllocated())
        return static_cast<int>(SendMessageA(const_cast<TqelIconListBox*>(this)->Handle(), LB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TqelIconListBox::SetItemIndex(int index)
{
    if (index < -1 || index >= ItemCount())
        index = -1;
    itemIndex_ = index;
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

TIcon* TqelIconListBox::GetIcon(int index)
{
    if (index < 0 || index >= ItemCount())
        return nullptr;
    std::unique_ptr<TIcon>& icon = icons_[static_cast<size_t>(index)];
    if (!icon && enableCaching_ && reader_)
        icon = FetchIcon(index);
    return icon.get();
}

std::unique_ptr<TIcon> TqelIconListBox::FetchIcon(int index)
{
    const int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    const std::shared_ptr<const std::vector<uint8_t>>& image = images_[static_cast<size_t>(index)];
    // The icon object first, so that the made handle has an owner from the start.
    auto icon = std::make_unique<TIcon>();
    icon->SetHandle(image ? MakeIconFromImage(image->data(), image->size(), width, height) : reader_->ExtractAt(index),
                    width, height);
    if (!icon->Handle())
        return nullptr;
    return icon;
}

const std::vector<uint8_t>* TqelIconListBox::ItemImage(int index)
{
    std::shared_ptr<const std::vector<uint8_t>>& image = images_[static_cast<size_t>(index)];
    if (!image && reader_)
        image = reader_->ImageAt(index, std::max(ItemsPerScreen(), TIconFileReader::ImagesPerReading));
    return image.get();
}

int TqelIconListBox::ItemsPerScreen() const
{
    RECT client = {};
    if (HandleAllocated())
        GetClientRect(const_cast<TqelIconListBox*>(this)->Handle(), &client);
    const int rows = std::max(1, static_cast<int>(client.bottom) / ItemHeight());
    const int columns = (client.right + ColumnWidth() - 1) / ColumnWidth();
    return rows * std::max(1, columns);
}

void TqelIconListBox::RecreateWnd()
{
    if (!HandleAllocated())
        return;
    itemIndex_ = ItemIndex();
    DestroyWindow(Handle());
    HandleNeeded();
}

void TqelIconListBox::Reload()
{
    if (HandleAllocated())
        SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
    icons_.clear();
    images_.clear();
    reader_.reset();
    numberOfIcons_ = -1;
    itemIndex_ = -1;
    ApplyAutoDisable();
    if (FileExists(fileName_)) {
        std::optional<TCursorGuard> hourglass;
        if (!enableCaching_)
            hourglass.emplace(crHourGlass);
        reader_ = std::make_unique<TIconFileReader>(fileName_);
        numberOfIcons_ = reader_->Count();
        icons_.resize(static_cast<size_t>(numberOfIcons_));
        images_.resize(static_cast<size_t>(numberOfIcons_));
        if (!enableCaching_)
            for (int i = 0; i < numberOfIcons_; ++i)
                icons_[static_cast<size_t>(i)] = FetchIcon(i);
        if (numberOfIcons_ > 0)
            itemIndex_ = 0;
    }
    if (HandleAllocated())
        FillWindow();
}

void TqelIconListBox::ApplyAutoDisable()
{
    SetEnabled(!autoDisable_ || FileExists(fileName_));
}

void TqelIconListBox::FillWindow()
{
    HWND window = Handle();
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window, LB_RESETCONTENT, 0, 0);
    SendMessageA(window, LB_INITSTORAGE, icons_.size(), static_cast<LPARAM>(icons_.size() * 8));
    for (size_t i = 0; i < icons_.size(); ++i)
        SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(i).c_str()));
    SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
}

void TqelIconListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.systemClass = "LISTBOX";
    // A multi-column list scrolls sideways.
    params.style |= WS_TABSTOP | WS_HSCROLL | LBS_OWNERDRAWFIXED | LBS_MULTICOLUMN | LBS_NOTIFY | LBS_HASSTRINGS |
                    LBS_NOINTEGRALHEIGHT;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TqelIconListBox::CreateWnd()
{
    TWinControl::CreateWnd();
    if (!HandleAllocated())
        return;
    SendMessageA(Handle(), LB_SETCOLUMNWIDTH, static_cast<WPARAM>(ColumnWidth()), 0);
    SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, ItemHeight());
    FillWindow();
}

bool TqelIconListBox::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == LBN_SELCHANGE) {
            Click();
            result = 0;
            return true;
        }
        break;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(ItemHeight());
        result = TRUE;
        return true;
    case WM_DRAWITEM:
        DrawItemMessage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case WM_DELETEITEM:
        // The window's items hold no icons: ours stay in icons_ until a reload or the end.
        result = TRUE;
        return true;
    }
    return TWinControl::Reflected(msg, wParam, lParam, result);
}

void TqelIconListBox::DrawItemMessage(const DRAWITEMSTRUCT& item)
{
    // An empty list with the focus gets only the focus rectangle.
    if (item.itemID != static_cast<UINT>(-1)) {
        // One canvas for all rows: its brush, pen and font are made once, not for every row.
        LentItemDC lent(itemCanvas_, item.hDC);
        itemCanvas_.Brush().SetStyle(bsSolid);
        itemCanvas_.Brush().SetColor((item.itemState & ODS_SELECTED) ? clHighlight : Color());
        // A file that fails while painting must not stop the rest of the list (or the program)
        // with an error box on every repaint.
        try {
            DrawItem(itemCanvas_, static_cast<int>(item.itemID), item.rcItem);
        } catch (...) {
        }
    }
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(item.hDC, &item.rcItem);
}

void TqelIconListBox::DrawItem(TCanvas& canvas, int index, const RECT& rect)
{
    canvas.FillRect(rect);
    if (index < 0 || index >= ItemCount())
        return;
    TIcon* icon = icons_[static_cast<size_t>(index)].get();
    // An item with no icon yet is drawn from its image as the icon would draw it; the icon is
    // made only for an image the platform alone draws faithfully.
    if (!icon && enableCaching_) {
        const std::vector<uint8_t>* image = ItemImage(index);
        if (!image)
            return;
        const int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
        if (painter_.Draw(canvas.Handle(), rect.left + (rect.right - rect.left - width) / 2,
                          rect.top + (rect.bottom - rect.top - height) / 2, image->data(), image->size(), width, height))
            return;
        icon = GetIcon(index);
    }
    if (!icon)
        return;
    int width = icon->Width() > 0 ? icon->Width() : GetSystemMetrics(SM_CXICON);
    int height = icon->Height() > 0 ? icon->Height() : GetSystemMetrics(SM_CYICON);
    int x = rect.left + (rect.right - rect.left - width) / 2;
    int y = rect.top + (rect.bottom - rect.top - height) / 2;
    icon->Draw(canvas, {x, y, x + width, y + height});
}
