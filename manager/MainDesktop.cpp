// TMainForm: the desktop settings page: its controls, previews and handlers. Reading and applying
// the settings is the worker form's.
#include <windows.h>

#include "Main.h"

#include "DesktopSettings.h"
#include "Graphics.h"
#include "toolsunit.h"

void TMainForm::NeedDesktopPage()
{
    if (seIcongroesse)
        return;
    NeedPageControl();
    MakeDesktopPage();
    if (Toolsform)
        Toolsform->FillDesktopPage();
}

void TMainForm::MakeDesktopPage()
{
    auto label = [this](TWinControl* parent, int left, int top, const char* caption) {
        auto* text = new TLabel(this);
        text->SetParent(parent);
        text->SetBounds(left, top, 0, 0);
        text->SetTransparent(true);
        text->SetCaption(caption);
        return text;
    };
    auto group = [this](const char* name, const char* caption, int left, int top, int width, int height) {
        auto* box = new TFlatGroupBox(this);
        box->SetName(name);
        box->SetParent(pAnzeige);
        box->SetBounds(left, top, width, height);
        box->SetCaption(caption);
        box->SetTransparent(true);
        return box;
    };
    auto check = [this](TWinControl* parent, const char* name, const char* caption, int left, int top, int width,
                        TNotifyEvent onClick) {
        auto* box = new TFlatCheckBox(this);
        box->SetName(name);
        box->SetParent(parent);
        box->SetBounds(left, top, width, 17);
        box->SetCaption(caption);
        box->OnClick = std::move(onClick);
        return box;
    };
    auto spin = [this](TWinControl* parent, const char* name, int left, int top, int minimum, int maximum,
                       bool typing) {
        auto* edit = new TFlatSpinEditInteger(this);
        edit->SetName(name);
        edit->SetParent(parent);
        edit->SetBounds(left, top, 56, 19);
        edit->SetMinValue(minimum);
        edit->SetMaxValue(maximum);
        edit->SetEditorEnabled(typing);
        return edit;
    };
    auto combo = [this](TWinControl* parent, const char* name, int left, int top, int width) {
        auto* box = new TFlatComboBox(this);
        box->SetName(name);
        // A combo box's kind is fixed when its window is made, which its parent does at once.
        box->SetStyle(csDropDownList);
        box->SetParent(parent);
        box->SetBounds(left, top, width, 19);
        return box;
    };
    TNotifyEvent fontChange = [this](TComponent* sender) { FontPreviewChange(sender); };

    gbIconeinstellungen = group("gbIconeinstellungen", "Iconeinstellungen", 8, 6, 282, 168);
    label(gbIconeinstellungen, 12, 22, "Maximale Icon Farbanzahl:");
    cbFarbanzahl = combo(gbIconeinstellungen, "cbFarbanzahl", 164, 18, 106);
    cGrosseIcons = check(gbIconeinstellungen, "cGrosseIcons", "Große Icons verwenden", 12, 46, 200,
                         [this](TComponent* sender) { cGrosseIconsClick(sender); });
    cShortcutOverlays = check(gbIconeinstellungen, "cShortcutOverlays", "Shortcut Overlays anzeigen", 12, 68, 200, {});
    label(gbIconeinstellungen, 12, 96, "Icongröße");
    seIcongroesse = spin(gbIconeinstellungen, "seIcongroesse", 164, 92, 10, 80, false);
    seIcongroesse->OnChange = [this](TComponent* sender) { seIcongroesseChange(sender); };
    seIcongroesse->OnClick = [this](TComponent* sender) { seIcongroesseChosen(sender); };
    seIcongroesse->OnKeyPress = [this](TComponent* sender, char&) { seIcongroesseChosen(sender); };
    seIcongroesse->OnMouseUp = [this](TComponent* sender, TMouseButton, TShiftState, int, int) {
        seIcongroesseChosen(sender);
    };
    label(gbIconeinstellungen, 12, 120, "Iconzellenbreite");
    seIconzellenbreite = spin(gbIconeinstellungen, "seIconzellenbreite", 164, 116, 1, 170, false);
    label(gbIconeinstellungen, 12, 144, "Iconzellenhöhe");
    seIconzellenhoehe = spin(gbIconeinstellungen, "seIconzellenhoehe", 164, 140, 1, 170, false);

    gbIconschriftart = group("gbIconschriftart", "Iconschriftart", 8, 182, 282, 112);
    label(gbIconschriftart, 12, 22, "Schriftart:");
    cbSchriftart = combo(gbIconschriftart, "cbSchriftart", 80, 18, 190);
    cbSchriftart->OnChange = fontChange;
    label(gbIconschriftart, 12, 48, "Größe:");
    seGroesse = spin(gbIconschriftart, "seGroesse", 80, 44, 6, 100, true);
    seGroesse->SetValue(8);
    seGroesse->OnChange = fontChange;
    label(gbIconschriftart, 12, 72, "Stil:");
    // The two long names share the right column, which has the room for them.
    cFett = check(gbIconschriftart, "cFett", "fett", 80, 70, 80, fontChange);
    cKursiv = check(gbIconschriftart, "cKursiv", "kursiv", 80, 90, 80, fontChange);
    cUnterstrichen = check(gbIconschriftart, "cUnterstrichen", "unterstrichen", 164, 70, 114, fontChange);
    cDurchgestrichen = check(gbIconschriftart, "cDurchgestrichen", "durchgestrichen", 164, 90, 114, fontChange);
    cSchriftTransparent = check(gbIconschriftart, "cSchriftTransparent", "", 250, 70, 17, fontChange);
    cSchriftTransparent->SetVisible(false);

    gbDesktop = group("gbDesktop", "Desktop", 298, 6, 272, 288);
    label(gbDesktop, 12, 24, "Farbe:");
    sDesktopfarbe = new TShape(this);
    sDesktopfarbe->SetName("sDesktopfarbe");
    sDesktopfarbe->SetParent(gbDesktop);
    sDesktopfarbe->SetBounds(52, 20, 45, 20);
    sDesktopfarbe->OnMouseUp = [this](TComponent* s, TMouseButton b, TShiftState sh, int x, int y) {
        sDesktopfarbeMouseUp(s, b, sh, x, y);
    };
    cBildanzeigen = check(gbDesktop, "cBildanzeigen", "Bild anzeigen", 120, 22, 130,
                          [this](TComponent* sender) { cBildanzeigenClick(sender); });
    label(gbDesktop, 12, 50, "Bild:");
    lBildDateiname = label(gbDesktop, 52, 50, "");
    lBildDateiname->SetAutoSize(false);
    lBildDateiname->SetBounds(52, 50, 127, 14);
    FlatButton1 = new TFlatButton(this);
    FlatButton1->SetName("FlatButton1");
    FlatButton1->SetParent(gbDesktop);
    FlatButton1->SetBounds(184, 47, 20, 17);
    FlatButton1->SetCaption("...");
    FlatButton1->OnClick = [this](TComponent* sender) { FlatButton1Click(sender); };

    iDesktop = new TImage(this);
    iDesktop->SetName("iDesktop");
    iDesktop->SetParent(gbDesktop);
    iDesktop->SetBounds(12, 76, 111, 81);
    iDesktop->SetStretch(true);

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(gbDesktop);
    Panel1->SetBounds(144, 76, 110, 140);
    Panel1->SetBevelOuter(bvLowered);
    iDesktopVorschau2 = new TImage(this);
    iDesktopVorschau2->SetName("iDesktopVorschau2");
    iDesktopVorschau2->SetParent(Panel1);
    iDesktopVorschau2->SetBounds(1, 1, 108, 138);
    iDesktopVorschau2->SetStretch(true);
    auto desktopIcon = [this](const char* name, int top) {
        auto* image = new TImage(this);
        image->SetName(name);
        image->SetParent(Panel1);
        image->SetBounds(39, top, 32, 32);
        image->SetCenter(true);
        return image;
    };
    iArbeitsplatz = desktopIcon("iArbeitsplatz", 12);
    lArbeitsplatz = label(Panel1, 20, 48, " Arbeitsplatz ");
    lArbeitsplatz->SetName("lArbeitsplatz");
    iPapierkorb = desktopIcon("iPapierkorb", 76);
    lPapierkorb = label(Panel1, 20, 112, " Papierkorb ");
    lPapierkorb->SetName("lPapierkorb");

    auto button = [this](const char* name, const char* caption, int left, void (TMainForm::*handler)(TComponent*)) {
        auto* b = new TVantuButton(this);
        b->SetName(name);
        b->SetParent(pAnzeige);
        b->SetBounds(left, 302, 88, 20);
        b->SetAlignment(taCenter);
        b->SetTextDistance(5);
        b->SetImageList(&ilButtonsStandard);
        b->SetCaption(caption);
        b->OnClick = [this, handler](TComponent* sender) { (this->*handler)(sender); };
        return b;
    };
    bUebernehmen = button("bUebernehmen", "Übernehmen", 296, &TMainForm::bUebernehmenClick);
    bZuruecksetzen = button("bZuruecksetzen", "Zurücksetzen", 388, &TMainForm::bZuruecksetzenClick);
    VantuButton2 = button("VantuButton2", "Standard", 480, &TMainForm::VantuButton2Click);

    ColorDialog1 = new TColorDialog(this);
    OpenPictureDialog1 = new TOpenDialog(this);
    OpenPictureDialog1->SetTitle("Bildschirmhintergrundbild wählen...");
    OpenPictureDialog1->SetFilter("Alle Dateien (*.*)|*.*|JPEG-Grafikdatei (*.jpg)|*.jpg|"
                                  "JPEG-Grafikdatei (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp");
}

