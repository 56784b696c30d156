// Shell verbs and context menus on real files: the "copy" verb puts exactly the files that exist on
// the clipboard, a menu closed without a choice runs nothing, and paths that do not parse do nothing.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "ClipboardFiles.h"
#include "MessagePump.h"
#include "ShellDialogs.h"
#include "StagedFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void Touch(const std::string& file)
{
    CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

struct OleSession {
    OleSession() { OleInitialize(nullptr); }
    ~OleSession()
    {
        OleFlushClipboard();
        OleUninitialize();
    }
};

struct Owner {
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ~Owner() { DestroyWindow(window); }
};

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

}  // namespace

TEST(ShellDialogs, TheCopyVerbTakesTheFilesThatExist)
{
    OleSession ole;
    Owner owner;
    StagedFolder folder("shell verbs");
    Touch(folder.Path() + "da.txt");
    ASSERT_TRUE(FilesInvokeVerb(owner.window, "copy", folder.Path(), {"fehlt.txt", "da.txt"}));
    // The shell may hand the files to the clipboard after the call returns.
    std::vector<std::string> files;
    PumpMessagesUntil([&] { return !(files = ClipboardFiles()).empty(); });
    ASSERT_EQ(files.size(), 1u) << "files on the clipboard";
    EXPECT_EQ(files[0], folder.Path() + "da.txt");

    EXPECT_FALSE(FilesInvokeVerb(owner.window, "copy", folder.Path(), {}));
    EXPECT_FALSE(FilesInvokeVerb(owner.window, "copy", folder.Path(), {"fehlt.txt"}));
    EXPECT_FALSE(PathInvokeVerb(owner.window, "copy", folder.Path() + "fehlt.txt"));
}

TEST(ShellDialogs, AMenuClosedWithoutAChoiceRunsNothing)
{
    OleSession ole;
    Owner owner;
    StagedFolder folder("shell menus");
    Touch(folder.Path() + "da.txt");
    SetForegroundWindow(owner.window);
    SetTimer(nullptr, 0, 300, CloseMenu);
    std::string verb = "vorher";
    PathContextMenu(owner.window, {20, 20}, folder.Path() + "da.txt", true, verb);
    EXPECT_EQ(verb, "");
    EXPECT_EQ(FindWindowA("ShellDialogsCallBack", nullptr), nullptr) << "the helper window is gone";

    verb = "vorher";
    PathContextMenu(owner.window, {20, 20}, folder.Path() + "fehlt.txt", true, verb);
    EXPECT_EQ(verb, "") << "a path that does not parse shows nothing";
}
