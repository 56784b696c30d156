// TDriveInfo: what the process knows of the drives A to Z, read lazily as callers ask for it; and
// the drive choice of a drive combo box.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct TDriveInfoRec {
    bool Scanned = false;
    bool Valid = false;          // removable, fixed, remote, CD-ROM or RAM disk
    bool DriveReady = false;
    UINT DriveType = 0;
    std::string DisplayName;
    std::string PrettyName;
    std::string LongName;
    DWORD DriveSerial = 0;
    int64_t Size = -1;
    int ImageIndex = 0;          // 0: not asked yet
    std::string FileSystemName;
    DWORD FileSystemFlags = 0;
};

// What ReadDriveStatus reads besides the type.
enum TDriveReadFlags : uint8_t { drIcon = 1, drSize = 2, drNames = 4 };

class TDriveInfo {
public:
    TDriveInfo();

    // A letter outside "A".."Z" raises EConvertError (no upper-casing here).
    void GetDriveRec(char drive, TDriveInfoRec& rec) const;
    // Upper-cases the letter, reads what the mask asks and returns Valid and DriveReady.
    bool ReadDriveStatus(char drive, uint8_t mask);

    static std::string GetShellDisplayName(const std::string& path);
    static std::string GetNetworkName(char drive);

private:
    static int Slot(char drive);
    std::array<TDriveInfoRec, 26> drives_;
};

// The process's one table.
TDriveInfo& DriveInfo();

// The drive choice of a combo box whose items begin with their drive letter.
struct TDriveChoice {
    char Drive = '\0';
    std::set<UINT> AllowedTypes;   // drive types 0..7 the box offers
    int ItemIndex = -1;

    // The first item that begins with the letter, else -1.
    static int FindDriveItem(const std::vector<std::string>& items, char drive);
    // Takes the letter when its drive is valid and of an allowed type.
    void SetDrive(char drive, const std::vector<std::string>& items);
};
