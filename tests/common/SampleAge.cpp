#include "SampleAge.h"

#include <cmath>
#include <fstream>

namespace testpages {

namespace {

struct Group {
    uint16_t classType;
    std::vector<std::string> names;
};

// A texture or cube map of a sample page, with the points of its picture the tests look at.
struct Picture {
    SampleTexture texture;
    Bytes body;
};

uint8_t lerp(uint8_t from, uint8_t to, double t) {
    return uint8_t(std::lround(from + (to - from) * t));
}

Rgba lerp(Rgba from, Rgba to, double t) {
    return {lerp(from.r, to.r, t), lerp(from.g, to.g, t), lerp(from.b, to.b, t), 255};
}

Rgba scaled(Rgba c, double f) {
    return {uint8_t(c.r * f), uint8_t(c.g * f), uint8_t(c.b * f), c.a};
}

// DXT1: squares of 16 texels in two colours; the squares on the diagonal are holes (alpha 0).
Picture checker(const std::string& name, Rgba first, Rgba second) {
    const PixelFn picture = [=](uint32_t x, uint32_t y) {
        const uint32_t sx = x / 16, sy = y / 16;
        Rgba c = (sx + sy) % 2 ? second : first;
        if (sx == sy) c.a = 0;
        return c;
    };
    return {{4, name, {{24, 8, second}, {40, 8, first}, {8, 56, second}}},
            mipmapObject(Kind::DXT1, 128, 128, 8, picture)};
}

// DXT5: an evening sky from deep blue at the top to orange at the bottom with a yellow sun; the right
// half fades out.
Picture sunset(const std::string& name) {
    constexpr Rgba kNight{20, 40, 120}, kDusk{250, 150, 40}, kSun{255, 230, 80};
    const PixelFn picture = [=](uint32_t x, uint32_t y) {
        const int dx = int(x) - 44, dy = int(y) - 84;
        Rgba c = dx * dx + dy * dy <= 20 * 20 ? kSun : lerp(kNight, kDusk, y / 127.0);
        c.a = x < 64 ? 255 : uint8_t(255 - (x - 64) * 4);
        return c;
    };
    return {{4, name, {{44, 84, kSun}, {16, 6, picture(16, 6)}, {16, 120, picture(16, 120)}}},
            mipmapObject(Kind::DXT5, 128, 128, 8, picture)};
}

// 32-bit pixels: eight upright stripes of the rainbow; the lower half fades out.
Picture stripes(const std::string& name) {
    static const Rgba kStripes[] = {{230, 40, 40},  {240, 140, 30}, {240, 220, 40}, {60, 190, 70},
                                    {50, 200, 200}, {50, 90, 220},  {140, 60, 200}, {220, 60, 160}};
    const PixelFn picture = [](uint32_t x, uint32_t y) {
        Rgba c = kStripes[(x / 16) % 8];
        c.a = y < 32 ? 255 : uint8_t(255 - (y - 32) * 7);
        return c;
    };
    return {{4, name, {{8, 8, kStripes[0]}, {56, 16, kStripes[3]}, {120, 24, kStripes[7]}}},
            mipmapObject(Kind::Pixels, 128, 64, 7, picture)};
}

// JPEG: a green diamond on a diagonal blend from red to blue; its alpha a soft disc, white in the middle.
Picture photo(const std::string& name) {
    constexpr Rgba kRed{220, 50, 40}, kBlue{40, 60, 210}, kLeaf{40, 200, 60};
    const PixelFn picture = [=](uint32_t x, uint32_t y) {
        if (std::abs(int(x) - 64) + std::abs(int(y) - 64) < 32) return kLeaf;
        return lerp(kRed, kBlue, (x + y) / 254.0);
    };
    const PixelFn alpha = [](uint32_t x, uint32_t y) {
        const double d = std::min(1.0, std::hypot(x - 63.5, y - 63.5) / 90.0);
        const uint8_t v = uint8_t(std::lround(255 * (1 - d)));
        return Rgba{v, v, v};
    };
    return {{4,
             name,
             {{64, 64, kLeaf},
              {10, 10, picture(10, 10)},
              {118, 118, picture(118, 118)},
              {64, 64, alpha(64, 64), true},
              {4, 4, alpha(4, 4), true}}},
            jpegObject(128, 128, jpegFile(128, 128, picture, 95), jpegFile(128, 128, alpha, 95))};
}

// Run-coded pixels: a flag of three bands, green, gold and purple; its alpha white on the left half, grey on
// the right.
Picture flag(const std::string& name) {
    constexpr Rgba kGreen{0, 140, 70}, kGold{250, 200, 40}, kPurple{120, 40, 160}, kGrey{96, 96, 96};
    const PixelFn picture = [=](uint32_t, uint32_t y) { return y < 21 ? kGreen : y < 43 ? kGold : kPurple; };
    const PixelFn alpha = [=](uint32_t x, uint32_t) { return x < 32 ? Rgba{255, 255, 255} : kGrey; };
    return {{4,
             name,
             {{32, 10, kGreen},
              {32, 32, kGold},
              {32, 54, kPurple},
              {16, 32, {255, 255, 255}, true},
              {48, 32, kGrey, true}}},
            mipmapObject(Kind::RunCoded, 64, 64, 1, picture, alpha)};
}

// A cube map: a room of six coloured walls with dark edges.
Picture room(const std::string& name, Kind kind) {
    // Left, right, front, back, top, bottom.
    static const Rgba kWalls[] = {{200, 60, 60},  {60, 180, 80},  {60, 90, 200},
                                  {230, 200, 60}, {170, 80, 200}, {60, 190, 190}};
    std::vector<PixelFn> faces;
    std::vector<SampleProbe> probes;
    for (const Rgba& wall : kWalls) {
        faces.push_back([wall](uint32_t x, uint32_t y) {
            const bool edge = x < 4 || y < 4 || x >= 60 || y >= 60;
            return edge ? scaled(wall, 0.35) : wall;
        });
        probes.push_back({32, 32, wall});
    }
    return {{5, name, probes}, cubeMapObject(kind, 64, faces)};
}

// The textures of one family: every kind the previews draw.
std::vector<Picture> textureSet(const std::string& suffix, Kind cubeKind, const std::string& place) {
    return {checker("Checker" + suffix, {240, 120, 32}, {32, 128, 160}),
            sunset("Sunset" + suffix),
            stripes("Stripes" + suffix),
            photo("Photo" + suffix),
            flag("Flag" + suffix),
            room(place + "EnvMap", cubeKind)};
}

SamplePage makePage(uint16_t version, const std::string& age, const std::string& name, uint16_t pageNumber,
                    uint16_t flags, const std::vector<Group>& groups,
                    const std::vector<Picture>& pictures = {}) {
    SamplePage sample{
        age + "_District_" + name + ".prp", emptyPage(version, age, name, pageNumber, flags), {}};
    TestPage& page = sample.page;
    const uint16_t major = effectiveMajor(page);
    uint32_t id = 1;
    auto key = [&](uint16_t classType, const std::string& objectName) {
        TPRPObjectDesc k = makeKey(classType, objectName, pageNumber, page.seqPrefix);
        k.ObjectID = id++;
        return k;
    };
    for (const Group& g : groups) {
        TestGroup group(g.classType);
        for (const std::string& objectName : g.names) {
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
            group.objects.emplace_back(key(g.classType, objectName), body.bytes);
        }
        page.groups.push_back(group);
    }
    for (uint16_t classType : {uint16_t(4), uint16_t(5)}) {
        TestGroup group(classType);
        for (const Picture& picture : pictures)
            if (picture.texture.classIndex == classType) {
                group.objects.emplace_back(key(classType, picture.texture.name), picture.body);
                sample.textures.push_back(picture.texture);
            }
        if (!group.objects.empty()) page.groups.push_back(group);
    }
    return sample;
}

} // namespace

std::vector<std::string> sampleAges() {
    return {"Garden", "GlobalClothing", "Tower", "Harbor", "Isle"};
}

std::vector<SamplePage> samplePages() {
    std::vector<SamplePage> pages;
    // Uru: the textures spread over two pages, under the names the garden's layers would use.
    pages.push_back(
        makePage(kVersionUru, "Garden", "Meadow", 1, 0,
                 {{0, {"Meadow"}},
                  {1, {"Rock01", "Tree02", "Fountain", "bench", "LampPost"}},
                  {6, {"GrassLayer", "BarkLayer"}},
                  {7, {"GrassMat", "BarkMat"}},
                  {0x15, {"Rock01", "Tree02"}},
                  {0x56, {"SunLight"}},
                  {0x2C, {"FountainRegion"}},
                  {0x12, {"Silence"}},
                  {0x0456, {"Mystery"}}},
                 {checker("Grass*1#0.hsm", {70, 150, 50}, {150, 200, 80}), flag("Bark*1#0.hsm")}));
    pages.push_back(makePage(kVersionUru, "Garden", "Textures", 2, kBuiltIn, {},
                             {sunset("Sky*1#0.hsm"), stripes("Water*1#0.hsm"), photo("Cloud*1#0.hsm"),
                              room("GardenEnvMap", Kind::DXT1)}));
    pages.push_back(
        makePage(kVersionUru, "Garden", "Sounds", 3, 0,
                 {{0, {"Sounds"}}, {1, {"BirdSong", "Wind"}}, {0x29, {"BirdSong.ogg", "Wind.ogg"}}}));
    pages.push_back(makePage(kVersionUru, "GlobalClothing", "Shirts", 7, kReserved,
                             {{1, {"ShirtBlue", "ShirtRed"}}, {0xB5, {"ShirtItem"}}}));
    std::vector<Picture> hall = textureSet("*1#0.dds", Kind::DXT5, "Hall");
    hall[0] = checker("Stone*1#0.dds", {90, 90, 100}, {180, 175, 160});
    pages.push_back(
        makePage(kVersionMystV, "Tower", "Hall", 1, 0,
                 {{0, {"Hall"}}, {1, {"Stair", "Door"}}, {0x2B, {"DoorRegion"}}, {0x48, {"Empty"}}}, hall));
    pages.push_back(makePage(kVersionLive, "Harbor", "Dock", 1, 0, {{0, {"Dock"}}, {1, {"Pier", "Boat"}}},
                             textureSet("*1#0.hsm", Kind::Pixels, "Dock")));
    pages.push_back(makePage(kVersionHexIsle, "Isle", "Shore", 1, 0, {{0, {"Shore"}}, {1, {"Palm", "Hut"}}},
                             textureSet("*1#0.dds", Kind::DXT1, "Shore")));
    return pages;
}

std::vector<std::filesystem::path> writeSampleAge(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::vector<std::filesystem::path> written;
    for (const std::string& age : sampleAges()) {
        written.push_back(folder / (age + ".age"));
        std::ofstream(written.back()) << "StartDateTime=0000000000\nDayLength=24.0\n";
    }
    for (const SamplePage& page : samplePages()) {
        written.push_back(folder / page.fileName);
        writeFile(written.back().string(), buildPage(page.page));
    }
    return written;
}

} // namespace testpages
