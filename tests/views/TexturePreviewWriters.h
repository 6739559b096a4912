#pragma once
// Texture object bodies for the preview tests: DXT1, DXT5, 32-bit pixel and run-coded textures drawn
// from a colour function, cube maps of six such faces, and pages holding them.
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "MainUnit.h"
#include "PageWriter.h"
#include "ViewerTestSupport.h"

namespace texturewriters {

using testpages::Bytes;
using testpages::ByteWriter;

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};
// The colour of the pixel at (x, y) of the top level, y counted down from the top row.
using PixelFn = std::function<Rgba(uint32_t x, uint32_t y)>;

PixelFn solid(Rgba colour);
// Four quadrants of a width x height picture: top-left, top-right, bottom-left, bottom-right.
PixelFn quadrants(uint32_t width, uint32_t height, Rgba topLeft, Rgba topRight, Rgba bottomLeft,
                  Rgba bottomRight);

enum class Kind { DXT1, DXT5, Pixels, RunCoded };

void writeBitmapHeader(ByteWriter& w, Kind kind);
// The mip-map body: every level halves the previous one (at least one pixel; DXT levels at least one
// block). DXT blocks take the colour of their top-left pixel; a run-coded body has one level and, with
// an alpha function, a run-coded alpha part.
void writeMipmapBody(ByteWriter& w, Kind kind, uint32_t width, uint32_t height, uint8_t levels,
                     const PixelFn& colour, const PixelFn& alpha = {});

// A whole mip-map object body: header and body.
Bytes mipmapObject(Kind kind, uint32_t width, uint32_t height, uint8_t levels, const PixelFn& colour,
                   const PixelFn& alpha = {});
// A JPEG body: colour and, with an alpha function, alpha as JPEG files of the whole picture.
Bytes jpegObject(uint32_t width, uint32_t height, const PixelFn& colour, const PixelFn& alpha = {});

// A cube map: its own header, then six faces (left, right, front, back, top, bottom) of one solid
// colour each, every face with its own header.
Bytes cubeMapObject(Kind kind, uint32_t size, const std::vector<Rgba>& faceColours);

// A page of the given family with one group of textures (class 4) and optionally cube maps (class 5);
// written into folder, returns the file's path.
struct NamedBody {
    std::string name;
    Bytes body;
};
QString writeTexturePage(const QString& folder, const QString& fileName, uint16_t version,
                         const std::vector<NamedBody>& textures, const std::vector<NamedBody>& cubeMaps = {});

// Whether an OpenGL context can be had here.
bool openGLHere();

// A shown main window with its settings in a temporary folder and its messages recorded; skipped where
// there is no OpenGL context.
class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QTemporaryDir settingsDir, pages;
    std::unique_ptr<RecordedMessages> messages;
    std::unique_ptr<TMainForm> main;
};

} // namespace texturewriters
