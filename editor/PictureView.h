// TPictureView: the editor's enlarged picture, which paints again only the cells in which its
// picture changed since it last showed it.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "ExtCtrls.h"

class TPictureView : public TImage {
public:
    explicit TPictureView(TComponent* owner);

    // Repaints the cells whose pixels differ from what the view last showed. Drawing on the
    // picture's canvas does it by itself; changes written into the pixel rows need the call.
    void ShowChanges();

protected:
    void PictureChanged() override;

private:
    // The picture as last shown.
    TBitmap shown_;
};
