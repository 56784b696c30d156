// The system-icon page over a scratch registry: the list of the shell's items, what a click makes
// the target, assigning the current icon (with the warning for drives that may go away) and
// resetting one or all items.
#include <windows.h>

#include "DialogStub.h"
#include "IconInfo.h"
#include "Main.h"
#include "ProgramForms.h"
#include "Registry.h"
#include "RegistrySandbox.h"
#include "Startup.h"
#include "SystemIcons.h"
#include "WitnessWindow.h"
#include "toolsunit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class SystemPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetMainState();
        CreateProgramForms();
        ASSERT_NE(MainForm, nullptr);
        MainForm->NeedSystemPage();
    }
    void TearDown() override { FreeProgramForms(); }

    std::string Stored(int section, int item)
    {
        const SystemIconEntry& e = Toolsform->SystemIconTable[section][item];
        return TRegIniFile(e.Root, "").ReadString(e.Key, e.ValueName, "");
    }

    RegistrySandbox sandbox;
    DialogStub dialogs;
};

}  // namespace

TEST_F(SystemPageTest, TheListHoldsTheFiveSectionsWithTheFirstOpen)
{
    TSectionListBox& list = *MainForm->lbSystem;
    ASSERT_EQ(list.Sections().Count(), SystemIconSections);
    for (int s = 0; s < SystemIconSections; ++s) {
        EXPECT_EQ(list.Sections().Items(s).SubItems().Count(), SystemIconSectionSizes[s]) << s;
        EXPECT_EQ(list.Sections().Items(s).Caption(), SystemIconSectionCaptions[s]);
    }
    EXPECT_EQ(list.Sections().Items(0).SubItems().Strings(2),
              "<IMG src=\"idx:2\" align=\"middle\"><B></B>   Papierkorb (leer)");
    EXPECT_EQ(list.Sections().Items(4).SubItems().Strings(8),
              "<IMG src=\"idx:36\" align=\"middle\"><B></B>   Standarddokument");
    EXPECT_EQ(Toolsform->SystemImages.Count(), SystemIconCount);
    // The page's picture comes from the program's resources, framed and unscaled.
    TBitmap& picture = MainForm->Image1->Picture().Bitmap();
    EXPECT_EQ(picture.Width(), MainForm->Image1->Width()) << "a picture missing from the resources is empty";
    EXPECT_EQ(picture.Height(), MainForm->Image1->Height());
    EXPECT_EQ(MainForm->sSystem->Width(), MainForm->Image1->Width() + 2);
}

TEST_F(SystemPageTest, ASectionClickShowsItsFirstItemButKeepsTheTarget)
{
    MainForm->lbSystemSubItemClick(MainForm->lbSystem, 1, 3);
    EXPECT_EQ(SelectedSection, 1);
    EXPECT_EQ(SelectedSubItem, 3);
    MainForm->lbSystemSectionClick(MainForm->lbSystem, 3);
    int section = -1, item = -1;
    MainForm->lbSystem->GetSelection(MainForm->lbSystem->ItemIndex(), section, item);
    EXPECT_EQ(section, 3);
    EXPECT_EQ(item, 0);
    EXPECT_EQ(SelectedSection, 1) << "the target is still the item clicked last";
    EXPECT_EQ(SelectedSubItem, 3);
}

TEST_F(SystemPageTest, AssigningWritesTheCurrentIconAndAWarningMayStopIt)
{
    MainForm->lbSystemSubItemClick(MainForm->lbSystem, 3, 3);   // "Festplatte"
    IconInfoForm->lFile->SetText("\\\\server\\icons\\a.ico");
    dialogs.messageAnswers = {mrCancel};
    MainForm->bZuweisenClick(MainForm);
    ASSERT_EQ(dialogs.messages.size(), 1u) << "a network path may go away";
    EXPECT_EQ(dialogs.messages[0].type, mtWarning);
    EXPECT_EQ(Stored(3, 3), "") << "cancelled: nothing written";

    dialogs.messageAnswers = {mrOk};
    MainForm->bZuweisenClick(MainForm);
    EXPECT_EQ(Stored(3, 3), "\\\\server\\icons\\a.ico,0");

    IconInfoForm->lFile->SetText("");
    MainForm->bZuweisenClick(MainForm);
    EXPECT_EQ(dialogs.messages.size(), 2u) << "without a current icon nothing happens";
}

TEST_F(SystemPageTest, ResettingWritesTheDefaults)
{
    MainForm->lbSystemSubItemClick(MainForm->lbSystem, 1, 0);
    MainForm->bGewaehltesIconZuruecksetzenClick(MainForm);
    EXPECT_EQ(Stored(1, 0), Toolsform->SystemIconTable[1][0].DefaultSpec);
    EXPECT_EQ(Stored(4, 8), "") << "only the chosen item";
    MainForm->bAlleIconsZuruecksetzenClick(MainForm);
    for (int s = 0; s < SystemIconSections; ++s)
        for (int i = 0; i < SystemIconSectionSizes[s]; ++i)
            EXPECT_EQ(Stored(s, i), Toolsform->SystemIconTable[s][i].DefaultSpec) << s << "," << i;
}

TEST_F(SystemPageTest, ThePreviewOfTheDesktopShowsTheStoredIconOrNone)
{
    const std::string key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\"
                            "{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon";
    TRegIniFile user(HKEY_CURRENT_USER, "");
    user.WriteString(key, "", Toolsform->SystemFolder + "shell32.dll,3");
    MainForm->NeedDesktopPage();
    Toolsform->BuildSystemIconTable();
    TGraphic* shown = MainForm->iArbeitsplatz->Picture().Graphic();
    ASSERT_TRUE(shown && !shown->Empty()) << "no icon for " << user.ReadString(key, "", "");
    user.WriteString(key, "", "C:\\fehlt.ico,0");
    Toolsform->BuildSystemIconTable();
    shown = MainForm->iArbeitsplatz->Picture().Graphic();
    EXPECT_TRUE(!shown || shown->Empty()) << "the icon before stayed in the preview";
}

namespace {

// A top-level window that notes the cursor while the shell is told to reload its icons.
struct SettingsWitness {
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_SETTINGCHANGE)
            cursors.push_back(Screen.Cursor());
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    SettingsWitness() : window(MakeWitnessWindow("SystemPageSettingsWitness", Proc)) { cursors.clear(); }
    ~SettingsWitness() { DestroyWindow(window); }
    HWND window;
    static std::vector<TCursor> cursors;
};
std::vector<TCursor> SettingsWitness::cursors;

}  // namespace

TEST_F(SystemPageTest, BothResetButtonsShowTheHourglassWhileTheShellReloads)
{
    SettingsWitness witness;
    for (TVantuButton* button : {MainForm->bGewaehltesIconZuruecksetzen, MainForm->bAlleIconsZuruecksetzen}) {
        SettingsWitness::cursors.clear();
        button->OnClick(button);
        ASSERT_EQ(SettingsWitness::cursors.size(), 2u) << button->Name() << ": two broadcasts";
        for (TCursor cursor : SettingsWitness::cursors)
            EXPECT_EQ(cursor, crHourGlass) << button->Name();
        EXPECT_EQ(Screen.Cursor(), crDefault) << button->Name() << ": the cursor comes back";
    }
}
