// Drawing the face of the flat buttons.
#include <windows.h>

#include "FlatButtonFace.h"

#include <algorithm>
#include <memory>

namespace {

void DrawGlyph(TCanvas& canvas, POINT at, const TFlatButtonFace& face)
{
    TBitmap& glyph = *face.glyph;
    const int count = std::clamp(face.numGlyphs, 1, 4);
    const int width = glyph.Width() / count;
    const int height = glyph.Height();
    if (width <= 0 || height <= 0)
        return;
    // Image of each state, by the number of images in the strip.
    static const int images[4][4] = {
        // up, disabled, down, exclusive
        {0, 0, 0, 0},
        {0, 1, 0, 0},
        {0, 1, 2, 2},
        {0, 1, 2, 3},
    };
    const int index = images[count - 1][face.state];
    TColor key = glyph.PixelColor(0, height - 1);
    TBitmap image(width, height);
    image.Canvas().CopyRect(RECT{0, 0, width, height}, glyph.Canvas(),
                            RECT{index * width, 0, (index + 1) * width, height});
    if (count == 1 && face.state == bsDisabled) {
        std::unique_ptr<TBitmap> disabled = MakeDisabledGlyph(image, clBlack, clBtnFace, clBtnHighlight, clBtnShadow, true);
        image.Assign(*disabled);
        key = image.PixelColor(0, height - 1);
    }
    image.SetTransparentColor(key);
    image.SetTransparent(true);
    canvas.Draw(at.x, at.y, image);
}

}  // namespace

bool FlatButtonFaceFilled(const TFlatButtonFace& face)
{
    return face.transparentMode == tmNone || (face.transparentMode == tmNotFocused && face.hovered);
}

TGlyphLayout DrawFlatButtonFace(TCanvas& canvas, const RECT& r, const TFlatButtonFace& face)
{
    const bool sunk = face.state == bsDown || face.state == bsExclusive;
    TGlyphLayout placed = LayoutGlyphAndCaption(canvas, r, sunk ? POINT{1, 1} : POINT{0, 0}, face.caption,
                                                face.layout, face.margin, face.spacing, face.glyph, face.numGlyphs);

    if (FlatButtonFaceFilled(face)) {
        TColor fill = face.color;
        switch (face.state) {
        case bsUp: fill = face.hovered ? face.colors[fcFocused] : face.color; break;
        case bsDisabled: fill = face.color; break;
        case bsDown: fill = face.colors[fcDown]; break;
        case bsExclusive: fill = face.hovered ? face.colors[fcFocused] : face.colors[fcDown]; break;
        }
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(fill);
        canvas.FillRect(r);
    }

    TColor topLeft = face.colors[fcBorder];
    TColor bottomRight = face.colors[fcBorder];
    int thickness = 1;
    if (face.state == bsUp && face.hovered) {
        topLeft = face.colors[fcHighLight];
        bottomRight = face.colors[fcShadow];
    } else if (sunk) {
        topLeft = face.colors[fcShadow];
        bottomRight = face.colors[fcHighLight];
    } else if (face.state == bsUp && face.isDefault) {
        thickness = 2;
    }
    canvas.Brush().SetStyle(bsSolid);
    for (int i = 0; i < thickness; ++i) {
        RECT f = r;
        InflateRect(&f, -i, -i);
        canvas.Brush().SetColor(topLeft);
        canvas.FillRect(RECT{f.left, f.top, f.right - 1, f.top + 1});
        canvas.FillRect(RECT{f.left, f.top, f.left + 1, f.bottom - 1});
        canvas.Brush().SetColor(bottomRight);
        canvas.FillRect(RECT{f.left, f.bottom - 1, f.right, f.bottom});
        canvas.FillRect(RECT{f.right - 1, f.top, f.right, f.bottom});
    }

    if (face.glyph && !face.glyph->Empty())
        DrawGlyph(canvas, placed.glyphPos, face);
    DrawFlatCaption(canvas, face.caption, placed.textBounds, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                    face.state != bsDisabled);
    return placed;
}

int NumGlyphsOfStrip(const TBitmap& glyph, int current)
{
    if (glyph.Empty() || glyph.Height() <= 0 || glyph.Width() % glyph.Height() != 0)
        return current;
    int count = glyph.Width() / glyph.Height();
    return count > 4 ? 1 : count;
}
