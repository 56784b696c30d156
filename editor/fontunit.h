// TFontForm: the text tool's dialog. For now only the window; its controls come with the text tool.
#pragma once

#include <windows.h>

#include "Forms.h"

class TFontForm : public TForm {
public:
    explicit TFontForm(TComponent* owner);
    ~TFontForm() override;
};

extern TFontForm* FontForm;
