// TForm1: layout of the editor window, its commands, keys, colours and the clipboard-viewer chain.
#include <windows.h>

#include "malen.h"

#include "Clipboard.h"
#include "EditorArt.h"
#include "Exceptions.h"
#include "Info.h"
#include "fontunit.h"
#include "PictureFiles.h"
#include "SkinParts.h"
#include "SysUtils.h"
#include "TransparentKey.h"

#include <shlobj.h>

const char* const SaveChangesQuestion =
    "Das aktuelle Icon wurde geändert. Möchten Sie die Änderungen speichern?";

TForm1* Form1 = nullptr;

namespace {

constexpr TColor EditorFormColor = 0xFFEBDD;

// The command buttons' glyphs in their strip.
enum TCommandGlyph {
    cgNew, cgOpen, cgSave, cgCopy, cgPaste, cgUndo, cgUp, cgDown, cgLeft, cgRight,
    cgRotate, cgMirrorLeftRight, cgMirrorTopBottom, cgSwap
};
// The small glyphs of the header buttons.
enum THeaderGlyph { hgClose, hgHelp, hgInfo };

constexpr int PictureLeft = 76;
constexpr int PictureTop = 101;

// Brings on the busy look once the window waits while busy.
constexpr UINT_PTR BusyLookTimer = 1;

}  // namespace

template <class TImageKind>
TImageKind* TForm1::MakeImage(const char* name, int left, int top, int width, int height)
{
    auto* image = new TImageKind(this);
    image->SetName(name);
    image->SetParent(this);
    image->SetBounds(left, top, width, height);
    return image;
}

