// The structure checks of .ico files, NE resource tables and PE resource trees, and the platform
// calls made only for files that passed them: its icon extraction, and icons from checked images.
#include "IconFileReader.h"

#include "Classes.h"
#include "Exceptions.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace {

// Limits of what a real file holds; a file beyond them is refused rather than walked.
constexpr size_t MaxFileSize = 64u << 20;
constexpr uint64_t MaxImageSize = 1u << 20;   // a 256x256 true-colour image needs 264 KB
constexpr unsigned MaxImagesPerIcon = 256;
constexpr int MaxNeTypes = 256;
constexpr unsigned MaxNeResourcesPerType = 8192;   // the table must fit in 64 KB anyway
constexpr unsigned MaxPeSections = 96;
constexpr uint64_t MaxPeEntries = 1u << 17;   // directory entries of a whole resource tree
constexpr int PeTreeDepth = 3;                 // type, name, language

constexpr uint16_t NeGroupIconType = 0x800E;
constexpr uint16_t NeIconType = 0x8003;
constexpr uint32_t PeGroupIconType = 14;
constexpr uint32_t PeIconType = 3;

[[noreturn]] void Refuse(const std::string& why)
{
    throw EInvalidGraphic(why);
}

// A bounds-checked view of the file: every read of the checks goes through it, and offsets are
// 64-bit so that no sum of two 32-bit fields can wrap.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

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
        return Contains(offset, length) && std::memcmp(data_ + offset, expected, length) == 0;
    }

private:
    const uint8_t* At(uint64_t offset, uint64_t length) const
    {
        Require(offset, length, "Ein Feld");
        return data_ + offset;
    }

    const uint8_t* data_;
    size_t size_;
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

// One icon image as the platform reads it: a PNG, or a DIB header, colour table, colour pixels
// and AND mask, all within `size` bytes.
IconImageSpan CheckImage(const Bytes& file, Span span, const std::string& which)
{
    if (span.size > MaxImageSize)
        Refuse(which + " ist unglaubwürdig groß (" + std::to_string(span.size) + " Byte)");
    file.Require(span.offset, span.size, which);
    IconImageSpan image;
    image.offset = static_cast<uint32_t>(span.offset);
    image.size = static_cast<uint32_t>(span.size);

    static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (span.size >= 8 && file.Equals(span.offset, pngSignature, 8)) {
        // The IHDR chunk comes first: length 13, then width and height.
        if (span.size < 33 || file.BigEndian32(span.offset + 8) != 13 || !file.Equals(span.offset + 12, "IHDR", 4))
            Refuse(which + ": PNG-Kopf fehlt");
        uint32_t width = file.BigEndian32(span.offset + 16), height = file.BigEndian32(span.offset + 20);
        if (width < 1 || width > 256 || height < 1 || height > 256)
            Refuse(which + ": ungültige Größe " + std::to_string(width) + " x " + std::to_string(height));
        image.width = int(width);
        image.height = int(height);
        image.png = true;
        return image;
    }

    if (span.size < 40)
        Refuse(which + " ist zu kurz für einen Bildkopf");
    uint32_t headerSize = file.U32(span.offset);
    int32_t width = static_cast<int32_t>(file.U32(span.offset + 4));
    int32_t doubleHeight = static_cast<int32_t>(file.U32(span.offset + 8));
    unsigned bitCount = file.U16(span.offset + 14);
    uint32_t compression = file.U32(span.offset + 16);
    uint32_t colorsUsed = file.U32(span.offset + 32);
    if (headerSize < 40 || headerSize > span.size)
        Refuse(which + ": unbekannter Bildkopf (" + std::to_string(headerSize) + " Byte)");
    // The height counts colour pixels and mask together.
    if (width < 1 || width > 256 || doubleHeight < 2 || doubleHeight > 512)
        Refuse(which + ": ungültige Größe " + std::to_string(width) + " x " + std::to_string(doubleHeight));
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        Refuse(which + ": " + std::to_string(bitCount) + " Bit pro Pixel");
    if (compression != BI_RGB)
        Refuse(which + ": komprimierte Bilder werden nicht gelesen");
    uint64_t colors = colorsUsed;
    if (bitCount <= 8 && colors == 0)
        colors = uint64_t(1) << bitCount;
    if (colors > 256 || (bitCount <= 8 && colors > (uint64_t(1) << bitCount)))
        Refuse(which + ": " + std::to_string(colorsUsed) + " Farben");
    uint64_t height = uint64_t(doubleHeight) / 2;
    uint64_t needed = headerSize + colors * 4 + DibStride(uint64_t(width), bitCount) * height +
                      DibStride(uint64_t(width), 1) * height;
    if (needed > span.size)
        Refuse(which + ": die Bilddaten sind unvollständig");
    image.width = width;
    image.height = int(height);
    return image;
}

