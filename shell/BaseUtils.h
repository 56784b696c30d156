// String and path helpers of the shell components.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// For each pair of characters in `pairs` (from, to), every "from" in `s` becomes "to"; pairs of an
// odd or zero length are ignored.
void ReplaceChars(std::string& s, const std::string& pairs);
bool ContainsAnyChar(const std::string& chars, const std::string& s);
// A drive root ("C:" or "C:\") counts as a folder without touching the disk (attributes 0); any
// other path must name a folder exactly (no pattern, no name the platform would change).
bool GetDirectoryAttr(const std::string& path, DWORD& attributes);
bool IsDirectory(const std::string& path);
// A backslash added to a non-empty text that lacks one; removed from one that ends in it.
std::string AddBackslash(const std::string& s);
std::string RemoveBackslash(const std::string& s);
std::string ExtractFileNameNoExt(const std::string& path);
// The digits of a non-negative value with the user's thousands separator every three digits.
void IntToThousands(int64_t value, std::string& s);
