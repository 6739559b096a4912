#pragma once
// The sample pages and ages for trying the viewer by hand (make_sample_age), in all four families: objects
// of many classes, each stored as its class stores it and linking only to objects of its own page (scene
// node, scene objects, their interfaces, a drawable of real geometry, materials, layers, a light, sounds, a
// clothing item), and textures of every kind the previews draw.
#include <filesystem>
#include <string>
#include <vector>

#include "TextureWriters.h"

namespace testpages {

// Where a texture's picture shows a known colour: the texel (x, y) of the colour image, or with `alpha` of
// the alpha image. A cube map has six: the colour inside each face (x and y unused), in the stored order of
// the faces (left, right, front, back, top, bottom).
struct SampleProbe {
    uint32_t x = 0, y = 0;
    Rgba colour;
    bool alpha = false;
};

struct SampleTexture {
    uint16_t classIndex = 4; // 4 a mip map, 5 a cube map
    std::string name;
    std::vector<SampleProbe> probes;
};

struct SamplePage {
    std::string fileName;
    TestPage page;
    std::vector<SampleTexture> textures;
};

// The names of the sample's ages, and its pages.
std::vector<std::string> sampleAges();
std::vector<SamplePage> samplePages();
// Writes every age and page into folder (made when missing); returns the files written.
std::vector<std::filesystem::path> writeSampleAge(const std::filesystem::path& folder);

} // namespace testpages
