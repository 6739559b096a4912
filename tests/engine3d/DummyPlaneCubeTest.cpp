// Planes and cubes as geometry, and a dummy cube drawing its child cube through one list. Drawing a
// plane or a single cube face takes the same road; its extent and winding are the geometry's.
#include "GLObjects.h"
#include "ShapeRenderSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace engine3d;
using namespace engine3d_test;

TEST(Plane, GeometryByStyle) {
    struct Row {
        TPlaneStyles style;
        unsigned tiles;
        size_t primitives, verticesEach;
        float sLast;
    };
    const Row rows[] = {
        {PlaneStyle(psSingleQuad) | PlaneStyle(psTileTexture), 2, 1, 4, 2},
        {PlaneStyle(psTileTexture), 2, 2, 6, 2},
        {0, 1, 1, 4, 1},
        {0, 3, 3, 8, 1},
        {0, 0, 1, 4, 1}, // no tiles still make one finite strip
    };
    for (const Row& row : rows) {
        TGLPlaneShape shape;
        shape.Style = row.style;
        shape.XTiles = shape.YTiles = row.tiles;
        TGLPrimitiveList primitives = BuildPlaneGeometry(shape);
        ASSERT_EQ(primitives.size(), row.primitives) << int(row.style) << " " << row.tiles;
        EXPECT_EQ(primitives[0].Vertices.size(), row.verticesEach);
        float sMax = 0;
        for (const TGLVertex& v : primitives[0].Vertices) {
            EXPECT_TRUE(std::isfinite(v.Position[0]));
            sMax = std::max(sMax, v.TexCoord[0]);
        }
        EXPECT_FLOAT_EQ(sMax, row.sLast);
    }
}

TEST(Cube, PartsAndNormals) {
    TGLPrimitive all = BuildCubeGeometry(1, 1, 1, cAllCubeParts, ndOutside);
    EXPECT_EQ(all.Vertices.size(), 24u);
    TGLPrimitive top = BuildCubeGeometry(2, 4, 6, CubePart(cpTop), ndOutside);
    ASSERT_EQ(top.Vertices.size(), 4u);
    for (const TGLVertex& v : top.Vertices) {
        EXPECT_EQ(v.Position[1], 2);
        EXPECT_EQ(v.Normal, (TAffineVector{0, 1, 0}));
    }
    TGLPrimitive inside = BuildCubeGeometry(1, 1, 1, CubePart(cpTop), ndInside);
    EXPECT_EQ(inside.Vertices[0].Normal, (TAffineVector{0, -1, 0}));
    TGLPrimitive front = BuildCubeGeometry(2, 2, 2, CubePart(cpFront), ndOutside);
    EXPECT_EQ(front.Vertices[0].Position, (TAffineVector{1, 1, 1}));
    EXPECT_EQ(front.Vertices[0].TexCoord, (TTexPoint{1, 1}));
    // Every face winds counter-clockwise seen from outside: its corners' normal points out.
    for (size_t i = 0; i < all.Vertices.size(); i += 4) {
        TAffineVector n = PlaneNormalFromPoints(all.Vertices[i].Position, all.Vertices[i + 1].Position,
                                                all.Vertices[i + 2].Position);
        EXPECT_GT(DotProduct3(n, all.Vertices[i].Normal), 0.9f) << i / 4;
    }
}

// ---- Drawn --------------------------------------------------------------------------------------------

TEST(DummyCubeRender, AmalgamatedListIsCompiledOnceAndRebuiltAfterAChange) {
    REQUIRE_SHAPE_SCENE(s, 64, 64);
    auto* group = s.scene.Objects()->AddNewChild<TGLDummyCube>();
    auto* cube = group->AddNewChild<TGLCube>();
    cube->Material()->FrontProperties()->Diffuse()->SetColor(0, 1, 0, 1);
    group->SetAmalgamate(true);
    s.render();
    expectColour(s.pixel(32, 32), 0, 255, 0, "child drawn through the group list");
    expectColour(s.pixel(4, 4), 0, 0, 0, "no wire cube at run time");
    EXPECT_EQ(group->GroupListBuilds(), 1);
    s.render();
    EXPECT_EQ(group->GroupListBuilds(), 1);
    cube->SetCubeWidth(0.25f);
    s.render();
    EXPECT_EQ(group->GroupListBuilds(), 2);
    expectColour(s.pixel(20, 32), 0, 0, 0, "narrower child after the rebuild");

    group->OnVisibilityDetermination = [](TObject*, TRenderContextInfo&) { return false; };
    s.render();
    expectColour(s.pixel(32, 32), 0, 0, 0, "the whole subtree hidden");
}
