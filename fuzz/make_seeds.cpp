// Writes the fuzz seed corpus: sample pages of every family from the test page writer.
#include <cstdio>
#include <string>

#include "PageWriter.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    for (uint16_t version : {5, 6, 7, 9, 3}) {
        testpages::TestPage page = testpages::samplePage(version);
        testpages::writeFile(folder + "/page" + std::to_string(version) + ".prp", testpages::buildPage(page));
        page.typeCount = 3;
        page.groups[1].objects[1].liveDoubleContents = true;
        testpages::writeFile(folder + "/variant" + std::to_string(version) + ".prp", testpages::buildPage(page));
    }
    return 0;
}
