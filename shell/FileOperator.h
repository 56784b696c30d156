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
    // reports success. Undo is armed only for an undoable operation that fully succeeded and
    // whose resulting names are known (a rename on collision needs the shell's name mapping) and
    // were free before.
    bool Execute();
    // Takes back the last copy (deletes the copies) or move (moves each file back to the folder
    // it came from; false, with nothing moved, while anything stands where an original was).
    bool UndoExecute();
    void ClearUndo();

    // The stored form: only the operation and the flags are taken back; an unknown operation
    // code reads as a copy, unknown flag bits are dropped.
    std::array<uint8_t, FileOperatorDataSize> Data() const;
    void SetData(const std::array<uint8_t, FileOperatorDataSize>& data);

private:
    void FreeMappings();
    // Where each source of an operation that just ended lies now; false when that is unknown.
    // `occupied`: per source, whether its plain target existed before; such a name cannot be taken
    // back.
    bool ResultingNames(HANDLE mappings, const std::vector<bool>& occupied, std::vector<std::string>& names) const;

    UINT shellOperation_ = FO_COPY;
    FILEOP_FLAGS shellFlags_ = FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR;
    HANDLE mappings_ = nullptr;
    std::string progressTitle_ = "File Operation";
    std::vector<std::string> lastSource_;
    std::vector<std::string> lastDest_;
    std::vector<std::string> lastResults_;   // where each of lastSource_ ended up
    TFileOperation lastOperation_ = foCopy;
    TFileOperationFlags lastFlags_ = 0;
    bool canUndo_ = false;
};
