// Shortcut files written through the shell's link object and read back through it; names of
// links to dropped paths, and a link that meets a file of its name.
#include <windows.h>
#include <shlobj.h>

#include "ComPtr.h"
#include "DragDrop.h"
#include "ShellLink.h"
#include "StagedFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

void WriteText(const std::string& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::string ReadText(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& file)
{
    return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What the shell reads from a link file.
struct ReadLink {
    explicit ReadLink(const std::string& file)
    {
        ComPtr<IShellLinkA> link;
        ComPtr<IPersistFile> persist;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void())) ||
            FAILED(link->QueryInterface(IID_IPersistFile, persist.put_void())))
            return;
        std::wstring wide(file.begin(), file.end());
        if (FAILED(persist->Load(wide.c_str(), STGM_READ)))
            return;
        char text[MAX_PATH] = {};
        WIN32_FIND_DATAA found;
        link->GetPath(text, MAX_PATH, &found, SLGP_RAWPATH);
        target = text;
        link->GetWorkingDirectory(text, MAX_PATH);
        folder = text;
        link->GetDescription(text, MAX_PATH);
        description = text;
        loaded = true;
    }
    bool loaded = false;
    std::string target, folder, description;
};

class ShellLinkFile : public testing::Test {
protected:
    void SetUp() override { InitDragDrop(); }
    StagedFolder docs{"Dokumente"};
    StagedFolder links{"Verknuepfungen"};
};

}  // namespace

TEST_F(ShellLinkFile, ReadsBackThroughTheShell)
{
    const std::string target = docs.Path() + "Bericht.txt";
    WriteText(target, "Bericht");
    const std::string file = links.Path() + ShellLinkBaseName(target) + ".lnk";
    EXPECT_EQ(file, links.Path() + "Bericht.txt.lnk");
    ASSERT_TRUE(CreateShellLink(target, file, "Bericht"));
    const ReadLink link(file);
    ASSERT_TRUE(link.loaded) << file;
    EXPECT_STRCASEEQ(link.target.c_str(), target.c_str());
    EXPECT_EQ(link.folder, docs.Path()) << "the target's folder with its backslash";
    EXPECT_EQ(link.description, "Bericht");

    // Without a link name the link lies beside its target.
    ASSERT_TRUE(CreateShellLink(target, "", "ohne Namen"));
    EXPECT_TRUE(ReadLink(target + ".lnk").loaded);
}

TEST_F(ShellLinkFile, NeverOverwritesAFileOfItsName)
{
    const std::string target = docs.Path() + "x.txt";
    WriteText(target, "x");
    const std::string file = links.Path() + "x.lnk";
    WriteText(file, "fremd");
    ASSERT_TRUE(CreateShellLink(target, file, "x"));
    EXPECT_EQ(ReadText(file), "fremd") << "the file that was there stays";
    EXPECT_TRUE(ReadLink(links.Path() + "x (2).lnk").loaded);
    ASSERT_TRUE(CreateShellLink(target, file, "x"));
    EXPECT_TRUE(ReadLink(links.Path() + "x (3).lnk").loaded) << "the next free number";
    // A folder of that name is passed over just as well.
    CreateDirectoryA((links.Path() + "y.lnk").c_str(), nullptr);
    ASSERT_TRUE(CreateShellLink(target, links.Path() + "y.lnk", "y"));
    EXPECT_TRUE(ReadLink(links.Path() + "y (2).lnk").loaded);

    EXPECT_FALSE(CreateShellLink(target, links.Path() + "fehlt\\x.lnk", "x")) << "a missing folder";
    EXPECT_FALSE(Exists(links.Path() + "fehlt"));
}

TEST(ShellLinkNames, DroppedPathsAndNumberedNames)
{
    EXPECT_EQ(ShellLinkBaseName("C:\\Docs\\Report.txt"), "Report.txt");
    EXPECT_EQ(ShellLinkBaseName("C:\\Docs\\Ordner"), "Ordner");
    EXPECT_EQ(ShellLinkBaseName("C:Datei.txt"), "Datei.txt");
    EXPECT_EQ(ShellLinkBaseName("Q:\\"), "Testlauf (Q)") << "tools/wine-run.sh labels Q: so";
    EXPECT_EQ(ShellLinkBaseName("q:\\"), "Testlauf (Q)");

    const struct { const char* file; int n; const char* name; } cases[] = {
        {"C:\\a\\x.lnk", 1, "C:\\a\\x.lnk"},
        {"C:\\a\\x.lnk", 2, "C:\\a\\x (2).lnk"},
        {"C:\\a\\Report.txt.lnk", 12, "C:\\a\\Report.txt (12).lnk"},
        {"C:\\a.b\\ohne", 2, "C:\\a.b\\ohne (2)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberedFileName(c.file, c.n), c.name) << c.file << " " << c.n;
}
