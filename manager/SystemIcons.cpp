// The system-icon table: 37 shell items in five sections.
#include <windows.h>

#include "SystemIcons.h"

#include "IconSpec.h"
#include "Registry.h"
#include "SysUtils.h"

#include <climits>
#include <vector>

const char* const SystemIconSectionCaptions[SystemIconSections] = {"Desktop", "Startmenü", "Ordner", "Laufwerke",
                                                                   "Verschiedenes"};

const char* const ShellIconsKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Icons";

namespace {

std::string ExplorerKey(const std::string& clsid)
{
    return "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\" + clsid + "\\DefaultIcon";
}

std::string ClassKey(const std::string& clsid)
{
    return "\\Software\\Classes\\CLSID\\" + clsid + "\\DefaultIcon";
}

const char* const MyComputer = "{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
const char* const Network = "{208D2C60-3AEA-1069-A2D7-08002B30309D}";
const char* const RecycleBin = "{645FF040-5081-101B-9F08-00AA002F954E}";

// One row of the table as it is written down: where, and the default's file and index.
struct TRow {
    const char* caption;
    bool user;              // HKCU, else HKLM
    std::string key;
    std::string value;
    std::string defaultSpec;
};

// Shell-Icons entries: the value name is the default's icon index in shell32.dll.
TRow ShellIcon(const char* caption, const char* value, const std::string& system)
{
    return {caption, false, ShellIconsKey, value, system + "shell32.dll," + value};
}

std::vector<std::vector<TRow>> Rows(const TSystemFolders& f)
{
    const std::string& s = f.System;
    return {
        {
            {"Arbeitsplatz", true, ExplorerKey(MyComputer), "", f.Windows + "explorer.exe,0"},
            {"Netzwerkumgebung", true, ExplorerKey(Network), "", s + "shell32.dll,17"},
            {"Papierkorb (leer)", true, ExplorerKey(RecycleBin), "empty", s + "shell32.dll,31"},
            {"Papierkorb (voll)", true, ExplorerKey(RecycleBin), "full", s + "shell32.dll,32"},
        },
        {
            ShellIcon("Programme", "19", s), ShellIcon("Programmgruppe", "36", s), ShellIcon("Dokumente", "20", s),
            ShellIcon("Einstellungen", "21", s), ShellIcon("Suchen", "22", s), ShellIcon("Hilfe", "23", s),
            ShellIcon("Ausführen", "24", s), ShellIcon("Stand By", "25", s), ShellIcon("Beenden", "27", s),
        },
        {
            ShellIcon("Geschlossender Ordner", "3", s),
            ShellIcon("Geöffneter Ordner", "4", s),
            ShellIcon("Programmgruppe", "36", s),
            {"Systemsteuerung", true, ClassKey("{21EC2020-3AEA-1069-A2DD-08002B30309D}"), "",
             s + (f.Windows2000 ? "shell32.dll,35" : "shell32.dll,21")},
            {"Drucker", true, ClassKey("{2227A280-3AEA-1069-A2DE-08002B30309D}"), "",
             s + (f.Windows2000 ? "shell32.dll,37" : "shell32.dll,58")},
            {"DFÜ-Netzwerk", true, ClassKey("{992CFFA0-F557-101A-88EC-00DD010CCC48}"), "", s + "shell32.dll,33"},
            {"Schriftarten", true, ClassKey("{BD84B380-8CA2-1069-AB1D-08000948F534}"), "", s + "shell32.dll,38"},
        },
        {
            ShellIcon("Diskettenlaufwerk 5,25", "5", s), ShellIcon("Diskettenlaufwerk 3,5", "6", s),
            ShellIcon("Austauschbares Laufwerk", "7", s), ShellIcon("Festplatte", "8", s),
            ShellIcon("Netzlaufwerk", "9", s), ShellIcon("Netzlaufwerk offline", "10", s),
            ShellIcon("CD-ROM Laufwerk", "11", s), ShellIcon("RAM Drive", "12", s),
        },
        {
            ShellIcon("Shortcut", "29", s), ShellIcon("Freigabe", "28", s), ShellIcon("Desktop", "34", s),
            ShellIcon("Gesamtes Netzwerk", "13", s), ShellIcon("Arbeitsgruppe", "18", s),
            ShellIcon("Anwendung", "2", s), ShellIcon("Audio CD", "40", s), ShellIcon("Standardicon", "0", s),
            ShellIcon("Standarddokument", "1", s),
        },
    };
}

std::string ClsidOf(const std::string& explorerKey)
{
    const std::string marker = "\\CLSID\\";
    std::string::size_type at = explorerKey.find(marker) + marker.size();
    return explorerKey.substr(at, explorerKey.find('\\', at) - at);
}

std::string ReadValue(HKEY root, const std::string& key, const std::string& name, const std::string& def)
{
    return TRegIniFile(root, "").ReadString(key, name, def);
}

void WriteValue(HKEY root, const std::string& key, const std::string& name, const std::string& value)
{
    TRegIniFile(root, "").WriteString(key, name, value);
}

}  // namespace

