// Tpenwidthcombo: the editor's line-width box, a drop-down list of the widths 1 to 10 that
// shows each width as a sample line.
#pragma once

#include <windows.h>

#include "StdCtrls.h"

// Where one item of the box draws: the framed sample with its line, and the text beside it.
struct TPenWidthSample {
    RECT box;
    POINT lineFrom;
    POINT lineTo;
    RECT text;
};

// The sample box is inset 3 pixels from the item's top, bottom and left and ends 48 pixels from
// its left; the line runs across the box's middle, 5 pixels in from either side; the text keeps
// the item's rectangle, moved 50 pixels right, past the box.
TPenWidthSample PenWidthSampleGeometry(const RECT& item);

constexpr int PenWidthCount = 10;

class Tpenwidthcombo : public TCustomComboBox {
public:
    explicit Tpenwidthcombo(TComponent* owner);

    // The chosen width, 1..10.
    int PenWidth() const;

protected:
    void DrawItem(int index, const RECT& rect, TOwnerDrawState state) override;
};
