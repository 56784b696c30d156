// TImageList: its own bitmaps until a platform list is needed, then a common-controls list of
// 24-bit images with masks.
#include "ImageList.h"

#include "Bitmap.h"
#include "Exceptions.h"
#include "GdiObject.h"
#include "Graphics.h"
#include "Icon.h"
#include "LateLibrary.h"

#include <algorithm>

namespace {

// Brush where the source is white, destination untouched where it is black.
constexpr DWORD RopBrushWhereSourceSet = 0x00E20746;

bool MaskBit(const uint8_t* row, int x)
{
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

void SetMaskBit(uint8_t* row, int x, bool set)
{
    const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
    row[x / 8] = set ? row[x / 8] | bit : row[x / 8] & ~bit;
}

// Mono sources reach colour destinations in the DC's text (0) and background (1) colours; the
// lists' masks need black and white.
class MonoColours {
public:
    explicit MonoColours(HDC dc)
        : dc_(dc), text_(SetTextColor(dc, RGB(0, 0, 0))), back_(SetBkColor(dc, RGB(255, 255, 255)))
    {
    }
    ~MonoColours()
    {
        SetTextColor(dc_, text_);
        SetBkColor(dc_, back_);
    }
    MonoColours(const MonoColours&) = delete;
    MonoColours& operator=(const MonoColours&) = delete;

private:
    HDC dc_;
    COLORREF text_, back_;
};

}  // namespace

struct TImageList::TOwnImages {
    TBitmap colours{0, 0, pf24bit};
    TBitmap masks{0, 0, pf1bit};
    int count = 0;
};

TImageList::TImageList(int width, int height) : own_(std::make_unique<TOwnImages>()), width_(width), height_(height)
{
}

TImageList::~TImageList()
{
    auto watchers = watchers_;
    for (TImageListWatcher* watcher : watchers)
        watcher->OnImageListDestroyed(*this);
    if (handle_)
        ComCtl32::ImageList_Destroy(handle_);
}

HIMAGELIST TImageList::Handle()
{
    if (handle_)
        return handle_;
    HIMAGELIST made = ComCtl32::ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, std::max(own_->count, 4), 4);
    if (!made)
        throw EOutOfResources("Die Bildliste kann nicht erzeugt werden.");
    // The colours are black under the masks already, as the platform's own adding leaves them.
    if (own_->count > 0 && ComCtl32::ImageList_Add(made, own_->colours.Handle(), own_->masks.Handle()) != 0) {
        ComCtl32::ImageList_Destroy(made);
        throw EOutOfResources("Die Bilder können nicht in die Bildliste übernommen werden.");
    }
    handle_ = made;
    own_.reset();
    return handle_;
}

void TImageList::SetSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    if (handle_)
        ComCtl32::ImageList_SetIconSize(handle_, width, height);   // also removes every image
    else
        own_ = std::make_unique<TOwnImages>();
    Changed();
}

int TImageList::Count() const
{
    return handle_ ? ComCtl32::ImageList_GetImageCount(handle_) : own_->count;
}

int TImageList::Add(TBitmap& image, TBitmap* mask)
{
    if (!mask)
        return AddMasked(image, clNone);
    // The list wants a monochrome mask: white (1) transparent, black (0) opaque.
    TBitmap monochrome;
    TBitmap* maskToUse = mask;
    if (mask->PixelFormat() != pf1bit) {
        monochrome.Assign(*mask);
        monochrome.SetPixelFormat(pf1bit);
        maskToUse = &monochrome;
    }
    // What the own bitmaps cannot keep, AddOwn hands to the platform's list, which it makes.
    int index = handle_ ? -1 : AddOwn(image, maskToUse, 0);
    if (handle_)
        index = ComCtl32::ImageList_Add(Handle(), image.Handle(), maskToUse->Handle());
    if (index >= 0)
        Changed();
    return index;
}

int TImageList::AddMasked(TBitmap& image, TColor maskColor)
{
    const bool opaque = maskColor == clNone || maskColor == clDefault;
    const COLORREF key = ColorToRGB(maskColor) & 0x00FFFFFF;
    // As in Add: what the own bitmaps cannot keep goes to the platform's list.
    int index = handle_ ? -1 : AddOwn(image, nullptr, opaque ? CLR_NONE : key);
    if (handle_) {
        // The platform blackens the masked pixels of the bitmap it gets: hand it a copy.
        TBitmap copy;
        copy.Assign(image);
        if (opaque) {
            TBitmap none;
            none.Assign(image);
            none.Mask(clNone);   // no pixel matches: black, opaque everywhere
            index = ComCtl32::ImageList_Add(Handle(), copy.Handle(), none.Handle());
        } else {
            index = ComCtl32::ImageList_AddMasked(Handle(), copy.Handle(), key);
        }
    }
    if (index >= 0)
        Changed();
    return index;
}

int TImageList::AddOwn(const TBitmap& image, const TBitmap* mask, COLORREF maskColor)
{
    const int added = width_ > 0 ? image.Width() / width_ : 0;
    // Anything else (a picture of another height or format, one narrower than an image, a mask
    // of another size) the platform's list takes as it is: it matches a key colour against a
    // palette in its own way.
    if (added == 0 || image.Height() != height_ || image.PixelFormat() != pf24bit ||
        (mask && (mask->Width() != image.Width() || mask->Height() != image.Height()))) {
        Handle();
        return -1;
    }
    TOwnImages& own = *own_;
    const int first = own.count;
    const int left = first * width_, width = added * width_;
    own.colours.SetSize(left + width, height_);
    own.masks.SetSize(left + width, height_);
    for (int y = 0; y < height_; ++y) {
        const auto* from = static_cast<const uint8_t*>(image.ScanLine(y));
        const auto* maskRow = mask ? static_cast<const uint8_t*>(mask->ScanLine(y)) : nullptr;
        auto* to = static_cast<uint8_t*>(own.colours.ScanLine(y)) + 3 * left;
        auto* bits = static_cast<uint8_t*>(own.masks.ScanLine(y));
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = from + 3 * x;
            const bool clear = maskRow ? MaskBit(maskRow, x) : RGB(pixel[2], pixel[1], pixel[0]) == maskColor;
            SetMaskBit(bits, left + x, clear);
            for (int channel = 0; channel < 3; ++channel)
                to[3 * x + channel] = clear ? 0 : pixel[channel];
        }
    }
    own.count += added;
    return first;
}

