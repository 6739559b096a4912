#pragma once
// Shared by the fuzz targets and their seed makers: scratch files for readers that take a path, and the
// seed makers' entry point.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fuzzharness {

using Bytes = std::vector<uint8_t>;

// A path of this process's own under the temporary folder, ending in suffix; the same for the same suffix.
// Whatever lies there is removed when the process ends.
std::string scratchPath(const std::string& suffix);
// Writes data into the file at path, replacing it.
void writeFile(const std::string& path, const uint8_t* data, size_t size);

// What a seed maker writes: every seed lands as a file of the given name in the folder.
class SeedFolder {
public:
    explicit SeedFolder(std::string folder) : folder_(std::move(folder)) {}
    void add(const std::string& name, const Bytes& bytes);
    // A seed of selector bytes followed by the bytes.
    void add(const std::string& name, const Bytes& selectors, const Bytes& bytes);
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
};

// main() of a seed maker: "<program> <folder>", then write fills the folder.
int seedMain(int argc, char** argv, const std::function<void(SeedFolder&)>& write);

} // namespace fuzzharness
