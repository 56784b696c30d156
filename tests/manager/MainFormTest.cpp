// The icon manager's start and main window: creation order, the shaped borderless window, page
// navigation with its help keywords, and the requests the buttons hand to the shell.
#include <windows.h>

#include "DialogStub.h"
#include "HelpViewer.h"
#include "IconInfo.h"
#include "Info.h"
#include "Main.h"
#include "MouseInput.h"
#include "ProgramForms.h"
#include "SkinChecks.h"
#include "StagedFolder.h"
#include "Startup.h"
#include "SysUtils.h"
#include "SystemIcons.h"
#include "toolsunit.h"

#include <gtest/gtest.h>

namespace {

// The forms of one program start, freed again after each test.
class MainFormTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetMainState();
        CreateProgramForms();
        ASSERT_NE(MainForm, nullptr);
        window = MainForm->Handle();
    }
    void TearDown() override { FreeProgramForms(); }

    // A click as the mouse makes it, at a point of the main window's client area.
    void ClickAt(int x, int y) { ::ClickAt(window, x, y); }
    // The centre of a button, where its round outline certainly is.
    void Click(TControl* button) { ClickControl(button); }
    void PressF1() { SendMessageA(window, WM_KEYDOWN, VK_F1, 0); }
    std::string LastHelpKeyword() const
    {
        return dialogs.helpCalls.empty() ? "(none)" : dialogs.helpCalls.back().keyword;
    }

    DialogStub dialogs;
    HWND window = nullptr;
};

bool shownModally = false;

// Ends the about box's modal loop from inside it, as the user's OK would.
void CALLBACK EndInfoBox(HWND, UINT, UINT_PTR, DWORD)
{
    if (InfoForm && InfoForm->Modal()) {
        shownModally = InfoForm->Visible();
        InfoForm->SetModalResult(mrOk);
    }
}

}  // namespace

TEST_F(MainFormTest, FormsAreCreatedInProgramOrderAndTheAboutBoxWhenFirstNeeded)
{
    const auto& owned = Application.Components();
    ASSERT_GE(owned.size(), 3u);
    std::vector<TComponent*> last(owned.end() - 3, owned.end());
    std::vector<TComponent*> expected = {MainForm, IconInfoForm, Toolsform};
    EXPECT_EQ(last, expected) << "names: " << last[0]->Name() << ", " << last[1]->Name() << ", " << last[2]->Name();
    EXPECT_EQ(Application.MainForm(), MainForm);
    EXPECT_FALSE(IconInfoForm->lFile->Visible()) << "the hand-over field is never shown";
    EXPECT_EQ(InfoForm, nullptr);
    MainForm->NeedInfoForm();
    TInfoForm* made = InfoForm;
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(owned.back(), made);
    MainForm->NeedInfoForm();
    EXPECT_EQ(InfoForm, made) << "made once";
}

TEST_F(MainFormTest, IsABorderlessWindowShapedByItsStoredRegion)
{
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP) << std::hex << style;
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME)) << std::hex << style;
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 458);
    EXPECT_EQ(MainForm->iHintergrund->Picture().Width(), 640);
    EXPECT_EQ(MainForm->iHintergrund->Picture().Height(), 458);

    EXPECT_EQ(RegionMismatch(window, "TMAINFORM_MASK2"), "");
    // The skin's corners are rounded off; its middle belongs to the window.
    GdiObject<HRGN> applied(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(window, applied.get()), ERROR);
    for (POINT corner : {POINT{0, 0}, POINT{639, 0}, POINT{0, 457}, POINT{639, 457}})
        EXPECT_FALSE(PtInRegion(applied.get(), corner.x, corner.y)) << corner.x << "," << corner.y;
    EXPECT_TRUE(PtInRegion(applied.get(), 320, 229));
}

TEST_F(MainFormTest, LeftPressOnTheSkinDragsTheWindowRightPressDoesNot)
{
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(320, 10));
    SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(320, 10));
    EXPECT_TRUE(dialogs.drags.empty()) << dialogs.drags.size() << " drags";
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(320, 10));
    ASSERT_EQ(dialogs.drags.size(), 1u);
    EXPECT_EQ(dialogs.drags[0], window);
}

