// The prefix every test program runs in (tools/wine-run.sh) reaches no host folder outside the
// build folder: its drives are its own C:, the build folder as Z: and the staged drives, and the
// user's shell folders are folders of the prefix, not links to the home folder.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace {

bool UnderWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

TEST(TestPrefix, ReachesOnlyTheBuildFolder)
{
    if (!UnderWine())
        GTEST_SKIP() << "the test prefix is Wine's";
    std::string drives;
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (mask & (1u << i))
            drives += static_cast<char>('A' + i);
    EXPECT_EQ(drives, "CQRSZ");

    // Z: is the build folder: the programs and the prefixes lie right below it.
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    EXPECT_EQ(std::string(exe).rfind("Z:\\bin\\", 0), 0u) << exe;
    EXPECT_TRUE(IsFolder("Z:\\test-prefixes"));
    EXPECT_FALSE(IsFolder("Z:\\usr")) << "the host's root";

    for (int folder : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO,
                       CSIDL_TEMPLATES}) {
        char path[MAX_PATH] = {};
        ASSERT_EQ(SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path), S_OK) << folder;
        EXPECT_EQ(std::string(path).rfind("C:\\", 0), 0u) << path;
        const DWORD attributes = GetFileAttributesA(path);
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
        EXPECT_FALSE(attributes & FILE_ATTRIBUTE_REPARSE_POINT) << path << " links elsewhere";
    }
}
