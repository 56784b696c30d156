// The structure checks of .ico files, NE resource tables and PE resource trees, read from the
// parts of a file they need, and the icons made from the images that passed them.
#include "IconFileReader.h"

#include "Classes.h"
#include "Exceptions.h"
#include "GdiObject.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

namespace {

// Limits of what a real file holds; a file beyond them is refused rather than walked.
constexpr uint64_t MaxFileSize = 64u << 20;
constexpr uint64_t MaxImageSize = 1u << 20;   // a 256x256 true-colour image needs 264 KB
constexpr unsigned MaxImagesPerIcon = 256;
constexpr int MaxNeTypes = 256;
constexpr unsigned MaxNeResourcesPerType = 8192;   // the table must fit in 64 KB anyway
constexpr unsigned MaxPeSections = 96;
constexpr uint64_t MaxPeEntries = 1u << 17;   // entries of the directories read from one tree

// A file is read in windows around what the checks ask for; a small one at once. Larger reads
// (whole images) are not kept, and the windows kept for one file stay within a bound, however
// the file's images overlap.
constexpr uint64_t WindowAlignment = 4u << 10;
constexpr uint64_t WindowSize = 16u << 10;
constexpr uint64_t WholeFileSize = 64u << 10;
constexpr uint64_t MaxWindowBytes = 16u << 20;

constexpr uint16_t NeGroupIconType = 0x800E;
constexpr uint16_t NeIconType = 0x8003;
constexpr uint32_t PeGroupIconType = 14;
constexpr uint32_t PeIconType = 3;

[[noreturn]] void Refuse(const std::string& why)
{
    throw EInvalidGraphic(why);
}

}  // namespace

// The bytes of a file, read in windows as the checks come to them: what no check asks for is
// never read, and the headers and tables the checks walk are read once.
class FileWindows {
public:
    FileWindows(const std::string& fileName, uint64_t maxSize) : stream_(fileName, TFileMode::OpenRead)
    {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(stream_.Handle(), &size) || size.QuadPart < 0 || uint64_t(size.QuadPart) > maxSize)
            throw EReadError("Die Datei \"" + fileName + "\" ist zu groß.");
        size_ = uint64_t(size.QuadPart);
    }

    uint64_t Size() const { return size_; }

    // `length` bytes at `offset`, which lie inside the file; valid until the next call.
    const uint8_t* At(uint64_t offset, uint64_t length)
    {
        // Most reads fall in the window of the read before.
        if (last_ && Inside(last_->first, last_->second, offset, length))
            return last_->second.data() + (offset - last_->first);
        auto after = windows_.upper_bound(offset);
        if (after != windows_.begin()) {
            auto found = std::prev(after);
            if (Inside(found->first, found->second, offset, length)) {
                last_ = &*found;
                return found->second.data() + (offset - found->first);
            }
        }
        if (size_ > WholeFileSize && length > WindowSize) {
            Read(offset, length, large_);
            return large_.data();
        }
        const bool whole = size_ <= WholeFileSize;
        const uint64_t start = whole ? 0 : offset / WindowAlignment * WindowAlignment;
        const uint64_t end = whole ? size_ : std::min(size_, std::max(offset + length, start + WindowSize));
        std::vector<uint8_t> bytes;
        Read(start, end - start, bytes);
        if (kept_ + bytes.size() > MaxWindowBytes) {
            windows_.clear();
            kept_ = 0;
        }
        auto window = windows_.try_emplace(start).first;
        kept_ += bytes.size() - window->second.size();
        window->second = std::move(bytes);
        last_ = &*window;
        return window->second.data() + (offset - start);
    }

private:
    static bool Inside(uint64_t start, const std::vector<uint8_t>& bytes, uint64_t offset, uint64_t length)
    {
        return offset >= start && offset - start <= bytes.size() && length <= bytes.size() - (offset - start);
    }

    void Read(uint64_t offset, uint64_t length, std::vector<uint8_t>& bytes)
    {
        bytes.resize(static_cast<size_t>(length));
        // A seek and a plain read cost the platform a fraction of a read at an offset of its own.
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        DWORD done = 0;
        if (!SetFilePointerEx(stream_.Handle(), at, nullptr, FILE_BEGIN) ||
            !ReadFile(stream_.Handle(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) ||
            done != bytes.size())
            Refuse("Die Datei lässt sich nicht vollständig lesen");
    }

    TFileStream stream_;
    uint64_t size_ = 0;
    std::map<uint64_t, std::vector<uint8_t>> windows_;   // by their start in the file
    std::pair<const uint64_t, std::vector<uint8_t>>* last_ = nullptr;   // the one read last
    uint64_t kept_ = 0;                                  // bytes in them
    std::vector<uint8_t> large_;                         // the last large read
};

namespace {

// A bounds-checked view of a buffer or a file: every read of the checks goes through it, and
// offsets are 64-bit so that no sum of two 32-bit fields can wrap.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit Bytes(FileWindows& file) : file_(&file), size_(file.Size()) {}

    uint64_t Size() const { return size_; }
    bool Contains(uint64_t offset, uint64_t length) const
    {
        return offset <= size_ && length <= size_ - offset;
    }
    void Require(uint64_t offset, uint64_t length, const std::string& what) const
    {
        if (!Contains(offset, length))
            Refuse(what + " liegt außerhalb der Datei");
    }
    // `length` bytes at `offset`; valid until the next read.
    const uint8_t* At(uint64_t offset, uint64_t length) const
    {
        if (!Contains(offset, length))
            Refuse("Ein Feld liegt außerhalb der Datei");
        return file_ ? file_->At(offset, length) : data_ + offset;
    }
    uint8_t U8(uint64_t offset) const { return *At(offset, 1); }
    uint16_t U16(uint64_t offset) const
    {
        const uint8_t* p = At(offset, 2);
        return static_cast<uint16_t>(p[0] | p[1] << 8);
    }
    uint32_t U32(uint64_t offset) const
    {
        const uint8_t* p = At(offset, 4);
        return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
    }
    uint32_t BigEndian32(uint64_t offset) const
    {
        const uint8_t* p = At(offset, 4);
        return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    }
    bool Equals(uint64_t offset, const void* expected, size_t length) const
    {
        return Contains(offset, length) && std::memcmp(At(offset, length), expected, length) == 0;
    }

private:
    const uint8_t* data_ = nullptr;
    FileWindows* file_ = nullptr;
    uint64_t size_;
};

