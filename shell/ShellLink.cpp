// Shortcut files through the shell's link object.
#include <windows.h>
#include <shlobj.h>

#include "ShellLink.h"

#include "ComPtr.h"
#include "Exceptions.h"
#include "Handles.h"
#include "KtDriveInfo.h"
#include "LateLibrary.h"
#include "SysUtils.h"

#include <string>

namespace {

std::wstring Wide(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}

// Claims the first free numbered name with an empty file, so that no other file of that name
// can appear between the choice and the write; "" when the folder takes none.
std::string ReserveLinkFile(const std::string& linkFile)
{
    for (int n = 1; n < 10000; ++n) {
        const std::string candidate = NumberedFileName(linkFile, n);
        FileHandle file(CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (file)
            return candidate;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED)
            return std::string();
        // Access is also denied for a folder of that name: only an existing entry lets us go on.
        if (error == ERROR_ACCESS_DENIED && GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES)
            return std::string();
    }
    return std::string();
}

}  // namespace

std::string NumberedFileName(const std::string& file, int n)
{
    if (n <= 1)
        return file;
    const size_t nameStart = file.find_last_of("\\:") == std::string::npos ? 0 : file.find_last_of("\\:") + 1;
    size_t dot = file.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        dot = file.size();
    return file.substr(0, dot) + " (" + std::to_string(n) + ")" + file.substr(dot);
}

std::string ShellLinkBaseName(const std::string& path)
{
    if (path.size() == 3) {
        const char drive = path[0] >= 'a' && path[0] <= 'z' ? static_cast<char>(path[0] - 'a' + 'A') : path[0];
        TDriveInfoRec rec;
        DriveInfo().GetDriveRec(drive, rec);
        if (rec.PrettyName.empty()) {
            DriveInfo().ReadDriveStatus(drive, drNames);
            DriveInfo().GetDriveRec(drive, rec);
        }
        const std::string pretty = rec.PrettyName.size() > 3 ? rec.PrettyName.substr(3, 255) : std::string();
        return pretty + " (" + std::string(1, drive) + ")";
    }
    const size_t last = path.find_last_of("\\:");
    return last == std::string::npos ? path : path.substr(last + 1);
}

bool CreateShellLink(const std::string& target, const std::string& linkName, const std::string& description)
{
    ComPtr<IUnknown> object;
    const HRESULT created = Ole32::CoCreateInstance(
        CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown, object.put_void());
    if (FAILED(created))
        throw EOleSysError(created);
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (FAILED(object->QueryInterface(IID_IShellLinkA, link.put_void())))
        throw EOleSysError(E_NOINTERFACE);
    if (FAILED(object->QueryInterface(IID_IPersistFile, file.put_void())))
        throw EOleSysError(E_NOINTERFACE);

    if (FAILED(link->SetPath(target.c_str())) ||
        FAILED(link->SetWorkingDirectory(ExtractFilePath(target).c_str())) ||
        FAILED(link->SetDescription(description.c_str())))
        return false;
    const std::string linkFile = ReserveLinkFile(linkName.empty() ? target + ".lnk" : linkName);
    if (linkFile.empty())
        return false;
    if (FAILED(file->Save(Wide(linkFile).c_str(), FALSE))) {
        DeleteFileA(linkFile.c_str());
        return false;
    }
    return true;
}

std::string ShellLinkTarget(const std::string& linkFile)
{
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (FAILED(Ole32::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                       link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())) ||
        FAILED(file->Load(Wide(linkFile).c_str(), STGM_READ)))
        return std::string();
    char target[MAX_PATH] = {};
    WIN32_FIND_DATAA found;
    if (FAILED(link->GetPath(target, MAX_PATH, &found, SLGP_RAWPATH)))
        return std::string();
    return target;
}
