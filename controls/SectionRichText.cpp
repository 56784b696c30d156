// The hidden rich edit behind the section list box's rich-text sub-items.
#include <windows.h>
#include <richedit.h>

#include "SectionRichText.h"

#include "SectionRows.h"

#include <algorithm>

namespace {

// Feeds a string to EM_STREAMIN.
struct TRichSource {
    const std::string* text;
    size_t position;
};

DWORD CALLBACK ReadRichSource(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given)
{
    try {
        auto* source = reinterpret_cast<TRichSource*>(cookie);
        size_t count = std::min(static_cast<size_t>(std::max<LONG>(wanted, 0)), source->text->size() - source->position);
        std::copy_n(source->text->data() + source->position, count, buffer);
        source->position += count;
        *given = static_cast<LONG>(count);
        return 0;
    } catch (...) {
        *given = 0;
        return 1;
    }
}

}  // namespace

void TSectionRichText::Create(HWND parent)
{
    static HMODULE richEditLibrary = LoadLibraryA("riched20.dll");
    edit_ = richEditLibrary ? CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_CHILD | ES_MULTILINE, 0, 0, 0, 0, parent,
                                              nullptr, GetModuleHandleA(nullptr), nullptr)
                            : nullptr;
}

bool TSectionRichText::Load(const std::string& rtf)
{
    if (!edit_ || !IsWindow(edit_))
        return false;
    TRichSource source = {&rtf, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadRichSource;
    SendMessageA(edit_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return true;
}

std::string TSectionRichText::PlainText(const std::string& s)
{
    if (!SectionRows::IsRichText(s) || !Load(s))
        return s;
    int length = GetWindowTextLengthA(edit_);
    std::string plain(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    plain.resize(static_cast<size_t>(GetWindowTextA(edit_, plain.data(), length + 1)));
    return plain;
}

void TSectionRichText::Draw(TCanvas& canvas, const std::string& rtf, const RECT& rect, bool selected,
                            TColor background, bool wordWrap)
{
    if (!Load(rtf))
        return;
    if (selected) {
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        format.dwMask = CFM_COLOR;
        format.crTextColor = RGB(255, 255, 255);
        SendMessageA(edit_, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    }
    SendMessageA(edit_, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToRGB(background)));
    HDC dc = canvas.Handle();
    int ppiX = std::max(GetDeviceCaps(dc, LOGPIXELSX), 1);
    int ppiY = std::max(GetDeviceCaps(dc, LOGPIXELSY), 1);
    FORMATRANGE range = {};
    range.hdc = dc;
    range.hdcTarget = dc;
    range.rc = {MulDiv(rect.left, 1440, ppiX), MulDiv(rect.top, 1440, ppiY), MulDiv(rect.right, 1440, ppiX),
                MulDiv(rect.bottom, 1440, ppiY)};
    range.rcPage = range.rc;
    range.chrg = {0, -1};
    LRESULT formatted = SendMessageA(edit_, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    SendMessageA(edit_, EM_FORMATRANGE, FALSE, 0);   // lets go of the cached format data
    if (formatted > 0 || GetWindowTextLengthA(edit_) == 0)
        return;
    // Rich edits that cannot format a range (Wine's) still show the text, plainly.
    std::string plain = PlainText(rtf);
    RECT area = rect;
    SetBkMode(dc, TRANSPARENT);
    if (selected)
        SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, plain.c_str(), static_cast<int>(plain.size()), &area, DT_NOPREFIX | (wordWrap ? DT_WORDBREAK : 0));
}
