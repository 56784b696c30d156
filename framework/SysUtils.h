// Strings, paths and files: the small helpers every unit uses, over the ANSI API (Windows-1252).
#pragma once

#include <string>

std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);   // with trailing backslash
std::string ExtractFileExt(const std::string& path);    // with dot, "" when none
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IncludeTrailingBackslash(const std::string& path);
std::string ExcludeTrailingBackslash(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);

// Case mapping by the Windows-1252 rules, as CharUpperBuffA does it.
std::string AnsiUpperCase(const std::string& s);
std::string AnsiLowerCase(const std::string& s);
bool SameText(const std::string& a, const std::string& b);

// The program's command-line arguments as the runtime split them; "" past the last.
int ParamCount();
std::string ParamStr(int index);

std::string IntToStr(long long value);
int StrToIntDef(const std::string& s, int fallback);
// The base of a number written from `at`: 16 after a "$" or "0x" prefix, which `at` is moved
// past, else 10.
int NumberBase(const std::string& s, size_t& at);
std::string Trim(const std::string& s);
