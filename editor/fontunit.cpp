// TFontForm: the text dialog's window.
#include <windows.h>

#include "fontunit.h"

TFontForm* FontForm = nullptr;

TFontForm::TFontForm(TComponent* owner) : TForm(owner)
{
    SetName("FontForm");
    SetCaption("Text");
    SetBorderStyle(bsNone);
    SetPosition(poScreenCenter);
    SetClientSize(390, 120);
}

TFontForm::~TFontForm()
{
    if (FontForm == this)
        FontForm = nullptr;
}
