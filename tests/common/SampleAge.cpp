#include "SampleAge.h"

#include "GeometryWriters.h"
#include "LogicWriters.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <stdexcept>

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

// ---- The objects of a page, each with a body of its class

constexpr uint16_t kSceneNode = 0, kSceneObject = 1, kMipMap = 4, kCubeMap = 5, kLayer = 6, kMaterial = 7,
                   kAudioInterface = 0x11, kAudible = 0x12, kWinAudible = 0x14, kCoordinateInterface = 0x15,
                   kDrawInterface = 0x16, kSoundBuffer = 0x29, kOmniLight = 0x56, kStreamingSound = 0x84,
                   kClothingItem = 0xB5, kSharedMesh = 0xCC;

// Indexes the two families number apart.
uint16_t drawableClass(uint16_t version) {
    return IsMystVFamily(version) ? 0x49 : 0x4C;
}
uint16_t collisionDetectorClass(uint16_t version) {
    return IsMystVFamily(version) ? 0x2B : 0x2C;
}
// Myst V numbers the audio system where the other families number the sound: a class without stored data.
constexpr uint16_t kMystVAudioSystem = 0x48;

// The keys of a page's objects, known before any body is written, so that bodies refer to each other as
// pages do: with the page's location and the object's own id.
class PageKeys {
public:
    void add(const TPRPObjectDesc& key) { keys_[{key.ClassType, key.Name}] = key; }
    // A key of an object of this page; a link to nothing is a fault of the sample, not a page to write.
    const TPRPObjectDesc& operator()(uint16_t classType, const std::string& name) const {
        const auto found = keys_.find({classType, name});
        if (found == keys_.end())
            throw std::logic_error("the sample links to " + name + ", which its page does not hold");
        return found->second;
    }

private:
    std::map<std::pair<uint16_t, std::string>, TPRPObjectDesc> keys_;
};

using BodyFn = std::function<void(ByteWriter&, const PageKeys&)>;

struct Object {
    uint16_t classType;
    std::string name;
    BodyFn body;
};

// A placement: where an object stands in the world.
struct Place {
    float x = 0, y = 0, z = 0;
};

struct Matrix {
    float v[16];
};

Matrix translation(Place p) {
    return {{1, 0, 0, p.x, 0, 1, 0, p.y, 0, 0, 1, p.z, 0, 0, 0, 1}};
}

Matrix inverseTranslation(Place p) {
    return translation({-p.x, -p.y, -p.z});
}

void writeTranslation(ByteWriter& w, Place p) {
    writeMatrix(w, translation(p).v);
    writeMatrix(w, inverseTranslation(p).v);
}

// Axis-aligned extended bounds with a valid centre: the cube of half size `half` around p.
void writeBox(ByteWriter& w, Place p, float half) {
    w.u32(0x1).u32(0x1);
    w.f32(p.x - half).f32(p.y - half).f32(p.z - half).f32(p.x + half).f32(p.y + half).f32(p.z + half);
}

// The mesh every drawn object of the sample is: a square of four vertices and two triangles, with one
// UVW channel, lying on its local XY plane.
constexpr float kHalf = 1.0f;
constexpr uint32_t kQuadVertices = 4, kQuadIndices = 6;
const float kCorners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
const uint16_t kQuadTriangles[kQuadIndices] = {0, 1, 2, 0, 2, 3};

uint32_t packed(Rgba c) {
    return uint32_t(c.a) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
}

void writeQuadSpan(ByteWriter& w, Place p, Rgba colour) {
    writeTranslation(w, p);
    writeBox(w, {}, kHalf);
    writeIdentityMatrix(w);
    writeIdentityMatrix(w);
    w.u32(0).u8(0).u16(1).u16(0).u16(0); // base matrix, matrices, UVW channels, bones
    w.f32(0).f32(0).u8(0x01).u32(0);     // distances, format (one UVW channel), properties
    w.u32(kQuadVertices).u32(kQuadIndices).u32(0).u8(0).u32(0);
    for (const auto& corner : kCorners) {
        w.f32(corner[0] * kHalf).f32(corner[1] * kHalf).f32(0).f32(0).f32(0).f32(1);
        w.f32((corner[0] + 1) / 2).f32((corner[1] + 1) / 2).f32(0);
    }
    for (uint32_t i = 0; i < kQuadVertices; ++i) {
        writeColor(w, 1, 1, 1, 1);
        writeColor(w, 0, 0, 0, 0);
    }
    for (uint32_t i = 0; i < kQuadVertices; ++i)
        w.u32(packed(colour));
    for (uint32_t i = 0; i < kQuadVertices; ++i)
        w.u32(0xFF000000);
    for (uint16_t index : kQuadTriangles)
        w.u16(index);
    w.u32(0);
}

