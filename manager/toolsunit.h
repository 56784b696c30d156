// TToolsform: the hidden worker form that owns the registry, shell and desktop routines.
#pragma once

#include <windows.h>

#include "Forms.h"

class TToolsform : public TForm {
public:
    explicit TToolsform(TComponent* owner);
};

extern TToolsform* Toolsform;
