// The desktop settings page over a scratch registry: what it reads into its controls, the
// "large icons" box and the size it remembers, "Standard" (which writes nothing), "Übernehmen"
// (which writes everything), and the previews.
#include <windows.h>

#include "DesktopSettings.h"
#include "DialogStub.h"
#include "Main.h"
#include "ProgramForms.h"
#include "Registry.h"
#include "RegistrySandbox.h"
#include "Startup.h"
#include "toolsunit.h"

#include <gtest/gtest.h>

namespace {

class DesktopPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        user.WriteString(WindowMetricsKey, "Shell Icon Size", "48");
        ResetMainState();
        CreateProgramForms();
        ASSERT_NE(MainForm, nullptr);
        MainForm->bAnzeigeClick(MainForm);
    }
    void TearDown() override { FreeProgramForms(); }

    RegistrySandbox sandbox;
    TRegIniFile user{HKEY_CURRENT_USER, ""};
    DialogStub dialogs;
};

}  // namespace

TEST_F(DesktopPageTest, TheStoredSettingsAreReadIntoThePage)
{
    EXPECT_EQ(MainForm->seIcongroesse->Value(), 48);
    EXPECT_TRUE(MainForm->cGrosseIcons->Checked());
    EXPECT_EQ(MainForm->cbFarbanzahl->ItemCount(), static_cast<int>(ColorDepthNames(ScreenBits()).size()));
    EXPECT_EQ(MainForm->cbFarbanzahl->ItemIndex(), 0) << "no stored depth reads as 4 bits";
    EXPECT_EQ(MainForm->seIconzellenbreite->Value(), GetSystemMetrics(SM_CXICONSPACING));
    EXPECT_GE(MainForm->cbSchriftart->ItemIndex(), 0) << "the icon titles' font, or the one drawn in its place";
    EXPECT_EQ(MainForm->lBildDateiname->Caption(), "[Kein Hintergrundbild]");
    EXPECT_FALSE(MainForm->cBildanzeigen->Enabled());
    EXPECT_EQ(MainForm->iDesktop->Picture().Width(), GetSystemMetrics(SM_CXSCREEN)) << "the screen, shrunk";
    EXPECT_EQ(Toolsform->SystemImages.Count(), SystemIconCount) << "one picture per shell item, blank where none";
}

TEST_F(DesktopPageTest, EveryCheckBoxShowsItsWholeCaptionInsideItsGroup)
{
    for (TFlatCheckBox* box : {MainForm->cGrosseIcons, MainForm->cShortcutOverlays, MainForm->cFett,
                               MainForm->cKursiv, MainForm->cDurchgestrichen, MainForm->cUnterstrichen,
                               MainForm->cBildanzeigen}) {
        TBitmap measure(1, 1);
        measure.Canvas().Font().Assign(box->Font());
        // The caption starts 16 pixels in, after the box, and keeps one pixel to the right.
        const int needed = 16 + measure.Canvas().TextWidth(box->Caption()) + 1;
        EXPECT_GE(box->Width(), needed) << box->Caption();
        EXPECT_LE(box->Left() + box->Width(), box->Parent()->Width() - 2) << box->Caption() << " leaves its group";
    }
}

TEST_F(DesktopPageTest, LargeIconsGoBackToTheRememberedSize)
{
    // Ticking by code runs the box's click as the user's does (hover makes real clicks fragile here).
    auto toggle = [] { MainForm->cGrosseIcons->SetChecked(!MainForm->cGrosseIcons->Checked()); };
    toggle();
    EXPECT_FALSE(MainForm->cGrosseIcons->Checked());
    EXPECT_EQ(MainForm->seIcongroesse->Value(), 32) << "48 remembered: unticking gives 32";

    MainForm->seIcongroesse->SetValue(40);
    MainForm->seIcongroesseChosen(MainForm->seIcongroesse);
    toggle();
    EXPECT_EQ(MainForm->seIcongroesse->Value(), 48);
    toggle();
    EXPECT_EQ(MainForm->seIcongroesse->Value(), 40) << "the size chosen before";
    MainForm->seIcongroesse->SetValue(48);
    EXPECT_TRUE(MainForm->cGrosseIcons->Checked()) << "the box follows the size";
}

