// Context menus through IContextMenu(2), with a hidden window that hands owner-drawn menu messages
// to the shell so that its pictures and sub-menus work.
#include <windows.h>
#include <shlobj.h>

#include "ShellDialogs.h"

#include "ComPtr.h"
#include "Handles.h"
#include "PIDL.h"
#include "SysUtils.h"

#include <memory>

namespace {

constexpr UINT FirstCommand = 1;
constexpr UINT LastCommand = 0x7FFF;

LRESULT CALLBACK ShellDialogsWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_INITMENUPOPUP: {
        auto* menu = reinterpret_cast<IContextMenu2*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        // Made with its menu: a window without one has no business with menu messages.
        if (!menu)
            return DefWindowProcA(window, msg, wParam, lParam);
        menu->HandleMenuMsg(msg, wParam, lParam);
        return msg == WM_INITMENUPOPUP ? 0 : 1;
    }
    default:
        return DefWindowProcA(window, msg, wParam, lParam);
    }
}

HWND MakeCallbackWindow(IContextMenu2* menu)
{
    WNDCLASSA wc = {};
    wc.style = CS_PARENTDC;
    wc.lpfnWndProc = ShellDialogsWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ShellDialogsCallBack";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "ShellDialogsCallBackProcessor", WS_POPUP | WS_BORDER | WS_SYSMENU,
                           0, 0, 0, 0, nullptr, nullptr, wc.hInstance, menu);
}

struct WindowDeleter {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using TWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

ComPtr<IContextMenu> MenuOf(HWND owner, IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items)
{
    ComPtr<IContextMenu> menu;
    if (!folder || items.empty())
        return menu;
    std::vector<LPCITEMIDLIST> array(items);
    if (FAILED(folder->GetUIObjectOf(owner, static_cast<UINT>(array.size()), array.data(), IID_IContextMenu,
                                     nullptr, menu.put_void())))
        menu.reset();
    return menu;
}

ComPtr<IContextMenu2> Extended(IContextMenu* menu)
{
    ComPtr<IContextMenu2> extended;
    if (FAILED(menu->QueryInterface(IID_IContextMenu2, extended.put_void())))
        extended.reset();
    return extended;
}

CMINVOKECOMMANDINFO InvokeInfo(HWND owner)
{
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.nShow = SW_SHOWNORMAL;
    return info;
}

// One path as its folder and last item.
struct TPathItem {
    ItemIdList parent;
    ItemIdList item;
    ComPtr<IShellFolder> folder;
};

bool SplitPath(const std::string& path, TPathItem& out)
{
    ItemIdList whole = PathToPIDL(path);
    if (!whole)
        return false;
    SplitPIDL(whole.get(), out.parent, out.item);
    return out.item && BindToFolder(out.parent.get(), out.folder);
}

// The folder of `directory` and the files of it that parse, in order, each by its exact path.
bool ParseFiles(const std::string& directory, const std::vector<std::string>& files, ComPtr<IShellFolder>& folder,
                std::vector<ItemIdList>& items)
{
    if (files.empty())
        return false;
    ItemIdList list = PathToPIDL(directory);
    if (!list || !BindToFolder(list.get(), folder))
        return false;
    const std::string prefix = directory.empty() || directory.back() == '\\' ? directory : directory + '\\';
    for (const std::string& file : files) {
        ItemIdList parent, item;
        SplitPIDL(PathToPIDL(prefix + file).get(), parent, item);
        if (item)
            items.push_back(std::move(item));
    }
    return !items.empty();
}

std::vector<LPCITEMIDLIST> Pointers(const std::vector<ItemIdList>& items)
{
    std::vector<LPCITEMIDLIST> pointers;
    for (const ItemIdList& item : items)
        pointers.push_back(item.get());
    return pointers;
}

}  // namespace