// One drawn object of a drawable: its place, its material (an index into the drawable's materials) and
// its vertex colour.
struct Piece {
    Place place;
    uint32_t material = 0;
    Rgba colour{255, 255, 255};
};

// A drawable of one icicle, one DI span, one geometry span and one span index per piece, over one buffer
// group that holds every piece's square; the pieces are lit by `lights` for good.
void writeDrawable(ByteWriter& w, const PageKeys& keys, const std::vector<std::string>& materials,
                   const std::vector<Piece>& pieces, const std::vector<std::string>& lights,
                   const std::string& sceneNode) {
    const uint32_t count = uint32_t(pieces.size());
    const uint32_t icicleProps = lights.empty() ? 0 : 0x80;
    w.u32(0).u32(0x1).u32(0); // no flags, static, opaque
    std::vector<TPRPObjectDesc> materialKeys, lightKeys;
    for (const std::string& name : materials)
        materialKeys.push_back(keys(kMaterial, name));
    for (const std::string& name : lights)
        lightKeys.push_back(keys(kOmniLight, name));
    w.keyRefs(materialKeys);
    w.u32(count);
    for (uint32_t i = 0; i < count; ++i) {
        const Piece& piece = pieces[i];
        w.u32(0).u32(piece.material);
        writeTranslation(w, piece.place);
        w.u32(icicleProps);
        writeBox(w, {}, kHalf);
        writeBox(w, piece.place, kHalf);
        w.u32(0).u32(0).u16(1).u16(0).u16(0).f32(0).f32(0);
        w.u32(0).u32(0).u32(0).u32(0).u32(i * kQuadVertices).u32(kQuadVertices);
        w.u32(0).u32(i * kQuadIndices).u32(kQuadIndices);
    }
    w.u32(0);
    w.u32(count);
    for (uint32_t i = 0; i < count; ++i)
        w.u32(i);
    for (uint32_t i = 0; i < count; ++i)
        w.keyRef(nullptr);
    Place lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const Piece& piece : pieces) {
        lo = {std::min(lo.x, piece.place.x), std::min(lo.y, piece.place.y), std::min(lo.z, piece.place.z)};
        hi = {std::max(hi.x, piece.place.x), std::max(hi.y, piece.place.y), std::max(hi.z, piece.place.z)};
    }
    for (int i = 0; i < 3; ++i) {
        w.u32(0x1).u32(0x1);
        w.f32(lo.x - kHalf).f32(lo.y - kHalf).f32(lo.z - kHalf).f32(hi.x + kHalf).f32(hi.y + kHalf);
        w.f32(hi.z + kHalf);
    }
    if (icicleProps & 0x80)
        for (uint32_t i = 0; i < count; ++i)
            w.keyRefs(lightKeys);
    w.u32(count);
    for (const Piece& piece : pieces)
        writeQuadSpan(w, piece.place, piece.colour);
    w.u32(0);
    w.u32(count);
    for (uint32_t i = 0; i < count; ++i)
        writeDISpanIndex(w, 0, {i});
    // One plain buffer group of format 0x01: position, normal, colour, an unkept word and one UVW.
    w.u32(1).u8(0x01).u32(0).u32(1).u32(count * kQuadVertices * 44);
    for (const Piece& piece : pieces)
        for (const auto& corner : kCorners) {
            w.f32(corner[0] * kHalf).f32(corner[1] * kHalf).f32(0).f32(0).f32(0).f32(1);
            w.u32(packed(piece.colour)).u32(0);
            w.f32((corner[0] + 1) / 2).f32((corner[1] + 1) / 2).f32(0);
        }
    w.u32(0);
    w.u32(1).u32(count * kQuadIndices);
    for (uint32_t i = 0; i < count; ++i)
        for (uint16_t index : kQuadTriangles)
            w.u16(uint16_t(i * kQuadVertices + index));
    w.u32(1).u32(0).u32(0).u32(count * kQuadVertices);
    w.u16(0x8000); // no space tree
    w.keyRef(&keys(kSceneNode, sceneNode));
}

