#pragma once
// A file system short of room, for tests of what writers do when a file cannot be written whole. Needs
// nothing of the page library, so that every test folder can use it.
#include <cstdint>
#include <sys/resource.h>

// While it lives, writes past limitBytes of any file of the process fail with EFBIG, as on a full disk,
// instead of ending the process with SIGXFSZ; both are restored when it goes. Checks belong after it is
// gone: test output sent to a file is limited as well.
class FileSizeLimit {
public:
    explicit FileSizeLimit(uint64_t limitBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

// Runs f under a FileSizeLimit of limitBytes.
template <class F> decltype(auto) withFileSizeLimit(uint64_t limitBytes, F&& f) {
    FileSizeLimit limit(limitBytes);
    return f();
}
