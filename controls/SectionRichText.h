// TSectionRichText: the hidden rich edit through which the section list box reads and draws its
// rich-text sub-items ("{\rtf..."); a child window of the list, gone with the list's window.
#pragma once

#include <windows.h>

#include "Graphics.h"

#include <string>

class TSectionRichText {
public:
    // Made with the list's window; without a rich edit on the system, rich text reads as it stands.
    void Create(HWND parent);
    // Rich text as plain text; any other text unchanged.
    std::string PlainText(const std::string& s);
    // Draws rich text into `rect` on `background`; a selected row's text in white.
    void Draw(TCanvas& canvas, const std::string& rtf, const RECT& rect, bool selected, TColor background,
              bool wordWrap);

private:
    bool Load(const std::string& rtf);

    HWND edit_ = nullptr;
};
