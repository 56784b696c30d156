// TIcon: an icon handle as a picture, read from .ico files after checking them.
#pragma once

#include <windows.h>

#include "Handles.h"
#include "Picture.h"

#include <cstdint>
#include <memory>
#include <vector>

class TIcon : public TGraphic {
public:
    TIcon();
    ~TIcon() override;

    HICON Handle() const { return handle_.get(); }
    // Takes ownership of `icon` (destroyed with DestroyIcon once); nullptr empties the icon.
    void SetHandle(HICON icon);
    // The same for an icon made at a size the caller knows, which spares asking the platform
    // for copies of its bitmaps.
    void SetHandle(HICON icon, int width, int height);
    HICON ReleaseHandle();
    void Assign(const TIcon& source);   // a copy of the icon (CopyIcon)

    int Width() const override { return width_; }
    int Height() const override { return height_; }

    // Reads a .ico file image and takes the image nearest to the system icon size, preferring
    // more colours. Everything in the file is checked before the platform sees it; a bad file
    // raises EInvalidGraphic.
    void LoadFromStream(TStream& stream) override;
    void LoadFromBytes(const uint8_t* data, size_t size);
    // Icons are written by the icon file writer, not here: raises EInvalidGraphic.
    void SaveToStream(TStream& stream) override;

    void Draw(TCanvas& canvas, const RECT& rect) override;
    std::unique_ptr<TGraphic> Clone() const override;

private:
    IconHandle handle_;
    int width_ = 0;
    int height_ = 0;
};
