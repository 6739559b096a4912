// Writes a folder of sample pages and ages to try the viewer by hand:
//   make_sample_age <folder>
// and prints the files it wrote. What they hold: tests/common/SampleAge.cpp.
#include <cstdio>
#include <exception>

#include "SampleAge.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_sample_age <folder>\n");
        return 2;
    }
    try {
        for (const std::filesystem::path& file : testpages::writeSampleAge(argv[1]))
            std::printf("%s\n", file.string().c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_sample_age: %s\n", error.what());
        return 1;
    }
    return 0;
}
