// The mark-up's pictures: loading through the system's picture object, GIF frames, the named
// container and the address cache.
#include "PictureContainer.h"

#include "BmpFormat.h"
#include "Classes.h"
#include "Exceptions.h"
#include "Graphics.h"
#include "LateLibrary.h"
#include "SysUtils.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace {

// Frames are found by the bytes of a graphic control extension ("!", label $F9, block size 4)
// whose image separator "," follows right after it.
bool IsFrameStart(const std::vector<uint8_t>& data, size_t p)
{
    return data[p] == 0x21 && data.size() > p + 9 && data[p + 1] == 0xF9 && data[p + 2] == 4 &&
           data[p + 8] == 0x2C;
}

uint16_t Word(const std::vector<uint8_t>& data, size_t p)
{
    return static_cast<uint16_t>(data[p] | (data[p + 1] << 8));
}

// A memory block for a stream, freed unless the stream took it over.
class GlobalBlock {
public:
    explicit GlobalBlock(size_t size) : handle_(GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(size, 1))) {}
    ~GlobalBlock()
    {
        if (handle_)
            GlobalFree(handle_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    HGLOBAL get() const { return handle_; }
    HGLOBAL release() { return std::exchange(handle_, nullptr); }

private:
    HGLOBAL handle_;
};

bool IsMetafileDC(HDC dc)
{
    DWORD type = GetObjectType(dc);
    return type == OBJ_METADC || type == OBJ_ENHMETADC;
}

}  // namespace

THTMLPicture::THTMLPicture() = default;
THTMLPicture::~THTMLPicture() = default;

void THTMLPicture::Assign(const TGraphic* source)
{
    if (source == this)
        return;
    isEmpty_ = true;
    picture_.reset();
    frameCount_ = -1;
    url_.clear();
    downloadStarted_ = false;
    frame_ = 1;
    // A foreign or empty source leaves no stale bytes behind that SaveToStream would still write.
    data_.clear();
    const auto* html = dynamic_cast<const THTMLPicture*>(source);
    if (!html || html->data_.empty())
        return;
    data_ = html->data_;
    isEmpty_ = false;
    LoadPicture();
    Changed();
}

std::unique_ptr<TGraphic> THTMLPicture::Clone() const
{
    auto copy = std::make_unique<THTMLPicture>();
    copy->stretch_ = stretch_;
    copy->Assign(this);
    return copy;
}

void THTMLPicture::Draw(TCanvas& canvas, const RECT& rect)
{
    if (isEmpty_ || !picture_)
        return;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture_->get_Width(&hmWidth);
    picture_->get_Height(&hmHeight);
    HDC dc = canvas.Handle();
    // Only metafile targets take bounds.
    const RECT* bounds = IsMetafileDC(dc) ? &rect : nullptr;
    // The source rectangle is in HIMETRIC, which runs bottom-up: it is given from the top with a
    // negative height. (Flipping the destination instead is equivalent on Windows, but Wine's
    // blit loses half the picture that way.)
    RECT target = rect;
    if (!stretch_) {
        target.right = rect.left + MulDiv(hmWidth, GetDeviceCaps(dc, LOGPIXELSX), 2540);
        target.bottom = rect.top + MulDiv(hmHeight, GetDeviceCaps(dc, LOGPIXELSY), 2540);
    }
    picture_->Render(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0,
                     hmHeight, hmWidth, -hmHeight, bounds);
    canvas.Changed();
}

int THTMLPicture::Width() const
{
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    if (!picture_ || FAILED(picture_->get_Width(&hmWidth)))
        return 0;
    return MulDiv(hmWidth, 96, 2540);
}

int THTMLPicture::Height() const
{
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (!picture_ || FAILED(picture_->get_Height(&hmHeight)))
        return 0;
    return MulDiv(hmHeight, 96, 2540);
}

