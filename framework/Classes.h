// Streams: a file stream whose every read and write is checked, and a memory stream.
#pragma once

#include <windows.h>

#include "Handles.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TFileMode {
    Create,      // new or truncated, read and write
    CreateNew,   // new only: fails where a file of that name is
    OpenRead,
    OpenWrite,
    OpenReadWrite,
};

class TStream {
public:
    virtual ~TStream() = default;
    // Partial transfers; the checked forms below are what callers normally use.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, int origin) = 0;   // origin: FILE_BEGIN, FILE_CURRENT, FILE_END

    int64_t Position() { return Seek(0, FILE_CURRENT); }
    void SetPosition(int64_t position) { Seek(position, FILE_BEGIN); }
    int64_t Size();

    // Throw EReadError / EWriteError unless every byte moved.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    void WriteWord(uint16_t value) { WriteBuffer(&value, sizeof value); }
    void WriteDWord(uint32_t value) { WriteBuffer(&value, sizeof value); }
};

class TFileStream : public TStream {
public:
    // Throws EFCreateError (Create) or EFOpenError with a German message naming the file.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    const std::string& FileName() const { return fileName_; }
    HANDLE Handle() const { return handle_.get(); }

private:
    std::string fileName_;
    FileHandle handle_;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> data) : data_(std::move(data)) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, int origin) override;

    const std::vector<uint8_t>& Data() const { return data_; }
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);   // via SaveFileReplacing
    void Clear() { data_.clear(); position_ = 0; }

private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
};

// Reads a whole file; throws EFOpenError or EReadError. maxSize guards against absurd files.
std::vector<uint8_t> ReadFileBytes(const std::string& fileName, size_t maxSize = 256u << 20);

// Writes a file so that a failure never leaves it half written: the data goes to a temporary file
// beside it, which then replaces the old one. On failure the old file is intact, the temporary
// file removed, and the error (EFCreateError or EWriteError) propagates. A read-only file is
// refused (EFCreateError) and left as it is.
void SaveFileReplacing(const std::string& fileName, const void* data, size_t size);
