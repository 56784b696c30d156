// TCoolForm: the skin picture that fills a borderless form, shapes its window with a stored
// region and lets the user drag the window by the picture; TRegionType holds that region; and
// the reader and writer of the stored region block "Mask2".
#pragma once

#include <windows.h>

#include "ExtCtrls.h"
#include "GdiObject.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The stored block: a 4-byte little-endian length n, then n bytes of region data as the
// platform's region export writes them (a 32-byte rectangle header, then nCount rectangles).
// n = 0 stands for "no region".
enum class TMask2Status { NoRegion, Valid, Invalid };

constexpr size_t Mask2HeaderSize = sizeof(RGNDATAHEADER);   // 32
constexpr size_t Mask2RectSize = sizeof(RECT);              // 16

// Checks a block read from storage. Valid: `regionData` holds the n bytes of region data.
// NoRegion (n = 0) and Invalid (short, inconsistent or foreign data): `regionData` is empty.
TMask2Status ParseMask2(const uint8_t* data, size_t size, std::vector<uint8_t>& regionData);
// A new region from checked region data; an empty holder when the platform refuses it.
GdiObject<HRGN> RegionFromData(const std::vector<uint8_t>& regionData);
// The block for a region (the length 0 alone for none).
std::vector<uint8_t> Mask2Block(HRGN region);

class TCoolForm;

// The region that the control keeps; it becomes the window's own only through a copy.
class TRegionType {
public:
    explicit TRegionType(TCoolForm* owner) : owner_(owner) {}

    HRGN Region() const { return region_.get(); }
    void SetRegion(GdiObject<HRGN> region) { region_ = std::move(region); }
    TCoolForm* Owner() const { return owner_; }
    void SetOwner(TCoolForm* owner) { owner_ = owner; }

private:
    GdiObject<HRGN> region_;
    TCoolForm* owner_;
};

class TCoolForm : public TImage {
public:
    explicit TCoolForm(TComponent* owner);
    ~TCoolForm() override;

    TRegionType& Mask() const { return *mask_; }
    // Adopts the given holder (not a copy) and becomes its owner; nullptr is ignored.
    void SetMask(std::unique_ptr<TRegionType> mask);
    bool Draggable() const { return draggable_; }
    void SetDraggable(bool draggable) { draggable_ = draggable; }

    // A form parent turns borderless; any other parent is refused.
    void SetParent(TWinControl* parent) override;
    // The control always sits at the form's origin.
    void SetBounds(int left, int top, int width, int height) override;

    // Reads a stored block: keeps its region bytes and shapes the parent form's window with
    // them, once the form has one. A malformed block leaves the form unshaped. Returns what the
    // block held.
    TMask2Status LoadMask2(const uint8_t* data, size_t size);
    // Reads the block from an RCDATA resource of the module; a missing one counts as invalid.
    TMask2Status LoadMask2FromResource(HINSTANCE instance, const char* name);
    // The block for the region the control holds.
    std::vector<uint8_t> SaveMask2() const;
    // The region bytes as read (empty when there is no region).
    const std::vector<uint8_t>& RegionData() const { return regionData_; }
    // Gives the parent form's window a fresh region built from the kept bytes. A form without
    // a window yet is not made one: it gets the region when its window is made.
    bool ApplyRegion();

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void PictureChanged() override;
    void ParentWindowMade() override;

private:
    std::unique_ptr<TRegionType> mask_;
    std::vector<uint8_t> regionData_;
    bool draggable_ = true;
};
