// The icon reader against files made here: broken .ico files, NE libraries and PE resource trees
// it must refuse, valid ones it must count as the platform does, and random damage it must
// survive without reading outside the file.
#include <windows.h>

#include "../framework/ImageBytes.h"
#include "Classes.h"
#include "IconFileReader.h"
#include "IconFileReaderImages.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

using imagebytes::Put16;
using imagebytes::Put32;
using imagebytes::ScratchFolder;
using imagebytes::Set32;

namespace {

using Buffer = std::vector<uint8_t>;

void Set16(Buffer& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

uint32_t Get32(const Buffer& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

void Align(Buffer& b, size_t alignment)
{
    b.resize((b.size() + alignment - 1) / alignment * alignment, 0);
}

Buffer Solid(int size, COLORREF colour)
{
    return imagebytes::IconImage(size, [colour](int, int) { return colour; }, [](int x, int) { return x == 0; });
}

// Three images of one icon: 16, 32 and 48 pixels.
std::vector<Buffer> ThreeImages(COLORREF colour)
{
    return {Solid(16, colour), Solid(32, colour), Solid(48, colour)};
}

Buffer ValidIco()
{
    return imagebytes::Ico(ThreeImages(RGB(200, 0, 0)));
}

// A directory of icon resources numbered from `firstId`, as libraries store it.
Buffer GroupDirectory(const std::vector<Buffer>& images, unsigned firstId)
{
    Buffer out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, uint32_t(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        uint8_t size = images[i][4];
        out.insert(out.end(), {size, size, 0, 0});
        Put16(out, 1);
        Put16(out, 24);
        Put32(out, uint32_t(images[i].size()));
        Put16(out, uint32_t(firstId + i));
    }
    return out;
}

// One icon of a library: its images and its name ("" = numbered).
struct LibraryIcon {
    std::string name;
    std::vector<Buffer> images;
};

std::vector<LibraryIcon> FourIcons()
{
    return {{"", ThreeImages(RGB(200, 0, 0))},
            {"", {Solid(32, RGB(0, 200, 0))}},
            {"", ThreeImages(RGB(0, 0, 200))},
            {"ALPHA", {Solid(16, RGB(200, 200, 0)), Solid(32, RGB(200, 200, 0))}}};
}

// --- 16-bit NE library -------------------------------------------------------------------

struct NeLibrary {
    Buffer bytes;
    size_t table = 0;                // the resource table (its alignment shift)
    size_t groupType = 0;            // the type header of the icon groups
    std::vector<size_t> groupEntries;  // per group: its resource entry
    std::vector<size_t> groupData;     // per group: its directory in the file
    std::vector<size_t> iconData;      // per image: its bytes in the file
    size_t namedType = 0;            // the type header of the type with a name
};

// Groups in order of `icons` (named ones with their name, the others numbered from 1), then
// their images numbered from 1, then one resource of a type that has a name.
NeLibrary MakeNe(const std::vector<LibraryIcon>& icons)
{
    constexpr unsigned Shift = 4;
    NeLibrary ne;
    Buffer& b = ne.bytes;
    b.assign(64, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Set32(b, 0x3C, 64);
    b.resize(128, 0);
    b[64] = 'N';
    b[65] = 'E';
    ne.table = b.size();
    Set16(b, 64 + 0x24, uint16_t(ne.table - 64));
    Put16(b, Shift);

    struct Pending {
        size_t entry;
        Buffer data;
        std::vector<size_t>* where;
    };
    std::vector<Pending> pending;
    std::vector<std::pair<size_t, std::string>> names;
    auto entry = [&](uint16_t id, const std::string& name, Buffer data, std::vector<size_t>* where) {
        size_t at = b.size();
        Put16(b, 0);
        Put16(b, 0);
        Put16(b, 0x1030);
        Put16(b, id);
        Put16(b, 0);
        Put16(b, 0);
        if (!name.empty())
            names.emplace_back(at + 6, name);
        pending.push_back({at, std::move(data), where});
        return at;
    };

    ne.groupType = b.size();
    Put16(b, 0x800E);
    Put16(b, uint32_t(icons.size()));
    Put32(b, 0);
    unsigned imageId = 1, numbered = 1;
    for (const LibraryIcon& icon : icons) {
        uint16_t id = icon.name.empty() ? uint16_t(0x8000 | numbered++) : 0;
        ne.groupEntries.push_back(entry(id, icon.name, GroupDirectory(icon.images, imageId), &ne.groupData));
        imageId += unsigned(icon.images.size());
    }
    Put16(b, 0x8003);
    Put16(b, imageId - 1);
    Put32(b, 0);
    imageId = 1;
    for (const LibraryIcon& icon : icons)
        for (const Buffer& image : icon.images)
            entry(uint16_t(0x8000 | imageId++), "", image, &ne.iconData);
    ne.namedType = b.size();
    Put16(b, 0);
    Put16(b, 1);
    Put32(b, 0);
    names.emplace_back(ne.namedType, "TESTDATA");
    entry(0x8001, "", Buffer{'d', 'a', 't', 'a'}, nullptr);
    Put16(b, 0);

    for (const auto& [field, name] : names) {
        Set16(b, field, uint16_t(b.size() - ne.table));
        b.push_back(uint8_t(name.size()));
        b.insert(b.end(), name.begin(), name.end());
    }
    Set16(b, 64 + 0x26, uint16_t(b.size() - 64));
    b.push_back(0);   // an empty resident name table

    for (Pending& p : pending) {
        Align(b, 1 << Shift);
        Set16(b, p.entry, uint16_t(b.size() >> Shift));
        Set16(b, p.entry + 2, uint16_t((p.data.size() + (1 << Shift) - 1) >> Shift));
        if (p.where)
            p.where->push_back(b.size());
        b.insert(b.end(), p.data.begin(), p.data.end());
    }
    Align(b, 1 << Shift);
    return ne;
}

// --- PE library --------------------------------------------------------------------------

struct PeName {
    std::string name;   // "" = numbered
    uint32_t id = 0;
    Buffer data;
};

struct PeType {
    uint32_t id;
    std::vector<PeName> names;   // named ones first, as the format sorts them
};

struct PeLibrary {
    Buffer bytes;
    size_t header = 0;         // "PE\0\0"
    size_t resourceEntry = 0;  // RVA and size of the resource directory
    size_t section = 0;        // the section header of the resources
    size_t root = 0;           // the resource tree in the file
    uint32_t rva = 0;          // and in memory
    std::vector<size_t> typeEntries;                // per type: its entry in the root
    std::vector<size_t> typeDirectories;            // per type: its directory
    std::vector<std::vector<size_t>> nameEntries;   // per type and name
    std::vector<std::vector<size_t>> languageEntries;
    std::vector<std::vector<size_t>> dataEntries;
    std::vector<std::vector<size_t>> data;          // per type and name: its bytes in the file
    size_t blobs = 0;          // where the resources' bytes begin
    size_t end = 0;            // and end; the section's padding follows
};

// A DLL of one section holding the resource tree `types` (type -> name -> one language).
PeLibrary MakePe(const std::vector<PeType>& types, bool pe64 = false)
{
    constexpr uint32_t SectionRva = 0x1000, FileAlignment = 0x200;
    PeLibrary pe;
    Buffer& b = pe.bytes;
    b.assign(64, 0);
    b[0] = 'M';
    b[1] = 'Z';
    pe.header = 0x80;
    Set32(b, 0x3C, uint32_t(pe.header));
    b.resize(pe.header, 0);
    b.insert(b.end(), {'P', 'E', 0, 0});
    uint32_t optionalSize = pe64 ? 240 : 224;
    Put16(b, pe64 ? 0x8664 : 0x14C);
    Put16(b, 1);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put16(b, optionalSize);
    Put16(b, 0x2102);
    size_t optional = b.size();
    b.resize(optional + optionalSize, 0);
    Set16(b, optional, pe64 ? 0x20B : 0x10B);
    Set32(b, optional + 60, FileAlignment);   // the size of the headers
    size_t countAt = optional + (pe64 ? 108 : 92);
    Set32(b, countAt, 16);
    pe.resourceEntry = countAt + 4 + 16;
    pe.section = b.size();
    b.resize(pe.section + 40, 0);
    std::copy_n(".rsrc", 5, b.begin() + pe.section);
    Align(b, FileAlignment);
    pe.root = b.size();
    pe.rva = SectionRva;

    // Directories first, then data entries, names and the resources' bytes.
    Buffer t;
    auto directory = [&t](unsigned named, unsigned ids) {
        size_t at = t.size();
        t.resize(at + 12, 0);
        Put16(t, named);
        Put16(t, ids);
        t.resize(t.size() + 8 * (named + ids), 0);
        return at;
    };
    auto countNamed = [](const PeType& type) {
        unsigned n = 0;
        for (const PeName& name : type.names)
            n += !name.name.empty();
        return n;
    };
    directory(0, unsigned(types.size()));
    std::vector<std::pair<size_t, std::string>> names;
    pe.nameEntries.resize(types.size());
    pe.languageEntries.resize(types.size());
    pe.dataEntries.resize(types.size());
    pe.data.resize(types.size());
    for (size_t i = 0; i < types.size(); ++i) {
        size_t dir = directory(countNamed(types[i]), unsigned(types[i].names.size() - countNamed(types[i])));
        Set32(t, 16 + 8 * i, types[i].id);
        Set32(t, 16 + 8 * i + 4, 0x80000000u | uint32_t(dir));
        pe.typeEntries.push_back(pe.root + 16 + 8 * i);
        pe.typeDirectories.push_back(pe.root + dir);
        for (size_t k = 0; k < types[i].names.size(); ++k) {
            size_t language = directory(0, 1);
            size_t at = dir + 16 + 8 * k;
            if (types[i].names[k].name.empty())
                Set32(t, at, types[i].names[k].id);
            else
                names.emplace_back(at, types[i].names[k].name);
            Set32(t, at + 4, 0x80000000u | uint32_t(language));
            Set32(t, language + 16, 0x409);
            pe.nameEntries[i].push_back(pe.root + at);
            pe.languageEntries[i].push_back(pe.root + language + 16);
        }
    }
    for (size_t i = 0; i < types.size(); ++i)
        for (size_t k = 0; k < types[i].names.size(); ++k) {
            size_t entry = t.size();
            t.resize(entry + 16, 0);
            Set32(t, pe.languageEntries[i][k] - pe.root + 4, uint32_t(entry));
            pe.dataEntries[i].push_back(pe.root + entry);
        }
    for (const auto& [field, name] : names) {
        Set32(t, field, 0x80000000u | uint32_t(t.size()));
        Put16(t, uint32_t(name.size()));
        for (char c : name)
            Put16(t, uint8_t(c));
    }
    pe.blobs = pe.root + t.size();
    for (size_t i = 0; i < types.size(); ++i)
        for (size_t k = 0; k < types[i].names.size(); ++k) {
            Align(t, 4);
            const Buffer& data = types[i].names[k].data;
            Set32(t, pe.dataEntries[i][k] - pe.root, SectionRva + uint32_t(t.size()));
            Set32(t, pe.dataEntries[i][k] - pe.root + 4, uint32_t(data.size()));
            pe.data[i].push_back(pe.root + t.size());
            t.insert(t.end(), data.begin(), data.end());
        }
    uint32_t virtualSize = uint32_t(t.size());
    pe.end = pe.root + virtualSize;
    Align(t, FileAlignment);
    b.insert(b.end(), t.begin(), t.end());
    Set32(b, pe.resourceEntry, SectionRva);
    Set32(b, pe.resourceEntry + 4, virtualSize);
    Set32(b, pe.section + 8, virtualSize);
    Set32(b, pe.section + 12, SectionRva);
    Set32(b, pe.section + 16, uint32_t(t.size()));
    Set32(b, pe.section + 20, uint32_t(pe.root));
    Set32(b, pe.section + 36, 0x40000040);
    return pe;
}

// Type indexes of MakeIconPe's tree.
constexpr size_t PeIconType = 0, PeDataType = 1, PeGroupType = 2;

// The icons as a DLL stores them: images numbered from 1 (RT_ICON), one other resource
// (RT_RCDATA) and the groups (RT_GROUP_ICON), named ones first.
PeLibrary MakeIconPe(const std::vector<LibraryIcon>& icons, bool pe64 = false)
{
    PeType images{3, {}}, other{10, {{"", 1, Buffer{'d', 'a', 't', 'a'}}}}, groups{14, {}};
    std::vector<PeName> named, numbered;
    uint32_t imageId = 1, groupId = 1;
    for (const LibraryIcon& icon : icons) {
        PeName group{icon.name, icon.name.empty() ? groupId++ : 0, GroupDirectory(icon.images, imageId)};
        (icon.name.empty() ? numbered : named).push_back(group);
        for (const Buffer& image : icon.images)
            images.names.push_back({"", imageId++, image});
    }
    groups.names = named;
    groups.names.insert(groups.names.end(), numbered.begin(), numbered.end());
    return MakePe({images, other, groups}, pe64);
}

// --- checks shared by the tests ----------------------------------------------------------

IconFileLayout Check(const Buffer& bytes)
{
    return CheckIconFileBytes(bytes.data(), bytes.size());
}

// Whatever the reader accepts, every span it reports lies inside the file.
void ExpectInside(const IconFileLayout& layout, size_t size, const std::string& what)
{
    for (const IconGroupSpan& group : layout.groups) {
        EXPECT_LE(uint64_t(group.offset) + group.size, size) << what << ": group " << group.name;
        for (const IconImageSpan& image : group.images)
            EXPECT_LE(uint64_t(image.offset) + image.size, size) << what << ": image at " << image.offset;
    }
}

struct Damage {
    const char* what;
    std::function<void(Buffer&)> apply;
};

// Every damage of `cases`, applied to a fresh `valid` buffer, must be refused.
template <typename Make>
void ExpectAllRefused(Make valid, const std::vector<Damage>& cases)
{
    for (const Damage& damage : cases) {
        Buffer bytes = valid();
        damage.apply(bytes);
        IconFileLayout layout = Check(bytes);
        EXPECT_FALSE(layout.safe) << damage.what << ": accepted with " << layout.groups.size() << " icons";
        EXPECT_TRUE(layout.groups.empty()) << damage.what;
        EXPECT_FALSE(!layout.safe && layout.problem.empty()) << damage.what << ": refused without a reason";
    }
}

// Which unit a damage must cost: image `entry` of group `group`, or the whole group (-1).
struct UnitDamage {
    const char* what;
    size_t group;
    int entry;
    std::function<void(Buffer&)> apply;
};

// The directory entries of each group's images.
std::vector<std::vector<int>> Entries(const IconFileLayout& layout)
{
    std::vector<std::vector<int>> entries;
    for (const IconGroupSpan& group : layout.groups) {
        entries.emplace_back();
        for (const IconImageSpan& image : group.images)
            entries.back().push_back(image.entry);
    }
    return entries;
}

// Every damage of `cases`, applied to a fresh `valid` buffer, must refuse just its unit: the
// file keeps its icons and their numbers, the other groups all their images.
template <typename Make>
void ExpectOnlyRefused(Make valid, const std::vector<UnitDamage>& cases)
{
    const std::vector<std::vector<int>> whole = Entries(Check(valid()));
    for (const UnitDamage& damage : cases) {
        Buffer bytes = valid();
        damage.apply(bytes);
        IconFileLayout layout = Check(bytes);
        ASSERT_TRUE(layout.safe) << damage.what << ": " << layout.problem;
        ASSERT_EQ(layout.groups.size(), whole.size()) << damage.what;
        std::vector<std::vector<int>> expected = whole;
        std::vector<int>& hit = expected[damage.group];
        if (damage.entry < 0)
            hit.clear();
        else
            hit.erase(std::find(hit.begin(), hit.end(), damage.entry));
        EXPECT_EQ(Entries(layout), expected) << damage.what;
        for (size_t g = 0; g < layout.groups.size(); ++g)
            EXPECT_EQ(layout.groups[g].problem.empty(), g != damage.group) << damage.what << ", group " << g << ": "
                                                                           << layout.groups[g].problem;
        ExpectInside(layout, bytes.size(), damage.what);
    }
}

// Damage to the directory of group `group` at `directory`, the same in NE and PE files.
std::vector<UnitDamage> DirectoryDamages(size_t group, size_t directory)
{
    return {
        {"group that is not an icon directory", group, -1, [directory](Buffer& b) { Set16(b, directory + 2, 2); }},
        {"group of no images", group, -1, [directory](Buffer& b) { Set16(b, directory + 4, 0); }},
        {"group naming more images than it holds", group, -1, [directory](Buffer& b) { Set16(b, directory + 4, 200); }},
        {"group naming a missing image", group, 0, [directory](Buffer& b) { Set16(b, directory + 6 + 12, 99); }},
    };
}

std::string TestFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length);
    return exe.substr(0, exe.find_last_of('\\') + 1);
}

std::string TestLibrary()
{
    return TestFolder() + "ql_test_icons.dll";
}

// What the platform's extraction says a file holds (it is asked only for files we made valid).
int PlatformCount(const std::string& fileName)
{
    return int(reinterpret_cast<UINT_PTR>(ExtractIconA(GetModuleHandleA(nullptr), fileName.c_str(), UINT(-1))));
}

void WriteFile(const std::string& fileName, const Buffer& bytes)
{
    SaveFileReplacing(fileName, bytes.data(), bytes.size());
}

// Extracts icon `index` and says whether an icon came back, destroying it.
bool Extracts(const std::string& fileName, int index)
{
    HICON icon = ExtractCheckedIcon(fileName, index);
    if (icon)
        DestroyIcon(icon);
    return icon != nullptr;
}

bool PlatformExtracts(const std::string& fileName, int index)
{
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), fileName.c_str(), static_cast<UINT>(index));
    if (icon && icon != reinterpret_cast<HICON>(1))
        DestroyIcon(icon);
    return icon != nullptr && icon != reinterpret_cast<HICON>(1);
}

}  // namespace

