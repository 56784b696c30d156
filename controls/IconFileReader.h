// The checked reader of the icons inside icon files (.ico) and icon libraries and programs
// (16-bit NE and PE files): the only way a file reaches the platform's icon extraction.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Decided by the file's content; the extension plays no part.
enum class IconFileKind { Unknown, Icon, Ne, Pe };

IconFileKind DetectIconFileKind(const uint8_t* data, size_t size);

// One image of an icon: where its bytes lie in the file and what its header says.
struct IconImageSpan {
    uint32_t offset = 0;
    uint32_t size = 0;
    int width = 0;
    int height = 0;
    bool png = false;
};

// One icon as the platform counts it. `name` is "#12" for a numbered resource, the resource's
// name for a named one, and empty for a .ico file; `offset`/`size` locate the group directory
// (for a .ico file: the file's own directory).
struct IconGroupSpan {
    std::string name;
    uint32_t offset = 0;
    uint32_t size = 0;
    std::vector<IconImageSpan> images;
};

struct IconFileLayout {
    IconFileKind kind = IconFileKind::Unknown;
    bool safe = false;
    std::string problem;                // why the file was refused (German), empty when safe
    std::vector<IconGroupSpan> groups;  // in the platform's index order; empty unless safe

    int IconCount() const { return safe ? static_cast<int>(groups.size()) : 0; }
};

// Checks the whole structure against the buffer's size: every offset and length in range, with
// no read outside the buffer and no overflow. A file with any fault is refused as a whole,
// since an icon index of a partly valid file would no longer match the platform's numbering.
IconFileLayout CheckIconFileBytes(const uint8_t* data, size_t size);
// Reads and checks a file; a missing, unreadable or oversized file is refused, never thrown.
IconFileLayout CheckIconFile(const std::string& fileName);

// The number of icons the platform would report: 1 for a .ico file however many images it
// holds, the number of icon groups for a library or program. 0 (never negative) for a file that
// is missing, fails the check or holds no icons.
int CountIcons(const std::string& fileName);
bool IsSafeIconFile(const std::string& fileName);

// Icon `index` of a file through the platform's extraction, which sees the file only after it
// passed the check; nullptr when there is no such icon. The caller destroys the icon.
HICON ExtractCheckedIcon(const std::string& fileName, int index);

// One file checked once and extracted from many times, as a list of its icons does. The file
// is checked again before an extraction when its size or time changed since.
class TIconFileReader {
public:
    explicit TIconFileReader(std::string fileName);

    const std::string& FileName() const { return fileName_; }
    const IconFileLayout& Layout() const { return layout_; }
    int Count() const { return layout_.IconCount(); }
    // As ExtractCheckedIcon; the caller destroys the icon.
    HICON ExtractAt(int index);

private:
    struct Stamp {
        uint64_t size = 0;
        FILETIME written = {};
        bool found = false;
    };
    static Stamp StampOf(const std::string& fileName);
    void Check();

    std::string fileName_;
    IconFileLayout layout_;
    Stamp stamp_;
};