int TImageList::AddIcon(TIcon& icon)
{
    return AddIcon(icon.Handle());
}

int TImageList::AddIcon(HICON icon)
{
    if (!icon)
        return -1;
    int index = ComCtl32::ImageList_ReplaceIcon(Handle(), -1, icon);
    if (index >= 0)
        Changed();
    return index;
}

void TImageList::Delete(int index)
{
    if (ComCtl32::ImageList_Remove(Handle(), index))
        Changed();
}

void TImageList::Clear()
{
    if (handle_)
        ComCtl32::ImageList_Remove(handle_, -1);
    else
        own_ = std::make_unique<TOwnImages>();
    Changed();
}

void TImageList::LoadStripFromResource(HINSTANCE instance, const char* name, TColor maskColor)
{
    TBitmap strip;
    strip.LoadFromResourceName(instance, name);
    AddMasked(strip, maskColor);
}

void TImageList::DrawOwn(HDC dc, int x, int y, int index, DWORD mode)
{
    const int left = index * width_;
    MonoColours colours(dc);
    if (mode == ILD_MASK) {
        BitBlt(dc, x, y, width_, height_, own_->masks.Canvas().Handle(), left, 0, SRCCOPY);
        return;
    }
    BitBlt(dc, x, y, width_, height_, own_->masks.Canvas().Handle(), left, 0, SRCAND);
    BitBlt(dc, x, y, width_, height_, own_->colours.Canvas().Handle(), left, 0, SRCPAINT);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled)
{
    if (index < 0 || index >= Count())
        return;
    if (enabled) {
        if (handle_)
            ComCtl32::ImageList_Draw(handle_, index, canvas.Handle(), x, y, ILD_NORMAL);
        else
            DrawOwn(canvas.Handle(), x, y, index, ILD_NORMAL);
        canvas.Changed();
        return;
    }
    // The image's shape, white where it is opaque, stamped in highlight one pixel down and
    // right and in shadow on top: the classic embossed look of a disabled image.
    TBitmap shape(width_, height_);
    if (handle_)
        ComCtl32::ImageList_Draw(handle_, index, shape.Canvas().Handle(), 0, 0, ILD_MASK);
    else
        DrawOwn(shape.Canvas().Handle(), 0, 0, index, ILD_MASK);
    shape.Mask(clBlack);
    HDC source = shape.Canvas().Handle();
    HDC dest = canvas.Handle();
    COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
    COLORREF oldBack = SetBkColor(dest, RGB(255, 255, 255));
    const struct { TColor color; int offset; } stamps[] = {{clBtnHighlight, 1}, {clBtnShadow, 0}};
    for (const auto& stamp : stamps) {
        GdiObject<HBRUSH> brush(CreateSolidBrush(ColorToRGB(stamp.color)));
        SelectedObject selected(dest, brush.get());
        BitBlt(dest, x + stamp.offset, y + stamp.offset, width_, height_, source, 0, 0, RopBrushWhereSourceSet);
    }
    SetTextColor(dest, oldText);
    SetBkColor(dest, oldBack);
    canvas.Changed();
}

void TImageList::GetBitmap(int index, TBitmap& bitmap)
{
    if (bitmap.Width() != width_ || bitmap.Height() != height_)
        bitmap.SetSize(width_, height_);
    Draw(bitmap.Canvas(), 0, 0, index);
}

void TImageList::GetIcon(int index, TIcon& icon)
{
    if (index < 0 || index >= Count())
        throw EInvalidGraphic("Die Bildliste hat kein Bild " + std::to_string(index) + ".");
    HICON made = ComCtl32::ImageList_GetIcon(Handle(), index, ILD_NORMAL);
    if (!made)
        throw EOutOfResources("Aus der Bildliste kann kein Symbol erzeugt werden.");
    icon.SetHandle(made);
}

void TImageList::AddWatcher(TImageListWatcher* watcher)
{
    if (watcher && std::find(watchers_.begin(), watchers_.end(), watcher) == watchers_.end())
        watchers_.push_back(watcher);
}

void TImageList::RemoveWatcher(TImageListWatcher* watcher)
{
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

void TImageList::Changed()
{
    // A watcher may remove itself (or another) while being told.
    auto watchers = watchers_;
    for (TImageListWatcher* watcher : watchers)
        if (std::find(watchers_.begin(), watchers_.end(), watcher) != watchers_.end())
            watcher->OnImageListChange(*this);
}

// ---------------------------------------------------------------------------------------------
// TImageListLink

TImageListLink::~TImageListLink()
{
    if (list_)
        list_->RemoveWatcher(this);
}

void TImageListLink::SetList(TImageList* list)
{
    if (list == list_)
        return;
    if (list_)
        list_->RemoveWatcher(this);
    list_ = list;
    if (list_)
        list_->AddWatcher(this);
}

void TImageListLink::OnImageListChange(TImageList& list)
{
    if (changed_)
        changed_();
}

void TImageListLink::OnImageListDestroyed(TImageList& list)
{
    list_ = nullptr;
    if (changed_)
        changed_();
}
