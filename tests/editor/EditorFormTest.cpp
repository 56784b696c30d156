// The editor window: its start, the commands under the mouse, the keys, the colours, the busy
// state, the clipboard-viewer chain, the question before a changed picture is given up (on close
// and at the end of the session), opening files and the hand-over, drawing through the grid (and
// a gesture the system cuts off), and its GDI objects.
#include <windows.h>

#include "../framework/GdiCount.h"
#include "Classes.h"
#include "Clipboard.h"
#include "DialogStub.h"
#include "EditorStartup.h"
#include "HelpViewer.h"
#include "IconConverter.h"
#include "Info.h"
#include "KeyboardInput.h"
#include "MessagePump.h"
#include "MouseInput.h"
#include "PicturePattern.h"
#include "SkinChecks.h"
#include "StagedFolder.h"
#include "SysUtils.h"
#include "TransparentKey.h"
#include "WitnessWindow.h"
#include "fontunit.h"
#include "malen.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

void FreeEditorForms()
{
    delete InfoForm;
    delete FontForm;
    delete Form1;
    InfoForm = nullptr;
    FontForm = nullptr;
}

class EditorFormTest : public testing::Test {
protected:
    void SetUp() override
    {
        CreateEditorForms();
        ASSERT_NE(Form1, nullptr);
        window = Form1->Handle();
    }
    void TearDown() override { FreeEditorForms(); }

    // A click as the mouse makes it at the centre of a control, with either button.
    void Click(TControl* control, TMouseButton button = mbLeft, int dx = -1, int dy = -1)
    {
        ClickControl(control, button, dx, dy);
    }

    void KeyUp(WORD key, TShiftState shift)
    {
        Form1->FormKeyUp(Form1, key, shift);
    }

    TBitmap& Picture() { return Form1->Picture(); }
    TEditorModel& Model() { return Form1->Model(); }

    // The picture gets a pattern that every transformation visibly changes, as the history's
    // current state.
    void PatternPicture()
    {
        FillPattern(Picture());
        Model().ResetUndo();
        Model().PushUndo();
        Form1->RefreshPicture();
    }

    DialogStub dialogs;
    HWND window = nullptr;
};

}  // namespace

TEST_F(EditorFormTest, StartsShapedWithABlankPictureAndThePen)
{
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Quillandora! Editor");
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 410);
    EXPECT_EQ(client.bottom, 412);
    EXPECT_EQ(RegionMismatch(window, "TFORM1_MASK2"), "");

    EXPECT_EQ(Form1->pbox->Left(), 76);
    EXPECT_EQ(Form1->pbox->Top(), 101);
    EXPECT_EQ(Form1->pbox->Width(), 256);
    EXPECT_EQ(Picture().Width(), 32);
    EXPECT_EQ(Picture().PixelFormat(), pf24bit);
    EXPECT_EQ(FirstDifference(Picture(), [](int, int) { return TransparentKeyColor; }), "");
    EXPECT_EQ(Form1->Image7->Width(), 257);

    EXPECT_EQ(Model().CurrentTool, etPen);
    EXPECT_TRUE(Form1->bStift->ButtonDown());
    EXPECT_FALSE(Form1->bLinie->ButtonDown());
    EXPECT_EQ(Hex(Form1->Shape1->Brush().Color()), Hex(clBlack));
    EXPECT_EQ(Hex(Form1->Shape2->Brush().Color()), Hex(clWhite));
    EXPECT_FALSE(Form1->SpeedButton4->Enabled()) << "nothing to undo yet";
    EXPECT_FALSE(Model().Modified);
    EXPECT_FALSE(Form1->Label1->Visible());
    EXPECT_EQ(Form1->penwidthcombo1->PenWidth(), 1);
    EXPECT_EQ(Form1->StatusBar1->PanelCount(), 3);
    ASSERT_NE(InfoForm, nullptr);
    EXPECT_EQ(InfoForm->lVersion->Caption(), "Version 6.0, Editor Version 1.0");
}

TEST_F(EditorFormTest, ButtonsShiftRotateAndMirrorThePictureAndUndoTakesThemBack)
{
    struct Case {
        TMaskButton* TForm1::*button;
        const char* name;
        std::function<TColor(int, int)> expected;
    };
    const Case cases[] = {
        {&TForm1::bHoch, "up", [](int x, int y) { return y == 31 ? TransparentKeyColor : PatternColour(x, y + 1); }},
        {&TForm1::bRunter, "down", [](int x, int y) { return y == 0 ? TransparentKeyColor : PatternColour(x, y - 1); }},
        {&TForm1::bRechts, "right", [](int x, int y) { return x == 0 ? TransparentKeyColor : PatternColour(x - 1, y); }},
        {&TForm1::bLinks, "left", [](int x, int y) { return x == 31 ? TransparentKeyColor : PatternColour(x + 1, y); }},
        {&TForm1::bRotieren, "rotate", [](int x, int y) { return PatternColour(31 - y, x); }},
        {&TForm1::bSpiegelungVertikal, "mirror left-right", [](int x, int y) { return PatternColour(31 - x, y); }},
        {&TForm1::bSpiegelungHorizontal, "mirror top-bottom", [](int x, int y) { return PatternColour(x, 31 - y); }},
    };
    for (const Case& c : cases) {
        PatternPicture();
        Model().Modified = false;
        Click(Form1->*c.button);
        EXPECT_EQ(FirstDifference(Picture(), c.expected), "") << c.name;
        EXPECT_TRUE(Model().Modified) << c.name;
        EXPECT_TRUE(Form1->SpeedButton4->Enabled()) << c.name;
        EXPECT_EQ(FirstDifference(Form1->Image1->Picture().Bitmap(), c.expected), "") << c.name << " in the preview";
        Click(Form1->SpeedButton4);
        EXPECT_EQ(FirstDifference(Picture(), PatternColour), "") << c.name << " undone";
        EXPECT_FALSE(Form1->SpeedButton4->Enabled()) << c.name;
    }
}

TEST_F(EditorFormTest, ShiftWithTheWidestLineStillClearsOneColumn)
{
    Form1->penwidthcombo1->SetItemIndex(9);
    Form1->penwidthcombo1Change(Form1->penwidthcombo1);
    EXPECT_EQ(Model().PenHalfWidth, 5);
    PatternPicture();
    Click(Form1->bLinks);
    EXPECT_EQ(FirstDifference(Picture(), [](int x, int y) {
                  return x == 31 ? TransparentKeyColor : PatternColour(x + 1, y);
              }),
              "");
}

