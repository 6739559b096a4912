// The render road end to end: a scene with an orthogonal camera and a textured quad rendered by a scene
// buffer into an off-screen context and read back; textures uploaded through materials and libraries.
#include "GL3DScene.h"
#include "GLObjects.h"
#include "GLTexture.h"
#include "GLWin32Context.h"
#include "ShapeRenderSupport.h"

#include <gtest/gtest.h>

using namespace engine3d;

namespace {

using engine3d_test::expectColour;
using engine3d_test::Rgba;

using TestQuad = engine3d_test::TexturedQuad;

// 4 x 4 picture in four 2 x 2 blocks: red top-left, green top-right, blue bottom-left, white bottom-right.
std::unique_ptr<TBitmap> quadrantPicture() {
    const Rgba blocks[2][2] = {{{255, 0, 0, 255}, {0, 255, 0, 255}},
                               {{0, 0, 255, 255}, {255, 255, 255, 255}}};
    return engine3d_test::pictureOf(4, 4, [&](int x, int y) { return blocks[y / 2][x / 2]; });
}

// Texel centres are sampled: a tighter tolerance than the shapes need.
constexpr int kTexelTolerance = 3;

} // namespace

// The shape scene f, size pixels square, with the test quad in it.
#define REQUIRE_QUAD_SCENE(f, size)                                                                          \
    REQUIRE_SHAPE_SCENE(f, size, size);                                                                      \
    auto* quad = f.scene.Objects()->AddNewChild<TestQuad>();

TEST(SceneRender, TexturedQuadThroughOrthogonalCamera) {
    REQUIRE_QUAD_SCENE(f, 64);
    engine3d_test::useNearestTexture(quad->Material(), *quadrantPicture());
    f.buffer.Render(nullptr);
    EXPECT_EQ(f.buffer.FrameCount(), 1);
    // The orthogonal view spans -1..1 for focal length 50, so the unit quad covers pixels 16..47.
    expectColour(f.pixel(20, 43), 255, 0, 0, "top left", kTexelTolerance);
    expectColour(f.pixel(43, 43), 0, 255, 0, "top right", kTexelTolerance);
    expectColour(f.pixel(20, 20), 0, 0, 255, "bottom left", kTexelTolerance);
    expectColour(f.pixel(43, 20), 255, 255, 255, "bottom right", kTexelTolerance);
    expectColour(f.pixel(4, 4), 0, 0, 0, "background", kTexelTolerance);
    EXPECT_EQ(quad->builds, 1);

    // The display list is replayed; a structure change compiles it again.
    f.buffer.Render(nullptr);
    EXPECT_EQ(quad->builds, 1);
    quad->SceneObjectStructureChanged();
    f.buffer.Render(nullptr);
    EXPECT_EQ(quad->builds, 2);
}

TEST(SceneRender, InvisibleObjectsMovedAndFreedCamera) {
    REQUIRE_QUAD_SCENE(f, 64);
    quad->Material()->FrontProperties()->Diffuse()->SetColor(0, 1, 0, 1);
    quad->SetVisible(false);
    f.buffer.Render(nullptr);
    expectColour(f.pixel(32, 32), 0, 0, 0, "hidden quad", kTexelTolerance);
    quad->SetVisible(true);
    f.camera->Position()->SetPoint(0.75f, 0, 50); // the quad moves left by 3/8 of the view
    f.buffer.Render(nullptr);
    expectColour(f.pixel(4, 32), 0, 255, 0, "left edge now covered", kTexelTolerance);
    expectColour(f.pixel(40, 32), 0, 0, 0, "right part now empty", kTexelTolerance);
    // A freed camera leaves the buffer, which then only clears.
    delete f.camera;
    EXPECT_EQ(f.buffer.Camera(), nullptr);
    EXPECT_EQ(f.scene.BufferCount(), 0);
    f.buffer.Render(nullptr);
    expectColour(f.pixel(4, 32), 0, 0, 0, "nothing drawn without a camera", kTexelTolerance);
}

