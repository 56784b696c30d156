// TMainForm: the icon manager's skinned main window with its page buttons, its three pages and
// the process-wide state the pages share.
#pragma once

#include <windows.h>

#include "ComCtrls.h"
#include "CoolForm.h"
#include "Dialogs.h"
#include "DriveView.h"
#include "EnhListView.h"
#include "ExtCtrls.h"
#include "FlatButton.h"
#include "FlatCheckBox.h"
#include "FlatComboBox.h"
#include "FlatGroupBox.h"
#include "FlatSpinEdit.h"
#include "Forms.h"
#include "IconCtls.h"
#include "ImageList.h"
#include "MaskButton.h"
#include "slstbox.h"
#include "TreeView.h"
#include "VantuButton.h"

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

    // The pages' controls are made with what fills them the first time a page is needed, and
    // stay nullptr until then; the first screen shows none of them.
    void NeedGalleryPage();
    void NeedDesktopPage();
    void NeedSystemPage();
    // The drive tree of the file mode, made at the first "Erweitert".
    void NeedDriveTree();
    // The about box, made at the first "Info".
    void NeedInfoForm();

    // The gallery page: the category tree (or, in file mode, the drive tree in its place), the
    // gallery of the category's files, the icons of one library in its place, the current file's
    // path and the way back from the library.
    TTreeView* TreeView = nullptr;
    TDriveView* DriveView1 = nullptr;
    TqelEnhListView* ListView1 = nullptr;
    TqelIconListBox* lbIcons = nullptr;
    TStatusBar* sbIcons = nullptr;
    TVantuButton* bZurueck = nullptr;
    TVantuButton* bErweitert = nullptr;

    // The system-icon page: the shell's own items in five sections, and the boxes that give the
    // chosen one the current icon or its default back.
    TSectionListBox* lbSystem = nullptr;
    TFlatGroupBox* gbIconsZuweisen = nullptr;
    TImage* iIcon = nullptr;
    TLabel* lRubrikname = nullptr;
    TLabel* lDateiname = nullptr;
    TVantuButton* bZuweisen = nullptr;
    TFlatGroupBox* FlatGroupBox1 = nullptr;
    TVantuButton* bGewaehltesIconZuruecksetzen = nullptr;
    TVantuButton* bAlleIconsZuruecksetzen = nullptr;
    TVantuButton* VantuButton1 = nullptr;
    TShape* sSystem = nullptr;
    TImage* Image1 = nullptr;

    // The desktop settings page: icon settings, the icon titles' font and the desktop itself,
    // with previews; nothing is written before "Übernehmen".
    TFlatGroupBox* gbIconeinstellungen = nullptr;
    TFlatComboBox* cbFarbanzahl = nullptr;
    TFlatCheckBox* cGrosseIcons = nullptr;
    TFlatCheckBox* cShortcutOverlays = nullptr;
    TFlatSpinEditInteger* seIcongroesse = nullptr;
    TFlatSpinEditInteger* seIconzellenbreite = nullptr;
    TFlatSpinEditInteger* seIconzellenhoehe = nullptr;
    TFlatGroupBox* gbIconschriftart = nullptr;
    TFlatComboBox* cbSchriftart = nullptr;
    TFlatSpinEditInteger* seGroesse = nullptr;
    TFlatCheckBox* cFett = nullptr;
    TFlatCheckBox* cKursiv = nullptr;
    TFlatCheckBox* cDurchgestrichen = nullptr;
    TFlatCheckBox* cUnterstrichen = nullptr;
    TFlatCheckBox* cSchriftTransparent = nullptr;
    TFlatGroupBox* gbDesktop = nullptr;
    TShape* sDesktopfarbe = nullptr;
    TFlatCheckBox* cBildanzeigen = nullptr;
    TLabel* lBildDateiname = nullptr;
    TFlatButton* FlatButton1 = nullptr;
    TImage* iDesktop = nullptr;
    TPanel* Panel1 = nullptr;
    TImage* iDesktopVorschau2 = nullptr;
    TImage* iArbeitsplatz = nullptr;
    TLabel* lArbeitsplatz = nullptr;
    TImage* iPapierkorb = nullptr;
    TLabel* lPapierkorb = nullptr;
    TVantuButton* bUebernehmen = nullptr;
    TVantuButton* bZuruecksetzen = nullptr;
    TVantuButton* VantuButton2 = nullptr;
    TColorDialog* ColorDialog1 = nullptr;
    TOpenDialog* OpenPictureDialog1 = nullptr;

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

    void TreeViewChange(TComponent* sender, TTreeNode* node);
    void TreeViewExpanded(TComponent* sender, TTreeNode* node);
    void TreeViewCollapsed(TComponent* sender, TTreeNode* node);
    void bZurueckClick(TComponent* sender);
    // Switches between the catalogue and the drive tree, which shows the current file's folder.
    void bErweitertClick(TComponent* sender);
    // The gallery of the folder chosen in the drive tree.
    void DriveView1Change(TComponent* sender, TTreeNode* node);
    void DriveView1DDError(TComponent* sender, int errorNo);
    void ListView1Click(TComponent* sender);
    void ListView1KeyPress(TComponent* sender, char& key);
    void ListView1KeyUp(TComponent* sender, WORD& key, TShiftState shift);
    void ListView1DblClick(TComponent* sender);
    void lbIconsClick(TComponent* sender);
    void pIconsEnter(TComponent* sender);
    void pIconsExit(TComponent* sender);
    // Makes the selected gallery item the current icon; nothing when none is selected.
    void ShowSelectedIconInfo();

    void lbSystemSubItemClick(TComponent* sender, int section, int subItem);
    void lbSystemSubItemDblClk(TComponent* sender, int section, int subItem);
    void lbSystemSectionClick(TComponent* sender, int section);
    void bZuweisenClick(TComponent* sender);
    void bGewaehltesIconZuruecksetzenClick(TComponent* sender);
    void bAlleIconsZuruecksetzenClick(TComponent* sender);

    void bZuruecksetzenClick(TComponent* sender);
    void bUebernehmenClick(TComponent* sender);
    void VantuButton2Click(TComponent* sender);
    void cGrosseIconsClick(TComponent* sender);
    void seIcongroesseChange(TComponent* sender);
    void seIcongroesseChosen(TComponent* sender);
    void sDesktopfarbeMouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FontPreviewChange(TComponent* sender);
    void cBildanzeigenClick(TComponent* sender);
    void FlatButton1Click(TComponent* sender);
    // The icon titles as the chosen font shows them on the desktop colour.
    void UpdateFontPreview();
    static bool IsClassicWindows();

private:
    TMaskButton* MakeButton(const char* name, int left, int top, bool large, int glyph, const std::string& hint,
                            void (TMainForm::*handler)(TComponent*));
    TTabSheet* MakePage(const char* name);
    // The page control's window, hidden, made with the first page that is needed.
    void NeedPageControl();
    void ShowPage(TTabSheet* page, const char* helpKeyword);
    void MakeGalleryPage();
    void MakeDesktopPage();
    void MakeSystemPage();
    // The assignment box shows the current icon, its category and file.
    void ShowAssignmentBox();
    // The gallery's first showing, while there is no current icon yet.
    void FirstGalleryUse();
    // Focus entering the gallery page from another control of this window.
    void GalleryControlEnter();
    void GalleryControlExit();
    bool galleryFocusMoving_ = false;
};

extern TMainForm* MainForm;

// The folder of the program, with a trailing backslash.
std::string ProgramFolder();
// Puts the program folder elsewhere (tests stage one of their own); "" restores the program's.
void OverrideProgramFolder(const std::string& folder);
