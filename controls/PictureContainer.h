// Pictures for the mark-up: a graphic over the system's picture loader (with the choice of a GIF
// frame), named pictures in a container component, and the cache of pictures given by address.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "ComPtr.h"
#include "Component.h"
#include "Picture.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Keeps the bytes of a picture file (BMP, ICO, WMF, JPEG, GIF: whatever the system's picture
// loader reads) and draws them through the system's picture object.
class THTMLPicture : public TGraphic {
public:
    THTMLPicture();
    ~THTMLPicture() override;

    // Copies the bytes of another THTMLPicture; anything else (or nullptr) empties this one.
    void Assign(const TGraphic* source);
    std::unique_ptr<TGraphic> Clone() const override;

    // At natural size from the top-left corner of rect, or filling rect with Stretch.
    void Draw(TCanvas& canvas, const RECT& rect) override;
    bool Empty() const override { return isEmpty_; }
    int Width() const override;
    int Height() const override;
    // The size is the picture's own.
    void SetWidth(int) {}
    void SetHeight(int) {}

    // Load failures raise EInvalidGraphic (EOutOfResources when no memory is left); the old
    // picture is gone by then, so nothing is drawn afterwards.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;   // the held bytes
    // Form data: as LoadFromStream, without the change notice.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) { SaveToStream(stream); }
    // An RCDATA resource of the module; a missing or empty one leaves the picture as it was.
    void LoadFromResourceName(HINSTANCE instance, const std::string& name);
    // "res://NAME" (a resource of the program), "file://PATH", or an address, which is handed to
    // a download thread that fetches nothing here.
    void LoadFromURL(const std::string& source);

    bool IsGIFFile() const;
    // The frames of a GIF (graphic control extensions directly followed by an image), -1 for
    // any other data.
    int GetFrameCount();
    // The GIF's logical screen when known, else the picture's size.
    int GetMaxWidth() const;
    int GetMaxHeight() const;

    int Frame() const { return frame_; }
    // Counted from 1; with bytes held the picture is reloaded showing that frame.
    void SetFrame(int frame);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch) { stretch_ = stretch; }

    const std::vector<uint8_t>& Data() const { return data_; }
    IPicture* Picture() const { return picture_.get(); }
    const std::string& ID() const { return id_; }
    const std::string& URL() const { return url_; }
    bool Asynch() const { return asynch_; }
    void SetAsynch(bool asynch) { asynch_ = asynch; }
    bool DownloadStarted() const { return downloadStarted_; }

    // The image descriptor of the shown GIF frame and the GIF's logical screen; 0 when unknown.
    uint16_t FrameLeft() const { return frameLeft_; }
    uint16_t FrameTop() const { return frameTop_; }
    uint16_t FrameWidth() const { return frameWidth_; }
    uint16_t FrameHeight() const { return frameHeight_; }
    uint16_t ScreenWidth() const { return screenWidth_; }
    uint16_t ScreenHeight() const { return screenHeight_; }

    std::function<void()> OnFrameChange;
    // Nothing is downloaded in this program, so these never run.
    std::function<void(unsigned long size, unsigned long total, bool& cancel)> OnDownLoadProgress;
    std::function<void()> OnDownLoadCancel;
    std::function<void()> OnDownLoadComplete;
    std::function<void()> OnDownLoadError;

private:
    void SetData(const uint8_t* data, size_t size);
    void LoadPicture();
    std::vector<uint8_t> FrameBytes();

    std::vector<uint8_t> data_;
    bool isEmpty_ = true;
    bool stretch_ = false;
    ComPtr<IPicture> picture_;
    std::string url_;
    std::string id_;
    bool asynch_ = true;
    bool downloadStarted_ = false;
    int frame_ = 1;
    int frameCount_ = -1;
    uint16_t frameLeft_ = 0;
    uint16_t frameTop_ = 0;
    uint16_t frameWidth_ = 0;
    uint16_t frameHeight_ = 0;
    uint16_t screenWidth_ = 0;
    uint16_t screenHeight_ = 0;
};

// The thread started for a picture given by address. It starts running at once and frees
// itself when done; it fetches nothing and never touches its picture.
class TDownLoadThread {
public:
    static void Start(THTMLPicture* picture);

private:
    explicit TDownLoadThread(THTMLPicture* picture) : picture_(picture) {}
    void Execute() {}

    THTMLPicture* picture_;
};

class TPictureCollection;

class TPictureItem {
public:
    explicit TPictureItem(TPictureCollection* collection);

    TPictureCollection* Collection() const { return collection_; }
    int Index() const;

    THTMLPicture& Picture() { return *picture_; }
    const THTMLPicture& Picture() const { return *picture_; }
    void SetPicture(const THTMLPicture& picture) { picture_->Assign(&picture); }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    void Assign(const TPictureItem& source);

private:
    TPictureCollection* collection_;
    std::unique_ptr<THTMLPicture> picture_;
    std::string name_;
    int tag_ = 0;
};

class TPictureContainer;

class TPictureCollection {
public:
    explicit TPictureCollection(TPictureContainer* owner) : owner_(owner) {}
    TPictureCollection(const TPictureCollection&) = delete;
    TPictureCollection& operator=(const TPictureCollection&) = delete;

    TPictureContainer* Owner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Throws EListError for an index outside 0..Count()-1.
    TPictureItem& Items(int index) const;
    TPictureItem& Add();
    void Delete(int index);
    void Clear() { items_.clear(); }
    int IndexOf(const TPictureItem* item) const;
    // Replaces the items by copies of the source's.
    void Assign(const TPictureCollection& source);

private:
    TPictureContainer* owner_;
    std::vector<std::unique_ptr<TPictureItem>> items_;
};

class TPictureContainer : public TComponent {
public:
    explicit TPictureContainer(TComponent* owner = nullptr);

    TPictureCollection& Items() { return items_; }
    const TPictureCollection& Items() const { return items_; }
    void SetItems(const TPictureCollection& items) { items_.Assign(items); }

    // The first item whose upper-cased name equals `name` exactly: callers pass it upper-cased.
    THTMLPicture* FindPicture(const std::string& name) const;

private:
    TPictureCollection items_;
};

// Pictures given by address, found by the source text they were loaded from. The cache owns them.
class THTMLPictureCache {
public:
    THTMLPictureCache() = default;
    THTMLPictureCache(const THTMLPictureCache&) = delete;
    THTMLPictureCache& operator=(const THTMLPictureCache&) = delete;

    // A new empty picture, appended.
    THTMLPicture& AddPicture();
    THTMLPicture* FindPicture(const std::string& id) const;
    int Count() const { return static_cast<int>(pictures_.size()); }
    THTMLPicture& Items(int index) const;
    void Clear() { pictures_.clear(); }

private:
    std::vector<std::unique_ptr<THTMLPicture>> pictures_;
};