TEST(SceneRender, LightingUsesTheRegisteredLight) {
    REQUIRE_QUAD_SCENE(f, 32);
    f.buffer.SetLighting(true);
    f.buffer.AmbientColor()->SetColor(0, 0, 0, 1);
    auto* light = f.scene.Objects()->AddNewChild<TGLLightSource>();
    light->SetLightStyle(lsParallel);
    light->SpotDirection()->SetVector(0, 0, 1); // towards the light, as GL_POSITION takes it
    f.camera->SetFocalLength(100);
    TGLFaceProperties* front = quad->Material()->FrontProperties();
    front->Ambient()->SetColor(0, 0, 0, 1);
    front->Diffuse()->SetColor(1, 0, 0, 1);
    f.buffer.Render(nullptr);
    Rgba lit = f.pixel(16, 16);
    EXPECT_GT(lit.r, 200);
    light->SetShining(false);
    f.buffer.Render(nullptr);
    EXPECT_LT(f.pixel(16, 16).r, 10);
}

TEST(SceneRender, BlendedObjectsDrawAfterOpaqueOnes) {
    REQUIRE_QUAD_SCENE(f, 32);
    f.camera->SetFocalLength(100);
    // The blended quad comes first in the list and nearer the camera; it must still blend over the other.
    auto* blended = quad;
    blended->Position()->SetPoint(0, 0, 1);
    blended->Material()->SetBlendingMode(bmTransparency);
    blended->Material()->FrontProperties()->Diffuse()->SetColor(1, 0, 0, 0.5f);
    auto* opaque = f.scene.Objects()->AddNewChild<TestQuad>();
    opaque->Material()->FrontProperties()->Diffuse()->SetColor(0, 0, 1, 1);
    f.buffer.Render(nullptr);
    expectColour(f.pixel(16, 16), 128, 0, 127, "blend", kTexelTolerance);
}

TEST(SceneRender, LibraryMaterialTextureByName) {
    REQUIRE_QUAD_SCENE(f, 64);
    TGLMaterialLibrary library;
    auto picture = quadrantPicture();
    TGLLibMaterial* entry = library.AddTextureMaterial("FrontFace", picture.get());
    entry->Material()->GetTexture()->SetMinFilter(miNearest);
    entry->Material()->GetTexture()->SetMagFilter(maNearest);
    entry->Material()->GetTexture()->SetTextureMode(tmReplace);
    quad->Material()->SetMaterialLibrary(&library);
    quad->Material()->SetLibMaterialName("FrontFace");
    quad->Material()->FrontProperties()->Diffuse()->SetColor(0, 0, 0, 1);
    f.buffer.Render(nullptr);
    expectColour(f.pixel(20, 43), 255, 0, 0, "top left from the library", kTexelTolerance);
    expectColour(f.pixel(43, 20), 255, 255, 255, "bottom right from the library", kTexelTolerance);
}

TEST(SceneRender, TextureChangesUploadAgain) {
    REQUIRE_QUAD_SCENE(f, 16);
    TGLTexture* texture = quad->Material()->GetTexture();
    engine3d_test::useNearestTexture(quad->Material(), *quadrantPicture());
    EXPECT_TRUE(texture->ImageChanged());
    f.buffer.Render(nullptr);
    EXPECT_FALSE(texture->ImageChanged());
    EXPECT_FALSE(texture->ParamsChanged());
    EXPECT_EQ(texture->TexWidth(), 4);
    texture->SetMagFilter(maLinear);
    EXPECT_TRUE(texture->ParamsChanged());
    texture->SetNormalMapScale(0.5f); // not a normal map: no upload asked for
    EXPECT_FALSE(texture->ImageChanged());
    f.buffer.Render(nullptr);
    EXPECT_FALSE(texture->ParamsChanged());
    texture->EnvColor()->SetColor(1, 0, 0, 1);
    EXPECT_TRUE(texture->ParamsChanged());
    EXPECT_FALSE(texture->ImageChanged());
    // A disabled texture binds nothing and leaves 2D texturing off.
    texture->SetDisabled(true);
    quad->Material()->FrontProperties()->Diffuse()->SetColor(0, 1, 1, 1);
    f.buffer.Render(nullptr);
    expectColour(f.pixel(8, 8), 0, 255, 255, "untextured", kTexelTolerance);
}

