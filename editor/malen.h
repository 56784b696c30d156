// TForm1: the icon editor's one skinned window: the picture eight times enlarged under its grid,
// the preview, the palette and colour swatches, the command and tool buttons.
#pragma once

#include <windows.h>

#include "ComCtrls.h"
#include "DrawingTools.h"
#include "CoolForm.h"
#include "Dialogs.h"
#include "EditorKeys.h"
#include "EditorModel.h"
#include "ExtCtrls.h"
#include "HandOverFile.h"
#include "Forms.h"
#include "ImageList.h"
#include "MaskButton.h"
#include "PictureView.h"
#include "StdCtrls.h"
#include "maskspeedbutton.h"
#include "morvPaintFX.h"
#include "penwidthcombo.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The question before the picture is given up.
extern const char* const SaveChangesQuestion;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // Strips of the round command buttons and their glyphs, of the tool buttons, and of the text
    // buttons of the about box.
    TImageList ilButtonsRund_Klein{21, 110};
    TImageList ilButtonsRund_Klein_Glyphs{13, 13};
    TImageList ilBefehle_Glyphs{13, 13};
    TImageList ilToolButtons{26, 130};
    TImageList ilTools_Glyphs{18, 18};
    TImageList ilButtonsStandard{60, 80};

    TCoolForm* iHintergrund;
    TPictureView* pbox;   // the working picture, stretched to 256 x 256
    TImage* Image7;    // the grid in front of it; takes the mouse
    TPictureView* Image1;   // the preview
    TImage* Image3;    // scratch for decoding
    TImage* fontmerker;
    TImage* Image6;    // the palette
    TShape* Shape1;    // primary colour
    TShape* Shape2;    // secondary colour
    TShape* Shape4;    // hidden: holds the key colour
    std::vector<TShape*> fixedSwatches;   // Shape3, Shape5..Shape20 in that order
    TStatusBar* StatusBar1;
    TLabel* Label1;    // shown while busy, in front of the tool column
    Tpenwidthcombo* penwidthcombo1;
    TmorvPaintFX* morvPaintFX1;
    TOpenDialog* OpenDialog1;
    TSaveDialog* SaveIcoDlg;
    TColorDialog* ColorDialog1;

    TMaskButton* bNeu;
    TMaskButton* bOeffnen;
    TMaskButton* bSpeichern;
    TMaskButton* bKopieren;
    TMaskButton* bEinfuegen;
    TMaskButton* SpeedButton4;   // undo
    TMaskButton* bHoch;
    TMaskButton* bRunter;
    TMaskButton* bLinks;
    TMaskButton* bRechts;
    TMaskButton* bRotieren;
    TMaskButton* bSpiegelungVertikal;
    TMaskButton* bSpiegelungHorizontal;
    TMaskButton* bFarbenTauschen;
    TMaskButton* bHilfe;
    TMaskButton* bInfo;
    TMaskButton* bBeenden;

    TMaskSpeedButton* bStift;
    TMaskSpeedButton* bLinie;
    TMaskSpeedButton* bViereck1;
    TMaskSpeedButton* bViereck2;
    TMaskSpeedButton* bKreis1;
    TMaskSpeedButton* bKreis2;
    TMaskSpeedButton* bVieleck;
    TMaskSpeedButton* bText;
    TMaskSpeedButton* bFuellwerkzeug;
    TMaskSpeedButton* bFarbeAuswaehlen;

    TEditorModel& Model() { return *model_; }
    TDrawingTools& Tools() { return *tools_; }
    TBitmap& Picture() { return pbox->Picture().Bitmap(); }
    HWND NextClipboardViewer() const { return nextViewer_; }

    void FormCreate(TComponent* sender);
    void FormShow(TComponent* sender);
    void FormCloseQuery(TComponent* sender, bool& canClose);
    void FormClose(TComponent* sender, TCloseAction& action);
    void FormKeyUp(TComponent* sender, WORD& key, TShiftState shift);

    void bNeuClick(TComponent* sender);
    void bOeffnenClick(TComponent* sender);
    void bSpeichernClick(TComponent* sender);
    void bKopierenClick(TComponent* sender);
    void bEinfuegenClick(TComponent* sender);
    void SpeedButton4Click(TComponent* sender);
    void bHochClick(TComponent* sender);
    void bRunterClick(TComponent* sender);
    void bRechtsClick(TComponent* sender);
    void bLinksClick(TComponent* sender);
    void bRotierenClick(TComponent* sender);
    void bSpiegelungVertikalClick(TComponent* sender);
    void bSpiegelungHorizontalClick(TComponent* sender);
    void bFarbenTauschenClick(TComponent* sender);
    void bBeendenClick(TComponent* sender);
    void bHilfeClick(TComponent* sender);
    void bInfoClick(TComponent* sender);
    void ToolButtonClick(TComponent* sender);
    void SwatchMouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void Shape2MouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void Image6MouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void penwidthcombo1Change(TComponent* sender);
    // The grid in front of the picture hands the mouse on to these.
    void pboxMouseDown(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    void pboxMouseMove(TComponent* sender, TShiftState shift, int x, int y);
    void pboxMouseUp(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y);
    // The mouse was taken away in the middle of a gesture.
    void pboxMouseCancel(TComponent* sender);

    // Latches `button` alone among the tool buttons.
    void SelectTool(TMaskSpeedButton* button);
    // Sets the colour of the mouse button and its swatch.
    void SetButtonColor(TMouseButton button, TColor color);
    // Shows the picture in the enlarged view and the preview; both paint again, at once, only
    // the cells and pixels that changed.
    void RefreshPicture();
    // Busy blocks the tool column, the line width and the commands. The line-width box, the
    // undo button and a gesture's cross cursor show it once the window paints or waits while
    // busy, so that a click whose press and release come together changes none of them.
    void SetBusy(bool busy);
    // Writes the picture to a file the user chooses; false when cancelled or failed.
    bool Save();
    // Reads a picture the user chooses (or the one the command line named) into the picture;
    // true when one was read.
    bool Open();
    // The start with a file named on the command line: a missing file is reported and the
    // picture stays empty. The main program's hand-over file (HandOverFileName in
    // HandOverFolder, and no other) is deleted once it was read.
    void OpenCommandLineFile(const std::string& argument);
    // What the program's first argument named; the first showing of the window opens it.
    std::string CommandLineArgument;
    // Where the main program puts the hand-over file: the programs' own folder.
    std::string HandOverFolder;
    // Before the picture is given up: true when it was saved or the user lets it go.
    bool ConfirmDiscard();
    // The text tool's dialog at the pixel of the last release.
    void ShowTextDialog();

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    TMaskButton* MakeCommand(const char* name, int left, int top, TImageList& glyphs, int glyph,
                             const std::string& hint, void (TForm1::*handler)(TComponent*));
    TMaskSpeedButton* MakeTool(const char* name, int column, int row, int tool, const std::string& hint);
    TShape* MakeSwatch(const char* name, int left, int top, int width, int height, TColor color);
    template <class TImageKind = TImage>
    TImageKind* MakeImage(const char* name, int left, int top, int width, int height);
    void RunCommand(TEditorCommand command);
    // The whole-picture commands: refused while busy; then the view follows the change.
    void Transform(const std::function<void()>& change);
    void UpdateUndoButton();
    void ShowBusyLook();
    void LeaveClipboardChain();

    std::unique_ptr<TEditorModel> model_;
    std::unique_ptr<TDrawingTools> tools_;
    std::vector<TMaskSpeedButton*> toolButtons_;
    std::vector<int> toolCodes_;
    HWND nextViewer_ = nullptr;
    bool inClipboardChain_ = false;
    bool busyLookShown_ = false;
    bool busyLookTimer_ = false;   // set and not yet fired
    bool commandLineOpen_ = false;   // Open takes OpenDialog1's file name without asking
};

extern TForm1* Form1;
