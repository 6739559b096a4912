#pragma once
// A disk that fails under the program, for tests of what readers do when the system cannot read a file.
// Needs nothing of the page library, so that every test folder can use it.
#include <cstdint>
#include <string>

// While it lives, reads of the named file (any name of it: the file is told by its identity) fail where they
// reach bytes from..to-1, as over a bad block: a read that begins there fails with EIO, one that runs into
// them returns the bytes before them. Reads of other files, and of this one outside the range, are the
// system's own. One at a time.
class FailingReads {
public:
    FailingReads(const std::string& fileName, int64_t from, int64_t to);
    ~FailingReads();
    FailingReads(const FailingReads&) = delete;
    FailingReads& operator=(const FailingReads&) = delete;

    // How many reads failed so far: a test that meant to fail one can tell that it did.
    static int failures();
};
