// TFileOperator over SHFileOperationA.
#include <windows.h>
#include <shellapi.h>

#include "FileOperator.h"

#include "BaseUtils.h"
#include "Dialogs.h"
#include "ExactNames.h"
#include "Exceptions.h"
#include "FolderWalk.h"
#include "Forms.h"
#include "LateLibrary.h"
#include "SysUtils.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>

namespace {

// The flags in the order of TFileOperationFlag and the shell bit each one sets.
const FILEOP_FLAGS ShellBits[] = {FOF_ALLOWUNDO,     FOF_CONFIRMMOUSE,       FOF_FILESONLY,
                                  FOF_MULTIDESTFILES, FOF_NOCONFIRMATION,     FOF_NOCONFIRMMKDIR,
                                  FOF_RENAMEONCOLLISION, FOF_SILENT,          FOF_SIMPLEPROGRESS};

// Each entry followed by a zero, and one more zero at the end.
std::wstring DoubleNullList(const std::vector<std::wstring>& entries)
{
    std::wstring text;
    for (const std::wstring& entry : entries) {
        text += entry;
        text += L'\0';
    }
    text += L'\0';
    return text;
}

// The shell's operation codes in the order of TFileOperation.
const UINT OperationCodes[] = {FO_COPY, FO_DELETE, FO_MOVE, FO_RENAME};

// What a name-mapping handle of the wide operation points at.
struct NameMappings {
    UINT count;
    SHNAMEMAPPINGW* mappings;
};

std::wstring WithBackslash(const std::wstring& path)
{
    return path.empty() || path.back() == L'\\' ? path : path + L'\\';
}

std::wstring WithoutBackslash(std::wstring path)
{
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

std::wstring NameOf(const std::wstring& path)
{
    return WideLastComponent(path);
}

std::wstring FolderOf(const std::wstring& path)
{
    return WithoutBackslash(WideParentOf(path));
}

bool SameWide(const std::wstring& a, const std::wstring& b)
{
    return lstrcmpiW(WithoutBackslash(a).c_str(), WithoutBackslash(b).c_str()) == 0;
}

// Whether `path` is `folder` or lies inside it.
bool WideWithin(const std::wstring& path, const std::wstring& folder)
{
    const std::wstring inner = WithBackslash(WithoutBackslash(path));
    const std::wstring outer = WithBackslash(WithoutBackslash(folder));
    return inner.size() >= outer.size() && lstrcmpiW(inner.substr(0, outer.size()).c_str(), outer.c_str()) == 0;
}

DWORD AttributesOf(const std::wstring& path)
{
    return GetFileAttributesW(WithoutBackslash(path).c_str());
}

bool WideExists(const std::wstring& path)
{
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool VolumeOf(const std::wstring& path, DWORD& volume)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!FileIdentity(path, info))
        return false;
    volume = info.dwVolumeSerialNumber;
    return true;
}

// A path as the user knows it: its long name as the platform shows it.
std::string Shown(const std::wstring& path)
{
    return DisplayAnsi(WithoutBackslash(path));
}

std::string Quoted(const std::string& path)
{
    return "„" + path + "“";
}

// The shell's own codes of a failed operation, besides the system's error numbers.
std::string FailureReason(int code)
{
    switch (code) {
    case 0x71: return "Quelle und Ziel sind dieselbe Datei.";
    case 0x72:
    case 0x73: return "Die Dateien lassen sich nicht so an ein Ziel bringen.";
    case 0x74:
    case 0x7C: return "Die Quelle ist keine gültige Datei.";
    case 0x75:
    case 0x76: return "Der Vorgang wurde abgebrochen.";
    case 0x78:
    case 0x86:
    case 0x87:
    case 0x88: return "Zugriff verweigert.";
    case 0x79: return "Der Pfad ist zu lang.";
    case 0x7D: return "Das Ziel liegt in der Quelle.";
    case 0x7E:
    case 0x80: return "Im Ziel steht ein Ordner dieses Namens.";
    case 0x81: return "Im Ziel steht eine Datei dieses Namens.";
    case 0x85: return "Der Dateiname ist zu lang.";
    case 0x402: return "Das Ziel ist nicht erreichbar.";
    default: return SysErrorMessage(static_cast<unsigned long>(code));
    }
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
        Shell32::SHFreeNameMappings(mappings_);
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

// One operation as the shell gets it.
struct TFileOperator::TPlan {
    TFileOperation operation = foCopy;
    FILEOP_FLAGS flags = 0;
    std::vector<std::wstring> sources;   // exact long paths
    std::vector<std::wstring> targets;   // the destination folder, or one path per source
    std::vector<std::wstring> planned;   // where each source is to go
    std::vector<std::wstring> results;   // where it is afterwards (a rename on collision moves it)
    std::vector<bool> occupied;          // whether the planned place was taken before
    bool multiple = false;               // one target per source
};

std::string TFileOperator::Plan(TPlan& plan) const
{
    plan.operation = Operation();
    plan.multiple = (Flags() & foMultiDestFiles) != 0;
    for (const std::string& source : SourceFiles) {
        std::wstring wide;
        if (!ExactWidePath(source, wide)) {
            if (!PathKeptByPlatform(source) || ExactEntryExists(source))
                return Quoted(source) + " wird nicht angefasst: der Name enthält Zeichen, die Windows als Muster "
                       "liest oder anders speichert (* ? \" < > | oder Punkte und Leerzeichen am Ende).";
            return Quoted(source) + " ist nicht mehr vorhanden.";
        }
        plan.sources.push_back(wide);
    }
    if (plan.operation == foDelete) {
        // Deleting through a link of the file system can reach what it points at.
        TFolderWalkLimits limits;
        limits.linksStop = true;
        limits.maxEntries = UINT64_MAX;
        limits.maxDepth = INT_MAX;
        for (const std::wstring& source : plan.sources) {
            std::wstring link;
            if (IsLinkEntry(source, AttributesOf(source)))
                link = source;
            else if (IsFolder(source))
                link = WalkFolder(WithoutBackslash(source), limits).where;
            if (!link.empty())
                return Quoted(Shown(source)) + " wird nicht gelöscht: " +
                       (link == source ? std::string("es ist") : Quoted(Shown(link)) + " ist") +
                       " eine Verknüpfung des Dateisystems, und das Löschen könnte treffen, worauf sie zeigt.";
        }
        return std::string();
    }

    if (DestFiles.empty() || (plan.multiple && DestFiles.size() != SourceFiles.size()))
        return "Die Dateioperation hat kein Ziel.";
    // A folder to go into is found by its exact name; a name to be given stays as it is written.
    const bool newNames = plan.multiple || plan.operation == foRename;
    for (size_t k = 0; k < (plan.multiple ? DestFiles.size() : 1); ++k) {
        std::wstring target;
        const bool folder = !newNames && ExactWidePath(DestFiles[k], target) && IsFolder(target);
        if (!folder && !ExactWideTarget(DestFiles[k], target))
            return "Das Ziel " + Quoted(DestFiles[k]) + " lässt sich nicht erreichen.";
        plan.targets.push_back(target);
    }
    // One source and a destination that is no folder: the shell takes it as the new name.
    const bool named = plan.multiple || plan.operation == foRename ||
                       (plan.sources.size() == 1 && !IsFolder(plan.targets.front()));
    for (size_t k = 0; k < plan.sources.size(); ++k) {
        const std::wstring& source = plan.sources[k];
        plan.results.push_back(named ? plan.targets[std::min(k, plan.targets.size() - 1)]
                                     : WithBackslash(plan.targets.front()) + NameOf(source));
        plan.occupied.push_back(WideExists(plan.results.back()));
    }
    plan.planned = plan.results;
    if (plan.operation == foRename)
        return std::string();

    for (size_t k = 0; k < plan.sources.size(); ++k) {
        const std::wstring& source = plan.sources[k];
        const std::wstring folder = FolderOf(plan.results[k]);
        const bool isFolder = IsFolder(source);
        if (isFolder && WideWithin(folder, source))
            return Quoted(Shown(source)) + " kann nicht in sich selbst oder einen eigenen Unterordner " +
                   (plan.operation == foMove ? "verschoben" : "kopiert") + " werden.";
        // A move within one volume only renames; anything else copies every entry.
        DWORD from = 0, to = 0;
        const bool copies = plan.operation == foCopy || !VolumeOf(source, from) || !VolumeOf(folder, to) || from != to;
        if (!copies)
            continue;
        size_t longest = plan.results[k].size();
        if (isFolder) {
            const TFolderWalk walk = WalkFolder(WithoutBackslash(source));
            if (walk.loop)
                return Quoted(Shown(source)) + " wird nicht kopiert: " + Quoted(Shown(walk.where)) +
                       " führt als Verknüpfung zurück in den Ordner, die Kopie nähme kein Ende.";
            if (walk.tooLarge)
                return Quoted(Shown(source)) + " wird nicht kopiert: der Ordner ist größer oder tiefer "
                       "verschachtelt, als ein Ordner sein kann (bei " + Quoted(Shown(walk.where)) + ").";
            longest += walk.longestRelative;
        }
        if (longest >= MAX_PATH)
            return Quoted(Shown(source)) + " wird nicht kopiert: im Ziel würden Pfade länger, als Windows "
                   "sie zulässt.";
    }
    return std::string();
}

bool TFileOperator::Run(TPlan& plan)
{
    const bool undoable = (plan.flags & FOF_ALLOWUNDO) && !plan.multiple &&
                          (plan.operation == foCopy || plan.operation == foMove);
    const bool needMappings = undoable && (plan.flags & FOF_RENAMEONCOLLISION);
    if (plan.operation == foRename && plan.sources.size() == 1 && SameWide(plan.sources[0], plan.results[0]) &&
        NameOf(plan.sources[0]) != NameOf(plan.results[0])) {
        // A change of case only, which some systems report as done without doing it.
        std::string source, name;
        DWORD error = ERROR_SUCCESS;
        if (ExactAnsiPath(plan.sources[0], source) && ExactAnsi(NameOf(plan.results[0]), name) &&
            RenameExactly(source, name, error))
            return true;
        MessageDlg("Die Dateioperation ist fehlgeschlagen: " + FailureReason(static_cast<int>(error)), mtError, mbOK);
        return false;
    }
    const std::wstring from = DoubleNullList(plan.sources);
    const std::wstring to = DoubleNullList(plan.targets);
    SHFILEOPSTRUCTW op = {};
    op.hwnd = Application.MainForm() ? Application.MainForm()->Handle() : nullptr;
    op.wFunc = OperationCodes[plan.operation];
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    // The shell's own error boxes speak the system's language; ours speak German.
    op.fFlags = plan.flags | FOF_NOERRORUI | (needMappings ? FOF_WANTMAPPINGHANDLE : 0);
    const int result = Shell32::SHFileOperationW(&op);
    // Whatever the shell renamed on a collision is found by its new name.
    if (const auto* table = static_cast<const NameMappings*>(op.hNameMappings))
        for (size_t k = 0; k < plan.sources.size(); ++k)
            for (UINT i = 0; i < table->count; ++i) {
                const SHNAMEMAPPINGW& m = table->mappings[i];
                if (m.pszOldPath && m.pszNewPath &&
                    (SameWide(m.pszOldPath, plan.sources[k]) || SameWide(m.pszOldPath, plan.planned[k])))
                    plan.results[k] = m.pszNewPath;
            }
    if (WantMappingHandle())
        mappings_ = op.hNameMappings;
    else if (op.hNameMappings)
        Shell32::SHFreeNameMappings(op.hNameMappings);
    if (op.fAnyOperationsAborted || result == ERROR_CANCELLED || result == 0x75)
        return false;
    if (result != 0) {
        MessageDlg("Die Dateioperation ist fehlgeschlagen: " + FailureReason(result), mtError, mbOK);
        return false;
    }
    // Done only where the disk says so: the shell reports some refusals as success.
    for (size_t k = 0; k < plan.sources.size(); ++k) {
        const bool sourceGone = !WideExists(plan.sources[k]);
        const bool resultThere = plan.operation != foDelete && WideExists(plan.results[k]);
        switch (plan.operation) {
        case foCopy:
            if (!resultThere)
                return false;
            break;
        case foDelete:
            if (!sourceGone)
                return false;
            break;
        default:
            if (!resultThere || !sourceGone)
                return false;
        }
    }
    return true;
}

bool TFileOperator::Execute()
{
    // However it ends, the lists are used up.
    struct Emptied {
        TFileOperator& op;
        ~Emptied()
        {
            op.SourceFiles.clear();
            op.DestFiles.clear();
        }
    } emptied{*this};
    FreeMappings();
    if (SourceFiles.empty()) {
        ClearUndo();
        return false;
    }
    TPlan plan;
    const std::string refusal = Plan(plan);
    if (!refusal.empty()) {
        ClearUndo();
        MessageDlg(refusal, mtError, mbOK);
        return false;
    }
    plan.flags = shellFlags_ & ~FOF_WANTMAPPINGHANDLE;
    const TFileOperationFlags flags = Flags();
    const bool done = Run(plan);

    // Undo takes back only names that this operation made: none that stood there before, and
    // none a rename on collision gave without telling which.
    bool undoable = done && (flags & foAllowUndo) && !plan.multiple &&
                    (plan.operation == foCopy || plan.operation == foMove);
    for (size_t k = 0; undoable && k < plan.results.size(); ++k)
        undoable = !plan.occupied[k] || !SameWide(plan.results[k], plan.planned[k]);
    if (undoable) {
        lastSource_ = SourceFiles;
        lastDest_ = DestFiles;
        lastOrigins_ = plan.sources;
        lastResults_ = plan.results;
        lastFlags_ = flags;
        lastOperation_ = plan.operation;
        canUndo_ = true;
    } else {
        ClearUndo();
    }
    return done;
}

bool TFileOperator::UndoExecute()
{
    if (!canUndo_ || lastSource_.empty() || lastDest_.size() != 1 || lastResults_.size() != lastOrigins_.size())
        return false;
    const std::vector<std::wstring> origins = lastOrigins_;
    const std::vector<std::wstring> results = lastResults_;
    const TFileOperation operation = lastOperation_;
    FILEOP_FLAGS flags = shellFlags_;
    {
        const TFileOperationFlags kept = Flags();
        SetFlags(lastFlags_);
        flags = (shellFlags_ & ~(FOF_WANTMAPPINGHANDLE | FOF_RENAMEONCOLLISION | FOF_MULTIDESTFILES)) |
                FOF_NOCONFIRMATION;
        SetFlags(kept);
    }
    // A file made since where an original was would be overwritten without a question.
    if (operation == foMove && std::any_of(origins.begin(), origins.end(), WideExists))
        return false;
    ClearUndo();
    FreeMappings();
    bool done = false;
    // By what was done, not by what is set now: a drop its handler refused sets the next
    // operation without running it.
    if (operation == foCopy) {
        // The copies go for good, as they came; nothing else was made.
        TPlan plan;
        plan.operation = foDelete;
        plan.flags = flags & ~FOF_ALLOWUNDO;
        plan.sources = results;
        done = Run(plan);
    } else if (operation == foMove) {
        // Each file back to where it was, under its old name.
        done = true;
        for (size_t k = 0; k < origins.size(); ++k) {
            TPlan plan;
            plan.operation = foMove;
            plan.flags = flags | FOF_MULTIDESTFILES;
            plan.multiple = true;
            plan.sources = {results[k]};
            plan.targets = plan.planned = plan.results = {origins[k]};
            done = Run(plan) && done;
        }
    }
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
