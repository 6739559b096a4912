#include "FuzzHarness.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fuzzharness {

namespace {

// Scratch files and folders go when the process ends.
struct ScratchPaths {
    std::vector<std::string> paths;
    ~ScratchPaths() {
        std::error_code ignored;
        for (const std::string& path : paths)
            std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

std::string scratchPath(const std::string& suffix) {
    static ScratchPaths scratch;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("kestrum-fuzz-" + std::to_string(::getpid()) + suffix))
            .string();
    scratch.paths.push_back(path);
    return path;
}

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    if (!written) throw std::runtime_error("cannot write " + path);
}

void SeedFolder::add(const std::string& name, const Bytes& bytes) {
    writeFile(folder_ + "/" + name, bytes.data(), bytes.size());
}

void SeedFolder::add(const std::string& name, const Bytes& selectors, const Bytes& bytes) {
    Bytes all = selectors;
    all.insert(all.end(), bytes.begin(), bytes.end());
    add(name, all);
}

int seedMain(int argc, char** argv, const std::function<void(SeedFolder&)>& write) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    try {
        SeedFolder folder(argv[1]);
        write(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}

} // namespace fuzzharness
