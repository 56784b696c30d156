// TMainForm: the system-icon page: the list of the shell's own items, the assignment box and the
// reset buttons. The table and the registry are the worker form's.
#include <windows.h>

#include "Main.h"

#include "Dialogs.h"
#include "IconInfo.h"
#include "SysUtils.h"
#include "SystemIcons.h"
#include "toolsunit.h"

namespace {

constexpr TColor ListColor = 0x984E00;

// A text cut to `length` characters with "..." when it is longer.
std::string Shortened(const std::string& text, size_t length)
{
    return text.size() > length ? text.substr(0, length) + "..." : text;
}

}  // namespace

void TMainForm::NeedSystemPage()
{
    if (lbSystem)
        return;
    NeedPageControl();
    MakeSystemPage();
    if (Toolsform)
        Toolsform->FillSystemPage();
}

void TMainForm::MakeSystemPage()
{
    lbSystem = new TSectionListBox(this);
    lbSystem->SetName("lbSystem");
    lbSystem->SetParent(pSystem);
    lbSystem->SetBounds(8, 6, 300, 314);
    lbSystem->SetColor(ListColor);
    lbSystem->SetSubItemHeight(32);
    lbSystem->SetSectionHeight(15);
    lbSystem->SetSectionColor(0xFFC697);
    lbSystem->SetSelectionColor(0xDD7400);
    lbSystem->SetSelectionTextColor(clWhite);
    lbSystem->SetFlat(true);
    int number = 0;
    for (int s = 0; s < SystemIconSections; ++s) {
        TListSection& section = lbSystem->Sections().Add();
        section.SetCaption(SystemIconSectionCaptions[s]);
        section.SetColor(ListColor);
        section.Font().SetName("MS Sans Serif");
        section.Font().SetSize(8);
        section.Font().SetColor(clWhite);
        for (int i = 0; i < SystemIconSectionSizes[s]; ++i)
            section.SubItems().Add("<IMG src=\"idx:" + std::to_string(number++) + "\" align=\"middle\"><B></B>   " +
                                   SystemIconCaption(s, i));
    }
    lbSystem->SetOneExpanded(true);
    lbSystem->OnSubItemClick = [this](TComponent* s, int section, int item) { lbSystemSubItemClick(s, section, item); };
    lbSystem->OnSubItemDblClk = [this](TComponent* s, int section, int item) {
        lbSystemSubItemDblClk(s, section, item);
    };
    lbSystem->OnSectionClick = [this](TComponent* s, int section) { lbSystemSectionClick(s, section); };

    auto group = [this](const char* name, const char* caption, int top, int height) {
        auto* box = new TFlatGroupBox(this);
        box->SetName(name);
        box->SetParent(pSystem);
        box->SetBounds(320, top, 248, height);
        box->SetCaption(caption);
        box->SetTransparent(true);
        return box;
    };
    auto button = [this](TWinControl* parent, const char* name, const char* caption, int left, int top,
                         void (TMainForm::*handler)(TComponent*)) {
        auto* b = new TVantuButton(this);
        b->SetName(name);
        b->SetParent(parent);
        b->SetBounds(left, top, 88, 20);
        b->SetAlignment(taCenter);
        b->SetTextDistance(5);
        b->SetImageList(&ilButtonsStandard);
        b->SetCaption(caption);
        if (handler)
            b->OnClick = [this, handler](TComponent* sender) { (this->*handler)(sender); };
        return b;
    };
    auto label = [this](const char* name, int top) {
        auto* text = new TLabel(this);
        text->SetName(name);
        text->SetParent(gbIconsZuweisen);
        text->SetBounds(56, top, 0, 0);
        text->SetTransparent(true);
        return text;
    };

    gbIconsZuweisen = group("gbIconsZuweisen", "Icon zuweisen", 6, 112);
    iIcon = new TImage(this);
    iIcon->SetName("iIcon");
    iIcon->SetParent(gbIconsZuweisen);
    iIcon->SetBounds(12, 24, 32, 32);
    iIcon->SetCenter(true);
    lRubrikname = label("lRubrikname", 26);
    lRubrikname->Font().SetStyle(fsBold);
    lDateiname = label("lDateiname", 42);
    bZuweisen = button(gbIconsZuweisen, "bZuweisen", "Zuweisen", 148, 80, &TMainForm::bZuweisenClick);

    FlatGroupBox1 = group("FlatGroupBox1", "Icon zurücksetzen", 128, 62);
    bGewaehltesIconZuruecksetzen = button(FlatGroupBox1, "bGewaehltesIconZuruecksetzen", "Gewähltes", 12, 26,
                                          &TMainForm::bGewaehltesIconZuruecksetzenClick);
    bAlleIconsZuruecksetzen = button(FlatGroupBox1, "bAlleIconsZuruecksetzen", "Alle", 148, 26,
                                     &TMainForm::bAlleIconsZuruecksetzenClick);
    VantuButton1 = button(pSystem, "VantuButton1", "Aktualisieren", 480, 302, nullptr);

    // The page's picture, in a frame of the group boxes' colour.
    sSystem = new TShape(this);
    sSystem->SetName("sSystem");
    sSystem->SetParent(pSystem);
    sSystem->SetBounds(320, 200, 248, 92);
    sSystem->Pen().SetColor(FlatBorderColor);
    sSystem->Brush().SetStyle(bsClear);
    Image1 = new TImage(this);
    Image1->SetName("Image1");
    Image1->SetParent(pSystem);
    Image1->SetBounds(321, 201, 246, 90);
    Image1->Picture().Bitmap().LoadFromResourceName(GetModuleHandleA(nullptr), "TMAINFORM_IMAGE1");
}

