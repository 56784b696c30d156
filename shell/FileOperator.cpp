// TFileOperator over SHFileOperationA.
#include <windows.h>
#include <shellapi.h>

#include "FileOperator.h"

#include "BaseUtils.h"
#include "Forms.h"
#include "SysUtils.h"

#include <cstring>

namespace {

// The flags in the order of TFileOperationFlag and the shell bit each one sets.
const FILEOP_FLAGS ShellBits[] = {FOF_ALLOWUNDO,     FOF_CONFIRMMOUSE,       FOF_FILESONLY,
                                  FOF_MULTIDESTFILES, FOF_NOCONFIRMATION,     FOF_NOCONFIRMMKDIR,
                                  FOF_RENAMEONCOLLISION, FOF_SILENT,          FOF_SIMPLEPROGRESS};

// Each entry followed by a zero, and one more zero at the end.
std::string DoubleNullList(const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries) {
        text += entry;
        text += '\0';
    }
    text += '\0';
    return text;
}

template <typename T>
void Put(std::array<uint8_t, FileOperatorDataSize>& data, size_t at, T value)
{
    std::memcpy(data.data() + at, &value, sizeof value);
}

}  // namespace

TFileOperator::TFileOperator(TComponent* owner) : TComponent(owner)
{
}

TFileOperator::~TFileOperator()
{
    FreeMappings();
}

void TFileOperator::FreeMappings()
{
    if (mappings_)
        SHFreeNameMappings(mappings_);
    mappings_ = nullptr;
}

TFileOperation TFileOperator::Operation() const
{
    switch (shellOperation_) {
    case FO_DELETE: return foDelete;
    case FO_MOVE: return foMove;
    case FO_RENAME: return foRename;
    default: return foCopy;
    }
}

void TFileOperator::SetOperation(TFileOperation operation)
{
    const UINT codes[] = {FO_COPY, FO_DELETE, FO_MOVE, FO_RENAME};
    shellOperation_ = codes[operation];
}

TFileOperationFlags TFileOperator::Flags() const
{
    TFileOperationFlags flags = 0;
    for (size_t i = 0; i < std::size(ShellBits); ++i)
        if (shellFlags_ & ShellBits[i])
            flags |= 1u << i;
    return flags;
}

void TFileOperator::SetFlags(TFileOperationFlags flags)
{
    FILEOP_FLAGS bits = shellFlags_ & FOF_WANTMAPPINGHANDLE;
    for (size_t i = 0; i < std::size(ShellBits); ++i)
        if (flags & (1u << i))
            bits |= ShellBits[i];
    shellFlags_ = bits;
}

void TFileOperator::SetWantMappingHandle(bool want)
{
    shellFlags_ = want ? (shellFlags_ | FOF_WANTMAPPINGHANDLE) : (shellFlags_ & ~FOF_WANTMAPPINGHANDLE);
}

bool TFileOperator::Execute()
{
    const std::string from = DoubleNullList(SourceFiles);
    const std::string to = DoubleNullList(DestFiles);
    SHFILEOPSTRUCTA op = {};
    op.hwnd = Application.MainForm() ? Application.MainForm()->Handle() : nullptr;
    FreeMappings();
    op.wFunc = shellOperation_;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = shellFlags_;
    const bool done = SHFileOperationA(&op) == 0;
    mappings_ = op.hNameMappings;

    const TFileOperationFlags flags = Flags();
    if ((flags & foAllowUndo) && !(flags & foMultiDestFiles) && Operation() != foDelete) {
        lastSource_.swap(SourceFiles);
        lastDest_.swap(DestFiles);
        lastFlags_ = flags;
        lastOperation_ = Operation();
        canUndo_ = true;
    } else {
        ClearUndo();
    }
    SourceFiles.clear();
    DestFiles.clear();
    return done;
}

bool TFileOperator::UndoExecute()
{
    if (!canUndo_ || lastSource_.empty() || lastDest_.size() != 1)
        return false;
    const TFileOperationFlags keptFlags = Flags();
    const TFileOperation keptOperation = Operation();
    SetFlags(lastFlags_);
    // The copies or moved files now lie in the destination folder under their own names.
    std::vector<std::string> copies;
    for (const std::string& source : lastSource_)
        copies.push_back(AddBackslash(lastDest_.front()) + ExtractFileName(source));
    bool done = false;
    switch (keptOperation) {
    case foCopy:
        SetOperation(foDelete);
        SetFlags((Flags() & ~foAllowUndo) | foNoConfirmation);
        SourceFiles = copies;
        done = Execute();
        break;
    case foMove: {
        const std::string back = ExtractFilePath(lastSource_.front());
        SetOperation(foMove);
        SetFlags(Flags() | foAllowUndo | foNoConfirmation);
        SourceFiles = copies;
        DestFiles = {back};
        done = Execute();
        break;
    }
    default:
        break;
    }
    SetFlags(keptFlags);
    SetOperation(keptOperation);
    return done;
}

void TFileOperator::ClearUndo()
{
    canUndo_ = false;
    lastSource_.clear();
    lastDest_.clear();
}

std::array<uint8_t, FileOperatorDataSize> TFileOperator::Data() const
{
    std::array<uint8_t, FileOperatorDataSize> data = {};
    Put<uint32_t>(data, 4, shellOperation_);
    Put<uint16_t>(data, 16, shellFlags_);
    return data;
}

void TFileOperator::SetData(const std::array<uint8_t, FileOperatorDataSize>& data)
{
    uint32_t operation;
    uint16_t flags;
    std::memcpy(&operation, data.data() + 4, sizeof operation);
    std::memcpy(&flags, data.data() + 16, sizeof flags);
    shellOperation_ = operation;
    shellFlags_ = flags;
}
