// TIconInfoForm: layout of the icon information window, the current icon and its credit, and the
// copy, export, editor hand-over and assignment of the icon.
#include <windows.h>

#include "IconInfo.h"

#include "Clipboard.h"
#include "Exceptions.h"
#include "Icon.h"
#include "IconConverter.h"
#include "IconFileReader.h"
#include "IconSpec.h"
#include "JpegImage.h"
#include "Main.h"
#include "SkinParts.h"
#include "SysUtils.h"
#include "TransparentKey.h"
#include "toolsunit.h"

const char* const OwnIconsCategory = "Eigene Icons";
const char* const EditorHandOverFileName = "temp$$$.ico";

TIconInfoForm* IconInfoForm = nullptr;

namespace {

constexpr int IconSize = 32;
// The skin's panel: category and file name beside the icon seat, the credit below it. An
// address, up to 30 characters, needs the panel's width: it goes under its caption.
constexpr int TextLeft = 12;
constexpr int BesideIconLeft = 54;
constexpr int ArtistLeft = 70;
constexpr int LinkLeft = 20;
constexpr int PanelRight = 203;
// Links in the skin's deep blue, as in the about box.
constexpr TColor LinkColor = 0x00A04818;   // RGB(24, 72, 160)
constexpr size_t CategoryShown = 20;
constexpr size_t LinkShown = 27;

}  // namespace

std::string CutWithEllipsis(const std::string& text, size_t keep)
{
    return text.size() <= keep ? text : text.substr(0, keep) + "...";
}

TIconExportFormat IconExportFormatOf(const std::string& fileName)
{
    std::string ext = AnsiUpperCase(ExtractFileExt(fileName));
    if (ext == ".ICO")
        return TIconExportFormat::Icon;
    if (ext == ".BMP")
        return TIconExportFormat::Bitmap;
    return TIconExportFormat::Jpeg;
}

void DrawIconBitmap(TBitmap& bitmap, TGraphic* icon, TColor background)
{
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(IconSize, IconSize);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(background);
    canvas.FillRect(RECT{0, 0, IconSize, IconSize});
    if (icon && !icon->Empty())
        canvas.StretchDraw(RECT{0, 0, IconSize, IconSize}, *icon);
}

void ExportIcon(const std::string& fileName, TGraphic* icon)
{
    TIconExportFormat format = IconExportFormatOf(fileName);
    TBitmap bitmap;
    if (format == TIconExportFormat::Icon) {
        DrawIconBitmap(bitmap, icon, TransparentKeyColor);
        SaveBitmapAsIcon(fileName, bitmap, TransparentKeyColor);
        return;
    }
    // A bitmap or JPEG has no transparency: the icon's clear pixels become white, so that the
    // export looks as the icon does on a light page, never of an unknown colour.
    DrawIconBitmap(bitmap, icon, clWhite);
    if (format == TIconExportFormat::Bitmap) {
        bitmap.SaveToFile(fileName);
        return;
    }
    TJPEGImage jpeg;
    jpeg.Assign(bitmap);
    jpeg.SaveToFile(fileName);
}