void THTMLPicture::SetData(const uint8_t* data, size_t size)
{
    data_.assign(data, data + size);
    isEmpty_ = false;
    frameCount_ = -1;
    LoadPicture();
}

void THTMLPicture::ReadData(TStream& stream)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
    stream.SetPosition(0);
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), bytes.size());
    SetData(bytes.data(), bytes.size());
}

void THTMLPicture::LoadFromStream(TStream& stream)
{
    ReadData(stream);
    Changed();
}

void THTMLPicture::SaveToStream(TStream& stream)
{
    if (!data_.empty())
        stream.WriteBuffer(data_.data(), data_.size());
}

void THTMLPicture::LoadFromResourceName(HINSTANCE instance, const std::string& name)
{
    HRSRC resource = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(10));   // RT_RCDATA
    if (!resource)
        return;
    DWORD size = SizeofResource(instance, resource);
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return;
    SetData(static_cast<const uint8_t*>(bytes), size);
    Changed();
}

void THTMLPicture::LoadFromURL(const std::string& source)
{
    std::string upper = AnsiUpperCase(source);
    if (upper.compare(0, 6, "RES://") == 0) {
        id_ = source;
        std::string name = upper.substr(6);
        if (!name.empty())
            LoadFromResourceName(GetModuleHandleA(nullptr), name);
    } else if (upper.compare(0, 7, "FILE://") == 0) {
        id_ = source;
        std::string fileName = upper.substr(7);
        if (!fileName.empty())
            LoadFromFile(fileName);
    } else if (!asynch_) {
        url_ = source;
        id_ = source;
    } else if (!downloadStarted_) {
        url_ = source;
        // Known by its address from now on, so a cache finds it instead of starting another.
        id_ = source;
        downloadStarted_ = true;
        TDownLoadThread::Start(this);
    }
}

bool THTMLPicture::IsGIFFile() const
{
    return data_.size() > 4 && std::memcmp(data_.data(), "GIF8", 4) == 0;
}

int THTMLPicture::GetFrameCount()
{
    if (frameCount_ >= 0)
        return frameCount_;
    if (!IsGIFFile())
        return -1;
    int count = 0;
    for (size_t p = 0; p < data_.size(); ++p)
        count += IsFrameStart(data_, p);
    frameCount_ = count;
    return count;
}

int THTMLPicture::GetMaxWidth() const
{
    return screenWidth_ ? screenWidth_ : Width();
}

int THTMLPicture::GetMaxHeight() const
{
    return screenHeight_ ? screenHeight_ : Height();
}

void THTMLPicture::SetFrame(int frame)
{
    frame_ = frame;
    if (data_.empty())
        return;
    LoadPicture();
    if (OnFrameChange)
        OnFrameChange();
}

// The GIF with frame `Frame` as its first image: the header and whatever comes before the first
// frame, then that frame and all later ones.
std::vector<uint8_t> THTMLPicture::FrameBytes()
{
    if (data_.size() >= 10) {
        screenWidth_ = Word(data_, 6);
        screenHeight_ = Word(data_, 8);
    }
    std::vector<uint8_t> out;
    out.reserve(data_.size());
    int n = 1;
    bool skipping = false;
    for (size_t p = 0; p < data_.size(); ++p) {
        if (IsFrameStart(data_, p)) {
            // The descriptor's four words lie at p + 9 .. p + 16; a file cut short there has none.
            if (n == frame_ && data_.size() > p + 16) {
                frameLeft_ = Word(data_, p + 9);
                frameTop_ = Word(data_, p + 11);
                frameWidth_ = Word(data_, p + 13);
                frameHeight_ = Word(data_, p + 15);
            }
            ++n;
            skipping = frame_ >= n;
        }
        if (!skipping)
            out.push_back(data_[p]);
    }
    return out;
}