// ---------------------------------------------------------------------------------------------
// Handlers

void TMainForm::bZuruecksetzenClick(TComponent* sender)
{
    Toolsform->ReadDesktopSettings();
    Toolsform->UpdateWallpaperPreview();
    UpdateFontPreview();
}

void TMainForm::bUebernehmenClick(TComponent* sender)
{
    Toolsform->ApplyDesktopSettings();
}

bool TMainForm::IsClassicWindows()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwMajorVersion == 4 && version.dwMinorVersion < 90;
}

void TMainForm::VantuButton2Click(TComponent* sender)
{
    for (TFlatCheckBox* box : {cFett, cKursiv, cDurchgestrichen, cUnterstrichen})
        box->SetChecked(false);
    seGroesse->SetValue(8);
    cShortcutOverlays->SetChecked(true);
    seIcongroesse->SetValue(32);
    seIconzellenbreite->SetValue(99);
    seIconzellenhoehe->SetValue(75);
    cbFarbanzahl->SetItemIndex(cbFarbanzahl->ItemCount() - 1);
    cSchriftTransparent->SetChecked(false);
    const bool classic = IsClassicWindows();
    sDesktopfarbe->Brush().SetColor(classic ? 0x808000 : 0x984E00);
    std::vector<std::string> fonts;
    for (int i = 0; i < cbSchriftart->ItemCount(); ++i)
        fonts.push_back(cbSchriftart->Item(i));
    const int font = FontNameIndex(fonts, classic ? "MS Sans Serif" : "Tahoma");
    if (font >= 0)
        cbSchriftart->SetItemIndex(font);
    Toolsform->UpdateWallpaperPreview();
    UpdateFontPreview();
}

