// The flat combo box: frame, arrow button and selection look painted over the system's combo box.
#include <windows.h>
#include <commctrl.h>

#include "FlatComboBox.h"

#include "Forms.h"
#include "GdiObject.h"
#include "LateLibrary.h"

#include <algorithm>

TFlatComboBox::TFlatComboBox(TComponent* owner)
    : TCustomComboBox(owner), systemButtonWidth_(GetSystemMetrics(SM_CXVSCROLL))
{
    SetColor(FlatFaceColor);
    SetItemHeight(13);
}

TFlatComboBox::~TFlatComboBox()
{
    if (edit_ && IsWindow(edit_))
        ComCtl32::RemoveWindowSubclass(edit_, &EditProc, 1);
}

void TFlatComboBox::SetFlatColor(TFlatColorSlot slot, TColor color)
{
    colors_.Set(slot, color);
    Invalidate();
}

void TFlatComboBox::SetAdvColor(TFlatColorSlot slot, TAdvColors value)
{
    colors_.SetStrength(slot, value);
    CalcAdvColors();
    Invalidate();
}

void TFlatComboBox::SetUseAdvColors(bool use)
{
    if (use == useAdvColors_)
        return;
    useAdvColors_ = use;
    CalcAdvColors();
    Invalidate();
}

void TFlatComboBox::CalcAdvColors()
{
    if (!useAdvColors_ || !Parent())
        return;
    colors_.Derive(Parent()->Color(), {fcBorder, fcArrowBackground});
}

void TFlatComboBox::SetEnabled(bool enabled)
{
    TCustomComboBox::SetEnabled(enabled);
    Invalidate();
}

void TFlatComboBox::FontChanged()
{
    TCustomComboBox::FontChanged();
    SetItemHeight(13);
    Invalidate();
}

RECT TFlatComboBox::ArrowRect() const
{
    return {ClientWidth() - ArrowWidth - 1, 0, Width() - 1, Height()};
}

void TFlatComboBox::CreateWnd()
{
    TCustomComboBox::CreateWnd();
    if (!HandleAllocated())
        return;
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(Handle(), &info)) {
        edit_ = info.hwndItem != Handle() ? info.hwndItem : nullptr;
        list_ = info.hwndList;
    }
    // The edit field takes the focus of the drop-down styles; its focus changes light the box.
    if (edit_)
        ComCtl32::SetWindowSubclass(edit_, &EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    FitEdit();
}

LRESULT CALLBACK TFlatComboBox::EditProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR data)
{
    auto* self = reinterpret_cast<TFlatComboBox*>(data);
    // The edit field is the system's, not one of ours: an Alt+key typed in it reaches the form's
    // accelerators as if typed in the box itself.
    if (msg == WM_SYSCHAR) {
        LRESULT result = 0;
        Guarded([&] { result = self->Perform(msg, wParam, lParam); });
        return result;
    }
    LRESULT result = ComCtl32::DefSubclassProc(window, msg, wParam, lParam);
    if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS)
        Guarded([self] { self->UpdateActive(); });
    else if (msg == WM_NCDESTROY) {
        ComCtl32::RemoveWindowSubclass(window, &EditProc, id);
        self->edit_ = nullptr;
    }
    return result;
}

void TFlatComboBox::FitEdit()
{
    if (!edit_ || (Style() != csDropDown && Style() != csSimple))
        return;
    RECT current;
    GetWindowRect(edit_, &current);
    // A simple combo box's list lies below its edit field, which keeps its own height.
    int height = Style() == csSimple ? current.bottom - current.top : Height() - 6;
    SetWindowPos(edit_, nullptr, 0, 0, ClientWidth() - ArrowWidth - 8, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TFlatComboBox::UpdateActive()
{
    HWND focus = GetFocus();
    bool active = DroppedDown() || (HandleAllocated() && (focus == Handle() || (edit_ && focus == edit_)));
    if (active == active_)
        return;
    active_ = active;
    PaintFlatFrame();
}

void TFlatComboBox::PaintFlatFrame()
{
    if (!HandleAllocated())
        return;
    WholeWindowDC dc(Handle());
    if (!dc.get())
        return;
    DrawFrame(dc.get());
    if (Style() != csSimple)
        DrawArrow(dc.get());
}

void TFlatComboBox::DrawFrame(HDC windowDC)
{
    RECT r = {0, 0, Width() - (Style() == csSimple ? 0 : ArrowWidth + 1), Height()};
    GdiObject<HBRUSH> border = SolidColorBrush(colors_[fcBorder]);
    GdiObject<HBRUSH> face = SolidColorBrush(Color());
    FrameRect(windowDC, &r, border.get());
    InflateRect(&r, -1, -1);
    FrameRect(windowDC, &r, face.get());
    InflateRect(&r, -1, -1);
    FrameRect(windowDC, &r, face.get());
}

void TFlatComboBox::DrawArrow(HDC dc)
{
    RECT r = ArrowRect();
    InflateRect(&r, 1, 0);
    {
        GdiObject<HBRUSH> back = SolidColorBrush(colors_[fcArrowBackground]);
        GdiObject<HBRUSH> border = SolidColorBrush(colors_[fcBorder]);
        FillRect(dc, &r, back.get());
        FrameRect(dc, &r, border.get());
    }
    const int x = r.left + (r.right - r.left) / 2 - 6;
    const int y = r.top + (r.bottom - r.top) / 2 - 1;
    const bool up = DroppedDown();
    auto triangle = [dc, up](int x, int y, TColor color) {
        GdiObject<HBRUSH> brush = SolidColorBrush(color);
        GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, ColorToRGB(color) & 0xFFFFFF));
        SelectedObject brushIn(dc, brush.get());
        SelectedObject penIn(dc, pen.get());
        const POINT down[3] = {{x + 4, y}, {x + 8, y}, {x + 6, y + 2}};
        const POINT upward[3] = {{x + 4, y + 2}, {x + 8, y + 2}, {x + 6, y}};
        Polygon(dc, up ? upward : down, 3);
    };
    if (!Enabled()) {
        triangle(x + 1, y + 1, clWhite);
        triangle(x, y, clGray);
    } else {
        triangle(x, y, colors_[fcMark]);
    }
    ExcludeClipRect(dc, ClientWidth() - systemButtonWidth_, 0, ClientWidth(), ClientHeight());
}