TEST(IconFileReader, DetectsTheKindByContent)
{
    Buffer text = {'H', 'a', 'l', 'l', 'o', '\r', '\n'};
    text.resize(100, ' ');
    Buffer dos(64, 0);
    dos[0] = 'M';
    dos[1] = 'Z';
    Set32(dos, 0x3C, 0x7FFFFFF0);
    const struct {
        const char* what;
        Buffer bytes;
        IconFileKind kind;
    } cases[] = {
        {"icon", ValidIco(), IconFileKind::Icon},
        {"NE library", MakeNe(FourIcons()).bytes, IconFileKind::Ne},
        {"PE library", MakeIconPe(FourIcons()).bytes, IconFileKind::Pe},
        {"text", text, IconFileKind::Unknown},
        {"program header pointing past the end", dos, IconFileKind::Unknown},
        {"three bytes", Buffer{0, 0, 1}, IconFileKind::Unknown},
        {"empty", Buffer{}, IconFileKind::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(int(DetectIconFileKind(c.bytes.data(), c.bytes.size())), int(c.kind)) << c.what;
}

TEST(IconFileReader, ValidIconFileIsOneIconOfAllItsImages)
{
    Buffer bytes = ValidIco();
    IconFileLayout layout = Check(bytes);
    ASSERT_TRUE(layout.safe) << layout.problem;
    EXPECT_EQ(layout.kind, IconFileKind::Icon);
    EXPECT_EQ(layout.IconCount(), 1);
    ASSERT_EQ(layout.groups.size(), 1u);
    ASSERT_EQ(layout.groups[0].images.size(), 3u);
    const int sizes[] = {16, 32, 48};
    uint32_t offset = 6 + 3 * 16;
    for (int i = 0; i < 3; ++i) {
        const IconImageSpan& image = layout.groups[0].images[i];
        EXPECT_EQ(image.width, sizes[i]) << "image " << i;
        EXPECT_EQ(image.height, sizes[i]) << "image " << i;
        EXPECT_EQ(image.offset, offset) << "image " << i;
        offset += image.size;
    }
    EXPECT_EQ(offset, bytes.size()) << "the images fill the file";
}

TEST(IconFileReader, AcceptsPngImages)
{
    Buffer png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    Put32(png, 0x00010000);   // 256 wide, big-endian
    Put32(png, 0x00010000);
    png.insert(png.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0, 0, 0, 0});
    IconFileLayout layout = Check(imagebytes::Ico({Solid(32, RGB(1, 2, 3)), png}));
    ASSERT_TRUE(layout.safe) << layout.problem;
    ASSERT_EQ(layout.groups[0].images.size(), 2u);
    EXPECT_TRUE(layout.groups[0].images[1].png);
    EXPECT_EQ(layout.groups[0].images[1].width, 256);

    Buffer tooWide = png;
    tooWide[18] = 2;   // 512 wide
    Buffer noHeader(png.begin(), png.begin() + 20);
    for (const Buffer& broken : {tooWide, noHeader}) {
        layout = Check(imagebytes::Ico({Solid(32, RGB(1, 2, 3)), broken}));
        ASSERT_TRUE(layout.safe) << layout.problem;
        EXPECT_EQ(layout.groups[0].images.size(), 1u) << "only the broken PNG goes";
        EXPECT_FALSE(layout.groups[0].problem.empty());
    }
}

TEST(IconFileReader, RefusesIconFilesWithABrokenHeader)
{
    ExpectAllRefused(ValidIco, {
        {"shorter than a header", [](Buffer& b) { b.resize(5); }},
        {"header only", [](Buffer& b) { b.resize(6); }},
        {"reserved field set", [](Buffer& b) { Set16(b, 0, 1); }},
        {"a cursor", [](Buffer& b) { Set16(b, 2, 2); }},
        {"type 0", [](Buffer& b) { Set16(b, 2, 0); }},
        {"no images", [](Buffer& b) { Set16(b, 4, 0); }},
        {"more images than the file holds", [](Buffer& b) { b = imagebytes::Ico({Solid(16, 0)}); Set16(b, 4, 100); }},
        {"more images than an icon has", [](Buffer& b) { Set16(b, 4, 1000); }},
        {"directory cut short", [](Buffer& b) { b.resize(6 + 16 + 8); }},
    });
}

TEST(IconFileReader, RefusesOnlyTheBrokenImageOfAnIconFile)
{
    // The directory: 6 bytes, then 16 per image with its size at +8 and its offset at +12.
    const size_t first = 6, last = 6 + 2 * 16;
    const size_t image0 = 6 + 3 * 16;   // the first image's header
    auto sizeOf = [](const Buffer& b, size_t entry) { return b[entry + 8] | b[entry + 9] << 8 | b[entry + 10] << 16; };
    ExpectOnlyRefused(ValidIco, {
        {"offset past the end", 0, 0, [](Buffer& b) { Set32(b, first + 12, uint32_t(b.size())); }},
        {"offset far past the end", 0, 0, [](Buffer& b) { Set32(b, first + 12, 0xFFFFFFF0); }},
        {"size past the end", 0, 2, [&](Buffer& b) { Set32(b, last + 8, sizeOf(b, last) + 1); }},
        {"offset and size wrap around", 0, 0, [](Buffer& b) { Set32(b, first + 12, 0xFFFFFF00); Set32(b, first + 8, 0x200); }},
        {"offset inside the directory", 0, 2, [](Buffer& b) { Set32(b, last + 12, 6 + 16); }},
        {"offset at the start of the file", 0, 0, [](Buffer& b) { Set32(b, first + 12, 0); }},
        {"absurd size", 0, 0, [](Buffer& b) { Set32(b, first + 8, 0x7FFFFFFF); }},
        {"size too big for any icon", 0, 0, [](Buffer& b) { Set32(b, first + 8, 16u << 20); b.resize(17u << 20); }},
        {"image shorter than its header", 0, 0, [](Buffer& b) { Set32(b, first + 8, 20); }},
        {"image size 0", 0, 0, [](Buffer& b) { Set32(b, first + 8, 0); }},
        {"file cut inside the last image", 0, 2, [](Buffer& b) { b.resize(b.size() - 1); }},
        {"header size 12", 0, 0, [&](Buffer& b) { Set32(b, image0, 12); }},
        {"header larger than the image", 0, 0, [&](Buffer& b) { Set32(b, image0, 0x10000); }},
        {"width 0", 0, 0, [&](Buffer& b) { Set32(b, image0 + 4, 0); }},
        {"width 300", 0, 0, [&](Buffer& b) { Set32(b, image0 + 4, 300); }},
        {"negative width", 0, 0, [&](Buffer& b) { Set32(b, image0 + 4, uint32_t(-16)); }},
        {"negative height", 0, 0, [&](Buffer& b) { Set32(b, image0 + 8, uint32_t(-32)); }},
        {"height 0", 0, 0, [&](Buffer& b) { Set32(b, image0 + 8, 0); }},
        {"height over 256", 0, 0, [&](Buffer& b) { Set32(b, image0 + 8, 2 * 300); }},
        {"pixels larger than the image", 0, 0, [&](Buffer& b) { Set32(b, image0 + 4, 256); Set32(b, image0 + 8, 512); }},
        {"7 bits per pixel", 0, 0, [&](Buffer& b) { Set16(b, image0 + 14, 7); }},
        {"compressed", 0, 0, [&](Buffer& b) { Set32(b, image0 + 16, BI_RLE8); }},
        {"more colours than bits allow", 0, 0, [&](Buffer& b) { Set16(b, image0 + 14, 1); Set32(b, image0 + 32, 3); }},
        {"colour table past the image", 0, 0, [&](Buffer& b) { Set32(b, image0 + 32, 256); }},
    });
}

TEST(IconFileReader, ValidNeLibraryCountsItsGroups)
{
    NeLibrary ne = MakeNe(FourIcons());
    IconFileLayout layout = Check(ne.bytes);
    ASSERT_TRUE(layout.safe) << layout.problem;
    EXPECT_EQ(layout.kind, IconFileKind::Ne);
    ASSERT_EQ(layout.IconCount(), 4);
    const char* names[] = {"#1", "#2", "#3", "ALPHA"};
    const size_t images[] = {3, 1, 3, 2};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(layout.groups[i].name, names[i]) << "group " << i;
        EXPECT_EQ(layout.groups[i].offset, ne.groupData[i]) << "group " << i;
        EXPECT_EQ(layout.groups[i].images.size(), images[i]) << "group " << i;
    }
    EXPECT_EQ(layout.groups[0].images[2].width, 48);
    EXPECT_EQ(layout.groups[3].images[0].offset, ne.iconData[7]);
    ExpectInside(layout, ne.bytes.size(), "valid NE");
}

