// TImageList: equally sized images with masks, kept in bitmaps of its own until a platform
// control or function needs a common-controls image list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Color.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TBitmap;
class TCanvas;
class TIcon;
class TImageList;

// Controls that draw from an image list watch it, so that they repaint when it changes and
// forget it before it is gone.
class TImageListWatcher {
public:
    virtual void OnImageListChange(TImageList& list) = 0;
    virtual void OnImageListDestroyed(TImageList& list) = 0;

protected:
    ~TImageListWatcher() = default;
};

class TImageList {
public:
    TImageList(int width = 16, int height = 16);
    ~TImageList();   // tells the watchers first
    TImageList(const TImageList&) = delete;
    TImageList& operator=(const TImageList&) = delete;

    // The common-controls list, made at the first call with every image carried over; from then
    // on the images live there. Calls of the platform's functions on it change this list.
    HIMAGELIST Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // A new size empties the list.
    void SetSize(int width, int height);
    int Count() const;

    // Each add takes a strip of as many images as fit side by side and returns the index of
    // the first (or -1 when the list refused them). The source bitmaps are left unchanged.
    int Add(TBitmap& image, TBitmap* mask);
    // The mask is made from the pixels of maskColor (clNone: opaque everywhere).
    int AddMasked(TBitmap& image, TColor maskColor);
    int AddIcon(TIcon& icon);
    int AddIcon(HICON icon);   // the list keeps a copy; the caller still owns `icon`
    void Delete(int index);
    void Clear();
    // Loads a bitmap resource and adds its images masked by maskColor.
    void LoadStripFromResource(HINSTANCE instance, const char* name, TColor maskColor);

    // Draws with the mask; a disabled image is drawn embossed in the 3D highlight and shadow
    // colours. Nothing happens for an index out of range.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
    // Sizes `bitmap` to one image and draws image `index` over what the bitmap holds.
    void GetBitmap(int index, TBitmap& bitmap);
    void GetIcon(int index, TIcon& icon);

    void AddWatcher(TImageListWatcher* watcher);
    void RemoveWatcher(TImageListWatcher* watcher);

private:
    // The images and masks as the platform's list keeps them: side by side, the colours black
    // where the mask (1, white) lets the background through.
    struct TOwnImages;
    // Adds the images of a 24-bit strip of the list's height to the own bitmaps.
    int AddOwn(const TBitmap& image, const TBitmap* mask, COLORREF maskColor);
    void DrawOwn(HDC dc, int x, int y, int index, DWORD mode);
    void Changed();

    HIMAGELIST handle_ = nullptr;
    std::unique_ptr<TOwnImages> own_;
    int width_;
    int height_;
    std::vector<TImageListWatcher*> watchers_;
};

// A control's hold on one image list it draws from: it hears of the list's changes and lets go
// of the list when the list is destroyed first. Several links may hold one list.
class TImageListLink : private TImageListWatcher {
public:
    // `changed` runs after every change of the list and once the list is gone (List() is then
    // nullptr); not when SetList is called.
    explicit TImageListLink(std::function<void()> changed = {}) : changed_(std::move(changed)) {}
    ~TImageListLink();
    TImageListLink(const TImageListLink&) = delete;
    TImageListLink& operator=(const TImageListLink&) = delete;

    TImageList* List() const { return list_; }
    void SetList(TImageList* list);

private:
    void OnImageListChange(TImageList& list) override;
    void OnImageListDestroyed(TImageList& list) override;

    TImageList* list_ = nullptr;
    std::function<void()> changed_;
};
