// The about box: its shaped, centred window and controls, the version line of each program, the
// application icon, how its two buttons end the modal loop, and where its links lead.
#include <windows.h>

#include "DialogStub.h"
#include "Icon.h"
#include "IconInfo.h"
#include "Info.h"
#include "Main.h"
#include "MouseInput.h"
#include "ProgramForms.h"
#include "SkinChecks.h"
#include "Startup.h"
#include "TransparentKey.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int PanelRight = 205;   // the skin's panel border

// An about box over its own copies of the program's button strips.
class InfoFormTest : public testing::Test {
public:   // the modal loop's timer clicks through the fixture
    void SetUp() override
    {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        standard.LoadStripFromResource(instance, "ILBUTTONSSTANDARD", TransparentKeyColor);
        klein.LoadStripFromResource(instance, "ILBUTTONSRUND_KLEIN", TransparentKeyColor);
        kleinGlyphs.LoadStripFromResource(instance, "ILBUTTONSRUND_KLEIN_GLYPHS", TransparentKeyColor);
        form = MakeForm(ManagerVersionText);
    }

    std::unique_ptr<TInfoForm> MakeForm(const std::string& version)
    {
        auto made = std::make_unique<TInfoForm>(nullptr, TInfoFormSkin{&standard, &klein, &kleinGlyphs}, version);
        made->DoCreate();
        return made;
    }

    // A click as the mouse makes it, at the centre of a control of the box.
    void Click(TControl* control) { ClickControl(control); }

    TImageList standard{60, 80};
    TImageList klein{21, 110};
    TImageList kleinGlyphs{13, 13};
    DialogStub dialogs;
    std::unique_ptr<TInfoForm> form;
};

// The modal loop under test, and what the timer does inside it.
InfoFormTest* modalTest = nullptr;
TControl* modalTarget = nullptr;
int modalTicks = 0;
bool sawModalBox = false;

// First tick: the user's click on the target. Should the loop still run long after, it is ended
// with mrAbort so that a failing test does not hang.
void CALLBACK ClickInsideModalLoop(HWND, UINT, UINT_PTR, DWORD)
{
    TInfoForm* box = modalTest->form.get();
    if (!box->Modal())
        return;
    if (++modalTicks == 1) {
        sawModalBox = box->Visible() && IsWindowVisible(box->Handle());
        modalTest->Click(modalTarget);
    } else if (modalTicks > 40)
        box->SetModalResult(mrAbort);
}

}  // namespace

TEST_F(InfoFormTest, IsABorderlessCentredBoxShapedByItsStoredRegion)
{
    HWND window = form->Handle();
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME)) << std::hex << style;
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 211);
    EXPECT_EQ(client.bottom, 199);
    EXPECT_EQ(form->iHintergrund->Picture().Width(), 211);
    EXPECT_EQ(form->iHintergrund->Picture().Height(), 199);

    EXPECT_EQ(RegionMismatch(window, "TINFOFORM_MASK2"), "");

    form->Show();
    RECT placed;
    GetWindowRect(window, &placed);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(placed.left, (screenWidth - 211) / 2, 1) << "screen " << screenWidth;
    EXPECT_NEAR(placed.top, (screenHeight - 199) / 2, 1) << "screen " << screenHeight;
    form->Hide();
}

TEST_F(InfoFormTest, ControlsSitWhereTheBoxPutsThem)
{
    const struct {
        TControl* control;
        int left, top;
        const char* caption;
    } cases[] = {
        {form->iIcon, 12, 30, ""},
        {form->lProgramm, 52, 32, "Quillandora! Ostrane"},
        {form->lVersion, 52, 46, "Version 6.0"},
        {form->lGrafiker2, 52, 74, nullptr},
        {form->Label1, 52, 88, nullptr},
        {form->leMail2, 52, 114, "info@quillandora.example"},
        {form->lWeb2, 52, 128, "quillandora.example"},
        {form->bOK, 110, 170, "OK"},
        {form->bBeenden, 190, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.control->Left(), c.left) << c.control->Name();
        EXPECT_EQ(c.control->Top(), c.top) << c.control->Name();
        if (c.caption)
            EXPECT_EQ(c.control->Caption(), c.caption) << c.control->Name();
        else
            EXPECT_FALSE(c.control->Caption().empty()) << c.control->Name();
        // Everything fits inside the box, the texts inside its panel.
        int right = c.control == form->bBeenden ? 211 : PanelRight;
        EXPECT_LE(c.control->Left() + c.control->Width(), right) << c.control->Name() << " width " << c.control->Width();
        EXPECT_LE(c.control->Top() + c.control->Height(), 199) << c.control->Name() << " height " << c.control->Height();
    }
    EXPECT_TRUE(form->lProgramm->Font().Style() & fsBold);
    EXPECT_EQ(form->iIcon->Width(), 32);
    EXPECT_EQ(form->iIcon->Height(), 32);
    EXPECT_EQ(form->bBeenden->Width(), 21);
    EXPECT_EQ(form->bBeenden->Height(), 22);
    EXPECT_EQ(form->bBeenden->Hint(), "Beenden");
    EXPECT_EQ(form->bBeenden->ImageList(), &klein);
    EXPECT_EQ(form->bBeenden->GlyphImageList(), &kleinGlyphs);
    EXPECT_EQ(form->bOK->ImageList(), &standard);
    EXPECT_EQ(form->bOK->Alignment(), taCenter);
    EXPECT_EQ(form->bOK->TextDistance(), 5);
    EXPECT_EQ(form->bOK->Height(), 20) << "one row of the strip";
}

