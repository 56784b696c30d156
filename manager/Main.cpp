// TMainForm: layout of the skinned main window, page navigation, help keywords and the editor start.
#include <windows.h>

#include "Main.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "IconInfo.h"
#include "Info.h"
#include "SkinParts.h"
#include "SysUtils.h"
#include "TransparentKey.h"

std::string HelpKeyword = "Index";
bool FormShown = false;
std::string CurrentCategory;
std::string CurrentIconFile;
int SelectedSection = 0;
int SelectedSubItem = 0;
bool SizeSetByCheckbox = false;

const char* const QuillandoraWebAddress = "https://quillandora.example/";

TMainForm* MainForm = nullptr;

void ResetMainState()
{
    HelpKeyword = "Index";
    FormShown = false;
    CurrentCategory.clear();
    CurrentIconFile.clear();
    SelectedSection = 0;
    SelectedSubItem = 0;
    SizeSetByCheckbox = false;
}

namespace {

constexpr TColor MainFormColor = 0xFFEBDD;
std::string programFolderOverride;

}  // namespace

std::string ProgramFolder()
{
    return programFolderOverride.empty() ? ExtractFilePath(Application.ExeName()) : programFolderOverride;
}

void OverrideProgramFolder(const std::string& folder)
{
    programFolderOverride = folder.empty() ? std::string() : IncludeTrailingBackslash(folder);
}

TMainForm::TMainForm(TComponent* owner) : TForm(owner)
{
    DressSkinnedForm(*this, "MainForm", "Quillandora! Ostrane", 640, 458);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
    SetColor(MainFormColor);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    ilButtonsRund_Gross.LoadStripFromResource(instance, "ILBUTTONSRUND_GROSS", TransparentKeyColor);
    ilButtonsRund_Gross_Glyphs.LoadStripFromResource(instance, "ILBUTTONSRUND_GROSS_GLYPHS", TransparentKeyColor);
    ilButtonsRund_Klein.LoadStripFromResource(instance, "ILBUTTONSRUND_KLEIN", TransparentKeyColor);
    ilButtonsRund_Klein_Glyphs.LoadStripFromResource(instance, "ILBUTTONSRUND_KLEIN_GLYPHS", TransparentKeyColor);
    ilButtonsStandard.LoadStripFromResource(instance, "ILBUTTONSSTANDARD", TransparentKeyColor);

    iHintergrund = AddSkin(*this, "TMAINFORM");

    bIcons = MakeButton("bIcons", 11, 26, true, 1, "Icongalerie aufrufen", &TMainForm::bIconsClick);
    bAnzeige = MakeButton("bAnzeige", 72, 26, true, 2, "Desktopeinstellungen bearbeiten", &TMainForm::bAnzeigeClick);
    bSystem = MakeButton("bSystem", 132, 26, true, 0, "Systemicons ändern", &TMainForm::bSystemClick);
    bIconeditor = MakeButton("bIconeditor", 192, 26, true, 3, "Iconeditor aufrufen", &TMainForm::bIconeditorClick);
    bHilfe = MakeButton("bHilfe", 435, 30, false, 1, "Hilfe", &TMainForm::bHilfeClick);
    bBeenden = MakeButton("bBeenden", 459, 30, false, 0, "Beenden", &TMainForm::bBeendenClick);
    bInfo = MakeButton("bInfo", 435, 53, false, 2, "Info", &TMainForm::bInfoClick);
    bOnline = MakeButton("bOnline", 459, 53, false, 3, "Quillandora! online", &TMainForm::bOnlineClick);

    // Placed on the window with the first page it shows (NeedPageControl).
    PageControl = new TPageControl(this);
    PageControl->SetName("PageControl");
    PageControl->SetVisible(false);
    PageControl->SetBounds(27, 98, 584, 331);
    PageControl->SetStyle(tsFlatButtons);
    pIcons = MakePage("pIcons");
    pAnzeige = MakePage("pAnzeige");
    pSystem = MakePage("pSystem");

    OnCreate = [this](TComponent* sender) { FormCreate(sender); };
    OnShow = [this](TComponent* sender) { FormShow(sender); };
    OnKeyDown = [this](TComponent* sender, WORD& key, TShiftState shift) { FormKeyDown(sender, key, shift); };
}