// A file span of one resource.
struct Span {
    uint64_t offset;
    uint64_t size;
};

uint64_t DibStride(uint64_t width, unsigned bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}

IconFileKind DetectKind(const Bytes& file)
{
    if (file.Size() >= 4 && file.U16(0) == 0 && file.U16(2) == 1)
        return IconFileKind::Icon;
    if (file.Size() >= 64 && file.Equals(0, "MZ", 2)) {
        uint64_t header = file.U32(0x3C);
        if (file.Equals(header, "PE\0\0", 4))
            return IconFileKind::Pe;
        if (file.Equals(header, "NE", 2))
            return IconFileKind::Ne;
    }
    return IconFileKind::Unknown;
}

// An image's place, as far as it can be judged without reading the image. A refusal gives the
// reason without naming the image, which its caller puts in front: only refusals build texts.
IconImageSpan LocateImage(const Bytes& file, Span span)
{
    if (span.size > MaxImageSize)
        Refuse(" ist unglaubwürdig groß (" + std::to_string(span.size) + " Byte)");
    if (!file.Contains(span.offset, span.size))
        Refuse(" liegt außerhalb der Datei");
    IconImageSpan image;
    image.offset = static_cast<uint32_t>(span.offset);
    image.size = static_cast<uint32_t>(span.size);
    return image;
}

// One icon image as the platform reads it: a PNG, or a DIB header, colour table, colour pixels
// and AND mask, all within `size` bytes. Refusals as LocateImage's.
IconImageSpan CheckImage(const Bytes& file, Span span)
{
    IconImageSpan image = LocateImage(file, span);

    static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (span.size >= 8 && file.Equals(span.offset, pngSignature, 8)) {
        // The IHDR chunk comes first: length 13, then width and height.
        if (span.size < 33 || file.BigEndian32(span.offset + 8) != 13 || !file.Equals(span.offset + 12, "IHDR", 4))
            Refuse(": PNG-Kopf fehlt");
        uint32_t width = file.BigEndian32(span.offset + 16), height = file.BigEndian32(span.offset + 20);
        if (width < 1 || width > 256 || height < 1 || height > 256)
            Refuse(": ungültige Größe " + std::to_string(width) + " x " + std::to_string(height));
        image.width = int(width);
        image.height = int(height);
        image.png = true;
        return image;
    }

    if (span.size < 40)
        Refuse(" ist zu kurz für einen Bildkopf");
    uint32_t headerSize = file.U32(span.offset);
    int32_t width = static_cast<int32_t>(file.U32(span.offset + 4));
    int32_t doubleHeight = static_cast<int32_t>(file.U32(span.offset + 8));
    unsigned bitCount = file.U16(span.offset + 14);
    uint32_t compression = file.U32(span.offset + 16);
    uint32_t colorsUsed = file.U32(span.offset + 32);
    if (headerSize < 40 || headerSize > span.size)
        Refuse(": unbekannter Bildkopf (" + std::to_string(headerSize) + " Byte)");
    // The height counts colour pixels and mask together.
    if (width < 1 || width > 256 || doubleHeight < 2 || doubleHeight > 512)
        Refuse(": ungültige Größe " + std::to_string(width) + " x " + std::to_string(doubleHeight));
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        Refuse(": " + std::to_string(bitCount) + " Bit pro Pixel");
    if (compression != BI_RGB)
        Refuse(": komprimierte Bilder werden nicht gelesen");
    uint64_t colors = colorsUsed;
    if (bitCount <= 8 && colors == 0)
        colors = uint64_t(1) << bitCount;
    if (colors > 256 || (bitCount <= 8 && colors > (uint64_t(1) << bitCount)))
        Refuse(": " + std::to_string(colorsUsed) + " Farben");
    uint64_t height = uint64_t(doubleHeight) / 2;
    uint64_t needed = headerSize + colors * 4 + DibStride(uint64_t(width), bitCount) * height +
                      DibStride(uint64_t(width), 1) * height;
    if (needed > span.size)
        Refuse(": die Bilddaten sind unvollständig");
    image.width = width;
    image.height = int(height);
    return image;
}

// The first refusal inside a group is what its problem says.
void NoteProblem(IconGroupSpan& group, const std::string& problem)
{
    if (group.problem.empty())
        group.problem = problem;
}

std::string ImageLabel(const IconGroupSpan& group, int entry)
{
    std::string image = "Bild " + std::to_string(entry + 1);
    return group.name.empty() ? image : "Die Symbolgruppe " + group.name + ", " + image;
}

// A width or height as a directory entry gives it: 0 stands for 256.
int EntrySize(uint8_t value)
{
    return value ? value : 256;
}

// Adds image `entry` of a group's directory, whose first 12 bytes lie at `directoryEntry`, as
// far as it can be judged without reading the image; a broken one goes only into the group's
// problem.
void AddImage(const Bytes& file, IconGroupSpan& group, int entry, uint64_t directoryEntry,
              const std::function<Span()>& locate)
{
    try {
        IconImageSpan image = LocateImage(file, locate());
        image.entry = entry;
        std::memcpy(image.directoryEntry.data(), file.At(directoryEntry, 12), 12);
        image.width = EntrySize(image.directoryEntry[0]);
        image.height = EntrySize(image.directoryEntry[1]);
        group.images.push_back(image);
    } catch (const EInvalidGraphic& refused) {
        NoteProblem(group, ImageLabel(group, entry) + refused.what());
    }
}

// Reads and checks image `index` of a group, unless that was done before; a broken one leaves
// the group (false).
bool CheckImageOnce(const Bytes& file, IconGroupSpan& group, size_t index)
{
    IconImageSpan& image = group.images[index];
    if (image.checked)
        return true;
    try {
        const IconImageSpan header = CheckImage(file, {image.offset, image.size});
        image.width = header.width;
        image.height = header.height;
        image.png = header.png;
        image.checked = true;
        return true;
    } catch (const EInvalidGraphic& refused) {
        NoteProblem(group, ImageLabel(group, image.entry) + refused.what());
        group.images.erase(group.images.begin() + static_cast<std::ptrdiff_t>(index));
        return false;
    }
}

