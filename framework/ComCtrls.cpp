// Page control, tab sheets and status bar over the common controls.
#include <windows.h>
#include <commctrl.h>

#include "ComCtrls.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner)
{
    TControl::SetVisible(false);
}

TTabSheet::~TTabSheet()
{
    if (pageControl_)
        pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pageControl)
{
    if (pageControl == pageControl_)
        return;
    if (pageControl_)
        pageControl_->RemovePage(this);
    SetParent(pageControl);
    if (pageControl)
        pageControl->InsertPage(this);
}

void TTabSheet::SetTabVisible(bool visible)
{
    if (visible == tabVisible_)
        return;
    tabVisible_ = visible;
    if (pageControl_)
        pageControl_->UpdateTabs();
}

void TTabSheet::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.className = "QlTabSheet";
}

void TTabSheet::TextChanged()
{
    if (pageControl_)
        pageControl_->UpdateTabs();
}

// ---------------------------------------------------------------------------------------------
// TPageControl

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    // The pages go with the window's children, after this part of the object.
    for (TTabSheet* page : pages_)
        page->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

DWORD TPageControl::StyleBits() const
{
    switch (style_) {
    case tsButtons: return TCS_BUTTONS;
    case tsFlatButtons: return TCS_BUTTONS | TCS_FLATBUTTONS;
    default: return TCS_TABS;
    }
}

void TPageControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.systemClass = WC_TABCONTROLA;
    params.style |= WS_TABSTOP | StyleBits();
}

void TPageControl::CreateWnd()
{
    TWinControl::CreateWnd();
    UpdateTabs();
}

void TPageControl::SetStyle(TTabStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    if (HandleAllocated()) {
        HWND window = Handle();
        LONG bits = GetWindowLongA(window, GWL_STYLE) & ~(TCS_BUTTONS | TCS_FLATBUTTONS);
        SetWindowLongA(window, GWL_STYLE, bits | static_cast<LONG>(StyleBits()));
        AlignControls();
        Invalidate();
    }
}

void TPageControl::InsertPage(TTabSheet* page)
{
    pages_.push_back(page);
    page->pageControl_ = this;
    UpdateTabs();
    if (!activePage_)
        SetActivePage(page);
}

void TPageControl::RemovePage(TTabSheet* page)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end())
        return;
    size_t index = static_cast<size_t>(it - pages_.begin());
    pages_.erase(it);
    page->pageControl_ = nullptr;
    if (activePage_ == page) {
        activePage_ = nullptr;
        if (!pages_.empty())
            SetActivePage(pages_[std::min(index, pages_.size() - 1)]);
    }
    UpdateTabs();
}

int TPageControl::TabIndexOf(const TTabSheet* page) const
{
    int tab = 0;
    for (const TTabSheet* p : pages_) {
        if (p == page)
            return p->tabVisible_ ? tab : -1;
        if (p->tabVisible_)
            ++tab;
    }
    return -1;
}

void TPageControl::UpdateTabs()
{
    if (!HandleAllocated())
        return;
    HWND window = Handle();
    SendMessageA(window, TCM_DELETEALLITEMS, 0, 0);
    int tab = 0;
    for (TTabSheet* page : pages_) {
        if (!page->tabVisible_)
            continue;
        std::string text = page->Caption();
        TCITEMA item = {};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = &text[0];
        item.lParam = reinterpret_cast<LPARAM>(page);
        SendMessageA(window, TCM_INSERTITEMA, static_cast<WPARAM>(tab++), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(window, TCM_SETCURSEL, static_cast<WPARAM>(TabIndexOf(activePage_)), 0);
    AlignControls();
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->pageControl_ != this)
        return;
    if (page == activePage_)
        return;
    TTabSheet* previous = activePage_;
    activePage_ = page;
    if (page) {
        AlignControls();
        page->SetVisible(true);
        page->BringToFront();
    }
    if (previous)
        previous->SetVisible(false);
    if (HandleAllocated())
        SendMessageA(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(TabIndexOf(page)), 0);
}

int TPageControl::ActivePageIndex() const
{
    auto it = std::find(pages_.begin(), pages_.end(), activePage_);
    return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

void TPageControl::SetActivePageIndex(int index)
{
    SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<size_t>(index)] : nullptr);
}

