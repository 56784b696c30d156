// Tpenwidthcombo: the items "1".."10", each drawn as a line of its width in a small frame.
#include <windows.h>

#include "penwidthcombo.h"

#include <algorithm>
#include <string>

TPenWidthSample PenWidthSampleGeometry(const RECT& item)
{
    TPenWidthSample sample;
    sample.box = {item.left + 3, item.top + 3, item.left + 48, item.bottom - 3};
    int middle = sample.box.top + (sample.box.bottom - sample.box.top) / 2;
    sample.lineFrom = {sample.box.left + 5, middle};
    sample.lineTo = {sample.box.right - 5, middle};
    sample.text = item;
    OffsetRect(&sample.text, 50, 0);
    return sample;
}

Tpenwidthcombo::Tpenwidthcombo(TComponent* owner) : TCustomComboBox(owner)
{
    SetStyle(csOwnerDrawFixed);
    for (int width = 1; width <= PenWidthCount; ++width)
        AddItem(std::to_string(width));
}

int Tpenwidthcombo::PenWidth() const
{
    // With nothing chosen yet the thinnest line, never a width of 0 that would draw nothing.
    return std::max(ItemIndex(), 0) + 1;
}

void Tpenwidthcombo::DrawItem(int index, const RECT& rect, TOwnerDrawState state)
{
    TCanvas& canvas = Canvas();
    canvas.FillRect(rect);
    if (index < 0)
        return;
    TPenWidthSample sample = PenWidthSampleGeometry(rect);
    TColor background = canvas.Brush().Color();

    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetWidth(index + 1);
    canvas.MoveTo(sample.lineFrom.x, sample.lineFrom.y);
    canvas.LineTo(sample.lineTo.x, sample.lineTo.y);
    canvas.Pen().SetWidth(1);
    canvas.Brush().SetColor(clBlack);
    canvas.FrameRect(sample.box);

    canvas.Brush().SetColor(background);
    TCustomComboBox::DrawItem(index, sample.text, state);
}
