// Shapes as vertex lists: sphere strips, caps and outlines, sprite quads, sky-box faces and HUD placement.
#include "GLHUDObjects.h"
#include "GLTestSupport.h"
#include "GLObjects.h"
#include "GLSkyBox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace engine3d;
using engine3d_test::expectNear;

namespace {

float length(const TAffineVector& v) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

} // namespace

TEST(SphereGeometry, DefaultSphereIsSixteenStripsFromThePole) {
    TGLPrimitiveList list = BuildSphereGeometry({});
    ASSERT_EQ(list.size(), 16u);
    for (const TGLPrimitive& strip : list) {
        EXPECT_EQ(strip.Mode, GLenum(GL_TRIANGLE_STRIP));
        EXPECT_EQ(strip.Vertices.size(), 34u);
        for (const TGLVertex& v : strip.Vertices) {
            EXPECT_NEAR(length(v.Position), 1.f, 1e-5f);
            expectNear(v.Normal, v.Position, "outward normal");
        }
    }
    const TGLVertex& first = list[0].Vertices[0];
    expectNear(first.Position, {0, 1, 0}, "north pole");
    expectNear(first.TexCoord, {0, 1}, "pole texture");
    // Second vertex: one stack down at longitude 0, which points along +z.
    float p2 = float(M_PI / 2 - M_PI / 16);
    expectNear(list[0].Vertices[1].Position, {0, std::sin(p2), std::cos(p2)}, "second vertex");
    expectNear(list[0].Vertices[1].TexCoord, {0, 15.f / 16}, "second texture");
    // Longitude 90 degrees is +x.
    expectNear(list[8].Vertices[8].Position, {1, 0, 0}, "equator at 90 degrees");
    const TGLVertex& last = list[15].Vertices[33];
    expectNear(last.Position, {0, -1, 0}, "south pole");
    expectNear(last.TexCoord, {1, 0}, "last texture");
}

TEST(SphereGeometry, HemisphereWithFlatBottomCap) {
    TGLSphereShape shape;
    shape.Bottom = 0;
    shape.BottomCap = ctFlat;
    TGLPrimitiveList list = BuildSphereGeometry(shape);
    ASSERT_EQ(list.size(), 17u);
    const TGLPrimitive& fan = list.back();
    EXPECT_EQ(fan.Mode, GLenum(GL_TRIANGLE_FAN));
    ASSERT_EQ(fan.Vertices.size(), 18u); // centre and 17 rim vertices
    expectNear(fan.Vertices[0].Position, {0, 0, 0}, "centre");
    expectNear(fan.Vertices[0].TexCoord, {0.5f, 0.5f}, "centre texture");
    for (const TGLVertex& v : fan.Vertices) {
        EXPECT_NEAR(v.Position[1], 0, 1e-6f);
        expectNear(v.Normal, {0, -1, 0}, "flat cap normal");
    }
    // The bottom fan runs from Stop back to Start.
    expectNear(fan.Vertices[1].Position, {0, 0, 1}, "first rim vertex");
    expectNear(fan.Vertices[5].Position, {-1, 0, 0}, "rim at 270 degrees");
    // The lowest strip ends at the equator.
    EXPECT_NEAR(list[15].Vertices[1].Position[1], 0, 1e-6f);
}

TEST(SphereGeometry, CentreCapNormalsLeanOutward) {
    TGLSphereShape shape;
    shape.Top = 45;
    shape.TopCap = ctCenter;
    shape.Slices = 4;
    TGLPrimitiveList list = BuildSphereGeometry(shape);
    const TGLPrimitive& fan = list.front();
    ASSERT_EQ(fan.Vertices.size(), 6u);
    expectNear(fan.Vertices[0].Position, {0, 0, 0}, "centre cap starts at the origin");
    expectNear(fan.Vertices[0].Normal, {0, 1, 0}, "fan normal");
    // V = (0, s, c) with s = c = sqrt(1/2): N = (0,1,0) - s V = (0, 1/2, -1/2).
    expectNear(fan.Vertices[1].Normal, {0, 0.5f, -0.5f}, "rim normal");
    expectNear(fan.Vertices[2].TexCoord, {1, 0.5f}, "rim texture at 90 degrees");
}

