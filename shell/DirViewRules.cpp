// The directory view's window-free rules: filters, masks, texts by language, record order, names a
// rename may take, and the state the views and the tree share.
#include <windows.h>

#include "DirView.h"

#include "BaseUtils.h"
#include "ExactNames.h"
#include "SysUtils.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

bool AttrSelected(DWORD attributes, DWORD bit, TSelAttr sel)
{
    if (sel == SelYes)
        return (attributes & bit) != 0;
    if (sel == SelNo)
        return (attributes & bit) == 0;
    return true;
}

template <typename T>
int Order(T a, T b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

// Types whose files may each show an icon of their own, so one per type would be wrong.
const char PerFileIconTypes[] = "EXE,LNK,ICO,ANI,CUR,PIF,JOB,CPL";

}  // namespace

// ---------------------------------------------------------------------------------------------
// Filters and masks

bool TDirFilter::Accepts(const WIN32_FIND_DATAA& found) const
{
    const DWORD attributes = found.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    if (!AttrSelected(attributes, FILE_ATTRIBUTE_ARCHIVE, SelArchive) ||
        !AttrSelected(attributes, FILE_ATTRIBUTE_HIDDEN, SelHidden) ||
        !AttrSelected(attributes, FILE_ATTRIBUTE_READONLY, SelReadOnly) ||
        !AttrSelected(attributes, FILE_ATTRIBUTE_SYSTEM, SelSysFile))
        return false;
    const int64_t size = FoundSize(found);
    if (size < SizeFrom || size > SizeTo)
        return false;
    const DWORD stamp = PackedDosDateTime(found.ftLastWriteTime);
    const DWORD lower = (static_cast<DWORD>(DateFrom) << 16) | TimeFrom;
    const DWORD upper = (static_cast<DWORD>(DateTo) << 16) | TimeTo;
    return stamp >= lower && stamp <= upper;
}

std::string NormalizeMask(const std::string& mask)
{
    size_t first = mask.find_first_not_of(' ');
    if (first == std::string::npos)
        return "*.*";
    std::string result = mask.substr(first, mask.find_last_not_of(' ') - first + 1);
    ReplaceChars(result, " ;,;");
    for (size_t at; (at = result.find(";;")) != std::string::npos;)
        result.erase(at, 1);
    CharLowerBuffA(&result[0], static_cast<DWORD>(result.size()));
    return result;
}

void NextMask(std::string& masks, std::string& mask)
{
    size_t semicolon = masks.find(';');
    if (semicolon == std::string::npos) {
        mask = masks;
        masks.clear();
    } else {
        mask = masks.substr(0, semicolon);
        masks.erase(0, semicolon + 1);
    }
}

// ---------------------------------------------------------------------------------------------
// Texts

std::string AttrString(DWORD attributes)
{
    static const struct { DWORD bit; char letter; } letters[] = {
        {FILE_ATTRIBUTE_READONLY, 'R'}, {FILE_ATTRIBUTE_HIDDEN, 'H'}, {FILE_ATTRIBUTE_SYSTEM, 'S'},
        {FILE_ATTRIBUTE_ARCHIVE, 'A'}, {FILE_ATTRIBUTE_DIRECTORY, 'D'}, {FILE_ATTRIBUTE_COMPRESSED, 'C'},
    };
    std::string text;
    for (const auto& entry : letters)
        if (attributes & entry.bit)
            text += entry.letter;
    return text;
}

DWORD PackedDosDateTime(const FILETIME& time)
{
    FILETIME local;
    WORD date = 0, dosTime = 0;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToDosDateTime(&local, &date, &dosTime))
        return 0;
    return (static_cast<DWORD>(date) << 16) | dosTime;
}

void BuildDateTimeFormat(TDateTimeDisplay display, std::string& dateFormat, std::string& timeFormat)
{
    char buffer[96] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, buffer, sizeof buffer);
    dateFormat = buffer;
    if (AnsiUpperCase(dateFormat).find("YYYY") == std::string::npos) {
        // A two-digit year picture grows to four; one without a year gets none added.
        size_t at = dateFormat.find("yy");
        if (at != std::string::npos)
            dateFormat.insert(at, "yy");
    }
    timeFormat.clear();
    if (display == dtdDate)
        return;
    buffer[0] = '\0';
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, buffer, sizeof buffer);
    timeFormat = buffer;
    if (display == dtdDateTime) {
        // The short time is the long one without its seconds.
        size_t seconds = timeFormat.find('s');
        if (seconds != std::string::npos) {
            size_t from = timeFormat.find_last_not_of("s", seconds);
            size_t cut = from != std::string::npos ? timeFormat.find_last_not_of(":. ", from) : from;
            size_t start = cut == std::string::npos ? 0 : cut + 1;
            size_t end = timeFormat.find_first_not_of('s', seconds);
            timeFormat.erase(start, (end == std::string::npos ? timeFormat.size() : end) - start);
        }
    }
}

