// The file operator on real files (copy, move, delete and their undo), its stored form, the
// delete watcher and the directory monitor, each with its thread and the hand-over to this one.
#include <windows.h>

#include "DialogStub.h"
#include "Exceptions.h"
#include "DiscMon.h"
#include "FileChanges.h"
#include "FileOperator.h"
#include "MessagePump.h"
#include "StagedFolder.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace {

void Touch(const std::string& file)
{
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "x", 1, &written, nullptr);
    CloseHandle(h);
}

// Moves a new "a.txt" from `from` into `to`, undoably.
void MoveOneFile(TFileOperator& op, const std::string& from, const std::string& to)
{
    Touch(from + "a.txt");
    op.SetOperation(foMove);
    op.SetFlags(foAllowUndo | foSilent | foNoConfirmation);
    op.SourceFiles = {from + "a.txt"};
    op.DestFiles = {ExcludeTrailingBackslash(to)};
    ASSERT_TRUE(op.Execute());
}

}  // namespace

TEST(FileOperator, FlagsMapToTheShellsBits)
{
    TFileOperator op;
    EXPECT_EQ(op.Operation(), foCopy);
    EXPECT_EQ(op.Flags(), TFileOperationFlags(foAllowUndo | foNoConfirmMkDir));
    EXPECT_EQ(op.ShellFlags(), 576);
    EXPECT_EQ(op.ProgressTitle(), "File Operation");
    op.SetFlags(0);
    EXPECT_EQ(op.Flags(), 0u);
    op.SetFlags(foSilent);
    EXPECT_EQ(op.ShellFlags(), FOF_SILENT);
    const struct {
        TFileOperationFlag flag;
        FILEOP_FLAGS bit;
    } table[] = {{foAllowUndo, 64},      {foConfirmMouse, 2},       {foFilesOnly, 128},
                 {foMultiDestFiles, 1},  {foNoConfirmation, 16},    {foNoConfirmMkDir, 512},
                 {foRenameOnCollision, 8}, {foSilent, 4},           {foSimpleProgress, 256}};
    for (auto t : table) {
        op.SetFlags(t.flag);
        EXPECT_EQ(op.ShellFlags(), t.bit) << "flag " << t.flag;
    }
    op.SetWantMappingHandle(true);
    EXPECT_EQ(op.ShellFlags(), FOF_SIMPLEPROGRESS | FOF_WANTMAPPINGHANDLE);
    EXPECT_EQ(op.Flags(), TFileOperationFlags(foSimpleProgress));

    for (TFileOperation o : {foCopy, foDelete, foMove, foRename}) {
        op.SetOperation(o);
        EXPECT_EQ(op.Operation(), o);
    }
}

TEST(FileOperator, TheStoredFormKeepsOperationAndFlagsOnly)
{
    TFileOperator op;
    op.SetOperation(foMove);
    op.SetFlags(foSilent | foNoConfirmation);
    auto data = op.Data();
    EXPECT_EQ(data.size(), 30u);
    EXPECT_EQ(data[4], FO_MOVE);
    EXPECT_EQ(data[16], FOF_SILENT | FOF_NOCONFIRMATION);
    data[0] = 0x55;   // a window handle stored by mistake is not taken back
    TFileOperator read;
    read.SetData(data);
    EXPECT_EQ(read.Operation(), foMove);
    EXPECT_EQ(read.Flags(), TFileOperationFlags(foSilent | foNoConfirmation));
    EXPECT_EQ(read.Data()[0], 0);
}

TEST(FileOperator, ACopyIsUndoneByDeletingTheCopies)
{
    StagedFolder folder("file operator");
    const std::string from = folder.Folder("von"), to = folder.Folder("nach");
    Touch(from + "a.txt");
    Touch(from + "b.txt");
    TFileOperator op;
    op.SetFlags(foAllowUndo | foNoConfirmMkDir | foSilent);
    op.SourceFiles = {from + "a.txt", from + "b.txt"};
    op.DestFiles = {ExcludeTrailingBackslash(to)};
    ASSERT_TRUE(op.Execute());
    EXPECT_TRUE(FileExists(to + "a.txt"));
    EXPECT_TRUE(op.CanUndo());
    EXPECT_TRUE(op.SourceFiles.empty());
    ASSERT_EQ(op.LastDestFiles().size(), 1u);
    ASSERT_TRUE(op.UndoExecute());
    EXPECT_FALSE(FileExists(to + "a.txt"));
    EXPECT_FALSE(FileExists(to + "b.txt"));
    EXPECT_TRUE(FileExists(from + "a.txt")) << "the originals stay";
    EXPECT_EQ(op.Operation(), foCopy) << "the operation is set back";
    EXPECT_EQ(op.Flags(), TFileOperationFlags(foAllowUndo | foNoConfirmMkDir | foSilent));
}

