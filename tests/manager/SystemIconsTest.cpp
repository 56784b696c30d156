// The system-icon table against a scratch registry: where each item's icon lives, the fall-back to
// the class key and to the default, the written references and the Recycle Bin's two states.
#include <windows.h>

#include "Registry.h"
#include "RegistrySandbox.h"
#include "SystemIcons.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

const TSystemFolders Folders = {"C:\\WIN\\SYSTEM32\\", "C:\\WIN\\", false};

const char* const BinExplorer =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";
const char* const BinClass = "Software\\Classes\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";

}  // namespace

TEST(SystemIcons, TheTableHoldsThirtySevenItemsWithTheirDefaults)
{
    RegistrySandbox sandbox;
    TSystemIconSpecs current;
    TSystemIconTable table = ReadSystemIconTable(Folders, &current);
    int used = 0;
    std::set<int> numbers;
    for (int s = 0; s < SystemIconSections; ++s)
        for (int i = 0; i < SystemIconSlots; ++i) {
            const SystemIconEntry& e = table[s][i];
            if (i >= SystemIconSectionSizes[s]) {
                EXPECT_EQ(e.Root, nullptr) << s << "," << i << " stays empty";
                continue;
            }
            ++used;
            numbers.insert(SystemIconNumber(s, i));
            EXPECT_FALSE(e.Caption.empty());
            EXPECT_EQ(current[s][i], e.DefaultSpec) << e.Caption << ": nothing stored, the default shows";
        }
    EXPECT_EQ(used, SystemIconCount);
    EXPECT_EQ(numbers.size(), 37u);
    EXPECT_EQ(*numbers.rbegin(), 36);

    EXPECT_EQ(table[0][0].DefaultSpec, "C:\\WIN\\explorer.exe,0");
    EXPECT_EQ(table[1][8].Caption, "Beenden");
    EXPECT_EQ(table[1][8].ValueName, "27");
    EXPECT_EQ(table[1][8].Root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(table[3][0].Caption, "Diskettenlaufwerk 5,25");
    EXPECT_EQ(table[3][7].DefaultSpec, "C:\\WIN\\SYSTEM32\\shell32.dll,12");
    EXPECT_EQ(table[2][3].DefaultSpec, "C:\\WIN\\SYSTEM32\\shell32.dll,21");
    TSystemFolders old = Folders;
    old.Windows2000 = true;
    EXPECT_EQ(ReadSystemIconTable(old)[2][3].DefaultSpec, "C:\\WIN\\SYSTEM32\\shell32.dll,35");
    EXPECT_EQ(ReadSystemIconTable(old)[2][4].DefaultSpec, "C:\\WIN\\SYSTEM32\\shell32.dll,37");
}

TEST(SystemIcons, TheDesktopsItemsFallBackFromTheExplorerKeyToTheClassKey)
{
    RegistrySandbox sandbox;
    TRegIniFile user(HKEY_CURRENT_USER, "");
    TSystemIconTable table = ReadSystemIconTable(Folders);
    EXPECT_EQ(table[0][2].Key, std::string("\\") + BinClass) << "an empty Explorer key is passed over";

    user.WriteString(BinExplorer, "empty", "C:\\x.ico,3");
    TSystemIconSpecs current;
    table = ReadSystemIconTable(Folders, &current);
    EXPECT_EQ(table[0][2].Key, std::string("\\") + BinExplorer);
    EXPECT_EQ(current[0][2], "C:\\x.ico,3");
}

TEST(SystemIcons, AssigningWritesTheReferenceAndResetWritesTheDefault)
{
    RegistrySandbox sandbox;
    TSystemIconTable table = ReadSystemIconTable(Folders);
    AssignSystemIconSpec(table, 1, 0, "C:\\ICONS\\A.ICO");
    TSystemIconSpecs current;
    ReadSystemIconTable(Folders, &current);
    EXPECT_EQ(current[1][0], "C:\\ICONS\\A.ICO,0") << "a reference without an index gets icon 0";
    // The shell splits at the last comma: one in a folder name needs the index behind it.
    AssignSystemIconSpec(table, 1, 1, "C:\\ICONS, ALT\\A.ICO");
    ReadSystemIconTable(Folders, &current);
    EXPECT_EQ(current[1][1], "C:\\ICONS, ALT\\A.ICO,0");
    AssignSystemIconSpec(table, 3, 3, "C:\\ICONS\\B.DLL,-7");
    ReadSystemIconTable(Folders, &current);
    EXPECT_EQ(current[3][3], "C:\\ICONS\\B.DLL,-7");

    ResetSystemIcon(table, 1, 0);
    bool exists = false;
    std::string stored = ReadRegString(HKEY_LOCAL_MACHINE,
                                       "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Icons", "19",
                                       &exists);
    EXPECT_TRUE(exists) << "the default is written, not deleted";
    EXPECT_EQ(stored, "C:\\WIN\\SYSTEM32\\shell32.dll,19");
}

TEST(SystemIcons, TheRecycleBinShowsTheIconOfTheStateItIsIn)
{
    RegistrySandbox sandbox;
    TRegIniFile user(HKEY_CURRENT_USER, "");
    TSystemIconTable table = ReadSystemIconTable(Folders);
    const std::string key = table[0][2].Key;

    // Shown full: the unnamed value equals "full".
    user.WriteString(key, "", "C:\\voll.ico,0");
    user.WriteString(key, "full", "C:\\voll.ico,0");
    AssignSystemIconSpec(table, 0, 3, "C:\\neu.ico,1");
    EXPECT_EQ(user.ReadString(key, "full", ""), "C:\\neu.ico,1");
    EXPECT_EQ(user.ReadString(key, "", ""), "C:\\neu.ico,1") << "the shown icon follows";
    AssignSystemIconSpec(table, 0, 2, "C:\\leer.ico,2");
    EXPECT_EQ(user.ReadString(key, "empty", ""), "C:\\leer.ico,2");
    EXPECT_EQ(user.ReadString(key, "", ""), "C:\\neu.ico,1") << "a full bin keeps showing full";

    // Shown empty.
    user.WriteString(key, "", "C:\\leer.ico,2");
    AssignSystemIconSpec(table, 0, 3, "C:\\voll2.ico,0");
    EXPECT_EQ(user.ReadString(key, "", ""), "C:\\leer.ico,2");
    AssignSystemIconSpec(table, 0, 2, "C:\\leer2.ico,0");
    EXPECT_EQ(user.ReadString(key, "", ""), "C:\\leer2.ico,0");
}

TEST(SystemIcons, TheBinWithNothingStoredShowsEmptyThroughAssignAndReset)
{
    RegistrySandbox sandbox;
    TRegIniFile user(HKEY_CURRENT_USER, "");
    TSystemIconTable table = ReadSystemIconTable(Folders);
    const std::string key = table[0][2].Key;
    // A missing "full" stands for the full icon, so nothing stored means the bin shows empty.
    AssignSystemIconSpec(table, 0, 3, "C:\\voll.ico,0");
    bool shown = true;
    ReadRegString(HKEY_CURRENT_USER, key.substr(1), "", &shown);
    EXPECT_FALSE(shown) << "the full icon became the one shown";

    RegDeleteTreeA(HKEY_CURRENT_USER, key.substr(1).c_str());
    ResetSystemIcon(table, 0, 2);
    ResetSystemIcon(table, 0, 3);
    EXPECT_EQ(user.ReadString(key, "", ""), table[0][2].DefaultSpec) << "the empty bin shows the full icon";
    EXPECT_EQ(user.ReadString(key, "full", ""), table[0][3].DefaultSpec);
}

TEST(SystemIcons, ReloadingLeavesTheIconSizeAsItWas)
{
    RegistrySandbox sandbox;
    TRegIniFile user(HKEY_CURRENT_USER, "");
    user.WriteString("\\Control Panel\\Desktop\\WindowMetrics", "Shell Icon Size", "40");
    ReloadShellIcons();
    EXPECT_EQ(user.ReadString("\\Control Panel\\Desktop\\WindowMetrics", "Shell Icon Size", ""), "40");

    // No value means the system's own size, which need not be 32: none is left behind.
    user.DeleteKey("\\Control Panel\\Desktop\\WindowMetrics", "Shell Icon Size");
    ReloadShellIcons();
    EXPECT_FALSE(user.ValueExists("\\Control Panel\\Desktop\\WindowMetrics", "Shell Icon Size"))
        << user.ReadString("\\Control Panel\\Desktop\\WindowMetrics", "Shell Icon Size", "");
}

TEST(SystemIcons, ReloadingLeavesAnIconSizeOfAnotherKindAsItWas)
{
    RegistrySandbox sandbox;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop\\WindowMetrics", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto reloaded = [key](DWORD type, const void* data, DWORD size) {
        RegSetValueExA(key, "Shell Icon Size", 0, type, static_cast<const BYTE*>(data), size);
        ReloadShellIcons();
        DWORD readType = 0;
        std::vector<BYTE> read(64);
        DWORD readSize = static_cast<DWORD>(read.size());
        RegQueryValueExA(key, "Shell Icon Size", nullptr, &readType, read.data(), &readSize);
        read.resize(readSize);
        const auto* bytes = static_cast<const BYTE*>(data);
        return readType == type && read == std::vector<BYTE>(bytes, bytes + size);
    };
    const DWORD number = 48;
    EXPECT_TRUE(reloaded(REG_DWORD, &number, sizeof number)) << "a number stored as DWORD";
    const char text[] = "gro\xdf";
    EXPECT_TRUE(reloaded(REG_SZ, text, sizeof text)) << "a text that is no number";
    RegCloseKey(key);
}

TEST(SystemIcons, AnExpandableReferenceShowsExpandedAndStaysExpandable)
{
    RegistrySandbox sandbox;
    const std::string shellIcons = "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Shell Icons";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, shellIcons.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const char stored[] = "%SystemRoot%\\system32\\shell32.dll,3";
    RegSetValueExA(key, "8", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(stored), sizeof stored);
    char root[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("SystemRoot", root, MAX_PATH), 0u);

    TSystemIconSpecs current;
    TSystemIconTable table = ReadSystemIconTable(Folders, &current);
    EXPECT_EQ(current[3][3], std::string(root) + "\\system32\\shell32.dll,3") << "\"Festplatte\"";

    AssignSystemIconSpec(table, 3, 3, "C:\\ICONS\\B.DLL,2");
    DWORD type = 0;
    RegQueryValueExA(key, "8", nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ)) << "written back as the type that was there";
    RegCloseKey(key);
    ReadSystemIconTable(Folders, &current);
    EXPECT_EQ(current[3][3], "C:\\ICONS\\B.DLL,2");
}
