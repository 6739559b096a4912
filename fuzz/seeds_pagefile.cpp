// Seeds of fuzz_pagefile: sample pages of every family from the test page writer.
#include "FuzzHarness.h"
#include "PageWriter.h"

int main(int argc, char** argv) {
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        for (uint16_t version : {5, 6, 7, 9, 3}) {
            testpages::TestPage page = testpages::samplePage(version);
            seeds.add("page" + std::to_string(version) + ".prp", testpages::buildPage(page));
            page.typeCount = 3;
            page.groups[1].objects[1].liveDoubleContents = true;
            seeds.add("variant" + std::to_string(version) + ".prp", testpages::buildPage(page));
        }
    });
}
