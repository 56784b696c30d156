// Exact names: names the code page cannot hold, look-alike names, names the platform reads as
// patterns or changes, links, and renames that must change the name on the disk, case included.
// The host-made entries under Q:\Wirt come from tools/wine-run.sh.
#include <windows.h>

#include "ExactNames.h"
#include "StagedFolder.h"
#include "WideFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string Host = "Q:\\Wirt\\";

std::wstring Wide(const std::string& ansi)
{
    return WideOf(ansi);
}

const TFoundEntry* Named(const std::vector<TFoundEntry>& entries, const std::string& exact)
{
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const TFoundEntry& e) { return exact == e.Data.cFileName; });
    return it == entries.end() ? nullptr : &*it;
}

}  // namespace

TEST(ExactNames, WhatThePlatformKeepsAndWhatTheCodePageHolds)
{
    const struct {
        const wchar_t* name;
        bool kept;
    } names[] = {
        {L"Omega", true},     {L"\u03A9mega", true},  {L"B\u00e4r.ico", true}, {L"a&b", true},
        {L"wild*card", false}, {L"q?x.ico", false},   {L"abc.", false},        {L"abc ", false},
        {L"CON", false},      {L"nul.txt", false},    {L"com1", false},        {L"COM0", true},
        {L"LPT9.log", false}, {L"x<y", false},        {L"x|y", false},         {L".", false},
        {L"..", false},       {L"", false},           {L".profil", true},      {L"ab\tc", false},
    };
    for (const auto& n : names)
        EXPECT_EQ(NameKeptByPlatform(std::wstring(n.name)), n.kept) << DisplayAnsi(n.name);

    std::string ansi;
    EXPECT_TRUE(ExactAnsi(L"B\u00e4r \u20ac", ansi));
    EXPECT_EQ(ansi, "Bär €");
    EXPECT_FALSE(ExactAnsi(L"\u03A9mega", ansi)) << "best fit makes it the Latin Omega";
    EXPECT_EQ(DisplayAnsi(L"\u03A9mega"), "Omega") << "shown as the platform shows it";
    EXPECT_FALSE(ExactAnsi(L"\u65E5\u672C", ansi));
    EXPECT_FALSE(ExactAnsi(L"\U0001F600.ico", ansi));

    EXPECT_TRUE(PathKeptByPlatform(std::string("C:\\Ordner\\Datei.txt")));
    EXPECT_TRUE(PathKeptByPlatform(std::string("C:\\")));
    EXPECT_TRUE(PathKeptByPlatform(std::string("\\\\server\\share\\x")));
    EXPECT_TRUE(PathKeptByPlatform(std::string("Z:/work/build/x"))) << "the platform takes slashes too";
    EXPECT_FALSE(PathKeptByPlatform(std::string("C:\\src\\*.txt")));
    EXPECT_FALSE(PathKeptByPlatform(std::string("C:\\a.\\b")));
    EXPECT_FALSE(PathKeptByPlatform(std::string("\\\\?\\C:\\x")));
}

TEST(ExactNames, LookAlikeEntriesAreTwoEntriesEachFoundByItsOwnName)
{
    StagedFolder folder("exakt");
    const std::wstring base = Wide(folder.Path());
    for (const wchar_t* name : {L"Omega", L"\u03A9mega", L"\u65E5\u672C", L"ab"})
        ASSERT_TRUE(CreateDirectoryW((base + name).c_str(), nullptr));
    for (const wchar_t* name : {L"Omega.ico", L"\u03A9mega.ico", L"\U0001F600.ico", L"zz.ico", L"ab.ico"})
        MakeWideFile(base + name, DisplayAnsi(name).c_str());

    const std::vector<TFoundEntry> entries = FindExactEntries(folder.Path());
    ASSERT_EQ(entries.size(), 9u);
    int omegas = 0;
    for (const TFoundEntry& entry : entries) {
        const std::string exact = entry.Data.cFileName;
        omegas += entry.DisplayName == "Omega";
        EXPECT_TRUE(NameKeptByPlatform(exact)) << exact;
        // The exact name reaches the entry it came from and no other.
        TFoundEntry again;
        ASSERT_TRUE(FindExactEntry(folder.Path() + exact, again)) << exact;
        EXPECT_EQ(again.DisplayName, entry.DisplayName) << exact;
        std::wstring wide;
        ASSERT_TRUE(ExactWidePath(folder.Path() + exact, wide)) << exact;
        EXPECT_EQ(LongNameOf(folder.Path() + exact), wide.substr(wide.rfind(L'\\') + 1)) << exact;
        std::string back;
        ASSERT_TRUE(ExactAnsiPath(wide, back));
        EXPECT_EQ(back, folder.Path() + exact) << "wide and exact paths turn into each other";
    }
    EXPECT_EQ(omegas, 2) << "both show as the platform shows them";
    ASSERT_TRUE(Named(entries, "Omega"));
    const auto greek = std::find_if(entries.begin(), entries.end(), [](const TFoundEntry& e) {
        return e.DisplayName == "Omega" && std::string(e.Data.cFileName) != "Omega";
    });
    ASSERT_NE(greek, entries.end());
    EXPECT_EQ(LongNameOf(folder.Path() + greek->Data.cFileName), L"\u03A9mega");
    // The platform's own ANSI name of the Japanese folder would be a pattern.
    const auto japanese = std::find_if(entries.begin(), entries.end(),
                                       [](const TFoundEntry& e) { return e.DisplayName == "??"; });
    ASSERT_NE(japanese, entries.end());
    EXPECT_NE(std::string(japanese->Data.cFileName), "??");
    EXPECT_TRUE(FindExactEntries(folder.Path(), "*.ico").size() == 5u);
    EXPECT_TRUE(FindExactEntries(folder.Path() + "??").empty()) << "a pattern names no folder";
    TFoundEntry none;
    EXPECT_FALSE(FindExactEntry(folder.Path() + "??.ico", none));
    EXPECT_FALSE(FindExactEntry("Q:\\", none)) << "a root has no entry";
}

