// The shell's own items whose icons the system-icon page changes: where each one's icon reference
// lives in the registry, its Windows default, and writing, resetting and reloading them.
#pragma once

#include <windows.h>

#include <array>
#include <string>

constexpr int SystemIconSections = 5;
constexpr int SystemIconSlots = 11;
// Entries used in each section; 37 in all.
constexpr std::array<int, SystemIconSections> SystemIconSectionSizes = {4, 9, 7, 8, 9};
constexpr int SystemIconCount = 37;

struct SystemIconEntry {
    HKEY Root = nullptr;
    std::string Key;
    std::string ValueName;     // "" is the key's unnamed value
    std::string DefaultSpec;
    std::string Caption;
};

using TSystemIconTable = std::array<std::array<SystemIconEntry, SystemIconSlots>, SystemIconSections>;
using TSystemIconSpecs = std::array<std::array<std::string, SystemIconSlots>, SystemIconSections>;

extern const char* const SystemIconSectionCaptions[SystemIconSections];
// The key whose values, named by icon numbers of Shell32.dll, hold the shell's replacements.
extern const char* const ShellIconsKey;

// The Windows folders the defaults point into, each with a trailing backslash.
struct TSystemFolders {
    std::string System;
    std::string Windows;
    bool Windows2000 = false;
};
TSystemFolders CurrentSystemFolders();
// The operating system reports version 5.0 exactly.
bool IsWindows2000();

// Reads every entry from the registry: where it lives and, in `current`, the icon reference the
// shell shows now (the default where none is stored).
TSystemIconTable ReadSystemIconTable(const TSystemFolders& folders, TSystemIconSpecs* current = nullptr);

// Writes `spec` (",0" added when it names no icon) for one entry; the Recycle Bin keeps its shown
// icon in step with the state it shows.
void AssignSystemIconSpec(const TSystemIconTable& table, int section, int item, std::string spec);
// Writes the entry's default, explicitly.
void ResetSystemIcon(const TSystemIconTable& table, int section, int item);
// Makes the shell reload its icons: the icon size is changed by one and set back, with a
// broadcast after each step.
void ReloadShellIcons();

// The number of the entry counted over all sections, as the list's pictures are numbered.
int SystemIconNumber(int section, int item);
// The caption the list shows for an entry; "" for an unused place.
std::string SystemIconCaption(int section, int item);