// An icon group directory (the same layout in NE and PE files): a header and 14-byte entries,
// each naming an icon resource by number. `findIcon(id)` gives the span of that resource and
// refuses when there is none.
void CheckGroupDirectory(const Bytes& file, Span span, const std::function<Span(unsigned)>& findIcon,
                         IconGroupSpan& group)
{
    std::string which = "Die Symbolgruppe " + group.name;
    if (span.size > MaxImageSize)
        Refuse(which + " ist unglaubwürdig groß");
    file.Require(span.offset, span.size, which);
    if (span.size < 6)
        Refuse(which + " ist zu kurz");
    unsigned reserved = file.U16(span.offset), type = file.U16(span.offset + 2), count = file.U16(span.offset + 4);
    if (reserved != 0 || type != 1)
        Refuse(which + " ist kein Symbolverzeichnis");
    if (count == 0 || count > MaxImagesPerIcon || 6 + 14 * uint64_t(count) > span.size)
        Refuse(which + " nennt " + std::to_string(count) + " Bilder");
    group.offset = static_cast<uint32_t>(span.offset);
    group.size = static_cast<uint32_t>(span.size);
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t entry = span.offset + 6 + 14 * uint64_t(i);
        AddImage(file, group, int(i), entry, [&] { return findIcon(file.U16(entry + 12)); });
    }
}

}  // namespace

// What numbers a file's icons, read and checked when the file is opened; the groups themselves
// are checked one by one, when they are first needed.
class IconFileStructure {
public:
    virtual ~IconFileStructure() = default;
    // Checks the directory of group `index` into `group`, which has its name, with its images as
    // far as they can be judged without reading them; throws when the group as a whole is broken.
    virtual void CheckGroup(const Bytes& file, size_t index, IconGroupSpan& group) = 0;
};

namespace {

// --- .ico files ---------------------------------------------------------------------------

class IcoStructure : public IconFileStructure {
public:
    IcoStructure(const Bytes& file, IconFileLayout& layout)
    {
        if (file.Size() < 6)
            Refuse("Die Datei ist zu kurz für einen Symbolkopf");
        unsigned reserved = file.U16(0), type = file.U16(2);
        count_ = file.U16(4);
        if (reserved != 0 || type != 1)
            Refuse("Die Datei ist keine Symboldatei");
        if (count_ == 0 || count_ > MaxImagesPerIcon)
            Refuse("Die Datei nennt " + std::to_string(count_) + " Bilder");
        directoryEnd_ = 6 + 16 * uint64_t(count_);
        file.Require(0, directoryEnd_, "Das Verzeichnis der " + std::to_string(count_) + " Bilder");
        IconGroupSpan group;
        group.size = static_cast<uint32_t>(directoryEnd_);
        layout.groups.push_back(std::move(group));
    }

    void CheckGroup(const Bytes& file, size_t, IconGroupSpan& group) override
    {
        for (unsigned i = 0; i < count_; ++i) {
            const uint64_t entry = 6 + 16 * uint64_t(i);
            AddImage(file, group, int(i), entry, [&] {
                Span span{file.U32(entry + 12), file.U32(entry + 8)};
                if (span.offset < directoryEnd_)
                    Refuse(" überdeckt das Verzeichnis");
                return span;
            });
        }
    }

private:
    unsigned count_ = 0;
    uint64_t directoryEnd_ = 0;
};

// --- 16-bit NE libraries ------------------------------------------------------------------

// A name of the resource table: a length byte and the characters, at `offset` from its start.
std::string NeName(const Bytes& file, uint64_t table, uint16_t offset)
{
    uint64_t at = table + offset;
    file.Require(at, 1, "Ein Ressourcenname");
    unsigned length = file.U8(at);
    file.Require(at + 1, length, "Ein Ressourcenname");
    std::string name;
    for (unsigned i = 0; i < length; ++i)
        name += char(file.U8(at + 1 + i));
    return name;
}

// The NE or PE header that the program header points to, `length` bytes of it in the file.
uint64_t ProgramHeader(const Bytes& file, const char* signature, size_t signatureLength, uint64_t length)
{
    file.Require(0, 64, "Der Programmkopf");
    uint64_t header = file.U32(0x3C);
    std::string name = "Der " + std::string(signature, 2) + "-Kopf";
    file.Require(header, length, name);
    if (!file.Equals(header, signature, signatureLength))
        Refuse(name + " fehlt");
    return header;
}

class NeStructure : public IconFileStructure {
public:
    NeStructure(const Bytes& file, IconFileLayout& layout)
    {
        uint64_t header = ProgramHeader(file, "NE", 2, 64);
        uint16_t resourceTable = file.U16(header + 0x24), residentNames = file.U16(header + 0x26);
        if (resourceTable == residentNames)
            return;   // no resources at all
        uint64_t table = header + resourceTable;
        file.Require(table, 2, "Die Ressourcentabelle");
        unsigned shift = file.U16(table);
        if (shift > 15)
            Refuse("Die Ressourcentabelle verschiebt um " + std::to_string(shift) + " Bit");

        std::set<uint16_t> seen;
        uint64_t at = table + 2;
        for (int types = 0;; ++types) {
            uint16_t type = file.U16(at);
            if (type == 0)
                break;
            if (types == MaxNeTypes)
                Refuse("Die Ressourcentabelle hat zu viele Typen");
            unsigned count = file.U16(at + 2);
            if (count > MaxNeResourcesPerType)
                Refuse("Die Ressourcentabelle nennt " + std::to_string(count) + " Ressourcen eines Typs");
            if (!(type & 0x8000))
                NeName(file, table, type);
            // The platform reads the first table of each kind only.
            if ((type == NeGroupIconType || type == NeIconType) && !seen.insert(type).second)
                Refuse("Die Ressourcentabelle nennt einen Typ zweimal");
            at += 8;
            file.Require(at, 12 * uint64_t(count), "Die Ressourcentabelle");
            for (unsigned i = 0; i < count; ++i, at += 12) {
                if (type != NeGroupIconType && type != NeIconType)
                    continue;
                Span span{uint64_t(file.U16(at)) << shift, uint64_t(file.U16(at + 2)) << shift};
                uint16_t id = file.U16(at + 6);
                if (type == NeIconType) {
                    icons_.emplace(id, span);   // the first of a number counts
                    continue;
                }
                IconGroupSpan group;
                group.name = id & 0x8000 ? "#" + std::to_string(id & 0x7FFF) : NeName(file, table, id);
                layout.groups.push_back(std::move(group));
                groups_.push_back(span);
            }
        }
    }

