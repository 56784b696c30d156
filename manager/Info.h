// TInfoForm: the about box, shown modally from the "Info" button.
#pragma once

#include <windows.h>

#include "Forms.h"
#include "StdCtrls.h"

class TInfoForm : public TForm {
public:
    explicit TInfoForm(TComponent* owner);

    TButton* bOK;
};

extern TInfoForm* InfoForm;
