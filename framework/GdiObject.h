// RAII holders for GDI handles: drawing objects, device contexts and objects selected into them.
#pragma once

#include <windows.h>

#include "UniqueHandle.h"

#include <utility>

template <typename GdiHandle>
struct GdiObjectTraits {
    using Handle = GdiHandle;
    static Handle Empty() { return nullptr; }
    static void Close(Handle handle) { DeleteObject(handle); }
};
// Owns one pen, brush, font, bitmap, region or palette and deletes it once. Move-only.
template <typename Handle>
using GdiObject = UniqueHandle<GdiObjectTraits<Handle>>;

// A memory device context from CreateCompatibleDC, deleted with DeleteDC.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith = nullptr) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDC()
    {
        if (dc_)
            DeleteDC(dc_);
    }
    MemoryDC(MemoryDC&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDC& operator=(MemoryDC&&) = delete;
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// A window's (or, for nullptr, the screen's) device context from GetDC, given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A window's paint: BeginPaint, and EndPaint on every path (also when drawing throws).
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window), paint_{}, dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC()
    {
        if (dc_)
            EndPaint(window_, &paint_);
    }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const { return dc_; }
    const RECT& Area() const { return paint_.rcPaint; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    PAINTSTRUCT paint_;
    HDC dc_;
};

// The device context of a whole window, frame included (GetWindowDC), given back with ReleaseDC.
class WholeWindowDC {
public:
    explicit WholeWindowDC(HWND window) : window_(window), dc_(GetWindowDC(window)) {}
    ~WholeWindowDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WholeWindowDC(const WholeWindowDC&) = delete;
    WholeWindowDC& operator=(const WholeWindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Saves a DC's state (origin, clipping, selected objects) and restores it on every path.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~SavedDC() { RestoreDC(dc_, saved_); }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// Selects an object into a DC for the lifetime of the guard, then puts the previous one back,
// so that the object can be deleted afterwards.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject()
    {
        if (old_ && old_ != HGDI_ERROR)
            SelectObject(dc_, old_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    // False when the DC refused the object (a bitmap already selected elsewhere, for instance).
    bool Selected() const { return old_ && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Narrows a DC's clipping to a rectangle (logical coordinates) and puts the clipping back as it
// was on every path. Unlike SavedDC it leaves the selected objects alone, which a canvas drawing
// in between may exchange and delete.
class ClippedDC {
public:
    ClippedDC(HDC dc, const RECT& rect) : dc_(dc), saved_(CreateRectRgn(0, 0, 0, 0))
    {
        hadClip_ = saved_ && GetClipRgn(dc, saved_.get()) == 1;
        IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
    }
    ~ClippedDC() { SelectClipRgn(dc_, hadClip_ ? saved_.get() : nullptr); }
    ClippedDC(const ClippedDC&) = delete;
    ClippedDC& operator=(const ClippedDC&) = delete;

private:
    HDC dc_;
    GdiObject<HRGN> saved_;
    bool hadClip_ = false;
};
