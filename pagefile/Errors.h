#pragma once
// Exception classes of the page file model. Each carries the message the user sees.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// Input/output failures: missing class tables, "Object data is empty!".
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
// A read of a file that the system failed (a bad disk, a share gone away), not a short one: the message names
// the file and the system's reason.
class EFReadError : public EReadError {
public:
    using EReadError::EReadError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
// A page file whose key index no longer lists an object as it was read: the object moved, changed or went
// away, and what lies at its old place may be another object's bytes, so nothing may be taken from it.
class EPageChanged : public EStreamError {
public:
    explicit EPageChanged(const std::string& fileName)
        : EStreamError("The file \"" + fileName +
                       "\" has changed on disk since it was loaded.\rPlease load it again.") {}
};

// What a caller adds below its own message when the disk failed it, a file that could not be made, written
// or read: the stream's text, which names the file and the system's reason (a full, read-only or failing disk
// is not a damaged object). Empty for every other error.
inline std::string FileFailureText(const std::exception& error) {
    if (dynamic_cast<const EFCreateError*>(&error) || dynamic_cast<const EWriteError*>(&error) ||
        dynamic_cast<const EFReadError*>(&error))
        return error.what();
    return {};
}

// A text that should have been a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
