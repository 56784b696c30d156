// The skinned windows' common parts.
#include <windows.h>

#include "SkinParts.h"

#include <utility>

void DressSkinnedForm(TForm& form, const char* name, const char* caption, int width, int height)
{
    form.SetName(name);
    form.SetCaption(caption);
    form.Font().SetName("MS Sans Serif");
    form.Font().SetSize(8);
    form.SetBorderStyle(bsNone);
    form.SetClientSize(width, height);
}

TCoolForm* AddSkin(TForm& form, const std::string& resourcePrefix)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    auto* skin = new TCoolForm(&form);
    skin->SetName("iHintergrund");
    skin->SetParent(&form);
    skin->Picture().Bitmap().LoadFromResourceName(instance, (resourcePrefix + "_SKIN").c_str());
    skin->LoadMask2FromResource(instance, (resourcePrefix + "_MASK2").c_str());
    return skin;
}

TMaskButton* MakeRoundButton(TWinControl& parent, const char* name, const RECT& bounds, TImageList* strip,
                             TImageList* glyphs, int glyph, const std::string& hint, TNotifyEvent onClick)
{
    auto* button = new TMaskButton(&parent);
    button->SetName(name);
    button->SetParent(&parent);
    button->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    button->SetImageList(strip);
    button->SetGlyphImageList(glyphs);
    button->SetGlyphImageIndex(glyph);
    button->SetDisabledGlyphIndex(glyph);
    button->SetClickColor(clBlack);
    button->SetDisabledFontColor(clSilver);
    // The strips' corners are key-coloured: the skin shows around the round outline.
    button->SetTransparent(true);
    button->SetHint(hint);
    button->SetShowHint(true);
    button->OnClick = std::move(onClick);
    return button;
}
