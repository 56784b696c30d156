// The shell's own context menu for a path or for files of one folder, and shell verbs invoked
// without a menu.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

// Shows the menu of `items` (relative to `folder`) at a screen point and runs the chosen command;
// `verb` is the chosen command's verb in lower case ("" when none). "rename" is left to the caller.
void ShellContextMenu(HWND owner, POINT screenPos, IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items,
                      bool canRename, std::string& verb);
void PathContextMenu(HWND owner, POINT screenPos, const std::string& path, bool canRename, std::string& verb);
// Files of `directory` that do not parse are left out; nothing happens when none is left.
void FilesContextMenu(HWND owner, POINT screenPos, const std::string& directory,
                      const std::vector<std::string>& files, std::string& verb);

// Runs `verb` ("properties", "copy", ...) on the items; "" runs their default command.
bool ShellInvokeVerb(HWND owner, const std::string& verb, IShellFolder* folder,
                     const std::vector<LPCITEMIDLIST>& items);
bool PathInvokeVerb(HWND owner, const std::string& verb, const std::string& path);
bool FilesInvokeVerb(HWND owner, const std::string& verb, const std::string& directory,
                     const std::vector<std::string>& files);