TEST_F(EditorFormTest, CtrlShortcutsOnKeyRelease)
{
    PatternPicture();
    Click(Form1->bRotieren);
    KeyUp(VK_F4, ssCtrl);
    KeyUp(VK_NUMPAD3, ssCtrl);
    EXPECT_TRUE(dialogs.fileRequests.empty()) << "Ctrl+F4 and Ctrl+numpad keys do nothing";
    KeyUp('Z', ssCtrl | ssShift);
    EXPECT_NE(FirstDifference(Picture(), PatternColour), "") << "Ctrl+Shift+Z does not undo";
    KeyUp('Z', ssCtrl);
    EXPECT_EQ(FirstDifference(Picture(), PatternColour), "") << "Ctrl+Z undoes";
    KeyUp('Z', ssCtrl);   // nothing left: harmless

    KeyUp('S', ssCtrl);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].title, "Speichern unter...");

    KeyUp(VK_F1, 0);
    ASSERT_EQ(dialogs.helpCalls.size(), 1u);
    EXPECT_EQ(dialogs.helpCalls[0].keyword, "Iconeditor");
}

// "Hilfe" and F1 bring up the platform's viewer at the editor's topic of the help file beside it.
TEST_F(EditorFormTest, HelpShowsTheEditorsTopicInTheViewer)
{
    const std::string helpFile = ExtractFilePath(Application.ExeName()) + "hilfe.hlp";
    ASSERT_TRUE(FileExists(helpFile)) << helpFile;
    dialogs.helpReachesTheViewer = true;
    const std::string title = "Der Iconeditor";
    const std::string firstSentence =
        "Mit dem Quillandora! Editor zeichnen und bearbeiten Sie ein Icon von 32 × 32 Punkten in 16,7 Millionen "
        "Farben.";

    for (bool byKey : {false, true}) {
        if (byKey)
            KeyUp(VK_F1, 0);
        else
            Click(Form1->bHilfe);
        std::string shown = WaitForHelpText({title, firstSentence});
        EXPECT_EQ(shown.substr(0, shown.find('\r')), title) << (byKey ? "F1" : "Hilfe") << " shows:\n" << shown;
        EXPECT_NE(shown.find(firstSentence), std::string::npos) << shown;
        EXPECT_EQ(VisibleDialogs(), std::vector<std::string>());
        EXPECT_TRUE(CloseHelpViewer(helpFile));
    }
    EXPECT_EQ(dialogs.helpCalls.size(), 2u);
}

TEST_F(EditorFormTest, SwatchesAndPaletteSetTheColourOfTheButtonUsed)
{
    TShape* red = Form1->fixedSwatches[4];
    TShape* blue = Form1->fixedSwatches[10];
    Click(red, mbLeft);
    EXPECT_EQ(Hex(Model().PrimaryColor), Hex(clRed));
    EXPECT_EQ(Hex(Form1->Shape1->Brush().Color()), Hex(clRed));
    Click(blue, mbRight);
    EXPECT_EQ(Hex(Model().SecondaryColor), Hex(clBlue));
    EXPECT_EQ(Hex(Form1->Shape2->Brush().Color()), Hex(clBlue));
    Click(Form1->fixedSwatches[0], mbMiddle);
    EXPECT_EQ(Hex(Model().PrimaryColor), Hex(clRed)) << "the middle button picks nothing";
    EXPECT_EQ(Hex(Model().SecondaryColor), Hex(clBlue));

    Click(Form1->fixedSwatches.back(), mbLeft);
    EXPECT_EQ(Hex(Model().PrimaryColor), Hex(TransparentKeyColor)) << "the transparent swatch";

    TBitmap& palette = Form1->Image6->Picture().Bitmap();
    Click(Form1->Image6, mbRight, 20, 50);
    EXPECT_EQ(Hex(Model().SecondaryColor), Hex(palette.PixelColor(20, 50)));

    Click(Form1->bFarbenTauschen);
    EXPECT_EQ(Hex(Model().PrimaryColor), Hex(palette.PixelColor(20, 50)));
    EXPECT_EQ(Hex(Model().SecondaryColor), Hex(TransparentKeyColor));
    EXPECT_EQ(Hex(Form1->Shape1->Brush().Color()), Hex(Model().PrimaryColor));
    EXPECT_EQ(Hex(Form1->Shape2->Brush().Color()), Hex(Model().SecondaryColor));

    dialogs.colorAnswers.push_back(clLime);
    Click(Form1->Shape2, mbLeft, 20, 20);   // the part the primary swatch leaves free
    EXPECT_EQ(dialogs.colorRequests, 1);
    EXPECT_EQ(Hex(Model().SecondaryColor), Hex(clLime));
}

TEST_F(EditorFormTest, WhileBusyTheCommandsAndShortcutsDoNothing)
{
    PatternPicture();
    Click(Form1->bRotieren);
    Form1->SetBusy(true);
    EXPECT_TRUE(Form1->Label1->Visible());
    // The rest of the busy look comes on once the window waits.
    EXPECT_TRUE(PumpMessagesUntil([] { return !Form1->penwidthcombo1->Enabled(); }));
    EXPECT_FALSE(Form1->SpeedButton4->Enabled()) << "no undo in the middle of a gesture";

    TBitmap before;
    before.Assign(Picture());
    for (TMaskButton* button : {Form1->bHoch, Form1->bRotieren, Form1->bSpiegelungVertikal, Form1->bNeu})
        Click(button);
    KeyUp('Z', ssCtrl);
    KeyUp('N', ssCtrl);
    EXPECT_EQ(FirstDifference(Picture(), [&](int x, int y) { return before.PixelColor(x, y); }), "");
    Click(Form1->fixedSwatches[4]);
    EXPECT_EQ(Hex(Model().PrimaryColor), Hex(clBlack));
    EXPECT_TRUE(dialogs.messages.empty());

    // The label in front of the tool column takes the click.
    Click(Form1->bLinie);
    EXPECT_EQ(Model().CurrentTool, etPen);
    EXPECT_FALSE(Form1->bLinie->ButtonDown());
    // A tool chosen otherwise only latches the polygon again.
    Form1->ToolButtonClick(Form1->bLinie);
    EXPECT_EQ(Model().CurrentTool, etPen);
    EXPECT_TRUE(Form1->bVieleck->ButtonDown());
    EXPECT_FALSE(Form1->bLinie->ButtonDown());

    Form1->SetBusy(false);
    EXPECT_FALSE(Form1->Label1->Visible());
    EXPECT_TRUE(Form1->SpeedButton4->Enabled());
    Click(Form1->bLinie);
    EXPECT_EQ(Model().CurrentTool, etLine);
    EXPECT_TRUE(Form1->bLinie->ButtonDown());
    EXPECT_FALSE(Form1->bVieleck->ButtonDown());
}

