#include "Classes.h"

#include "Exceptions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

std::string SysErrorMessage(unsigned long code)
{
    // The system's own texts come in the language of its installation; the programs speak German
    // everywhere. Failures a user meets get their own text, any other its number.
    struct Text {
        unsigned long code;
        const char* text;
    };
    static const Text texts[] = {
        {ERROR_FILE_NOT_FOUND, "Die Datei wurde nicht gefunden."},
        {ERROR_PATH_NOT_FOUND, "Der Ordner wurde nicht gefunden."},
        {ERROR_INVALID_DRIVE, "Das Laufwerk wurde nicht gefunden."},
        {ERROR_BAD_NETPATH, "Der Netzwerkpfad wurde nicht gefunden."},
        {ERROR_BAD_NET_NAME, "Der Netzwerkname wurde nicht gefunden."},
        {ERROR_ACCESS_DENIED, "Zugriff verweigert."},
        {ERROR_WRITE_PROTECT, "Der Datenträger ist schreibgeschützt."},
        {ERROR_SHARING_VIOLATION, "Die Datei wird von einem anderen Programm verwendet."},
        {ERROR_LOCK_VIOLATION, "Die Datei wird von einem anderen Programm verwendet."},
        {ERROR_DISK_FULL, "Der Datenträger ist voll."},
        {ERROR_HANDLE_DISK_FULL, "Der Datenträger ist voll."},
        {ERROR_NOT_READY, "Das Laufwerk ist nicht bereit."},
        {ERROR_NOT_ENOUGH_MEMORY, "Nicht genügend Speicher verfügbar."},
        {ERROR_OUTOFMEMORY, "Nicht genügend Speicher verfügbar."},
        {ERROR_INVALID_NAME, "Der Dateiname ist ungültig."},
        {ERROR_FILENAME_EXCED_RANGE, "Der Dateiname ist zu lang."},
        {ERROR_FILE_EXISTS, "Die Datei ist bereits vorhanden."},
        {ERROR_ALREADY_EXISTS, "Die Datei ist bereits vorhanden."},
    };
    for (const Text& t : texts)
        if (t.code == code)
            return t.text;
    return "Systemfehler Nr. " + std::to_string(code) + ".";
}

EOleSysError::EOleSysError(long errorCode)
    : Exception([errorCode] {
          char text[64];
          std::snprintf(text, sizeof text, "OLE-Fehler %08lX.", static_cast<unsigned long>(errorCode));
          return std::string(text);
      }()),
      errorCode_(errorCode)
{
}

int64_t TStream::Size()
{
    int64_t here = Position();
    int64_t end = Seek(0, FILE_END);
    Seek(here, FILE_BEGIN);
    return end;
}

void TStream::ReadBuffer(void* buffer, size_t count)
{
    if (count && Read(buffer, count) != count)
        throw EReadError("Fehler beim Lesen aus dem Datenstrom");
}

void TStream::WriteBuffer(const void* buffer, size_t count)
{
    if (count && Write(buffer, count) != count)
        throw EWriteError("Fehler beim Schreiben in den Datenstrom");
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName)
{
    DWORD access = 0, share = FILE_SHARE_READ, disposition = OPEN_EXISTING;
    switch (mode) {
    case TFileMode::Create:
    case TFileMode::CreateNew:
        access = GENERIC_READ | GENERIC_WRITE;
        share = 0;
        disposition = mode == TFileMode::Create ? CREATE_ALWAYS : CREATE_NEW;
        break;
    case TFileMode::OpenRead:
        access = GENERIC_READ;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    case TFileMode::OpenWrite:
        access = GENERIC_WRITE;
        break;
    case TFileMode::OpenReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    }
    handle_.reset(CreateFileA(fileName.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle_) {
        std::string reason = SysErrorMessage(GetLastError());
        if (mode == TFileMode::Create || mode == TFileMode::CreateNew)
            throw EFCreateError("Die Datei \"" + fileName + "\" kann nicht erstellt werden. " + reason);
        throw EFOpenError("Die Datei \"" + fileName + "\" kann nicht geöffnet werden. " + reason);
    }
}

TFileStream::~TFileStream() = default;

size_t TFileStream::Read(void* buffer, size_t count)
{
    DWORD done = 0;
    if (!ReadFile(handle_.get(), buffer, static_cast<DWORD>(count), &done, nullptr))
        return 0;
    return done;
}

size_t TFileStream::Write(const void* buffer, size_t count)
{
    DWORD done = 0;
    if (!WriteFile(handle_.get(), buffer, static_cast<DWORD>(count), &done, nullptr))
        return 0;
    return done;
}

int64_t TFileStream::Seek(int64_t offset, int origin)
{
    LARGE_INTEGER distance, result;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(handle_.get(), distance, &result, origin))
        return -1;
    return result.QuadPart;
}

