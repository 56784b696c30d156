// TqelEnhLVSaveSettings: whether and what the enhanced list view keeps in the registry (column
// widths, sort column and direction, view style) and under which key of HKEY_CURRENT_USER,
// with the text layout of those values as plain functions.
#pragma once

#include <windows.h>

#include "ListView.h"

#include <string>
#include <vector>

// Where the values live below the settings key: section (subkey) and value name.
extern const char* const LVSettingsColumnsSection;   // "Columns"
extern const char* const LVSettingsSizesValue;       // "Sizes"
extern const char* const LVSettingsOrderValue;       // "Order"
extern const char* const LVSettingsSortSection;      // "Sort"
extern const char* const LVSettingsAscendingValue;   // "Ascending"
extern const char* const LVSettingsSortColumnValue;  // "SortCol"
extern const char* const LVSettingsViewStyleSection; // "ViewStyle"
extern const char* const LVSettingsViewStyleValue;   // "ViewStyle"

// Widths in column order as "120,80,200".
std::string FormatColumnSizes(const std::vector<int>& widths);
// Reads stored widths over `widths` (one entry per column). An empty text marks "nothing
// stored" by setting the first entry to -1; a part that is no integer leaves its entry alone;
// stored widths beyond the columns are ignored, missing ones leave theirs alone.
void ParseColumnSizes(const std::string& text, std::vector<int>& widths);
// Reads a stored column order over the identity order 0, 1, 2, ... of `count` columns (so a
// shorter one leaves the later columns in place); what is then not an order of exactly those
// columns (doubled or unknown ones, unreadable parts) leaves the identity.
std::vector<int> ParseColumnOrder(const std::string& text, int count);
// A stored sort column fitted to `columnCount` columns: too large becomes the last, negative 0.
int ClampSortColumn(int stored, int columnCount);
// A stored ordinal 0 to 3 is that view style; anything else keeps `current`.
TViewStyle ViewStyleFromStored(int stored, TViewStyle current);

class TqelEnhLVSaveSettings {
public:
    TqelEnhLVSaveSettings() = default;
    TqelEnhLVSaveSettings(const TqelEnhLVSaveSettings&) = delete;
    TqelEnhLVSaveSettings& operator=(const TqelEnhLVSaveSettings&) = delete;

    // Store when the window goes, restore when the control is set up.
    bool AutoSave() const { return autoSave_; }
    void SetAutoSave(bool on) { autoSave_ = on; }
    // Key path below HKEY_CURRENT_USER. Empty: nothing is stored or read.
    const std::string& RegistryKey() const { return registryKey_; }
    void SetRegistryKey(const std::string& key) { registryKey_ = key; }
    bool SaveColumnSizes() const { return saveColumnSizes_; }
    void SetSaveColumnSizes(bool on) { saveColumnSizes_ = on; }
    bool SaveCurrentSort() const { return saveCurrentSort_; }
    void SetSaveCurrentSort(bool on) { saveCurrentSort_ = on; }
    bool SaveViewStyle() const { return saveViewStyle_; }
    void SetSaveViewStyle(bool on) { saveViewStyle_ = on; }

    // Whether there is a key to keep settings under.
    bool HasKey() const;

    // Each call opens the key, does its work and closes it. Writes report whether they were
    // stored; a registry that refuses is no error the user hears of. Reads never create keys;
    // what is missing reads as the defaults below.
    bool WriteColumnSizes(const std::vector<int>& widths) const;
    // Nothing stored: widths[0] becomes -1 (see ParseColumnSizes).
    void ReadColumnSizes(std::vector<int>& widths) const;
    bool WriteSort(bool ascending, int sortColumn) const;
    // Missing: ascending, column 0.
    void ReadSort(bool& ascending, int& sortColumn) const;
    bool WriteViewStyle(TViewStyle style) const;
    TViewStyle ReadViewStyle(TViewStyle current) const;

private:
    bool autoSave_ = false;
    std::string registryKey_;
    bool saveColumnSizes_ = true;
    bool saveCurrentSort_ = true;
    bool saveViewStyle_ = true;
};

// The extended list view's settings: the column order besides the rest.
class TqelExtLVSaveSettings : public TqelEnhLVSaveSettings {
public:
    bool SaveColumnOrder() const { return saveColumnOrder_; }
    void SetSaveColumnOrder(bool on) { saveColumnOrder_ = on; }

    bool WriteColumnOrder(const std::vector<int>& order) const;
    // Nothing stored: the identity order (see ParseColumnOrder).
    std::vector<int> ReadColumnOrder(int count) const;

private:
    bool saveColumnOrder_ = true;
};
