// TCoolForm: reading, checking and applying the stored window region, and dragging the form.
#include <windows.h>

#include "CoolForm.h"

#include "Bitmap.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "Forms.h"

namespace {

uint32_t ReadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void AppendLE32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

TMask2Status ParseMask2(const uint8_t* data, size_t size, std::vector<uint8_t>& regionData)
{
    regionData.clear();
    if (!data || size < 4)
        return TMask2Status::Invalid;
    uint32_t length = ReadLE32(data);
    if (length == 0)
        return TMask2Status::NoRegion;
    if (length < Mask2HeaderSize || length > size - 4)
        return TMask2Status::Invalid;
    const uint8_t* header = data + 4;
    uint32_t headerSize = ReadLE32(header);
    uint32_t type = ReadLE32(header + 4);
    uint64_t count = ReadLE32(header + 8);
    uint64_t rectBytes = ReadLE32(header + 12);
    if (headerSize != Mask2HeaderSize || type != RDH_RECTANGLES)
        return TMask2Status::Invalid;
    // No rectangles would make the window vanish altogether.
    if (count == 0 || count * Mask2RectSize != rectBytes || Mask2HeaderSize + rectBytes > length)
        return TMask2Status::Invalid;
    regionData.assign(header, header + length);
    return TMask2Status::Valid;
}

GdiObject<HRGN> RegionFromData(const std::vector<uint8_t>& regionData)
{
    if (regionData.size() < Mask2HeaderSize)
        return {};
    return GdiObject<HRGN>(ExtCreateRegion(nullptr, static_cast<DWORD>(regionData.size()),
                                           reinterpret_cast<const RGNDATA*>(regionData.data())));
}

std::vector<uint8_t> Mask2Block(HRGN region)
{
    std::vector<uint8_t> block;
    DWORD size = region ? GetRegionData(region, 0, nullptr) : 0;
    if (size == 0) {
        AppendLE32(block, 0);
        return block;
    }
    std::vector<uint8_t> data(size);
    size = GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()));
    data.resize(size);
    AppendLE32(block, static_cast<uint32_t>(data.size()));
    block.insert(block.end(), data.begin(), data.end());
    return block;
}

TCoolForm::TCoolForm(TComponent* owner) : TImage(owner), mask_(std::make_unique<TRegionType>(this))
{
    SetAlign(alClient);
}

TCoolForm::~TCoolForm() = default;

void TCoolForm::SetMask(std::unique_ptr<TRegionType> mask)
{
    if (!mask)
        return;
    mask_ = std::move(mask);
    mask_->SetOwner(this);
}

void TCoolForm::SetParent(TWinControl* parent)
{
    auto* form = dynamic_cast<TForm*>(parent);
    if (parent && !form)
        throw Exception("Drop the CoolForm on a FORM!");
    TImage::SetParent(parent);
    if (form) {
        form->SetBorderStyle(bsNone);
        ApplyRegion();
    }
    SetBounds(0, 0, Width(), Height());
}

void TCoolForm::SetBounds(int left, int top, int width, int height)
{
    TImage::SetBounds(0, 0, width, height);
}

TMask2Status TCoolForm::LoadMask2(const uint8_t* data, size_t size)
{
    TMask2Status status = ParseMask2(data, size, regionData_);
    GdiObject<HRGN> region;
    if (status == TMask2Status::Valid) {
        region = RegionFromData(regionData_);
        if (!region) {
            regionData_.clear();
            status = TMask2Status::Invalid;
        }
    }
    mask_->SetRegion(std::move(region));
    if (status == TMask2Status::Valid)
        ApplyRegion();
    return status;
}

TMask2Status TCoolForm::LoadMask2FromResource(HINSTANCE instance, const char* name)
{
    HRSRC info = FindResourceA(instance, name, MAKEINTRESOURCEA(10));   // RT_RCDATA
    HGLOBAL loaded = info ? LoadResource(instance, info) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return LoadMask2(nullptr, 0);
    return LoadMask2(static_cast<const uint8_t*>(data), SizeofResource(instance, info));
}

std::vector<uint8_t> TCoolForm::SaveMask2() const
{
    return Mask2Block(mask_->Region());
}

bool TCoolForm::ApplyRegion()
{
    auto* form = dynamic_cast<TForm*>(Parent());
    if (!form || regionData_.empty())
        return false;
    // Making a hidden form's window only to shape it costs the start its time.
    if (!form->HandleAllocated())
        return true;
    GdiObject<HRGN> region = RegionFromData(regionData_);
    if (!region)
        return false;
    // From here on the window owns the region.
    if (!SetWindowRgn(form->Handle(), region.get(), TRUE))
        return false;
    region.release();
    return true;
}

void TCoolForm::ParentWindowMade()
{
    ApplyRegion();
}

LRESULT TCoolForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ERASEBKGND)
        return 1;   // the picture covers everything
    return TImage::WndProc(msg, wParam, lParam);
}

void TCoolForm::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    // No OnMouseDown: a press on the background only ever moves the window.
    if (button != mbLeft)
        return;
    TForm* form = GetParentForm(this);
    if (!form)
        return;
    ReleaseCapture();
    DialogService().DragWindow(form->Handle());
}

void TCoolForm::PictureChanged()
{
    if (Parent() && !dynamic_cast<TBitmap*>(Picture().Graphic()))
        Picture().Bitmap();
    // The form keeps the region it was given; the control lets go of its own.
    mask_->SetRegion({});
    TImage::PictureChanged();
}