TEST_F(MainFormTest, TheFirstScreenMakesOnlyWhatItShowsAndAPageWhenFirstNeeded)
{
    MainForm->Show();
    EXPECT_EQ(MainForm->TreeView, nullptr);
    EXPECT_EQ(MainForm->ListView1, nullptr);
    EXPECT_EQ(MainForm->seIcongroesse, nullptr);
    EXPECT_EQ(MainForm->lbSystem, nullptr);
    EXPECT_EQ(MainForm->DriveView1, nullptr);
    EXPECT_FALSE(MainForm->PageControl->HandleAllocated()) << "the hidden pages have windows";
    EXPECT_FALSE(IconInfoForm->HandleAllocated()) << "the hidden information window has a window";
    EXPECT_EQ(InfoForm, nullptr) << "the about box was made";
    EXPECT_EQ(Toolsform->SystemImages.Count(), 0) << "the system icons were read";
    EXPECT_EQ(Toolsform->TreeImages.Count(), 0) << "the category tree's pictures were read";
    EXPECT_TRUE(CurrentCategory.empty());

    // The desktop page reads the system icons for its previews; the other pages wait.
    Click(MainForm->bAnzeige);
    ASSERT_NE(MainForm->seIcongroesse, nullptr);
    EXPECT_EQ(Toolsform->SystemImages.Count(), SystemIconCount);
    EXPECT_EQ(MainForm->lbSystem, nullptr);
    EXPECT_EQ(MainForm->ListView1, nullptr);
    Click(MainForm->bSystem);
    TSectionListBox* list = MainForm->lbSystem;
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->SubItemImages(), &Toolsform->SystemImages) << "the table read before reaches the list";
    int section = -1, item = -1;
    list->GetSelection(list->ItemIndex(), section, item);
    EXPECT_EQ(section, 0);
    EXPECT_EQ(item, 0);
    ASSERT_NE(MainForm->ListView1, nullptr) << "the first use of the gallery";
    EXPECT_EQ(Toolsform->TreeImages.Count(), 2);
    EXPECT_EQ(MainForm->TreeView->Selected(), MainForm->TreeView->Items().GetFirstNode());
    EXPECT_EQ(CurrentCategory, MainForm->TreeView->Items().GetFirstNode()->Text());

    // Made once: the pages keep their controls.
    TqelEnhListView* gallery = MainForm->ListView1;
    Click(MainForm->bIcons);
    Click(MainForm->bAnzeige);
    EXPECT_EQ(MainForm->ListView1, gallery);
    EXPECT_EQ(MainForm->lbSystem, list);
    EXPECT_EQ(MainForm->DriveView1, nullptr) << "the drive tree waits for \"Erweitert\"";
}

TEST_F(MainFormTest, PageControlStaysHiddenUntilAPageButtonIsPressed)
{
    EXPECT_FALSE(MainForm->PageControl->Visible());
    // Buttons that are not page buttons, and a press on a page button's corner, outside its
    // round outline.
    Click(MainForm->bHilfe);
    ClickAt(MainForm->bIcons->Left() + 1, MainForm->bIcons->Top() + 1);
    EXPECT_FALSE(MainForm->PageControl->Visible());

    const struct {
        TMaskButton* TMainForm::*button;
        TTabSheet* TMainForm::*page;
        bool infoShown;
    } pages[] = {{&TMainForm::bAnzeige, &TMainForm::pAnzeige, false},
                 {&TMainForm::bIcons, &TMainForm::pIcons, true},
                 {&TMainForm::bSystem, &TMainForm::pSystem, false}};
    for (const auto& p : pages) {
        TMaskButton* button = MainForm->*p.button;
        Click(button);
        EXPECT_TRUE(MainForm->PageControl->Visible()) << button->Name();
        EXPECT_EQ(MainForm->PageControl->ActivePage(), MainForm->*p.page) << button->Name();
        EXPECT_EQ(IconInfoForm->Visible(), p.infoShown) << button->Name();
    }
}

TEST_F(MainFormTest, F1OpensTheTopicOfThePageShown)
{
    EXPECT_EQ(Application.HelpFile(), ProgramFolder() + "hilfe.hlp");
    PressF1();
    EXPECT_EQ(LastHelpKeyword(), "Index") << "before any page button";

    const struct {
        TMaskButton* TMainForm::*button;
        const char* keyword;
    } cases[] = {{&TMainForm::bIcons, "Icons_betrachten"},
                 {&TMainForm::bAnzeige, "Anzeige"},
                 {&TMainForm::bSystem, "Icon_zuweisen"}};
    for (const auto& c : cases) {
        Click(MainForm->*c.button);
        PressF1();
        EXPECT_EQ(LastHelpKeyword(), c.keyword) << "after " << (MainForm->*c.button)->Name();
        EXPECT_EQ(HelpKeyword, c.keyword);
    }
    // The help button always opens the index and leaves the page's topic for F1.
    Click(MainForm->bHilfe);
    EXPECT_EQ(LastHelpKeyword(), "Index");
    PressF1();
    EXPECT_EQ(LastHelpKeyword(), "Icon_zuweisen");
    for (const auto& call : dialogs.helpCalls)
        EXPECT_EQ(call.file, ProgramFolder() + "hilfe.hlp");
}

