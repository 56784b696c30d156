// Exceptions of the class library. Messages are German: the application's default handler
// shows them to the user as they stand.
#pragma once

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Files and streams.
class EStreamError : public Exception { using Exception::Exception; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };

// Pictures: unreadable or unsupported image data, and GDI refusing to make an object.
class EInvalidGraphic : public Exception { using Exception::Exception; };
class EOutOfResources : public Exception { using Exception::Exception; };
class EJPEG : public EInvalidGraphic { using EInvalidGraphic::EInvalidGraphic; };

class ERegistryException : public Exception { using Exception::Exception; };
class EConvertError : public Exception { using Exception::Exception; };
class ERangeError : public Exception { using Exception::Exception; };
// An index outside a list or collection.
class EListError : public Exception { using Exception::Exception; };

inline EListError ListIndexError(int index)
{
    return EListError("Listenindex außerhalb des gültigen Bereichs (" + std::to_string(index) + ").");
}

// The element at `index` of a collection's vector, or the list error naming that index.
template <class Items>
decltype(auto) ListAt(Items& items, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= items.size())
        throw ListIndexError(index);
    return items[static_cast<size_t>(index)];
}

// A COM call failed; ErrorCode is its HRESULT.
class EOleSysError : public Exception {
public:
    explicit EOleSysError(long errorCode);
    long ErrorCode() const { return errorCode_; }

private:
    long errorCode_;
};

// A German text for a platform error, for appending to our own texts: its own for the failures a
// user meets (missing files and folders, access denied, a file in use, a full disk, ...), any
// other a general one with the error's number.
std::string SysErrorMessage(unsigned long code);