    void CheckGroup(const Bytes& file, size_t index, IconGroupSpan& group) override
    {
        CheckGroupDirectory(file, groups_[index], [this](unsigned id) {
            auto found = icons_.find(static_cast<uint16_t>(0x8000 | id));
            if (found == icons_.end())
                Refuse(": die Ressource " + std::to_string(id) + " fehlt");
            return found->second;
        }, group);
    }

private:
    std::vector<Span> groups_;
    std::map<uint16_t, Span> icons_;
};

// --- PE programs and libraries ------------------------------------------------------------

struct PeSection {
    uint32_t address;
    uint32_t length;   // of the part that is both in memory and in the file
    uint32_t rawOffset;
};

class PeStructure : public IconFileStructure {
public:
    PeStructure(const Bytes& file, IconFileLayout& layout)
    {
        uint64_t header = ProgramHeader(file, "PE\0\0", 4, 24);
        unsigned sectionCount = file.U16(header + 6);
        unsigned optionalSize = file.U16(header + 20);
        uint64_t optional = header + 24;
        file.Require(optional, optionalSize, "Der optionale Kopf");
        if (optionalSize < 2)
            Refuse("Der optionale Kopf fehlt");
        unsigned magic = file.U16(optional);
        unsigned countAt;
        if (magic == 0x10B)
            countAt = 92;
        else if (magic == 0x20B)
            countAt = 108;
        else
            Refuse("Unbekannte Art des optionalen Kopfes");
        if (sectionCount > MaxPeSections)
            Refuse("Die Datei nennt " + std::to_string(sectionCount) + " Abschnitte");
        uint64_t sectionTable = optional + optionalSize;
        file.Require(sectionTable, 40 * uint64_t(sectionCount), "Die Abschnittstabelle");

        // The resource directory is the third entry of the data directories.
        uint64_t resourceEntry = countAt + 4 + 2 * 8;
        if (optionalSize < resourceEntry + 8 || file.U32(optional + countAt) < 3)
            return;
        uint32_t resourceRva = file.U32(optional + resourceEntry);
        if (resourceRva == 0)
            return;

        // An address inside the headers is taken as a file offset by the platform.
        if (optionalSize < 64)
            Refuse("Der optionale Kopf ist zu kurz");
        std::vector<std::pair<uint64_t, uint64_t>> spans = {{0, file.U32(optional + 60)}};
        for (unsigned i = 0; i < sectionCount; ++i) {
            uint64_t at = sectionTable + 40 * uint64_t(i);
            uint32_t virtualSize = file.U32(at + 8), address = file.U32(at + 12);
            uint32_t rawSize = file.U32(at + 16), rawOffset = file.U32(at + 20);
            // Bytes past the virtual size are not mapped, those past the raw size are not in the file.
            uint32_t length = virtualSize ? std::min(virtualSize, rawSize) : rawSize;
            sections_.push_back({address, length, rawOffset});
            spans.emplace_back(address, uint64_t(address) + std::max(virtualSize, rawSize));
        }
        // The platform may look an address up by a section's raw size where we go by its virtual
        // size (measured: a section whose raw size reached over the resources crashed it). Where
        // no two sections overlap, nor one the headers, both lookups find the same bytes.
        std::sort(spans.begin(), spans.end());
        for (size_t i = 1; i < spans.size(); ++i)
            if (spans[i].first < spans[i - 1].second)
                Refuse("Die Abschnitte der Datei überlappen sich");

        Span root = {0, 0};
        try {
            root = Map(file, resourceRva, 16);
        } catch (const EInvalidGraphic& refused) {
            Refuse(std::string("Das Ressourcenverzeichnis") + refused.what());
        }
        root_ = root.offset;
        end_ = root.offset + root.size;
        for (const Entry& type : ReadDirectory(file, 0, false)) {
            // Numbers are unique in an ordered directory.
            if (type.named)
                continue;
            if (type.id == PeIconType)
                icons_ = type.target;
            if (type.id != PeGroupIconType)
                continue;
            for (const Entry& name : ReadDirectory(file, type.target, false)) {
                IconGroupSpan group;
                group.name = name.named ? name.name : "#" + std::to_string(name.id);
                layout.groups.push_back(std::move(group));
                groups_.push_back(name.target);
            }
        }
    }

    void CheckGroup(const Bytes& file, size_t index, IconGroupSpan& group) override
    {
        Span directory = {0, 0};
        try {
            directory = FirstLanguage(file, groups_[index]);
        } catch (const EInvalidGraphic& refused) {
            Refuse("Die Symbolgruppe " + group.name + refused.what());
        }
        CheckGroupDirectory(file, directory, [&](unsigned id) { return Icon(file, id); }, group);
    }

private:
    struct Entry {
        bool named = false;
        uint32_t id = 0;
        std::string name;
        uint32_t target = 0;   // offset from the root, of a directory or a data entry
    };

    // The file span of [rva, rva + length) when it lies in the data of one section in the file;
    // `size` reaches to the end of that section. A refusal names not what lies there.
    Span Map(const Bytes& file, uint32_t rva, uint64_t length) const
    {
        for (const PeSection& section : sections_) {
            if (rva < section.address || rva - section.address >= section.length)
                continue;
            uint64_t inside = rva - section.address;
            if (length > section.length - inside)
                Refuse(" ragt über das Ende des Abschnitts");
            file.Require(section.rawOffset, section.length, "Ein Abschnitt");
            return {section.rawOffset + inside, section.length - inside};
        }
        Refuse(" liegt in keinem Abschnitt der Datei");
    }