void TFlatComboBox::DrawSelectionLook(HDC dc)
{
    const RECT client = ClientRect();
    RECT r = client;
    InflateRect(&r, -2, -3);
    r.left = r.right - ArrowWidth - 8;
    r.right = r.right - ArrowWidth - 3;
    const bool focused = HandleAllocated() && GetFocus() == Handle();
    const bool dropped = DroppedDown();
    {
        GdiObject<HBRUSH> strip = SolidColorBrush(!focused || dropped ? Color() : clHighlight);
        FillRect(dc, &r, strip.get());
    }
    if (focused && !dropped) {
        r = client;
        InflateRect(&r, -3, -3);
        r.right -= ArrowWidth + 2;
        GdiObject<HBRUSH> highlight = SolidColorBrush(clHighlight);
        FrameRect(dc, &r, highlight.get());
    }
    ExcludeClipRect(dc, ClientWidth() - systemButtonWidth_ - 2, 0, ClientWidth(), ClientHeight());
}

void TFlatComboBox::DrawSelectionLookNow()
{
    if (!HandleAllocated())
        return;
    WindowDC dc(Handle());
    if (dc)
        DrawSelectionLook(dc.get());
}

void TFlatComboBox::PaintClient(HDC dc, const RECT& update, UINT systemMessage)
{
    // A simple combo box has no button to keep room for: its right edge is painted like the rest.
    const bool button = Style() != csSimple;
    RECT r = update;
    if (button)
        r.right = std::min<LONG>(r.right, Width() - ArrowWidth - 4);
    {
        GdiObject<HBRUSH> face = SolidColorBrush(Color());
        FillRect(dc, &r, face.get());
    }
    if (button && RectsOverlap(update, ArrowRect()))
        DrawArrow(dc);
    if (button)
        ExcludeClipRect(dc, ClientWidth() - systemButtonWidth_ - 2, 0, ClientWidth(), ClientHeight());
    DefaultHandler(systemMessage, reinterpret_cast<WPARAM>(dc), systemMessage == WM_PRINTCLIENT ? PRF_CLIENT : 0);
    if (Style() == csDropDown && DroppedDown()) {
        RECT frame = ClientRect();
        InflateRect(&frame, -2, -2);
        frame.right = Width() - ArrowWidth - 3;
        GdiObject<HBRUSH> window = SolidColorBrush(clWindow);
        FrameRect(dc, &frame, window.get());
    } else if (Style() != csDropDown) {
        DrawSelectionLook(dc);
    }
}

LRESULT TFlatComboBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        {
            PaintDC dc(Handle());
            if (dc)
                PaintClient(dc.get(), dc.Area(), WM_PAINT);
        }
        PaintFlatFrame();
        return 0;
    }
    case WM_PRINTCLIENT: {
        // The same look into a given DC (the window has no frame outside its client area).
        auto dc = reinterpret_cast<HDC>(wParam);
        int saved = SaveDC(dc);
        PaintClient(dc, ClientRect(), WM_PRINTCLIENT);
        RestoreDC(dc, saved);
        DrawFrame(dc);
        if (Style() != csSimple)
            DrawArrow(dc);
        return 0;
    }
    case WM_NCPAINT: {
        LRESULT result = TCustomComboBox::WndProc(msg, wParam, lParam);
        PaintFlatFrame();
        return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT result = TCustomComboBox::WndProc(msg, wParam, lParam);
        UpdateActive();
        if (ListStyle())
            DrawSelectionLookNow();
        return result;
    }
    case WM_KEYDOWN: {
        std::string before = ListStyle() ? Text() : std::string();
        LRESULT result = TCustomComboBox::WndProc(msg, wParam, lParam);
        if (ListStyle() && Text() != before)
            DrawSelectionLookNow();
        return result;
    }
    case WM_WINDOWPOSCHANGED: {
        // After the system's own layout of the edit field, which would undo ours.
        LRESULT result = TCustomComboBox::WndProc(msg, wParam, lParam);
        FitEdit();
        return result;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        // The edit field and the dropped list come here first: both take the box's colour,
        // with the brush the control keeps for it.
        LRESULT result = TCustomComboBox::WndProc(msg, wParam, lParam);
        TCustomComboBox::Reflected(msg, wParam, lParam, result);
        return result;
    }
    case CM_SYSCOLORCHANGE:
    case CM_PARENTCOLORCHANGED: {
        LRESULT result = TCustomComboBox::WndProc(msg, wParam, lParam);
        CalcAdvColors();
        Invalidate();
        return result;
    }
    default:
        return TCustomComboBox::WndProc(msg, wParam, lParam);
    }
}

bool TFlatComboBox::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    bool handled = TCustomComboBox::Reflected(msg, wParam, lParam, result);
    if (msg != WM_COMMAND)
        return handled;
    switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
    case CBN_DROPDOWN:
    case CBN_SELENDOK:
        if (ListStyle())
            DrawSelectionLookNow();
        break;
    case CBN_CLOSEUP: {
        RECT arrow = ArrowRect();
        arrow.left -= 2;
        InvalidateRect(Handle(), &arrow, FALSE);
        break;
    }
    }
    return handled;
}