TEST_F(EditorFormTest, ToolButtonsSetTheToolAndTheBrush)
{
    const struct {
        TMaskSpeedButton* TForm1::*button;
        int tool;
        bool clearBrush, solidSecondary;
    } tools[] = {
        {&TForm1::bViereck1, etRectangle, true, false}, {&TForm1::bViereck2, etRectangle, false, true},
        {&TForm1::bKreis1, etEllipse, true, false},     {&TForm1::bKreis2, etEllipse, false, true},
        {&TForm1::bVieleck, etPolygon, true, false},    {&TForm1::bText, etText, false, false},
        {&TForm1::bFuellwerkzeug, etFill, false, false}, {&TForm1::bFarbeAuswaehlen, etPipette, false, false},
        {&TForm1::bStift, etPen, false, false},
    };
    Form1->SetButtonColor(mbRight, clYellow);
    for (const auto& t : tools) {
        TMaskSpeedButton* button = Form1->*t.button;
        Click(button);
        EXPECT_EQ(Model().CurrentTool, t.tool) << button->Name();
        int latched = 0;
        for (TMaskSpeedButton* other : {Form1->bStift, Form1->bLinie, Form1->bViereck1, Form1->bViereck2,
                                        Form1->bKreis1, Form1->bKreis2, Form1->bVieleck, Form1->bText,
                                        Form1->bFuellwerkzeug, Form1->bFarbeAuswaehlen})
            latched += other->ButtonDown();
        EXPECT_EQ(latched, 1) << button->Name();
        EXPECT_TRUE(button->ButtonDown()) << button->Name();
        TBrush& brush = Picture().Canvas().Brush();
        if (t.clearBrush) {
            EXPECT_EQ(brush.Style(), bsClear) << button->Name();
        }
        if (t.solidSecondary) {
            EXPECT_EQ(brush.Style(), bsSolid) << button->Name();
            EXPECT_EQ(Hex(brush.Color()), Hex(clYellow)) << button->Name();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The clipboard-viewer chain

namespace {

// A window that stands for the next viewer in the chain and counts what reaches it.
struct ChainWitness {
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_DRAWCLIPBOARD || msg == WM_CHANGECBCHAIN)
            received.push_back(msg);
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    ChainWitness() : window(MakeWitnessWindow("EditorChainWitness", Proc)) { received.clear(); }
    ~ChainWitness() { DestroyWindow(window); }
    HWND window;
    static std::vector<UINT> received;
};
std::vector<UINT> ChainWitness::received;

}  // namespace

TEST_F(EditorFormTest, ClipboardChainMessagesReachTheSuccessorOrReplaceIt)
{
    ChainWitness witness, replacement;
    // Form1 hands on to the witness as if the witness had joined the chain before it.
    SendMessageA(window, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(Form1->NextClipboardViewer()),
                 reinterpret_cast<LPARAM>(witness.window));
    ASSERT_EQ(Form1->NextClipboardViewer(), witness.window);
    ChainWitness::received.clear();

    SendMessageA(window, WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_EQ(ChainWitness::received, std::vector<UINT>{WM_DRAWCLIPBOARD}) << "passed on";

    // Another window leaves the chain: the successor must hear of it.
    ChainWitness::received.clear();
    SendMessageA(window, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(replacement.window), 0);
    EXPECT_EQ(ChainWitness::received, std::vector<UINT>{WM_CHANGECBCHAIN});
    EXPECT_EQ(Form1->NextClipboardViewer(), witness.window);

    // The successor itself leaves: its own successor takes its place.
    SendMessageA(window, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(witness.window),
                 reinterpret_cast<LPARAM>(replacement.window));
    EXPECT_EQ(Form1->NextClipboardViewer(), replacement.window);

    // With no successor nothing is passed on.
    SendMessageA(window, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(replacement.window), 0);
    ChainWitness::received.clear();
    SendMessageA(window, WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_TRUE(ChainWitness::received.empty());
}

TEST_F(EditorFormTest, PasteIsOfferedExactlyWhileTheClipboardHoldsABitmap)
{
    EXPECT_EQ(GetClipboardViewer(), window) << "joined the chain at the start";
    Click(Form1->bKopieren);
    ASSERT_TRUE(PumpMessagesUntil([] { return Form1->bEinfuegen->Enabled(); }))
        << "the copied picture offers itself for pasting";
    {
        TClipboard clipboard;
        clipboard.SetText("kein Bild");
    }
    EXPECT_TRUE(PumpMessagesUntil([] { return !Form1->bEinfuegen->Enabled(); }));

    // A closed window is no viewer any more.
    Form1->Model().Modified = false;
    TCloseAction action = caHide;
    Form1->FormClose(Form1, action);
    EXPECT_NE(GetClipboardViewer(), window);
}

TEST_F(EditorFormTest, PasteStretchesTheClipboardPictureAndOneUndoTakesItBack)
{
    TBitmap small(16, 16);
    small.Canvas().Brush().SetColor(clRed);
    small.Canvas().FillRect({0, 0, 16, 16});
    {
        TClipboard clipboard;
        clipboard.SetBitmap(small);
    }
    ASSERT_TRUE(PumpMessagesUntil([] { return Form1->bEinfuegen->Enabled(); }));
    PatternPicture();
    Click(Form1->bEinfuegen);
    EXPECT_EQ(FirstDifference(Picture(), [](int, int) { return clRed; }), "") << "fills the whole picture";
    EXPECT_TRUE(Model().Modified);
    Click(Form1->SpeedButton4);
    EXPECT_EQ(FirstDifference(Picture(), PatternColour), "");
}

// ---------------------------------------------------------------------------------------------
// Giving up a changed picture

namespace {

std::string TempFolder()
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    return path;
}

}  // namespace

TEST_F(EditorFormTest, CloseAsksAndACancelledSaveKeepsTheEditorOpen)
{
    PatternPicture();
    Click(Form1->bRotieren);
    dialogs.messageAnswers = {mrYes};
    dialogs.fileAnswers = {""};
    bool canClose = true;
    Form1->FormCloseQuery(Form1, canClose);
    EXPECT_FALSE(canClose);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, SaveChangesQuestion);
    EXPECT_EQ(dialogs.messages[0].buttons, mbYesNoCancel);
    EXPECT_TRUE(Model().Modified);
    EXPECT_EQ(FirstDifference(Picture(), [](int x, int y) { return PatternColour(31 - y, x); }), "");
    EXPECT_EQ(GetClipboardViewer(), window) << "still in the chain";

    dialogs.messageAnswers = {mrCancel};
    Form1->FormCloseQuery(Form1, canClose);
    EXPECT_FALSE(canClose);

    dialogs.messageAnswers = {mrNo};
    Form1->FormCloseQuery(Form1, canClose);
    EXPECT_TRUE(canClose);
    TCloseAction action = caHide;
    Form1->FormClose(Form1, action);
    EXPECT_EQ(action, caHide);
    EXPECT_FALSE(Model().Modified);
    EXPECT_EQ(dialogs.messages.size(), 3u) << "the close itself asks no more";
}

TEST_F(EditorFormTest, YesSavesAnIconBeforeClosing)
{
    const std::string file = TempFolder() + "editor-close-test.ico";
    DeleteFileA(file.c_str());
    Click(Form1->bRotieren);
    dialogs.messageAnswers = {mrYes};
    dialogs.fileAnswers = {file};
    bool canClose = false;
    Form1->FormCloseQuery(Form1, canClose);
    EXPECT_TRUE(canClose);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data)) << file;
    EXPECT_EQ(data.nFileSizeLow, 3262u);
    DeleteFileA(file.c_str());
}