// The help file the build puts beside the program holds the topics the program asks for, under
// the numbers it asks with, and the platform's viewer shows them.
TEST_F(MainFormTest, EveryHelpEntryShowsItsTopicInTheViewer)
{
    const std::string helpFile = ProgramFolder() + "hilfe.hlp";
    ASSERT_TRUE(FileExists(helpFile)) << helpFile;
    dialogs.helpReachesTheViewer = true;

    const struct {
        TMaskButton* TMainForm::*page;   // F1 on this page; nullptr: the "?" button
        const char* title;
        const char* firstSentence;
    } entries[] = {
        {nullptr, "Quillandora! – Übersicht",
         "Quillandora! Ostrane verwaltet die Icons Ihres Desktops: Sie betrachten Icons aus dem mitgelieferten "
         "Katalog oder aus beliebigen Ordnern, geben den Symbolen von Windows neue Icons und stellen ein, wie der "
         "Desktop Icons zeigt."},
        {&TMainForm::bIcons, "Icons betrachten",
         "Die Icongalerie zeigt die Icons eines Ordners als Bilder von 32 × 32 Punkten."},
        {&TMainForm::bAnzeige, "Anzeige einstellen",
         "Auf der Seite „Desktopeinstellungen“ legen Sie fest, wie Windows die Icons und den Desktop zeigt."},
        {&TMainForm::bSystem, "Icon zuweisen",
         "Auf der Seite „Systemicons ändern“ geben Sie den Symbolen von Windows ein anderes Icon."},
    };
    for (const auto& e : entries) {
        const std::string entry = e.page ? "F1 on " + (MainForm->*e.page)->Name() : "the help button";
        if (e.page) {
            Click(MainForm->*e.page);
            PressF1();
        } else {
            Click(MainForm->bHilfe);
        }
        std::string shown = WaitForHelpText({e.title, e.firstSentence});
        EXPECT_EQ(shown.substr(0, shown.find('\r')), e.title) << entry << " shows:\n" << shown;
        EXPECT_NE(shown.find(e.firstSentence), std::string::npos) << entry << " shows:\n" << shown;
        EXPECT_EQ(VisibleDialogs(), std::vector<std::string>()) << "after " << entry;
    }
    EXPECT_TRUE(CloseHelpViewer(helpFile));
}

TEST_F(MainFormTest, EditorButtonStartsTheEditorBesideTheProgram)
{
    Click(MainForm->bIcons);
    ASSERT_TRUE(IconInfoForm->Visible());
    Click(MainForm->bIconeditor);
    ASSERT_EQ(dialogs.shellCalls.size(), 1u);
    const auto& call = dialogs.shellCalls[0];
    EXPECT_EQ(call.file, ProgramFolder() + "editor.exe");
    EXPECT_EQ(call.parameters, "");
    EXPECT_EQ(call.verb, "");
    EXPECT_EQ(call.directory, ProgramFolder());
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
    EXPECT_EQ(call.owner, window);
    EXPECT_FALSE(IconInfoForm->Visible()) << "the icon information window stays up";
}

TEST_F(MainFormTest, OnlineButtonOpensTheWebPage)
{
    Click(MainForm->bOnline);
    ASSERT_EQ(dialogs.shellCalls.size(), 1u);
    EXPECT_EQ(dialogs.shellCalls[0].verb, "Open");
    EXPECT_EQ(dialogs.shellCalls[0].file, QuillandoraWebAddress);
    EXPECT_EQ(dialogs.shellCalls[0].owner, nullptr);
    EXPECT_EQ(dialogs.shellCalls[0].show, SW_SHOWNORMAL);
}

TEST_F(MainFormTest, InfoButtonShowsTheAboutBoxModally)
{
    shownModally = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &EndInfoBox);
    Click(MainForm->bInfo);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(shownModally);
    EXPECT_EQ(InfoForm->ModalResult(), mrOk);
    EXPECT_FALSE(InfoForm->Visible());
}

TEST_F(MainFormTest, ShowingMarksTheFormShownAndCreateMadeTheOwnIconsFolder)
{
    EXPECT_TRUE(DirectoryExists(ProgramFolder() + "Eigene Icons"));
    EXPECT_FALSE(FormShown);
    MainForm->Show();
    EXPECT_TRUE(FormShown);
    MainForm->Hide();
}

TEST(MainFormCreate, MakesTheOwnIconsFolderWhenMissing)
{
    // A program folder of its own: the build's, which other test programs read, stays as it is.
    StagedFolder program("Programm ohne eigene Icons");
    struct Override {
        explicit Override(const std::string& folder) { OverrideProgramFolder(folder); }
        ~Override() { OverrideProgramFolder(""); }
    } programFolder(program.Path());
    const std::string folder = ProgramFolder() + "Eigene Icons";
    ASSERT_FALSE(DirectoryExists(folder));
    ResetMainState();
    CreateProgramForms();
    EXPECT_TRUE(DirectoryExists(folder));
    FreeProgramForms();
}
