// Alt and a caption's underlined letter on the flat controls, as the system sends it to the
// window with the focus: what each control does with it.
#include <windows.h>

#include "FlatButton.h"
#include "FlatCheckBox.h"
#include "FlatComboBox.h"
#include "FlatGroupBox.h"
#include "FlatRadioButton.h"
#include "FlatSpeedButton.h"
#include "FlatTestForm.h"

#include <gtest/gtest.h>

#include <string>

TEST(FlatAccelerators, EachControlActsAsItsKindDoes)
{
    FlatTestForm f(300, 200, clSilver);
    auto* check = f.Add<TFlatCheckBox>(10, 10, 120, 17);
    check->SetCaption("&Symbole");
    auto* radio = f.Add<TFlatRadioButton>(10, 30, 120, 17);
    radio->SetCaption("&Rund");
    auto* speed = f.Add<TFlatSpeedButton>(10, 60, 60, 25);
    speed->SetCaption("&Los");
    auto* grouped = f.Add<TFlatButton>(80, 60, 60, 25);
    grouped->SetCaption("&Knopf");
    grouped->SetGroupIndex(1);
    auto* single = f.Add<TFlatButton>(150, 60, 60, 25);
    single->SetCaption("&Ohne");
    auto* off = f.Add<TFlatCheckBox>(10, 100, 120, 17);
    off->SetCaption("&Aus");
    off->SetEnabled(false);
    auto* group = f.Add<TFlatGroupBox>(150, 90, 140, 100);
    group->SetCaption("&Gruppe");
    auto* inner = new TFlatCheckBox(group);
    inner->SetParent(group);
    inner->SetBounds(10, 30, 100, 17);
    inner->SetCaption("&Innen");
    std::string clicks;
    for (TControl* control : std::initializer_list<TControl*>{check, radio, speed, grouped, single, inner})
        control->OnClick = [&clicks, control](TComponent*) { clicks += control->Caption() + " "; };
    ASSERT_TRUE(f.ShowActive()) << "the form is not shown active under the pointer";

    auto alt = [&](char key) {
        HWND focus = GetFocus() ? GetFocus() : f.form->Handle();
        SendMessageA(focus, WM_SYSCHAR, static_cast<BYTE>(key), 1 << 29);
    };
    alt('s');
    EXPECT_EQ(GetFocus(), check->Handle()) << "the check box takes the focus";
    EXPECT_TRUE(check->Checked()) << "and toggles";
    alt('R');
    EXPECT_EQ(GetFocus(), radio->Handle()) << "the radio button takes the focus";
    EXPECT_FALSE(radio->Checked()) << "only that";
    alt('l');
    EXPECT_EQ(clicks, "&Symbole &Los ") << "the speed button clicks";
    alt('k');
    EXPECT_TRUE(grouped->Down()) << "a push button of a group goes down";
    alt('o');
    EXPECT_FALSE(single->Down());
    alt('i');
    EXPECT_TRUE(inner->Checked()) << "a control inside the group box";
    alt('g');
    EXPECT_EQ(GetFocus(), group->Handle()) << "the group box takes the focus";
    alt('a');
    EXPECT_FALSE(off->Checked()) << "a disabled control takes nothing";
    EXPECT_EQ(GetFocus(), group->Handle());
    EXPECT_EQ(clicks, "&Symbole &Los &Innen ");
}

// The edit field of a drop-down combo box is the system's own window: Alt and a letter typed in it
// reach the form's accelerators all the same.
TEST(FlatAccelerators, ReachTheFormFromAComboBoxEditField)
{
    FlatTestForm f(300, 120, clSilver);
    auto* combo = f.Add<TFlatComboBox>(10, 10, 120, 21);
    combo->SetStyle(csDropDown);
    combo->AddItem("Arial");
    auto* check = f.Add<TFlatCheckBox>(10, 50, 120, 17);
    check->SetCaption("&Symbole");
    ASSERT_TRUE(f.ShowActive()) << "the form is not shown active under the pointer";
    combo->SetFocus();
    HWND edit = GetFocus();
    ASSERT_NE(edit, combo->Handle()) << "the edit field has the focus";
    ASSERT_EQ(GetParent(edit), combo->Handle());
    SendMessageA(edit, WM_SYSCHAR, 's', 1 << 29);
    EXPECT_TRUE(check->Checked()) << "the accelerator of the check box";
    EXPECT_EQ(GetFocus(), check->Handle());
}
