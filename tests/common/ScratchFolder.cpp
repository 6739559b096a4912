#include "ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {
void remember(const char* name, std::string& value, bool& had) {
    const char* old = std::getenv(name);
    had = old != nullptr;
    if (had) value = old;
}

void restore(const char* name, const std::string& value, bool had) {
    if (had)
        ::setenv(name, value.c_str(), 1);
    else
        ::unsetenv(name);
}
} // namespace

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrum-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) return; // the tests then use the system's folder, as they would anyway
    path_ = name.data();
    remember("TMPDIR", oldTmp_, hadTmp_);
    remember("TEST_TMPDIR", oldTestTmp_, hadTestTmp_);
    ::setenv("TMPDIR", path_.c_str(), 1);
    ::setenv("TEST_TMPDIR", path_.c_str(), 1);
}

void ScratchFolder::release() {
    if (path_.empty()) return;
    restore("TMPDIR", oldTmp_, hadTmp_);
    restore("TEST_TMPDIR", oldTestTmp_, hadTestTmp_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    path_.clear();
}
