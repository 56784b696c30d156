// The skinned background: stored region blocks (good and malformed), the window's shape, the
// parent rules and the drag by the left button.
#include <windows.h>

#include "Bitmap.h"
#include "CoolForm.h"
#include "Exceptions.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "DialogStub.h"
#include "TestForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

uint32_t Get32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A block as the region export writes it, for an ellipse in a 120 x 90 window.
std::vector<uint8_t> EllipseBlock()
{
    GdiObject<HRGN> ellipse(CreateEllipticRgn(0, 0, 120, 90));
    return Mask2Block(ellipse.get());
}

// Same pixels, whatever the bands look like (the platform may merge equal neighbouring bands).
bool SameArea(HRGN a, HRGN b)
{
    GdiObject<HRGN> difference(CreateRectRgn(0, 0, 0, 0));
    return CombineRgn(difference.get(), a, b, RGN_XOR) == NULLREGION;
}

bool SameArea(HRGN a, const std::vector<uint8_t>& block)
{
    std::vector<uint8_t> data;
    if (ParseMask2(block.data(), block.size(), data) != TMask2Status::Valid)
        return false;
    GdiObject<HRGN> b = RegionFromData(data);
    return b && SameArea(a, b.get());
}

// Moves the window as a user's drag would, and returns at once.
struct DraggingDialogs : DialogStub {
    void DragWindow(HWND window) override
    {
        DialogStub::DragWindow(window);
        RECT r;
        GetWindowRect(window, &r);
        SetWindowPos(window, nullptr, r.left + dragBy.x, r.top + dragBy.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    POINT dragBy = {30, 20};
};

struct SkinnedForm : TestForm {
    SkinnedForm() : TestForm(100, 100, 120, 90)
    {
        cool = new TCoolForm(form.get());
        cool->SetParent(form.get());
    }
    HWND Window() { return form->Handle(); }
    // The window's region, or nullptr when it has none.
    GdiObject<HRGN> WindowRegion()
    {
        GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
        if (GetWindowRgn(Window(), region.get()) == ERROR)
            return {};
        return region;
    }

    TCoolForm* cool;
};

}  // namespace

TEST(CoolFormMask2, AGoodBlockShapesTheWindowAndIsWrittenBackUnchanged)
{
    std::vector<uint8_t> block = EllipseBlock();
    ASSERT_GT(block.size(), 36u) << "export of an ellipse";
    SkinnedForm skinned;
    EXPECT_EQ(skinned.cool->LoadMask2(block.data(), block.size()), TMask2Status::Valid);

    GdiObject<HRGN> applied = skinned.WindowRegion();
    ASSERT_TRUE(applied) << "the window got no region";
    GdiObject<HRGN> expected(CreateEllipticRgn(0, 0, 120, 90));
    EXPECT_TRUE(SameArea(applied.get(), expected.get())) << "window region differs from the stored one";
    EXPECT_FALSE(PtInRegion(applied.get(), 0, 0)) << "top-left corner lies outside the ellipse";
    EXPECT_FALSE(PtInRegion(applied.get(), 119, 89)) << "bottom-right corner";
    EXPECT_TRUE(PtInRegion(applied.get(), 60, 45)) << "centre";

    EXPECT_EQ(skinned.cool->RegionData().size(), block.size() - 4);
    std::vector<uint8_t> written = skinned.cool->SaveMask2();
    EXPECT_TRUE(SameArea(expected.get(), written)) << "written block of " << written.size() << " bytes";

    // What was written reads back into the very same bytes.
    SkinnedForm again;
    ASSERT_EQ(again.cool->LoadMask2(written.data(), written.size()), TMask2Status::Valid);
    EXPECT_EQ(again.cool->SaveMask2(), written);
}

TEST(CoolFormMask2, AFormWithoutAWindowGetsItsShapeWhenTheWindowIsMade)
{
    std::vector<uint8_t> block = EllipseBlock();
    SkinnedForm skinned;
    ASSERT_EQ(skinned.cool->LoadMask2(block.data(), block.size()), TMask2Status::Valid);
    EXPECT_TRUE(skinned.cool->ApplyRegion());
    EXPECT_FALSE(skinned.form->HandleAllocated()) << "shaping made the hidden form's window";
    GdiObject<HRGN> applied = skinned.WindowRegion();
    ASSERT_TRUE(applied) << "the window was made without its region";
    EXPECT_TRUE(SameArea(applied.get(), block));
}

TEST(CoolFormMask2, ApplyingAgainBuildsAFreshRegionEachTime)
{
    std::vector<uint8_t> block = EllipseBlock();
    SkinnedForm skinned;
    ASSERT_EQ(skinned.cool->LoadMask2(block.data(), block.size()), TMask2Status::Valid);
    // The window deleted its first region when it took the second: a shared handle would now be
    // gone and the control's copy unusable.
    EXPECT_TRUE(skinned.cool->ApplyRegion());
    EXPECT_TRUE(skinned.cool->ApplyRegion());
    GdiObject<HRGN> applied = skinned.WindowRegion();
    ASSERT_TRUE(applied);
    EXPECT_TRUE(SameArea(applied.get(), block));
    EXPECT_TRUE(SameArea(skinned.cool->Mask().Region(), block)) << "the control's own region suffered";
}

TEST(CoolFormMask2, LengthZeroKeepsTheRectangularWindowAndIsWrittenAsZero)
{
    const uint8_t none[4] = {0, 0, 0, 0};
    SkinnedForm skinned;
    EXPECT_EQ(skinned.cool->LoadMask2(none, sizeof none), TMask2Status::NoRegion);
    EXPECT_FALSE(skinned.WindowRegion()) << "a window region was set";
    EXPECT_EQ(skinned.cool->SaveMask2(), std::vector<uint8_t>(4, 0));
}

TEST(CoolFormMask2, MalformedBlocksGiveNoRegion)
{
    const std::vector<uint8_t> good = EllipseBlock();
    const uint32_t count = Get32(good, 12);
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> spoil;
    };
    const Case cases[] = {
        {"empty", [](auto& b) { b.clear(); }},
        {"shorter than the length field", [](auto& b) { b.resize(3); }},
        {"length field alone", [](auto& b) { b.resize(4); }},
        {"n smaller than 32", [](auto& b) { Put32(b, 0, 16); }},
        {"n larger than the bytes present", [](auto& b) { Put32(b, 0, Get32(b, 0) + 16); }},
        {"rectangles cut off", [](auto& b) { b.resize(4 + 32 + 16); }},
        {"wrong dwSize", [](auto& b) { Put32(b, 4, 40); }},
        {"wrong iType", [](auto& b) { Put32(b, 8, 2); }},
        {"nCount larger than the bytes", [count](auto& b) { Put32(b, 12, count + 1000); }},
        {"nCount and nRgnSize beyond n",
         [count](auto& b) {
             Put32(b, 12, count + 1000);
             Put32(b, 16, (count + 1000) * 16);
         }},
        {"nCount x 16 overflowing 32 bits", [](auto& b) { Put32(b, 12, 0x10000000); Put32(b, 16, 0); }},
        {"no rectangles", [](auto& b) {
             b.resize(4 + 32);
             Put32(b, 0, 32);
             Put32(b, 12, 0);
             Put32(b, 16, 0);
         }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> block = good;
        c.spoil(block);
        std::vector<uint8_t> data;
        EXPECT_EQ(ParseMask2(block.data(), block.size(), data), TMask2Status::Invalid) << c.what;
        EXPECT_TRUE(data.empty()) << c.what << ": " << data.size() << " bytes taken";

        SkinnedForm skinned;
        EXPECT_EQ(skinned.cool->LoadMask2(block.data(), block.size()), TMask2Status::Invalid) << c.what;
        EXPECT_FALSE(skinned.WindowRegion()) << c.what << ": the window got a region";
        EXPECT_EQ(skinned.cool->SaveMask2(), std::vector<uint8_t>(4, 0)) << c.what;
    }
}

TEST(CoolFormMask2, ExtraBytesAfterTheBlockAreIgnored)
{
    std::vector<uint8_t> block = EllipseBlock();
    std::vector<uint8_t> padded = block;
    padded.resize(padded.size() + 64, 0xCC);
    std::vector<uint8_t> data;
    EXPECT_EQ(ParseMask2(padded.data(), padded.size(), data), TMask2Status::Valid);
    EXPECT_EQ(data.size(), block.size() - 4);
}

TEST(CoolForm, ANewPictureDropsTheHeldRegionButTheWindowKeepsItsShape)
{
    std::vector<uint8_t> block = EllipseBlock();
    SkinnedForm skinned;
    ASSERT_EQ(skinned.cool->LoadMask2(block.data(), block.size()), TMask2Status::Valid);
    skinned.cool->Picture().Bitmap().SetSize(120, 90);
    EXPECT_EQ(skinned.cool->SaveMask2(), std::vector<uint8_t>(4, 0));
    EXPECT_TRUE(skinned.WindowRegion()) << "the window lost its region";
}

TEST(CoolForm, ParentRulesAndPlace)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsSizeable);
    auto* cool = new TCoolForm(form.get());
    cool->SetParent(form.get());
    EXPECT_EQ(form->BorderStyle(), bsNone) << "border style " << form->BorderStyle();

    cool->SetBounds(5, 7, 50, 40);
    EXPECT_EQ(cool->Left(), 0);
    EXPECT_EQ(cool->Top(), 0);
    cool->SetAlign(alNone);
    cool->SetLeft(12);
    cool->SetTop(-3);
    EXPECT_EQ(cool->Left(), 0) << "left";
    EXPECT_EQ(cool->Top(), 0) << "top";

    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    try {
        cool->SetParent(panel);
        ADD_FAILURE() << "a panel was accepted as parent";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Drop the CoolForm on a FORM!");
    }
    cool->SetParent(nullptr);
    EXPECT_EQ(cool->Parent(), nullptr);
}

TEST(CoolForm, LeftPressDragsTheWindowOtherButtonsDoNothing)
{
    DraggingDialogs dialogs;
    SkinnedForm skinned;
    int pressEvents = 0;
    skinned.cool->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState, int, int) { ++pressEvents; };
    HWND window = skinned.Window();
    RECT before;
    GetWindowRect(window, &before);

    for (UINT msg : {WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        SendMessageA(window, msg, 0, MAKELPARAM(30, 20));
        SendMessageA(window, msg + 1, 0, MAKELPARAM(30, 20));
    }
    RECT after;
    GetWindowRect(window, &after);
    EXPECT_TRUE(dialogs.drags.empty()) << dialogs.drags.size() << " drags for right and middle presses";
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);

    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 20));
    ASSERT_EQ(dialogs.drags.size(), 1u);
    EXPECT_EQ(dialogs.drags[0], window);
    EXPECT_EQ(GetCapture(), nullptr) << "the mouse capture stayed with the form";
    GetWindowRect(window, &after);
    EXPECT_EQ(after.left, before.left + dialogs.dragBy.x);
    EXPECT_EQ(after.top, before.top + dialogs.dragBy.y);
    EXPECT_EQ(pressEvents, 0) << "the control's own press event ran";
}