TEST(SceneRender, CubeMapFacesOfUnequalSizeUploadNothing) {
    REQUIRE_SHAPE_SCENE(f, 16, 16);
    if (!GLExtensions.ARB_texture_cube_map) GTEST_SKIP() << "no cube maps";
    TGLTexture texture;
    texture.SetImageClassName("TGLCubeMapImage");
    auto* cube = dynamic_cast<TGLCubeMapImage*>(texture.Image());
    ASSERT_NE(cube, nullptr);
    TBitmap square, oblong;
    square.SetSize(8, 8);
    oblong.SetSize(8, 4);
    for (int face = 0; face < 6; ++face)
        cube->Picture(static_cast<TGLCubeMapTarget>(face))->Assign(face == cmtNY ? &oblong : &square);
    f.buffer.RenderingContext()->ContextActivate();
    texture.GetHandle();
    EXPECT_EQ(texture.TexWidth(), 0);
    cube->PictureNY()->Assign(&square);
    texture.GetHandle();
    EXPECT_EQ(texture.TexWidth(), 8);
    texture.DestroyHandles();
    f.buffer.RenderingContext()->ContextDeactivate();
}

// A wall square to a wide view lies at one eye-plane distance but is further from the eye at its corners
// than at its centre, so only the eye-radial mode fogs the corners more; the default mode is the driver's
// own again, even after another mode was in force.
TEST(SceneRender, FogDistanceModes) {
    REQUIRE_SHAPE_SCENE(f, 64, 64);
    TGLContext* context = f.buffer.RenderingContext();
    auto driverMode = [&] {
        GLint mode = 0;
        context->ContextActivate();
        glGetIntegerv(GL_FOG_DISTANCE_MODE_NV, &mode);
        context->ContextDeactivate();
        return mode;
    };
    context->ContextActivate();
    bool offered =
        HasGLExtension(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), "GL_NV_fog_distance");
    context->ContextDeactivate();
    if (!offered) GTEST_SKIP() << "no fog-distance extension here";
    const GLint ownMode = driverMode();

    // A 90-degree view from 10 units before a 24 x 24 wall of one-unit tiles, fogged to black from 0 to 20.
    f.camera->SetCameraStyle(csPerspective);
    f.camera->SetFocalLength(4.2333f);
    f.camera->Position()->SetPoint(0, 0, 10);
    auto* wall = f.scene.Objects()->AddNewChild<TGLPlane>();
    wall->SetWidth(24);
    wall->SetHeight(24);
    wall->SetStyle(PlaneStyle(psTileTexture));
    wall->SetXTiles(24);
    wall->SetYTiles(24);
    wall->Material()->FrontProperties()->Diffuse()->SetColor(1, 1, 1, 1);
    f.buffer.SetFogEnable(true);
    TGLFogEnvironment* fog = f.buffer.FogEnvironment();
    fog->FogColor()->SetColor(0, 0, 0, 1);
    fog->SetFogStart(0);
    fog->SetFogEnd(20);

    fog->SetFogDistance(fdEyeRadial);
    f.buffer.Render(nullptr);
    EXPECT_EQ(driverMode(), GL_EYE_RADIAL_NV);
    Rgba centre = f.pixel(32, 32), corner = f.pixel(2, 2);
    expectColour(centre, 128, 128, 128, "eye-radial: centre, half fogged", 8);
    EXPECT_LT(corner.r + 40, int(centre.r)) << "eye-radial: the corner is further from the eye";

    fog->SetFogDistance(fdDefault);
    f.buffer.Render(nullptr);
    EXPECT_EQ(driverMode(), ownMode);

    fog->SetFogDistance(fdEyePlane);
    f.buffer.Render(nullptr);
    EXPECT_EQ(driverMode(), GL_EYE_PLANE_ABSOLUTE_NV);
    centre = f.pixel(32, 32);
    expectColour(centre, 128, 128, 128, "eye-plane: centre", 8);
    expectColour(f.pixel(2, 2), centre.r, centre.g, centre.b, "eye-plane: the corner as the centre", 3);
}