TEST(IconFileReader, NeLibraryWithoutIconsHasNone)
{
    IconFileLayout layout = Check(MakeNe({}).bytes);
    EXPECT_TRUE(layout.safe) << layout.problem;
    EXPECT_EQ(layout.IconCount(), 0);

    NeLibrary noTable = MakeNe(FourIcons());
    Set16(noTable.bytes, 64 + 0x24, 0);
    Set16(noTable.bytes, 64 + 0x26, 0);
    layout = Check(noTable.bytes);
    EXPECT_TRUE(layout.safe) << layout.problem;
    EXPECT_EQ(layout.IconCount(), 0) << "no resource table";
}

TEST(IconFileReader, RefusesBrokenNeLibraries)
{
    NeLibrary ne = MakeNe(FourIcons());   // the positions of the parts, the same in every copy
    const size_t header = 64;
    ExpectAllRefused([] { return MakeNe(FourIcons()).bytes; }, {
        {"header offset past the end", [](Buffer& b) { Set32(b, 0x3C, uint32_t(b.size())); }},
        {"header offset at the very end", [](Buffer& b) { Set32(b, 0x3C, uint32_t(b.size() - 2)); }},
        {"header offset wraps", [](Buffer& b) { Set32(b, 0x3C, 0xFFFFFFFE); }},
        {"bad signature", [&](Buffer& b) { b[header + 1] = 'X'; }},
        {"resource table past the end", [&](Buffer& b) { Set16(b, header + 0x24, 0xFFF0); }},
        {"alignment shift 16", [&](Buffer& b) { Set16(b, ne.table, 16); }},
        {"alignment shift 0xFFFF", [&](Buffer& b) { Set16(b, ne.table, 0xFFFF); }},
        {"more groups than the table holds", [&](Buffer& b) { Set16(b, ne.groupType + 2, 0x1000); }},
        {"too many resources of one type", [&](Buffer& b) { Set16(b, ne.groupType + 2, 0xFFFF); }},
        {"NE header cut by the end of the file",
         [](Buffer& b) { b.insert(b.end(), {'N', 'E'}); Set32(b, 0x3C, uint32_t(b.size() - 2)); }},
        {"file cut inside the table", [&](Buffer& b) { b.resize(ne.groupEntries[3] + 12); }},
        {"endless type table", [&](Buffer& b) {
             for (size_t at = ne.table + 2; at + 8 <= ne.table + 2 + 8 * 300; at += 8)
                 Set32(b, at, 0x8010), Set32(b, at + 4, 0);
         }},
        {"icon groups listed twice", [&](Buffer& b) { Set16(b, ne.namedType, 0x800E); }},
        {"type name past the end", [&](Buffer& b) { Set16(b, ne.namedType, 0x7FFF); }},
        {"group name past the end", [&](Buffer& b) { Set16(b, ne.groupEntries[3] + 6, 0x7FFF); }},
    });
}

