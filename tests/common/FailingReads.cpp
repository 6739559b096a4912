#include "FailingReads.h"

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

// The program reads files with pread; a definition of it in the program itself comes before the C
// library's, as a preloaded library would, and hands every read it does not fail on to the library's.
namespace {

struct Failing {
    std::atomic<bool> armed{false};
    dev_t device = 0;
    ino_t inode = 0;
    int64_t from = 0;
    int64_t to = 0;
    std::atomic<int> failures{0};
};
Failing failing;

using PreadFunction = ssize_t (*)(int, void*, size_t, off_t);

PreadFunction libraryPread(const char* name) {
    static PreadFunction plain = reinterpret_cast<PreadFunction>(::dlsym(RTLD_NEXT, "pread"));
    static PreadFunction wide = reinterpret_cast<PreadFunction>(::dlsym(RTLD_NEXT, "pread64"));
    return name[5] == '6' ? wide : plain;
}

ssize_t readOrFail(const char* name, int fd, void* buffer, size_t count, off_t offset) {
    if (failing.armed.load() && count > 0) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && info.st_dev == failing.device && info.st_ino == failing.inode) {
            const int64_t end = static_cast<int64_t>(offset) + static_cast<int64_t>(count);
            if (offset >= failing.from && offset < failing.to) {
                ++failing.failures;
                errno = EIO;
                return -1;
            }
            if (offset < failing.from && end > failing.from)
                count = static_cast<size_t>(failing.from - static_cast<int64_t>(offset));
        }
    }
    return libraryPread(name)(fd, buffer, count, offset);
}

} // namespace

extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset) {
    return readOrFail("pread", fd, buffer, count, offset);
}

extern "C" ssize_t pread64(int fd, void* buffer, size_t count, off_t offset) {
    return readOrFail("pread64", fd, buffer, count, offset);
}

FailingReads::FailingReads(const std::string& fileName, int64_t from, int64_t to) {
    struct stat info {};
    if (failing.armed.load() || ::stat(fileName.c_str(), &info) != 0)
        throw std::logic_error("FailingReads: " + fileName);
    failing.device = info.st_dev;
    failing.inode = info.st_ino;
    failing.from = from;
    failing.to = to;
    failing.failures = 0;
    failing.armed = true;
}

FailingReads::~FailingReads() {
    failing.armed = false;
}

int FailingReads::failures() {
    return failing.failures.load();
}
