// TMainForm: the icon manager's skinned main window with its page buttons, its three pages and
// the process-wide state the pages share.
#pragma once

#include <windows.h>

#include "ComCtrls.h"
#include "CoolForm.h"
#include "Forms.h"
#include "ImageList.h"
#include "MaskButton.h"

#include <string>

// Main-window state, shared with the pages' routines.
extern std::string HelpKeyword;        // help topic that F1 opens, set by the page buttons
extern bool FormShown;                 // the gallery moves the keyboard focus only once shown
extern std::string CurrentCategory;    // catalogue category shown in the gallery
extern std::string CurrentIconFile;    // upper-cased path of the selected gallery file
extern int SelectedSection;            // assignment target on the system-icon page
extern int SelectedSubItem;
extern bool SizeSetByCheckbox;

// The start values, as the program begins with them.
void ResetMainState();

// Web address opened by "Quillandora! online".
extern const char* const QuillandoraWebAddress;

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;

    // Strips of the round buttons (five rows each) and their glyphs; the skin of the text
    // buttons on every form of the program.
    TImageList ilButtonsRund_Gross{48, 240};
    TImageList ilButtonsRund_Gross_Glyphs{25, 25};
    TImageList ilButtonsRund_Klein{21, 110};
    TImageList ilButtonsRund_Klein_Glyphs{13, 13};
    TImageList ilButtonsStandard{60, 80};

    TCoolForm* iHintergrund;
    TMaskButton* bIcons;
    TMaskButton* bAnzeige;
    TMaskButton* bSystem;
    TMaskButton* bIconeditor;
    TMaskButton* bHilfe;
    TMaskButton* bBeenden;
    TMaskButton* bInfo;
    TMaskButton* bOnline;
    TPageControl* PageControl;
    TTabSheet* pIcons;
    TTabSheet* pAnzeige;
    TTabSheet* pSystem;

    void FormCreate(TComponent* sender);
    void FormShow(TComponent* sender);
    void FormKeyDown(TComponent* sender, WORD& key, TShiftState shift);
    void bIconsClick(TComponent* sender);
    void bAnzeigeClick(TComponent* sender);
    void bSystemClick(TComponent* sender);
    void bIconeditorClick(TComponent* sender);
    void bBeendenClick(TComponent* sender);
    void bInfoClick(TComponent* sender);
    void bOnlineClick(TComponent* sender);
    void bHilfeClick(TComponent* sender);

private:
    TMaskButton* MakeButton(const char* name, int left, int top, bool large, int glyph, const std::string& hint,
                            void (TMainForm::*handler)(TComponent*));
    TTabSheet* MakePage(const char* name);
    void ShowPage(TTabSheet* page, const char* helpKeyword);
};

extern TMainForm* MainForm;

// The folder of the program, with a trailing backslash.
std::string ProgramFolder();
