// The flat controls' colours by role: each colour property reads back what was written and
// nothing else, and with UseAdvColors the lit colour is lightened from the face and the pressed
// and border colours darkened.
#include <windows.h>

#include "FlatButton.h"
#include "FlatCheckBox.h"
#include "FlatComboBox.h"
#include "FlatEdit.h"
#include "FlatGroupBox.h"
#include "FlatRadioButton.h"
#include "FlatSpeedButton.h"
#include "FlatTestForm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <typename T>
struct ColourProperty {
    const char* name;
    TColor (T::*get)() const;
    void (T::*set)(TColor);
};

// Writes a colour of its own through every setter, then reads every property back: a setter that
// lands in another property's slot shows up as two wrong names.
template <typename T>
std::string CrossTalk(const std::vector<ColourProperty<T>>& properties)
{
    FlatTestForm f;
    T* control = f.Add<T>(10, 10, 80, 24);
    f.form->Handle();
    const auto written = [](size_t i) { return static_cast<TColor>(0x102030 + 0x010101 * static_cast<TColor>(i)); };
    for (size_t i = 0; i < properties.size(); ++i)
        (control->*properties[i].set)(written(i));
    std::string wrong;
    for (size_t i = 0; i < properties.size(); ++i) {
        TColor read = (control->*properties[i].get)();
        if (read != written(i))
            wrong += std::string(wrong.empty() ? "" : ", ") + properties[i].name + " " + Hex(read);
    }
    return wrong;
}

TEST(FlatColors, EveryColourPropertyKeepsItsOwnValue)
{
    EXPECT_EQ(CrossTalk<TFlatCheckBox>({{"ColorFocused", &TFlatCheckBox::ColorFocused, &TFlatCheckBox::SetColorFocused},
                                        {"ColorDown", &TFlatCheckBox::ColorDown, &TFlatCheckBox::SetColorDown},
                                        {"ColorBorder", &TFlatCheckBox::ColorBorder, &TFlatCheckBox::SetColorBorder},
                                        {"ColorCheck", &TFlatCheckBox::ColorCheck, &TFlatCheckBox::SetColorCheck}}),
              "")
        << "check box";
    EXPECT_EQ(CrossTalk<TFlatRadioButton>({{"ColorFocused", &TFlatRadioButton::ColorFocused, &TFlatRadioButton::SetColorFocused},
                                           {"ColorDown", &TFlatRadioButton::ColorDown, &TFlatRadioButton::SetColorDown},
                                           {"ColorBorder", &TFlatRadioButton::ColorBorder, &TFlatRadioButton::SetColorBorder},
                                           {"ColorDot", &TFlatRadioButton::ColorDot, &TFlatRadioButton::SetColorDot}}),
              "")
        << "radio button";
    EXPECT_EQ(CrossTalk<TFlatSpeedButton>(
                  {{"ColorFocused", &TFlatSpeedButton::ColorFocused, &TFlatSpeedButton::SetColorFocused},
                   {"ColorDown", &TFlatSpeedButton::ColorDown, &TFlatSpeedButton::SetColorDown},
                   {"ColorBorder", &TFlatSpeedButton::ColorBorder, &TFlatSpeedButton::SetColorBorder},
                   {"ColorHighLight", &TFlatSpeedButton::ColorHighLight, &TFlatSpeedButton::SetColorHighLight},
                   {"ColorShadow", &TFlatSpeedButton::ColorShadow, &TFlatSpeedButton::SetColorShadow}}),
              "")
        << "speed button";
    EXPECT_EQ(CrossTalk<TFlatButton>({{"ColorFocused", &TFlatButton::ColorFocused, &TFlatButton::SetColorFocused},
                                      {"ColorDown", &TFlatButton::ColorDown, &TFlatButton::SetColorDown},
                                      {"ColorBorder", &TFlatButton::ColorBorder, &TFlatButton::SetColorBorder},
                                      {"ColorHighLight", &TFlatButton::ColorHighLight, &TFlatButton::SetColorHighLight},
                                      {"ColorShadow", &TFlatButton::ColorShadow, &TFlatButton::SetColorShadow}}),
              "")
        << "push button";
    EXPECT_EQ(CrossTalk<TFlatEdit>({{"ColorFocused", &TFlatEdit::ColorFocused, &TFlatEdit::SetColorFocused},
                                    {"ColorBorder", &TFlatEdit::ColorBorder, &TFlatEdit::SetColorBorder},
                                    {"ColorFlat", &TFlatEdit::ColorFlat, &TFlatEdit::SetColorFlat}}),
              "")
        << "edit";
    EXPECT_EQ(CrossTalk<TFlatComboBox>(
                  {{"ColorArrow", &TFlatComboBox::ColorArrow, &TFlatComboBox::SetColorArrow},
                   {"ColorArrowBackground", &TFlatComboBox::ColorArrowBackground, &TFlatComboBox::SetColorArrowBackground},
                   {"ColorBorder", &TFlatComboBox::ColorBorder, &TFlatComboBox::SetColorBorder}}),
              "")
        << "combo box";
}

