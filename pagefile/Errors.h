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

// A text that should have been a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
