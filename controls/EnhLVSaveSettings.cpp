// The list view's registry settings: their text layout and reading and writing them.
#include <windows.h>

#include "EnhLVSaveSettings.h"

#include "Exceptions.h"
#include "Registry.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

const char* const LVSettingsColumnsSection = "Columns";
const char* const LVSettingsSizesValue = "Sizes";
const char* const LVSettingsOrderValue = "Order";
const char* const LVSettingsSortSection = "Sort";
const char* const LVSettingsAscendingValue = "Ascending";
const char* const LVSettingsSortColumnValue = "SortCol";
const char* const LVSettingsViewStyleSection = "ViewStyle";
const char* const LVSettingsViewStyleValue = "ViewStyle";

namespace {

// A whole decimal integer (optional sign, nothing else).
bool ParseInteger(const std::string& text, int& value)
{
    if (text.empty() || text[0] == ' ' || text[0] == '\t')
        return false;
    char* end = nullptr;
    errno = 0;
    long read = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || read < INT_MIN || read > INT_MAX)
        return false;
    value = static_cast<int>(read);
    return true;
}

}  // namespace

std::string FormatColumnSizes(const std::vector<int>& widths)
{
    std::string text;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (i > 0)
            text += ',';
        text += std::to_string(widths[i]);
    }
    return text;
}

void ParseColumnSizes(const std::string& text, std::vector<int>& widths)
{
    if (widths.empty())
        return;
    if (text.empty()) {
        widths[0] = -1;
        return;
    }
    size_t start = 0;
    for (size_t i = 0; i < widths.size() && start <= text.size(); ++i) {
        size_t comma = text.find(',', start);
        std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        ParseInteger(part, widths[i]);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
}

std::vector<int> ParseColumnOrder(const std::string& text, int count)
{
    std::vector<int> order;
    for (int i = 0; i < count; ++i)
        order.push_back(i);
    if (count < 1)
        return order;
    std::vector<int> stored = order;
    ParseColumnSizes(text, stored);
    // The platform would show nonsense for a list that names a column twice or not at all.
    std::vector<bool> seen(static_cast<size_t>(count), false);
    for (int column : stored) {
        if (column < 0 || column >= count || seen[static_cast<size_t>(column)])
            return order;
        seen[static_cast<size_t>(column)] = true;
    }
    return stored;
}

int ClampSortColumn(int stored, int columnCount)
{
    if (stored >= columnCount)
        stored = columnCount - 1;
    return stored < 0 ? 0 : stored;
}

TViewStyle ViewStyleFromStored(int stored, TViewStyle current)
{
    return stored >= vsIcon && stored <= vsReport ? static_cast<TViewStyle>(stored) : current;
}

bool TqelEnhLVSaveSettings::HasKey() const
{
    // "\" alone would be the root of HKEY_CURRENT_USER itself.
    return registryKey_.find_first_not_of('\\') != std::string::npos;
}

bool TqelEnhLVSaveSettings::WriteColumnSizes(const std::vector<int>& widths) const
{
    if (!HasKey())
        return false;
    try {
        TRegIniFile(HKEY_CURRENT_USER, registryKey_)
            .WriteString(LVSettingsColumnsSection, LVSettingsSizesValue, FormatColumnSizes(widths));
        return true;
    } catch (const ERegistryException&) {
        return false;
    }
}

void TqelEnhLVSaveSettings::ReadColumnSizes(std::vector<int>& widths) const
{
    if (!HasKey() || widths.empty())
        return;
    ParseColumnSizes(TRegIniFile(HKEY_CURRENT_USER, registryKey_).ReadString(LVSettingsColumnsSection, LVSettingsSizesValue, ""),
                     widths);
}

bool TqelEnhLVSaveSettings::WriteSort(bool ascending, int sortColumn) const
{
    if (!HasKey())
        return false;
    try {
        TRegIniFile registry(HKEY_CURRENT_USER, registryKey_);
        registry.WriteBool(LVSettingsSortSection, LVSettingsAscendingValue, ascending);
        registry.WriteInteger(LVSettingsSortSection, LVSettingsSortColumnValue, sortColumn);
        return true;
    } catch (const ERegistryException&) {
        return false;
    }
}

void TqelEnhLVSaveSettings::ReadSort(bool& ascending, int& sortColumn) const
{
    if (!HasKey())
        return;
    TRegIniFile registry(HKEY_CURRENT_USER, registryKey_);
    ascending = registry.ReadBool(LVSettingsSortSection, LVSettingsAscendingValue, true);
    sortColumn = registry.ReadInteger(LVSettingsSortSection, LVSettingsSortColumnValue, 0);
}

bool TqelEnhLVSaveSettings::WriteViewStyle(TViewStyle style) const
{
    if (!HasKey())
        return false;
    try {
        TRegIniFile(HKEY_CURRENT_USER, registryKey_).WriteInteger(LVSettingsViewStyleSection, LVSettingsViewStyleValue, style);
        return true;
    } catch (const ERegistryException&) {
        return false;
    }
}

TViewStyle TqelEnhLVSaveSettings::ReadViewStyle(TViewStyle current) const
{
    if (!HasKey())
        return current;
    int stored = TRegIniFile(HKEY_CURRENT_USER, registryKey_).ReadInteger(LVSettingsViewStyleSection, LVSettingsViewStyleValue, -1);
    return ViewStyleFromStored(stored, current);
}

bool TqelExtLVSaveSettings::WriteColumnOrder(const std::vector<int>& order) const
{
    if (!HasKey())
        return false;
    try {
        TRegIniFile(HKEY_CURRENT_USER, RegistryKey())
            .WriteString(LVSettingsColumnsSection, LVSettingsOrderValue, FormatColumnSizes(order));
        return true;
    } catch (const ERegistryException&) {
        return false;
    }
}

std::vector<int> TqelExtLVSaveSettings::ReadColumnOrder(int count) const
{
    std::string text;
    if (HasKey())
        text = TRegIniFile(HKEY_CURRENT_USER, RegistryKey()).ReadString(LVSettingsColumnsSection, LVSettingsOrderValue, "");
    return ParseColumnOrder(text, count);
}