    void RequireTree(uint64_t relative, uint64_t length, const char* what) const
    {
        if (relative > end_ - root_ || length > end_ - root_ - relative)
            Refuse(std::string(what) + " liegt außerhalb des Ressourcenabschnitts");
    }

    // The entries of a directory of types or names, each of which leads to a directory.
    std::vector<Entry> ReadDirectory(const Bytes& file, uint32_t relative, bool leaves)
    {
        if (!visited_.insert(relative).second)
            Refuse("Der Ressourcenbaum enthält eine Schleife");
        RequireTree(relative, 16, "Ein Ressourcenverzeichnis");
        uint64_t at = root_ + relative;
        uint64_t named = file.U16(at + 12);
        uint64_t count = named + file.U16(at + 14);
        entries_ += count;
        if (entries_ > MaxPeEntries)
            Refuse("Der Ressourcenbaum hat zu viele Einträge");
        RequireTree(uint64_t(relative) + 16, 8 * count, "Ein Ressourcenverzeichnis");
        std::vector<Entry> entries;
        entries.reserve(static_cast<size_t>(count));
        for (uint64_t i = 0; i < count; ++i) {
            uint64_t entry = at + 16 + 8 * i;
            uint32_t name = file.U32(entry), target = file.U32(entry + 4);
            if (((target & 0x80000000u) != 0) == leaves)
                Refuse(leaves ? "Der Ressourcenbaum ist zu tief" : "Der Ressourcenbaum ist zu flach");
            Entry e;
            e.named = (name & 0x80000000u) != 0;
            e.id = name & 0xFFFF;
            e.target = target & 0x7FFFFFFFu;
            // The platform finds numbers by binary search after the names: out of order, it
            // could find another entry than the one we checked.
            if (e.named != (i < named) || (!e.named && i > named && e.id <= entries.back().id))
                Refuse("Ein Ressourcenverzeichnis ist nicht geordnet");
            if (e.named)
                e.name = ReadName(file, name & 0x7FFFFFFFu);
            entries.push_back(std::move(e));
        }
        return entries;
    }

    // A counted UTF-16 name, turned into the program's code page.
    std::string ReadName(const Bytes& file, uint32_t relative) const
    {
        RequireTree(relative, 2, "Ein Ressourcenname");
        unsigned length = file.U16(root_ + relative);
        RequireTree(uint64_t(relative) + 2, 2 * uint64_t(length), "Ein Ressourcenname");
        std::wstring wide;
        for (unsigned i = 0; i < length; ++i)
            wide += wchar_t(file.U16(root_ + relative + 2 + 2 * uint64_t(i)));
        if (wide.empty())
            return std::string();
        int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
        std::string name(size > 0 ? size_t(size) : 0, '\0');
        if (size > 0)
            WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), &name[0], size, nullptr, nullptr);
        return name;
    }

    // The data of the first language of a name: the one taken from a file whose resources carry
    // no other. A refusal names not whose data it is.
    Span FirstLanguage(const Bytes& file, uint32_t languages) const
    {
        RequireTree(languages, 16, ": das Sprachverzeichnis");
        const uint64_t count = uint64_t(file.U16(root_ + languages + 12)) + file.U16(root_ + languages + 14);
        if (count == 0)
            Refuse(" hat keine Daten");
        RequireTree(uint64_t(languages) + 16, 8 * count, ": das Sprachverzeichnis");
        const uint32_t target = file.U32(root_ + languages + 16 + 4);
        if (target & 0x80000000u)
            Refuse(": der Ressourcenbaum ist zu tief");
        RequireTree(target, 16, ": der Ressourceneintrag");
        const uint32_t rva = file.U32(root_ + target), size = file.U32(root_ + target + 4);
        return {Map(file, rva, size).offset, size};
    }

    // The data of icon image `id`.
    Span Icon(const Bytes& file, unsigned id)
    {
        if (!iconsRead_) {
            iconsRead_ = true;
            try {
                if (icons_)
                    iconEntries_ = ReadDirectory(file, *icons_, false);
            } catch (const EInvalidGraphic& refused) {
                iconsProblem_ = refused.what();
            }
        }
        if (!iconsProblem_.empty())
            Refuse(": " + iconsProblem_);
        // The numbers follow the names in rising order, as ReadDirectory found them.
        auto found = std::lower_bound(iconEntries_.begin(), iconEntries_.end(), id,
                                      [](const Entry& entry, unsigned wanted) { return entry.named || entry.id < wanted; });
        if (found == iconEntries_.end() || found->id != id)
            Refuse(": die Ressource " + std::to_string(id) + " fehlt");
        return FirstLanguage(file, found->target);
    }

    std::vector<PeSection> sections_;
    uint64_t root_ = 0;
    uint64_t end_ = 0;
    std::set<uint32_t> visited_;
    uint64_t entries_ = 0;
    std::vector<uint32_t> groups_;           // per group, its directory of languages
    std::optional<uint32_t> icons_;          // the directory of the icon images
    bool iconsRead_ = false;
    std::string iconsProblem_;
    std::vector<Entry> iconEntries_;         // of the icon images, each leading to its languages
};

// The structure of a file of any kind; refused as a whole when it is broken.
std::unique_ptr<IconFileStructure> ReadStructure(const Bytes& file, IconFileLayout& layout)
{
    layout = IconFileLayout();
    try {
        std::unique_ptr<IconFileStructure> structure;
        layout.kind = DetectKind(file);
        switch (layout.kind) {
        case IconFileKind::Icon: structure = std::make_unique<IcoStructure>(file, layout); break;
        case IconFileKind::Ne: structure = std::make_unique<NeStructure>(file, layout); break;
        case IconFileKind::Pe: structure = std::make_unique<PeStructure>(file, layout); break;
        case IconFileKind::Unknown: Refuse("Die Datei ist weder eine Symboldatei noch ein Programm oder eine Bibliothek");
        }
        layout.safe = true;
        return structure;
    } catch (const std::exception& e) {
        layout.groups.clear();
        layout.problem = e.what();
        return nullptr;
    }
}

void CheckGroupOnce(IconFileStructure& structure, const Bytes& file, size_t index, IconGroupSpan& group)
{
    if (group.checked)
        return;
    group.checked = true;
    try {
        structure.CheckGroup(file, index, group);
    } catch (const std::exception& e) {
        group.images.clear();
        group.problem = e.what();
    }
}

