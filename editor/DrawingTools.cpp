// The drawing tools' gestures on the working picture.
#include <windows.h>

#include "DrawingTools.h"

int ViewToPixel(int v)
{
    // Floor division first, so that points left of or above the view round the same way.
    const int n = v - 1;
    int q = n >= 0 ? n / 8 : -((-n + 7) / 8);
    const int r = n - 8 * q;
    if (r > 4 || (r == 4 && q % 2 != 0))
        ++q;
    return q;
}

void StampPen(TBitmap& picture, int px, int py, int width, TColor color)
{
    const int half = width / 2;
    for (int j = 0; j < width; ++j)
        for (int i = 0; i < width; ++i) {
            int x = px - half + i, y = py - half + j;
            if (x >= 0 && y >= 0 && x < picture.Width() && y < picture.Height())
                picture.Canvas().SetPixel(x, y, color);
        }
}

TDrawingTools::TDrawingTools(TEditorModel& model) : model_(model)
{
}

bool TDrawingTools::Press(TMouseButton button, bool doubleClick, int x, int y)
{
    if (model_.Loading)
        return false;
    // A second button pressed while the first is held belongs to the same press.
    if (!beforePress_.held) {
        beforePress_.held = true;
        beforePress_.picture.Assign(model_.Picture());
        beforePress_.modified = model_.Modified;
        beforePress_.busy = model_.Busy;
        beforePress_.shapeInProgress = model_.ShapeInProgress;
        beforePress_.last = last_;
        beforePress_.penColor = Canvas().Pen().Color();
        beforePress_.penMode = Canvas().Pen().Mode();
    }
    if (model_.CurrentTool == etPolygon && doubleClick) {
        polygonDoubleClick_ = true;
        return true;
    }
    const POINT p = {ViewToPixel(x), ViewToPixel(y)};
    if (!model_.ShapeInProgress) {
        switch (model_.CurrentTool) {
        case etEllipse:
            centre_ = p;
            dx_ = dy_ = 0;
            break;
        case etPen:
            penButton_ = button;
            break;
        case etPolygon:
            polygon_[1] = p;
            start_ = last_ = p;
            break;
        case etLine:
        case etRectangle:
            start_ = last_ = p;
            break;
        default:
            break;
        }
        model_.ShapeInProgress = true;
    }
    model_.Busy = true;
    model_.Modified = true;
    return true;
}

void TDrawingTools::Band(TPenMode mode, TColor color)
{
    TPen& pen = Canvas().Pen();
    pen.SetStyle(psSolid);
    pen.SetMode(mode);
    pen.SetColor(color);
}

void TDrawingTools::DrawLine(POINT from, POINT to)
{
    Canvas().MoveTo(from.x, from.y);
    Canvas().LineTo(to.x, to.y);
}

RECT TDrawingTools::EllipseBox() const
{
    return {centre_.x - dx_, centre_.y - dy_, centre_.x + dx_, centre_.y + dy_};
}

POINT TDrawingTools::Move(int x, int y)
{
    const POINT p = {ViewToPixel(x), ViewToPixel(y)};
    if (model_.Loading || !model_.ShapeInProgress)
        return p;
    TCanvas& canvas = Canvas();
    switch (model_.CurrentTool) {
    case etPolygon:
        canvas.Pen().SetColor(model_.PrimaryColor);
        [[fallthrough]];
    case etLine:
        // Drawn twice in not-XOR mode with one colour, a band leaves the picture as it was.
        Band(pmNotXor, canvas.Pen().Color());
        DrawLine(start_, last_);
        DrawLine(start_, p);
        last_ = p;
        break;
    case etEllipse:
        Band(pmNotXor, canvas.Pen().Color());
        canvas.Ellipse(EllipseBox());
        dx_ = centre_.x - p.x;
        dy_ = centre_.y - p.y;
        canvas.Ellipse(EllipseBox());
        break;
    case etRectangle:
        Band(pmNotXor, canvas.Pen().Color());
        canvas.Rectangle(start_.x, start_.y, last_.x, last_.y);
        last_ = p;
        canvas.Rectangle(start_.x, start_.y, last_.x, last_.y);
        break;
    case etPen:
        canvas.Pen().SetMode(pmCopy);
        StampPen(model_.Picture(), p.x, p.y, canvas.Pen().Width(),
                 penButton_ != mbLeft ? model_.SecondaryColor : model_.PrimaryColor);
        break;
    default:
        break;
    }
    return p;
}