const TDirViewTexts& DirViewTextsFor(LANGID primaryLanguage)
{
    static const TDirViewTexts german = {
        "Fehler Öffnen der Datei: ",
        "Datei oder Verzeichnis kann nicht umbenannt werden:",
        "Dateiname enthält ungültige Zeichen:",
        "Datei %s",
        "%u Dateien",
        "%u Verzeichnisse",
        {"Name", "Größe", "Typ", "Geändert am", "Attr"},
    };
    static const TDirViewTexts french = {
        "Ne peux ouvrir le fichier: ",
        "Ne peux renommer le fichier: ",
        "Le nom de fichier contient des caractères invalides:",
        "Fichier %s",
        "%u Files",
        "%u Directories",
        {"Nom", "Taille", "Type", "Date", "Attributs"},
    };
    static const TDirViewTexts english = {
        "Can't open file: ",
        "Can't rename file or directory: ",
        "Filename contains invalid characters:",
        "File %s",
        "%u Files",
        "%u Directories",
        {"Name", "Size", "Type", "Changed", "Attr"},
    };
    switch (primaryLanguage) {
    case LANG_GERMAN: return german;
    case LANG_FRENCH: return french;
    default: return english;
    }
}

const TDirViewTexts& DirViewTexts()
{
    static const TDirViewTexts& texts = DirViewTextsFor(PRIMARYLANGID(GetUserDefaultLangID()));
    return texts;
}

// ---------------------------------------------------------------------------------------------
// Records and names

std::string FileExt(const std::string& name, bool isDirectory)
{
    if (isDirectory)
        return std::string();
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    return AnsiUpperCase(name.substr(dot + 1, 3));
}

bool HasPerFileIcons(const std::string& ext)
{
    return ext.size() >= 3 && std::string(PerFileIconTypes).find(ext) != std::string::npos;
}

int CompareFileRecs(const TFileRec& a, const TFileRec& b, TSortColumn column, bool ascending)
{
    if (&a == &b)
        return 0;
    int result;
    if (a.IsDirectory != b.IsDirectory) {
        result = a.IsDirectory ? -1 : 1;
    } else {
        switch (column) {
        case sSize:
            result = Order(a.Size, b.Size);
            break;
        case sType:
            result = Order(a.TypeName, b.TypeName);
            break;
        case sDate:
            result = Order(static_cast<int32_t>(a.Time.dwHighDateTime), static_cast<int32_t>(b.Time.dwHighDateTime));
            if (!result)
                result = Order(a.Time.dwLowDateTime, b.Time.dwLowDateTime);
            break;
        case sAttr:
            result = Order(a.Attr, b.Attr);
            break;
        default: {
            // By character codes: the bytes as unsigned, so umlauts follow "Z".
            std::string x = AnsiUpperCase(a.DisplayName), y = AnsiUpperCase(b.DisplayName);
            result = Order(std::vector<unsigned char>(x.begin(), x.end()),
                           std::vector<unsigned char>(y.begin(), y.end()));
        }
        }
    }
    return ascending ? result : -result;
}

std::string RejectedFileName(const std::string& folder, const std::string& name, bool& invalidChars)
{
    static const char invalid[] = "\\/:*?\"<>|";
    invalidChars = ContainsAnyChar(invalid, name);
    if (invalidChars) {
        std::string text = DirViewTexts().InvalidChars + std::string(" ");
        for (const char* c = invalid; *c; ++c)
            text += std::string(" ") + *c;
        return text;
    }
    return NameKeptAsTyped(folder, name) ? std::string() : DirViewTexts().RenameError + std::string("\n") + name;
}

bool NameKeptAsTyped(const std::string& folder, const std::string& name)
{
    // Trailing dots and blanks would be dropped, "." and ".." are no names, and device names stay
    // devices whatever extension follows.
    return NameKeptByPlatform(name) && AddBackslash(folder).size() + name.size() < MAX_PATH;
}

bool PathInFolder(const std::string& path, const std::string& folder)
{
    const std::string inner = AnsiUpperCase(AddBackslash(path));
    const std::string outer = AnsiUpperCase(AddBackslash(folder));
    return !outer.empty() && inner.compare(0, outer.size(), outer) == 0;
}