TEST(FlatColors, AdvColorsShiftTheFaceColourByRole)
{
    constexpr TColor Face = 0x6080A0;
    FlatTestForm f(200, 120, Face);
    auto* box = f.Add<TFlatCheckBox>(10, 10, 80, 17);
    auto* button = f.Add<TFlatSpeedButton>(10, 40, 25, 25);
    auto* edit = f.Add<TFlatEdit>(10, 80, 80, 19);
    f.form->Handle();
    box->SetAdvColorDown(30);
    button->SetAdvColorBorder(20);
    edit->SetAdvColorFocused(40);
    box->SetUseAdvColors(true);
    button->SetUseAdvColors(true);
    edit->SetUseAdvColors(true);

    const struct {
        const char* what;
        TColor actual;
        TColor expected;
    } cases[] = {
        {"check box lit", box->ColorFocused(), ComputeAdvColor(Face, 0, AdvColorFocusedDefault, false)},
        {"check box pressed", box->ColorDown(), ComputeAdvColor(Face, 0, 30, true)},
        {"check box border", box->ColorBorder(), ComputeAdvColor(Face, 0, AdvColorBorderDefault, true)},
        {"speed button lit", button->ColorFocused(), ComputeAdvColor(Face, 0, AdvColorFocusedDefault, false)},
        {"speed button pressed", button->ColorDown(), ComputeAdvColor(Face, 0, AdvColorDownDefault, true)},
        {"speed button border", button->ColorBorder(), ComputeAdvColor(Face, 0, 20, true)},
        {"edit lit", edit->ColorFocused(), ComputeAdvColor(Face, 0, 40, false)},
        {"edit border", edit->ColorBorder(), ComputeAdvColor(Face, 0, AdvColorBorderDefault, true)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hex(c.actual), Hex(c.expected)) << c.what;
    EXPECT_EQ(box->ColorCheck(), FlatMarkColor) << "the mark is no derived colour: " << Hex(box->ColorCheck());
    EXPECT_EQ(button->ColorHighLight(), FlatHighlightColor) << Hex(button->ColorHighLight());
    EXPECT_EQ(box->AdvColorDown(), 30);
    EXPECT_EQ(button->AdvColorFocused(), AdvColorFocusedDefault);
}

// Ceasing to follow the parent's colour, a control keeps the colour it showed.
TEST(FlatColors, SwitchedOffTheParentsColourStays)
{
    constexpr TColor Face = 0x6080A0;
    FlatTestForm f(200, 120, Face);
    auto* box = f.Add<TFlatCheckBox>(10, 10, 80, 17);
    auto* button = f.Add<TFlatSpeedButton>(10, 40, 25, 25);
    auto* group = f.Add<TFlatGroupBox>(100, 10, 80, 80);
    f.form->Handle();
    box->SetUseAdvColors(true);
    box->SetUseAdvColors(false);
    group->SetUseAdvColors(true);
    group->SetUseAdvColors(false);
    button->SetParentColor(false);
    EXPECT_EQ(Hex(box->Color()), Hex(Face)) << "check box after UseAdvColors";
    EXPECT_EQ(Hex(group->Color()), Hex(Face)) << "group box after UseAdvColors";
    EXPECT_EQ(Hex(button->Color()), Hex(Face)) << "speed button after ParentColor";
    EXPECT_EQ(Hex(FlatTestForm::Shot(*box)->PixelColor(6, 8)), Hex(Face)) << "the box's face as shown";
}

}  // namespace