// An icon group directory (the same layout in NE and PE files): a header and 14-byte entries,
// each naming an icon resource by number. `findIcon(id)` gives the spans of that resource
// (one per language), empty when there is none.
template <typename FindIcon>
IconGroupSpan CheckGroup(const Bytes& file, Span span, const std::string& name, FindIcon findIcon)
{
    std::string which = "Die Symbolgruppe " + name;
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
    IconGroupSpan group;
    group.name = name;
    group.offset = static_cast<uint32_t>(span.offset);
    group.size = static_cast<uint32_t>(span.size);
    for (unsigned i = 0; i < count; ++i) {
        unsigned id = file.U16(span.offset + 6 + 14 * uint64_t(i) + 12);
        std::vector<Span> icons = findIcon(id);
        if (icons.empty())
            Refuse(which + " verweist auf das fehlende Bild " + std::to_string(id));
        for (size_t k = 0; k < icons.size(); ++k) {
            IconImageSpan image = CheckImage(file, icons[k], which + ", Bild " + std::to_string(id));
            if (k == 0)
                group.images.push_back(image);
        }
    }
    return group;
}

// --- .ico files ---------------------------------------------------------------------------

void CheckIco(const Bytes& file, IconFileLayout& layout)
{
    if (file.Size() < 6)
        Refuse("Die Datei ist zu kurz für einen Symbolkopf");
    unsigned reserved = file.U16(0), type = file.U16(2), count = file.U16(4);
    if (reserved != 0 || type != 1)
        Refuse("Die Datei ist keine Symboldatei");
    if (count == 0 || count > MaxImagesPerIcon)
        Refuse("Die Datei nennt " + std::to_string(count) + " Bilder");
    uint64_t directoryEnd = 6 + 16 * uint64_t(count);
    file.Require(0, directoryEnd, "Das Verzeichnis der " + std::to_string(count) + " Bilder");
    IconGroupSpan group;
    group.size = static_cast<uint32_t>(directoryEnd);
    for (unsigned i = 0; i < count; ++i) {
        uint64_t entry = 6 + 16 * uint64_t(i);
        Span span{file.U32(entry + 12), file.U32(entry + 8)};
        std::string which = "Bild " + std::to_string(i + 1);
        if (span.offset < directoryEnd)
            Refuse(which + " überdeckt das Verzeichnis");
        group.images.push_back(CheckImage(file, span, which));
    }
    layout.groups.push_back(std::move(group));
}

// --- 16-bit NE libraries ------------------------------------------------------------------

struct NeResource {
    uint16_t id;
    std::string name;
    Span span;
};

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

void CheckNe(const Bytes& file, IconFileLayout& layout)
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

    std::vector<NeResource> groups, icons;
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
            NeResource resource;
            resource.span = {uint64_t(file.U16(at)) << shift, uint64_t(file.U16(at + 2)) << shift};
            resource.id = file.U16(at + 6);
            resource.name = resource.id & 0x8000 ? "#" + std::to_string(resource.id & 0x7FFF)
                                                 : NeName(file, table, resource.id);
            file.Require(resource.span.offset, resource.span.size, "Die Ressource " + resource.name);
            if (type == NeGroupIconType)
                groups.push_back(std::move(resource));
            else if (type == NeIconType)
                icons.push_back(std::move(resource));
        }
    }

    auto findIcon = [&icons](unsigned id) {
        std::vector<Span> spans;
        for (const NeResource& icon : icons)
            if (icon.id == (0x8000 | id))
                spans.push_back(icon.span);
        return spans;
    };
    for (const NeResource& group : groups)
        layout.groups.push_back(CheckGroup(file, group.span, group.name, findIcon));
}