// Every group and every image of it.
void CheckEverything(IconFileStructure& structure, const Bytes& file, IconFileLayout& layout)
{
    for (size_t i = 0; i < layout.groups.size(); ++i) {
        IconGroupSpan& group = layout.groups[i];
        CheckGroupOnce(structure, file, i, group);
        for (size_t image = group.images.size(); image-- > 0;)
            CheckImageOnce(file, group, image);
    }
}

// The screen's colour depth, on which the platform's choice among an icon's images depends. The
// question costs the platform more than a choice, and the answer rarely changes: it is asked at
// most once a second, of one DC the process keeps.
int ScreenDepth()
{
    static std::mutex guard;
    static const MemoryDC screen;
    static int depth = 0;
    static DWORD asked = 0;
    std::lock_guard<std::mutex> lock(guard);
    const DWORD now = GetTickCount();
    if (depth == 0 || now - asked >= 1000) {
        depth = screen ? GetDeviceCaps(screen.get(), BITSPIXEL) : 0;
        asked = now;
    }
    return depth;
}

// The image of a group that the platform's choice for a `width` x `height` picture on a screen of
// `depth` bits takes among those not refused so far; SIZE_MAX when there is none. The choice goes
// by the images' sizes and colours alone, which the icons of one file, and those of the files of
// one folder, mostly share: the process keeps the choices made, as asking costs several calls
// into the platform.
size_t PlatformChoice(const IconGroupSpan& group, int width, int height, int depth)
{
    // The platform chooses on a directory as libraries store it: 14-byte entries ending in a
    // resource number, here i + 1 for the i-th image, as 0 is the platform's "none".
    const size_t count = group.images.size();
    if (count == 0)
        return SIZE_MAX;
    std::vector<uint8_t> directory(6 + 14 * count);
    directory[2] = 1;
    directory[4] = static_cast<uint8_t>(count);
    directory[5] = static_cast<uint8_t>(count >> 8);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* entry = &directory[6 + 14 * i];
        std::memcpy(entry, group.images[i].directoryEntry.data(), 12);
        entry[12] = static_cast<uint8_t>(i + 1);
        entry[13] = static_cast<uint8_t>((i + 1) >> 8);
    }
    std::vector<uint8_t> key = directory;
    for (size_t i = 0; i < count; ++i)
        std::fill_n(&key[6 + 14 * i + 8], 4, 0);   // the lengths
    for (int value : {width, height, depth})
        key.insert(key.end(), {uint8_t(value), uint8_t(value >> 8)});

    static std::mutex guard;
    static std::map<std::vector<uint8_t>, int> choices;
    int id;
    {
        std::lock_guard<std::mutex> lock(guard);
        auto known = choices.find(key);
        id = known != choices.end() ? known->second : -1;
    }
    if (id < 0) {
        id = LookupIconIdFromDirectoryEx(directory.data(), TRUE, width, height, LR_DEFAULTCOLOR);
        std::lock_guard<std::mutex> lock(guard);
        if (choices.size() >= 4096)   // made-up files, one kind each, do not pile up
            choices.clear();
        choices.emplace(std::move(key), id);
    }
    return id >= 1 && static_cast<size_t>(id) <= count ? static_cast<size_t>(id) - 1 : SIZE_MAX;
}

}  // namespace

IconFileKind DetectIconFileKind(const uint8_t* data, size_t size)
{
    return DetectKind(Bytes(data, size));
}

IconFileLayout CheckIconFileBytes(const uint8_t* data, size_t size)
{
    IconFileLayout layout;
    Bytes file(data, size);
    std::unique_ptr<IconFileStructure> structure = ReadStructure(file, layout);
    if (structure)
        CheckEverything(*structure, file, layout);
    return layout;
}

IconFileLayout CheckIconFile(const std::string& fileName)
{
    TCheckedIconFile file(fileName);
    file.CheckAll();
    return file.Layout();
}

int CountIcons(const std::string& fileName)
{
    return TCheckedIconFile(fileName).Count();
}

bool IsSafeIconFile(const std::string& fileName)
{
    return TCheckedIconFile(fileName).Layout().safe;
}