TEST(IconFileReader, RefusesOnlyTheBrokenGroupOrImageOfAnNeLibrary)
{
    NeLibrary ne = MakeNe(FourIcons());
    const size_t group = ne.groupEntries[0], groupData = ne.groupData[0], icon = ne.iconData[0];
    std::vector<UnitDamage> damages = DirectoryDamages(0, groupData);
    damages.insert(damages.end(), {
        {"resource offset past the end", 0, -1, [&](Buffer& b) { Set16(b, group, 0xFFFF); }},
        {"resource length past the end", 0, -1, [&](Buffer& b) { Set16(b, group + 2, 0xFFFF); }},
        {"image of width 0", 0, 0, [&](Buffer& b) { Set32(b, icon + 4, 0); }},
        {"image with a broken header", 0, 0, [&](Buffer& b) { Set32(b, icon, 0xFFFFFFFF); }},
    });
    ExpectOnlyRefused([] { return MakeNe(FourIcons()).bytes; }, damages);
}

TEST(IconFileReader, ValidPeLibraryCountsItsGroups)
{
    for (bool pe64 : {false, true}) {
        PeLibrary pe = MakeIconPe(FourIcons(), pe64);
        IconFileLayout layout = Check(pe.bytes);
        ASSERT_TRUE(layout.safe) << layout.problem << (pe64 ? " (PE32+)" : "");
        EXPECT_EQ(layout.kind, IconFileKind::Pe);
        ASSERT_EQ(layout.IconCount(), 4);
        // Named groups come first in the tree, and so in the platform's numbering.
        const char* names[] = {"ALPHA", "#1", "#2", "#3"};
        const size_t images[] = {2, 3, 1, 3};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(layout.groups[i].name, names[i]) << "group " << i;
            EXPECT_EQ(layout.groups[i].offset, pe.data[PeGroupType][i]) << "group " << i;
            EXPECT_EQ(layout.groups[i].images.size(), images[i]) << "group " << i;
        }
        EXPECT_EQ(layout.groups[1].images[0].offset, pe.data[PeIconType][0]);
        ExpectInside(layout, pe.bytes.size(), "valid PE");
    }
}