// --- PE programs and libraries ------------------------------------------------------------

struct PeSection {
    uint32_t address;
    uint32_t length;   // of the part that is both in memory and in the file
    uint32_t rawOffset;
};

struct PeData {
    uint64_t offset;
    uint64_t sectionEnd;
};

class PeResources {
public:
    PeResources(const Bytes& file, std::vector<PeSection> sections) : file_(file), sections_(std::move(sections)) {}

    // The file offset of [rva, rva + length) when it lies in the data of one section in the file.
    PeData Map(uint32_t rva, uint64_t length, const std::string& what) const
    {
        for (const PeSection& section : sections_) {
            if (rva < section.address || rva - section.address >= section.length)
                continue;
            uint64_t inside = rva - section.address;
            if (length > section.length - inside)
                Refuse(what + " ragt über das Ende des Abschnitts");
            file_.Require(section.rawOffset, section.length, "Ein Abschnitt");
            return {section.rawOffset + inside, uint64_t(section.rawOffset) + section.length};
        }
        Refuse(what + " liegt in keinem Abschnitt der Datei");
    }

    void Walk(uint32_t rootRva, IconFileLayout& layout)
    {
        PeData root = Map(rootRva, 16, "Das Ressourcenverzeichnis");
        root_ = root.offset;
        end_ = root.sectionEnd;
        for (const Entry& type : ReadDirectory(0, 1)) {
            std::vector<std::pair<Entry, std::vector<Span>>> names;
            for (const Entry& name : ReadDirectory(type.target, 2)) {
                std::vector<Span> languages;
                for (const Entry& language : ReadDirectory(name.target, 3))
                    languages.push_back(ReadData(language.target));
                names.emplace_back(name, std::move(languages));
            }
            // Numbers are unique in an ordered directory.
            if (type.named)
                continue;
            if (type.id == PeGroupIconType) {
                groups_ = std::move(names);
            } else if (type.id == PeIconType) {
                for (auto& [name, languages] : names)
                    if (!name.named)
                        icons_[name.id] = std::move(languages);
            }
        }

        auto findIcon = [this](unsigned id) {
            auto found = icons_.find(id);
            return found == icons_.end() ? std::vector<Span>() : found->second;
        };
        for (const auto& [name, languages] : groups_) {
            std::string label = name.named ? name.name : "#" + std::to_string(name.id);
            if (languages.empty())
                Refuse("Die Symbolgruppe " + label + " hat keine Daten");
            for (size_t k = 0; k < languages.size(); ++k) {
                IconGroupSpan group = CheckGroup(file_, languages[k], label, findIcon);
                if (k == 0)
                    layout.groups.push_back(std::move(group));
            }
        }
    }

private:
    struct Entry {
        bool named = false;
        uint32_t id = 0;
        std::string name;
        uint32_t target = 0;   // offset from the root, of a directory or a data entry
    };

    void RequireTree(uint64_t relative, uint64_t length, const std::string& what) const
    {
        if (relative > end_ - root_ || length > end_ - root_ - relative)
            Refuse(what + " liegt außerhalb des Ressourcenabschnitts");
    }

    std::vector<Entry> ReadDirectory(uint32_t relative, int level)
    {
        if (!visited_.insert(relative).second)
            Refuse("Der Ressourcenbaum enthält eine Schleife");
        RequireTree(relative, 16, "Ein Ressourcenverzeichnis");
        uint64_t at = root_ + relative;
        uint64_t count = uint64_t(file_.U16(at + 12)) + file_.U16(at + 14);
        entries_ += count;
        if (entries_ > MaxPeEntries)
            Refuse("Der Ressourcenbaum hat zu viele Einträge");
        RequireTree(uint64_t(relative) + 16, 8 * count, "Ein Ressourcenverzeichnis");
        uint64_t named = file_.U16(at + 12);
        std::vector<Entry> entries;
        for (uint64_t i = 0; i < count; ++i) {
            uint64_t entry = at + 16 + 8 * i;
            uint32_t name = file_.U32(entry), target = file_.U32(entry + 4);
            bool directory = (target & 0x80000000u) != 0;
            if (directory != (level < PeTreeDepth))
                Refuse(directory ? "Der Ressourcenbaum ist zu tief" : "Der Ressourcenbaum ist zu flach");
            Entry e;
            e.named = (name & 0x80000000u) != 0;
            e.id = name & 0xFFFF;
            e.target = target & 0x7FFFFFFFu;
            // The platform finds numbers by binary search after the names: out of order, it
            // could find another entry than the one we checked.
            if (e.named != (i < named) || (!e.named && i > named && e.id <= entries.back().id))
                Refuse("Ein Ressourcenverzeichnis ist nicht geordnet");
            if (e.named)
                e.name = ReadName(name & 0x7FFFFFFFu);
            entries.push_back(std::move(e));
        }
        return entries;
    }

