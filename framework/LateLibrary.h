// Libraries loaded at their first use instead of at the program's start, and their functions
// called through typed pointers looked up once: the common controls, the shell, the common
// dialogs, OLE, OLE automation and the network library. A library stays loaded to the end of the
// process, as an import would.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winnetwk.h>

#include <atomic>
#include <utility>

class TLateLibrary {
public:
    explicit constexpr TLateLibrary(const char* fileName) : fileName_(fileName) {}
    TLateLibrary(const TLateLibrary&) = delete;
    TLateLibrary& operator=(const TLateLibrary&) = delete;

    const char* FileName() const { return fileName_; }
    // Loads the library at the first call; raises an Exception with a German text when it
    // cannot be loaded.
    HMODULE Module();
    bool Loaded() const { return module_.load() != nullptr; }
    // A function of the library; raises when the library or the function is missing.
    void* Address(const char* function);
    // The same for a function that newer systems add: nullptr when it is missing.
    void* OptionalAddress(const char* function);

private:
    const char* fileName_;
    std::atomic<HMODULE> module_{nullptr};
};

// One function of a late library, typed as its declaration (decltype(&::Name)). Its address is
// looked up at the first call.
template <typename Pointer>
class TLateFunction {
public:
    constexpr TLateFunction(TLateLibrary& library, const char* name) : library_(library), name_(name) {}
    TLateFunction(const TLateFunction&) = delete;
    TLateFunction& operator=(const TLateFunction&) = delete;

    template <typename... Args>
    auto operator()(Args&&... args) const
    {
        return Address()(std::forward<Args>(args)...);
    }

    Pointer Address() const
    {
        void* address = address_.load(std::memory_order_acquire);
        if (!address) {
            address = library_.Address(name_);
            address_.store(address, std::memory_order_release);
        }
        return reinterpret_cast<Pointer>(address);
    }

private:
    TLateLibrary& library_;
    const char* name_;
    mutable std::atomic<void*> address_{nullptr};
};

namespace ComCtl32 {
TLateLibrary& Library();
// Loads the library and registers the window classes of the common controls; once.
void RegisterClasses();
extern TLateFunction<decltype(&::InitCommonControlsEx)> InitCommonControlsEx;
extern TLateFunction<decltype(&::SetWindowSubclass)> SetWindowSubclass;
extern TLateFunction<decltype(&::RemoveWindowSubclass)> RemoveWindowSubclass;
extern TLateFunction<decltype(&::DefSubclassProc)> DefSubclassProc;
extern TLateFunction<decltype(&::ImageList_Create)> ImageList_Create;
extern TLateFunction<decltype(&::ImageList_Destroy)> ImageList_Destroy;
extern TLateFunction<decltype(&::ImageList_GetImageCount)> ImageList_GetImageCount;
extern TLateFunction<decltype(&::ImageList_SetImageCount)> ImageList_SetImageCount;
extern TLateFunction<decltype(&::ImageList_GetIconSize)> ImageList_GetIconSize;
extern TLateFunction<decltype(&::ImageList_SetIconSize)> ImageList_SetIconSize;
extern TLateFunction<decltype(&::ImageList_Add)> ImageList_Add;
extern TLateFunction<decltype(&::ImageList_AddMasked)> ImageList_AddMasked;
extern TLateFunction<decltype(&::ImageList_Replace)> ImageList_Replace;
extern TLateFunction<decltype(&::ImageList_ReplaceIcon)> ImageList_ReplaceIcon;
extern TLateFunction<decltype(&::ImageList_Remove)> ImageList_Remove;
extern TLateFunction<decltype(&::ImageList_Draw)> ImageList_Draw;
extern TLateFunction<decltype(&::ImageList_GetIcon)> ImageList_GetIcon;
extern TLateFunction<decltype(&::ImageList_GetImageInfo)> ImageList_GetImageInfo;
extern TLateFunction<decltype(&::ImageList_BeginDrag)> ImageList_BeginDrag;
extern TLateFunction<decltype(&::ImageList_DragEnter)> ImageList_DragEnter;
extern TLateFunction<decltype(&::ImageList_DragMove)> ImageList_DragMove;
extern TLateFunction<decltype(&::ImageList_DragLeave)> ImageList_DragLeave;
extern TLateFunction<decltype(&::ImageList_DragShowNolock)> ImageList_DragShowNolock;
extern TLateFunction<decltype(&::ImageList_EndDrag)> ImageList_EndDrag;
}  // namespace ComCtl32

namespace ComDlg32 {
extern TLateFunction<decltype(&::GetOpenFileNameA)> GetOpenFileNameA;
extern TLateFunction<decltype(&::GetSaveFileNameA)> GetSaveFileNameA;
extern TLateFunction<decltype(&::ChooseColorA)> ChooseColorA;
extern TLateFunction<decltype(&::ChooseFontA)> ChooseFontA;
}  // namespace ComDlg32

namespace Shell32 {
TLateLibrary& Library();
extern TLateFunction<decltype(&::ShellExecuteA)> ShellExecuteA;
extern TLateFunction<decltype(&::SHGetFileInfoA)> SHGetFileInfoA;
extern TLateFunction<decltype(&::SHFileOperationW)> SHFileOperationW;
extern TLateFunction<decltype(&::SHFreeNameMappings)> SHFreeNameMappings;
extern TLateFunction<decltype(&::SHGetMalloc)> SHGetMalloc;
extern TLateFunction<decltype(&::SHGetDesktopFolder)> SHGetDesktopFolder;
extern TLateFunction<decltype(&::SHGetSpecialFolderLocation)> SHGetSpecialFolderLocation;
extern TLateFunction<decltype(&::SHGetPathFromIDListW)> SHGetPathFromIDListW;
}  // namespace Shell32

namespace Ole32 {
extern TLateFunction<decltype(&::OleInitialize)> OleInitialize;
extern TLateFunction<decltype(&::CoInitializeEx)> CoInitializeEx;
extern TLateFunction<decltype(&::CoUninitialize)> CoUninitialize;
extern TLateFunction<decltype(&::CoCreateInstance)> CoCreateInstance;
extern TLateFunction<decltype(&::CoLockObjectExternal)> CoLockObjectExternal;
extern TLateFunction<decltype(&::CreateStreamOnHGlobal)> CreateStreamOnHGlobal;
extern TLateFunction<decltype(&::RegisterDragDrop)> RegisterDragDrop;
extern TLateFunction<decltype(&::RevokeDragDrop)> RevokeDragDrop;
extern TLateFunction<decltype(&::DoDragDrop)> DoDragDrop;
extern TLateFunction<decltype(&::ReleaseStgMedium)> ReleaseStgMedium;
}  // namespace Ole32

namespace OleAut32 {
extern TLateFunction<decltype(&::OleLoadPicture)> OleLoadPicture;
}  // namespace OleAut32

namespace Mpr {
extern TLateFunction<decltype(&::WNetGetConnectionA)> WNetGetConnectionA;
}  // namespace Mpr