TEST(FileOperator, AMoveIsUndoneByMovingBackAndADeleteCannotBeUndone)
{
    StagedFolder folder("file operator");
    const std::string from = folder.Folder("von"), to = folder.Folder("nach");
    TFileOperator op;
    MoveOneFile(op, from, to);
    EXPECT_TRUE(FileExists(to + "a.txt"));
    EXPECT_FALSE(FileExists(from + "a.txt"));
    ASSERT_TRUE(op.UndoExecute());
    EXPECT_TRUE(FileExists(from + "a.txt"));
    EXPECT_FALSE(FileExists(to + "a.txt"));

    op.SetOperation(foDelete);
    op.SetFlags(foSilent | foNoConfirmation);
    op.SourceFiles = {from + "a.txt"};
    EXPECT_TRUE(op.Execute());
    EXPECT_FALSE(FileExists(from + "a.txt"));
    EXPECT_FALSE(op.CanUndo());
    EXPECT_FALSE(op.UndoExecute());
}

TEST(FileOperator, UndoingAMoveGoesByWhatRanAndNeverOverwrites)
{
    StagedFolder folder("file operator");
    const std::string from = folder.Folder("von"), to = folder.Folder("nach");
    TFileOperator op;
    MoveOneFile(op, from, to);
    // A drop whose handler refused it leaves the next operation set but never run.
    op.SetOperation(foCopy);
    ASSERT_TRUE(op.UndoExecute());
    EXPECT_TRUE(FileExists(from + "a.txt")) << "the moved file goes back, it is not deleted";
    EXPECT_FALSE(FileExists(to + "a.txt"));
    EXPECT_EQ(op.Operation(), foCopy) << "the operation set is kept";

    DeleteFileA((from + "a.txt").c_str());
    MoveOneFile(op, from, to);
    // The user's new file of the old name.
    HANDLE h = CreateFileA((from + "a.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "neu!", 4, &written, nullptr);
    CloseHandle(h);
    EXPECT_FALSE(op.UndoExecute());
    EXPECT_TRUE(FileExists(to + "a.txt")) << "the moved file stays where it went";
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExA((from + "a.txt").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 4u) << "the user's new file stays as it is";
}

TEST(FileOperator, ACopyIntoItsOwnFolderArmsNoUndoThatWouldTakeTheOriginal)
{
    StagedFolder folder("file operator");
    const std::string from = folder.Folder("von");
    Touch(from + "a.txt");
    folder.Folder("von\\d");
    Touch(from + "d\\b.txt");
    // A paste of a copy into the folder it came from.
    for (const char* name : {"a.txt", "d"}) {
        TFileOperator op;
        op.SetFlags(foAllowUndo | foSilent | foNoConfirmation);
        op.SourceFiles = {from + name};
        op.DestFiles = {ExcludeTrailingBackslash(from)};
        op.Execute();
        EXPECT_FALSE(op.CanUndo()) << name << ": nothing new was made";
        op.UndoExecute();
        EXPECT_TRUE(FileExists(from + "a.txt")) << name;
        EXPECT_TRUE(FileExists(from + "d\\b.txt")) << name;
    }
}

TEST(FileOperator, UndoNeverTakesWhatWasInTheTargetBefore)
{
    StagedFolder folder("file operator");
    const std::string from = folder.Folder("von"), to = folder.Folder("nach");
    folder.Folder("von\\Bilder");
    Touch(from + "Bilder\\neu.txt");
    // The user's own folder of that name, which the copy joins.
    folder.Folder("nach\\Bilder");
    Touch(to + "Bilder\\eigen.txt");
    TFileOperator op;
    op.SetFlags(foAllowUndo | foSilent | foNoConfirmation);
    op.SourceFiles = {from + "Bilder"};
    op.DestFiles = {ExcludeTrailingBackslash(to)};
    ASSERT_TRUE(op.Execute());
    ASSERT_TRUE(FileExists(to + "Bilder\\neu.txt"));
    EXPECT_FALSE(op.CanUndo()) << "undoing would delete the whole folder";
    op.UndoExecute();
    EXPECT_TRUE(FileExists(to + "Bilder\\eigen.txt")) << "the user's file stays";
}

TEST(FileOperator, ACopyOfAMissingFileIsRefusedWholeAndArmsNoUndo)
{
    StagedFolder folder("file operator");
    const std::string from = folder.Folder("von"), to = folder.Folder("nach");
    Touch(from + "a.txt");
    // The user's own file of the name that the missing source would have had.
    Touch(to + "fehlt.txt");
    DialogStub dialogs;
    TFileOperator op;
    op.SetFlags(foAllowUndo | foSilent | foNoConfirmation);
    op.SourceFiles = {from + "a.txt", from + "fehlt.txt"};
    op.DestFiles = {ExcludeTrailingBackslash(to)};
    EXPECT_FALSE(op.Execute());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("fehlt.txt\x93 ist nicht mehr vorhanden"), std::string::npos)
        << dialogs.messages[0].text;
    EXPECT_FALSE(FileExists(to + "a.txt")) << "nothing is copied before the refusal";
    EXPECT_FALSE(op.CanUndo());
    EXPECT_TRUE(op.LastSourceFiles().empty());
    EXPECT_FALSE(op.UndoExecute());
    EXPECT_TRUE(FileExists(to + "fehlt.txt")) << "the user's file stays";
}

TEST(FileOperator, ACopyRenamedOnCollisionIsUndoneOnlyByItsMappedNames)
{
    StagedFolder folder("file operator");
    const std::string from = folder.Folder("von"), to = folder.Folder("nach");
    Touch(from + "a.txt");
    Touch(to + "a.txt");   // the user's
    TFileOperator op;
    op.SetFlags(foAllowUndo | foSilent | foNoConfirmation | foRenameOnCollision);
    op.SourceFiles = {from + "a.txt"};
    op.DestFiles = {ExcludeTrailingBackslash(to)};
    ASSERT_TRUE(op.Execute());
    const std::vector<std::string> names = folder.Files("nach\\");
    if (!op.CanUndo()) {
        // The shell told no new names (Wine keeps none): nothing can be undone then.
        EXPECT_FALSE(op.UndoExecute());
    } else {
        ASSERT_EQ(names.size(), 2u) << "the copy got a name of its own";
        EXPECT_TRUE(op.UndoExecute());
    }
    EXPECT_TRUE(FileExists(to + "a.txt")) << "the user's file is never taken for the copy";
}

TEST(FileOperator, AMoveFromSeveralFoldersGoesBackToEachFolder)
{
    StagedFolder folder("file operator");
    const std::string one = folder.Folder("eins"), two = folder.Folder("zwei"), to = folder.Folder("nach");
    Touch(one + "a.txt");
    folder.Folder("zwei\\b");
    TFileOperator op;
    op.SetOperation(foMove);
    op.SetFlags(foAllowUndo | foSilent | foNoConfirmation);
    // A folder among the sources: Wine moves several plain files into one folder not at all.
    op.SourceFiles = {one + "a.txt", two + "b"};
    op.DestFiles = {ExcludeTrailingBackslash(to)};
    ASSERT_TRUE(op.Execute());
    ASSERT_TRUE(op.CanUndo());
    ASSERT_TRUE(op.UndoExecute());
    EXPECT_TRUE(FileExists(one + "a.txt"));
    EXPECT_TRUE(DirectoryExists(two + "b")) << "not into the first file's folder";
    EXPECT_FALSE(DirectoryExists(one + "b"));
    EXPECT_FALSE(op.CanUndo()) << "two moves back cannot be one undo";
}

TEST(FileOperator, OperationCodesOutOfRangeAreRefused)
{
    TFileOperator op;
    EXPECT_THROW(op.SetOperation(static_cast<TFileOperation>(4)), ERangeError);
    EXPECT_THROW(op.SetOperation(static_cast<TFileOperation>(-1)), ERangeError);
    EXPECT_EQ(op.Operation(), foCopy);
    std::array<uint8_t, FileOperatorDataSize> data = {};
    data[4] = 9;                  // no such operation
    data[16] = 0xFF;
    data[17] = 0xFF;              // every bit, also those the component does not know
    op.SetData(data);
    EXPECT_EQ(op.Operation(), foCopy);
    EXPECT_EQ(op.Data()[4], FO_COPY) << "an unknown code never reaches the shell";
    EXPECT_EQ(op.ShellFlags() & ~0x3FF, 0) << std::hex << op.ShellFlags();
}

TEST(FileDeleteThread, ACancelledWatchReportsNothing)
{
    StagedFolder folder("delete watcher");
    int reports = 0;
    {
        TFileDeleteWatch watch({folder.Path() + "weg.txt"},
                               [&](TFileDeleteThread&, const std::vector<std::string>&) { ++reports; }, 2);
        // The owner goes before the first look.
    }
    PumpMessages(1200);
    EXPECT_EQ(reports, 0);
    TFileDeleteWatch kept({folder.Path() + "weg.txt"},
                          [&](TFileDeleteThread&, const std::vector<std::string>&) { ++reports; }, 2);
    EXPECT_TRUE(PumpMessagesUntil([&] { return reports == 1; }, 3000));
    PumpMessages(700);
}

TEST(FileDeleteThread, ReportsGoneFilesOnThisThreadAndEnds)
{
    StagedFolder folder("delete watcher");
    const std::string kept = folder.Path() + "bleibt.txt";
    Touch(kept);
    std::vector<std::string> reported;
    DWORD reportThread = 0;
    new TFileDeleteThread({folder.Path() + "weg1.txt", folder.Path() + "weg2.txt", kept},
                          [&](TFileDeleteThread&, const std::vector<std::string>& files) {
                              reported.insert(reported.end(), files.begin(), files.end());
                              reportThread = GetCurrentThreadId();
                          },
                          2);
    ASSERT_TRUE(PumpMessagesUntil([&] { return reported.size() == 2; }, 3000));
    EXPECT_EQ(reportThread, GetCurrentThreadId()) << "the handler runs on the user-interface thread";
    EXPECT_EQ(reported[0], folder.Path() + "weg1.txt");
    DeleteFileA(kept.c_str());
    EXPECT_TRUE(PumpMessagesUntil([&] { return reported.size() == 3; }, 3000)) << "a file gone later is reported";
    // The watcher ends by itself; give it time to go before the folder does.
    PumpMessages(700);
}

TEST(DiscMonitor, ReportsAChangeOnceAndNothingWhileStopped)
{
    StagedFolder folder("disc monitor");
    TDiscMonitor monitor;
    int changes = 0, invalid = 0;
    monitor.OnChange = [&](TComponent* sender) {
        EXPECT_EQ(sender, &monitor);
        ++changes;
    };
    monitor.OnInvalid = [&](TComponent*) { ++invalid; };
    monitor.SetChangeDelay(100);
    monitor.SetDirectory(ExcludeTrailingBackslash(folder.Path()));
    monitor.Start();
    PumpMessages(200);
    Touch(folder.Path() + "neu.txt");
    EXPECT_TRUE(PumpMessagesUntil([&] { return changes > 0; }, 3000));
    EXPECT_EQ(invalid, 0);

    monitor.Stop();
    PumpMessages(200);
    const int before = changes;
    Touch(folder.Path() + "noch eine.txt");
    PumpMessages(600);
    EXPECT_EQ(changes, before) << "nothing while stopped";
}

TEST(DiscMonitor, AMissingDirectoryIsReportedOncePerSetUp)
{
    TDiscMonitor monitor;
    int invalid = 0;
    monitor.OnInvalid = [&](TComponent*) { ++invalid; };
    monitor.SetDirectory("C:\\gibt es nicht");
    monitor.Start();
    EXPECT_TRUE(PumpMessagesUntil([&] { return invalid == 1; }, 3000));
    PumpMessages(300);
    EXPECT_EQ(invalid, 1);
    monitor.SetDirectory("C:\\gibt es nicht");   // the same text: no new attempt
    PumpMessages(300);
    EXPECT_EQ(invalid, 1);
    monitor.SetDirectory("C:\\gibt es auch nicht");
    EXPECT_TRUE(PumpMessagesUntil([&] { return invalid == 2; }, 3000));
}

TEST(DiscMonitor, AnEmptyFilterSetIsRefused)
{
    DialogStub dialogs;
    TDiscMonitor monitor;
    EXPECT_EQ(monitor.Filters(), TMonitorFilters(moFilename));
    monitor.SetFilters(0);
    EXPECT_EQ(monitor.Filters(), TMonitorFilters(moFilename));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Some filter condition must be set.");
    EXPECT_EQ(NotifyFilterOf(moFilename | moSecurity), DWORD(FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SECURITY));
}
