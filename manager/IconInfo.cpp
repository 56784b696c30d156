// TIconInfoForm: the window and its hidden hand-over field.
#include <windows.h>

#include "IconInfo.h"

TIconInfoForm* IconInfoForm = nullptr;

TIconInfoForm::TIconInfoForm(TComponent* owner) : TForm(owner)
{
    SetName("IconInfoForm");
    SetBorderStyle(bsNone);
    SetFormStyle(fsStayOnTop);
    SetKeyPreview(true);
    SetClientSize(211, 199);

    lFile = new TEdit(this);
    lFile->SetName("lFile");
    lFile->SetVisible(false);
    lFile->SetParent(this);
}