TForm1::TForm1(TComponent* owner) : TForm(owner)
{
    DressSkinnedForm(*this, "Form1", "Quillandora! Editor", 410, 412);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
    SetColor(EditorFormColor);
    HandOverFolder = ExtractFilePath(Application.ExeName());

    HINSTANCE instance = GetModuleHandleA(nullptr);
    ilButtonsRund_Klein.LoadStripFromResource(instance, "ILBUTTONSRUND_KLEIN", TransparentKeyColor);
    ilButtonsRund_Klein_Glyphs.LoadStripFromResource(instance, "ILBUTTONSRUND_KLEIN_GLYPHS", TransparentKeyColor);
    ilBefehle_Glyphs.LoadStripFromResource(instance, "ILBEFEHLE_GLYPHS", TransparentKeyColor);
    ilToolButtons.LoadStripFromResource(instance, "ILTOOLBUTTONS", TransparentKeyColor);
    ilTools_Glyphs.LoadStripFromResource(instance, "ILTOOLS_GLYPHS", TransparentKeyColor);
    ilButtonsStandard.LoadStripFromResource(instance, "ILBUTTONSSTANDARD", TransparentKeyColor);

    iHintergrund = AddSkin(*this, "TFORM1");

    pbox = new TPictureView(this);
    pbox->SetName("pbox");
    pbox->SetParent(this);
    pbox->SetBounds(PictureLeft, PictureTop, 256, 256);
    pbox->SetStretch(true);
    model_ = std::make_unique<TEditorModel>(pbox->Picture().Bitmap());
    tools_ = std::make_unique<TDrawingTools>(*model_);
    Image7 = MakeImage("Image7", PictureLeft, PictureTop, GridSide, GridSide);
    PaintGrid(Image7->Picture().Bitmap());
    Image7->SetTransparent(true);
    Image7->OnMouseDown = [this](TComponent* s, TMouseButton b, TShiftState sh, int x, int y) {
        pboxMouseDown(s, b, sh, x, y);
    };
    Image7->OnMouseMove = [this](TComponent* s, TShiftState sh, int x, int y) { pboxMouseMove(s, sh, x, y); };
    Image7->OnMouseUp = [this](TComponent* s, TMouseButton b, TShiftState sh, int x, int y) {
        pboxMouseUp(s, b, sh, x, y);
    };
    Image7->OnMouseCancel = [this](TComponent* s) { pboxMouseCancel(s); };
    Image1 = MakeImage<TPictureView>("Image1", 355, 98, PictureSize, PictureSize);
    Image1->SetTransparent(true);
    Image3 = MakeImage("Image3", 0, 0, PictureSize, PictureSize);
    Image3->SetVisible(false);
    fontmerker = MakeImage("fontmerker", 0, 0, PictureSize, PictureSize);
    fontmerker->SetVisible(false);
    Image6 = MakeImage("Image6", 351, 198, PaletteWidth, PaletteHeight);
    PaintPalette(Image6->Picture().Bitmap());
    Image6->SetHint("Farbpalette");
    Image6->SetShowHint(true);
    Image6->OnMouseUp = [this](TComponent* s, TMouseButton b, TShiftState sh, int x, int y) {
        Image6MouseUp(s, b, sh, x, y);
    };

    bNeu = MakeCommand("bNeu", 10, 36, ilBefehle_Glyphs, cgNew, "Neues Icon", &TForm1::bNeuClick);
    bOeffnen = MakeCommand("bOeffnen", 32, 36, ilBefehle_Glyphs, cgOpen, "Icon oder Bild laden", &TForm1::bOeffnenClick);
    bSpeichern = MakeCommand("bSpeichern", 54, 36, ilBefehle_Glyphs, cgSave, "Icon speichern", &TForm1::bSpeichernClick);
    bKopieren = MakeCommand("bKopieren", 80, 36, ilBefehle_Glyphs, cgCopy, "Kopieren", &TForm1::bKopierenClick);
    bEinfuegen = MakeCommand("bEinfuegen", 102, 36, ilBefehle_Glyphs, cgPaste, "Einfügen", &TForm1::bEinfuegenClick);
    SpeedButton4 = MakeCommand("SpeedButton4", 124, 36, ilBefehle_Glyphs, cgUndo, "Rückgängig", &TForm1::SpeedButton4Click);
    bHoch = MakeCommand("bHoch", 150, 36, ilBefehle_Glyphs, cgUp, "nach oben verschieben", &TForm1::bHochClick);
    bRunter = MakeCommand("bRunter", 172, 36, ilBefehle_Glyphs, cgDown, "nach unten verschieben", &TForm1::bRunterClick);
    bLinks = MakeCommand("bLinks", 194, 36, ilBefehle_Glyphs, cgLeft, "nach links verschieben", &TForm1::bLinksClick);
    bRechts = MakeCommand("bRechts", 216, 36, ilBefehle_Glyphs, cgRight, "nach rechts verschieben", &TForm1::bRechtsClick);
    bRotieren = MakeCommand("bRotieren", 242, 36, ilBefehle_Glyphs, cgRotate, "drehen", &TForm1::bRotierenClick);
    bSpiegelungVertikal = MakeCommand("bSpiegelungVertikal", 264, 36, ilBefehle_Glyphs, cgMirrorLeftRight,
                                      "vertikal spiegeln", &TForm1::bSpiegelungVertikalClick);
    bSpiegelungHorizontal = MakeCommand("bSpiegelungHorizontal", 286, 36, ilBefehle_Glyphs, cgMirrorTopBottom,
                                        "horizontal spiegeln", &TForm1::bSpiegelungHorizontalClick);
    bFarbenTauschen = MakeCommand("bFarbenTauschen", 378, 138, ilBefehle_Glyphs, cgSwap, "Farbebene wechseln",
                                  &TForm1::bFarbenTauschenClick);
    bHilfe = MakeCommand("bHilfe", 331, 4, ilButtonsRund_Klein_Glyphs, hgHelp, "Hilfe", &TForm1::bHilfeClick);
    bInfo = MakeCommand("bInfo", 355, 4, ilButtonsRund_Klein_Glyphs, hgInfo, "Info", &TForm1::bInfoClick);
    bBeenden = MakeCommand("bBeenden", 379, 4, ilButtonsRund_Klein_Glyphs, hgClose, "Schließen", &TForm1::bBeendenClick);
    // Until the first change there is nothing to go back to, and the clipboard speaks for itself.
    SpeedButton4->SetEnabled(false);
    bEinfuegen->SetEnabled(false);

    bStift = MakeTool("bStift", 0, 0, etPen, "Stift");
    bLinie = MakeTool("bLinie", 1, 0, etLine, "Linien");
    bViereck1 = MakeTool("bViereck1", 0, 1, etRectangle, "Rechteck");
    bViereck2 = MakeTool("bViereck2", 1, 1, etRectangle, "gefülltes Rechteck");
    bKreis1 = MakeTool("bKreis1", 0, 2, etEllipse, "Elipse");
    bKreis2 = MakeTool("bKreis2", 1, 2, etEllipse, "gefüllte Elipse");
    bVieleck = MakeTool("bVieleck", 0, 3, etPolygon, "Vieleck");
    bText = MakeTool("bText", 1, 3, etText, "Textwerkzeug");
    bFuellwerkzeug = MakeTool("bFuellwerkzeug", 0, 4, etFill, "Eimerfüllung");
    bFarbeAuswaehlen = MakeTool("bFarbeAuswaehlen", 1, 4, etPipette, "Pipette");

    // The fixed colours: white, then the fifteen standard colours, then "transparent".
    const TColor fixed[] = {clWhite, clSilver, clGray, clBlack, clRed, clMaroon, clFuchsia, clPurple,
                            clAqua, clTeal, clBlue, clNavy, clLime, clGreen, clYellow, clOlive};
    for (int i = 0; i < 16; ++i) {
        std::string name = "Shape" + std::to_string(i == 0 ? 3 : i + 4);
        fixedSwatches.push_back(MakeSwatch(name.c_str(), 9 + 14 * (i % 4), 250 + 14 * (i / 4), 12, 12, fixed[i]));
    }
    TShape* transparent = MakeSwatch("Shape20", 9, 306, 54, 12, TransparentKeyColor);
    transparent->SetHint("transparent");
    transparent->SetShowHint(true);
    fixedSwatches.push_back(transparent);
    for (TShape* swatch : fixedSwatches)
        swatch->OnMouseUp = [this](TComponent* s, TMouseButton b, TShiftState sh, int x, int y) {
            SwatchMouseUp(s, b, sh, x, y);
        };
    Shape4 = MakeSwatch("Shape4", 0, 0, 8, 8, TransparentKeyColor);
    Shape4->SetVisible(false);

    // The secondary swatch lies behind the primary one.
    Shape2 = MakeSwatch("Shape2", 362, 160, 26, 26, clWhite);
    Shape2->SetHint("Hintergrundfarbe");
    Shape2->SetShowHint(true);
    Shape2->OnMouseUp = [this](TComponent* s, TMouseButton b, TShiftState sh, int x, int y) {
        Shape2MouseUp(s, b, sh, x, y);
    };
    Shape1 = MakeSwatch("Shape1", 346, 144, 26, 26, clBlack);
    Shape1->SetHint("Vordergrundfarbe");
    Shape1->SetShowHint(true);
    Shape1->OnMouseUp = [this](TComponent* s, TMouseButton b, TShiftState sh, int x, int y) {
        SwatchMouseUp(s, b, sh, x, y);
    };

    penwidthcombo1 = new Tpenwidthcombo(this);
    penwidthcombo1->SetName("penwidthcombo1");
    penwidthcombo1->SetParent(this);
    penwidthcombo1->SetBounds(318, 37, 84, 22);
    penwidthcombo1->SetHint("Strichbreite");
    penwidthcombo1->SetShowHint(true);
    penwidthcombo1->OnChange = [this](TComponent* sender) { penwidthcombo1Change(sender); };

    StatusBar1 = new TStatusBar(this);
    StatusBar1->SetName("StatusBar1");
    StatusBar1->SetParent(this);
    StatusBar1->SetAlign(alNone);
    StatusBar1->SetBounds(10, 382, 390, 20);
    StatusBar1->SetColor(EditorFormColor);
    StatusBar1->SetPanelWidths({50, 50, 50});

    // In front of the tool column: while shown, clicks there reach no tool.
    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetAutoSize(false);
    Label1->SetTransparent(true);
    Label1->SetBounds(8, 94, 57, 273);
    Label1->SetVisible(false);

    morvPaintFX1 = new TmorvPaintFX(this);
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetFilter("Windows-Icon (*.ico)|*.ico|Windows-Bitmap (*bmp)|*.bmp|JPEG-Datei (*.jpg)|*.jpg|"
                           "Alle Dateien (*.*)|*.*");
    OpenDialog1->SetOptions(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    SaveIcoDlg = new TSaveDialog(this);
    SaveIcoDlg->SetTitle("Speichern unter...");
    SaveIcoDlg->SetFilter("Windows-Icon (*.ico)|*.ico|Windows-Bitmap (*.bmp)|*.bmp|JPEG-Datei (*.jpg)|*.jpg");
    SaveIcoDlg->SetDefaultExt("ico");
    SaveIcoDlg->SetOptions(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_ENABLESIZING);
    ColorDialog1 = new TColorDialog(this);

    OnCreate = [this](TComponent* sender) { FormCreate(sender); };
    OnShow = [this](TComponent* sender) { FormShow(sender); };
    OnCloseQuery = [this](TComponent* sender, bool& canClose) { FormCloseQuery(sender, canClose); };
    OnClose = [this](TComponent* sender, TCloseAction& action) { FormClose(sender, action); };
    OnKeyUp = [this](TComponent* sender, WORD& key, TShiftState shift) { FormKeyUp(sender, key, shift); };
}

TForm1::~TForm1()
{
    LeaveClipboardChain();
    if (Form1 == this)
        Form1 = nullptr;
}

TMaskButton* TForm1::MakeCommand(const char* name, int left, int top, TImageList& glyphs, int glyph,
                                 const std::string& hint, void (TForm1::*handler)(TComponent*))
{
    return MakeRoundButton(*this, name, {left, top, left + 21, top + 22}, &ilButtonsRund_Klein, &glyphs, glyph, hint,
                           [this, handler](TComponent* sender) { (this->*handler)(sender); });
}

TMaskSpeedButton* TForm1::MakeTool(const char* name, int column, int row, int tool, const std::string& hint)
{
    auto* button = new TMaskSpeedButton(this);
    button->SetName(name);
    button->SetParent(this);
    button->SetBounds(9 + 28 * column, 96 + 29 * row, 26, 26);
    button->SetImageList(&ilToolButtons);
    button->SetGlyphImageList(&ilTools_Glyphs);
    const int glyph = static_cast<int>(toolButtons_.size());
    button->SetGlyphImageIndex(glyph);
    button->SetDisabledGlyphIndex(glyph);
    button->SetClickColor(clBlack);
    button->SetHint(hint);
    button->SetShowHint(true);
    button->OnClick = [this](TComponent* sender) { ToolButtonClick(sender); };
    toolButtons_.push_back(button);
    toolCodes_.push_back(tool);
    return button;
}

TShape* TForm1::MakeSwatch(const char* name, int left, int top, int width, int height, TColor color)
{
    auto* shape = new TShape(this);
    shape->SetName(name);
    shape->SetParent(this);
    shape->SetBounds(left, top, width, height);
    shape->Brush().SetColor(color);
    shape->Pen().SetColor(clBlack);
    return shape;
}

// ---------------------------------------------------------------------------------------------
// Start and end

void TForm1::FormCreate(TComponent* sender)
{
    Application.SetHelpFile(ExtractFilePath(Application.ExeName()) + "hilfe.hlp");
    nextViewer_ = SetClipboardViewer(Handle());
    inClipboardChain_ = true;

    Image1->Picture().Bitmap().SetPixelFormat(pf24bit);
    Image3->Picture().Bitmap().SetPixelFormat(pf24bit);
    Image7->Picture().Bitmap().SetTransparentColor(GridTransparentColor);

    penwidthcombo1->SetItemIndex(0);
    model_->CurrentTool = etPen;
    model_->ShapeInProgress = false;
    SelectTool(bStift);

    model_->ResetUndo();
    SetButtonColor(mbRight, clWhite);
    SetButtonColor(mbLeft, clBlack);
    ClearPicture(Picture(), TransparentKeyColor);
    model_->PushUndo();
    RefreshPicture();
    UpdateUndoButton();
}

void TForm1::FormShow(TComponent* sender)
{
    SetDoubleBuffered(true);
    // Only once: a later showing must not open the file again.
    std::string argument;
    argument.swap(CommandLineArgument);
    OpenCommandLineFile(argument);
}

void TForm1::OpenCommandLineFile(const std::string& argument)
{
    const std::string file = Trim(argument);
    if (file.empty())
        return;
    if (!FileExists(file)) {
        ShowMessage("Datei " + file + " kann nicht geöffnet werden.");
        return;
    }
    // Decided while the file is there: only an existing name has a long form to compare.
    const bool handOver = IsHandOverFile(file, HandOverFolder);
    OpenDialog1->SetFileName(file);
    commandLineOpen_ = true;
    const bool opened = Open();
    commandLineOpen_ = false;
    // A file that could not be read is the user's to look into; it stays.
    if (!handOver || !opened)
        return;
    DeleteFileA(file.c_str());
    // The open dialog must not offer a file that is gone.
    OpenDialog1->SetFileName("");
}

// Closing and the end of the Windows session both ask here.
void TForm1::FormCloseQuery(TComponent* sender, bool& canClose)
{
    canClose = ConfirmDiscard();
}

void TForm1::FormClose(TComponent* sender, TCloseAction& action)
{
    model_->Modified = false;
    model_->ResetUndo();
    LeaveClipboardChain();
}

void TForm1::LeaveClipboardChain()
{
    if (!inClipboardChain_)
        return;
    inClipboardChain_ = false;
    if (HandleAllocated())
        ChangeClipboardChain(Handle(), nextViewer_);
    nextViewer_ = nullptr;
}

bool TForm1::ConfirmDiscard()
{
    if (!model_->Modified)
        return true;
    switch (MessageDlg(SaveChangesQuestion, mtConfirmation, mbYesNoCancel)) {
    case mrYes:
        return Save();
    case mrNo:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT TForm1::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CHANGECBCHAIN:
        if (reinterpret_cast<HWND>(wParam) == nextViewer_)
            nextViewer_ = reinterpret_cast<HWND>(lParam);
        else if (nextViewer_)
            SendMessageA(nextViewer_, msg, wParam, lParam);
        return 0;
    case WM_DRAWCLIPBOARD:
        bEinfuegen->SetEnabled(IsClipboardFormatAvailable(CF_BITMAP) != FALSE);
        if (nextViewer_)
            SendMessageA(nextViewer_, msg, wParam, lParam);
        return 0;
    case WM_TIMER:
        if (wParam != BusyLookTimer)
            break;
        KillTimer(Handle(), BusyLookTimer);
        busyLookTimer_ = false;
        ShowBusyLook();
        return 0;
    case WM_PAINT:
        // What paints while busy shows it.
        ShowBusyLook();
        break;
    default:
        break;
    }
    return TForm::WndProc(msg, wParam, lParam);
}

void TForm1::FormKeyUp(TComponent* sender, WORD& key, TShiftState shift)
{
    RunCommand(EditorShortcut(key, shift, Label1->Visible()));
}

void TForm1::RunCommand(TEditorCommand command)
{
    switch (command) {
    case ecNone:
        break;
    case ecHelp:
        Application.HelpJump("Iconeditor");
        break;
    case ecNew:
        bNeuClick(this);
        break;
    case ecOpen:
        bOeffnenClick(this);
        break;
    case ecSave:
        bSpeichernClick(this);
        break;
    case ecUndo:
        if (SpeedButton4->Enabled())
            SpeedButton4Click(this);
        break;
    case ecPaste:
        if (bEinfuegen->Enabled())
            bEinfuegenClick(this);
        break;
    case ecCopy:
        bKopierenClick(this);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// The picture

void TForm1::RefreshPicture()
{
    pbox->ShowChanges();
    // Shown once the key colour is back: the copy brings the picture's own.
    TPictureView::THold hold(*Image1);
    TBitmap& preview = Image1->Picture().Bitmap();
    preview.Assign(Picture());
    preview.SetTransparentColor(Shape4->Brush().Color());
}

void TForm1::SetBusy(bool busy)
{
    model_->Busy = busy;
    // It draws nothing: shown, it only takes the clicks meant for the tools.
    Label1->SetVisible(busy);
    if (busy) {
        // A click leaves its timer to fire once into nothing, which costs less than stopping it.
        if (!busyLookShown_ && !busyLookTimer_ && HandleAllocated())
            busyLookTimer_ = SetTimer(Handle(), BusyLookTimer, USER_TIMER_MINIMUM, nullptr) != 0;
        return;
    }
    busyLookShown_ = false;
    penwidthcombo1->SetEnabled(true);
    UpdateUndoButton();
}

void TForm1::ShowBusyLook()
{
    if (!model_ || !model_->Busy || busyLookShown_)
        return;
    busyLookShown_ = true;
    if (model_->ShapeInProgress)
        Screen.SetCursor(crCross);
    penwidthcombo1->SetEnabled(false);
    UpdateUndoButton();
}

void TForm1::UpdateUndoButton()
{
    // Until the busy look comes on, the button shows what it showed.
    if (model_->Busy && !busyLookShown_)
        return;
    SpeedButton4->SetEnabled(model_->UndoAvailable());
}

void TForm1::Transform(const std::function<void()>& change)
{
    if (model_->Busy)
        return;
    TPictureView::THold hold(*pbox);
    change();
    RefreshPicture();
    UpdateUndoButton();
}

void TForm1::bNeuClick(TComponent* sender)
{
    if (model_->Busy || !ConfirmDiscard())
        return;
    model_->NewPicture();
    Image1->Picture().Bitmap().SetTransparentMode(tmFixed);
    Image1->SetTransparent(true);
    RefreshPicture();
    UpdateUndoButton();
}

void TForm1::bOeffnenClick(TComponent* sender)
{
    Open();
}

namespace {

// Mouse input on the picture waits while a file is read, on every way out of Open.
class TLoadingFlag {
public:
    explicit TLoadingFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~TLoadingFlag() { flag_ = false; }
    TLoadingFlag(const TLoadingFlag&) = delete;
    TLoadingFlag& operator=(const TLoadingFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace

bool TForm1::Open()
{
    if (model_->Busy)
        return false;
    TLoadingFlag loading(model_->Loading);
    if (!ConfirmDiscard())
        return false;
    // Cleared only once a file is chosen: a cancelled dialog leaves the changed picture on screen,
    // and closing must still ask for it.
    if (!commandLineOpen_ && !OpenDialog1->Execute())
        return false;
    commandLineOpen_ = false;
    model_->Modified = false;

    const std::string fileName = OpenDialog1->FileName();
    ClearPicture(Picture(), TransparentKeyColor);
    model_->ResetUndo();
    model_->PushUndo();
    model_->CurrentFileName = fileName;
    try {
        TCursorGuard hourglass;
        LoadPictureInto(fileName, Picture(), Image3->Picture().Bitmap());
    } catch (const Exception& error) {
        // The cleared picture stays; drawing goes on.
        RefreshPicture();
        UpdateUndoButton();
        MessageDlg(error.what(), mtError, mbOK);
        return false;
    }
    RefreshPicture();
    model_->PushUndo();
    UpdateUndoButton();
    return true;
}

bool TForm1::Save()
{
    if (!SaveIcoDlg->Execute())
        return false;
    const std::string fileName = SaveIcoDlg->FileName();
    try {
        TCursorGuard hourglass;
        TBitmap drawn;
        tools_->CopyWithoutBand(drawn);
        SavePicture(fileName, drawn, Shape4->Brush().Color());
    } catch (const Exception& error) {
        MessageDlg("Das Icon konnte nicht gespeichert werden:\n" + std::string(error.what()), mtError, mbOK);
        return false;
    }
    // Only a picture that reached the disk counts as saved.
    model_->Modified = false;
    if (SaveKindOf(fileName) == pkIcon)
        SHAddToRecentDocs(SHARD_PATHA, fileName.c_str());
    return true;
}

void TForm1::bSpeichernClick(TComponent* sender)
{
    if (!model_->Busy)
        Save();
}

void TForm1::bKopierenClick(TComponent* sender)
{
    if (model_->Busy)
        return;
    try {
        Clipboard().SetBitmap(Picture());
    } catch (const Exception& error) {
        MessageDlg("Das Icon konnte nicht in die Zwischenablage kopiert werden:\n" + std::string(error.what()),
                   mtError, mbOK);
    }
}

void TForm1::bEinfuegenClick(TComponent* sender)
{
    if (model_->Busy)
        return;
    TBitmap& scratch = Image3->Picture().Bitmap();
    try {
        if (!Clipboard().GetBitmap(scratch))
            return;
    } catch (const Exception&) {
        // Whatever the clipboard holds that is no usable picture is simply not pasted.
        return;
    }
    Transform([&] {
        Picture().Canvas().StretchDraw({0, 0, PictureSize, PictureSize}, scratch);
        model_->PictureChanged();
    });
}

void TForm1::SpeedButton4Click(TComponent* sender)
{
    if (!model_->Undo())
        return;
    RefreshPicture();
    UpdateUndoButton();
}

void TForm1::bHochClick(TComponent* sender)
{
    Transform([this] { model_->Shift(sdUp); });
}

void TForm1::bRunterClick(TComponent* sender)
{
    Transform([this] { model_->Shift(sdDown); });
}

void TForm1::bRechtsClick(TComponent* sender)
{
    Transform([this] { model_->Shift(sdRight); });
}

void TForm1::bLinksClick(TComponent* sender)
{
    Transform([this] { model_->Shift(sdLeft); });
}

void TForm1::bRotierenClick(TComponent* sender)
{
    Transform([this] { model_->Rotate(); });
}

void TForm1::bSpiegelungVertikalClick(TComponent* sender)
{
    Transform([this] { model_->MirrorLeftRight(); });
}

void TForm1::bSpiegelungHorizontalClick(TComponent* sender)
{
    Transform([this] { model_->MirrorTopBottom(); });
}

// ---------------------------------------------------------------------------------------------
// Colours

void TForm1::SetButtonColor(TMouseButton button, TColor color)
{
    if (!model_->SetButtonColor(button, color))
        return;
    (button == mbLeft ? Shape1 : Shape2)->Brush().SetColor(color);
}

void TForm1::bFarbenTauschenClick(TComponent* sender)
{
    if (model_->Busy)
        return;
    model_->SwapColors();
    Shape1->Brush().SetColor(model_->PrimaryColor);
    Shape2->Brush().SetColor(model_->SecondaryColor);
}

void TForm1::SwatchMouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)
{
    if (model_->Busy)
        return;
    auto* swatch = static_cast<TShape*>(sender);
    SetButtonColor(button, swatch->Brush().Color());
}

void TForm1::Shape2MouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)
{
    ColorDialog1->SetColor(model_->SecondaryColor);
    if (ColorDialog1->Execute())
        SetButtonColor(mbRight, ColorDialog1->Color());
}

void TForm1::Image6MouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)
{
    if (model_->Busy)
        return;
    TColor color = Image6->Picture().Bitmap().PixelColor(x, y);
    if (color != clNone)
        SetButtonColor(button, color);
}

// ---------------------------------------------------------------------------------------------
// Tools and the line width

void TForm1::SelectTool(TMaskSpeedButton* button)
{
    for (TMaskSpeedButton* tool : toolButtons_)
        tool->SetButtonDown(false);
    button->SetButtonDown(true);
}

void TForm1::ToolButtonClick(TComponent* sender)
{
    // An open polygon keeps its tool; only its button latches again.
    if (model_->Busy) {
        SelectTool(bVieleck);
        return;
    }
    auto* button = static_cast<TMaskSpeedButton*>(sender);
    tools_->ClearBrush = button == bViereck1 || button == bKreis1;
    for (size_t i = 0; i < toolButtons_.size(); ++i)
        if (toolButtons_[i] == button)
            model_->CurrentTool = toolCodes_[i];
    SelectTool(button);
    TBrush& brush = Picture().Canvas().Brush();
    if (button == bViereck1 || button == bKreis1 || button == bVieleck) {
        brush.SetStyle(bsClear);
    } else if (button == bViereck2 || button == bKreis2) {
        brush.SetStyle(bsSolid);
        brush.SetColor(model_->SecondaryColor);
    }
}

void TForm1::pboxMouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)
{
    if (!tools_->Press(button, (shift & ssDouble) != 0, x, y))
        return;
    // The cross comes with the busy look: a click whose release comes with its press changes
    // no cursor.
    SetBusy(model_->Busy);
}

void TForm1::pboxMouseMove(TComponent* sender, TShiftState shift, int x, int y)
{
    POINT pixel;
    {
        // A band erased and drawn anew shows as one change.
        TPictureView::THold hold(*pbox);
        pixel = tools_->Move(x, y);
    }
    StatusBar1->SetPanelText(0, "X:" + std::to_string(pixel.x + 1));
    StatusBar1->SetPanelText(1, "Y:" + std::to_string(pixel.y + 1));
}

void TForm1::pboxMouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)
{
    // What the tool drew shows once, with the preview.
    TPictureView::THold hold(*pbox);
    if (!tools_->Release(button, x, y))
        return;
    SetBusy(model_->Busy);
    if (!model_->ShapeInProgress)
        Screen.SetCursor(crDefault);
    if (model_->CurrentTool == etText)
        ShowTextDialog();
    // The pipette may have picked either colour.
    Shape1->Brush().SetColor(model_->PrimaryColor);
    Shape2->Brush().SetColor(model_->SecondaryColor);
    RefreshPicture();
    model_->PictureChanged();
    UpdateUndoButton();
}

void TForm1::pboxMouseCancel(TComponent* sender)
{
    if (!tools_->Cancel())
        return;
    SetBusy(model_->Busy);
    if (!model_->ShapeInProgress)
        Screen.SetCursor(crDefault);
    RefreshPicture();
}

void TForm1::ShowTextDialog()
{
    if (!FontForm)
        return;
    if (FontForm->ComboBox1->ItemIndex() < 0)
        FontForm->SelectFont("Arial");
    TBitmap& saved = fontmerker->Picture().Bitmap();
    saved.Assign(Picture());
    FontForm->Picture = &Picture();
    FontForm->Saved = &saved;
    FontForm->TextPosition = tools_->TextPosition();
    FontForm->ColorDialog = ColorDialog1;
    FontForm->PictureChanged = [this] { RefreshPicture(); };
    FontForm->OK = false;
    FontForm->FCShape->Brush().SetColor(model_->PrimaryColor);
    // The text taken away and written anew shows as one change, when the dialog says so.
    TPictureView::THold hold(*pbox);
    FontForm->ShowModal();
}

void TForm1::penwidthcombo1Change(TComponent* sender)
{
    const int width = penwidthcombo1->PenWidth();
    Picture().Canvas().Pen().SetWidth(width);
    model_->PenHalfWidth = width / 2;
}

// ---------------------------------------------------------------------------------------------
// Header buttons

void TForm1::bBeendenClick(TComponent* sender)
{
    if (!model_->Busy)
        Close();
}

void TForm1::bHilfeClick(TComponent* sender)
{
    if (!model_->Busy)
        Application.HelpJump("Iconeditor");
}

void TForm1::bInfoClick(TComponent* sender)
{
    if (InfoForm)
        InfoForm->ShowModal();
}
