#pragma once
// A temporary folder that refuses the program's folders, for tests of what the program does without one.
// Needs nothing of the page library, so that every test folder can use it.
#include <map>
#include <string>
#include <vector>

// While it lives, TMPDIR names a folder that exists but in which no one, root included, may make a folder
// (one of the kernel's own, "/sys" or "/proc": a mode bit would not stop root), and the working folder is a
// fresh folder holding files of the user's under the given names. Both are given back when it goes.
class RefusedTempFolder {
public:
    explicit RefusedTempFolder(const std::vector<std::string>& userFiles);
    ~RefusedTempFolder();
    RefusedTempFolder(const RefusedTempFolder&) = delete;
    RefusedTempFolder& operator=(const RefusedTempFolder&) = delete;

    // The refusing folder, empty when the system has none; the reason the system gives.
    const std::string& folder() const { return folder_; }
    const std::string& reason() const { return reason_; }
    const std::string& workingFolder() const { return working_; }
    // What happened in the working folder: each user's file that went or whose bytes changed, each file that
    // appeared; empty when nothing did.
    std::string changes() const;

private:
    std::string folder_, reason_, working_, previousWorking_, previousTmp_;
    bool hadTmp_ = false;
    std::map<std::string, std::string> userFiles_; // name, bytes
};