TMainForm::~TMainForm()
{
    if (MainForm == this)
        MainForm = nullptr;
}

TMaskButton* TMainForm::MakeButton(const char* name, int left, int top, bool large, int glyph,
                                   const std::string& hint, void (TMainForm::*handler)(TComponent*))
{
    const RECT bounds = {left, top, left + (large ? 48 : 21), top + (large ? 48 : 22)};
    return MakeRoundButton(*this, name, bounds, large ? &ilButtonsRund_Gross : &ilButtonsRund_Klein,
                           large ? &ilButtonsRund_Gross_Glyphs : &ilButtonsRund_Klein_Glyphs, glyph, hint,
                           [this, handler](TComponent* sender) { (this->*handler)(sender); });
}

TTabSheet* TMainForm::MakePage(const char* name)
{
    auto* page = new TTabSheet(this);
    page->SetName(name);
    page->SetPageControl(PageControl);
    // Only the buttons above switch pages.
    page->SetTabVisible(false);
    return page;
}

void TMainForm::NeedPageControl()
{
    if (!PageControl->Parent())
        PageControl->SetParent(this);
}

void TMainForm::ShowPage(TTabSheet* page, const char* helpKeyword)
{
    NeedPageControl();
    HelpKeyword = helpKeyword;
    PageControl->SetVisible(true);
    PageControl->SetActivePage(page);
}

void TMainForm::FormCreate(TComponent* sender)
{
    std::string folder = ProgramFolder();
    Application.SetHelpFile(folder + "hilfe.hlp");
    std::string ownIcons = folder + "Eigene Icons";
    if (!DirectoryExists(ownIcons) && !CreateDirectoryA(ownIcons.c_str(), nullptr))
        throw EFCreateError("Der Ordner \"" + ownIcons + "\" kann nicht angelegt werden: " +
                          SysErrorMessage(GetLastError()));
}

void TMainForm::FormShow(TComponent* sender)
{
    FormShown = true;
}

void TMainForm::FormKeyDown(TComponent* sender, WORD& key, TShiftState shift)
{
    if (key == VK_F1)
        Application.HelpJump(HelpKeyword);
}

void TMainForm::bIconsClick(TComponent* sender)
{
    NeedGalleryPage();
    ShowPage(pIcons, "Icons_betrachten");
    IconInfoForm->Show();
    if (IconInfoForm->lFile->Text().empty())
        FirstGalleryUse();
}

void TMainForm::bAnzeigeClick(TComponent* sender)
{
    NeedDesktopPage();
    ShowPage(pAnzeige, "Anzeige");
    IconInfoForm->Hide();
}

void TMainForm::bSystemClick(TComponent* sender)
{
    IconInfoForm->Hide();
    NeedSystemPage();
    ShowPage(pSystem, "Icon_zuweisen");
    if (IconInfoForm->lFile->Text().empty())
        FirstGalleryUse();
    ShowAssignmentBox();
}

void TMainForm::bIconeditorClick(TComponent* sender)
{
    IconInfoForm->Hide();
    std::string folder = ProgramFolder();
    // The editor lives on by itself; whether it started is the shell's to report.
    DialogService().ShellExecuteFile(Handle(), "", folder + "editor.exe", "", folder, SW_SHOWNORMAL);
}

void TMainForm::bBeendenClick(TComponent* sender)
{
    Close();
}

void TMainForm::NeedInfoForm()
{
    if (InfoForm)
        return;
    // Its buttons draw from this window's lists.
    InfoForm = new TInfoForm(&Application, {&ilButtonsStandard, &ilButtonsRund_Klein, &ilButtonsRund_Klein_Glyphs},
                             ManagerVersionText);
    InfoForm->DoCreate();
}

void TMainForm::bInfoClick(TComponent* sender)
{
    NeedInfoForm();
    InfoForm->ShowModal();
}

void TMainForm::bOnlineClick(TComponent* sender)
{
    DialogService().ShellExecuteFile(nullptr, "Open", QuillandoraWebAddress, "", "", SW_SHOWNORMAL);
}

void TMainForm::bHilfeClick(TComponent* sender)
{
    Application.HelpJump("Index");
}
