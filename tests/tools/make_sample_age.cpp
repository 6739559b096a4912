// Writes a folder of sample pages to try the viewer by hand:
//   make_sample_age <folder>
// Garden.age (Uru) with three pages, one of them a shared local page (location flags 8); the global age
// GlobalClothing (flags 4); and Tower.age in the Myst V format.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PageWriter.h"

using namespace testpages;

namespace {

struct Group {
    uint16_t classType;
    std::vector<std::string> names;
};

void writePage(const std::filesystem::path& dir, uint16_t version, const std::string& age,
               const std::string& name, uint16_t pageNumber, uint16_t flags,
               const std::vector<Group>& groups) {
    TestPage page = emptyPage(version, age, name, pageNumber, flags);
    const uint16_t major = effectiveMajor(page);
    uint32_t id = 1;
    for (const Group& g : groups) {
        TestGroup group(g.classType);
        for (const std::string& objectName : g.names) {
            TPRPObjectDesc key = makeKey(g.classType, objectName, pageNumber, page.seqPrefix);
            key.ObjectID = id++;
            ByteWriter body(version, major);
            if (g.classType == 0) {
                // A scene node: the scene objects of the page, then no pool objects.
                std::vector<TPRPObjectDesc> refs;
                for (const Group& other : groups)
                    if (other.classType == 1)
                        for (const std::string& child : other.names)
                            refs.push_back(makeKey(1, child, pageNumber, page.seqPrefix));
                body.keyRefs(refs).keyRefs({});
            } else {
                for (size_t i = 0; i < 24 + objectName.size(); ++i)
                    body.u8(uint8_t(i * 37 + objectName.size()));
                body.f32(1.0f).u32(0xDEADBEEF);
            }
            group.objects.emplace_back(key, body.bytes);
        }
        page.groups.push_back(group);
    }
    const std::string file = age + "_District_" + name + ".prp";
    writeFile((dir / file).string(), buildPage(page));
    std::printf("%s\n", (dir / file).string().c_str());
}

void writeAge(const std::filesystem::path& dir, const std::string& age) {
    std::ofstream((dir / (age + ".age")).string()) << "StartDateTime=0000000000\nDayLength=24.0\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_sample_age <folder>\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    writeAge(dir, "Garden");
    writePage(dir, kVersionUru, "Garden", "Meadow", 1, 0,
              {{0, {"Meadow"}},
               {1, {"Rock01", "Tree02", "Fountain", "bench", "LampPost"}},
               {4, {"Grass*1#0.hsm", "Bark*1#0.hsm"}},
               {6, {"GrassLayer", "BarkLayer"}},
               {7, {"GrassMat", "BarkMat"}},
               {0x15, {"Rock01", "Tree02"}},
               {0x56, {"SunLight"}},
               {0x2C, {"FountainRegion"}},
               {0x12, {"Silence"}},
               {0x0456, {"Mystery"}}});
    writePage(dir, kVersionUru, "Garden", "Textures", 2, kBuiltIn,
              {{4, {"Sky*1#0.hsm", "Water*1#0.hsm", "Cloud*1#0.hsm"}}});
    writePage(dir, kVersionUru, "Garden", "Sounds", 3, 0,
              {{0, {"Sounds"}}, {1, {"BirdSong", "Wind"}}, {0x29, {"BirdSong.ogg", "Wind.ogg"}}});
    writeAge(dir, "GlobalClothing");
    writePage(dir, kVersionUru, "GlobalClothing", "Shirts", 7, kReserved,
              {{1, {"ShirtBlue", "ShirtRed"}}, {0xB5, {"ShirtItem"}}});

    writeAge(dir, "Tower");
    writePage(dir, kVersionMystV, "Tower", "Hall", 1, 0,
              {{0, {"Hall"}},
               {1, {"Stair", "Door"}},
               {4, {"Stone*1#0.dds"}},
               {0x2B, {"DoorRegion"}},
               {0x48, {"Empty"}}});
    return 0;
}
