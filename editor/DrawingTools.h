// TDrawingTools: the editor's tools at work on the picture: how a press, the moves and the
// release on the enlarged view become pen stamps, lines, rectangles, ellipses, polygons, fills
// and picked colours, with rubber bands while a shape is being pulled.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "EditorModel.h"

#include <array>

// The picture pixel under a point of the eight-fold view: (v - 1) / 8 rounded to the nearest
// whole number, halves to even (5 gives 0, 13 and 21 give 2).
int ViewToPixel(int v);

// Sets the width x width square around (px, py) that the pen covers (from px - width div 2);
// pixels outside the picture are left out.
void StampPen(TBitmap& picture, int px, int py, int width, TColor color);

class TDrawingTools {
public:
    // Vertices are numbered from 1; the last place takes the copy of the first that closes it.
    static constexpr int PolygonCapacity = 102;

    explicit TDrawingTools(TEditorModel& model);

    // The brush of the outline tools (rectangle, ellipse) stays clear on release.
    bool ClearBrush = false;

    // A press on the view; false when ignored (a file is being read).
    bool Press(TMouseButton button, bool doubleClick, int x, int y);
    // A move over the view, pressed or not; returns the picture pixel under it.
    POINT Move(int x, int y);
    // A release on the view; true when it ended a gesture or added a vertex, so that the view
    // refreshes and the history takes the picture. False when ignored: a file is being read, or
    // no gesture began on the view.
    bool Release(TMouseButton button, int x, int y);
    // The mouse was taken away before the release: the press ends as if it had not been made.
    // The picture, its modified flag and the gesture's state go back to what they were at the
    // press (a polygon opened earlier stays open). False when no press was held.
    bool Cancel();

    // The picture as the user drew it: an open polygon's band to the pointer is drawn into the
    // picture while it follows the mouse, but is no part of what is saved.
    void CopyWithoutBand(TBitmap& into);

    int PolygonCount() const { return polygonCount_; }
    POINT PolygonPoint(int number) const { return polygon_.at(number); }
    // The pixel of the last release, where the text tool writes.
    POINT TextPosition() const { return textPosition_; }

private:
    TCanvas& Canvas() { return model_.Picture().Canvas(); }
    void Band(TPenMode mode, TColor color);
    void DrawLine(POINT from, POINT to);
    RECT EllipseBox() const;
    void ReleasePolygon(bool close, POINT at);

    // What a cancelled press goes back to.
    struct TBeforePress {
        bool held = false;
        TBitmap picture;
        bool modified = false;
        bool busy = false;
        bool shapeInProgress = false;
        POINT last = {};
        TColor penColor = clBlack;
        TPenMode penMode = pmCopy;
    };

    TEditorModel& model_;
    POINT start_ = {};
    POINT last_ = {};
    POINT centre_ = {};
    int dx_ = 0;
    int dy_ = 0;
    TMouseButton penButton_ = mbLeft;
    std::array<POINT, PolygonCapacity + 1> polygon_ = {};   // [0] unused
    int polygonCount_ = 1;
    bool polygonDoubleClick_ = false;
    POINT textPosition_ = {};
    TBeforePress beforePress_;
};
