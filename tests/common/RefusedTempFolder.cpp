#include "RefusedTempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// mkdtemp's pattern as a writable buffer.
std::vector<char> pattern(const fs::path& folder, const std::string& prefix) {
    const std::string text = (folder / (prefix + "XXXXXX")).string();
    std::vector<char> name(text.begin(), text.end());
    name.push_back('\0');
    return name;
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

RefusedTempFolder::RefusedTempFolder(const std::vector<std::string>& userFiles) {
    std::vector<char> working = pattern(fs::temp_directory_path(), "user-folder-");
    if (!::mkdtemp(working.data())) throw std::runtime_error("no working folder");
    working_ = working.data();
    for (const std::string& name : userFiles) {
        userFiles_[name] = "the user's own " + name + "\n";
        std::ofstream(fs::path(working_) / name, std::ios::binary) << userFiles_[name];
    }
    for (const char* candidate : {"/sys", "/proc"}) {
        std::error_code error;
        if (!fs::is_directory(candidate, error)) continue;
        std::vector<char> probe = pattern(candidate, "kestrum-probe-");
        if (::mkdtemp(probe.data())) {
            ::rmdir(probe.data());
            continue;
        }
        folder_ = candidate;
        reason_ = std::strerror(errno);
        break;
    }
    previousWorking_ = fs::current_path().string();
    fs::current_path(working_);
    if (const char* tmp = std::getenv("TMPDIR")) {
        hadTmp_ = true;
        previousTmp_ = tmp;
    }
    if (!folder_.empty()) ::setenv("TMPDIR", folder_.c_str(), 1);
}

RefusedTempFolder::~RefusedTempFolder() {
    if (hadTmp_)
        ::setenv("TMPDIR", previousTmp_.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    std::error_code ignored;
    fs::current_path(previousWorking_, ignored);
    fs::remove_all(working_, ignored);
}

std::string RefusedTempFolder::changes() const {
    std::ostringstream out;
    for (const auto& [name, bytes] : userFiles_) {
        const fs::path file = fs::path(working_) / name;
        if (!fs::exists(file))
            out << name << " went; ";
        else if (readAll(file) != bytes)
            out << name << " was overwritten; ";
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(working_))
        if (!userFiles_.count(entry.path().filename().string()))
            out << entry.path().filename().string() << " appeared; ";
    return out.str();
}
