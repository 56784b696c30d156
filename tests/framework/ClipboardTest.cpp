#include "Bitmap.h"
#include "Clipboard.h"
#include "Exceptions.h"
#include "ImageBytes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

TEST(Clipboard, TextRoundTripsInWindows1252)
{
    TClipboard& clipboard = Clipboard();
    const std::string text = "C:\\Programme\\Quillandora!\\Grüße\\äöü.ICO,5";
    clipboard.SetText(text);
    EXPECT_TRUE(clipboard.HasText());
    EXPECT_FALSE(clipboard.HasBitmap());
    EXPECT_EQ(clipboard.GetText(), text);

    // Another program reading Unicode sees the same characters.
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE wide = GetClipboardData(CF_UNICODETEXT);
    std::wstring seen = wide ? static_cast<const wchar_t*>(GlobalLock(wide)) : L"";
    if (wide)
        GlobalUnlock(wide);
    CloseClipboard();
    EXPECT_NE(seen.find(L"Gr\u00fc\u00dfe"), std::wstring::npos) << "Unicode text has " << seen.size() << " characters";
}

TEST(Clipboard, BitmapRoundTrips)
{
    TBitmap bitmap(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            bitmap.Canvas().SetPixel(x, y, RGB(x * 8, y * 8, 77));
    Clipboard().SetBitmap(bitmap);
    EXPECT_TRUE(Clipboard().HasBitmap());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP)) << "the editor's paste button watches CF_BITMAP";
    EXPECT_FALSE(Clipboard().HasText()) << "putting a bitmap replaced the text";

    TBitmap pasted;
    ASSERT_TRUE(Clipboard().GetBitmap(pasted));
    ASSERT_EQ(pasted.Width(), 32);
    ASSERT_EQ(pasted.Height(), 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(pasted.PixelColor(x, y), bitmap.PixelColor(x, y)) << "at " << x << "," << y;

    Clipboard().SetText("nur Text");
    TBitmap none(2, 2);
    EXPECT_FALSE(Clipboard().GetBitmap(none));
    EXPECT_EQ(none.Width(), 2);
}

TEST(Clipboard, TakesADeviceBitmapFromAnotherProgram)
{
    HBITMAP ddb = imagebytes::DeviceBitmap(4, 4, BLACKNESS, POINT{3, 0}, RGB(255, 0, 0));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, ddb);   // the clipboard owns it now
    CloseClipboard();
    TBitmap pasted;
    ASSERT_TRUE(Clipboard().GetBitmap(pasted));
    EXPECT_EQ(pasted.Width(), 4);
    EXPECT_EQ(pasted.PixelColor(3, 0), clRed);
    EXPECT_EQ(pasted.PixelColor(0, 3), clBlack);
}

TEST(Clipboard, ALockedClipboardFailsAfterRetryingAndIsFreeAgainLater)
{
    // Another thread's window holds the clipboard open for longer than we retry.
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        OpenClipboard(window);
        SetEvent(opened);
        WaitForSingleObject(release, 10000);
        CloseClipboard();
        DestroyWindow(window);
    });
    WaitForSingleObject(opened, 10000);
    DWORD start = GetTickCount();
    EXPECT_THROW(Clipboard().SetText("blockiert"), Exception);
    EXPECT_GE(GetTickCount() - start, 100u) << "it retried before giving up";
    SetEvent(release);
    holder.join();
    CloseHandle(opened);
    CloseHandle(release);

    Clipboard().SetText("frei");
    EXPECT_EQ(Clipboard().GetText(), "frei");
}