TEST(IconFileReader, PeLibraryWithoutIconsHasNone)
{
    PeLibrary noResources = MakePe({});
    Set32(noResources.bytes, noResources.resourceEntry, 0);
    Set32(noResources.bytes, noResources.resourceEntry + 4, 0);
    PeLibrary otherResources = MakePe({{10, {{"", 1, Buffer{1, 2, 3}}}}});
    for (const PeLibrary* pe : {&noResources, &otherResources}) {
        IconFileLayout layout = Check(pe->bytes);
        EXPECT_TRUE(layout.safe) << layout.problem;
        EXPECT_EQ(layout.IconCount(), 0);
    }
}

TEST(IconFileReader, RefusesBrokenPeLibraries)
{
    PeLibrary pe = MakeIconPe(FourIcons());   // the positions of the parts, the same in every copy
    auto relative = [&](size_t fileOffset) { return uint32_t(fileOffset - pe.root); };
    const size_t groupType = pe.typeEntries[PeGroupType];
    const size_t groupData = pe.dataEntries[PeGroupType][1];
    ExpectAllRefused([] { return MakeIconPe(FourIcons()).bytes; }, {
        {"header offset past the end", [](Buffer& b) { Set32(b, 0x3C, uint32_t(b.size())); }},
        {"header offset wraps", [](Buffer& b) { Set32(b, 0x3C, 0xFFFFFFFE); }},
        {"bad signature", [&](Buffer& b) { b[pe.header + 2] = 'X'; }},
        {"PE header cut by the end of the file",
         [](Buffer& b) { b.insert(b.end(), {'P', 'E', 0, 0}); Set32(b, 0x3C, uint32_t(b.size() - 4)); }},
        {"unknown optional header", [&](Buffer& b) { Set16(b, pe.header + 24, 0x10C); }},
        {"optional header past the end", [&](Buffer& b) { Set16(b, pe.header + 20, 0xFFFF); }},
        {"too many sections", [&](Buffer& b) { Set16(b, pe.header + 6, 0xFFFF); }},
        {"an earlier section whose raw size covers the resources", [&](Buffer& b) {
             Set16(b, pe.header + 6, 2);
             Set32(b, pe.section + 40 + 8, 0x100);    // virtual size
             Set32(b, pe.section + 40 + 12, 0x800);   // address
             Set32(b, pe.section + 40 + 16, 0x1000);  // raw size
         }},
        {"headers reaching over the resources", [&](Buffer& b) { Set32(b, pe.header + 24 + 60, 0x2000); }},
        {"resources in no section", [&](Buffer& b) { Set32(b, pe.resourceEntry, 0x50000); }},
        {"section data past the end", [&](Buffer& b) { Set32(b, pe.section + 20, 0x10000000); }},
        {"section longer than the file", [&](Buffer& b) { Set32(b, pe.section + 8, 0x100000); Set32(b, pe.section + 16, 0x100000); }},
        {"type pointing back to its own directory", [&](Buffer& b) { Set32(b, groupType + 4, 0x80000000u); }},
        {"data where a directory belongs", [&](Buffer& b) { Set32(b, groupType + 4, relative(groupData)); }},
        {"directory past the section", [&](Buffer& b) { Set32(b, groupType + 4, 0x80000000u | 0x7FFFFFF0u); }},
        {"more entries than the section holds", [&](Buffer& b) { Set16(b, pe.root + 14, 0xFFFF); }},
        {"name past the section", [&](Buffer& b) { Set32(b, pe.nameEntries[PeGroupType][0], 0x80000000u | 0x7FFFFFF0u); }},
        {"name longer than the section",
         [&](Buffer& b) { Set16(b, pe.root + (Get32(b, pe.nameEntries[PeGroupType][0]) & 0x7FFFFFFF), 0xFFFF); }},
        {"numbers out of order", [&](Buffer& b) {
             Set32(b, pe.nameEntries[PeGroupType][1], 2);
             Set32(b, pe.nameEntries[PeGroupType][2], 1);
         }},
        {"a number counted among the names", [&](Buffer& b) { Set16(b, pe.typeDirectories[PeGroupType] + 12, 2); }},
        {"a name counted among the numbers", [&](Buffer& b) { Set16(b, pe.typeDirectories[PeGroupType] + 12, 0);
                                                             Set16(b, pe.typeDirectories[PeGroupType] + 14, 4); }},
        {"one type twice", [&](Buffer& b) { Set32(b, pe.typeEntries[PeDataType], 14); }},
    });
}

// Groups in the platform's order: ALPHA, #1, #2, #3; image 1 is the first of #1.
TEST(IconFileReader, RefusesOnlyTheBrokenGroupOrImageOfAPeLibrary)
{
    PeLibrary pe = MakeIconPe(FourIcons());
    auto relative = [&](size_t fileOffset) { return uint32_t(fileOffset - pe.root); };
    const size_t groupName = pe.nameEntries[PeGroupType][1];
    const size_t groupData = pe.dataEntries[PeGroupType][1];
    const size_t group = pe.data[PeGroupType][1];
    const size_t icon = pe.data[PeIconType][0];
    std::vector<UnitDamage> damages = DirectoryDamages(1, group);
    damages.insert(damages.end(), {
        {"name pointing back to its own directory", 1, -1,
         [&](Buffer& b) { Set32(b, groupName + 4, 0x80000000u | relative(pe.typeDirectories[PeGroupType])); }},
        {"tree too deep", 1, -1,
         [&](Buffer& b) { Set32(b, pe.languageEntries[PeGroupType][1] + 4, 0x80000000u | relative(pe.root)); }},
        {"data entry past the section", 1, -1,
         [&](Buffer& b) { Set32(b, pe.languageEntries[PeGroupType][1] + 4, 0x7FFFFFF0u); }},
        {"data in no section", 1, -1, [&](Buffer& b) { Set32(b, groupData, 0x900000); }},
        {"data below the section", 1, -1, [&](Buffer& b) { Set32(b, groupData, 0x10); }},
        {"group of 3 bytes", 1, -1, [&](Buffer& b) { Set32(b, groupData + 4, 3); }},
        {"image of width 0", 1, 0, [&](Buffer& b) { Set32(b, icon + 4, 0); }},
        {"image cut short", 1, 0, [&](Buffer& b) { Set32(b, pe.dataEntries[PeIconType][0] + 4, 100); }},
    });
    ExpectOnlyRefused([] { return MakeIconPe(FourIcons()).bytes; }, damages);

    // Resources of other kinds are never read for the icons.
    const size_t otherData = pe.dataEntries[PeDataType][0];
    const std::vector<std::vector<int>> whole = Entries(Check(pe.bytes));
    for (const Damage& damage : std::vector<Damage>{
             {"data longer than its section", [&](Buffer& b) { Set32(b, otherData + 4, 0x7FFFFFFF); }},
             {"data wrapping around", [&](Buffer& b) { Set32(b, otherData, 0xFFFFFFF0); Set32(b, otherData + 4, 0x20); }},
         }) {
        Buffer bytes = pe.bytes;
        damage.apply(bytes);
        IconFileLayout layout = Check(bytes);
        EXPECT_TRUE(layout.safe) << damage.what << ": " << layout.problem;
        EXPECT_EQ(Entries(layout), whole) << damage.what;
    }
}

