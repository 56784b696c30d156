// The checked reader of the icons inside icon files (.ico) and icon libraries and programs
// (16-bit NE and PE files): the only way a file's icons reach the platform, as checked image
// bytes that it makes icons of.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
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
    // Its entry in the icon's directory: the place and the first 12 bytes (sizes, colours,
    // planes, bits, length), on which the platform chooses an image.
    int entry = 0;
    std::array<uint8_t, 12> directoryEntry = {};
    // Its header was read and found sound. Until then `width` and `height` are the directory
    // entry's and `png` is unknown.
    bool checked = false;
};

// One icon as the platform counts it. `name` is "#12" for a numbered resource, the resource's
// name for a named one, and empty for a .ico file; `offset`/`size` locate the group directory
// (for a .ico file: the file's own directory). A group that breaks a limit keeps its place in
// the numbering but holds no images; an image that breaks one is left out of `images` once it
// was read.
struct IconGroupSpan {
    std::string name;
    uint32_t offset = 0;
    uint32_t size = 0;
    std::vector<IconImageSpan> images;   // the sound ones, in directory order
    std::string problem;                 // why the group or some of its images were refused (German)
    bool checked = false;                // its directory was looked at

    bool Usable() const { return !images.empty(); }
};

struct IconFileLayout {
    IconFileKind kind = IconFileKind::Unknown;
    bool safe = false;
    std::string problem;                // why the file was refused (German), empty when safe
    std::vector<IconGroupSpan> groups;  // in the platform's index order; empty unless safe

    int IconCount() const { return safe ? static_cast<int>(groups.size()) : 0; }
};

// Checks the whole file against the buffer's size: every offset and length in range, with no
// read outside the buffer and no overflow. A fault in what numbers the icons (headers, section
// table, the resource tables that list the groups) refuses the file; a fault in one group or
// one image refuses only that, so that the other icons keep their indexes.
IconFileLayout CheckIconFileBytes(const uint8_t* data, size_t size);
// Checks a file and all of its icons; a missing, unreadable or oversized file is refused, never
// thrown.
IconFileLayout CheckIconFile(const std::string& fileName);

// The number of icons the platform would report: 1 for a .ico file however many images it
// holds, the number of icon groups for a library or program. 0 (never negative) for a file that
// is missing, fails the check or holds no icons.
int CountIcons(const std::string& fileName);
bool IsSafeIconFile(const std::string& fileName);

// Icon `index` of a file at the system's icon size, made from its checked bytes; nullptr when
// there is no such icon or it was refused. The caller destroys the icon.
HICON ExtractCheckedIcon(const std::string& fileName, int index);

class FileWindows;
class IconFileStructure;

// The platform's choices among the images of an icon, by the sizes and colours its directory
// gives and the size asked for. Asking the platform costs it a look at the display each time;
// files read one after the other may share what it answered.
using IconChoices = std::map<std::vector<uint8_t>, int>;

// A file whose icons are made from the checked bytes themselves: the platform never opens the
// file, so it sees no byte that the check has not seen. Only what numbers the icons is read and
// checked at once; an icon's directory and images when the icon is first asked for, and only
// the parts of the file they lie in: a library without icons costs a few small reads. The file
// stays open while the object lives.
class TCheckedIconFile {
public:
    // A file that cannot be read, is oversized or fails the check holds no icons.
    explicit TCheckedIconFile(const std::string& fileName);
    // One that keeps the platform's choices in `choices`, which other files may share.
    TCheckedIconFile(const std::string& fileName, std::shared_ptr<IconChoices> choices);
    ~TCheckedIconFile();
    TCheckedIconFile(const TCheckedIconFile&) = delete;
    TCheckedIconFile& operator=(const TCheckedIconFile&) = delete;

    // The groups checked so far have their images.
    const IconFileLayout& Layout() const { return layout_; }
    int Count() const { return layout_.IconCount(); }
    // The index of the icon stored as numbered resource `id`; -1 when there is none.
    int IndexOfResource(int id) const;
    // Group `index` with its directory checked now unless it was before, its images read only
    // when they are chosen; nullptr outside the file. An index below -1 names the icon by its
    // resource number instead, as icon references do ("file,-3"); -1 names none.
    const IconGroupSpan* Group(int index) const;
    // Checks every group and image.
    void CheckAll() const;
    // The image of icon `index` that the platform's own extraction takes for a `width` x
    // `height` picture, among the sound ones; nullptr when there is none. Valid until another
    // image of that icon is chosen.
    const IconImageSpan* ChooseImage(int index, int width, int height) const;
    // Of the sound images of icon `index` that are exactly `width` x `height` and no PNG, the
    // one with the most bytes; nullptr when there is none. Valid as ChooseImage's.
    const IconImageSpan* RichestImage(int index, int width, int height) const;
    // The bytes of one of this file's checked images, checked again as they are handed out;
    // empty when the file no longer holds them.
    std::vector<uint8_t> ImageBytes(const IconImageSpan& image) const;
    // Icon `index` at the size the platform's own extraction would pick for `width` x `height`,
    // made from the checked bytes; nullptr when there is none. The caller destroys it.
    HICON MakeIcon(int index, int width, int height) const;

private:
    IconGroupSpan* CheckedGroup(int index) const;

    std::unique_ptr<FileWindows> file_;
    std::unique_ptr<IconFileStructure> structure_;
    mutable IconFileLayout layout_;
    std::shared_ptr<IconChoices> choices_;
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

// One 32-bit icon image with an alpha channel at its own size, top row first, each pixel as it
// is stored: blue in the low byte, alpha in the high one. The platform blends such an image by
// its alpha; its AND mask plays no part then.
struct AlphaIconPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
// Decodes an uncompressed 32-bit image with a plain header and no colour table whose alpha is
// not zero everywhere. False for every other image (DecodeIconImage takes those without alpha)
// and for bytes too short for what the header says, mask included.
bool DecodeAlphaIconImage(const uint8_t* image, size_t size, AlphaIconPixels& pixels);

// All icons of one file at the system's icon size, as a list of them shows them: the count comes
// from the file's tables alone. The first time an icon is asked for, its image is chosen, checked
// and kept, together with those of the icons after it, in one reading of the file; the icon is
// made from the kept bytes. The file is read again before an icon is made when its size or time
// changed. Between readings the file is not kept open.
class TIconFileReader {
public:
    explicit TIconFileReader(std::string fileName);

    const std::string& FileName() const { return fileName_; }
    // The groups read so far have their images.
    const IconFileLayout& Layout() const { return layout_; }
    int Count() const { return layout_.IconCount(); }
    // Icon `index`, nullptr when there is none; the caller destroys the icon.
    HICON ExtractAt(int index);

    // The icons whose images one reading keeps: about a screen of a list of them.
    static constexpr int ImagesPerReading = 32;

private:
    struct Stamp {
        uint64_t size = 0;
        FILETIME written = {};
        bool found = false;
    };
    static Stamp StampOf(const std::string& fileName);
    void ReadTables();
    void ReadImagesFrom(int index);

    std::string fileName_;
    IconFileLayout layout_;
    // Per icon, the bytes of its image once read (none when it has no sound one); icons sharing
    // an image share them.
    std::vector<std::shared_ptr<const std::vector<uint8_t>>> images_;
    std::vector<bool> imageRead_;
    Stamp stamp_;
};
