// Seeds of fuzz_classtable: the program's four class tables and short tables with repeated classes,
// line ends of both kinds and bad lines.
#include <fstream>
#include <sstream>

#include "FuzzHarness.h"

using fuzzharness::Bytes;

namespace {

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

} // namespace

int main(int argc, char** argv) {
    return fuzzharness::seedMain(argc, argv, [](fuzzharness::SeedFolder& seeds) {
        for (const char* name : {"UruPRPTypes.dat", "M5PRPTypes.dat", "LivePRPTypes.dat", "HIPRPTypes.dat"}) {
            std::ifstream file(std::string(KESTRUM_DATA_DIR) + "/" + name, std::ios::binary);
            std::stringstream text;
            text << file.rdbuf();
            seeds.add(name, bytesOf(text.str()));
        }
        seeds.add("repeated", bytesOf("0001\t4|plSceneObject\r\n0001\t-7|again\n\n00FF\t+12|x|y\n"));
        seeds.add("bad_number", bytesOf("0002\t20|hsKeyedObject\n0003\t2x|bad\n"));
        seeds.add("bad_line", bytesOf("0004\t1|ok\nno tab here\n"));
        seeds.add("bad_hex", bytesOf("zz01\t1|bad hex\n"));
    });
}
