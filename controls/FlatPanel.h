// TFlatPanel: a container with a one-pixel two-colour frame and a caption, optionally showing
// its parent's background instead of its own colour.
#pragma once

#include <windows.h>

#include "ExtCtrls.h"
#include "FlatUtilitys.h"

class TFlatPanel : public TPanel {
public:
    explicit TFlatPanel(TComponent* owner);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    TColor ColorHighLight() const { return colorHighLight_; }
    void SetColorHighLight(TColor color);
    TColor ColorShadow() const { return colorShadow_; }
    void SetColorShadow(TColor color);

protected:
    void Paint() override;

private:
    bool transparent_ = false;
    TColor colorHighLight_ = FlatBorderColor;
    TColor colorShadow_ = FlatBorderColor;
};
