// The mark-up rendering engine: lays out, measures, hit-tests and draws the small HTML-like
// mark-up of the section list box's sub-items on a canvas.
#pragma once

#include <windows.h>

#include "Color.h"

#include <string>

class TCanvas;
class TImageList;
class TPictureContainer;
class THTMLPictureCache;

// What a call is asked to do, beyond the canvas, the text and the rectangle. The defaults are
// those every caller in the programs uses.
struct TMarkupOptions {
    TPictureContainer* pictures = nullptr;   // named pictures for IMG and BODY BACKGROUND
    THTMLPictureCache* cache = nullptr;      // pictures given by address ("://")
    TImageList* images = nullptr;            // images for src="idx:N"
    TColor shadowColor = clGray;
    TColor hoverColor = clNone;              // font colour of the hovered anchor
    TColor hoverBackground = clNone;         // brush behind the hovered anchor
    TColor anchorColor = clBlue;
    double printScale = 1.0;
    bool wordWrap = false;      // break at blanks; without it a clipped line ends in an ellipsis
    bool hoverOnly = true;      // anchor underline and hover colours only on the hovered anchor
    bool blinkOn = true;        // phase of <BLINK> text
    bool selected = false;      // mark-up text colours give way to the caller's selection colours
    bool printing = false;      // list and system icons stretched by printScale
    bool measureOnly = false;   // lay out and measure, draw nothing
    bool hitTestOnly = false;   // lay out with alignment and hit-test, draw nothing
    int shadowOffset = 1;
    int hoverAnchor = -1;       // counted from 1
    int focusAnchor = -1;       // counted from 0
    POINT point = {-1, -1};     // the point hit-tested
};

struct TMarkupResult {
    RECT hotRect = {0, 0, 0, 0};   // the anchor under the point
    int hotAnchor = -1;            // its number, counted from 1
    std::string hotTarget;
    int anchorCount = 0;
    int height = 0;                // all lines
    int width = 0;                 // the widest line
    std::string focusTarget;
    std::string plainText;         // the text runs, without tags
};

// Lays the mark-up out line by line from the top of rect, wrapping or clipping at its right, and
// draws it unless measuring or hit-testing. True when options.point lies on anchored text or
// on an image inside an anchor. Never throws for malformed mark-up; the canvas's font and brush
// colour are as before afterwards.
bool DrawMarkup(TCanvas& canvas, const std::string& text, const RECT& rect, const TMarkupOptions& options,
                TMarkupResult& result);

// "clred" .. "clwindow" (lower case, exact), 0 for anything else.
TColor ColorFromName(const std::string& name);
// "#RRGGBB" as a colour; hex digits of either case, any other character reads as 0, a pair
// cut short reads 0.
TColor ColorFromHex(const std::string& hex);

// An icon of the shell's system image list (small, or large): `source` is an index when it
// reads as a whole decimal number, else a path whose icon (or, when missing, the icon of its
// file type) is taken. `size` receives the list's icon size. Draws at (x, y) when `draw` is set,
// stretched by `scale` when printing. False when the system list is not available.
bool DrawSystemIcon(TCanvas& canvas, int x, int y, SIZE& size, double scale, bool printing, bool draw, bool large,
                    const std::string& source);
