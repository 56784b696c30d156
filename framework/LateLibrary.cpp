// The late libraries and the functions of theirs that the programs call.
#include "LateLibrary.h"

#include "Exceptions.h"

#include <string>

HMODULE TLateLibrary::Module()
{
    if (HMODULE module = module_.load())
        return module;
    // Two threads that both get here load it twice: it stays loaded all the same.
    HMODULE module = LoadLibraryA(fileName_);
    if (!module)
        throw Exception(std::string("Die Bibliothek \"") + fileName_ + "\" kann nicht geladen werden: " +
                        SysErrorMessage(GetLastError()));
    module_.store(module);
    return module;
}

void* TLateLibrary::Address(const char* function)
{
    void* address = OptionalAddress(function);
    if (!address)
        throw Exception(std::string("Die Funktion \"") + function + "\" fehlt in der Bibliothek \"" + fileName_ +
                        "\".");
    return address;
}

void* TLateLibrary::OptionalAddress(const char* function)
{
    return reinterpret_cast<void*>(GetProcAddress(Module(), function));
}

namespace {

TLateLibrary comCtl32("comctl32.dll");
TLateLibrary comDlg32("comdlg32.dll");
TLateLibrary shell32("shell32.dll");
TLateLibrary ole32("ole32.dll");
TLateLibrary oleAut32("oleaut32.dll");
TLateLibrary mpr("mpr.dll");

}  // namespace

namespace ComCtl32 {
TLateLibrary& Library()
{
    return comCtl32;
}
void RegisterClasses()
{
    static const bool registered = [] {
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)registered;
}
TLateFunction<decltype(&::InitCommonControlsEx)> InitCommonControlsEx(comCtl32, "InitCommonControlsEx");
TLateFunction<decltype(&::SetWindowSubclass)> SetWindowSubclass(comCtl32, "SetWindowSubclass");
TLateFunction<decltype(&::RemoveWindowSubclass)> RemoveWindowSubclass(comCtl32, "RemoveWindowSubclass");
TLateFunction<decltype(&::DefSubclassProc)> DefSubclassProc(comCtl32, "DefSubclassProc");
TLateFunction<decltype(&::ImageList_Create)> ImageList_Create(comCtl32, "ImageList_Create");
TLateFunction<decltype(&::ImageList_Destroy)> ImageList_Destroy(comCtl32, "ImageList_Destroy");
TLateFunction<decltype(&::ImageList_GetImageCount)> ImageList_GetImageCount(comCtl32, "ImageList_GetImageCount");
TLateFunction<decltype(&::ImageList_SetImageCount)> ImageList_SetImageCount(comCtl32, "ImageList_SetImageCount");
TLateFunction<decltype(&::ImageList_GetIconSize)> ImageList_GetIconSize(comCtl32, "ImageList_GetIconSize");
TLateFunction<decltype(&::ImageList_SetIconSize)> ImageList_SetIconSize(comCtl32, "ImageList_SetIconSize");
TLateFunction<decltype(&::ImageList_Add)> ImageList_Add(comCtl32, "ImageList_Add");
TLateFunction<decltype(&::ImageList_AddMasked)> ImageList_AddMasked(comCtl32, "ImageList_AddMasked");
TLateFunction<decltype(&::ImageList_Replace)> ImageList_Replace(comCtl32, "ImageList_Replace");
TLateFunction<decltype(&::ImageList_ReplaceIcon)> ImageList_ReplaceIcon(comCtl32, "ImageList_ReplaceIcon");
TLateFunction<decltype(&::ImageList_Remove)> ImageList_Remove(comCtl32, "ImageList_Remove");
TLateFunction<decltype(&::ImageList_Draw)> ImageList_Draw(comCtl32, "ImageList_Draw");
TLateFunction<decltype(&::ImageList_GetIcon)> ImageList_GetIcon(comCtl32, "ImageList_GetIcon");
TLateFunction<decltype(&::ImageList_GetImageInfo)> ImageList_GetImageInfo(comCtl32, "ImageList_GetImageInfo");
TLateFunction<decltype(&::ImageList_BeginDrag)> ImageList_BeginDrag(comCtl32, "ImageList_BeginDrag");
TLateFunction<decltype(&::ImageList_DragEnter)> ImageList_DragEnter(comCtl32, "ImageList_DragEnter");
TLateFunction<decltype(&::ImageList_DragMove)> ImageList_DragMove(comCtl32, "ImageList_DragMove");
TLateFunction<decltype(&::ImageList_DragLeave)> ImageList_DragLeave(comCtl32, "ImageList_DragLeave");
TLateFunction<decltype(&::ImageList_DragShowNolock)> ImageList_DragShowNolock(comCtl32, "ImageList_DragShowNolock");
TLateFunction<decltype(&::ImageList_EndDrag)> ImageList_EndDrag(comCtl32, "ImageList_EndDrag");
}  // namespace ComCtl32