    // A counted UTF-16 name, turned into the program's code page.
    std::string ReadName(uint32_t relative) const
    {
        RequireTree(relative, 2, "Ein Ressourcenname");
        unsigned length = file_.U16(root_ + relative);
        RequireTree(uint64_t(relative) + 2, 2 * uint64_t(length), "Ein Ressourcenname");
        std::wstring wide;
        for (unsigned i = 0; i < length; ++i)
            wide += wchar_t(file_.U16(root_ + relative + 2 + 2 * uint64_t(i)));
        if (wide.empty())
            return std::string();
        int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
        std::string name(size > 0 ? size_t(size) : 0, '\0');
        if (size > 0)
            WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), &name[0], size, nullptr, nullptr);
        return name;
    }

    Span ReadData(uint32_t relative) const
    {
        RequireTree(relative, 16, "Ein Ressourceneintrag");
        uint32_t rva = file_.U32(root_ + relative), size = file_.U32(root_ + relative + 4);
        PeData data = Map(rva, size, "Eine Ressource");
        return {data.offset, size};
    }

    const Bytes& file_;
    std::vector<PeSection> sections_;
    uint64_t root_ = 0;
    uint64_t end_ = 0;
    std::set<uint32_t> visited_;
    uint64_t entries_ = 0;
    std::vector<std::pair<Entry, std::vector<Span>>> groups_;
    std::map<uint32_t, std::vector<Span>> icons_;
};

void CheckPe(const Bytes& file, IconFileLayout& layout)
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
    std::vector<PeSection> sections;
    std::vector<std::pair<uint64_t, uint64_t>> spans = {{0, file.U32(optional + 60)}};
    for (unsigned i = 0; i < sectionCount; ++i) {
        uint64_t at = sectionTable + 40 * uint64_t(i);
        uint32_t virtualSize = file.U32(at + 8), address = file.U32(at + 12);
        uint32_t rawSize = file.U32(at + 16), rawOffset = file.U32(at + 20);
        // Bytes past the virtual size are not mapped, those past the raw size are not in the file.
        uint32_t length = virtualSize ? std::min(virtualSize, rawSize) : rawSize;
        sections.push_back({address, length, rawOffset});
        spans.emplace_back(address, uint64_t(address) + std::max(virtualSize, rawSize));
    }
    // The platform may look an address up by a section's raw size where we go by its virtual
    // size (measured: a section whose raw size reached over the resources crashed it). Where
    // no two sections overlap, nor one the headers, both lookups find the same bytes.
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i)
        if (spans[i].first < spans[i - 1].second)
            Refuse("Die Abschnitte der Datei überlappen sich");
    PeResources resources(file, std::move(sections));
    resources.Walk(resourceRva, layout);
}

}  // namespace

IconFileKind DetectIconFileKind(const uint8_t* data, size_t size)
{
    Bytes file(data, size);
    if (size >= 4 && file.U16(0) == 0 && file.U16(2) == 1)
        return IconFileKind::Icon;
    if (size >= 64 && file.Equals(0, "MZ", 2)) {
        uint64_t header = file.U32(0x3C);
        if (file.Equals(header, "PE\0\0", 4))
            return IconFileKind::Pe;
        if (file.Equals(header, "NE", 2))
            return IconFileKind::Ne;
    }
    return IconFileKind::Unknown;
}

