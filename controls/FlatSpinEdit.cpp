// The flat integer spin edit: value and limits, stepping, the keys it takes and its layout.
#include <windows.h>

#include "FlatSpinEdit.h"

#include "SysUtils.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <string>

namespace {

// The library's string-to-integer rule: leading blanks, a sign, then decimal digits, or
// hexadecimal ones after "$" or "0x" (up to 8 of them, taken as a 32-bit pattern: "$FFFFFFFF" is
// -1), and nothing else.
bool ParseInteger(const std::string& text, int& value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    const int base = NumberBase(text, i);
    if (i == text.size())
        return false;
    long long number = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit = std::isdigit(c) ? c - '0' : base == 16 && std::isxdigit(c) ? std::toupper(c) - 'A' + 10 : -1;
        if (digit < 0)
            return false;
        number = number * base + digit;
        if (number > (base == 16 ? 0xFFFFFFFFLL : static_cast<long long>(INT_MAX) + 1))
            return false;
    }
    if (base == 16)
        number = static_cast<int32_t>(static_cast<uint32_t>(number));
    number = negative ? -number : number;
    if (number < INT_MIN || number > INT_MAX)
        return false;
    value = static_cast<int>(number);
    return true;
}

char DecimalSeparator()
{
    char separator[4] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator) > 1)
        return separator[0];
    return '.';
}

}  // namespace

TFlatSpinEditInteger::TFlatSpinEditInteger(TComponent* owner) : TCustomFlatEdit(owner)
{
    button_ = new TSpinButton(this);
    button_->SetBounds(0, 0, 22, 10);
    button_->SetVisible(true);
    button_->SetParent(this);
    button_->SetFocusControl(this);
    button_->OnUpClick = [this](TComponent* sender) { StepUp(sender); };
    button_->OnDownClick = [this](TComponent* sender) { StepDown(sender); };
    SetValue(0);
}

TFlatSpinEditInteger::~TFlatSpinEditInteger()
{
    // The children go with the window; nothing may reach the button on the way.
    button_ = nullptr;
}

int TFlatSpinEditInteger::Value() const
{
    int value = 0;
    return ParseInteger(GetText(), value) ? value : minValue_;
}

void TFlatSpinEditInteger::SetValue(int value)
{
    SetText(std::to_string(ClampValue(value)));
}

int TFlatSpinEditInteger::ClampValue(int value) const
{
    if (minValue_ == maxValue_)
        return value;
    if (value < minValue_)
        return minValue_;
    if (value > maxValue_)
        return maxValue_;
    return value;
}

bool TFlatSpinEditInteger::AcceptsKey(char key) const
{
    const auto code = static_cast<unsigned char>(key);
    bool valid = (key >= '0' && key <= '9') || key == '+' || key == '-' || key == DecimalSeparator() ||
                 (code < 32 && code != 13);
    if (!editorEnabled_ && valid && (code >= 32 || code == 8 || code == 46))
        valid = false;
    return valid;
}

void TFlatSpinEditInteger::Step(long long by)
{
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    // Stepping past the ends of int stops there rather than wrapping round.
    long long next = static_cast<long long>(Value()) + by;
    next = next < INT_MIN ? INT_MIN : next > INT_MAX ? INT_MAX : next;
    SetValue(static_cast<int>(next));
}

void TFlatSpinEditInteger::StepUp(TComponent*)
{
    Step(increment_);
}

void TFlatSpinEditInteger::StepDown(TComponent*)
{
    Step(-static_cast<long long>(increment_));
}

void TFlatSpinEditInteger::CreateParams(TCreateParams& params)
{
    TCustomFlatEdit::CreateParams(params);
    // Multi-line, so that the formatting rectangle can keep the text clear of the arrows.
    params.style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TFlatSpinEditInteger::CreateWnd()
{
    TCustomFlatEdit::CreateWnd();
    SetEditRect();
    PlaceButton();
}

void TFlatSpinEditInteger::Loaded()
{
    SetEditRect();
    PlaceButton();
    TCustomFlatEdit::Loaded();
}

void TFlatSpinEditInteger::SetEditRect()
{
    if (!HandleAllocated() || !button_)
        return;
    RECT r = {0, 0, ClientWidth() - button_->Width() - 3, ClientHeight()};
    SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TFlatSpinEditInteger::PlaceButton()
{
    if (button_)
        button_->SetBounds(Width() - button_->Width() - 5, 0, button_->Width(), Height() - 6);
}

LRESULT TFlatSpinEditInteger::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PASTE:
    case WM_CUT:
        if (!editorEnabled_ || ReadOnly())
            return 0;
        return TCustomFlatEdit::WndProc(msg, wParam, lParam);
    default:
        return TCustomFlatEdit::WndProc(msg, wParam, lParam);
    }
}

void TFlatSpinEditInteger::Resize()
{
    TCustomFlatEdit::Resize();
    const int minimum = FontTextMetrics(Font()).tmHeight + 7;
    if (Height() < minimum)
        SetHeight(minimum);
    else if (button_) {
        PlaceButton();
        SetEditRect();
    }
}

void TFlatSpinEditInteger::TextChanged()
{
    // A multi-line edit reports no change of its text by code (EN_CHANGE comes only for typing).
    if (HandleAllocated())
        Change();
    else
        TCustomFlatEdit::TextChanged();
}

void TFlatSpinEditInteger::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_UP)
        StepUp(this);
    else if (key == VK_DOWN)
        StepDown(this);
    TCustomFlatEdit::KeyDown(key, shift);
}

void TFlatSpinEditInteger::KeyPress(char& key)
{
    if (!AcceptsKey(key)) {
        key = 0;
        MessageBeep(0);
    }
    if (key)
        TCustomFlatEdit::KeyPress(key);
}

void TFlatSpinEditInteger::DoEnter()
{
    if (autoSelect_ && GetKeyState(VK_LBUTTON) >= 0)
        SelectAll();
    TCustomFlatEdit::DoEnter();
}

void TFlatSpinEditInteger::DoExit()
{
    TCustomFlatEdit::DoExit();
    int value = Value();
    if (ClampValue(value) != value)
        SetValue(value);
}