TEST(IconFileReader, BuiltLibraryCountsAsThePlatformDoes)
{
    const std::string dll = TestLibrary();
    IconFileLayout layout = CheckIconFile(dll);
    ASSERT_TRUE(layout.safe) << dll << ": " << layout.problem;
    EXPECT_EQ(layout.kind, IconFileKind::Pe);
    ASSERT_EQ(CountIcons(dll), 3) << dll;
    EXPECT_EQ(CountIcons(dll), PlatformCount(dll));
    EXPECT_TRUE(IsSafeIconFile(dll));
    EXPECT_EQ(layout.groups[0].name, "ALPHA");
    EXPECT_EQ(layout.groups[1].name, "#1");
    for (const IconGroupSpan& group : layout.groups)
        EXPECT_EQ(group.images.size(), 2u) << group.name;
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Extracts(dll, i)) << "icon " << i;
    EXPECT_FALSE(Extracts(dll, 3));
    EXPECT_FALSE(Extracts(dll, -1));
    // Any other negative index names the icon by its resource number, as icon references in
    // the registry do; the platform agrees.
    EXPECT_TRUE(Extracts(dll, -2)) << "resource 2";
    EXPECT_EQ(Extracts(dll, -2), PlatformExtracts(dll, -2));
    EXPECT_FALSE(Extracts(dll, -7)) << "resource 7 is no icon";
}

TEST(IconFileReader, WrittenFilesCountAsThePlatformDoes)
{
    ScratchFolder folder("icoread");
    const struct {
        const char* name;
        Buffer bytes;
        int icons;
    } files[] = {
        {"drei.ico", ValidIco(), 1},
        {"bibliothek.dll", MakeIconPe(FourIcons()).bytes, 4},
        {"bibliothek64.dll", MakeIconPe(FourIcons(), true).bytes, 4},
        {"ohne.dll", MakePe({{10, {{"", 1, Buffer{1, 2, 3}}}}}).bytes, 0},
        // The extension does not decide: a library named .ico is still a library.
        {"bibliothek.ico", MakeIconPe(FourIcons()).bytes, 4},
    };
    for (const auto& f : files) {
        std::string path = folder.File(f.name);
        WriteFile(path, f.bytes);
        EXPECT_EQ(CountIcons(path), f.icons) << f.name << ": " << CheckIconFile(path).problem;
        EXPECT_EQ(PlatformCount(path), f.icons) << f.name << " (platform)";
        for (int i = 0; i < f.icons; ++i)
            EXPECT_TRUE(Extracts(path, i)) << f.name << " icon " << i;
        EXPECT_FALSE(Extracts(path, f.icons)) << f.name;
    }
}

// A group beyond the reader's limits (here an image of more than a megabyte) costs only itself:
// the file keeps its icons and their numbers, the others with their pictures.
TEST(IconFileReader, AGroupBeyondTheLimitsIsDroppedAndTheRestOfTheFileLists)
{
    ScratchFolder folder("icoread_limits");
    Buffer huge = Solid(32, RGB(9, 9, 9));
    huge.resize((1u << 20) + 1, 0);
    // In the platform's order the icons are ALPHA, #1, #2, #3.
    std::vector<LibraryIcon> icons = FourIcons();
    icons[1].images = {huge};   // #2: its only image
    icons[0].images[2] = huge;  // #1: its 48x48 image
    const std::string path = folder.File("grenzen.dll");
    WriteFile(path, MakeIconPe(icons).bytes);
    EXPECT_EQ(CountIcons(path), 4) << CheckIconFile(path).problem;
    for (int i : {0, 1, 3})
        EXPECT_TRUE(Extracts(path, i)) << "icon " << i;
    EXPECT_FALSE(Extracts(path, 2));
    IconFileLayout layout = CheckIconFile(path);
    ASSERT_EQ(layout.groups.size(), 4u);
    EXPECT_EQ(Entries(layout), (std::vector<std::vector<int>>{{0, 1}, {0, 1}, {}, {0, 1, 2}}));
    EXPECT_FALSE(layout.groups[2].problem.empty());

    // Icon 0 broken: the others stay.
    icons = FourIcons();
    icons[3].images = {huge, huge};
    WriteFile(path, MakeIconPe(icons).bytes);
    EXPECT_EQ(CountIcons(path), 4);
    EXPECT_FALSE(Extracts(path, 0));
    EXPECT_TRUE(Extracts(path, 1));
}

// A program of the system folder whose second icon holds incomplete 256x256 images lists both
// icons, as the platform does, and shows the first.
TEST(IconFileReader, TheSystemsOwnProgramsList)
{
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    for (const char* name : {"winecfg.exe", "shell32.dll"}) {
        const std::string path = std::string(system) + "\\" + name;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;   // not every system has them
        EXPECT_GT(CountIcons(path), 0) << path << ": " << CheckIconFile(path).problem;
        EXPECT_EQ(CountIcons(path), PlatformCount(path)) << path;
        EXPECT_TRUE(Extracts(path, 0)) << path;
    }
}

TEST(IconFileReader, NeLibraryExtracts)
{
    ScratchFolder folder("icoread_ne");
    std::string path = folder.File("bibliothek.icl");
    WriteFile(path, MakeNe(FourIcons()).bytes);
    ASSERT_EQ(CountIcons(path), 4) << CheckIconFile(path).problem;
    EXPECT_EQ(PlatformCount(path), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Extracts(path, i)) << "icon " << i;
}

TEST(IconFileReader, MissingTextAndBrokenFilesHaveNoIcons)
{
    ScratchFolder folder("icoread_none");
    Buffer brokenIco = ValidIco();
    Set16(brokenIco, 4, 0);   // a directory of no images
    Buffer text = {'k', 'e', 'i', 'n', ' ', 'S', 'y', 'm', 'b', 'o', 'l', '\r', '\n'};
    WriteFile(folder.File("kaputt.ico"), brokenIco);
    WriteFile(folder.File("text.dll"), text);
    WriteFile(folder.File("leer.ico"), Buffer{});
    for (const char* name : {"fehlt.ico", "kaputt.ico", "text.dll", "leer.ico"}) {
        std::string path = folder.File(name);
        EXPECT_EQ(CountIcons(path), 0) << name;
        EXPECT_FALSE(IsSafeIconFile(path)) << name;
        IconFileLayout layout = CheckIconFile(path);
        EXPECT_FALSE(layout.problem.empty()) << name;
        // The platform's extraction takes down the process on the broken one: that this test
        // goes on shows it never got there.
        EXPECT_FALSE(Extracts(path, 0)) << name;
    }
    EXPECT_EQ(CountIcons(folder.File("")), 0) << "a folder";
}

TEST(IconFileReader, ReaderChecksAgainWhenTheFileChanges)
{
    ScratchFolder folder("icoread_change");
    std::string path = folder.File("wechsel.ico");
    WriteFile(path, ValidIco());
    TIconFileReader reader(path);
    ASSERT_EQ(reader.Count(), 1) << reader.Layout().problem;
    HICON icon = reader.ExtractAt(0);
    EXPECT_NE(icon, nullptr);
    if (icon)
        DestroyIcon(icon);

    Buffer broken = imagebytes::Ico({Solid(16, RGB(0, 0, 0))});
    Set16(broken, 0, 1);
    WriteFile(path, broken);
    EXPECT_EQ(reader.ExtractAt(0), nullptr) << "the changed file is broken";
    EXPECT_EQ(reader.Count(), 0);

    DeleteFileA(path.c_str());
    EXPECT_EQ(reader.ExtractAt(0), nullptr) << "the file is gone";
}

// The file offset of a PE file's resource section (its headers and tree come first).
size_t ResourceSection(const Buffer& b)
{
    size_t header = Get32(b, 0x3C);
    size_t sections = header + 24 + (b[header + 20] | b[header + 21] << 8);
    for (size_t i = 0; i < size_t(b[header + 6]); ++i)
        if (std::string(reinterpret_cast<const char*>(&b[sections + 40 * i]), 5) == ".rsrc")
            return Get32(b, sections + 40 * i + 20);
    return 0;
}

