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
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
// A page file that is no longer the one its key index was read from, or whose entry's place holds another
// object than the entry names: what lies there may be another object's bytes, so nothing may be taken from
// it. Where the file is the one loaded, the page may as well have been damaged all along, and says so.
class EPageChanged : public EStreamError {
public:
    explicit EPageChanged(const std::string& fileName)
        : EStreamError("The file \"" + fileName +
                       "\" has changed on disk since it was loaded.\rPlease load it again.") {}
    EPageChanged(const std::string& fileName, const std::string& objectName)
        : EStreamError("The file \"" + fileName + "\" does not hold the object \"" + objectName +
                       "\" where its key index places it: the file is damaged, or it changed on disk "
                       "since it was loaded.\rIf it changed, please load it again.") {}
};

// A text that should have been a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
