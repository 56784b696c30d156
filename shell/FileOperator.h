// TFileOperator: copies, moves, deletes and renames lists of files through the shell's file
// operation, and undoes the last copy or move.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "Component.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum TFileOperation { foCopy, foDelete, foMove, foRename };

enum TFileOperationFlag : unsigned {
    foAllowUndo = 1u << 0,
    foConfirmMouse = 1u << 1,
    foFilesOnly = 1u << 2,
    foMultiDestFiles = 1u << 3,
    foNoConfirmation = 1u << 4,
    foNoConfirmMkDir = 1u << 5,
    foRenameOnCollision = 1u << 6,
    foSilent = 1u << 7,
    foSimpleProgress = 1u << 8,
};
using TFileOperationFlags = unsigned;

// The operation record as the component stores it: 30 bytes in the layout of the shell's
// structure packed to single bytes.
constexpr size_t FileOperatorDataSize = 30;

class TFileOperator : public TComponent {
public:
    explicit TFileOperator(TComponent* owner = nullptr);
    ~TFileOperator() override;

    TFileOperation Operation() const;
    // A value outside the enumeration raises ERangeError.
    void SetOperation(TFileOperation operation);
    TFileOperationFlags Flags() const;
    void SetFlags(TFileOperationFlags flags);
    bool WantMappingHandle() const { return (shellFlags_ & FOF_WANTMAPPINGHANDLE) != 0; }
    void SetWantMappingHandle(bool want);
    const std::string& ProgressTitle() const { return progressTitle_; }
    void SetProgressTitle(const std::string& title) { progressTitle_ = title; }
    // The shell's own flag bits.
    FILEOP_FLAGS ShellFlags() const { return shellFlags_; }

    std::vector<std::string> SourceFiles;
    std::vector<std::string> DestFiles;
    const std::vector<std::string>& LastSourceFiles() const { return lastSource_; }
    const std::vector<std::string>& LastDestFiles() const { return lastDest_; }
    TFileOperation LastOperation() const { return lastOperation_; }
    bool CanUndo() const { return canUndo_; }

    // Runs the operation on SourceFiles and DestFiles and empties both; true when the shell
    // reports success and the files are where the operation was to put them. Each path reaches
    // the shell as the exact long name of its entry. Refused, with a message in German and
    // nothing done: a source that is gone or whose name the shell would read as a pattern, a
    // copy or move without a destination or into the source itself, a folder whose copy could
    // not end (a link back into it) or would make paths too long, a delete that would reach
    // through a link of the file system. Undo is armed only for a copy or move that fully
    // succeeded and whose resulting names are known (a rename on collision needs the shell's
    // name mapping) and were free before.
    bool Execute();
    // Takes back the last copy (deletes the copies) or move (moves each file back to where it
    // was, under its old name; false, with nothing moved, while anything stands where an
    // original was). True only when every file is back.
    bool UndoExecute();
    void ClearUndo();

    // The stored form: only the operation and the flags are taken back; an unknown operation
    // code reads as a copy, unknown flag bits are dropped.
    std::array<uint8_t, FileOperatorDataSize> Data() const;
    void SetData(const std::array<uint8_t, FileOperatorDataSize>& data);

    struct TPlan;

private:
    void FreeMappings();
    // The exact wide paths of the operation, or why it is refused.
    std::string Plan(TPlan& plan) const;
    // Hands a planned operation to the shell; true when the files are where it was to put them.
    // A failure the shell reports is told to the user.
    bool Run(TPlan& plan);

    UINT shellOperation_ = FO_COPY;
    FILEOP_FLAGS shellFlags_ = FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR;
    HANDLE mappings_ = nullptr;
    std::string progressTitle_ = "File Operation";
    std::vector<std::string> lastSource_;
    std::vector<std::string> lastDest_;
    std::vector<std::wstring> lastOrigins_;  // the exact long paths of lastSource_
    std::vector<std::wstring> lastResults_;  // where each of them ended up
    TFileOperation lastOperation_ = foCopy;
    TFileOperationFlags lastFlags_ = 0;
    bool canUndo_ = false;
};