// A layer of one texture: its colour as preshade and runtime colour, black ambient and specular.
void writeLayer(ByteWriter& w, const PageKeys& keys, const std::string& texture, Rgba colour) {
    writeSynched(w, 0);
    w.keyRef(nullptr);
    w.u32(0).u32(0).u32(0).u32(0).u32(0);
    writeIdentityMatrix(w);
    for (int i = 0; i < 2; ++i)
        writeColor(w, colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1);
    writeColor(w, 0, 0, 0, 1);
    writeColor(w, 0, 0, 0, 1);
    w.u32(0).f32(1).f32(0).f32(1);
    w.keyRef(&keys(kMipMap, texture)).keyRef(nullptr).keyRef(nullptr);
    writeIdentityMatrix(w);
}

void writeMaterial(ByteWriter& w, const PageKeys& keys, const std::string& layer) {
    writeSynched(w, 0);
    w.u32(0).u32(0).u32(1).u32(0);
    w.keyRef(&keys(kLayer, layer));
}

// What a page shows: its scene node, its scene objects and what draws them.
struct Thing {
    std::string name;
    Place place{};
    uint32_t material = 0;
    Rgba colour{255, 255, 255};
    bool drawn = true;
    bool coordinates = false;
    std::string audio{};                                    // the audio interface's name, when it has one
    std::vector<std::pair<uint16_t, std::string>> extras{}; // further interfaces
    std::vector<std::pair<uint16_t, std::string>> modifiers{};
};

struct Surface {
    std::string material, layer, texture;
    Rgba colour;
};

struct Scene {
    std::string node;
    std::string drawable;
    std::vector<Thing> things;
    std::vector<Surface> surfaces;
    std::vector<std::string> lights; // omni lights that light every drawn piece
    std::vector<std::pair<uint16_t, std::string>> pool;
};

// The scene node, the scene objects with their draw and coordinate interfaces, the drawable, the
// materials and the layers of a scene, in that order of classes.
std::vector<Object> sceneObjects(uint16_t version, const Scene& scene) {
    std::vector<Object> objects;
    auto keyList = [](const PageKeys& keys, const std::vector<std::pair<uint16_t, std::string>>& names) {
        std::vector<TPRPObjectDesc> list;
        for (const auto& [classType, name] : names)
            list.push_back(keys(classType, name));
        return list;
    };
    objects.push_back({kSceneNode, scene.node, [=](ByteWriter& w, const PageKeys& keys) {
                           std::vector<std::pair<uint16_t, std::string>> things;
                           for (const Thing& thing : scene.things)
                               things.emplace_back(kSceneObject, thing.name);
                           w.keyRefs(keyList(keys, things)).keyRefs(keyList(keys, scene.pool));
                       }});
    for (const Thing& thing : scene.things)
        objects.push_back({kSceneObject, thing.name, [=](ByteWriter& w, const PageKeys& keys) {
                               writeSynched(w, 0);
                               w.keyRef(thing.drawn ? &keys(kDrawInterface, thing.name) : nullptr);
                               w.keyRef(nullptr);
                               w.keyRef(thing.coordinates ? &keys(kCoordinateInterface, thing.name)
                                                          : nullptr);
                               w.keyRef(thing.audio.empty() ? nullptr : &keys(kAudioInterface, thing.audio));
                               w.keyRefs(keyList(keys, thing.extras)).keyRefs(keyList(keys, thing.modifiers));
                               w.keyRef(&keys(kSceneNode, scene.node));
                           }});
    std::vector<Piece> pieces;
    for (const Thing& thing : scene.things) {
        if (!thing.drawn) continue;
        const uint32_t drawIndex = uint32_t(pieces.size());
        pieces.push_back({thing.place, thing.material, thing.colour});
        objects.push_back({kDrawInterface, thing.name, [=](ByteWriter& w, const PageKeys& keys) {
                               writeSynched(w, 0);
                               writeObjInterface(w, &keys(kSceneObject, thing.name), {});
                               w.u32(1).u32(drawIndex).keyRef(&keys(drawableClass(version), scene.drawable));
                               w.u32(0);
                           }});
    }
    for (const Thing& thing : scene.things)
        if (thing.coordinates)
            objects.push_back({kCoordinateInterface, thing.name, [=](ByteWriter& w, const PageKeys& keys) {
                                   writeSynched(w, 0);
                                   writeObjInterface(w, &keys(kSceneObject, thing.name), {});
                                   writeTranslation(w, thing.place);
                                   writeTranslation(w, thing.place);
                                   w.keyRefs({});
                               }});
    if (!pieces.empty()) {
        std::vector<std::string> materials;
        for (const Surface& surface : scene.surfaces)
            materials.push_back(surface.material);
        objects.push_back({drawableClass(version), scene.drawable, [=](ByteWriter& w, const PageKeys& keys) {
                               writeDrawable(w, keys, materials, pieces, scene.lights, scene.node);
                           }});
    }
    for (const Surface& surface : scene.surfaces)
        objects.push_back({kLayer, surface.layer, [=](ByteWriter& w, const PageKeys& keys) {
                               writeLayer(w, keys, surface.texture, surface.colour);
                           }});
    for (const Surface& surface : scene.surfaces)
        objects.push_back({kMaterial, surface.material, [=](ByteWriter& w, const PageKeys& keys) {
                               writeMaterial(w, keys, surface.layer);
                           }});
    return objects;
}