bool TDrawingTools::Release(TMouseButton button, int x, int y)
{
    beforePress_.held = false;
    if (model_.Loading || !model_.ShapeInProgress)
        return false;
    if (model_.CurrentTool == etPolygon && polygonDoubleClick_) {
        button = mbRight;
        polygonDoubleClick_ = false;
    }
    model_.Busy = false;

    TCanvas& canvas = Canvas();
    // The colour the last band was drawn in: erasing it takes the same one.
    const TColor bandColor = canvas.Pen().Color();
    canvas.Pen().SetColor(model_.PrimaryColor);
    if (ClearBrush)
        canvas.Brush().SetStyle(bsClear);
    else
        canvas.Brush().SetColor(model_.SecondaryColor);

    const POINT p = {ViewToPixel(x), ViewToPixel(y)};
    textPosition_ = p;
    const TColor buttonColor = button == mbLeft ? model_.PrimaryColor : model_.SecondaryColor;

    switch (model_.CurrentTool) {
    case etLine:
        Band(pmNotXor, bandColor);
        DrawLine(start_, last_);
        Band(pmCopy, button == mbRight ? model_.SecondaryColor : model_.PrimaryColor);
        DrawLine(start_, p);
        last_ = p;
        break;
    case etEllipse:
        Band(pmCopy, model_.PrimaryColor);
        canvas.Ellipse(EllipseBox());
        dx_ = centre_.x - p.x;
        dy_ = centre_.y - p.y;
        canvas.Ellipse(EllipseBox());
        break;
    case etRectangle:
        // To the last point a move reported, where the band is.
        Band(pmCopy, model_.PrimaryColor);
        canvas.Rectangle(start_.x, start_.y, last_.x, last_.y);
        break;
    case etPen:
        canvas.Pen().SetMode(pmCopy);
        StampPen(model_.Picture(), p.x, p.y, canvas.Pen().Width(),
                 button == mbRight ? model_.SecondaryColor : model_.PrimaryColor);
        break;
    case etPolygon:
        Band(pmNotXor, bandColor);
        ReleasePolygon(button != mbLeft, p);
        break;
    case etFill:
        canvas.Pen().SetMode(pmCopy);
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(buttonColor);
        if (p.x >= 0 && p.y >= 0 && p.x < model_.Picture().Width() && p.y < model_.Picture().Height())
            canvas.FloodFill(p.x, p.y, model_.Picture().PixelColor(p.x, p.y), fsSurface);
        break;
    case etPipette: {
        TColor picked = model_.Picture().PixelColor(p.x, p.y);
        if (picked != clNone)
            model_.SetButtonColor(button, picked);
        break;
    }
    default:
        break;
    }
    if (model_.CurrentTool != etPolygon)
        model_.ShapeInProgress = false;
    return true;
}

bool TDrawingTools::Cancel()
{
    if (!beforePress_.held)
        return false;
    beforePress_.held = false;
    // The picture at the press has no band of this press in it; an open polygon's band to the
    // pointer is there and `last` still names its end.
    model_.Picture().Assign(beforePress_.picture);
    model_.Modified = beforePress_.modified;
    model_.Busy = beforePress_.busy;
    model_.ShapeInProgress = beforePress_.shapeInProgress;
    last_ = beforePress_.last;
    polygonDoubleClick_ = false;
    Canvas().Pen().SetColor(beforePress_.penColor);
    Canvas().Pen().SetMode(beforePress_.penMode);
    return true;
}

void TDrawingTools::CopyWithoutBand(TBitmap& into)
{
    into.Assign(model_.Picture());
    if (model_.CurrentTool != etPolygon || !model_.ShapeInProgress)
        return;
    // Drawn once more in not-XOR mode with its own pen, the band leaves the copy.
    TPen& band = Canvas().Pen();
    TPen& pen = into.Canvas().Pen();
    pen.SetStyle(psSolid);
    pen.SetWidth(band.Width());
    pen.SetMode(pmNotXor);
    pen.SetColor(band.Color());
    into.Canvas().MoveTo(start_.x, start_.y);
    into.Canvas().LineTo(last_.x, last_.y);
}

void TDrawingTools::ReleasePolygon(bool close, POINT at)
{
    // The band from the last vertex goes first; its pen is still in not-XOR mode.
    DrawLine(start_, last_);
    // A full table closes the polygon: its last place is the copy of the first vertex.
    if (!close && polygonCount_ + 1 >= PolygonCapacity)
        close = true;
    Band(pmCopy, model_.PrimaryColor);
    if (!close) {
        ++polygonCount_;
        polygon_[polygonCount_] = at;
        DrawLine(polygon_[polygonCount_ - 1], polygon_[polygonCount_]);
        start_ = last_ = at;
        model_.Busy = true;
        return;
    }
    polygon_[polygonCount_ + 1] = polygon_[1];
    DrawLine(polygon_[polygonCount_], polygon_[1]);
    polygonCount_ = 1;
    model_.ShapeInProgress = false;
}
