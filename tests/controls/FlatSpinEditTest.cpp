// The flat integer spin edit: limits, the keys it refuses, stepping by keys, by its arrows and by
// holding an arrow, writing the clamped value back on leaving, and the layout of its arrows.
#include <windows.h>

#include "FlatSpinEdit.h"
#include "FlatTestForm.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SpinOnForm {
    SpinOnForm()
    {
        spin = f.Add<TFlatSpinEditInteger>(10, 10, 80, 21);
        other = f.Add<TFlatEdit>(10, 50, 80, 21);
        spin->OnChange = [this](TComponent*) { ++changes; };
        f.form->Handle();
        changes = 0;
    }
    void Key(WORD key) { SendMessageA(spin->Handle(), WM_KEYDOWN, key, 0); }
    void Type(char key) { SendMessageA(spin->Handle(), WM_CHAR, static_cast<BYTE>(key), 0); }
    // Mouse messages to the spin button over its up (or down) arrow, the pointer going there too:
    // the moves the system makes itself while the button holds the mouse come from where it is.
    void ArrowMessage(UINT msg, bool up, WPARAM keys = 0)
    {
        TTimerSpeedButton* arrow = up ? spin->Button()->UpButton() : spin->Button()->DownButton();
        const POINT at = {arrow->Left() + 5, arrow->Top() + 3};
        POINT screen = at;
        ClientToScreen(spin->Button()->Handle(), &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(spin->Button()->Handle(), msg, keys, MAKELPARAM(at.x, at.y));
    }

    FlatTestForm f{120, 90, clWhite};
    TFlatSpinEditInteger* spin;
    TFlatEdit* other;
    int changes = 0;
};

}  // namespace

TEST(FlatSpinEdit, ValueIsClampedToTheLimits)
{
    const struct {
        int min, max, written;
        const char* shown;
    } cases[] = {
        {0, 0, -12345, "-12345"}, {0, 0, 99999, "99999"}, {5, 5, 1, "1"},
        {10, 80, 5, "10"},        {10, 80, 90, "80"},     {10, 80, 42, "42"},
        // Crossed limits: below the minimum is the minimum, anything else above the maximum the maximum.
        {50, 20, 10, "50"},       {50, 20, 30, "50"},     {50, 20, 60, "20"},
    };
    SpinOnForm s;
    for (const auto& c : cases) {
        s.spin->SetMinValue(c.min);
        s.spin->SetMaxValue(c.max);
        s.spin->SetValue(c.written);
        EXPECT_EQ(s.spin->Text(), c.shown) << c.written << " within " << c.min << ".." << c.max;
    }
}

TEST(FlatSpinEdit, TextThatIsNoNumberReadsAsTheMinimum)
{
    SpinOnForm s;
    s.spin->SetMinValue(3);
    s.spin->SetMaxValue(9);
    for (const char* text : {"", "abc", "12x", "-", "99999999999", "$", "$1G", "0x", "$100000000", "1A"}) {
        s.spin->SetText(text);
        EXPECT_EQ(s.spin->Value(), 3) << "\"" << text << "\"";
    }
    // The library's rule reads hexadecimal after "$" or "0x" too.
    const struct {
        const char* text;
        int value;
    } numbers[] = {{" -7", -7}, {"$1A", 26}, {"$ff", 255}, {"-$10", -16}, {"0x7F", 127}, {"$FFFFFFFF", -1}};
    for (const auto& n : numbers) {
        s.spin->SetText(n.text);
        EXPECT_EQ(s.spin->Value(), n.value) << "\"" << n.text << "\"";
    }
}