size_t TMemoryStream::Read(void* buffer, size_t count)
{
    size_t n = position_ < data_.size() ? std::min(count, data_.size() - position_) : 0;
    if (n)
        std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count)
{
    // A position near the top of the address space must not wrap round into the data.
    if (count > data_.max_size() || position_ > data_.max_size() - count)
        return 0;
    if (position_ + count > data_.size())
        data_.resize(position_ + count);
    if (count)
        std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, int origin)
{
    int64_t base = origin == FILE_CURRENT ? static_cast<int64_t>(position_)
                 : origin == FILE_END     ? static_cast<int64_t>(data_.size())
                                          : 0;
    int64_t target = base + offset;
    if (target < 0 || static_cast<uint64_t>(target) > SIZE_MAX)
        return -1;
    position_ = static_cast<size_t>(target);
    return target;
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    data_ = ReadFileBytes(fileName);
    position_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName)
{
    SaveFileReplacing(fileName, data_.data(), data_.size());
}

std::vector<uint8_t> ReadFileBytes(const std::string& fileName, size_t maxSize)
{
    TFileStream file(fileName, TFileMode::OpenRead);
    int64_t size = file.Size();
    if (size < 0 || static_cast<uint64_t>(size) > maxSize)
        throw EReadError("Die Datei \"" + fileName + "\" ist zu groß.");
    std::vector<uint8_t> data(static_cast<size_t>(size));
    file.ReadBuffer(data.data(), data.size());
    return data;
}

void SaveFileReplacing(const std::string& fileName, const void* data, size_t size)
{
    // Replacing would clear the flag the user set to keep the file as it is.
    const DWORD attributes = GetFileAttributesA(fileName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw EFCreateError("Die Datei \"" + fileName + "\" ist schreibgeschützt und wird nicht überschrieben.");
    // A name of our own beside the file, never one of the user's files.
    std::string temp = fileName + ".ql$tmp";
    for (int n = 1; GetFileAttributesA(temp.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        temp = fileName + ".ql$tmp" + std::to_string(n);
    try {
        TFileStream file(temp, TFileMode::CreateNew);
        file.WriteBuffer(data, size);
        if (!FlushFileBuffers(file.Handle()))
            throw EWriteError("Die Datei \"" + fileName + "\" konnte nicht geschrieben werden.");
    } catch (const EFCreateError&) {
        // The message would name the temporary file: name the one the user asked for.
        // Nothing was made, and what stands under that name is not ours to delete.
        std::string reason = SysErrorMessage(GetLastError());
        throw EFCreateError("Die Datei \"" + fileName + "\" kann nicht erstellt werden. " + reason);
    } catch (const EStreamError&) {
        DeleteFileA(temp.c_str());
        throw EWriteError("Die Datei \"" + fileName + "\" konnte nicht vollständig geschrieben werden.");
    }
    if (!MoveFileExA(temp.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD error = GetLastError();
        DeleteFileA(temp.c_str());
        throw EFCreateError("Die Datei \"" + fileName + "\" kann nicht ersetzt werden. " + SysErrorMessage(error));
    }
    // The new contents keep the marks the user gave the file.
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kept))
        SetFileAttributesA(fileName.c_str(), (GetFileAttributesA(fileName.c_str()) & ~FILE_ATTRIBUTE_NORMAL) |
                                                 (attributes & kept));
}