// An omni light hung on a scene object: warm white, fading with distance, reaching `cutoff`.
Object omniLight(const std::string& name, const std::string& owner, const std::string& sceneNode, Place place,
                 float cutoff) {
    return {kOmniLight, name, [=](ByteWriter& w, const PageKeys& keys) {
                writeSynched(w, 0);
                writeObjInterface(w, &keys(kSceneObject, owner), {});
                writeColor(w, 0.1f, 0.1f, 0.1f, 1);
                writeColor(w, 1, 0.95f, 0.8f, 1);
                writeColor(w, 1, 1, 1, 1);
                writeMatrix(w, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
                writeMatrix(w, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
                writeTranslation(w, place);
                w.keyRef(nullptr).keyRef(nullptr).keyRef(&keys(kSceneNode, sceneNode)).keyRefs({});
                w.f32(1).f32(0.05f).f32(0).f32(cutoff);
            }};
}

// A region that notices an avatar entering and leaving it; nothing listens yet.
Object collisionRegion(uint16_t version, const std::string& name) {
    return {collisionDetectorClass(version), name, [](ByteWriter& w, const PageKeys&) {
                writeDetector(w, {}, {}, nullptr, nullptr);
                w.u8(0x1 | 0x2);
            }};
}

// A class whose objects store nothing after their key.
Object noStoredData(uint16_t classType, const std::string& name) {
    return {classType, name, [](ByteWriter&, const PageKeys&) {}};
}

// A looping ambient sound streamed from an Ogg file, with its audio interface, its audible and its buffer.
std::vector<Object> ambientSound(const std::string& name, const std::string& sceneNode, uint32_t seconds) {
    const std::string file = name + ".ogg";
    return {
        {kAudioInterface, name,
         [=](ByteWriter& w, const PageKeys& keys) {
             writeSynched(w, 0);
             writeObjInterface(w, &keys(kSceneObject, name), {});
             w.keyRef(&keys(kWinAudible, name));
         }},
        {kWinAudible, name,
         [=](ByteWriter& w, const PageKeys& keys) {
             w.keyRefs({keys(kStreamingSound, name)}).keyRef(&keys(kSceneNode, sceneNode));
         }},
        {kStreamingSound, name,
         [=](ByteWriter& w, const PageKeys& keys) {
             SoundBytes sound;
             sound.playing = 0;
             sound.time = 0;
             sound.maxFalloff = 60;
             sound.minFalloff = 5;
             sound.currVolume = sound.desiredVol = 1;
             sound.outerVol = 0;
             sound.innerCone = sound.outerCone = 360;
             sound.fadedVolume = 0;
             sound.properties = 0x1 | 0x4 | 0x8; // 3D, looping, auto start
             sound.soundType = 1;                // ambiance
             sound.priority = 0;
             sound.fadeIn = {2, 0, 1, 0, 0, 0, 0};
             sound.fadeOut = {2, 1, 0, 0, 0, 0, 0};
             sound.dataBuffer = &keys(kSoundBuffer, file);
             writeSound(w, sound);
             w.u8(0); // left channel
         }},
        {kSoundBuffer, file,
         [=](ByteWriter& w, const PageKeys&) {
             w.u32(0x1 | 0x10).u32(seconds * 22050 * 2).safeStr(file);
             w.u16(1).u16(1).u32(22050).u32(44100).u16(2).u16(16);
         }},
    };
}

// The avatar's blue shirt: worn on the torso, its texture the page's shirt texture, its mesh the page's.
Object shirtItem(const std::string& name, const std::string& texture, const std::string& mesh) {
    return {kClothingItem, name, [=](ByteWriter& w, const PageKeys& keys) {
                w.safeStr(name).u8(0).u8(1).u8(0).u8(1); // male, shirt, torso closet; first in order
                w.safeStr("").safeStr("Blue Shirt");
                w.u8(1).keyRef(&keys(kMipMap, texture));
                w.u32(1).safeStr("Torso").u8(1).u8(0).keyRef(&keys(kMipMap, texture));
                w.u8(1).keyRef(&keys(kSharedMesh, mesh)).u8(0).u8(0);
                w.keyRef(nullptr);
                // Tints 3060C0 and FFFFFF, stored interleaved.
                w.u8(0x30).u8(0xFF).u8(0x60).u8(0xFF).u8(0xC0).u8(0xFF);
            }};
}

Object sharedMesh(const std::string& name, Rgba colour) {
    return {kSharedMesh, name, [=](ByteWriter& w, const PageKeys&) {
                w.u32(1);
                writeQuadSpan(w, {}, colour);
                w.keyRef(nullptr).u32(0);
            }};
}

std::vector<Object> operator+(std::vector<Object> a, const std::vector<Object>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

SamplePage makePage(uint16_t version, const std::string& age, const std::string& name, uint16_t pageNumber,
                    uint16_t flags, const std::vector<Object>& objects,
                    const std::vector<Picture>& pictures = {}) {
    SamplePage sample{
        age + "_District_" + name + ".prp", emptyPage(version, age, name, pageNumber, flags), {}};
    TestPage& page = sample.page;
    const uint16_t major = effectiveMajor(page);
    // Groups in the order their classes first come, the textures last.
    std::vector<uint16_t> classes;
    for (const Object& object : objects)
        if (std::find(classes.begin(), classes.end(), object.classType) == classes.end())
            classes.push_back(object.classType);
    PageKeys keys;
    uint32_t id = 1;
    auto key = [&](uint16_t classType, const std::string& objectName) {
        TPRPObjectDesc k = makeKey(classType, objectName, pageNumber, page.seqPrefix);
        k.ObjectID = id++;
        keys.add(k);
        return k;
    };
    for (uint16_t classType : classes) {
        TestGroup group(classType);
        for (const Object& object : objects)
            if (object.classType == classType) group.objects.emplace_back(key(classType, object.name));
        page.groups.push_back(group);
    }
    for (uint16_t classType : {kMipMap, kCubeMap}) {
        TestGroup group(classType);
        for (const Picture& picture : pictures)
            if (picture.texture.classIndex == classType) {
                group.objects.emplace_back(key(classType, picture.texture.name), picture.body);
                sample.textures.push_back(picture.texture);
            }
        if (!group.objects.empty()) page.groups.push_back(group);
    }
    for (size_t g = 0; g < classes.size(); ++g) {
        size_t i = 0;
        for (const Object& object : objects)
            if (object.classType == classes[g]) {
                ByteWriter body(version, major);
                object.body(body, keys);
                page.groups[g].objects[i++].body = body.bytes;
            }
    }
    return sample;
}

// A page of one family's sample: two scene objects drawn by one drawable with one material, and the
// family's textures.
SamplePage familyPage(uint16_t version, const std::string& age, const std::string& name,
                      const std::vector<std::string>& things, const Surface& surface,
                      const std::vector<Picture>& pictures, const std::vector<Object>& more = {}) {
    Scene scene{name, name + "Spans", {}, {surface}, {}, {{drawableClass(version), name + "Spans"}}};
    float x = -3;
    for (const std::string& thing : things) {
        scene.things.push_back({thing, {x, 2, 0}, 0, surface.colour});
        x += 6;
    }
    return makePage(version, age, name, 1, 0, sceneObjects(version, scene) + more, pictures);
}

} // namespace

std::vector<std::string> sampleAges() {
    return {"Garden", "GlobalClothing", "Tower", "Harbor", "Isle"};
}

std::vector<SamplePage> samplePages() {
    std::vector<SamplePage> pages;
    // Uru: the garden's textures spread over two pages; the meadow's layers draw with the two on its own.
    constexpr Rgba kGrass{70, 150, 50}, kBark{120, 80, 40}, kStone{128, 128, 120};
    Scene meadow{"Meadow",
                 "MeadowSpans",
                 {{"Rock01", {-6, 4, 0}, 0, kStone, true, true},
                  {"Tree02", {5, 6, 0}, 1, kBark, true, true},
                  {"Fountain", {0, 0, 0}, 0, kStone, true, false, "", {}, {{0x2C, "FountainRegion"}}},
                  {"bench", {3, -2, 0}, 1, kBark},
                  {"LampPost", {-2, -3, 0}, 1, kBark, true, false, "", {{kOmniLight, "SunLight"}}}},
                 {{"GrassMat", "GrassLayer", "Grass*1#0.hsm", kGrass},
                  {"BarkMat", "BarkLayer", "Bark*1#0.hsm", kBark}},
                 {"SunLight"},
                 {{0x4C, "MeadowSpans"}}};
    pages.push_back(
        makePage(kVersionUru, "Garden", "Meadow", 1, 0,
                 sceneObjects(kVersionUru, meadow) +
                     std::vector<Object>{omniLight("SunLight", "LampPost", "Meadow", {-2, -3, 4}, 40),
                                         collisionRegion(kVersionUru, "FountainRegion"),
                                         noStoredData(kAudible, "Silence")},
                 {checker("Grass*1#0.hsm", {70, 150, 50}, {150, 200, 80}), flag("Bark*1#0.hsm")}));
    pages.push_back(makePage(kVersionUru, "Garden", "Textures", 2, kBuiltIn, {},
                             {sunset("Sky*1#0.hsm"), stripes("Water*1#0.hsm"), photo("Cloud*1#0.hsm"),
                              room("GardenEnvMap", Kind::DXT1)}));
    Scene sounds{"Sounds", "", {}, {}, {}, {}};
    for (const char* name : {"BirdSong", "Wind"}) {
        Thing thing{name};
        thing.drawn = false;
        thing.audio = name;
        sounds.things.push_back(thing);
    }
    pages.push_back(makePage(kVersionUru, "Garden", "Sounds", 3, 0,
                             sceneObjects(kVersionUru, sounds) + ambientSound("BirdSong", "Sounds", 12) +
                                 ambientSound("Wind", "Sounds", 30)));
    constexpr Rgba kBlue{48, 96, 192}, kRed{200, 40, 40};
    Scene shirts{"Shirts",
                 "ShirtSpans",
                 {{"ShirtBlue", {0, 0, 0}, 0, kBlue}, {"ShirtRed", {3, 0, 0}, 0, kRed}},
                 {{"ShirtMat", "ShirtLayer", "ShirtBlue*1#0.hsm", kBlue}},
                 {},
                 {{0x4C, "ShirtSpans"}}};
    pages.push_back(
        makePage(kVersionUru, "GlobalClothing", "Shirts", 7, kReserved,
                 sceneObjects(kVersionUru, shirts) +
                     std::vector<Object>{sharedMesh("ShirtMesh", kBlue),
                                         shirtItem("ShirtItem", "ShirtBlue*1#0.hsm", "ShirtMesh")},
                 {checker("ShirtBlue*1#0.hsm", kBlue, {140, 170, 230})}));
    std::vector<Picture> hall = textureSet("*1#0.dds", Kind::DXT5, "Hall");
    hall[0] = checker("Stone*1#0.dds", {90, 90, 100}, {180, 175, 160});
    SamplePage tower =
        familyPage(kVersionMystV, "Tower", "Hall", {"Stair", "Door"},
                   {"StoneMat", "StoneLayer", "Stone*1#0.dds", {180, 175, 160}}, hall,
                   {collisionRegion(kVersionMystV, "DoorRegion"), noStoredData(kMystVAudioSystem, "Empty")});
    pages.push_back(tower);
    pages.push_back(familyPage(kVersionLive, "Harbor", "Dock", {"Pier", "Boat"},
                               {"PlankMat", "PlankLayer", "Checker*1#0.hsm", {150, 110, 70}},
                               textureSet("*1#0.hsm", Kind::Pixels, "Dock")));
    pages.push_back(familyPage(kVersionHexIsle, "Isle", "Shore", {"Palm", "Hut"},
                               {"SandMat", "SandLayer", "Checker*1#0.dds", {220, 200, 140}},
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