// Pressing an arrow takes the focus to the focus control when that is a tab stop; otherwise the
// spin button takes it, when it is a tab stop itself.
TEST(FlatSpinEdit, ArrowsFocusTheEditOrElseTheSpinButton)
{
    FlatTestForm f(120, 90, clWhite);
    auto* edit = f.Add<TFlatEdit>(10, 50, 80, 21);
    auto* button = f.Add<TSpinButton>(10, 10, 22, 10);
    ASSERT_TRUE(f.ShowActive()) << "the form is not shown active under the pointer";
    auto press = [&] {
        TTimerSpeedButton* up = button->UpButton();
        SendMessageA(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(up->Left() + 5, up->Top() + 3));
        SendMessageA(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(up->Left() + 5, up->Top() + 3));
    };
    auto tabStop = [](TWinControl* control, bool on) {
        LONG style = GetWindowLongA(control->Handle(), GWL_STYLE);
        SetWindowLongA(control->Handle(), GWL_STYLE, on ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    };
    button->SetFocusControl(edit);
    tabStop(button, true);
    press();
    EXPECT_EQ(GetFocus(), edit->Handle()) << "the focus control, a tab stop";
    tabStop(edit, false);
    press();
    EXPECT_EQ(GetFocus(), button->Handle()) << "not a tab stop: the spin button itself";
}

TEST(FlatSpinEdit, LeavingWritesTheClampedValueBack)
{
    SpinOnForm s;
    ASSERT_TRUE(s.f.ShowActive()) << "the form is not shown active under the pointer";
    s.spin->SetMinValue(10);
    s.spin->SetMaxValue(80);
    s.spin->SetFocus();
    s.spin->SetText("200");
    s.other->SetFocus();
    EXPECT_EQ(s.spin->Text(), "80");

    s.spin->SetFocus();
    s.spin->SetText("abc");
    s.other->SetFocus();
    EXPECT_EQ(s.spin->Text(), "abc") << "a text that is no number stays";
}

TEST(FlatSpinEdit, UpAndDownKeysStep)
{
    SpinOnForm s;
    s.spin->SetMaxValue(12);
    s.spin->SetIncrement(5);
    s.spin->SetValue(0);
    s.changes = 0;
    s.Key(VK_UP);
    EXPECT_EQ(s.spin->Text(), "5");
    s.Key(VK_UP);
    s.Key(VK_UP);
    EXPECT_EQ(s.spin->Text(), "12") << "stops at the maximum";
    EXPECT_EQ(s.changes, 3);
    s.Key(VK_UP);
    EXPECT_EQ(s.changes, 3) << "at the maximum the text does not change, nor fires OnChange";
    s.Key(VK_DOWN);
    EXPECT_EQ(s.spin->Text(), "7");

    s.spin->SetReadOnly(true);
    s.Key(VK_DOWN);
    EXPECT_EQ(s.spin->Text(), "7") << "read-only";
}

TEST(FlatSpinEdit, RefusedKeys)
{
    SpinOnForm s;
    const struct {
        char key;
        bool editable, disabled;
    } cases[] = {
        {'5', true, false}, {'-', true, false}, {'+', true, false}, {'a', false, false},
        {'\r', false, false}, {'\b', true, false}, {'\x1b', true, true}, {' ', false, false},
    };
    for (const auto& c : cases) {
        s.spin->SetEditorEnabled(true);
        EXPECT_EQ(s.spin->AcceptsKey(c.key), c.editable) << "key " << int(c.key) << " with the editor";
        s.spin->SetEditorEnabled(false);
        EXPECT_EQ(s.spin->AcceptsKey(c.key), c.disabled) << "key " << int(c.key) << " without the editor";
    }
}

TEST(FlatSpinEdit, TypedLettersAndPastesWithoutTheEditorDoNotArrive)
{
    SpinOnForm s;
    s.spin->SetValue(4);
    SendMessageA(s.spin->Handle(), EM_SETSEL, 1, 1);
    s.Type('a');
    EXPECT_EQ(s.spin->Text(), "4") << "a letter";
    s.Type('2');
    EXPECT_EQ(s.spin->Text(), "42") << "a digit";

    s.spin->SetEditorEnabled(false);
    s.Type('1');
    s.Type('\b');
    EXPECT_EQ(s.spin->Text(), "42") << "digit and backspace without the editor";
    s.other->SetText("7");
    SendMessageA(s.other->Handle(), EM_SETSEL, 0, -1);
    SendMessageA(s.other->Handle(), WM_COPY, 0, 0);
    SendMessageA(s.spin->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(s.spin->Text(), "42") << "paste without the editor";
    s.Key(VK_UP);
    EXPECT_EQ(s.spin->Text(), "43") << "the Up key still steps";
}

TEST(FlatSpinEdit, ArrowsStepAndRepeatWhileHeld)
{
    SpinOnForm s;
    // Shown under the pointer: a hidden window's place differs from what the system reports.
    ASSERT_TRUE(s.f.ShowActive());
    s.spin->SetValue(0);
    s.ArrowMessage(WM_MOUSEMOVE, true);
    s.ArrowMessage(WM_LBUTTONDOWN, true, MK_LBUTTON);
    s.ArrowMessage(WM_LBUTTONUP, true);
    EXPECT_EQ(s.spin->Value(), 1) << "a short click steps once";
    s.ArrowMessage(WM_MOUSEMOVE, false);
    s.ArrowMessage(WM_LBUTTONDOWN, false, MK_LBUTTON);
    s.ArrowMessage(WM_LBUTTONUP, false);
    EXPECT_EQ(s.spin->Value(), 0) << "down again";

    s.ArrowMessage(WM_MOUSEMOVE, true);
    s.ArrowMessage(WM_LBUTTONDOWN, true, MK_LBUTTON);
    PumpMessages(250);
    EXPECT_EQ(s.spin->Value(), 0) << "no repeat before 400 ms";
    // Repeats come from a timer: a busy machine may deliver them late.
    PumpMessagesUntil([&] { return s.spin->Value() >= 3; }, 5000);
    int held = s.spin->Value();
    EXPECT_GE(held, 3) << "repeats while held";
    s.ArrowMessage(WM_LBUTTONUP, true);
    EXPECT_EQ(s.spin->Value(), held + 1) << "and steps once more on release";
    PumpMessages(300);
    EXPECT_EQ(s.spin->Value(), held + 1) << "no repeat after the release";
}

TEST(FlatSpinEdit, ArrowsSitBesideTheTextAndKeepTheMinimumHeight)
{
    SpinOnForm s;
    TSpinButton* button = s.spin->Button();
    EXPECT_EQ(button->Left(), s.spin->Width() - button->Width() - 5);
    EXPECT_EQ(button->Height(), s.spin->Height() - 6);
    EXPECT_EQ(button->UpButton()->Left(), 0);
    EXPECT_EQ(button->DownButton()->Left(), 10);
    EXPECT_EQ(button->UpButton()->Width(), 11);
    EXPECT_EQ(button->DownButton()->Height(), button->Height());
    RECT text;
    SendMessageA(s.spin->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    EXPECT_LE(text.right, s.spin->ClientWidth() - button->Width() - 3) << "the text ends before the arrows";

    s.spin->SetHeight(5);
    EXPECT_EQ(s.spin->Height(), FontTextMetrics(s.spin->Font()).tmHeight + 7);
}
