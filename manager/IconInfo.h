// TIconInfoForm: the icon information window beside the main window; `lFile` holds the current
// icon reference that the other windows read.
#pragma once

#include <windows.h>

#include "Forms.h"
#include "StdCtrls.h"

class TIconInfoForm : public TForm {
public:
    explicit TIconInfoForm(TComponent* owner);

    TEdit* lFile;
};

extern TIconInfoForm* IconInfoForm;
