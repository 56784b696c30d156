// TToolsform: never shown; it exists for the routines it will carry.
#include <windows.h>

#include "toolsunit.h"

TToolsform* Toolsform = nullptr;

TToolsform::TToolsform(TComponent* owner) : TForm(owner)
{
    SetName("Toolsform");
}
