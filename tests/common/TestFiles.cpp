#include "TestFiles.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <unistd.h>

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("kestrum-pagefile-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::write(const std::string& name, const testpages::Bytes& bytes) const {
    const std::string path = file(name);
    testpages::writeFile(path, bytes);
    return path;
}

TPRPFile loadPage(const std::string& path) {
    TPlasmaFileStream stream(path, TFileMode::fmOpenRead);
    stream.ReadPageHeader();
    stream.ReadKeyIndex();
    TPRPFile page;
    stream.GetPageInfo(page);
    page.FileName = path;
    for (auto& folder : page.Folders)
        for (auto& entry : folder.Objects) {
            entry.FileName = path;
            entry.Version = page.Header.Version;
            entry.MajorVersion = page.Header.MajorVersion;
        }
    return page;
}

testpages::Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return testpages::Bytes(std::istreambuf_iterator<char>(in), {});
}