TEST_F(EditorFormTest, AFailedSaveIsReportedAndCancelsNew)
{
    PatternPicture();
    Click(Form1->bRotieren);
    dialogs.messageAnswers = {mrYes, mrOk};
    dialogs.fileAnswers = {TempFolder() + "no such folder\\x.ico"};
    Click(Form1->bNeu);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].type, mtError) << dialogs.messages[1].text;
    EXPECT_TRUE(Model().Modified) << "nothing was saved";
    EXPECT_EQ(FirstDifference(Picture(), [](int x, int y) { return PatternColour(31 - y, x); }), "")
        << "the picture is still there";

    dialogs.messageAnswers = {mrNo};
    Click(Form1->bNeu);
    EXPECT_EQ(FirstDifference(Picture(), [](int, int) { return TransparentKeyColor; }), "");
    EXPECT_FALSE(Model().Modified);
    EXPECT_FALSE(Form1->SpeedButton4->Enabled());
}

TEST_F(EditorFormTest, TheEndOfTheSessionAsksAsCloseDoesAndAnyRefusalVetoesIt)
{
    const std::string file = TempFolder() + "editor-session-end-test.ico";
    const struct {
        const char* what;
        std::deque<int> answers;
        std::deque<std::string> files;
        LRESULT result;
        bool saved;
    } cases[] = {
        {"Abbrechen", {mrCancel}, {}, FALSE, false},
        {"Ja, save dialog cancelled", {mrYes}, {""}, FALSE, false},
        {"Ja, save failed", {mrYes, mrOk}, {TempFolder() + "no such folder\\x.ico"}, FALSE, false},
        {"Ja", {mrYes}, {file}, TRUE, true},
        {"Nein", {mrNo}, {}, TRUE, false},
    };
    for (const auto& c : cases) {
        DeleteFileA(file.c_str());
        PatternPicture();
        Click(Form1->bRotieren);
        dialogs.messages.clear();
        dialogs.messageAnswers = c.answers;
        dialogs.fileAnswers = c.files;
        EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), c.result) << c.what;
        ASSERT_FALSE(dialogs.messages.empty()) << c.what;
        EXPECT_EQ(dialogs.messages[0].text, SaveChangesQuestion) << c.what;
        EXPECT_EQ(dialogs.messages[0].buttons, mbYesNoCancel) << c.what;
        EXPECT_EQ(FileExists(file), c.saved) << c.what;
        EXPECT_EQ(Model().Modified, !c.saved) << c.what;
        EXPECT_EQ(FirstDifference(Picture(), [](int x, int y) { return PatternColour(31 - y, x); }), "") << c.what;
    }
    DeleteFileA(file.c_str());

    // "Nein" was the last answer: the session ends, and the editor goes without asking again.
    dialogs.messages.clear();
    SendMessageA(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(GetClipboardViewer(), window) << "a session that goes on changes nothing";
    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.size() << " questions at the end";
    EXPECT_NE(GetClipboardViewer(), window) << "left the clipboard-viewer chain";
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program ends";

    // An unchanged picture lets the session end without a question.
    Model().Modified = false;
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EditorFormTest, SavingOverAReadOnlyFileIsRefusedAndThePictureStaysModified)
{
    StagedFolder folder("editor read only");
    const std::string file = folder.Path() + "geschuetzt.ico";
    const char old[] = "alter Inhalt";
    SaveFileReplacing(file, old, sizeof old);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    PatternPicture();
    Click(Form1->bRotieren);
    dialogs.fileAnswers = {file};
    Click(Form1->bSpeichern);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, mtError);
    EXPECT_NE(dialogs.messages[0].text.find("schreibgeschützt"), std::string::npos) << dialogs.messages[0].text;
    EXPECT_TRUE(Model().Modified);
    std::vector<uint8_t> kept = ReadFileBytes(file);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), std::string(old, sizeof old)) << "the old file stays";
    EXPECT_NE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

// ---------------------------------------------------------------------------------------------
// Opening and the hand-over from the main program

TEST_F(EditorFormTest, OpenReadsTheChosenFileAndUndoGoesBackToTheEmptyPicture)
{
    StagedFolder folder("editor open");
    TBitmap source(32, 32);
    FillPattern(source);
    const std::string file = folder.Path() + "muster.bmp";
    source.SaveToFile(file);

    dialogs.fileAnswers = {file};
    Click(Form1->bOeffnen);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_FALSE(dialogs.fileRequests[0].save);
    EXPECT_EQ(FirstDifference(Picture(), PatternColour), "");
    EXPECT_EQ(FirstDifference(Form1->Image1->Picture().Bitmap(), PatternColour), "") << "the preview follows";
    EXPECT_FALSE(Model().Modified);
    EXPECT_FALSE(Model().Loading);
    EXPECT_EQ(Model().CurrentFileName, file);
    ASSERT_TRUE(Form1->SpeedButton4->Enabled());
    Click(Form1->SpeedButton4);
    EXPECT_EQ(FirstDifference(Picture(), [](int, int) { return TransparentKeyColor; }), "");

    // Cancelling the dialog changes nothing.
    FillPattern(Picture());
    Click(Form1->bOeffnen);
    EXPECT_EQ(FirstDifference(Picture(), PatternColour), "");
    EXPECT_FALSE(Model().Loading);
}

TEST_F(EditorFormTest, AnUnreadableFileIsReportedAndLeavesAnEmptyPictureToDrawOn)
{
    StagedFolder folder("editor open");
    const std::string file = folder.Path() + "kaputt.ico";
    const char junk[] = "kein Icon";
    SaveFileReplacing(file, junk, sizeof junk);
    PatternPicture();
    dialogs.fileAnswers = {file};
    Click(Form1->bOeffnen);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, mtError) << dialogs.messages[0].text;
    EXPECT_EQ(FirstDifference(Picture(), [](int, int) { return TransparentKeyColor; }), "");
    EXPECT_FALSE(Model().Loading);
}

TEST_F(EditorFormTest, OpenAsksFirstAndACancelKeepsThePicture)
{
    PatternPicture();
    Click(Form1->bRotieren);
    dialogs.messageAnswers = {mrCancel};
    Click(Form1->bOeffnen);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, SaveChangesQuestion);
    EXPECT_TRUE(dialogs.fileRequests.empty()) << "no open dialog after a cancel";
    EXPECT_TRUE(Model().Modified);
    EXPECT_FALSE(Model().Loading);

    // "Nein", then no file chosen: the changed picture is still there, and closing asks again.
    dialogs.messages.clear();
    dialogs.messageAnswers = {mrNo};
    dialogs.fileAnswers = {""};
    Click(Form1->bOeffnen);
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(FirstDifference(Picture(), [](int x, int y) { return PatternColour(31 - y, x); }), "");
    EXPECT_TRUE(Model().Modified);
}