// Random damage to one byte of valid files: the reader never crashes, and whatever it still
// accepts it describes inside the file. Some accepted ones go on to the platform's extraction,
// which must survive them too.
TEST(IconFileReader, SurvivesRandomDamage)
{
    PeLibrary pe = MakeIconPe(FourIcons());
    NeLibrary ne = MakeNe(FourIcons());
    Buffer dll = ReadFileBytes(TestLibrary());
    size_t dllResources = ResourceSection(dll);
    ASSERT_NE(dllResources, 0u) << "no resource section in " << TestLibrary();
    // Half of the damage falls in these windows of headers and tables, the rest anywhere.
    const struct {
        const char* what;
        Buffer bytes;
        std::vector<std::pair<size_t, size_t>> structure;
    } files[] = {
        {"ico", ValidIco(), {{0, 6 + 3 * 16 + 40}}},
        {"ne", ne.bytes, {{0, ne.groupData[0] + 64}}},
        {"pe", pe.bytes, {{0, 0x200}, {pe.root, pe.blobs - pe.root + 64}}},
        {"dll", dll, {{0, 0x200}, {dllResources, 0x300}}},
    };
    ScratchFolder folder("icoread_fuzz");
    std::mt19937 random(20240611);
    for (const auto& f : files) {
        int accepted = 0, extracted = 0;
        for (int round = 0; round < 3000; ++round) {
            Buffer bytes = f.bytes;
            size_t at = random() % bytes.size();
            if (round % 2) {
                const auto& [start, length] = f.structure[random() % f.structure.size()];
                at = std::min(start + random() % length, bytes.size() - 1);
            }
            bytes[at] = uint8_t(random());
            IconFileLayout layout = Check(bytes);
            if (!layout.safe)
                continue;
            ++accepted;
            std::string what = std::string(f.what) + " with byte " + std::to_string(at) + " damaged";
            ExpectInside(layout, bytes.size(), what);
            if (round % 2 && extracted < 150) {
                std::string path = folder.File(std::string("schaden_") + f.what);
                WriteFile(path, bytes);
                for (int i = 0; i < layout.IconCount(); ++i)
                    Extracts(path, i);
                ++extracted;
            }
        }
        EXPECT_GT(accepted, 0) << f.what << ": harmless damage (to pixels) stays accepted";
    }
}

// A cut file loses what lies past the cut, and no more: its headers and tables refuse it, a cut
// image or group only itself. Only the padding of a PE section may go without loss.
TEST(IconFileReader, TruncatedFilesLoseOnlyWhatWasCut)
{
    PeLibrary pe = MakeIconPe(FourIcons());
    NeLibrary ne = MakeNe(FourIcons());
    Buffer ico = ValidIco();
    auto images = [](const IconFileLayout& layout) {
        size_t count = 0;
        for (const IconGroupSpan& group : layout.groups)
            count += group.images.size();
        return count;
    };
    const struct {
        const char* what;
        const Buffer& bytes;
        size_t needed;
    } files[] = {{"ico", ico, ico.size()},
                 // NE resources reach to their 16-byte alignment.
                 {"ne", ne.bytes, ne.iconData.back() + (FourIcons().back().images.back().size() + 15) / 16 * 16},
                 {"pe", pe.bytes, pe.end}};
    for (const auto& f : files) {
        const size_t all = images(Check(f.bytes));
        size_t before = 0;
        // Every length through the headers and tables, then every third, and the ends exactly.
        std::vector<size_t> lengths;
        for (size_t length = 0; length <= f.bytes.size(); length += length < 1024 ? 1 : 3)
            lengths.push_back(length);
        lengths.insert(lengths.end(), {f.needed - 1, f.needed, f.bytes.size()});
        std::sort(lengths.begin(), lengths.end());
        for (size_t length : lengths) {
            IconFileLayout layout = CheckIconFileBytes(f.bytes.data(), length);
            const std::string what = std::string(f.what) + " cut to " + std::to_string(length);
            ExpectInside(layout, length, what);
            EXPECT_GE(images(layout), before) << what << ": a longer file lost an image";
            before = images(layout);
            if (length >= f.needed) {
                EXPECT_EQ(images(layout), all) << what << ": " << layout.problem;
            }
        }
    }
    // The last image of the icon file goes alone.
    IconFileLayout cut = CheckIconFileBytes(ico.data(), ico.size() - 1);
    ASSERT_TRUE(cut.safe) << cut.problem;
    EXPECT_EQ(Entries(cut), (std::vector<std::vector<int>>{{0, 1}}));
}

// ---------------------------------------------------------------------------------------------
// Icons made from the checked images themselves

namespace {

using iconimages::IconDib;
using iconimages::DepthImage;
using iconimages::DrawnIcon;
using iconimages::FirstDifference;
using iconimages::FramedImage;
using iconimages::IcoFile;

// An icon and its picture on black and on white, which together show mask and colours.
struct Drawn {
    std::vector<COLORREF> onBlack, onWhite;
};

Drawn DrawAndDestroy(HICON icon, int size = 32)
{
    Drawn drawn{DrawnIcon(icon, RGB(0, 0, 0), size), DrawnIcon(icon, RGB(255, 255, 255), size)};
    if (icon)
        DestroyIcon(icon);
    return drawn;
}

// Icon `index` made from the checked image that the file offers for a 32x32 picture.
HICON MadeFromCheckedImage(const std::string& path, int index)
{
    TCheckedIconFile file(path);
    const IconImageSpan* image = file.ChooseImage(index, 32, 32);
    if (!image)
        return nullptr;
    Buffer bytes = file.ImageBytes(*image);
    return MakeIconFromImage(bytes.data(), bytes.size(), 32, 32);
}

// A copy of an image with `bytes` bytes at `at` set to `value`.
Buffer Patched(Buffer image, size_t at, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        image[at + i] = uint8_t(value >> (8 * i));
    return image;
}

// The sizes in the order given, each in its own colour: a wrong choice shows.
std::vector<Buffer> Sized(std::initializer_list<int> sizes)
{
    std::vector<Buffer> images;
    for (int size : sizes)
        images.push_back(FramedImage(size, RGB(size * 5, 255 - size * 4, 90)));
    return images;
}

}  // namespace

TEST(CheckedIconImages, TheChosenImageMakesTheIconThePlatformExtracts)
{
    ScratchFolder folder("icoread_choice");
    std::vector<LibraryIcon> sizedIcons = {{"", Sized({16, 32, 48})}, {"", Sized({48, 16})}, {"NAMED", Sized({32})}};
    const struct {
        const char* name;
        Buffer bytes;
    } files[] = {
        {"klein_zuerst.ico", IcoFile(Sized({16, 32, 48}))},
        {"gross_zuerst.ico", IcoFile(Sized({48, 32, 16}))},
        {"nur16.ico", IcoFile(Sized({16}))},
        {"nur48.ico", IcoFile(Sized({48}))},
        {"tiefen.ico", IcoFile({DepthImage(4), DepthImage(24), DepthImage(8)})},
        {"alpha.ico", IcoFile({DepthImage(8), DepthImage(32, 32, true)})},
        {"ne.icl", MakeNe(sizedIcons).bytes},
        {"pe.dll", MakeIconPe(sizedIcons).bytes},
    };
    std::vector<std::string> paths = {TestLibrary()};
    for (const auto& f : files) {
        WriteFile(folder.File(f.name), f.bytes);
        paths.push_back(folder.File(f.name));
    }
    for (const std::string& path : paths) {
        int count = CountIcons(path);
        ASSERT_GT(count, 0) << path << ": " << CheckIconFile(path).problem;
        for (int i = 0; i < count; ++i) {
            Drawn made = DrawAndDestroy(MadeFromCheckedImage(path, i));
            Drawn platform = DrawAndDestroy(ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), UINT(i)));
            ASSERT_FALSE(made.onBlack.empty()) << path << " icon " << i << ": no icon made";
            EXPECT_EQ(FirstDifference(made.onBlack, platform.onBlack), "") << path << " icon " << i << " on black";
            EXPECT_EQ(FirstDifference(made.onWhite, platform.onWhite), "") << path << " icon " << i << " on white";
        }
    }
}

