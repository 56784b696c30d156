// TJPEGImage: a picture held as JPEG data together with its decoded pixels.
#pragma once

#include <windows.h>

#include "JpegCodec.h"
#include "Picture.h"

#include <cstdint>
#include <memory>
#include <vector>

class TBitmap;

// Loading decodes at once, so a damaged file fails when it is opened, not when it is shown.
// A picture loaded and saved unchanged is written back byte for byte; a picture made from a
// bitmap is encoded when saved, at CompressionQuality.
class TJPEGImage : public TGraphic {
public:
    TJPEGImage() = default;

    int Width() const override { return image_.Width; }
    int Height() const override { return image_.Height; }
    void Draw(TCanvas& canvas, const RECT& rect) override;
    std::unique_ptr<TGraphic> Clone() const override;

    // Reads from the stream's position to its end. Throws EJPEG (or a stream error) and then
    // keeps the previous picture.
    void LoadFromStream(TStream& stream) override;
    // Throws EJPEG for an empty picture.
    void SaveToStream(TStream& stream) override;

    // 1..100, used when the picture is next encoded; changing it makes a loaded picture be
    // encoded anew on saving.
    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int quality);

    // Takes the pixels of a bitmap of any pixel format.
    void Assign(const TBitmap& bitmap);
    // Makes the bitmap a 24-bit copy of the picture.
    void AssignTo(TBitmap& bitmap) const;
    std::unique_ptr<TBitmap> ToBitmap() const;

private:
    TBgrImage image_;
    std::vector<uint8_t> data_;   // the JPEG file image; empty until encoded
    int quality_ = JpegDefaultQuality;
};