TEST_F(EditorFormTest, TheHandOverFileIsOpenedAndDeletedAndTheOpenDialogForgetsIt)
{
    StagedFolder folder("editor hand over");
    Form1->HandOverFolder = folder.Path();
    TBitmap source(32, 32);
    FillPattern(source);
    const std::string file = folder.Path() + HandOverFileName;
    SaveBitmapAsIcon(file, source, TransparentKeyColor);
    // The main program passes the short form; its case need not match.
    char shortPath[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(file.c_str(), shortPath, MAX_PATH), 0u);
    const std::string argument = AnsiUpperCase(shortPath);

    Form1->OpenCommandLineFile("  " + argument + " ");
    EXPECT_TRUE(dialogs.fileRequests.empty()) << "no dialog for a file named on the command line";
    EXPECT_EQ(FirstDifference(Picture(), PatternColour), "");
    EXPECT_FALSE(FileExists(file)) << argument << " is the hand-over file";

    dialogs.fileAnswers = {""};
    Click(Form1->bOeffnen);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "") << "the deleted file is not offered";
}

TEST_F(EditorFormTest, OnlyTheExactHandOverFileIsDeletedAndOnlyOnceItWasRead)
{
    StagedFolder folder("editor hand over");
    Form1->HandOverFolder = folder.Path();
    folder.Folder("unter");
    const std::string inner = folder.Folder(std::string("unter\\") + HandOverFileName);
    TBitmap source(32, 32);
    FillPattern(source);
    const char junk[] = "keine BMP-Datei";
    const struct {
        std::string path;
        bool icon;   // else junk that no reader takes
    } files[] = {
        {folder.Path() + "mytemp$$$.ico", true},
        {folder.Path() + HandOverFileName + ".bak", false},
        {inner + "eigenes.ico", true},   // in a folder of that name
        {folder.Folder("anderswo") + HandOverFileName, true},
        {folder.Path() + HandOverFileName, false},   // the hand-over file itself, but unreadable
    };
    for (const auto& f : files) {
        if (f.icon)
            SaveBitmapAsIcon(f.path, source, TransparentKeyColor);
        else
            SaveFileReplacing(f.path, junk, sizeof junk);
        dialogs.messageAnswers = {mrOk};
        Form1->OpenCommandLineFile(f.path);
        EXPECT_TRUE(FileExists(f.path)) << f.path;
        EXPECT_EQ(dialogs.messages.empty(), f.icon) << f.path << ": a file that cannot be read is reported";
        dialogs.messages.clear();
        Form1->Model().Modified = false;
    }
    EXPECT_FALSE(IsHandOverFile(folder.Path() + HandOverFileName, folder.Path() + "anderswo"));
    EXPECT_TRUE(IsHandOverFile(folder.Path() + "anderswo\\..\\" + AnsiUpperCase(HandOverFileName), folder.Path()));
    EXPECT_FALSE(IsHandOverFile("", folder.Path()));
}

// Q:\Wirt\Uebergabe\temp$$$.ico is a link to Q:\Wirt\Ziel\uebergabe.ico (tools/wine-run.sh).
TEST_F(EditorFormTest, AHandOverNameThatIsALinkIsReadButNeitherItNorItsFileIsDeleted)
{
    const std::string host = "Q:\\Wirt\\";
    TBitmap source(32, 32);
    FillPattern(source);
    SaveBitmapAsIcon(host + "Ziel\\uebergabe.ico", source, TransparentKeyColor);
    Form1->HandOverFolder = host + "Uebergabe\\";
    const std::string link = host + "Uebergabe\\" + HandOverFileName;
    EXPECT_FALSE(IsHandOverFile(link, Form1->HandOverFolder));
    Form1->OpenCommandLineFile(link);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(FirstDifference(Picture(), PatternColour), "") << "the icon was read";
    EXPECT_TRUE(FileExists(host + "Ziel\\uebergabe.ico")) << "the user's icon stays";
    EXPECT_TRUE(FileExists(link)) << "and the link still leads to it";
    Form1->Model().Modified = false;
}

TEST_F(EditorFormTest, AMissingCommandLineFileIsReported)
{
    Form1->OpenCommandLineFile("C:\\gibt es nicht.ico");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Datei C:\\gibt es nicht.ico kann nicht geöffnet werden.");
    EXPECT_EQ(FirstDifference(Picture(), [](int, int) { return TransparentKeyColor; }), "");
    Form1->OpenCommandLineFile("   ");
    EXPECT_EQ(dialogs.messages.size(), 1u) << "an empty argument is no file";
}

// ---------------------------------------------------------------------------------------------
// Drawing through the grid

namespace {

// A point of the enlarged view, on the form, at the centre of picture pixel (px, py).
POINT ViewPoint(int px, int py)
{
    return {Form1->Image7->Left() + px * 8 + 1, Form1->Image7->Top() + py * 8 + 1};
}

void MouseAt(UINT msg, WPARAM keys, POINT at)
{
    SendMessageA(Form1->Handle(), msg, keys, MAKELPARAM(at.x, at.y));
}

}  // namespace

namespace {

// The cell of picture pixel (px, py) in the enlarged view, on the form.
RECT CellRect(int px, int py)
{
    const int left = Form1->pbox->Left() + px * 8, top = Form1->pbox->Top() + py * 8;
    return {left, top, left + 8, top + 8};
}

constexpr COLORREF Smeared = RGB(255, 0, 255);

// Paints the window's client area behind its back: what the window paints afterwards shows
// again, what it leaves alone keeps the smear.
void Smear()
{
    PumpMessages();
    WindowDC screen(Form1->Handle());
    GdiObject<HBRUSH> brush(CreateSolidBrush(Smeared));
    RECT client;
    GetClientRect(Form1->Handle(), &client);
    FillRect(screen.get(), &client, brush.get());
}

// The whole window painted again: the smear goes.
void Unsmear()
{
    Form1->Invalidate();
    PumpMessages();
}

COLORREF ShownAt(POINT at)
{
    PumpMessages();
    WindowDC screen(Form1->Handle());
    return GetPixel(screen.get(), at.x, at.y) & 0xFFFFFF;
}

// Whether the cell of picture pixel (px, py) was painted since the smear.
bool CellPainted(int px, int py)
{
    const RECT cell = CellRect(px, py);
    return ShownAt({cell.left + 4, cell.top + 4}) != Smeared;
}

// Every pixel of the picture as the window shows it once it has painted, read from the middle
// of its cell: "" when they all match, else the first that does not.
std::string ShownDifference()
{
    PumpMessages();
    WindowDC screen(Form1->Handle());
    for (int y = 0; y < PictureSize; ++y)
        for (int x = 0; x < PictureSize; ++x) {
            const RECT cell = CellRect(x, y);
            const COLORREF shown = GetPixel(screen.get(), cell.left + 4, cell.top + 4) & 0xFFFFFF;
            const COLORREF wanted = ColorToRGB(Form1->Picture().PixelColor(x, y)) & 0xFFFFFF;
            if (shown != wanted)
                return "(" + std::to_string(x) + "," + std::to_string(y) + ") shows " + Hex(shown) + ", not " +
                       Hex(wanted);
        }
    return "";
}

}  // namespace

