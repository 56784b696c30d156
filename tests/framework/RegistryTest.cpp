#include "Exceptions.h"
#include "Registry.h"
#include "RegistrySandbox.h"

#include <gtest/gtest.h>

class RegistryTest : public testing::Test {
protected:
    RegistrySandbox sandbox;
};

TEST_F(RegistryTest, NumbersAndBooleansAreDecimalStrings)
{
    TRegIniFile ini(HKEY_CURRENT_USER, "\\Software\\QlTest");
    ini.WriteInteger("Sizes", "Shell Icon Size", 31);
    ini.WriteBool("Flags", "icotrans", true);
    ini.WriteBool("Flags", "off", false);

    bool exists = false;
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Software\\QlTest\\Sizes", "Shell Icon Size", &exists), "31");
    EXPECT_TRUE(exists);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Software\\QlTest\\Flags", "icotrans"), "1");
    EXPECT_EQ(ini.ReadInteger("Sizes", "Shell Icon Size", 0), 31);
    EXPECT_TRUE(ini.ReadBool("Flags", "icotrans", false));
    EXPECT_FALSE(ini.ReadBool("Flags", "off", true));
}

TEST_F(RegistryTest, MissingOrMalformedValuesReadAsDefault)
{
    TRegIniFile ini(HKEY_CURRENT_USER, "Software\\QlTest");
    EXPECT_EQ(ini.ReadString("Nowhere", "x", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("Nowhere", "x", 32), 32);
    ini.WriteString("S", "bad", "zwölf");
    EXPECT_EQ(ini.ReadInteger("S", "bad", 7), 7);
    // Reading must never create what it looked for.
    EXPECT_FALSE(ini.SectionExists("Nowhere"));
}

TEST_F(RegistryTest, EmptyBaseUsesSectionAsKeyPath)
{
    TRegIniFile ini(HKEY_CURRENT_USER);
    ini.WriteString("\\Control Panel\\Desktop\\WindowMetrics", "Shell Icon Size", "32");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Control Panel\\Desktop\\WindowMetrics", "Shell Icon Size"), "32");
    // The unnamed default value is an entry like any other.
    ini.WriteString("CLSID\\{X}\\DefaultIcon", "", "C:\\A.DLL,3");
    EXPECT_EQ(ini.ReadString("CLSID\\{X}\\DefaultIcon", "", ""), "C:\\A.DLL,3");
}

TEST_F(RegistryTest, ExistenceAndDeletion)
{
    TRegIniFile ini(HKEY_CURRENT_USER, "Software\\QlTest");
    EXPECT_FALSE(ini.ValueExists("lnk", "IsShortCut"));
    ini.WriteString("lnk", "IsShortCut", "");
    EXPECT_TRUE(ini.ValueExists("lnk", "IsShortCut"));
    EXPECT_TRUE(ini.DeleteKey("lnk", "IsShortCut"));
    EXPECT_FALSE(ini.ValueExists("lnk", "IsShortCut"));
    EXPECT_TRUE(ini.DeleteKey("lnk", "IsShortCut")) << "deleting a missing value is not a failure";
    EXPECT_TRUE(ini.DeleteKey("nosection", "x"));
}

TEST_F(RegistryTest, DwordValuesAreReadAsNumbers)
{
    RegKey key = RegKey::OpenOrCreate(HKEY_CURRENT_USER, "Software\\QlTest\\D");
    DWORD v = 48;
    RegSetValueExA(key.Get(), "n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    EXPECT_EQ(TRegIniFile(HKEY_CURRENT_USER, "Software\\QlTest").ReadInteger("D", "n", 0), 48);
}

TEST_F(RegistryTest, RefusedWriteRaises)
{
    // A root that is no open key: the platform refuses, and the caller must hear of it.
    TRegIniFile ini(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), "Software\\QlTest");
    EXPECT_THROW(ini.WriteString("S", "x", "y"), ERegistryException);
}

TEST_F(RegistryTest, SandboxKeepsRealKeysUntouched)
{
    TRegIniFile(HKEY_CURRENT_USER, "Software\\QlSandboxProbe").WriteString("", "v", "1");
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    bool exists = true;
    ReadRegString(HKEY_CURRENT_USER, "Software\\QlSandboxProbe", "v", &exists);
    EXPECT_FALSE(exists) << "write escaped the sandbox";
}

TEST_F(RegistryTest, ExpandableStringsReadExpandedAndKeepTheirType)
{
    RegKey key = RegKey::OpenOrCreate(HKEY_CURRENT_USER, "Software\\QlTest\\E");
    const char stored[] = "%SystemRoot%\\system32\\shell32.dll,3";
    RegSetValueExA(key.Get(), "icon", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(stored), sizeof stored);
    char root[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("SystemRoot", root, MAX_PATH), 0u);
    TRegIniFile ini(HKEY_CURRENT_USER, "Software\\QlTest");
    EXPECT_EQ(ini.ReadString("E", "icon", ""), std::string(root) + "\\system32\\shell32.dll,3");

    // Written back: still expandable; a plain string stays plain.
    ini.WriteString("E", "icon", "%SystemRoot%\\neu.dll,1");
    ini.WriteString("E", "plain", "%SystemRoot%");
    DWORD type = 0;
    RegQueryValueExA(key.Get(), "icon", nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    RegQueryValueExA(key.Get(), "plain", nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ini.ReadString("E", "icon", ""), std::string(root) + "\\neu.dll,1");
    EXPECT_EQ(ini.ReadString("E", "plain", ""), "%SystemRoot%") << "a plain string is taken as it stands";
}
