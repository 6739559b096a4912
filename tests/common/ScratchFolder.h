#pragma once
#include <string>

// The test program's own temporary folder. While the object lives, TMPDIR and googletest's TEST_TMPDIR
// name it, so that the scratch files and screenshots of the tests, and whatever the code under test puts
// in the temporary folder, land there; it goes, with all it holds, when the object does.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder() { release(); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    // Removes the folder now and gives the process back the temporary folder it had.
    void release();

private:
    std::string path_;
    std::string oldTmp_, oldTestTmp_;
    bool hadTmp_ = false, hadTestTmp_ = false;
};