void TMainForm::ShowAssignmentBox()
{
    if (auto* icon = dynamic_cast<TIcon*>(IconInfoForm->iIcon->Picture().Graphic()))
        iIcon->Picture().Icon().Assign(*icon);
    else
        iIcon->Picture().SetGraphic(nullptr);
    iIcon->Invalidate();
    lRubrikname->SetCaption(Shortened(IconInfoForm->lRubrikname->Caption(), 20));
    lDateiname->SetCaption(Shortened(IconInfoForm->lDateiname->Caption(), 27));
}

void TMainForm::lbSystemSubItemClick(TComponent* sender, int section, int subItem)
{
    SelectedSection = section;
    SelectedSubItem = subItem;
}

void TMainForm::lbSystemSubItemDblClk(TComponent* sender, int section, int subItem)
{
    SelectedSection = section;
    SelectedSubItem = subItem;
}

void TMainForm::lbSystemSectionClick(TComponent* sender, int section)
{
    // Shown selected, but the target stays the sub-item clicked last.
    lbSystem->SelectSubItem(section, 0);
}

void TMainForm::bZuweisenClick(TComponent* sender)
{
    const std::string file = IconInfoForm->lFile->Text();
    // Without a current icon there is nothing to give.
    if (file.empty())
        return;
    bool fixed;
    if (file.size() >= 2 && file[1] == ':') {
        const std::string root = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(file[0])))) +
                                 ":\\";
        fixed = GetDriveTypeA(root.c_str()) == DRIVE_FIXED;
    } else {
        fixed = false;   // a network path, or none at all
    }
    if (!fixed && MessageDlg("Das ausgewählte Icon befindet sich auf einem Laufwerk, welches eventuell nicht "
                             "jederzeit zur Verfügung steht.\nDies kann zu Problemen führen. Möchten Sie dennoch "
                             "fortfahren?",
                             mtWarning, mbOKCancel) != mrOk)
        return;
    TCursorGuard hourglass;
    Toolsform->AssignSystemIcon(SelectedSection, SelectedSubItem);
}

void TMainForm::bGewaehltesIconZuruecksetzenClick(TComponent* sender)
{
    // The shell reloading its icons takes a while.
    TCursorGuard hourglass;
    Toolsform->ResetSystemIcon(SelectedSection, SelectedSubItem);
    Toolsform->RefreshShellIcons();
}

void TMainForm::bAlleIconsZuruecksetzenClick(TComponent* sender)
{
    TCursorGuard hourglass;
    for (int section = 0; section < lbSystem->Sections().Count(); ++section)
        for (int item = 0; item < lbSystem->Sections().Items(section).SubItems().Count(); ++item)
            Toolsform->ResetSystemIcon(section, item);
    Toolsform->RefreshShellIcons();
}