HICON ExtractCheckedIcon(const std::string& fileName, int index)
{
    return TCheckedIconFile(fileName).MakeIcon(index, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
}

TCheckedIconFile::TCheckedIconFile(const std::string& fileName)
{
    try {
        file_ = std::make_unique<FileWindows>(fileName, MaxFileSize);
    } catch (const std::exception& e) {
        layout_.problem = e.what();
        return;
    }
    structure_ = ReadStructure(Bytes(*file_), layout_);
}

TCheckedIconFile::~TCheckedIconFile() = default;

int TCheckedIconFile::IndexOfResource(int id) const
{
    const std::string name = "#" + std::to_string(id);
    for (int i = 0; i < Count(); ++i)
        if (layout_.groups[static_cast<size_t>(i)].name == name)
            return i;
    return -1;
}

IconGroupSpan* TCheckedIconFile::CheckedGroup(int index) const
{
    if (index < -1)
        index = index == INT_MIN ? -1 : IndexOfResource(-index);
    if (index < 0 || index >= Count() || !structure_)
        return nullptr;
    IconGroupSpan& group = layout_.groups[static_cast<size_t>(index)];
    CheckGroupOnce(*structure_, Bytes(*file_), static_cast<size_t>(index), group);
    return &group;
}

const IconGroupSpan* TCheckedIconFile::Group(int index) const
{
    return CheckedGroup(index);
}

void TCheckedIconFile::CheckAll() const
{
    if (structure_)
        CheckEverything(*structure_, Bytes(*file_), layout_);
}

const IconImageSpan* TCheckedIconFile::ChooseImage(int index, int width, int height) const
{
    IconGroupSpan* group = CheckedGroup(index);
    if (!group)
        return nullptr;
    // Only the chosen image is read; when it is broken, the choice falls among the others.
    for (;;) {
        if (depth_ == 0)
            depth_ = ScreenDepth();
        const size_t chosen = PlatformChoice(*group, width, height, depth_);
        if (chosen == SIZE_MAX)
            return nullptr;
        if (CheckImageOnce(Bytes(*file_), *group, chosen))
            return &group->images[chosen];
    }
}

const IconImageSpan* TCheckedIconFile::RichestImage(int index, int width, int height) const
{
    IconGroupSpan* group = CheckedGroup(index);
    if (!group)
        return nullptr;
    // Until an image is read its size is its directory entry's; a read one that turns out
    // otherwise (or a PNG) is no longer a candidate.
    for (;;) {
        size_t best = SIZE_MAX;
        for (size_t i = 0; i < group->images.size(); ++i) {
            const IconImageSpan& image = group->images[i];
            if (image.width == width && image.height == height && !image.png &&
                (best == SIZE_MAX || image.size > group->images[best].size))
                best = i;
        }
        if (best == SIZE_MAX)
            return nullptr;
        const IconImageSpan& image = group->images[best];
        if (image.checked)
            return &image;
        CheckImageOnce(Bytes(*file_), *group, best);
    }
}

std::vector<uint8_t> TCheckedIconFile::ImageBytes(const IconImageSpan& image) const
{
    if (!file_)
        return {};
    try {
        const uint8_t* at = Bytes(*file_).At(image.offset, image.size);
        std::vector<uint8_t> bytes(at, at + image.size);
        // Read now, perhaps apart from what the check saw: the copy must pass on its own.
        CheckImage(Bytes(bytes.data(), bytes.size()), {0, bytes.size()});
        return bytes;
    } catch (const std::exception&) {
        return {};
    }
}

HICON TCheckedIconFile::MakeIcon(int index, int width, int height) const
{
    const IconImageSpan* image = ChooseImage(index, width, height);
    if (!image)
        return nullptr;
    std::vector<uint8_t> bytes = ImageBytes(*image);
    return MakeIconFromImage(bytes.data(), bytes.size(), width, height);
}

HICON MakeIconFromImage(const uint8_t* image, size_t size, int width, int height)
{
    if (!image || size == 0 || size > MaxImageSize)
        return nullptr;
    // The platform only reads the buffer, whatever the prototype says.
    return CreateIconFromResourceEx(const_cast<uint8_t*>(image), static_cast<DWORD>(size), TRUE, 0x00030000,
                                    width, height, LR_DEFAULTCOLOR);
}

bool DecodeIconImage(const uint8_t* image, size_t size, IconImagePixels& pixels)
{
    if (!image)
        return false;
    Bytes file(image, size);
    if (!file.Contains(0, 40))
        return false;
    const uint32_t headerSize = file.U32(0);
    const int32_t width = static_cast<int32_t>(file.U32(4));
    const int32_t doubleHeight = static_cast<int32_t>(file.U32(8));
    const unsigned planes = file.U16(12), bitCount = file.U16(14);
    const uint32_t compression = file.U32(16), colorsUsed = file.U32(32);
    // Larger headers, odd heights and colour tables before true-colour pixels are legal but
    // rare; the platform reads those itself.
    if (headerSize != 40 || planes != 1 || compression != BI_RGB || width < 1 || width > 256 ||
        doubleHeight < 2 || doubleHeight > 512 || doubleHeight % 2 != 0)
        return false;
    if (bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return false;
    const uint64_t maxColors = bitCount <= 8 ? uint64_t(1) << bitCount : 0;
    const uint64_t colors = bitCount <= 8 && colorsUsed == 0 ? maxColors : colorsUsed;
    if (colors > maxColors)
        return false;
    const int height = doubleHeight / 2;
    const uint64_t colorStride = DibStride(uint64_t(width), bitCount), maskStride = DibStride(uint64_t(width), 1);
    const uint64_t colorBits = headerSize + 4 * colors;
    const uint64_t maskBits = colorBits + colorStride * uint64_t(height);
    if (!file.Contains(maskBits, maskStride * uint64_t(height)))
        return false;
    // Every read below lies inside the span just checked.
    const uint8_t* table = image + headerSize;
    auto colorRow = [&](int y) { return image + colorBits + colorStride * uint64_t(height - 1 - y); };   // bottom-up
    auto maskRow = [&](int y) { return image + maskBits + maskStride * uint64_t(height - 1 - y); };
    if (bitCount == 32)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (colorRow(y)[4 * x + 3] != 0)
                    return false;   // alpha: the platform blends

    pixels.width = width;
    pixels.height = height;
    pixels.colors.resize(size_t(width) * size_t(height));
    pixels.transparent.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = colorRow(y);
        const uint8_t* mask = maskRow(y);
        for (int x = 0; x < width; ++x) {
            const uint8_t* bgr;   // blue first, as DIBs store colours
            if (bitCount >= 24) {
                bgr = from + x * (bitCount / 8);
            } else {
                unsigned index = bitCount == 8 ? from[x] : (x % 2 ? from[x / 2] & 0x0F : from[x / 2] >> 4);
                if (index >= colors)
                    return false;
                bgr = table + 4 * index;
            }
            const size_t at = size_t(y) * size_t(width) + size_t(x);
            pixels.colors[at] = RGB(bgr[2], bgr[1], bgr[0]);
            pixels.transparent[at] = (mask[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return true;
}

namespace {

// Where the parts of an icon image lie that has `bits` bits per pixel, a plain header, a colour
// table of at most as many colours as the bits tell apart, and its pixels and AND mask inside the
// buffer, all rows bottom-up.
struct PlainImage {
    int width = 0;
    int height = 0;
    uint64_t colors = 0;       // entries of the colour table after the header
    uint64_t pixels = 0;       // where the pixels begin
    uint64_t stride = 0;
    uint64_t mask = 0;         // where the AND mask begins
    uint64_t maskStride = 0;
};

bool ReadPlainImage(const Bytes& file, unsigned bits, PlainImage& plain)
{
    if (!file.Contains(0, 40))
        return false;
    const int32_t width = static_cast<int32_t>(file.U32(4));
    const int32_t doubleHeight = static_cast<int32_t>(file.U32(8));
    const uint64_t maxColors = bits <= 8 ? uint64_t(1) << bits : 0;
    const uint64_t colors = bits <= 8 && file.U32(32) == 0 ? maxColors : file.U32(32);
    if (file.U32(0) != 40 || file.U16(12) != 1 || file.U16(14) != bits || file.U32(16) != BI_RGB ||
        colors > maxColors || width < 1 || width > 256 || doubleHeight < 2 || doubleHeight > 512 ||
        doubleHeight % 2 != 0)
        return false;
    plain.width = width;
    plain.height = doubleHeight / 2;
    plain.colors = colors;
    plain.pixels = 40 + 4 * colors;
    plain.stride = DibStride(uint64_t(width), bits);
    plain.mask = plain.pixels + plain.stride * uint64_t(plain.height);
    plain.maskStride = DibStride(uint64_t(width), 1);
    return file.Contains(plain.mask, plain.maskStride * uint64_t(plain.height));
}

}  // namespace

bool DecodeAlphaIconImage(const uint8_t* image, size_t size, IconImageAlphaPixels& pixels)
{
    PlainImage plain;
    // The platform wants the AND mask after the pixels, though it does not draw it.
    if (!image || !ReadPlainImage(Bytes(image, size), 32, plain))
        return false;
    const size_t count = size_t(plain.width) * size_t(plain.height);
    pixels.width = plain.width;
    pixels.height = plain.height;
    pixels.colors.resize(count);
    pixels.alpha.resize(count);
    bool anyAlpha = false;
    for (int y = 0; y < plain.height; ++y) {
        const uint8_t* from = image + plain.pixels + plain.stride * uint64_t(plain.height - 1 - y);
        for (int x = 0; x < plain.width; ++x, from += 4) {
            const size_t at = size_t(y) * size_t(plain.width) + size_t(x);
            pixels.colors[at] = RGB(from[2], from[1], from[0]);
            pixels.alpha[at] = from[3];
            anyAlpha = anyAlpha || from[3] != 0;
        }
    }
    return anyAlpha;
}

bool DecodeTwoColourIconImage(const uint8_t* image, size_t size, IconImagePixels& pixels)
{
    PlainImage plain;
    if (!image || !ReadPlainImage(Bytes(image, size), 1, plain))
        return false;
    const size_t count = size_t(plain.width) * size_t(plain.height);
    pixels.width = plain.width;
    pixels.height = plain.height;
    pixels.colors.resize(count);
    pixels.transparent.resize(count);
    for (int y = 0; y < plain.height; ++y) {
        const uint8_t* from = image + plain.pixels + plain.stride * uint64_t(plain.height - 1 - y);
        const uint8_t* mask = image + plain.mask + plain.maskStride * uint64_t(plain.height - 1 - y);
        for (int x = 0; x < plain.width; ++x) {
            const unsigned index = (from[x / 8] >> (7 - x % 8)) & 1;
            if (index >= plain.colors)
                return false;
            const uint8_t* bgr = image + 40 + 4 * index;
            const size_t at = size_t(y) * size_t(plain.width) + size_t(x);
            pixels.colors[at] = RGB(bgr[2], bgr[1], bgr[0]);
            pixels.transparent[at] = (mask[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return true;
}

TIconFileReader::TIconFileReader(std::string fileName) : fileName_(std::move(fileName))
{
    ReadTables();
}

TIconFileReader::Stamp TIconFileReader::StampOf(const std::string& fileName)
{
    Stamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(fileName.c_str(), GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        stamp.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        stamp.written = data.ftLastWriteTime;
        stamp.found = true;
    }
    return stamp;
}

void TIconFileReader::ReadTables()
{
    // Stamp first: a change during the read then shows as a different stamp next time.
    stamp_ = StampOf(fileName_);
    layout_ = TCheckedIconFile(fileName_).Layout();
    images_.assign(static_cast<size_t>(Count()), nullptr);
    imageRead_.assign(static_cast<size_t>(Count()), false);
}

void TIconFileReader::ReadImagesFrom(int index, int reading)
{
    TCheckedIconFile file(fileName_);
    // Changed unnoticed since the tables were read: what it holds now counts.
    if (file.Count() != Count()) {
        layout_ = file.Layout();
        images_.assign(static_cast<size_t>(Count()), nullptr);
        imageRead_.assign(static_cast<size_t>(Count()), false);
        if (index >= Count())
            return;
    }
    const int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    std::map<std::pair<uint32_t, uint32_t>, std::shared_ptr<const std::vector<uint8_t>>> read;
    const int end = index + std::min(std::max(reading, 1), Count() - index);
    for (int i = index; i < end; ++i) {
        const size_t at = static_cast<size_t>(i);
        if (imageRead_[at])
            continue;
        imageRead_[at] = true;
        const IconImageSpan* image = file.ChooseImage(i, width, height);
        if (image) {
            auto& bytes = read[{image->offset, image->size}];
            if (!bytes)
                bytes = std::make_shared<const std::vector<uint8_t>>(file.ImageBytes(*image));
            images_[at] = bytes;
        }
        layout_.groups[at] = file.Layout().groups[at];
    }
}

bool TIconFileReader::Refresh()
{
    Stamp now = StampOf(fileName_);
    if (!now.found)
        return false;
    if (!stamp_.found || now.size != stamp_.size || CompareFileTime(&now.written, &stamp_.written) != 0)
        ReadTables();
    return true;
}

std::shared_ptr<const std::vector<uint8_t>> TIconFileReader::ImageAt(int index, int reading)
{
    if (index < 0 || index >= Count())
        return nullptr;
    if (!imageRead_[static_cast<size_t>(index)]) {
        if (!Refresh() || index >= Count())
            return nullptr;
        if (!imageRead_[static_cast<size_t>(index)])
            ReadImagesFrom(index, reading);
        if (index >= Count())
            return nullptr;
    }
    const auto& bytes = images_[static_cast<size_t>(index)];
    return bytes && !bytes->empty() ? bytes : nullptr;
}

HICON TIconFileReader::ExtractAt(int index)
{
    if (!Refresh())
        return nullptr;
    std::shared_ptr<const std::vector<uint8_t>> bytes = ImageAt(index);
    if (!bytes)
        return nullptr;
    return MakeIconFromImage(bytes->data(), bytes->size(), GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
}