namespace ComDlg32 {
TLateFunction<decltype(&::GetOpenFileNameA)> GetOpenFileNameA(comDlg32, "GetOpenFileNameA");
TLateFunction<decltype(&::GetSaveFileNameA)> GetSaveFileNameA(comDlg32, "GetSaveFileNameA");
TLateFunction<decltype(&::ChooseColorA)> ChooseColorA(comDlg32, "ChooseColorA");
TLateFunction<decltype(&::ChooseFontA)> ChooseFontA(comDlg32, "ChooseFontA");
}  // namespace ComDlg32

namespace Shell32 {
TLateLibrary& Library()
{
    return shell32;
}
TLateFunction<decltype(&::ShellExecuteA)> ShellExecuteA(shell32, "ShellExecuteA");
TLateFunction<decltype(&::SHGetFileInfoA)> SHGetFileInfoA(shell32, "SHGetFileInfoA");
TLateFunction<decltype(&::SHFileOperationW)> SHFileOperationW(shell32, "SHFileOperationW");
TLateFunction<decltype(&::SHFreeNameMappings)> SHFreeNameMappings(shell32, "SHFreeNameMappings");
TLateFunction<decltype(&::SHGetMalloc)> SHGetMalloc(shell32, "SHGetMalloc");
TLateFunction<decltype(&::SHGetDesktopFolder)> SHGetDesktopFolder(shell32, "SHGetDesktopFolder");
TLateFunction<decltype(&::SHGetSpecialFolderLocation)> SHGetSpecialFolderLocation(shell32,
                                                                                   "SHGetSpecialFolderLocation");
TLateFunction<decltype(&::SHGetPathFromIDListW)> SHGetPathFromIDListW(shell32, "SHGetPathFromIDListW");
}  // namespace Shell32

namespace Ole32 {
TLateFunction<decltype(&::OleInitialize)> OleInitialize(ole32, "OleInitialize");
TLateFunction<decltype(&::CoInitializeEx)> CoInitializeEx(ole32, "CoInitializeEx");
TLateFunction<decltype(&::CoUninitialize)> CoUninitialize(ole32, "CoUninitialize");
TLateFunction<decltype(&::CoCreateInstance)> CoCreateInstance(ole32, "CoCreateInstance");
TLateFunction<decltype(&::CoLockObjectExternal)> CoLockObjectExternal(ole32, "CoLockObjectExternal");
TLateFunction<decltype(&::CreateStreamOnHGlobal)> CreateStreamOnHGlobal(ole32, "CreateStreamOnHGlobal");
TLateFunction<decltype(&::RegisterDragDrop)> RegisterDragDrop(ole32, "RegisterDragDrop");
TLateFunction<decltype(&::RevokeDragDrop)> RevokeDragDrop(ole32, "RevokeDragDrop");
TLateFunction<decltype(&::DoDragDrop)> DoDragDrop(ole32, "DoDragDrop");
TLateFunction<decltype(&::ReleaseStgMedium)> ReleaseStgMedium(ole32, "ReleaseStgMedium");
}  // namespace Ole32

namespace OleAut32 {
TLateFunction<decltype(&::OleLoadPicture)> OleLoadPicture(oleAut32, "OleLoadPicture");
}  // namespace OleAut32

namespace Mpr {
TLateFunction<decltype(&::WNetGetConnectionA)> WNetGetConnectionA(mpr, "WNetGetConnectionA");
}  // namespace Mpr