bool IsWindows2000()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwMajorVersion == 5 && version.dwMinorVersion == 0;
}

TSystemFolders CurrentSystemFolders()
{
    char system[260] = {}, windows[260] = {};
    GetSystemDirectoryA(system, sizeof system);
    GetWindowsDirectoryA(windows, sizeof windows);
    return {IncludeTrailingBackslash(system), IncludeTrailingBackslash(windows), IsWindows2000()};
}

int SystemIconNumber(int section, int item)
{
    int number = item;
    for (int s = 0; s < section; ++s)
        number += SystemIconSectionSizes[s];
    return number;
}

std::string SystemIconCaption(int section, int item)
{
    if (section < 0 || section >= SystemIconSections || item < 0 || item >= SystemIconSectionSizes[section])
        return "";
    return Rows(TSystemFolders{})[section][item].caption;
}

TSystemIconTable ReadSystemIconTable(const TSystemFolders& folders, TSystemIconSpecs* current)
{
    TSystemIconTable table;
    const auto rows = Rows(folders);
    for (int section = 0; section < SystemIconSections; ++section) {
        for (int item = 0; item < SystemIconSectionSizes[section]; ++item) {
            const TRow& row = rows[section][item];
            SystemIconEntry& entry = table[section][item];
            entry = {row.user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, row.key, row.value, row.defaultSpec,
                     row.caption};
            std::string spec = ReadValue(entry.Root, entry.Key, entry.ValueName, "");
            // The desktop's objects fall back from the per-user Explorer key to the class key.
            if (section == 0 && spec.empty()) {
                entry.Key = ClassKey(ClsidOf(row.key));
                spec = ReadValue(entry.Root, entry.Key, entry.ValueName, "");
            }
            if (spec.empty())
                spec = entry.DefaultSpec;
            if (current)
                (*current)[section][item] = spec;
        }
    }
    return table;
}

void AssignSystemIconSpec(const TSystemIconTable& table, int section, int item, std::string spec)
{
    const SystemIconEntry& entry = table.at(section).at(item);
    // The shell splits at the last comma, also one inside a folder name.
    if (!IconSpecHasIndex(spec))
        spec += ",0";
    if (section == 0 && (item == 2 || item == 3)) {
        // The unnamed value is what the shell shows; it follows the state the bin is in.
        const SystemIconEntry& empty = table[0][2];
        const std::string shown = ReadValue(empty.Root, empty.Key, "", empty.DefaultSpec);
        // A missing "full" is the full icon: were it the empty one, nothing stored would read as full.
        const std::string full = ReadValue(empty.Root, empty.Key, "full", table[0][3].DefaultSpec);
        const bool showsFull = SameText(shown, full);
        if (item == 3 && showsFull)
            WriteValue(table[0][3].Root, table[0][3].Key, "", spec);
        if (item == 2 && !showsFull)
            WriteValue(empty.Root, empty.Key, "", spec);
    }
    WriteValue(entry.Root, entry.Key, entry.ValueName, spec);
}

void ResetSystemIcon(const TSystemIconTable& table, int section, int item)
{
    const SystemIconEntry& entry = table.at(section).at(item);
    AssignSystemIconSpec(table, section, item, entry.DefaultSpec);
}

void ReloadShellIcons()
{
    TRegIniFile user(HKEY_CURRENT_USER, "");
    const char* const metrics = "\\Control Panel\\Desktop\\WindowMetrics";
    // The stored value goes back exactly as it was: one of another kind or no number at all is
    // the user's, not ours to rewrite.
    DWORD type = 0, size = 0;
    std::vector<BYTE> stored;
    bool kept = false;
    if (RegKey key = RegKey::OpenForRead(HKEY_CURRENT_USER, metrics + 1);
        key && RegQueryValueExA(key.Get(), "Shell Icon Size", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        stored.resize(size);
        kept = RegQueryValueExA(key.Get(), "Shell Icon Size", nullptr, &type, stored.data(), &size) == ERROR_SUCCESS;
        stored.resize(size);
    }
    const int current = user.ReadInteger(metrics, "Shell Icon Size", 32);
    auto broadcast = [] {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0, SMTO_ABORTIFHUNG, 10000,
                            &ignored);
    };
    user.WriteInteger(metrics, "Shell Icon Size", current == INT_MIN ? 31 : current - 1);
    broadcast();
    // Without a stored size the system uses its own, which need not be 32.
    if (kept) {
        RegKey key = RegKey::OpenOrCreate(HKEY_CURRENT_USER, metrics + 1);
        RegSetValueExA(key.Get(), "Shell Icon Size", 0, type, stored.data(), static_cast<DWORD>(stored.size()));
    } else {
        user.DeleteKey(metrics, "Shell Icon Size");
    }
    broadcast();
}
