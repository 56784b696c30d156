// Window-free pieces of the icon information window: the artist-credit lookup, the checks of the
// addresses the shell opens, the label cuts, the export format by extension and the editor's
// parameter.
#include <windows.h>

#include "ArtistCredits.h"
#include "IconInfo.h"

#include <gtest/gtest.h>

#include <set>

TEST(ArtistCredits, LookupByKeyWordInThePath)
{
    ArtistCreditTable table = {
        {"ALPHA", {"Eins", "eins@quillandora.example", "https://quillandora.example/eins"}},
        {"BETA", {"Zwei", "zwei@quillandora.example", "https://quillandora.example/zwei"}},
    };
    const struct {
        const char* path;
        const char* name;   // nullptr: no credit
    } cases[] = {
        {"C:\\PROGRAMM\\ALPHA\\X.ICO", "Eins"},
        {"C:\\PROGRAMM\\BETA\\ALPHABET.ICO", "Zwei"},      // both contained: the later wins
        {"C:\\PROGRAMM\\ALPHA\\BETAVERSION.DLL", "Zwei"},  // wherever in the path
        {"C:\\PROGRAMM\\GAMMA\\X.ICO", nullptr},
        {"C:\\PROGRAMM\\alpha\\X.ICO", nullptr},           // the caller upper-cases
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const ArtistCredit* found = FindArtistCredit(table, c.path);
        if (!c.name)
            EXPECT_EQ(found, nullptr) << c.path << " gave " << found->name;
        else if (!found)
            ADD_FAILURE() << c.path << " gave no credit";
        else
            EXPECT_EQ(found->name, c.name) << c.path;
    }
    EXPECT_EQ(FindArtistCredit({}, "C:\\ALPHA"), nullptr);
}

TEST(ArtistCredits, CatalogueTableCoversEveryCategoryWithOpenableAddresses)
{
    ArtistCreditTable table = CatalogArtistCredits();
    ASSERT_EQ(table.size(), 5u);
    std::set<std::string> keywords;
    for (const auto& entry : table) {
        keywords.insert(entry.keyword);
        EXPECT_FALSE(entry.credit.name.empty()) << entry.keyword;
        EXPECT_TRUE(IsOpenableMailAddress(entry.credit.mail)) << entry.keyword << ": " << entry.credit.mail;
        EXPECT_TRUE(IsOpenableWebAddress(entry.credit.web)) << entry.keyword << ": " << entry.credit.web;
        for (const std::string* text : {&entry.credit.name, &entry.credit.mail, &entry.credit.web})
            EXPECT_LE(text->size(), 100u) << *text;
    }
    EXPECT_EQ(keywords, (std::set<std::string>{"ORDNER", "GERAETE", "SYMBOLE", "NATUR", "BUERO"}));
    // The office category's binder lies under BUERO but its name holds ORDNER.
    const ArtistCredit* binder = FindArtistCredit(table, "C:\\QUILLANDORA\\BUERO\\ABLAGE\\AKTENORDNER.ICO");
    ASSERT_NE(binder, nullptr);
    EXPECT_EQ(binder->name, table.back().credit.name);
}

TEST(ArtistCredits, OnlyPlainAddressesAreOpened)
{
    const struct {
        const char* address;
        bool web, mail;
    } cases[] = {
        {"https://quillandora.example/natur", true, false},
        {"http://quillandora.example", true, false},
        {"HTTPS://Quillandora.Example/A-b_c.d~e?f=g#h", true, false},
        {"https://", false, false},
        {"https:///pfad", false, false},
        {"ftp://quillandora.example/", false, false},
        {"file:///C:/Windows/system32/calc.exe", false, false},
        {"C:\\Windows\\notepad.exe", false, false},
        {"quillandora.example", false, false},
        {"https://quillandora.example/a b", false, false},
        {"https://quillandora.example/\"x", false, false},
        {"https://quillandora.example/a&calc", false, false},
        {"https://quillandora.example/a|b", false, false},
        {"https://quillandora.example/%PATH%", false, false},
        {"https://quillandora.example/a^b", false, false},
        {"https://quillandora.example/<b>", false, false},
        {"https://quillandora.example/a\tb", false, false},
        {"https://quillandora.example/\xFC", false, false},
        {"https://-quillandora.example/", false, false},
        {"https://quillandora..example/", false, false},
        {"mira@quillandora.example", false, true},
        {"m.i-r_a+x@sub.quillandora.example", false, true},
        {"", false, false},
        {"@quillandora.example", false, false},
        {"mira@", false, false},
        {"mira@quillandora", false, false},
        {"mi ra@quillandora.example", false, false},
        {"\"mira\"@quillandora.example", false, false},
        {"mira@quillandora.example?subject=x", false, false},
        {"mira@quillandora.example&calc", false, false},
        {"a@b@quillandora.example", false, false},
        {".mira@quillandora.example", false, false},
        {"mi..ra@quillandora.example", false, false},
        {"mira;x@quillandora.example", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsOpenableWebAddress(c.address), c.web) << "web: " << c.address;
        EXPECT_EQ(IsOpenableMailAddress(c.address), c.mail) << "mail: " << c.address;
    }
}

TEST(IconInfoTexts, LongTextsAreCutWithAnEllipsis)
{
    const struct {
        const char* text;
        size_t keep;
        const char* shown;
    } cases[] = {
        {"abcdefghijklmnopqrstuvwxyz0", 27, "abcdefghijklmnopqrstuvwxyz0"},              // 27: unchanged
        {"abcdefghijklmnopqrstuvwxyz01", 27, "abcdefghijklmnopqrstuvwxyz0..."},          // 28
        {"abcdefghij@quillandora.example", 27, "abcdefghij@quillandora.exam..."},       // 30
        {"Geraete\\Medien und Technik", 20, "Geraete\\Medien und T..."},
        {"Natur", 20, "Natur"},
        {"", 27, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutWithEllipsis(c.text, c.keep), c.shown) << c.text;
}

TEST(IconExport, FormatFollowsTheExtension)
{
    const struct {
        const char* name;
        TIconExportFormat format;
    } cases[] = {
        {"C:\\a\\x.ico", TIconExportFormat::Icon},    {"C:\\a\\X.ICO", TIconExportFormat::Icon},
        {"C:\\a\\x.bmp", TIconExportFormat::Bitmap},  {"C:\\a\\x.Bmp", TIconExportFormat::Bitmap},
        {"C:\\a\\x.jpg", TIconExportFormat::Jpeg},    {"C:\\a\\x.xyz", TIconExportFormat::Jpeg},
        {"C:\\a\\x", TIconExportFormat::Jpeg},        {"C:\\a.ico\\x", TIconExportFormat::Jpeg},
        {"C:\\a\\x.ico.bmp", TIconExportFormat::Bitmap},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(IconExportFormatOf(c.name)), static_cast<int>(c.format)) << c.name;
}

TEST(EditorHandOver, AFileWithoutAShortNameIsPassedQuoted)
{
    // A file that does not exist has no short name.
    std::string missing = "C:\\kein Ordner da\\temp$$$.ico";
    EXPECT_EQ(EditorArgument(missing), "\"" + missing + "\"");
}
