#include "SysUtils.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(Paths, SplitAndChange)
{
    struct Row { const char* path; const char* name; const char* dir; const char* ext; };
    const Row rows[] = {
        {"C:\\CAT\\LIB.DLL", "LIB.DLL", "C:\\CAT\\", ".DLL"},
        {"C:\\a.b\\file", "file", "C:\\a.b\\", ""},
        {"C:file.ico", "file.ico", "C:", ".ico"},
        {"name", "name", "", ""},
        {"C:\\", "", "C:\\", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ExtractFileName(r.path), r.name) << r.path;
        EXPECT_EQ(ExtractFilePath(r.path), r.dir) << r.path;
        EXPECT_EQ(ExtractFileExt(r.path), r.ext) << r.path;
    }
    EXPECT_EQ(ChangeFileExt("C:\\x\\a.bmp", ".ico"), "C:\\x\\a.ico");
    EXPECT_EQ(ChangeFileExt("C:\\x.y\\a", ".ico"), "C:\\x.y\\a.ico");
}

TEST(Strings, CaseMappingFollowsWindows1252)
{
    // "zurück" in Windows-1252: ü is 0xFC, Ü is 0xDC.
    EXPECT_EQ(AnsiUpperCase("zur\xFC" "ck"), "ZUR\xDC" "CK");
    EXPECT_EQ(AnsiLowerCase("\xC4PFEL"), "\xE4pfel");
    EXPECT_TRUE(SameText("Eigene Icons", "EIGENE ICONS"));
}

TEST(Strings, LiteralsAreWindows1252)
{
    const char text[] = "ä";
    ASSERT_EQ(sizeof text, 2u);
    EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xE4);
}

TEST(Strings, StrToIntDefRejectsGarbage)
{
    EXPECT_EQ(StrToIntDef("42", -1), 42);
    EXPECT_EQ(StrToIntDef(" -33 ", 0), -33);
    EXPECT_EQ(StrToIntDef("4x", 7), 7);
    EXPECT_EQ(StrToIntDef("", 7), 7);
    EXPECT_EQ(StrToIntDef("99999999999", 7), 7);
}

TEST(Files, ForceDirectoriesMakesEveryLevel)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string base = std::string(temp) + "ql_force_" + std::to_string(GetCurrentProcessId());
    std::string deep = base + "\\a\\b\\c";
    ASSERT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_FALSE(FileExists(deep));
    RemoveDirectoryA((base + "\\a\\b\\c").c_str());
    RemoveDirectoryA((base + "\\a\\b").c_str());
    RemoveDirectoryA((base + "\\a").c_str());
    RemoveDirectoryA(base.c_str());
}
