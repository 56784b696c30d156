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
}

TEST(SaveFileReplacing, ReplacesAndKeepsOldFileOnFailure)
{
    std::string dir = TempDir();
    std::string path = dir + "keep.txt";
    SaveFileReplacing(path, "old", 3);
    SaveFileReplacing(path, "newer", 5);
    EXPECT_EQ(Slurp(path), "newer");

    // A target that is a folder cannot be replaced: the error reaches the caller, nothing is left behind.
    std::string folder = dir + "afolder";
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_THROW(SaveFileReplacing(folder, "x", 1), EStreamError);
    EXPECT_EQ(GetFileAttributesA((folder + ".ql$tmp").c_str()), INVALID_FILE_ATTRIBUTES);

    // A file held open without sharing cannot be replaced; its contents stay.
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_THROW(SaveFileReplacing(path, "lost", 4), EStreamError);
    CloseHandle(lock);
    EXPECT_EQ(Slurp(path), "newer");

    DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
    RemoveDirectoryA(dir.c_str());
}
