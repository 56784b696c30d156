// TInfoForm: the skinned about box that both programs show modally from their "Info" button.
#pragma once

#include <windows.h>

#include "CoolForm.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ImageList.h"
#include "MaskButton.h"
#include "StdCtrls.h"
#include "VantuButton.h"

#include <string>

// The version line of each program.
extern const char* const ManagerVersionText;   // "Version 6.0"
extern const char* const EditorVersionText;    // "Version 6.0, Editor Version 1.0"

// Where the box's links lead.
extern const char* const InfoMailAddress;
extern const char* const InfoWebAddress;
extern const char* const InfoWebHost;   // what the web link shows

// The image lists the box's buttons draw from. They belong to a window of the program, which
// must outlive the box's painting (the buttons forget a list that is destroyed).
struct TInfoFormSkin {
    TImageList* buttonsStandard = nullptr;          // bOK
    TImageList* buttonsRundKlein = nullptr;         // bBeenden
    TImageList* buttonsRundKleinGlyphs = nullptr;   // bBeenden's glyph
};

class TInfoForm : public TForm {
public:
    TInfoForm(TComponent* owner, const TInfoFormSkin& skin, const std::string& version);
    ~TInfoForm() override;

    // A line too long for the panel breaks after its comma.
    void SetVersion(const std::string& version);

    TCoolForm* iHintergrund;
    TImage* iIcon;
    TLabel* lProgramm;
    TLabel* lVersion;
    TLabel* lGrafiker2;
    TLabel* Label1;
    TLabel* leMail2;
    TLabel* lWeb2;
    TVantuButton* bOK;
    TMaskButton* bBeenden;

    void FormCreate(TComponent* sender);
    void bOKClick(TComponent* sender);
    void bBeendenClick(TComponent* sender);
    void leMail2Click(TComponent* sender);
    void lWeb2Click(TComponent* sender);

private:
    TLabel* MakeLabel(const char* name, int top, const std::string& caption);
};

extern TInfoForm* InfoForm;
