#include "Classes.h"

#include "Exceptions.h"

#include <algorithm>
#include <cstring>

std::string SysErrorMessage(unsigned long code)
{
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n && text ? std::string(text, n) : "Fehler " + std::to_string(code);
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
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
        access = GENERIC_READ | GENERIC_WRITE;
        share = 0;
        disposition = CREATE_ALWAYS;
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
        if (mode == TFileMode::Create)
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
    if (target < 0)
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
    std::string temp = fileName + ".ql$tmp";
    try {
        TFileStream file(temp, TFileMode::Create);
        file.WriteBuffer(data, size);
        if (!FlushFileBuffers(file.Handle()))
            throw EWriteError("Die Datei \"" + fileName + "\" konnte nicht geschrieben werden.");
    } catch (const EFCreateError&) {
        // The message would name the temporary file: name the one the user asked for.
        std::string reason = SysErrorMessage(GetLastError());
        DeleteFileA(temp.c_str());
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
}
