// The text layout of the list view's registry settings, and the settings object against a
// sandboxed registry.
#include <windows.h>

#include "EnhLVSaveSettings.h"
#include "RegistryProbe.h"
#include "RegistrySandbox.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Join(const std::vector<int>& values)
{
    std::ostringstream out;
    for (size_t i = 0; i < values.size(); ++i)
        out << (i ? "," : "") << values[i];
    return out.str();
}

}  // namespace

TEST(EnhLVSettingsLayout, WidthsAreJoinedByCommas)
{
    EXPECT_EQ(FormatColumnSizes({120, 80, 200}), "120,80,200");
    EXPECT_EQ(FormatColumnSizes({5}), "5");
    EXPECT_EQ(FormatColumnSizes({}), "");
}

TEST(EnhLVSettingsLayout, StoredWidthsOverwriteOnlyWhatTheyHold)
{
    const struct {
        const char* stored;
        std::vector<int> before;
        std::vector<int> after;
    } cases[] = {
        {"100,,x,50", {10, 20, 30, 40}, {100, 20, 30, 50}},
        {"1,2", {10, 20, 30}, {1, 2, 30}},              // fewer stored: the rest keep theirs
        {"1,2,3,4", {10, 20}, {1, 2}},                  // more stored: ignored
        {"", {10, 20}, {-1, 20}},                       // nothing stored
        {"7,", {10, 20}, {7, 20}},
        {" 7,8 ", {10, 20}, {10, 20}},
        {"99999999999,5", {10, 20}, {10, 5}},
        {"-2,60", {10, 20}, {-2, 60}},
        {"5", {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<int> widths = c.before;
        ParseColumnSizes(c.stored, widths);
        EXPECT_EQ(widths, c.after) << "\"" << c.stored << "\" over " << Join(c.before) << " gave " << Join(widths);
    }
}

TEST(EnhLVSettingsLayout, SortColumnIsFittedToTheColumns)
{
    const struct {
        int stored, columns, expected;
    } cases[] = {{7, 3, 2}, {2, 3, 2}, {0, 3, 0}, {-1, 3, 0}, {-5, 3, 0}, {0, 0, 0}, {4, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ClampSortColumn(c.stored, c.columns), c.expected) << "stored " << c.stored << " of " << c.columns;
}

TEST(EnhLVSettingsLayout, UnknownViewStylesKeepTheCurrentOne)
{
    const struct {
        int stored;
        TViewStyle current, expected;
    } cases[] = {{0, vsReport, vsIcon},   {1, vsReport, vsSmallIcon}, {2, vsIcon, vsList},
                 {3, vsIcon, vsReport},   {-1, vsList, vsList},       {4, vsSmallIcon, vsSmallIcon}};
    for (const auto& c : cases)
        EXPECT_EQ(ViewStyleFromStored(c.stored, c.current), c.expected) << "stored " << c.stored;
}

TEST(EnhLVSettingsRegistry, ValuesAreDecimalStringsUnderTheirSections)
{
    RegistrySandbox sandbox;
    TqelEnhLVSaveSettings settings;
    settings.SetRegistryKey("Software\\QlTest\\List");
    EXPECT_TRUE(settings.WriteColumnSizes({120, 80, 200}));
    EXPECT_TRUE(settings.WriteSort(false, 2));
    EXPECT_TRUE(settings.WriteViewStyle(vsList));

    const struct {
        const char* section;
        const char* name;
        const char* value;
    } expected[] = {{"Columns", "Sizes", "120,80,200"},
                    {"Sort", "Ascending", "0"},
                    {"Sort", "SortCol", "2"},
                    {"ViewStyle", "ViewStyle", "2"}};
    for (const auto& e : expected) {
        bool exists = false;
        std::string value =
            ReadRegString(HKEY_CURRENT_USER, std::string("Software\\QlTest\\List\\") + e.section, e.name, &exists);
        EXPECT_TRUE(exists) << e.section << "\\" << e.name;
        EXPECT_EQ(value, e.value) << e.section << "\\" << e.name;
    }

    std::vector<int> widths = {1, 2, 3};
    settings.ReadColumnSizes(widths);
    EXPECT_EQ(widths, (std::vector<int>{120, 80, 200})) << Join(widths);
    bool ascending = true;
    int column = 0;
    settings.ReadSort(ascending, column);
    EXPECT_FALSE(ascending);
    EXPECT_EQ(column, 2);
    EXPECT_EQ(settings.ReadViewStyle(vsIcon), vsList);
}

TEST(EnhLVSettingsRegistry, ReadingMissingSettingsGivesDefaultsAndCreatesNoKey)
{
    RegistrySandbox sandbox;
    TqelEnhLVSaveSettings settings;
    settings.SetRegistryKey("\\Software\\QlTest\\Missing");
    std::vector<int> widths = {10, 20};
    settings.ReadColumnSizes(widths);
    EXPECT_EQ(widths, (std::vector<int>{-1, 20})) << Join(widths);
    bool ascending = false;
    int column = 5;
    settings.ReadSort(ascending, column);
    EXPECT_TRUE(ascending);
    EXPECT_EQ(column, 0);
    EXPECT_EQ(settings.ReadViewStyle(vsSmallIcon), vsSmallIcon);
    EXPECT_FALSE(UserKeyExists("Software\\QlTest")) << "reading created the key";
}

TEST(EnhLVSettingsRegistry, WithoutAKeyNothingIsWrittenOrRead)
{
    RegistrySandbox sandbox;
    for (const char* key : {"", "\\", "\\\\"}) {
        TqelEnhLVSaveSettings settings;
        settings.SetRegistryKey(key);
        EXPECT_FALSE(settings.HasKey()) << "\"" << key << "\"";
        EXPECT_FALSE(settings.WriteColumnSizes({100}));
        EXPECT_FALSE(settings.WriteSort(true, 0));
        EXPECT_FALSE(settings.WriteViewStyle(vsReport));
        std::pair<DWORD, DWORD> contents = UserRootContents();
        EXPECT_EQ(contents.first, 0u) << "subkeys under the root for key \"" << key << "\"";
        EXPECT_EQ(contents.second, 0u) << "values under the root for key \"" << key << "\"";
        std::vector<int> widths = {10};
        settings.ReadColumnSizes(widths);
        EXPECT_EQ(widths[0], 10) << "\"" << key << "\"";
    }
}
