// The drive table: types at once, sizes, names and icons on request; critical-error boxes of the
// system stay away while drives are asked.
#include <windows.h>
#include <shellapi.h>
#include <winnetwk.h>

#include "KtDriveInfo.h"

#include "Exceptions.h"
#include "LateLibrary.h"
#include "SysUtils.h"

#include <cctype>

namespace {

std::string Root(char drive)
{
    return std::string(1, drive) + ":\\";
}

// The system's error mode for the lifetime of the object.
class TErrorMode {
public:
    explicit TErrorMode(UINT mode) : previous_(SetErrorMode(mode)) {}
    ~TErrorMode() { SetErrorMode(previous_); }
    TErrorMode(const TErrorMode&) = delete;
    TErrorMode& operator=(const TErrorMode&) = delete;

private:
    UINT previous_;
};

bool ValidType(UINT type)
{
    return type >= DRIVE_REMOVABLE && type <= DRIVE_RAMDISK;
}

// Cuts a trailing "(X:)" when the first ")" is the last character.
void CutDriveSuffix(std::string& name)
{
    std::string::size_type close = name.find(')');
    if (close != std::string::npos && close + 1 == name.size())
        name.resize(name.size() >= 5 ? name.size() - 5 : 0);
}

}  // namespace

TDriveInfo::TDriveInfo()
{
    for (int i = 0; i < 26; ++i) {
        TDriveInfoRec& rec = drives_[i];
        rec.DriveType = GetDriveTypeA(Root(static_cast<char>('A' + i)).c_str());
        rec.Valid = ValidType(rec.DriveType);
    }
}

int TDriveInfo::Slot(char drive)
{
    if (drive < 'A' || drive > 'Z')
        throw EConvertError(std::string(1, drive) + " is a invalid drive letter.");
    return drive - 'A';
}

void TDriveInfo::GetDriveRec(char drive, TDriveInfoRec& rec) const
{
    rec = drives_[Slot(drive)];
}

std::string TDriveInfo::GetShellDisplayName(const std::string& path)
{
    TErrorMode quiet(SEM_FAILCRITICALERRORS);
    SHFILEINFOA info = {};
    if (!Shell32::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME))
        return "";
    info.szDisplayName[MAX_PATH - 1] = '\0';
    return info.szDisplayName;
}

std::string TDriveInfo::GetNetworkName(char drive)
{
    char local[3] = {drive, ':', '\0'};
    char remote[261] = {};
    DWORD length = 260;
    if (Mpr::WNetGetConnectionA(local, remote, &length) != NO_ERROR)
        return "";
    return remote;
}

bool TDriveInfo::ReadDriveStatus(char drive, uint8_t mask)
{
    drive = static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
    TDriveInfoRec& rec = drives_[Slot(drive)];
    const std::string root = Root(drive);
    rec.Scanned = true;
    rec.DriveType = GetDriveTypeA(root.c_str());
    rec.Valid = ValidType(rec.DriveType);

    if (!rec.Valid) {
        rec.Size = 0;
        rec.DriveReady = false;
        rec.DisplayName.clear();
        rec.PrettyName.clear();
        rec.LongName.clear();
        rec.DriveSerial = 0;
    } else {
        std::string label;
        bool labelRead = false;
        if (mask & drSize) {
            TErrorMode quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
            ULARGE_INTEGER available, total, free;
            rec.Size = GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)
                           ? static_cast<int64_t>(total.QuadPart)
                           : -1;
            rec.DriveReady = rec.Size > 0;
            if (rec.DriveReady) {
                // Room for any label: a shorter buffer fails the whole call, serial and file system too.
                char volume[MAX_PATH + 1] = {}, system[499] = {};
                DWORD serial = 0, component = 0, flags = 0;
                if (GetVolumeInformationA(root.c_str(), volume, sizeof volume, &serial, &component, &flags, system,
                                          sizeof system)) {
                    rec.DriveSerial = serial;
                    rec.FileSystemFlags = flags;
                    rec.FileSystemName = system;
                    label = volume;
                    labelRead = true;
                } else {
                    rec.DriveSerial = 0;
                    rec.FileSystemName.clear();
                }
            } else {
                rec.DriveSerial = 0;
            }
        }
        if (mask & drNames) {
            const std::string letter(1, drive);
            if (!rec.DriveReady && (mask & drSize)) {
                rec.DisplayName = rec.PrettyName = rec.LongName = letter + ":";
            } else {
                if (rec.DriveType == DRIVE_CDROM && labelRead && !label.empty())
                    rec.DisplayName = label.substr(0, 1) + AnsiLowerCase(label.substr(1)) + " (" + letter + ":)";
                else
                    rec.DisplayName = GetShellDisplayName(root);
                if (rec.DriveType == DRIVE_REMOTE) {
                    std::string::size_type blank = rec.DisplayName.find(' ');
                    rec.PrettyName = letter + ": " +
                                     (blank == std::string::npos ? std::string() : rec.DisplayName.substr(0, blank));
                } else {
                    rec.PrettyName = letter + ": " + rec.DisplayName;
                }
                CutDriveSuffix(rec.PrettyName);
                if (rec.DriveType == DRIVE_REMOTE) {
                    rec.LongName = rec.PrettyName.substr(0, 3) + GetNetworkName(drive);
                } else {
                    rec.LongName = rec.PrettyName.substr(0, 3) + rec.DisplayName;
                    CutDriveSuffix(rec.LongName);
                }
            }
        }
    }
    if ((mask & drIcon) && rec.ImageIndex == 0) {
        SHFILEINFOA info = {};
        if (Shell32::SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
            rec.ImageIndex = info.iIcon;
    }
    return rec.Valid && rec.DriveReady;
}

TDriveInfo& DriveInfo()
{
    static TDriveInfo table;
    return table;
}

int TDriveChoice::FindDriveItem(const std::vector<std::string>& items, char drive)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].empty() && items[i][0] == drive)
            return static_cast<int>(i);
    return -1;
}

void TDriveChoice::SetDrive(char drive, const std::vector<std::string>& items)
{
    drive = static_cast<char>(std::toupper(static_cast<unsigned char>(drive)));
    if (drive == Drive)
        return;
    DriveInfo().ReadDriveStatus(drive, 0);
    TDriveInfoRec rec;
    DriveInfo().GetDriveRec(drive, rec);
    if (!rec.Valid || rec.DriveType > 7 || !AllowedTypes.count(rec.DriveType))
        return;
    Drive = drive;
    int index = FindDriveItem(items, drive);
    if (index >= 0)
        ItemIndex = index;
}
