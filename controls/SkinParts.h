// What every skinned window of both programs is built from: the borderless form's look, its skin
// picture with the stored region, and the round image-strip buttons.
#pragma once

#include <windows.h>

#include "CoolForm.h"
#include "Forms.h"
#include "ImageList.h"
#include "MaskButton.h"

#include <string>

// Name, caption, client size, the programs' font and no border.
void DressSkinnedForm(TForm& form, const char* name, const char* caption, int width, int height);

// The skin picture "<prefix>_SKIN" and its region "<prefix>_MASK2" from the program's resources.
TCoolForm* AddSkin(TForm& form, const std::string& resourcePrefix);

// A round button of `strip` with glyph `glyph` of `glyphs`.
TMaskButton* MakeRoundButton(TWinControl& parent, const char* name, const RECT& bounds, TImageList* strip,
                             TImageList* glyphs, int glyph, const std::string& hint, TNotifyEvent onClick);
