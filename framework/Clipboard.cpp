// The clipboard object: each access opens the clipboard briefly and closes it on every path.
#include "Clipboard.h"

#include "Bitmap.h"
#include "BmpFormat.h"
#include "Exceptions.h"

#include <cstring>
#include <vector>

namespace {

// Another program may hold the clipboard for a moment: try for about a fifth of a second.
class ClipboardLock {
public:
    explicit ClipboardLock(HWND owner)
    {
        for (int attempt = 0; attempt < 10; ++attempt) {
            if (OpenClipboard(owner))
                return;
            Sleep(20);
        }
        throw Exception("Die Zwischenablage kann nicht geöffnet werden.");
    }
    ~ClipboardLock() { CloseClipboard(); }
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;
};

// Read access to a global memory block of the clipboard.
class GlobalView {
public:
    explicit GlobalView(HANDLE block)
        : block_(block), data_(block ? static_cast<const uint8_t*>(GlobalLock(block)) : nullptr),
          size_(data_ ? GlobalSize(block) : 0)
    {
    }
    ~GlobalView()
    {
        if (data_)
            GlobalUnlock(block_);
    }
    GlobalView(const GlobalView&) = delete;
    GlobalView& operator=(const GlobalView&) = delete;

    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    HANDLE block_;
    const uint8_t* data_;
    size_t size_;
};

// Hands a copy of `data` to the clipboard, which owns the block once it took it.
void PutData(UINT format, const void* data, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* target = block ? GlobalLock(block) : nullptr;
    if (!target) {
        if (block)
            GlobalFree(block);
        throw EOutOfResources("Für die Zwischenablage ist nicht genug Speicher frei.");
    }
    std::memcpy(target, data, size);
    GlobalUnlock(block);
    if (!SetClipboardData(format, block)) {
        GlobalFree(block);
        throw Exception("Die Zwischenablage hat die Daten nicht angenommen.");
    }
}

}  // namespace

TClipboard::TClipboard(HWND owner) : owner_(owner) {}

TClipboard::~TClipboard()
{
    if (ownWindow_)
        DestroyWindow(ownWindow_);
}

HWND TClipboard::Owner()
{
    // Data put with no owner window may be refused, so a hidden message-only window owns it.
    if (!owner_ && !ownWindow_)
        ownWindow_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
    return owner_ ? owner_ : ownWindow_;
}

void TClipboard::SetText(const std::string& text)
{
    ClipboardLock lock(Owner());
    EmptyClipboard();
    PutData(CF_TEXT, text.c_str(), text.size() + 1);
}

bool TClipboard::HasText() const
{
    return IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_UNICODETEXT);
}

std::string TClipboard::GetText()
{
    if (!HasText())
        return "";
    ClipboardLock lock(Owner());
    GlobalView view(GetClipboardData(CF_TEXT));
    if (!view.Data())
        return "";
    const char* text = reinterpret_cast<const char*>(view.Data());
    return std::string(text, strnlen(text, view.Size()));
}

void TClipboard::SetBitmap(TBitmap& bitmap)
{
    std::vector<uint8_t> dib = WritePackedDib(bitmap.ToDib());
    ClipboardLock lock(Owner());
    EmptyClipboard();
    PutData(CF_DIB, dib.data(), dib.size());
}

bool TClipboard::HasBitmap() const
{
    return IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB);
}

bool TClipboard::GetBitmap(TBitmap& bitmap)
{
    if (!HasBitmap())
        return false;
    ClipboardLock lock(Owner());
    if (IsClipboardFormatAvailable(CF_DIB)) {
        GlobalView view(GetClipboardData(CF_DIB));
        if (view.Data()) {
            bitmap.FromDib(ReadPackedDib(view.Data(), view.Size()));
            return true;
        }
    }
    // The clipboard keeps its bitmap: take a copy, which the bitmap then owns.
    auto shown = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    auto copy = shown ? static_cast<HBITMAP>(CopyImage(shown, IMAGE_BITMAP, 0, 0, 0)) : nullptr;
    if (!copy)
        return false;
    bitmap.SetHandle(copy);
    return true;
}

TClipboard& Clipboard()
{
    static TClipboard clipboard;
    return clipboard;
}