void ShellContextMenu(HWND owner, POINT screenPos, IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items,
                      bool canRename, std::string& verb)
{
    verb.clear();
    const UINT flags = CMF_EXPLORE | (canRename ? CMF_CANRENAME : 0);
    MenuHandle popup(CreatePopupMenu());
    ComPtr<IContextMenu> menu = MenuOf(owner, folder, items);
    if (!popup || !menu)
        return;
    ComPtr<IContextMenu2> extended = Extended(menu.get());
    TWindow callback;
    if (extended) {
        extended->QueryContextMenu(popup.get(), 0, FirstCommand, LastCommand, flags);
        callback.reset(MakeCallbackWindow(extended.get()));
    } else {
        menu->QueryContextMenu(popup.get(), 0, FirstCommand, LastCommand, flags);
    }
    const UINT command = static_cast<UINT>(TrackPopupMenuEx(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPos.x,
                                                            screenPos.y, callback ? callback.get() : owner, nullptr));
    if (command == 0)
        return;
    char buffer[256] = {};
    if (SUCCEEDED(menu->GetCommandString(command - FirstCommand, GCS_VERBA, nullptr, buffer, 255)))
        verb = AnsiLowerCase(buffer);
    if (verb == "rename")
        return;
    CMINVOKECOMMANDINFO info = InvokeInfo(owner);
    info.lpVerb = MAKEINTRESOURCEA(command - FirstCommand);
    menu->InvokeCommand(&info);
}

void PathContextMenu(HWND owner, POINT screenPos, const std::string& path, bool canRename, std::string& verb)
{
    verb.clear();
    TPathItem item;
    if (SplitPath(path, item))
        ShellContextMenu(owner, screenPos, item.folder.get(), {item.item.get()}, canRename, verb);
}

void FilesContextMenu(HWND owner, POINT screenPos, const std::string& directory,
                      const std::vector<std::string>& files, std::string& verb)
{
    verb.clear();
    ComPtr<IShellFolder> folder;
    std::vector<ItemIdList> items;
    if (ParseFiles(directory, files, folder, items))
        ShellContextMenu(owner, screenPos, folder.get(), Pointers(items), false, verb);
}

bool ShellInvokeVerb(HWND owner, const std::string& verb, IShellFolder* folder,
                     const std::vector<LPCITEMIDLIST>& items)
{
    ComPtr<IContextMenu> menu = MenuOf(owner, folder, items);
    if (!menu)
        return false;
    ComPtr<IContextMenu2> extended = Extended(menu.get());
    CMINVOKECOMMANDINFO info = InvokeInfo(owner);
    if (!verb.empty()) {
        info.lpVerb = verb.c_str();
    } else {
        UINT defaultCommand = 0;
        MenuHandle popup(CreatePopupMenu());
        if (popup && SUCCEEDED(menu->QueryContextMenu(popup.get(), 0, FirstCommand, LastCommand, CMF_DEFAULTONLY))) {
            UINT item = GetMenuDefaultItem(popup.get(), FALSE, 0);
            if (item != static_cast<UINT>(-1) && item >= FirstCommand)
                defaultCommand = item - FirstCommand;
        }
        info.lpVerb = MAKEINTRESOURCEA(defaultCommand);
    }
    IContextMenu* target = extended ? static_cast<IContextMenu*>(extended.get()) : menu.get();
    return SUCCEEDED(target->InvokeCommand(&info));
}

bool PathInvokeVerb(HWND owner, const std::string& verb, const std::string& path)
{
    TPathItem item;
    return SplitPath(path, item) && ShellInvokeVerb(owner, verb, item.folder.get(), {item.item.get()});
}

bool FilesInvokeVerb(HWND owner, const std::string& verb, const std::string& directory,
                     const std::vector<std::string>& files)
{
    ComPtr<IShellFolder> folder;
    std::vector<ItemIdList> items;
    return ParseFiles(directory, files, folder, items) && ShellInvokeVerb(owner, verb, folder.get(), Pointers(items));
}
