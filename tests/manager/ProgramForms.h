// Freeing the icon manager's forms after a test made them as the program start does.
#pragma once

#include "IconInfo.h"
#include "Info.h"
#include "Main.h"
#include "toolsunit.h"

inline void FreeProgramForms()
{
    delete InfoForm;
    InfoForm = nullptr;
    delete Toolsform;
    Toolsform = nullptr;
    delete IconInfoForm;
    IconInfoForm = nullptr;
    delete MainForm;
    MainForm = nullptr;
}