void THTMLPicture::LoadPicture()
{
    frameLeft_ = frameTop_ = frameWidth_ = frameHeight_ = 0;
    screenWidth_ = screenHeight_ = 0;
    const bool rewrite = IsGIFFile() && GetFrameCount() >= 1;
    std::vector<uint8_t> rewritten;
    if (rewrite)
        rewritten = FrameBytes();
    const std::vector<uint8_t>& bytes = rewrite ? rewritten : data_;

    GlobalBlock block(bytes.size());
    if (!block.get())
        throw EOutOfResources("Could not allocate memory for image");
    if (void* target = GlobalLock(block.get())) {
        if (!bytes.empty())
            std::memcpy(target, bytes.data(), bytes.size());
        GlobalUnlock(block.get());
    }
    ComPtr<IStream> stream;
    if (FAILED(Ole32::CreateStreamOnHGlobal(block.get(), TRUE, stream.put())))
        throw EInvalidGraphic("Could not create image stream");
    block.release();   // the stream frees it now
    if (!stream)
        throw EInvalidGraphic("Empty image stream created");

    picture_.reset();
    // The platform takes a bitmap's sizes from its headers without checking them against the
    // bytes: a cut or damaged file would be read beyond its end.
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        ReadBmpFile(bytes.data(), bytes.size());
    HRESULT result = OleAut32::OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                              picture_.put_void());
    if (FAILED(result)) {
        picture_.reset();
        throw EInvalidGraphic("Could not load image. Invalid format");
    }
    if (!picture_)
        throw EInvalidGraphic("Could not load image");
}

void TDownLoadThread::Start(THTMLPicture* picture)
{
    std::unique_ptr<TDownLoadThread> thread(new TDownLoadThread(picture));
    std::thread([self = std::move(thread)] { self->Execute(); }).detach();
}

TPictureItem::TPictureItem(TPictureCollection* collection)
    : collection_(collection), picture_(std::make_unique<THTMLPicture>())
{
}

int TPictureItem::Index() const
{
    return collection_ ? collection_->IndexOf(this) : -1;
}

void TPictureItem::Assign(const TPictureItem& source)
{
    if (&source == this)
        return;
    name_ = source.name_;
    tag_ = source.tag_;
    picture_->SetStretch(source.picture_->Stretch());
    picture_->Assign(source.picture_.get());
}

TPictureItem& TPictureCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw ListIndexError(index);
    return *items_[static_cast<size_t>(index)];
}

TPictureItem& TPictureCollection::Add()
{
    items_.push_back(std::make_unique<TPictureItem>(this));
    return *items_.back();
}

void TPictureCollection::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw ListIndexError(index);
    items_.erase(items_.begin() + index);
}

int TPictureCollection::IndexOf(const TPictureItem* item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

void TPictureCollection::Assign(const TPictureCollection& source)
{
    if (&source == this)
        return;
    // Built aside first, so a copy that fails to load leaves the collection as it was.
    std::vector<std::unique_ptr<TPictureItem>> copies;
    for (const auto& item : source.items_) {
        copies.push_back(std::make_unique<TPictureItem>(this));
        copies.back()->Assign(*item);
    }
    items_ = std::move(copies);
}

TPictureContainer::TPictureContainer(TComponent* owner) : TComponent(owner), items_(this) {}

THTMLPicture* TPictureContainer::FindPicture(const std::string& name) const
{
    for (int i = 0; i < items_.Count(); ++i) {
        TPictureItem& item = items_.Items(i);
        if (AnsiUpperCase(item.Name()) == name)
            return &item.Picture();
    }
    return nullptr;
}

THTMLPicture& THTMLPictureCache::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw ListIndexError(index);
    return *pictures_[static_cast<size_t>(index)];
}

THTMLPicture& THTMLPictureCache::AddPicture()
{
    pictures_.push_back(std::make_unique<THTMLPicture>());
    return *pictures_.back();
}

THTMLPicture* THTMLPictureCache::FindPicture(const std::string& id) const
{
    for (const auto& picture : pictures_)
        if (picture->ID() == id)
            return picture.get();
    return nullptr;
}