TEST(SphereGeometry, WedgeSpansTheWholeTextureAndSlicesAtLeastOne) {
    TGLSphereShape shape;
    shape.Stop = 90;
    shape.Slices = 4;
    TGLPrimitiveList list = BuildSphereGeometry(shape);
    expectNear(list[3].Vertices.front().TexCoord, {0, list[3].Vertices.front().TexCoord[1]}, "s starts at 0");
    EXPECT_NEAR(list[3].Vertices.back().TexCoord[0], 1, 1e-6f);
    expectNear(list[7].Vertices.back().Position, {1, 0, 0}, "ends at 90 degrees on the equator");
    shape.Slices = -5;
    shape.Stacks = 0;
    list = BuildSphereGeometry(shape);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Vertices.size(), 4u);
}

TEST(SphereSilhouette, CircleAcrossTheViewAndCapFan) {
    TGLSilhouetteParameters parameters;
    parameters.SeenFrom = {0, 0, 5};
    parameters.CappingRequired = true;
    std::unique_ptr<TGLSilhouette> outline(BuildSphereSilhouette(parameters, 2, 8, 12));
    ASSERT_EQ(outline->Vertices().Count(), 13);
    ASSERT_EQ(outline->Indices().Count(), 24);
    ASSERT_EQ(outline->CapIndices().Count(), 36);
    for (int i = 0; i < 12; ++i) {
        TVector v = outline->Vertices()[i];
        EXPECT_NEAR(v[2], 0, 1e-5f) << "in the plane across the view";
        EXPECT_NEAR(std::hypot(v[0], v[1]), 2, 1e-5f);
        EXPECT_EQ(v[3], 1);
    }
    EXPECT_EQ(outline->Indices()[23], 0);
    EXPECT_EQ(outline->CapIndices()[33], 12);
    EXPECT_EQ(outline->Vertices()[12], (TVector{0, 0, 0, 1}));

    // Seen along x: the first cross product vanishes and the second axis is used.
    parameters.SeenFrom = {3, 0, 0};
    parameters.CappingRequired = false;
    outline.reset(BuildSphereSilhouette(parameters, 1, 4, 4));
    ASSERT_EQ(outline->Vertices().Count(), 4);
    EXPECT_TRUE(outline->CapIndices().Count() == 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(outline->Vertices()[i][0], 0, 1e-5f);
}

TEST(SpriteQuad, FacesTheCameraAndMirrors) {
    TMatrix modelView = IdentityHmgMatrix;
    TGLPrimitive quad = BuildSpriteQuad(modelView, 4, 2, false, false);
    ASSERT_EQ(quad.Vertices.size(), 4u);
    expectNear(quad.Vertices[0].Position, {2, 1, 0}, "right + up");
    expectNear(quad.Vertices[1].Position, {-2, 1, 0}, "-right + up");
    expectNear(quad.Vertices[2].Position, {-2, -1, 0}, "-right - up");
    expectNear(quad.Vertices[3].Position, {2, -1, 0}, "right - up");
    expectNear(quad.Vertices[0].TexCoord, {1, 1}, "first texture");
    expectNear(quad.Vertices[2].TexCoord, {0, 0}, "third texture");
    expectNear(BuildSpriteQuad(modelView, 4, 2, true, false).Vertices[0].TexCoord, {0, 1}, "MirrorU");
    expectNear(BuildSpriteQuad(modelView, 4, 2, false, true).Vertices[0].TexCoord, {1, 0}, "MirrorV");

    // A camera turned 90 degrees about y and scaled: the quad lies in the camera's screen plane.
    TMatrix turned = {{{0, 0, -3, 0}, {0, 3, 0, 0}, {3, 0, 0, 0}, {5, 6, 7, 1}}};
    quad = BuildSpriteQuad(turned, 4, 2, false, false);
    expectNear(quad.Vertices[0].Position, {0, 1, 2}, "turned right + up");
    expectNear(SpriteRotationAxis(turned), {-3, 0, 0}, "viewing axis");
}

TEST(SkyBoxGeometry, FacesStylesClampedSidesAndClouds) {
    TGLPrimitive top = BuildSkyBoxFace(sbfTop, sbsFull, 0.2f, 32);
    ASSERT_EQ(top.Vertices.size(), 4u);
    for (const TGLVertex& v : top.Vertices)
        EXPECT_EQ(v.Position[1], 1);
    expectNear(top.Vertices[0].TexCoord, {0.002f, 0.998f}, "first corner");
    expectNear(top.Vertices[2].TexCoord, {0.998f, 0.002f}, "third corner");
    expectNear(BuildSkyBoxFace(sbfFront, sbsFull, 0, 0).Vertices[0].Position, {-1, 1, -1}, "front");
    expectNear(BuildSkyBoxFace(sbfRight, sbsFull, 0, 0).Vertices[3].Position, {1, 1, 1}, "right");

    struct Row {
        TGLSkyBoxStyle style;
        float low, high;
    } rows[] = {{sbsFull, -1, 1}, {sbsTopHalf, 0, 1}, {sbsBottomHalf, -1, 0}, {sbTopTwoThirds, -1.f / 3, 1}};
    for (const Row& row : rows) {
        TGLSkyBoxStyleTransform t = SkyBoxStyleTransform(row.style);
        EXPECT_NEAR(t.TranslateY + -1 * t.ScaleY, row.low, 1e-6f) << row.style;
        EXPECT_NEAR(t.TranslateY + 1 * t.ScaleY, row.high, 1e-6f) << row.style;
    }
    EXPECT_FLOAT_EQ(SkyBoxScale(100, 0.1f), 50.05f);

    // Clamped sides reach down to -3; the clouds are one plane.
    TGLPrimitive left = BuildSkyBoxFace(sbfLeft, sbsTopHalfClamped, 0, 0);
    ASSERT_EQ(left.Vertices.size(), 8u);
    expectNear(left.Vertices[4].Position, {-1, -1, 1}, "continues from vertex 2");
    expectNear(left.Vertices[5].Position, {-1, -3, 1}, "down to -3");
    expectNear(left.Vertices[6].Position, {-1, -3, -1}, "vertex 3 at -3");
    for (int i = 4; i < 8; ++i)
        EXPECT_FLOAT_EQ(left.Vertices[i].TexCoord[1], 0.002f);
    EXPECT_EQ(BuildSkyBoxFace(sbfTop, sbsTopHalfClamped, 0, 0).Vertices.size(), 4u);

    TGLPrimitive clouds = BuildSkyBoxFace(sbfClouds, sbsFull, 0.2f, 32);
    ASSERT_EQ(clouds.Vertices.size(), 4u);
    expectNear(clouds.Vertices[0].Position, {-16, 0.2f, 16}, "clouds corner");
    expectNear(clouds.Vertices[0].TexCoord, {0, 1}, "clouds texture");
    expectNear(clouds.Vertices[2].Position, {16, 0.2f, -16}, "opposite corner");
}

TEST(HUDSpriteGeometry, DPIScalesPlacementAndSizeAndTilesRepeat) {
    // At 120 dpi a 128-pixel sprite placed at (128, 128) is 1.25 times as large, centred at (160, 160).
    TGLHUDPlacement placement;
    placement.X = placement.Y = 128;
    placement.ViewportWidth = placement.ViewportHeight = 256;
    placement.RenderDPI = 120;
    TGLPrimitive quad = BuildHUDSpriteQuad(128, 128, HUDTransform(placement).DPIFactor, 1, 1);
    TTexPoint lowerLeft = HUDWindowPixel(placement, quad.Vertices[0].Position);
    TTexPoint upperRight = HUDWindowPixel(placement, quad.Vertices[2].Position);
    EXPECT_NEAR(lowerLeft[0], 80, 1e-3f);
    EXPECT_NEAR(lowerLeft[1], 240, 1e-3f);
    EXPECT_NEAR(upperRight[0], 240, 1e-3f);
    EXPECT_NEAR(upperRight[1], 80, 1e-3f);
    expectNear(quad.Vertices[0].TexCoord, {0, 0}, "t = 0 at the lower edge");
    expectNear(BuildHUDSpriteQuad(16, 16, 1, 3, 2).Vertices[2].TexCoord, {3, 2}, "tiles");
}