bool TPageControl::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == static_cast<UINT>(TCN_SELCHANGE)) {
        HWND window = Handle();
        int tab = static_cast<int>(SendMessageA(window, TCM_GETCURSEL, 0, 0));
        TCITEMA item = {};
        item.mask = TCIF_PARAM;
        if (tab >= 0 && SendMessageA(window, TCM_GETITEMA, static_cast<WPARAM>(tab), reinterpret_cast<LPARAM>(&item))) {
            SetActivePage(reinterpret_cast<TTabSheet*>(item.lParam));
            if (OnChange)
                OnChange(this);
        }
        result = 0;
        return true;
    }
    return TWinControl::Reflected(msg, wParam, lParam, result);
}

void TPageControl::AlignControls()
{
    RECT area = ClientRect();
    if (HandleAllocated() && SendMessageA(Handle(), TCM_GETITEMCOUNT, 0, 0) > 0)
        SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (TTabSheet* page : pages_)
        page->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

// ---------------------------------------------------------------------------------------------
// TStatusBar

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

void TStatusBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.systemClass = STATUSCLASSNAMEA;
    // Our bounds rule, not the bar's own idea of its place.
    params.style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
}

void TStatusBar::CreateWnd()
{
    TWinControl::CreateWnd();
    if (!HandleAllocated())
        return;
    ApplyText();
    ApplyColor();
}

void TStatusBar::SetSimpleText(const std::string& text)
{
    simpleText_ = text;
    ApplyText();
}

void TStatusBar::SetPanelWidths(const std::vector<int>& widths)
{
    panels_.resize(widths.size());
    for (size_t i = 0; i < widths.size(); ++i)
        panels_[i].width = widths[i];
    ApplyText();
}

std::string TStatusBar::PanelText(int index) const
{
    return index >= 0 && index < PanelCount() ? panels_[index].text : std::string();
}

void TStatusBar::SetPanelText(int index, const std::string& text)
{
    if (index < 0 || index >= PanelCount() || panels_[index].text == text)
        return;
    panels_[index].text = text;
    if (HandleAllocated()) {
        RECT r;
        if (SendMessageA(Handle(), SB_GETRECT, index, reinterpret_cast<LPARAM>(&r)))
            InvalidateRect(Handle(), &r, TRUE);
    }
}

void TStatusBar::ApplyText()
{
    if (!HandleAllocated())
        return;
    if (panels_.empty()) {
        SendMessageA(Handle(), SB_SIMPLE, TRUE, 0);
        SendMessageA(Handle(), SB_SETTEXTA, SB_SIMPLEID | SBT_OWNERDRAW, 0);
    } else {
        SendMessageA(Handle(), SB_SIMPLE, FALSE, 0);
        std::vector<int> edges;
        int right = 0;
        for (const Panel& panel : panels_)
            edges.push_back(right += panel.width);
        edges.back() = -1;
        SendMessageA(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
        for (size_t i = 0; i < panels_.size(); ++i)
            SendMessageA(Handle(), SB_SETTEXTA, i | SBT_OWNERDRAW, static_cast<LPARAM>(i));
    }
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool TStatusBar::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg != WM_DRAWITEM)
        return TWinControl::Reflected(msg, wParam, lParam, result);
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    TCanvas canvas(item->hDC);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(item->rcItem);
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().Assign(Font());
    RECT r = item->rcItem;
    r.left += 2;
    const std::string& text = panels_.empty() ? simpleText_ : PanelText(static_cast<int>(item->itemID));
    DrawTextA(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    result = TRUE;
    return true;
}

void TStatusBar::ColorChanged()
{
    ApplyColor();
    TWinControl::ColorChanged();
}

void TStatusBar::ApplyColor()
{
    if (!HandleAllocated())
        return;
    COLORREF color = Color() == clBtnFace ? CLR_DEFAULT : (ColorToRGB(Color()) & 0xFFFFFF);
    SendMessageA(Handle(), SB_SETBKCOLOR, 0, static_cast<LPARAM>(color));
}