TEST_F(EditorFormTest, AChangePaintsOnlyItsCellsAndTheViewShowsThePicture)
{
    Form1->Show();
    PumpMessages();
    ASSERT_EQ(ShownDifference(), "");

    // A pen click: its cell and the preview. Pressed and released together, it changes no cursor.
    Smear();
    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(4, 6));
    EXPECT_EQ(Screen.Cursor(), crDefault);
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(4, 6));
    EXPECT_TRUE(CellPainted(4, 6));
    const RECT preview = Form1->Image1->BoundsRect();
    EXPECT_NE(ShownAt({preview.left + 4, preview.top + 6}), Smeared) << "the preview";
    for (POINT other : {POINT{5, 6}, POINT{4, 7}, POINT{3, 5}, POINT{16, 16}})
        EXPECT_FALSE(CellPainted(other.x, other.y)) << "cell " << other.x << "," << other.y;
    Unsmear();

    // A fill inside a drawn frame (10..14 x 10..13): the frame's inside.
    Form1->ToolButtonClick(Form1->bViereck1);
    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(10, 10));
    MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(15, 14));
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(15, 14));
    EXPECT_EQ(ShownDifference(), "");
    Smear();
    Form1->ToolButtonClick(Form1->bFuellwerkzeug);
    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(12, 12));
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(12, 12));
    for (POINT inside : {POINT{11, 11}, POINT{13, 12}})
        EXPECT_TRUE(CellPainted(inside.x, inside.y)) << "cell " << inside.x << "," << inside.y;
    for (POINT other : {POINT{10, 12}, POINT{12, 13}, POINT{4, 6}, POINT{20, 20}})
        EXPECT_FALSE(CellPainted(other.x, other.y)) << "cell " << other.x << "," << other.y;
    Unsmear();

    // A line pulled about: its bands come and go, and none stays on the screen.
    Form1->ToolButtonClick(Form1->bLinie);
    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(2, 20));
    MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(25, 30));
    PumpMessages();
    MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(25, 22));
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(25, 22));
    EXPECT_EQ(ShownDifference(), "");

    // Turning the picture: every cell that changed.
    TBitmap before;
    before.Assign(Picture());
    Smear();
    Click(Form1->bRotieren);
    for (int y = 0; y < PictureSize; ++y)
        for (int x = 0; x < PictureSize; ++x)
            if (before.PixelColor(x, y) != Picture().PixelColor(x, y))
                ASSERT_TRUE(CellPainted(x, y)) << "cell " << x << "," << y;
}

namespace {

// The form's client area as the screen shows it now, read with no message handled first: what
// a change painted at once.
std::unique_ptr<TBitmap> ScreenNow()
{
    RECT client;
    GetClientRect(Form1->Handle(), &client);
    auto shot = std::make_unique<TBitmap>(client.right, client.bottom);
    WindowDC screen(Form1->Handle());
    BitBlt(shot->Canvas().Handle(), 0, 0, client.right, client.bottom, screen.get(), 0, 0, SRCCOPY);
    return shot;
}

// The same once the whole window painted itself again.
std::unique_ptr<TBitmap> ScreenRepainted()
{
    InvalidateRect(Form1->Handle(), nullptr, TRUE);
    UpdateWindow(Form1->Handle());
    return ScreenNow();
}

// The first pixel of the enlarged view (grid included) or of the preview in which two pictures
// of the screen differ; "" when none does.
std::string PictureAreasDiffer(const TBitmap& shown, const TBitmap& repainted)
{
    for (const RECT& area : {Form1->Image7->BoundsRect(), Form1->Image1->BoundsRect()})
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (shown.PixelColor(x, y) != repainted.PixelColor(x, y))
                    return "(" + std::to_string(x) + "," + std::to_string(y) + ") shows " +
                           Hex(shown.PixelColor(x, y)) + ", painted again " + Hex(repainted.PixelColor(x, y));
    return "";
}

void Press(POINT at, TMouseButton button = mbLeft)
{
    MouseAt(button == mbLeft ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, button == mbLeft ? MK_LBUTTON : MK_RBUTTON, at);
}

void Release(POINT at, TMouseButton button = mbLeft)
{
    MouseAt(button == mbLeft ? WM_LBUTTONUP : WM_RBUTTONUP, 0, at);
}

void ClickPixel(int px, int py, TMouseButton button = mbLeft)
{
    Press(ViewPoint(px, py), button);
    Release(ViewPoint(px, py), button);
}

}  // namespace

// A change paints its cells and their pixels of the preview at once, with no window paint; the
// window painting itself again afterwards must show just the same.
TEST_F(EditorFormTest, WhatAChangeShowsAtOnceIsWhatTheWindowPaintsAgain)
{
    Form1->Show();
    PatternPicture();
    PumpMessages();
    struct Step {
        const char* what;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"a pen click", [] { ClickPixel(5, 7); }},
        {"a wide stroke with the right button",
         [] {
             Form1->penwidthcombo1->SetItemIndex(4);
             Form1->penwidthcombo1Change(Form1->penwidthcombo1);
             Press(ViewPoint(20, 20), mbRight);
             MouseAt(WM_MOUSEMOVE, MK_RBUTTON, ViewPoint(25, 23));
             MouseAt(WM_MOUSEMOVE, MK_RBUTTON, ViewPoint(31, 31));
             Release(ViewPoint(31, 31), mbRight);
         }},
        {"a fill",
         [] {
             Form1->ToolButtonClick(Form1->bFuellwerkzeug);
             ClickPixel(22, 22);
         }},
        {"a line pulled about",
         [] {
             Form1->ToolButtonClick(Form1->bLinie);
             Press(ViewPoint(0, 31));
             MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(30, 2));
             MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(12, 9));
             Release(ViewPoint(12, 9));
         }},
        {"a filled ellipse",
         [] {
             Form1->ToolButtonClick(Form1->bKreis2);
             Press(ViewPoint(16, 16));
             MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(4, 9));
             Release(ViewPoint(4, 9));
         }},
        {"a turn", [] { Form1->bRotierenClick(Form1); }},
        {"a shift", [] { Form1->bLinksClick(Form1); }},
        {"an undo", [] { Form1->SpeedButton4Click(Form1); }},
    };
    for (const Step& step : steps) {
        step.change();
        const auto shown = ScreenNow();
        EXPECT_EQ(PictureAreasDiffer(*shown, *ScreenRepainted()), "") << step.what;
    }
}

