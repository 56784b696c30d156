#include "Classes.h"
#include "Exceptions.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

std::string TempDir()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string dir = std::string(temp) + "ql_classes_" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::string Slurp(const std::string& path)
{
    auto bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(FileStream, CheckedTransfersRaise)
{
    std::string path = TempDir() + "short.bin";
    {
        TFileStream out(path, TFileMode::Create);
        out.WriteDWord(0x01020304);
        EXPECT_EQ(out.Size(), 4);
    }
    TFileStream in(path, TFileMode::OpenRead);
    char buffer[8];
    EXPECT_THROW(in.ReadBuffer(buffer, 8), EReadError) << "reading past the end must not pass silently";
    // Writing to a stream opened for reading fails, and the checked write says so.
    EXPECT_THROW(in.WriteBuffer(buffer, 4), EWriteError);
    DeleteFileA(path.c_str());
}

TEST(FileStream, OpenErrorsNameTheFile)
{
    try {
        TFileStream in("Z:\\no\\such\\dir\\x.ico", TFileMode::OpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find("x.ico"), std::string::npos) << e.Message();
    }
    EXPECT_THROW(TFileStream("Z:\\no\\such\\dir\\x.ico", TFileMode::Create), EFCreateError);
}

TEST(FileStream, MemoryStreamSeeksAndGrows)
{
    TMemoryStream m;
    m.WriteWord(0xBEEF);
    m.SetPosition(10);
    m.WriteWord(1);
    EXPECT_EQ(m.Size(), 12);
    m.SetPosition(0);
    uint16_t w = 0;
    m.ReadBuffer(&w, 2);
    EXPECT_EQ(w, 0xBEEF);
    EXPECT_EQ(m.Seek(-1, FILE_BEGIN), -1);

    // Positions beyond what memory can address are refused, not cut short or wrapped round.
    EXPECT_EQ(m.Seek(int64_t(1) << 32, FILE_BEGIN), -1);
    EXPECT_EQ(m.Position(), 2);
    m.SetPosition(static_cast<int64_t>(SIZE_MAX) - 1);
    const char tail[8] = {};
    EXPECT_EQ(m.Write(tail, sizeof tail), 0u) << "position " << m.Position();
    EXPECT_THROW(m.WriteBuffer(tail, sizeof tail), EWriteError);
    EXPECT_EQ(m.Size(), 12);
}

TEST(SaveFileReplacing, ReplacesAndKeepsOldFileOnFailure)
{
    std::string dir = TempDir();
    std::string path = dir + "keep.txt";
    SaveFileReplacing(path, "old", 3);
    SaveFileReplacing(path, "newer", 5);
    EXPECT_EQ(Slurp(path), "newer");

    // A hidden file stays hidden.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    SaveFileReplacing(path, "newer", 5);
    EXPECT_EQ(Slurp(path), "newer");
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A file of the user's under the temporary name is left alone.
    SaveFileReplacing(path + ".ql$tmp", "mine", 4);
    SaveFileReplacing(path, "newest", 6);
    EXPECT_EQ(Slurp(path), "newest");
    EXPECT_EQ(Slurp(path + ".ql$tmp"), "mine");
    DeleteFileA((path + ".ql$tmp").c_str());
    SaveFileReplacing(path, "newer", 5);

    // A target that is a folder cannot be replaced: the error reaches the caller, nothing is left behind.
    std::string folder = dir + "afolder";
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_THROW(SaveFileReplacing(folder, "x", 1), EStreamError);
    EXPECT_EQ(GetFileAttributesA((folder + ".ql$tmp").c_str()), INVALID_FILE_ATTRIBUTES);

    // A file held open without sharing cannot be replaced; its contents stay.
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    try {
        SaveFileReplacing(path, "lost", 4);
        ADD_FAILURE() << "replaced a file held open";
    } catch (const EStreamError& e) {
        // Which of the two the platform reports differs; either is said in German.
        const std::string m = e.Message();
        EXPECT_TRUE(m.find("Zugriff verweigert.") != std::string::npos ||
                    m.find("von einem anderen Programm verwendet") != std::string::npos)
            << m;
    }
    CloseHandle(lock);
    EXPECT_EQ(Slurp(path), "newer");

    // A read-only file is the user's decision: refused, and kept as it was, flag and all.
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    try {
        SaveFileReplacing(path, "lost", 4);
        ADD_FAILURE() << "replaced a read-only file";
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find("schreibgeschützt"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(Slurp(path), "newer");
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(GetFileAttributesA((path + ".ql$tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(dir.c_str());
}

TEST(SysErrorMessage, SpeaksGermanAndNamesTheNumberOfAnyOtherError)
{
    const struct {
        unsigned long code;
        const char* text;
    } rows[] = {
        {ERROR_ACCESS_DENIED, "Zugriff verweigert."},
        {ERROR_SHARING_VIOLATION, "Die Datei wird von einem anderen Programm verwendet."},
        {ERROR_DISK_FULL, "Der Datenträger ist voll."},
        {ERROR_FILE_NOT_FOUND, "Die Datei wurde nicht gefunden."},
        {ERROR_PATH_NOT_FOUND, "Der Ordner wurde nicht gefunden."},
        {ERROR_INVALID_FUNCTION, "Systemfehler Nr. 1."},
        {ERROR_NO_MORE_FILES, "Systemfehler Nr. 18."},
    };
    for (const auto& r : rows)
        EXPECT_EQ(SysErrorMessage(r.code), r.text) << r.code;

    // What opening a missing file reports, as the user reads it.
    try {
        TFileStream in(TempDir() + "fehlt.ico", TFileMode::OpenRead);
        ADD_FAILURE() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find("Die Datei wurde nicht gefunden."), std::string::npos) << e.Message();
    }
}
