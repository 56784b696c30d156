// Pictures of any kind: the TGraphic base (bitmap, icon, JPEG) and TPicture, which holds one.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class TCanvas;
class TStream;
class TBitmap;
class TIcon;

class TGraphic {
public:
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    // Draws the whole picture into rect, stretched to its size.
    virtual void Draw(TCanvas& canvas, const RECT& rect) = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() <= 0 || Height() <= 0; }

    // Streams hold the file format of the kind (BMP, ICO, JPEG). Reading throws EInvalidGraphic
    // (or a kind of it) for data that is not a valid picture.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    // Whole-file forms over the streams; saving replaces an old file only once all is written.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool transparent);

    // A deep copy of the same kind (TPicture::Assign uses it).
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // Runs after the picture changed (loaded, resized, drawn on).
    std::function<void()> OnChange;

protected:
    TGraphic() = default;
    void Changed();

    bool transparent_ = false;
};

// A picture whose kind follows what is put into it: a file by its extension, or a graphic.
class TPicture {
public:
    TPicture() = default;
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // The picture as a bitmap or an icon: a picture of another kind (or none) is replaced by an
    // empty one first.
    TBitmap& Bitmap();
    TIcon& Icon();

    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    // .bmp, .ico, .jpg and .jpeg (any case); other extensions raise EInvalidGraphic.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    // Deep copies; an empty source empties the picture.
    void Assign(const TPicture& source);
    void Assign(const TGraphic* source);

    std::function<void()> OnChange;

private:
    void Changed();

    std::unique_ptr<TGraphic> graphic_;
};

// Makes an empty JPEG picture; defined with the JPEG picture class, which a picture loaded by
// extension may need.
std::unique_ptr<TGraphic> NewJpegGraphic();