std::string EditorArgument(const std::string& path)
{
    char shortPath[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    if (length > 0 && length < sizeof shortPath) {
        std::string result(shortPath, length);
        // A volume without short names answers with the long path, blanks and all.
        if (result.find(' ') == std::string::npos)
            return result;
    }
    return "\"" + path + "\"";
}

TIconInfoForm::TIconInfoForm(TComponent* owner) : TForm(owner)
{
    DressSkinnedForm(*this, "IconInfoForm", "Icon-Info", 211, 199);
    SetFormStyle(fsStayOnTop);
    SetKeyPreview(true);

    iHintergrund = AddSkin(*this, "TICONINFOFORM");

    iIcon = new TImage(this);
    iIcon->SetName("iIcon");
    iIcon->SetParent(this);
    iIcon->SetBounds(12, 30, IconSize, IconSize);
    iIcon->SetCenter(true);
    iIcon->SetStretch(true);

    lRubrikname = MakeLabel("lRubrikname", BesideIconLeft, 33, "");
    lRubrikname->Font().SetStyle(fsBold);
    lDateiname = MakeLabel("lDateiname", BesideIconLeft, 48, "");
    lGrafiker1 = MakeLabel("lGrafiker1", TextLeft, 72, "Künstler:");
    lGrafiker1->Font().SetStyle(fsBold);
    lGrafiker2 = MakeLabel("lGrafiker2", ArtistLeft, 72, "");
    leMail1 = MakeLabel("leMail1", TextLeft, 87, "eMail:");
    leMail2 = MakeLabel("leMail2", LinkLeft, 100, "");
    lWeb1 = MakeLabel("lWeb1", TextLeft, 114, "Web:");
    lWeb2 = MakeLabel("lWeb2", LinkLeft, 127, "");
    // Names longer than the panel end at its edge.
    for (TLabel* label : {lRubrikname, lDateiname, lGrafiker2}) {
        label->SetAutoSize(false);
        label->SetBounds(label->Left(), label->Top(), PanelRight - label->Left(), label->Height());
    }
    for (TLabel* link : {leMail2, lWeb2}) {
        link->SetCursor(crHandPoint);
        link->Font().SetColor(LinkColor);
        link->Font().SetStyle(fsUnderline);
    }
    leMail2->OnClick = [this](TComponent* sender) { leMail2Click(sender); };
    lWeb2->OnClick = [this](TComponent* sender) { lWeb2Click(sender); };

    bKopieren = MakeButton("bKopieren", 10, 150, "Kopieren", "Kopiert den Dateipfad des Icons in die Zwischenablage",
                           &TIconInfoForm::bKopierenClick);
    bExportieren = MakeButton("bExportieren", 108, 150, "Exportieren", "Speichert das Icon als Bitmap",
                              &TIconInfoForm::bExportierenClick);
    bBearbeiten = MakeButton("bBearbeiten", 10, 174, "Bearbeiten", "Öffnet das Icon im Iconeditor",
                             &TIconInfoForm::bBearbeitenClick);
    bZuweisen = MakeButton("bZuweisen", 108, 174, "Zuweisen", "Weist das Icon einer Systemkomponente zu",
                           &TIconInfoForm::bZuweisenClick);

    bBeenden = MakeRoundButton(*this, "bBeenden", {190, 0, 211, 22}, MainForm ? &MainForm->ilButtonsRund_Klein : nullptr,
                               MainForm ? &MainForm->ilButtonsRund_Klein_Glyphs : nullptr, 0, "Beenden",
                               [this](TComponent* sender) { bBeendenClick(sender); });

    lFile = new TEdit(this);
    lFile->SetName("lFile");
    lFile->SetVisible(false);
    lFile->SetParent(this);
    lFile->OnChange = [this](TComponent* sender) { lFileChange(sender); };

    IconExportDialog = new TSaveDialog(this);
    IconExportDialog->SetName("IconExportDialog");
    IconExportDialog->SetTitle("Icon exportieren...");
    IconExportDialog->SetDefaultExt("*.bmp");
    IconExportDialog->SetFilter("Icon-Datei (*.ico)|*.ico|Windows-Bitmap (*.bmp)|*.bmp|JPEG-Datei (*.jpg)|*.jpg|"
                                "Alle Dateien (*.*)|*.*");
    IconExportDialog->SetOptions(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST);

    OnOwnIconsChanged = [] {
        if (Toolsform)
            Toolsform->LoadGallery();
    };
    OnShow = [this](TComponent* sender) { FormShow(sender); };
    OnKeyDown = [this](TComponent* sender, WORD& key, TShiftState shift) { FormKeyDown(sender, key, shift); };
}

TIconInfoForm::~TIconInfoForm()
{
    if (IconInfoForm == this)
        IconInfoForm = nullptr;
}

TLabel* TIconInfoForm::MakeLabel(const char* name, int left, int top, const std::string& caption)
{
    auto* label = new TLabel(this);
    label->SetName(name);
    label->SetParent(this);
    label->SetTransparent(true);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

TVantuButton* TIconInfoForm::MakeButton(const char* name, int left, int top, const std::string& caption,
                                        const std::string& hint, void (TIconInfoForm::*handler)(TComponent*))
{
    auto* button = new TVantuButton(this);
    button->SetName(name);
    button->SetParent(this);
    button->SetBounds(left, top, 93, 20);
    button->SetAlignment(taCenter);
    if (MainForm)
        button->SetImageList(&MainForm->ilButtonsStandard);
    button->SetCaption(caption);
    button->SetHint(hint);
    button->SetShowHint(true);
    button->OnClick = [this, handler](TComponent* sender) { (this->*handler)(sender); };
    return button;
}

TGraphic* TIconInfoForm::ShownIcon() const
{
    return iIcon->Picture().Graphic();
}

void TIconInfoForm::OwnIconsChanged()
{
    if (lRubrikname->Caption() == OwnIconsCategory && OnOwnIconsChanged)
        OnOwnIconsChanged();
}

void TIconInfoForm::SetleMail2(const std::string& text)
{
    creditMail_ = text;
    leMail2->SetCaption(CutWithEllipsis(text, LinkShown));
}

void TIconInfoForm::SetlWeb2(const std::string& text)
{
    creditWeb_ = text;
    lWeb2->SetCaption(CutWithEllipsis(text, LinkShown));
}

void TIconInfoForm::ShowIconSpec(const std::string& spec, const std::string& category)
{
    std::string file = IconSpecFile(spec);
    HICON icon = ExtractCheckedIcon(file, IconSpecIndex(spec));
    if (icon)
        iIcon->Picture().Icon().SetHandle(icon);
    else
        iIcon->Picture().SetGraphic(nullptr);
    lRubrikname->SetCaption(CutWithEllipsis(category, CategoryShown));
    lFile->SetText(spec);
    ShowArtistCredit(AnsiUpperCase(file));
}

void TIconInfoForm::ShowArtistCredit(const std::string& upperPath)
{
    ShowArtistCredit(Toolsform ? FindArtistCredit(Toolsform->ArtistCredits, upperPath) : nullptr);
}

void TIconInfoForm::ShowArtistCredit(const ArtistCredit* credit)
{
    for (TLabel* label : {lGrafiker2, leMail1, leMail2, lWeb1, lWeb2})
        label->SetVisible(credit != nullptr);
    if (!credit) {
        lGrafiker1->SetCaption("Keine Informationen verfügbar");
        SetleMail2("");
        SetlWeb2("");
        return;
    }
    lGrafiker1->SetCaption("Grafiker:");
    lGrafiker2->SetCaption(credit->name);
    SetleMail2(credit->mail);
    SetlWeb2(credit->web);
}

void TIconInfoForm::FormShow(TComponent* sender)
{
    if (MainForm)
        SetBounds(MainForm->Left() + 485, MainForm->Top() - 30, Width(), Height());
}

void TIconInfoForm::FormKeyDown(TComponent* sender, WORD& key, TShiftState shift)
{
    if (MainForm)
        MainForm->FormKeyDown(sender, key, shift);
}

void TIconInfoForm::lFileChange(TComponent* sender)
{
    lDateiname->SetCaption(AnsiLowerCase(ExtractFileName(lFile->Text())));
}

void TIconInfoForm::bKopierenClick(TComponent* sender)
{
    lFile->SelectAll();
    Clipboard().SetText(lFile->Text());
}

void TIconInfoForm::bExportierenClick(TComponent* sender)
{
    std::string folder = ProgramFolder() + OwnIconsCategory;
    // Without the folder the dialog opens wherever it last was; the export still works.
    ForceDirectories(folder);
    IconExportDialog->SetInitialDir(folder);
    if (!IconExportDialog->Execute())
        return;
    std::string fileName = IconExportDialog->FileName();
    try {
        ExportIcon(fileName, ShownIcon());
    } catch (const Exception& error) {
        MessageDlg("Das Icon konnte nicht als \"" + fileName + "\" gespeichert werden.\n\n" + error.what(), mtError,
                   mbOK);
        return;
    }
    OwnIconsChanged();
}

void TIconInfoForm::bBearbeitenClick(TComponent* sender)
{
    std::string folder = ProgramFolder();
    std::string handOver = folder + EditorHandOverFileName;
    try {
        TBitmap bitmap;
        DrawIconBitmap(bitmap, ShownIcon(), TransparentKeyColor);
        SaveBitmapAsIcon(handOver, bitmap, TransparentKeyColor);
    } catch (const Exception& error) {
        MessageDlg("Das Icon konnte nicht an den Iconeditor übergeben werden.\n\n" + std::string(error.what()),
                   mtError, mbOK);
        return;
    }
    // The editor lives on by itself; whether it started is the shell's to report.
    DialogService().ShellExecuteFile(MainForm ? MainForm->Handle() : nullptr, "", folder + "editor.exe",
                                     EditorArgument(handOver), folder, SW_SHOWNORMAL);
    OwnIconsChanged();
}

void TIconInfoForm::bZuweisenClick(TComponent* sender)
{
    if (MainForm)
        MainForm->bSystemClick(sender);
}

void TIconInfoForm::bBeendenClick(TComponent* sender)
{
    Close();
}

void TIconInfoForm::leMail2Click(TComponent* sender)
{
    if (IsOpenableMailAddress(creditMail_))
        DialogService().ShellExecuteFile(MainForm ? MainForm->Handle() : nullptr, "Open", "mailto:" + creditMail_, "",
                                         "", SW_SHOWNORMAL);
}

void TIconInfoForm::lWeb2Click(TComponent* sender)
{
    if (IsOpenableWebAddress(creditWeb_))
        DialogService().ShellExecuteFile(MainForm ? MainForm->Handle() : nullptr, "Open", creditWeb_, "", "",
                                         SW_SHOWNORMAL);
}