TEST_F(InfoFormTest, EachProgramShowsItsOwnVersion)
{
    EXPECT_EQ(form->lVersion->Caption(), "Version 6.0");
    auto editorBox = MakeForm(EditorVersionText);
    EXPECT_EQ(editorBox->lVersion->Caption(), "Version 6.0, Editor Version 1.0");
    // The longer line wraps inside the panel, above the next line.
    TLabel* line = editorBox->lVersion;
    EXPECT_LE(line->Left() + line->Width(), PanelRight) << "width " << line->Width();
    EXPECT_LE(line->Top() + line->Height(), editorBox->lGrafiker2->Top()) << "height " << line->Height();
    form->SetVersion(EditorVersionText);
    EXPECT_EQ(form->lVersion->Caption(), EditorVersionText);
}

TEST_F(InfoFormTest, ShowsTheApplicationIcon)
{
    auto* icon = dynamic_cast<TIcon*>(form->iIcon->Picture().Graphic());
    ASSERT_NE(icon, nullptr) << "no icon in iIcon";
    EXPECT_NE(icon->Handle(), nullptr);
    EXPECT_NE(icon->Handle(), Application.Icon()) << "the picture owns a copy, not the application's icon";
    EXPECT_EQ(icon->Width(), 32);
    EXPECT_EQ(icon->Height(), 32);
}

TEST_F(InfoFormTest, OkAndTheCloseButtonEndTheModalLoopAlike)
{
    TModalResult results[2] = {};
    TControl* buttons[2] = {form->bOK, form->bBeenden};
    for (int i = 0; i < 2; ++i) {
        modalTest = this;
        modalTarget = buttons[i];
        modalTicks = 0;
        sawModalBox = false;
        UINT_PTR timer = SetTimer(nullptr, 0, 50, &ClickInsideModalLoop);
        results[i] = form->ShowModal();
        KillTimer(nullptr, timer);
        EXPECT_TRUE(sawModalBox) << buttons[i]->Name();
        EXPECT_NE(results[i], mrAbort) << buttons[i]->Name() << " did not end the loop";
        EXPECT_FALSE(form->Visible()) << buttons[i]->Name();
        EXPECT_FALSE(form->Modal()) << buttons[i]->Name();
    }
    EXPECT_EQ(results[0], results[1]) << "OK gave " << results[0] << ", the close button " << results[1];
    modalTest = nullptr;
}

TEST_F(InfoFormTest, LinksAskTheShellForMailAndWebPage)
{
    const struct {
        TLabel* TInfoForm::*label;
        const char* target;
    } cases[] = {{&TInfoForm::leMail2, "mailto:info@quillandora.example"},
                 {&TInfoForm::lWeb2, "https://quillandora.example/"}};
    for (const auto& c : cases) {
        TLabel* label = form.get()->*c.label;
        EXPECT_EQ(label->Cursor(), crHandPoint) << label->Name();
        dialogs.shellCalls.clear();
        Click(label);
        ASSERT_EQ(dialogs.shellCalls.size(), 1u) << label->Name();
        const auto& call = dialogs.shellCalls[0];
        EXPECT_EQ(call.verb, "Open") << label->Name();
        EXPECT_EQ(call.file, c.target) << label->Name();
        EXPECT_EQ(call.parameters, "") << label->Name();
        EXPECT_EQ(call.owner, nullptr) << label->Name();
        EXPECT_EQ(call.show, SW_SHOWNORMAL) << label->Name();
    }
    // The notice lines are plain text.
    dialogs.shellCalls.clear();
    Click(form->Label1);
    Click(form->lProgramm);
    EXPECT_TRUE(dialogs.shellCalls.empty()) << dialogs.shellCalls.size() << " calls";
}

TEST(InfoFormAtStart, MainProgramsBoxDrawsFromTheMainWindowsLists)
{
    CreateProgramForms();
    MainForm->NeedInfoForm();
    ASSERT_NE(InfoForm, nullptr);
    EXPECT_EQ(InfoForm->lVersion->Caption(), "Version 6.0");
    EXPECT_EQ(InfoForm->bOK->ImageList(), &MainForm->ilButtonsStandard);
    EXPECT_EQ(InfoForm->bBeenden->ImageList(), &MainForm->ilButtonsRund_Klein);
    EXPECT_EQ(InfoForm->bBeenden->GlyphImageList(), &MainForm->ilButtonsRund_Klein_Glyphs);
    EXPECT_NE(dynamic_cast<TIcon*>(InfoForm->iIcon->Picture().Graphic()), nullptr) << "FormCreate did not run";
    FreeProgramForms();
}