// Where the view does not show when a change comes (under another window, minimised, off the
// screen), it shows the changed picture once it shows again.
TEST_F(EditorFormTest, AChangeWhereTheViewDoesNotShowAppearsOnceItShowsAgain)
{
    Form1->Show();
    PatternPicture();
    PumpMessages();
    auto showsAsRepainted = [](const char* what) {
        PumpMessages();
        const auto shown = ScreenNow();
        EXPECT_EQ(PictureAreasDiffer(*shown, *ScreenRepainted()), "") << what;
    };

    RECT view = Form1->Image7->BoundsRect();
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&view), 2);
    HWND cover = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, view.left, view.top,
                                 (view.right - view.left) / 2, view.bottom - view.top, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(cover, nullptr);
    PumpMessages();
    ClickPixel(3, 4);
    ClickPixel(27, 4);
    Form1->bSpiegelungVertikalClick(Form1);
    DestroyWindow(cover);
    showsAsRepainted("covered by another window");

    ShowWindow(window, SW_MINIMIZE);
    PumpMessages();
    ClickPixel(9, 9, mbRight);
    Form1->bRotierenClick(Form1);
    ShowWindow(window, SW_RESTORE);
    showsAsRepainted("minimised");

    RECT placed;
    GetWindowRect(window, &placed);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    SetWindowPos(window, nullptr, screenWidth - Form1->Image7->Left() - 100, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();
    ClickPixel(2, 30);
    ClickPixel(30, 2);
    Form1->bHochClick(Form1);
    SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    showsAsRepainted("partly off the screen");
}

TEST_F(EditorFormTest, ThePenDrawsThroughTheGridAndTheStatusBarFollows)
{
    MouseAt(WM_MOUSEMOVE, 0, ViewPoint(4, 6));
    EXPECT_EQ(Form1->StatusBar1->PanelText(0), "X:5");
    EXPECT_EQ(Form1->StatusBar1->PanelText(1), "Y:7");

    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(4, 6));
    EXPECT_TRUE(Form1->Label1->Visible()) << "busy while the button is held";
    EXPECT_TRUE(PumpMessagesUntil([] { return !Form1->penwidthcombo1->Enabled(); }))
        << "the line-width box is off while the button is held";
    EXPECT_EQ(Screen.Cursor(), crCross);
    MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(5, 6));
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(5, 6));
    EXPECT_FALSE(Form1->Label1->Visible());
    EXPECT_EQ(Screen.Cursor(), crDefault);
    EXPECT_EQ(Hex(Picture().PixelColor(5, 6)), Hex(clBlack));
    EXPECT_EQ(Hex(Form1->Image1->Picture().Bitmap().PixelColor(5, 6)), Hex(clBlack)) << "the preview follows";
    EXPECT_TRUE(Model().Modified);
    ASSERT_TRUE(Form1->SpeedButton4->Enabled());
    Click(Form1->SpeedButton4);
    EXPECT_EQ(FirstDifference(Picture(), [](int, int) { return TransparentKeyColor; }), "");
}

namespace {

// Counts the paints of the editor window and the changes of the line-width box's state.
struct PaintCounter {
    static inline int paints = 0, enables = 0;
    static inline WNDPROC form = nullptr, combo = nullptr;
    static LRESULT CALLBACK Form(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        paints += msg == WM_PAINT;
        return CallWindowProcA(form, window, msg, wParam, lParam);
    }
    static LRESULT CALLBACK Combo(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        enables += msg == WM_ENABLE;
        return CallWindowProcA(combo, window, msg, wParam, lParam);
    }
};

}  // namespace

TEST_F(EditorFormTest, AClickWhosePressAndReleaseComeTogetherShowsItsPixelAtItsEndWithoutAWindowPaint)
{
    Form1->Show();
    PatternPicture();
    Click(Form1->bRotieren);
    ASSERT_TRUE(Form1->SpeedButton4->Enabled());
    HWND combo = Form1->penwidthcombo1->Handle();
    PumpMessages();
    UpdateWindow(window);
    PaintCounter::paints = PaintCounter::enables = 0;
    PaintCounter::form = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintCounter::Form)));
    PaintCounter::combo = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(combo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintCounter::Combo)));

    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(3, 3));
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(3, 3));
    EXPECT_EQ(PaintCounter::paints, 0) << "painted before the click ended";
    EXPECT_EQ(PaintCounter::enables, 0) << "the line-width box went off and on";
    EXPECT_TRUE(Form1->SpeedButton4->Enabled());
    EXPECT_TRUE(Form1->penwidthcombo1->Enabled());
    EXPECT_EQ(Hex(Picture().PixelColor(3, 3)), Hex(clBlack));
    EXPECT_EQ(ShownDifference(), "") << "the picture is shown";
    EXPECT_EQ(PaintCounter::paints, 0) << "shown through a window paint";

    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaintCounter::form));
    SetWindowLongPtrA(combo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaintCounter::combo));
}

TEST_F(EditorFormTest, AnOpenPolygonBlocksTheCommandsUntilARightClickClosesIt)
{
    Click(Form1->bVieleck);
    ASSERT_EQ(Model().CurrentTool, etPolygon);
    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(2, 2));
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(2, 2));
    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(20, 2));
    MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(20, 2));
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(20, 2));
    EXPECT_TRUE(Form1->Label1->Visible());
    EXPECT_FALSE(Form1->SpeedButton4->Enabled()) << "no undo while the polygon is open";
    Click(Form1->bRotieren);
    EXPECT_EQ(Hex(Picture().PixelColor(10, 2)), Hex(clBlack)) << "rotating waits for the polygon";

    MouseAt(WM_RBUTTONDOWN, MK_RBUTTON, ViewPoint(20, 20));
    MouseAt(WM_RBUTTONUP, 0, ViewPoint(20, 20));
    EXPECT_FALSE(Form1->Label1->Visible());
    EXPECT_FALSE(Model().ShapeInProgress);
    EXPECT_TRUE(Form1->SpeedButton4->Enabled());
    EXPECT_EQ(Screen.Cursor(), crDefault);
}

TEST_F(EditorFormTest, ASaveWhileAPolygonIsOpenLeavesItsBandToThePointerOut)
{
    const std::string file = TempFolder() + "editor-polygon-band-test.bmp";
    DeleteFileA(file.c_str());
    Click(Form1->bVieleck);
    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(2, 2));
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(2, 2));
    MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(20, 2));
    MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(20, 2));
    MouseAt(WM_LBUTTONUP, 0, ViewPoint(20, 2));
    MouseAt(WM_MOUSEMOVE, 0, ViewPoint(20, 20));
    const TColor background = TransparentKeyColor;
    ASSERT_NE(Hex(Picture().PixelColor(20, 10)), Hex(background)) << "the band follows the pointer";

    // The end of the session is the one way to save while the polygon is open.
    dialogs.messageAnswers = {mrYes};
    dialogs.fileAnswers = {file};
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    TBitmap saved;
    saved.LoadFromFile(file);
    EXPECT_EQ(Hex(saved.PixelColor(10, 2)), Hex(clBlack)) << "the edge that was drawn";
    EXPECT_EQ(Hex(saved.PixelColor(20, 10)), Hex(background)) << "the band is left out";
    EXPECT_NE(Hex(Picture().PixelColor(20, 10)), Hex(background)) << "and still shown while the polygon is open";
    DeleteFileA(file.c_str());
}

