// TFileOperator over SHFileOperationA.
#include <windows.h>
#include <shellapi.h>

#include "FileOperator.h"

#include "BaseUtils.h"
#include "Exceptions.h"
#include "Forms.h"
#include "SysUtils.h"

#include <algorithm>
#include <cstring>
#include <iterator>

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

// The shell's operation codes in the order of TFileOperation.
const UINT OperationCodes[] = {FO_COPY, FO_DELETE, FO_MOVE, FO_RENAME};

// What a name-mapping handle points at.
struct NameMappings {
    UINT count;
    SHNAMEMAPPINGA* mappings;
};

// Where a source goes in a destination folder under its own name.
std::string PlainTarget(const std::string& folder, const std::string& source)
{
    return AddBackslash(folder) + ExtractFileName(source);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(RemoveBackslash(path).c_str()) != INVALID_FILE_ATTRIBUTES;
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
    const auto index = static_cast<size_t>(operation);
    if (index >= std::size(OperationCodes))
        throw ERangeError("Unbekannte Dateioperation: " + std::to_string(static_cast<int>(operation)));
    shellOperation_ = OperationCodes[index];
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
    const TFileOperationFlags flags = Flags();
    const bool undoable = (flags & foAllowUndo) && !(flags & foMultiDestFiles) && Operation() != foDelete;
    // Renamed copies can only be taken back by their new names, which the mapping tells.
    const bool needMappings = undoable && (flags & foRenameOnCollision);
    const std::string from = DoubleNullList(SourceFiles);
    const std::string to = DoubleNullList(DestFiles);
    // Whatever stands where a file goes (a folder the copy joins, the file itself when it goes
    // into its own folder) would be taken along by an undo.
    std::vector<bool> occupied;
    if (undoable && DestFiles.size() == 1)
        for (const std::string& source : SourceFiles)
            occupied.push_back(Exists(PlainTarget(DestFiles.front(), source)));
    SHFILEOPSTRUCTA op = {};
    op.hwnd = Application.MainForm() ? Application.MainForm()->Handle() : nullptr;
    FreeMappings();
    op.wFunc = shellOperation_;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = shellFlags_ | (needMappings ? FOF_WANTMAPPINGHANDLE : 0);
    const bool done = SHFileOperationA(&op) == 0;

    std::vector<std::string> results;
    // A failed or cancelled operation may have left a file of the user's where the copy would
    // be: undoing it must never delete that.
    if (done && !op.fAnyOperationsAborted && undoable && ResultingNames(op.hNameMappings, occupied, results)) {
        lastSource_.swap(SourceFiles);
        lastDest_.swap(DestFiles);
        lastResults_.swap(results);
        lastFlags_ = flags;
        lastOperation_ = Operation();
        canUndo_ = true;
    } else {
        ClearUndo();
    }
    if (WantMappingHandle())
        mappings_ = op.hNameMappings;
    else if (op.hNameMappings)
        SHFreeNameMappings(op.hNameMappings);
    SourceFiles.clear();
    DestFiles.clear();
    return done;
}

bool TFileOperator::ResultingNames(HANDLE mappings, const std::vector<bool>& occupied,
                                   std::vector<std::string>& names) const
{
    names.clear();
    if (DestFiles.size() != 1 || occupied.size() != SourceFiles.size())
        return false;
    const auto* table = static_cast<const NameMappings*>(mappings);
    if ((Flags() & foRenameOnCollision) && !table)
        return false;
    for (size_t k = 0; k < SourceFiles.size(); ++k) {
        const std::string& source = SourceFiles[k];
        const std::string plain = PlainTarget(DestFiles.front(), source);
        std::string result = plain;
        // A mapping names the file by where it came from or where it would have gone.
        for (UINT i = 0; table && i < table->count; ++i) {
            const SHNAMEMAPPINGA& m = table->mappings[i];
            if (m.pszOldPath && m.pszNewPath && (SameText(m.pszOldPath, source) || SameText(m.pszOldPath, plain)))
                result = m.pszNewPath;
        }
        if (occupied[k] && SameText(result, plain))
            return false;
        names.push_back(result);
    }
    return true;
}

bool TFileOperator::UndoExecute()
{
    if (!canUndo_ || lastSource_.empty() || lastDest_.size() != 1 || lastResults_.size() != lastSource_.size())
        return false;
    const TFileOperationFlags keptFlags = Flags();
    const TFileOperation keptOperation = Operation();
    SetFlags(lastFlags_);
    bool done = false;
    // By what was done, not by what is set now: a drop its handler refused sets the next
    // operation without running it.
    switch (lastOperation_) {
    case foCopy:
        SetOperation(foDelete);
        SetFlags((Flags() & ~foAllowUndo) | foNoConfirmation);
        SourceFiles = lastResults_;
        done = Execute();
        break;
    case foMove: {
        // A file made since where an original was would be overwritten without a question.
        if (std::any_of(lastSource_.begin(), lastSource_.end(), Exists))
            break;
        // Files moved from several folders go back each to its own.
        std::vector<std::pair<std::string, std::vector<std::string>>> groups;
        for (size_t i = 0; i < lastSource_.size(); ++i) {
            const std::string folder = ExtractFilePath(lastSource_[i]);
            auto group = std::find_if(groups.begin(), groups.end(),
                                      [&](const auto& g) { return SameText(g.first, folder); });
            if (group == groups.end())
                group = groups.insert(groups.end(), {folder, {}});
            group->second.push_back(lastResults_[i]);
        }
        const TFileOperationFlags moveFlags = Flags() | foAllowUndo | foNoConfirmation;
        done = true;
        for (const auto& group : groups) {
            SetOperation(foMove);
            SetFlags(moveFlags);
            SourceFiles = group.second;
            DestFiles = {group.first};
            done = Execute() && done;
        }
        // One undo record cannot hold moves into several folders.
        if (groups.size() > 1)
            ClearUndo();
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
    lastResults_.clear();
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
    shellOperation_ = std::find(std::begin(OperationCodes), std::end(OperationCodes), operation) !=
                              std::end(OperationCodes) ? operation : FO_COPY;
    FILEOP_FLAGS known = FOF_WANTMAPPINGHANDLE;
    for (FILEOP_FLAGS bit : ShellBits)
        known |= bit;
    shellFlags_ = flags & known;
}
