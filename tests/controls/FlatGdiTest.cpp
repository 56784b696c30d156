// Every flat control, made, shown, painted in each look, hovered and freed again, leaves no GDI
// object behind.
#include <windows.h>

#include "../framework/GdiCount.h"
#include "FlatButton.h"
#include "FlatCheckBox.h"
#include "FlatComboBox.h"
#include "FlatEdit.h"
#include "FlatGroupBox.h"
#include "FlatPanel.h"
#include "FlatRadioButton.h"
#include "FlatSpeedButton.h"
#include "FlatSpinEdit.h"
#include "FlatTestForm.h"

#include <gtest/gtest.h>

namespace {

void Round()
{
    FlatTestForm f(300, 200, 0xE1EAEB);
    TBitmap glyph(16, 16);
    auto* speed = f.Add<TFlatSpeedButton>(5, 5, 40, 40);
    speed->SetGlyph(glyph);
    speed->SetCaption("Neu");
    auto* button = f.Add<TFlatButton>(50, 5, 40, 40);
    button->SetGlyph(glyph);
    button->SetTransparentMode(tmAlways);
    auto* box = f.Add<TFlatGroupBox>(95, 5, 100, 60);
    box->SetCaption("Anzeige");
    box->SetTransparent(true);
    auto* check = f.Add<TFlatCheckBox>(5, 70, 100, 17);
    check->SetCaption("Fett");
    check->SetChecked(true);
    auto* radio = f.Add<TFlatRadioButton>(5, 90, 100, 17);
    radio->SetChecked(true);
    auto* combo = f.Add<TFlatComboBox>(5, 110, 100, 21);
    combo->AddItem("Arial");
    auto* edit = f.Add<TFlatEdit>(5, 140, 100, 19);
    auto* spin = f.Add<TFlatSpinEditInteger>(110, 140, 60, 19);
    auto* panel = f.Add<TFlatPanel>(200, 70, 90, 40);
    panel->SetCaption("Vorschau");
    panel->SetTransparent(true);
    f.form->Show();
    for (bool enabled : {true, false}) {
        for (TControl* c : f.form->Controls())
            c->SetEnabled(enabled);
        f.form->Repaint();
        for (TWinControl* w : std::initializer_list<TWinControl*>{f.form.get(), box, check, radio, combo, edit, spin, panel})
            FlatTestForm::Shot(*w);
        PumpMessages();
    }
    f.Move(25, 25);
    f.Press(25, 25);
    f.Release(25, 25);
    SendMessageA(edit->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    edit->SetFocus();
    SendMessageA(spin->Handle(), WM_KEYDOWN, VK_UP, 0);
    PumpMessages();
}

}  // namespace

TEST(FlatControls, LeaveNoGdiObjectsBehind)
{
    Round();   // classes registered, fonts and stock objects cached
    long before = gdicount::LiveObjects();
    if (before < 0)
        GTEST_SKIP() << "no way to count GDI objects here";
    for (int i = 0; i < 3; ++i)
        Round();
    EXPECT_EQ(gdicount::LiveObjects(), before);
}
