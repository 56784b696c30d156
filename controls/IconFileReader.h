// The checked reader of the icons inside icon files (.ico) and icon libraries and programs
// (16-bit NE and PE files): the only way a file's icons reach the platform, through its icon
// extraction or as checked image bytes.
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

// A file read and checked once whose icons are made from the checked bytes themselves: the
// platform never opens the file, so it sees no byte that the check has not seen. The whole file
// stays in memory while the object lives.
class TCheckedIconFile {
public:
    // A file that cannot be read, is oversized or fails the check holds no icons.
    explicit TCheckedIconFile(const std::string& fileName);

    const IconFileLayout& Layout() const { return layout_; }
    int Count() const { return layout_.IconCount(); }
    // The image of icon `index` that the platform's own extraction takes for a `width` x
    // `height` picture; nullptr when there is no such icon.
    const IconImageSpan* ChooseImage(int index, int width, int height) const;
    // The bytes of one of this file's checked images.
    std::vector<uint8_t> ImageBytes(const IconImageSpan& image) const;
    // Icon `index` at the size the platform's own extraction would pick for `width` x `height`,
    // made from the checked bytes; nullptr when there is none. The caller destroys it.
    HICON MakeIcon(int index, int width, int height) const;

private:
    std::vector<uint8_t> bytes_;
    IconFileLayout layout_;
};

// An icon made by the platform from one icon image as files store it (a DIB with its AND mask,
// or a PNG), scaled to `width` x `height`; nullptr when the platform refuses the bytes. The
// caller destroys it.
HICON MakeIconFromImage(const uint8_t* image, size_t size, int width, int height);

// One icon image at its own size, top row first: the colour each pixel XORs onto the screen and
// whether the AND mask lets the screen through (1) there.
struct IconImagePixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colors;
    std::vector<uint8_t> transparent;
};
// Decodes the uncompressed images whose pixels the platform draws exactly as they are stored:
// 4 and 8 bits with their colour table, 24 bits, and 32 bits with no alpha at all. False for
// every other image (PNG, 1 and 16 bits, alpha, an index past the colour table) and for bytes
// too short for what the header says; only the platform draws those faithfully.
bool DecodeIconImage(const uint8_t* image, size_t size, IconImagePixels& pixels);

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