IconFileLayout CheckIconFileBytes(const uint8_t* data, size_t size)
{
    IconFileLayout layout;
    Bytes file(data, size);
    try {
        layout.kind = DetectIconFileKind(data, size);
        switch (layout.kind) {
        case IconFileKind::Icon: CheckIco(file, layout); break;
        case IconFileKind::Ne: CheckNe(file, layout); break;
        case IconFileKind::Pe: CheckPe(file, layout); break;
        case IconFileKind::Unknown: Refuse("Die Datei ist weder eine Symboldatei noch ein Programm oder eine Bibliothek");
        }
        layout.safe = true;
    } catch (const std::exception& e) {
        layout.groups.clear();
        layout.problem = e.what();
    }
    return layout;
}

IconFileLayout CheckIconFile(const std::string& fileName)
{
    return TCheckedIconFile(fileName).Layout();
}

int CountIcons(const std::string& fileName)
{
    return CheckIconFile(fileName).IconCount();
}

bool IsSafeIconFile(const std::string& fileName)
{
    return CheckIconFile(fileName).safe;
}

HICON ExtractCheckedIcon(const std::string& fileName, int index)
{
    TIconFileReader reader(fileName);
    return reader.ExtractAt(index);
}

TCheckedIconFile::TCheckedIconFile(const std::string& fileName)
{
    try {
        bytes_ = ReadFileBytes(fileName, MaxFileSize);
    } catch (const std::exception& e) {
        layout_.problem = e.what();
        return;
    }
    layout_ = CheckIconFileBytes(bytes_.data(), bytes_.size());
}

const IconImageSpan* TCheckedIconFile::ChooseImage(int index, int width, int height) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    const IconGroupSpan& group = layout_.groups[static_cast<size_t>(index)];
    const size_t count = group.images.size();
    // The platform chooses on a directory as libraries store it: 14-byte entries ending in a
    // resource number. An .ico file's entries are 16 bytes and end in a file offset. Entry i is
    // numbered i + 1 here, as 0 is the platform's "none".
    const size_t entrySize = layout_.kind == IconFileKind::Icon ? 16 : 14;
    if (count == 0 || uint64_t(group.offset) + 6 + entrySize * count > bytes_.size())
        return nullptr;
    std::vector<uint8_t> directory(6 + 14 * count);
    directory[2] = 1;
    directory[4] = static_cast<uint8_t>(count);
    directory[5] = static_cast<uint8_t>(count >> 8);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* entry = &directory[6 + 14 * i];
        std::memcpy(entry, bytes_.data() + group.offset + 6 + entrySize * i, 12);
        entry[12] = static_cast<uint8_t>(i + 1);
        entry[13] = static_cast<uint8_t>((i + 1) >> 8);
    }
    int id = LookupIconIdFromDirectoryEx(directory.data(), TRUE, width, height, LR_DEFAULTCOLOR);
    if (id < 1 || static_cast<size_t>(id) > count)
        return nullptr;
    return &group.images[static_cast<size_t>(id) - 1];
}

std::vector<uint8_t> TCheckedIconFile::ImageBytes(const IconImageSpan& image) const
{
    if (uint64_t(image.offset) + image.size > bytes_.size())
        return {};
    return std::vector<uint8_t>(bytes_.begin() + image.offset, bytes_.begin() + image.offset + image.size);
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

TIconFileReader::TIconFileReader(std::string fileName) : fileName_(std::move(fileName))
{
    Check();
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

void TIconFileReader::Check()
{
    // Stamp first: a change during the read then shows as a different stamp next time.
    stamp_ = StampOf(fileName_);
    layout_ = CheckIconFile(fileName_);
}

HICON TIconFileReader::ExtractAt(int index)
{
    Stamp now = StampOf(fileName_);
    if (!now.found)
        return nullptr;
    if (!stamp_.found || now.size != stamp_.size || CompareFileTime(&now.written, &stamp_.written) != 0)
        Check();
    if (index < 0 || index >= Count())
        return nullptr;
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), fileName_.c_str(), static_cast<UINT>(index));
    // 1 is the platform's answer for a file that is not a program.
    if (reinterpret_cast<UINT_PTR>(icon) <= 1)
        return nullptr;
    return icon;
}
