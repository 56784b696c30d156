// TInfoForm: a small centred box with a button that ends its modal loop.
#include <windows.h>

#include "Info.h"

TInfoForm* InfoForm = nullptr;

TInfoForm::TInfoForm(TComponent* owner) : TForm(owner)
{
    SetName("InfoForm");
    SetCaption("Info");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    Font().SetName("MS Sans Serif");
    Font().SetSize(8);
    SetClientSize(211, 199);

    bOK = new TButton(this);
    bOK->SetName("bOK");
    bOK->SetParent(this);
    bOK->SetCaption("OK");
    bOK->SetBounds(110, 170, 75, 23);
    bOK->SetModalResult(mrOk);
}