TEST(CheckedIconImages, AFileThatFailsTheCheckOffersNoImage)
{
    ScratchFolder folder("icoread_noimage");
    Buffer ico = IcoFile(Sized({32}));
    Buffer cut(ico.begin(), ico.end() - 1);
    WriteFile(folder.File("ganz.ico"), ico);
    WriteFile(folder.File("gekappt.ico"), cut);
    // The cut one is still one icon, whose only image is gone.
    for (const char* name : {"gekappt.ico", "fehlt.ico"}) {
        TCheckedIconFile file(folder.File(name));
        EXPECT_EQ(file.Count(), name[0] == 'g' ? 1 : 0) << name;
        EXPECT_EQ(file.ChooseImage(0, 32, 32), nullptr) << name;
        EXPECT_EQ(MadeFromCheckedImage(folder.File(name), 0), nullptr) << name;
    }
    TCheckedIconFile whole(folder.File("ganz.ico"));
    ASSERT_EQ(whole.Count(), 1) << whole.Layout().problem;
    for (int index : {-1, 1})
        EXPECT_EQ(whole.ChooseImage(index, 32, 32), nullptr) << "icon " << index;
    const IconImageSpan* image = whole.ChooseImage(0, 32, 32);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(whole.ImageBytes(*image), Buffer(ico.begin() + 22, ico.end()));
}

TEST(CheckedIconImages, DecodedPixelsAreWhatThePlatformDraws)
{
    const struct {
        const char* what;
        Buffer image;
    } cases[] = {
        {"4 bits", DepthImage(4)},
        {"8 bits", DepthImage(8)},
        {"24 bits", DepthImage(24)},
        {"24 bits, XOR under the mask", FramedImage(32, RGB(10, 120, 240))},
        {"24 bits, 16 pixels", FramedImage(16, RGB(240, 0, 0))},
        {"24 bits, 7 pixels (padded rows)", FramedImage(7, RGB(0, 99, 0))},
        {"32 bits without alpha", IconDib({32, 32, {}, [](int x, int y) -> uint32_t { return RGB(x, y, 7); },
                                            [](int x, int) { return x > 28; }})},
    };
    for (const auto& c : cases) {
        IconImagePixels pixels;
        ASSERT_TRUE(DecodeIconImage(c.image.data(), c.image.size(), pixels)) << c.what;
        const int size = pixels.width;
        ASSERT_EQ(pixels.height, size) << c.what;
        Drawn platform = DrawAndDestroy(MakeIconFromImage(c.image.data(), c.image.size(), size, size), size);
        ASSERT_EQ(platform.onBlack.size(), size_t(size * size)) << c.what << ": the platform made no icon";
        // Drawn over black a pixel shows its colour; over white only the transparent ones change.
        std::vector<COLORREF> transparent;
        for (size_t i = 0; i < platform.onBlack.size(); ++i)
            transparent.push_back(platform.onBlack[i] != platform.onWhite[i]);
        std::vector<COLORREF> decoded(pixels.transparent.begin(), pixels.transparent.end());
        EXPECT_EQ(FirstDifference(pixels.colors, platform.onBlack, size), "") << c.what << ": colours";
        EXPECT_EQ(FirstDifference(decoded, transparent, size), "") << c.what << ": mask";
    }
}

TEST(CheckedIconImages, ImagesOnlyThePlatformDrawsFaithfullyAreLeftToIt)
{
    Buffer png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    png.resize(200, 0);
    const struct {
        const char* what;
        Buffer image;
    } cases[] = {
        {"PNG", png},
        {"1 bit", DepthImage(1)},
        {"16 bits", DepthImage(16)},
        {"alpha", DepthImage(32, 32, true)},
        {"index past the colour table", iconimages::PastColourTable()},
        {"larger header", Patched(DepthImage(24), 0, 108, 4)},
        {"run-length compressed", Patched(DepthImage(8), 16, BI_RLE8, 4)},
        {"two planes", Patched(DepthImage(24), 12, 2, 2)},
        {"odd height", Patched(DepthImage(24), 8, 63, 4)},
        {"colour table before true colours", Patched(DepthImage(24), 32, 4, 4)},
        {"no width", Patched(DepthImage(24), 4, 0, 4)},
        {"negative height", Patched(DepthImage(24), 8, uint32_t(-64), 4)},
    };
    for (const auto& c : cases) {
        IconImagePixels pixels;
        EXPECT_FALSE(DecodeIconImage(c.image.data(), c.image.size(), pixels)) << c.what;
    }
    IconImagePixels pixels;
    EXPECT_FALSE(DecodeIconImage(nullptr, 0, pixels));
}

// Only 32-bit images with alpha somewhere decode with their alpha; the platform draws every
// other one by its AND mask, or alone.
TEST(CheckedIconImages, AlphaImagesDecodeWithTheirAlpha)
{
    IconImageAlphaPixels pixels;
    const Buffer alpha = DepthImage(32, 32, true);
    ASSERT_TRUE(DecodeAlphaIconImage(alpha.data(), alpha.size(), pixels));
    ASSERT_EQ(pixels.width, 32);
    ASSERT_EQ(pixels.height, 32);
    const struct {
        int x, y;
        COLORREF color;
        uint8_t alpha;
    } samples[] = {{0, 0, RGB(0, 0, 128), 0}, {21, 3, RGB(168, 24, 128), 0x80}, {31, 31, RGB(248, 248, 128), 0x80}};
    for (const auto& p : samples) {
        EXPECT_EQ(pixels.colors[size_t(p.y * 32 + p.x)], p.color) << p.x << "," << p.y;
        EXPECT_EQ(pixels.alpha[size_t(p.y * 32 + p.x)], p.alpha) << p.x << "," << p.y;
    }

    const struct {
        const char* what;
        Buffer image;
    } others[] = {
        {"32 bits without alpha", DepthImage(32)},
        {"24 bits", DepthImage(24)},
        {"8 bits", DepthImage(8)},
        {"larger header", Patched(alpha, 0, 108, 4)},
        {"colour table before the pixels", Patched(alpha, 32, 4, 4)},
        {"bit fields", Patched(alpha, 16, BI_BITFIELDS, 4)},
        {"two planes", Patched(alpha, 12, 2, 2)},
        {"odd height", Patched(alpha, 8, 63, 4)},
        {"negative height", Patched(alpha, 8, uint32_t(-64), 4)},
        {"wider than any icon", Patched(alpha, 4, 257, 4)},
    };
    for (const auto& c : others)
        EXPECT_FALSE(DecodeAlphaIconImage(c.image.data(), c.image.size(), pixels)) << c.what;
    EXPECT_FALSE(DecodeAlphaIconImage(nullptr, 0, pixels));
}

TEST(CheckedIconImages, TruncatedImagesDecodeToNothing)
{
    IconImagePixels pixels;
    IconImageAlphaPixels alphaPixels;
    const struct {
        const char* decoder;
        std::function<bool(const Buffer&)> decode;
        std::vector<Buffer> images;
    } decoders[] = {
        {"plain", [&](const Buffer& b) { return DecodeIconImage(b.data(), b.size(), pixels); },
         {DepthImage(4), DepthImage(8), DepthImage(24), DepthImage(32, 16), FramedImage(7, RGB(1, 2, 3))}},
        {"alpha", [&](const Buffer& b) { return DecodeAlphaIconImage(b.data(), b.size(), alphaPixels); },
         {DepthImage(32, 32, true), DepthImage(32, 24, true)}},
        {"1 bit", [&](const Buffer& b) { return DecodeTwoColourIconImage(b.data(), b.size(), pixels); },
         {DepthImage(1), DepthImage(1, 7)}},
    };
    for (const auto& d : decoders)
        for (const Buffer& image : d.images) {
            ASSERT_TRUE(d.decode(image)) << d.decoder << ", " << image.size() << " bytes";
            for (size_t length = 0; length < image.size(); ++length) {
                // Its own copy, so that a read past the end is a read past the buffer.
                Buffer cut(image.begin(), image.begin() + length);
                EXPECT_FALSE(d.decode(cut)) << d.decoder << ", cut to " << length << " of " << image.size();
            }
        }
}
