// TPictureView: a picture of the editor (the enlarged view, the preview) that paints again, at
// once, only the part of itself in which its picture changed since it last showed it.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "ExtCtrls.h"

#include <exception>

class TPictureView : public TImage {
public:
    explicit TPictureView(TComponent* owner);

    // Paints the part of the view whose pixels (or see-through colour) differ from what it last
    // showed, at once. Drawing on the picture's canvas does it by itself unless held; changes
    // written into the pixel rows need the call.
    void ShowChanges();

    // While one is held, drawing on the picture shows nothing; the last one to go shows all that
    // changed in one paint (a pen's many stamps, a band erased and drawn anew).
    class THold {
    public:
        explicit THold(TPictureView& view) : view_(view), exceptions_(std::uncaught_exceptions())
        {
            ++view_.holds_;
        }
        // An exception on its way out leaves the showing to whoever handles it.
        ~THold() noexcept(false)
        {
            if (--view_.holds_ == 0 && view_.heldChanges_ && std::uncaught_exceptions() == exceptions_)
                view_.ShowChanges();
        }
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        TPictureView& view_;
        int exceptions_;
    };

protected:
    void PictureChanged() override;

private:
    // Takes the picture as shown; returns the part of the parent that shows what changed.
    RECT TakeChanges();

    // The picture as last shown, and whether and in which colour it was see-through.
    TBitmap shown_;
    bool shownTransparent_ = false;
    TColor shownKey_ = clNone;
    int holds_ = 0;
    bool heldChanges_ = false;   // the picture changed while held
};