TEST(ExactNames, NamesThePlatformWouldChangeAreReachedByTheirAliasOrNotAtAll)
{
    const std::string patterns = Host + "Muster\\";
    const std::vector<TFoundEntry> entries = FindExactEntries(patterns);
    std::vector<std::string> shown;
    for (const TFoundEntry& entry : entries) {
        shown.push_back(entry.DisplayName);
        const std::string exact = entry.Data.cFileName;
        EXPECT_TRUE(NameKeptByPlatform(exact)) << exact;
        EXPECT_EQ(LongNameOf(patterns + exact), Wide(entry.DisplayName)) << exact;
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{"abc", "abc.", "q?x.ico", "qax.ico", "qbx.ico", "wild*card",
                                               "wild-card", "wildXXXcard"}));

    // Such a name never reaches the shell's calls, even spelled by its alias.
    const TFoundEntry* wild = nullptr;
    for (const TFoundEntry& entry : entries)
        if (entry.DisplayName == "wild*card")
            wild = &entry;
    ASSERT_TRUE(wild);
    std::wstring wide;
    EXPECT_FALSE(ExactWidePath(patterns + wild->Data.cFileName, wide));
    EXPECT_FALSE(ExactWidePath(patterns + "wild*card", wide));
    std::string exact;
    ASSERT_TRUE(ExactAnsiPath(Wide(patterns) + L"wild*card", exact));
    EXPECT_EQ(exact, patterns + wild->Data.cFileName) << "a wide name with a star becomes its alias";
    ASSERT_TRUE(ExactAnsiPath(Wide(patterns) + L"abc.", exact));
    EXPECT_NE(exact, patterns + "abc.");
    TFoundEntry dotted;
    ASSERT_TRUE(FindExactEntry(exact, dotted));
    EXPECT_TRUE(dotted.Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) << "the folder, not the file abc";
    EXPECT_FALSE(ExactAnsiPath(Wide(patterns) + L"\u03A9-gibt-es-nicht", exact));
}

TEST(ExactNames, LinksAreToldFromTheirTargets)
{
    EXPECT_TRUE(IsLinkEntry(Host + "Verweis\\verweis.ico"));
    EXPECT_TRUE(IsLinkEntry(Host + "Verweis\\ordner"));
    EXPECT_TRUE(IsLinkEntry(Host + "Schleife\\innen\\selbst"));
    EXPECT_FALSE(IsLinkEntry(Host + "Ziel\\echt.ico"));
    EXPECT_FALSE(IsLinkEntry(Host + "Ziel"));
    EXPECT_FALSE(IsLinkEntry(Host + "gibt es nicht"));
    // S: is the folder Q:\Wechsel: a drive onto a folder is no link of its files.
    StagedFolder onS("Verweise", "S:\\");
    MakeWideFile(Wide(onS.Path() + "eigen.ico"), "eigen");
    EXPECT_FALSE(IsLinkEntry(onS.Path() + "eigen.ico"));
    EXPECT_FALSE(IsLinkEntry("Q:\\Wechsel\\" + onS.Path().substr(3) + "eigen.ico"));
}

TEST(ExactNames, RenamesLeaveExactlyTheNewNameOnTheDisk)
{
    StagedFolder folder("umbenennen");
    const std::wstring base = Wide(folder.Path());
    ASSERT_TRUE(CreateDirectoryW((base + L"eins").c_str(), nullptr));
    MakeWideFile(base + L"Omega.ico", "latein");
    MakeWideFile(base + L"\u03A9mega.ico", "griechisch");
    MakeWideFile(base + L"belegt.ico", "belegt");
    DWORD error = 0;

    ASSERT_TRUE(RenameExactly(folder.Path() + "eins", "EINS", error)) << error;
    EXPECT_EQ(LongNameOf(folder.Path() + "eins"), L"EINS") << "a change of case reaches the disk";
    EXPECT_TRUE(RenameExactly(folder.Path() + "EINS", "EINS", error)) << "nothing to do";

    std::string greek;
    ASSERT_TRUE(ExactAnsiPath(base + L"\u03A9mega.ico", greek));
    ASSERT_TRUE(RenameExactly(greek, "Griechisch.ico", error)) << error;
    EXPECT_EQ(WideFileContent(base + L"Griechisch.ico"), "griechisch");
    EXPECT_EQ(WideFileContent(base + L"Omega.ico"), "latein") << "the look-alike stays as it was";

    EXPECT_FALSE(RenameExactly(folder.Path() + "Omega.ico", "belegt.ico", error));
    EXPECT_EQ(WideFileContent(base + L"belegt.ico"), "belegt") << "never over another file";
    EXPECT_EQ(WideFileContent(base + L"Omega.ico"), "latein");
    EXPECT_FALSE(RenameExactly(folder.Path() + "Omega.ico", "neu.", error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_FALSE(RenameExactly(folder.Path() + "fehlt.ico", "da.ico", error));
    EXPECT_EQ(WideFileContent(base + L"Omega.ico"), "latein");
}