TEST_F(DesktopPageTest, StandardWritesNothingAndApplyingWritesEverything)
{
    MainForm->VantuButton2Click(MainForm);
    EXPECT_EQ(MainForm->seIcongroesse->Value(), 32);
    EXPECT_EQ(MainForm->seIconzellenbreite->Value(), 99);
    EXPECT_EQ(MainForm->seIconzellenhoehe->Value(), 75);
    EXPECT_EQ(MainForm->seGroesse->Value(), 8);
    EXPECT_TRUE(MainForm->cShortcutOverlays->Checked());
    EXPECT_EQ(MainForm->cbFarbanzahl->ItemIndex(), MainForm->cbFarbanzahl->ItemCount() - 1);
    EXPECT_EQ(user.ReadString(WindowMetricsKey, "Shell Icon Size", ""), "48") << "nothing written yet";

    // Only the font changes; "Übernehmen" still writes every setting.
    MainForm->cFett->SetChecked(true);
    MainForm->bUebernehmenClick(MainForm);
    EXPECT_EQ(user.ReadString(WindowMetricsKey, "Shell Icon Size", ""), "32");
    EXPECT_EQ(user.ReadString(WindowMetricsKey, "Shell Icon BPP", ""),
              std::to_string(ColorDepthBits(MainForm->cbFarbanzahl->ItemIndex())));
    EXPECT_FALSE(user.ReadString(ColorsKey, "Background", "").empty());
    bool exists = false;
    ReadRegString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", &exists);
    EXPECT_TRUE(exists);
    ASSERT_EQ(dialogs.messages.size(), 1u) << "the depth changed from 4 bits";
    EXPECT_EQ(dialogs.messages[0].text, "Bitte starten Sie das System neu!");

    // "Zurücksetzen" reads back what was applied.
    MainForm->seIcongroesse->SetValue(64);
    MainForm->bZuruecksetzenClick(MainForm);
    EXPECT_EQ(MainForm->seIcongroesse->Value(), 32);
    EXPECT_TRUE(MainForm->cFett->Checked());
}

TEST_F(DesktopPageTest, ApplyingWithNothingChangedWritesBackWhatWasRead)
{
    LOGFONTW original = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof original, &original, 0));
    // A face the font box does not list, with a height and character set of its own.
    LOGFONTW odd = original;
    lstrcpyW(odd.lfFaceName, L"MS Shell Dlg");
    odd.lfHeight = -11;
    odd.lfWeight = FW_NORMAL;
    odd.lfCharSet = ANSI_CHARSET;
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof odd, &odd, 0));
    LOGFONTW expected = {};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof expected, &expected, 0);
    user.WriteString(WindowMetricsKey, "Shell Icon Size", "100");   // beyond the box's 80
    user.WriteString(DesktopKey, "Wallpaper", "C:\\nicht mehr da\\alt.bmp");

    MainForm->bZuruecksetzenClick(MainForm);
    ASSERT_EQ(MainForm->seIcongroesse->Value(), 80);
    MainForm->bUebernehmenClick(MainForm);

    LOGFONTW after = {};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof after, &after, 0);
    char face[2 * LF_FACESIZE] = {};
    WideCharToMultiByte(CP_ACP, 0, after.lfFaceName, -1, face, sizeof face, nullptr, nullptr);
    EXPECT_STREQ(face, "MS Shell Dlg");
    EXPECT_EQ(after.lfHeight, expected.lfHeight);
    EXPECT_EQ(after.lfCharSet, expected.lfCharSet);
    EXPECT_EQ(after.lfWeight, expected.lfWeight);
    EXPECT_EQ(user.ReadString(WindowMetricsKey, "Shell Icon Size", ""), "100");
    EXPECT_EQ(user.ReadString(DesktopKey, "Wallpaper", ""), "C:\\nicht mehr da\\alt.bmp")
        << "a wallpaper that is gone is no reason to refuse";
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.size() << " messages, first: "
                                          << (dialogs.messages.empty() ? "" : dialogs.messages[0].text);

    // A choice the user makes is written.
    MainForm->cFett->SetChecked(true);
    MainForm->bUebernehmenClick(MainForm);
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof after, &after, 0);
    EXPECT_EQ(after.lfWeight, FW_BOLD);
    EXPECT_EQ(after.lfHeight, expected.lfHeight) << "the height was not touched";
    SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof original, &original, 0);
}
