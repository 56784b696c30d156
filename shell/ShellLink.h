// Shortcut files: one written through the shell's link object, and the names dropped links get.
#pragma once

#include <string>

// Writes a shortcut to `target` as `linkName` (empty: `target` + ".lnk"), with `target`'s folder
// as working folder. A file of that name is never overwritten: the link then takes the first free
// name of "x (2).lnk", "x (3).lnk", ... True when the file was written. The caller's thread must
// have COM; a link object that cannot be made raises EOleSysError.
bool CreateShellLink(const std::string& target, const std::string& linkName, const std::string& description);

// The name (without ".lnk") of a link to a dropped path: a drive root ("D:\") gives its drive's
// pretty name without the letter, then " (D)"; any other path its last component.
std::string ShellLinkBaseName(const std::string& path);

// The n-th choice of a name for a file: n = 1 is the name itself, n = 2 "x (2).lnk" for "x.lnk".
std::string NumberedFileName(const std::string& file, int n);

// The path a shortcut file points at; "" when it is no link the shell can read.
std::string ShellLinkTarget(const std::string& linkFile);
