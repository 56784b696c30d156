// TFontForm: the text tool's dialog. The user types a text and picks font, size, style and colour
// and sees it drawn live into the picture; OK keeps it, "Abbrechen" takes it back.
#pragma once

#include <windows.h>

#include "CoolForm.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "FlatCheckBox.h"
#include "FlatComboBox.h"
#include "FlatEdit.h"
#include "FlatSpinEdit.h"
#include "Forms.h"
#include "ImageList.h"
#include "TextRender.h"
#include "VantuButton.h"

#include <functional>

class TFontForm : public TForm {
public:
    // The text buttons draw from `buttonsStandard`, which belongs to the editor window.
    TFontForm(TComponent* owner, TImageList* buttonsStandard);
    ~TFontForm() override;

    TCoolForm* iHintergrund;
    TFlatEdit* Edit1;
    TFlatComboBox* ComboBox1;
    TFlatSpinEditInteger* SpinEdit1;
    TFlatCheckBox* Fettbox;
    TFlatCheckBox* CheckBox1;
    TFlatCheckBox* CheckBox2;
    TShape* FCShape;
    TVantuButton* Button1;
    TVantuButton* Button2;

    // Shared with the editor window: the picture written on, the copy taken before the dialog
    // opened, where the text goes, the colour dialog, and what refreshes the preview.
    TBitmap* Picture = nullptr;
    TBitmap* Saved = nullptr;
    POINT TextPosition = {};
    TColorDialog* ColorDialog = nullptr;
    std::function<void()> PictureChanged;
    // Set by OK; cleared by the editor before the dialog opens.
    bool OK = false;

    // Selects the font of that name in the list, or the one the system draws in its place.
    void SelectFont(const std::string& name);
    // The settings as the controls hold them.
    TTextSettings Settings() const;
    // The picture as it was, then the text over it.
    void RenderPreview();

    void FormActivate(TComponent* sender);
    void FormClose(TComponent* sender, TCloseAction& action);
    void ControlChange(TComponent* sender);
    void FCShapeMouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void Button1Click(TComponent* sender);
    void Button2Click(TComponent* sender);

private:
    void RestorePicture();
    TFlatCheckBox* MakeStyleBox(const char* name, const char* caption, const char* hint, int left);
};

extern TFontForm* FontForm;
