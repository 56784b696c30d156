// The picture base class and TPicture, which picks the kind of picture by file extension.
#include "Picture.h"

#include "Bitmap.h"
#include "Classes.h"
#include "Exceptions.h"
#include "Icon.h"
#include "SysUtils.h"

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName)
{
    // Everything is encoded before the file is touched, so a failure leaves the old file as it was.
    TMemoryStream stream;
    SaveToStream(stream);
    stream.SaveToFile(fileName);
}

void TGraphic::SetTransparent(bool transparent)
{
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    Changed();
}

void TGraphic::Changed()
{
    if (OnChange)
        OnChange();
}

TPicture::~TPicture() = default;

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic)
{
    graphic_ = std::move(graphic);
    if (graphic_)
        graphic_->OnChange = [this] { Changed(); };
    Changed();
}

TBitmap& TPicture::Bitmap()
{
    auto* bitmap = dynamic_cast<TBitmap*>(graphic_.get());
    if (!bitmap) {
        auto made = std::make_unique<TBitmap>();
        bitmap = made.get();
        SetGraphic(std::move(made));
    }
    return *bitmap;
}

TIcon& TPicture::Icon()
{
    auto* icon = dynamic_cast<TIcon*>(graphic_.get());
    if (!icon) {
        auto made = std::make_unique<TIcon>();
        icon = made.get();
        SetGraphic(std::move(made));
    }
    return *icon;
}

void TPicture::LoadFromFile(const std::string& fileName)
{
    std::string ext = AnsiLowerCase(ExtractFileExt(fileName));
    std::unique_ptr<TGraphic> graphic;
    if (ext == ".bmp")
        graphic = std::make_unique<TBitmap>();
    else if (ext == ".ico")
        graphic = std::make_unique<TIcon>();
    else if (ext == ".jpg" || ext == ".jpeg")
        graphic = NewJpegGraphic();
    else
        throw EInvalidGraphic("Unbekannte Dateierweiterung eines Bildes (" + ext + ").");
    graphic->LoadFromFile(fileName);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName)
{
    if (!graphic_)
        throw EInvalidGraphic("Ein leeres Bild kann nicht gespeichert werden.");
    graphic_->SaveToFile(fileName);
}

void TPicture::Assign(const TPicture& source)
{
    if (&source != this)
        Assign(source.graphic_.get());
}

void TPicture::Assign(const TGraphic* source)
{
    if (source == graphic_.get())
        return;
    SetGraphic(source ? source->Clone() : nullptr);
}

void TPicture::Changed()
{
    if (OnChange)
        OnChange();
}
