// How the section list box paints its rows: headers with node, image and caption; sub-items as
// plain, URL, rich or mark-up text with check boxes, radio buttons and images; selection and focus.
#include <windows.h>

#include "slstbox.h"

#include "Markup.h"
#include "SectionRows.h"

#include <algorithm>

using namespace SectionRows;

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
    // Nothing a row draws reaches the next: a text taller than its row is cut at the row's edge.
    const ClippedDC clip(canvas.Handle(), rect);

    // 1. Font and colours.
    if (header) {
        SetHeaderFont(canvas, section);
        canvas.Brush().SetColor(sectionColor_);
    } else {
        SetSubItemFont(canvas, section);
        canvas.Brush().SetColor(selected ? selectionColor_ : section.Color());
        if (selected)
            canvas.Font().SetColor(selectionTextColor_);
    }
    canvas.Brush().SetStyle(bsSolid);
    // 2. URL text.
    if (urlSettings_.URLAware() && IsURL(text) && !IsMarkup(text)) {
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
    x = rect.left + TextLeft(section, subItemIdx);
    int textWidth = 0;
    if (IsRichText(text)) {
        // A header keeps its look when selected, as its plain caption does.
        const bool selectedLook = selected && !header;
        richText_.Draw(canvas, text, {x, rect.top, rect.right, rect.bottom}, selectedLook,
                       selectedLook ? selectionColor_ : Color(), wordWrap_);
        textWidth = rect.right - x;
    } else if (IsMarkup(text)) {
        RECT area = {x, rect.top, rect.right, rect.bottom};
        TMarkupOptions options = RowMarkupOptions(selected);
        TMarkupResult result;
        DrawMarkup(canvas, text, area, options, result);
        textWidth = result.width;
    } else
        textWidth = DrawPlainText(canvas, section, index, text, {x, rect.top, rect.right, rect.bottom}, rect.left,
                                  height, selected);
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
// holds tabs or is a header; tab stops count from `tabOrigin`, the row's left, where the grid lines
// stand. Returns the width of the text.
int TSectionListBox::DrawPlainText(TCanvas& canvas, TListSection& section, int row, const std::string& text,
                                   const RECT& rect, int tabOrigin, int height, bool selected)
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
                       stops.empty() ? nullptr : stops.data(), tabOrigin);
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