TEST_F(EditorFormTest, AGestureCutOffBySystemEndsAsIfNeverBegun)
{
    // A window of this program that takes the mouse away, as a popping-up window would.
    TForm thief(nullptr);
    thief.SetBounds(0, 0, 50, 50);
    const struct {
        const char* cause;
        TMaskSpeedButton* TForm1::*tool;
        std::function<void()> cutOff;
    } cases[] = {
        {"WM_CANCELMODE", &TForm1::bLinie, [&] { SendMessageA(window, WM_CANCELMODE, 0, 0); }},
        {"capture taken", &TForm1::bStift, [&] { SetCapture(thief.Handle()); }},
        {"capture taken", &TForm1::bViereck2, [&] { SetCapture(thief.Handle()); }},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.cause) + " with " + (Form1->*c.tool)->Name();
        PatternPicture();
        Model().Modified = false;
        Click(Form1->*c.tool);
        MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(2, 2));
        MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(20, 14));
        ASSERT_NE(FirstDifference(Picture(), PatternColour), "") << what << ": nothing drawn while pulling";
        ASSERT_EQ(GetCapture(), window) << what;
        c.cutOff();
        ReleaseCapture();

        EXPECT_EQ(FirstDifference(Picture(), PatternColour), "") << what;
        EXPECT_EQ(FirstDifference(Form1->Image1->Picture().Bitmap(), PatternColour), "") << what << " in the preview";
        EXPECT_FALSE(Model().Busy) << what;
        EXPECT_FALSE(Model().Modified) << what;
        EXPECT_FALSE(Form1->Label1->Visible()) << what;
        EXPECT_TRUE(Form1->penwidthcombo1->Enabled()) << what;
        EXPECT_EQ(Screen.Cursor(), crDefault) << what;
        // A release the pointer brings back over the view afterwards ends nothing.
        MouseAt(WM_LBUTTONUP, 0, ViewPoint(20, 14));
        EXPECT_EQ(FirstDifference(Picture(), PatternColour), "") << what << " after the late release";

        // The commands and the tool column work again.
        Click(Form1->bRotieren);
        EXPECT_EQ(FirstDifference(Picture(), [](int x, int y) { return PatternColour(31 - y, x); }), "") << what;
        ASSERT_TRUE(Form1->SpeedButton4->Enabled()) << what;
        KeyUp('Z', ssCtrl);
        EXPECT_EQ(FirstDifference(Picture(), PatternColour), "") << what << ": undo";
        Click(Form1->bKreis1);
        EXPECT_EQ(Model().CurrentTool, etEllipse) << what;
    }
}

TEST_F(EditorFormTest, EditingLeavesNoGdiObjectsBehind)
{
    auto session = [&] {
        PatternPicture();
        for (TMaskButton* button : {Form1->bHoch, Form1->bRotieren, Form1->bSpiegelungVertikal, Form1->bLinks})
            Click(button);
        MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(3, 3));
        MouseAt(WM_MOUSEMOVE, MK_LBUTTON, ViewPoint(9, 9));
        MouseAt(WM_LBUTTONUP, 0, ViewPoint(9, 9));
        while (Form1->SpeedButton4->Enabled())
            Click(Form1->SpeedButton4);
        Form1->RefreshPicture();
        UpdateWindow(window);
    };
    session();
    long before = gdicount::LiveObjects();
    if (before < 0)
        GTEST_SKIP() << "no way to count GDI objects here";
    for (int i = 0; i < 3; ++i)
        session();
    EXPECT_EQ(gdicount::LiveObjects(), before);
}

// ---------------------------------------------------------------------------------------------
// The text tool's dialog

namespace {

// What the user does inside the dialog's modal loop: type a text on the keyboard, then press OK
// or "Abbrechen". Before leaving, the focus goes elsewhere, so that the next opening must bring
// it back to the text field.
bool pressOk = true;
int dialogTicks = 0;
bool sawDialog = false;
bool sawLiveText = false;
bool typed = false;
std::string typedText;

void CALLBACK WorkTheTextDialog(HWND, UINT, UINT_PTR, DWORD)
{
    if (!FontForm || !FontForm->Modal())
        return;
    ++dialogTicks;
    if (dialogTicks == 1) {
        sawDialog = IsWindowVisible(FontForm->Handle()) != FALSE;
        FontForm->SpinEdit1->SetValue(20);
        FontForm->Fettbox->SetChecked(true);
        FontForm->Edit1->SetText("");
        typed = TypeKeys("W");
    } else if (dialogTicks > 40) {
        FontForm->SetModalResult(mrAbort);
    } else if (!FontForm->Edit1->Text().empty() || dialogTicks > 30) {
        typedText = FontForm->Edit1->Text();
        // Typed text shows in the picture while the dialog is open.
        for (int y = 0; y < 32 && !sawLiveText; ++y)
            for (int x = 0; x < 32 && !sawLiveText; ++x)
                sawLiveText = Form1->Picture().PixelColor(x, y) != TransparentKeyColor;
        FontForm->ComboBox1->SetFocus();
        ClickControl(pressOk ? static_cast<TControl*>(FontForm->Button1) : FontForm->Button2);
    }
}

int TextPixels()
{
    int count = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            count += Form1->Picture().PixelColor(x, y) != TransparentKeyColor;
    return count;
}

}  // namespace

TEST_F(EditorFormTest, TheTextToolWritesLiveAndOkKeepsWhatCancelTakesBack)
{
    ASSERT_NE(FontForm, nullptr);
    Click(Form1->bText);
    ASSERT_EQ(Model().CurrentTool, etText);
    // As the user works: the editor window is up and active when the picture is clicked.
    Form1->Show();
    for (bool ok : {false, true}) {
        ASSERT_TRUE(PumpMessagesUntil([this] { return GetForegroundWindow() == window; }))
            << "ok " << ok << ": the editor is not active, but " << GetForegroundWindow();
        pressOk = ok;
        dialogTicks = 0;
        sawDialog = sawLiveText = typed = false;
        typedText.clear();
        UINT_PTR timer = SetTimer(nullptr, 0, 60, &WorkTheTextDialog);
        MouseAt(WM_LBUTTONDOWN, MK_LBUTTON, ViewPoint(2, 2));
        MouseAt(WM_LBUTTONUP, 0, ViewPoint(2, 2));
        KillTimer(nullptr, timer);
        EXPECT_TRUE(sawDialog) << "ok " << ok;
        EXPECT_TRUE(typed) << "ok " << ok;
        EXPECT_EQ(AnsiUpperCase(typedText), "W") << "ok " << ok << ": the keys reach the text field";
        EXPECT_TRUE(sawLiveText) << "ok " << ok << ", font " << FontForm->Settings().fontName;
        EXPECT_LT(dialogTicks, 40) << "the dialog did not end";
        EXPECT_EQ(TextPixels() > 0, ok) << (ok ? "OK keeps the text" : "Abbrechen takes it back");
        EXPECT_FALSE(Form1->Label1->Visible());
    }
    EXPECT_EQ(FontForm->TextPosition.x, 2);
    ASSERT_TRUE(Form1->SpeedButton4->Enabled());
    Click(Form1->SpeedButton4);
    EXPECT_EQ(TextPixels(), 0) << "one step back removes the text";
}
