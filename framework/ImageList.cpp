// TImageList over a common-controls image list of 24-bit images with masks.
#include "ImageList.h"

#include "Bitmap.h"
#include "Exceptions.h"
#include "GdiObject.h"
#include "Graphics.h"
#include "Icon.h"

#include <algorithm>

namespace {

// Brush where the source is white, destination untouched where it is black.
constexpr DWORD RopBrushWhereSourceSet = 0x00E20746;

}  // namespace

TImageList::TImageList(int width, int height) : width_(width), height_(height)
{
    Create();
}

TImageList::~TImageList()
{
    auto watchers = watchers_;
    for (TImageListWatcher* watcher : watchers)
        watcher->OnImageListDestroyed(*this);
    ImageList_Destroy(handle_);
}

void TImageList::Create()
{
    handle_ = ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, 4, 4);
    if (!handle_)
        throw EOutOfResources("Die Bildliste kann nicht erzeugt werden.");
}

void TImageList::SetSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    ImageList_SetIconSize(handle_, width, height);   // also removes every image
    Changed();
}

int TImageList::Count() const
{
    return ImageList_GetImageCount(handle_);
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
    int index = ImageList_Add(handle_, image.Handle(), maskToUse->Handle());
    if (index >= 0)
        Changed();
    return index;
}

int TImageList::AddMasked(TBitmap& image, TColor maskColor)
{
    // The platform blackens the masked pixels of the bitmap it gets: hand it a copy.
    TBitmap copy;
    copy.Assign(image);
    int index;
    if (maskColor == clNone || maskColor == clDefault) {
        TBitmap opaque;
        opaque.Assign(image);
        opaque.Mask(clNone);   // no pixel matches: black, opaque everywhere
        index = ImageList_Add(handle_, copy.Handle(), opaque.Handle());
    } else {
        index = ImageList_AddMasked(handle_, copy.Handle(), ColorToRGB(maskColor) & 0x00FFFFFF);
    }
    if (index >= 0)
        Changed();
    return index;
}

int TImageList::AddIcon(TIcon& icon)
{
    return AddIcon(icon.Handle());
}

int TImageList::AddIcon(HICON icon)
{
    if (!icon)
        return -1;
    int index = ImageList_ReplaceIcon(handle_, -1, icon);
    if (index >= 0)
        Changed();
    return index;
}

void TImageList::Delete(int index)
{
    if (ImageList_Remove(handle_, index))
        Changed();
}

void TImageList::Clear()
{
    ImageList_Remove(handle_, -1);
    Changed();
}

void TImageList::LoadStripFromResource(HINSTANCE instance, const char* name, TColor maskColor)
{
    TBitmap strip;
    strip.LoadFromResourceName(instance, name);
    AddMasked(strip, maskColor);
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled)
{
    if (index < 0 || index >= Count())
        return;
    if (enabled) {
        ImageList_Draw(handle_, index, canvas.Handle(), x, y, ILD_NORMAL);
        canvas.Changed();
        return;
    }
    // The image's shape, white where it is opaque, stamped in highlight one pixel down and
    // right and in shadow on top: the classic embossed look of a disabled image.
    TBitmap shape(width_, height_);
    ImageList_Draw(handle_, index, shape.Canvas().Handle(), 0, 0, ILD_MASK);
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
    HICON made = ImageList_GetIcon(handle_, index, ILD_NORMAL);
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