void TMainForm::seIcongroesseChange(TComponent* sender)
{
    if (!SizeSetByCheckbox)
        Toolsform->RememberedIconSize = seIcongroesse->Value();
    SizeSetByCheckbox = false;
    cGrosseIcons->SetChecked(seIcongroesse->Value() == 48);
}

void TMainForm::seIcongroesseChosen(TComponent* sender)
{
    Toolsform->RememberedIconSize = seIcongroesse->Value();
}

void TMainForm::cGrosseIconsClick(TComponent* sender)
{
    // Ticking follows the size box too; only a change of the box's meaning acts.
    const int size = seIcongroesse->Value();
    if (cGrosseIcons->Checked()) {
        if (size == 48)
            return;
        SizeSetByCheckbox = true;
        seIcongroesse->SetValue(48);
    } else {
        if (size != 48)
            return;
        int remembered = Toolsform->RememberedIconSize;
        SizeSetByCheckbox = true;
        seIcongroesse->SetValue(remembered == 48 ? 32 : remembered);
    }
}

void TMainForm::sDesktopfarbeMouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)
{
    ColorDialog1->SetColor(sDesktopfarbe->Brush().Color());
    if (!ColorDialog1->Execute())
        return;
    sDesktopfarbe->Brush().SetColor(ColorDialog1->Color());
    UpdateFontPreview();
    Toolsform->UpdateWallpaperPreview();
}

void TMainForm::FontPreviewChange(TComponent* sender)
{
    UpdateFontPreview();
}

void TMainForm::cBildanzeigenClick(TComponent* sender)
{
    Toolsform->Wallpaper = cBildanzeigen->Checked() ? Toolsform->PickedWallpaper : std::string();
    Toolsform->UpdateWallpaperPreview();
    UpdateFontPreview();
}

void TMainForm::FlatButton1Click(TComponent* sender)
{
    if (!OpenPictureDialog1->Execute())
        return;
    cBildanzeigen->SetEnabled(true);
    Toolsform->PickedWallpaper = Toolsform->Wallpaper = OpenPictureDialog1->FileName();
    cBildanzeigen->SetChecked(true);
    Toolsform->UpdateWallpaperPreview();
}

void TMainForm::UpdateFontPreview()
{
    const TColor desktop = sDesktopfarbe->Brush().Color();
    const int font = cbSchriftart->ItemIndex();
    TFontStyles style = 0;
    if (cFett->Checked())
        style |= fsBold;
    if (cDurchgestrichen->Checked())
        style |= fsStrikeOut;
    if (cKursiv->Checked())
        style |= fsItalic;
    if (cUnterstrichen->Checked())
        style |= fsUnderline;
    for (auto [caption, image] : {std::pair<TLabel*, TImage*>{lArbeitsplatz, iArbeitsplatz}, {lPapierkorb, iPapierkorb}}) {
        caption->SetTransparent(false);
        caption->SetColor(desktop);
        if (font >= 0)
            caption->Font().SetName(cbSchriftart->Item(font));
        caption->Font().SetSize(seGroesse->Value());
        caption->Font().SetColor(clWhite);
        caption->Font().SetStyle(style);
        caption->SetAutoSize(true);
        caption->SetLeft(image->Left() + image->Width() / 2 - caption->Width() / 2);
    }
    Panel1->SetColor(desktop);
}
