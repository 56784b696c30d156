// The JPEG picture class over the codec, and the factory through which TPicture opens .jpg files.
#include <windows.h>

#include "JpegImage.h"

#include "Bitmap.h"
#include "Classes.h"
#include "Exceptions.h"
#include "Graphics.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<TGraphic> NewJpegGraphic()
{
    return std::make_unique<TJPEGImage>();
}

void TJPEGImage::Draw(TCanvas& canvas, const RECT& rect)
{
    if (Empty())
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image_.Width;
    info.bmiHeader.biHeight = -image_.Height;   // our rows run top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(canvas.Handle(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0,
                  image_.Width, image_.Height, image_.Pixels.data(), &info, DIB_RGB_COLORS, canvas.CopyMode());
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const
{
    auto copy = std::make_unique<TJPEGImage>();
    copy->image_ = image_;
    copy->data_ = data_;
    copy->quality_ = quality_;
    return copy;
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    const int64_t remaining = stream.Size() - stream.Position();
    // Any file above this would decode to more than JpegMaxPixels anyway.
    if (remaining > (256 << 20))
        throw EJPEG("Die JPEG-Datei ist zu groß.");
    std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(remaining, 0)));
    stream.ReadBuffer(data.data(), data.size());
    TBgrImage image = JpegDecode(data);
    image_ = std::move(image);
    data_ = std::move(data);
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream)
{
    if (data_.empty())
        data_ = JpegEncode(image_, quality_);
    stream.WriteBuffer(data_.data(), data_.size());
}

void TJPEGImage::SetCompressionQuality(int quality)
{
    quality = std::clamp(quality, 1, 100);
    if (quality == quality_)
        return;
    quality_ = quality;
    if (!image_.Empty())
        data_.clear();
}

void TJPEGImage::Assign(const TBitmap& bitmap)
{
    // Other formats go through a 24-bit copy, which does the colour conversion.
    std::unique_ptr<TBitmap> converted;
    const TBitmap* source = &bitmap;
    if (bitmap.PixelFormat() != pf24bit && !bitmap.Empty()) {
        converted = std::make_unique<TBitmap>();
        converted->Assign(bitmap);
        converted->SetPixelFormat(pf24bit);
        source = converted.get();
    }
    TBgrImage image;
    image.SetSize(source->Width(), source->Height());
    const size_t rowBytes = static_cast<size_t>(image.Width) * 3;
    for (int y = 0; y < image.Height; ++y)
        std::memcpy(image.Row(y), source->ScanLine(y), rowBytes);
    image_ = std::move(image);
    data_.clear();
    Changed();
}

void TJPEGImage::AssignTo(TBitmap& bitmap) const
{
    // Emptied first so that the format change converts no old pixels.
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(image_.Width, image_.Height);
    const size_t rowBytes = static_cast<size_t>(image_.Width) * 3;
    for (int y = 0; y < image_.Height; ++y)
        std::memcpy(bitmap.ScanLine(y), image_.Row(y), rowBytes);
}

std::unique_ptr<TBitmap> TJPEGImage::ToBitmap() const
{
    auto bitmap = std::make_unique<TBitmap>();
    AssignTo(*bitmap);
    return bitmap;
}
