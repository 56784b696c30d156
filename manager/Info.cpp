// TInfoForm: layout of the about box, its application icon and the links it opens in the shell.
#include <windows.h>

#include "Info.h"

#include "Bitmap.h"
#include "Dialogs.h"
#include "Icon.h"
#include "SkinParts.h"

#include <algorithm>

const char* const ManagerVersionText = "Version 6.0";
const char* const EditorVersionText = "Version 6.0, Editor Version 1.0";
const char* const InfoMailAddress = "info@quillandora.example";
const char* const InfoWebAddress = "https://quillandora.example/";
const char* const InfoWebHost = "quillandora.example";

TInfoForm* InfoForm = nullptr;

namespace {

constexpr int TextLeft = 52;
// The inner edge of the skin's text panel; longer lines wrap before it.
constexpr int PanelRight = 203;
// Links stand out from the notice lines in the skin's deep blue.
constexpr TColor LinkColor = 0x00A04818;   // RGB(24, 72, 160)

}  // namespace

TInfoForm::TInfoForm(TComponent* owner, const TInfoFormSkin& skin, const std::string& version) : TForm(owner)
{
    DressSkinnedForm(*this, "InfoForm", "Info", 211, 199);
    SetPosition(poScreenCenter);

    iHintergrund = AddSkin(*this, "TINFOFORM");

    iIcon = new TImage(this);
    iIcon->SetName("iIcon");
    iIcon->SetParent(this);
    iIcon->SetBounds(12, 30, 32, 32);
    iIcon->SetCenter(true);
    iIcon->SetStretch(true);

    lProgramm = MakeLabel("lProgramm", 32, "Quillandora! Ostrane");
    lProgramm->Font().SetStyle(fsBold);
    lVersion = MakeLabel("lVersion", 46, "");
    SetVersion(version);
    lGrafiker2 = MakeLabel("lGrafiker2", 74, "Entwickelt vom");
    Label1 = MakeLabel("Label1", 88, "Quillandora-Team");
    leMail2 = MakeLabel("leMail2", 114, InfoMailAddress);
    // The host alone: the full address does not fit beside the icon.
    lWeb2 = MakeLabel("lWeb2", 128, InfoWebHost);
    for (TLabel* link : {leMail2, lWeb2}) {
        link->SetCursor(crHandPoint);
        link->Font().SetColor(LinkColor);
        link->Font().SetStyle(fsUnderline);
    }
    leMail2->OnClick = [this](TComponent* sender) { leMail2Click(sender); };
    lWeb2->OnClick = [this](TComponent* sender) { lWeb2Click(sender); };

    bOK = new TVantuButton(this);
    bOK->SetName("bOK");
    bOK->SetParent(this);
    bOK->SetBounds(110, 170, 75, 20);
    bOK->SetAlignment(taCenter);
    bOK->SetTextDistance(5);
    bOK->SetImageList(skin.buttonsStandard);
    bOK->SetCaption("OK");
    bOK->OnClick = [this](TComponent* sender) { bOKClick(sender); };

    bBeenden = MakeRoundButton(*this, "bBeenden", {190, 0, 211, 22}, skin.buttonsRundKlein, skin.buttonsRundKleinGlyphs,
                               0, "Beenden", [this](TComponent* sender) { bBeendenClick(sender); });

    OnCreate = [this](TComponent* sender) { FormCreate(sender); };
}

TInfoForm::~TInfoForm()
{
    if (InfoForm == this)
        InfoForm = nullptr;
}

TLabel* TInfoForm::MakeLabel(const char* name, int top, const std::string& caption)
{
    auto* label = new TLabel(this);
    label->SetName(name);
    label->SetParent(this);
    label->SetTransparent(true);
    label->SetLeft(TextLeft);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

void TInfoForm::SetVersion(const std::string& version)
{
    lVersion->SetWordWrap(false);
    lVersion->SetCaption(version);
    int available = PanelRight - TextLeft;
    if (lVersion->Width() <= available)
        return;
    // As wide as the widest part, so that the word wrap falls on the comma.
    TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(lVersion->Font());
    int widest = 0;
    for (size_t start = 0; start < version.size();) {
        size_t comma = version.find(", ", start);
        size_t end = comma == std::string::npos ? version.size() : comma + 1;
        widest = std::max(widest, measure.Canvas().TextWidth(version.substr(start, end - start)));
        start = comma == std::string::npos ? end : comma + 2;
    }
    lVersion->SetWidth(std::min(widest, available));
    lVersion->SetWordWrap(true);
}

void TInfoForm::FormCreate(TComponent* sender)
{
    // The application keeps its own icon; the picture gets a copy.
    HICON icon = CopyIcon(Application.Icon());
    if (icon)
        iIcon->Picture().Icon().SetHandle(icon);
}

void TInfoForm::bOKClick(TComponent* sender)
{
    Close();
}

void TInfoForm::bBeendenClick(TComponent* sender)
{
    Close();
}

void TInfoForm::leMail2Click(TComponent* sender)
{
    DialogService().ShellExecuteFile(nullptr, "Open", std::string("mailto:") + InfoMailAddress, "", "",
                                     SW_SHOWNORMAL);
}

void TInfoForm::lWeb2Click(TComponent* sender)
{
    DialogService().ShellExecuteFile(nullptr, "Open", InfoWebAddress, "", "", SW_SHOWNORMAL);
}
