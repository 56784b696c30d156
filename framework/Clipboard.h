// The clipboard: text in Windows-1252 and bitmaps, each access opening and closing it.
#pragma once

#include <windows.h>

#include <string>

class TBitmap;

class TClipboard {
public:
    // `owner` becomes the owner of what is put on the clipboard; nullptr uses a hidden window
    // of the clipboard object's own.
    explicit TClipboard(HWND owner = nullptr);
    ~TClipboard();
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;

    // Putting data replaces everything on the clipboard. Throws Exception when the clipboard
    // stays locked by another program or refuses the data.
    void SetText(const std::string& text);
    bool HasText() const;
    std::string GetText();   // "" when there is no text

    void SetBitmap(TBitmap& bitmap);   // as CF_DIB; the system offers CF_BITMAP from it
    bool HasBitmap() const;
    // False when the clipboard holds no bitmap; broken data raises EInvalidGraphic.
    bool GetBitmap(TBitmap& bitmap);

private:
    HWND Owner();

    HWND owner_;
    HWND ownWindow_ = nullptr;
};

// The process's clipboard object, made on first use.
TClipboard& Clipboard();
