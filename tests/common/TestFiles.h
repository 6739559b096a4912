#pragma once
#include <filesystem>
#include <string>

#include "FileSizeLimit.h"
#include "PageWriter.h"

// A temporary folder removed with the fixture.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes the bytes to a file of this folder and returns its path.
    std::string write(const std::string& name, const testpages::Bytes& bytes) const;

private:
    std::filesystem::path path_;
};

// Header, key index and page record of a page file, the way the page loader reads them, with every
// entry stamped with its file, format code and major version.
TPRPFile loadPage(const std::string& path);

// The whole file as bytes (empty when it cannot be read).
testpages::Bytes readFile(const std::string& path);
