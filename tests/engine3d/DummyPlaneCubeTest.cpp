// Dummy cubes, planes and cubes: setters, geometry counts, ray casts, outlines, the "CubeSize" stored
// property, copies, amalgamation and what they draw.
#include "GLObjects.h"
#include "ShapeRenderSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

using namespace engine3d;
using namespace engine3d_test;

TEST(DummyCube, AmalgamateStyleSizeAndAssign) {
    TGLDummyCube cube;
    EXPECT_TRUE(cube.ObjectStyleFlags() & ObjectStyle(osImmediateDraw));
    EXPECT_FALSE(cube.RayCastIntersect({0, 0, 5, 1}, {0, 0, -1, 0}));

    cube.SetAmalgamate(true);
    EXPECT_TRUE(cube.ObjectStyleFlags() & ObjectStyle(osAltersRenderState));
    cube.SetAmalgamate(false);
    EXPECT_FALSE(cube.ObjectStyleFlags() & ObjectStyle(osAltersRenderState));

    cube.SetCubeSize(-3);
    EXPECT_EQ(cube.AxisAlignedDimensionsUnscaled(), (TVector{1.5f, 1.5f, 1.5f, 0}));

    TGLDummyCube copy;
    cube.SetVisibleAtRunTime(true);
    TGLColor red(nullptr, TVector{1, 0, 0, 1});
    cube.SetEdgeColor(&red);
    copy.Assign(&cube);
    EXPECT_EQ(copy.CubeSize(), -3);
    EXPECT_TRUE(copy.VisibleAtRunTime());
    EXPECT_EQ(copy.EdgeColor()->Color(), (TVector{1, 0, 0, 1}));
}

TEST(DummyCube, BarycentreIsTheMeanOfTheChildren) {
    TComponent owner;
    TGLDummyCube cube(&owner);
    cube.Position()->SetPoint(7, 0, 0);
    EXPECT_FLOAT_EQ(cube.BarycenterAbsolutePosition()[0], 7);
    auto* a = cube.AddNewChild<TGLDummyCube>();
    auto* b = cube.AddNewChild<TGLDummyCube>();
    a->Position()->SetPoint(1, 0, 0);
    b->Position()->SetPoint(3, 2, 0);
    TVector centre = cube.BarycenterAbsolutePosition();
    EXPECT_FLOAT_EQ(centre[0], 9);
    EXPECT_FLOAT_EQ(centre[1], 1);
}

TEST(Plane, TileCountsOfAtLeastOne) {
    TGLPlane plane;
    EXPECT_FALSE(plane.StoreXScope());
    plane.SetXTiles(0);
    plane.SetYTiles(0);
    EXPECT_EQ(plane.XTiles(), 1u);
    EXPECT_EQ(plane.YTiles(), 1u);
    plane.ClearStructureChanged();
    plane.SetNoZWrite(true); // written directly
    EXPECT_FALSE(plane.Changes() & ObjectChange(ocStructure));
    plane.SetXScope(2);
    EXPECT_TRUE(plane.StoreXScope());
    EXPECT_TRUE(plane.Changes() & ObjectChange(ocStructure));

    // Zero tiles in a shape given directly still make one strip, not a division by zero.
    TGLPlaneShape shape;
    shape.Style = 0;
    shape.XTiles = 0;
    shape.YTiles = 0;
    TGLPrimitiveList strips = BuildPlaneGeometry(shape);
    ASSERT_EQ(strips.size(), 1u);
    for (const TGLVertex& v : strips[0].Vertices) {
        EXPECT_TRUE(std::isfinite(v.Position[0]));
        EXPECT_TRUE(std::isfinite(v.TexCoord[0]));
    }
}

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

TEST(Plane, RayCastAndSilhouette) {
    TGLPlane plane;
    plane.SetWidth(2);
    plane.Position()->SetPoint(0, 0, -1);
    TVector point{}, normal{};
    ASSERT_TRUE(plane.RayCastIntersect({0.5f, 0.5f, 5, 1}, {0, 0, -1, 0}, &point, &normal));
    EXPECT_NEAR(point[2], -1, 1e-5);
    EXPECT_NEAR(normal[2], 1, 1e-5);
    ASSERT_TRUE(plane.RayCastIntersect({0, 0, -5, 1}, {0, 0, 1, 0}, &point, &normal));
    EXPECT_NEAR(normal[2], -1, 1e-5);
    EXPECT_FALSE(plane.RayCastIntersect({0, 0.6f, 5, 1}, {0, 0, -1, 0}));
    EXPECT_FALSE(plane.RayCastIntersect({0, 0, 5, 1}, {0, 0, 1, 0})); // running away

    TGLSilhouetteParameters params;
    params.CappingRequired = true;
    std::unique_ptr<TGLSilhouette> silhouette(plane.GenerateSilhouette(params));
    EXPECT_EQ(silhouette->Vertices().Count(), 4);
    EXPECT_EQ(silhouette->Indices().Count(), 8);
    EXPECT_EQ(silhouette->CapIndices().Count(), 6);
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

TEST(Cube, CubeSizePropertyAndSetters) {
    TGLCube cube;
    EXPECT_FALSE(cube.StoreCubeSize());
    cube.SetCubeWidth(2);
    cube.SetCubeDepth(0.5f);
    EXPECT_TRUE(cube.StoreCubeSize());
    EXPECT_EQ(cube.AxisAlignedDimensionsUnscaled(), (TVector{1, 0.5f, 0.25f, 0}));
    TMemoryStream stream;
    cube.WriteCubeSize(stream);
    ASSERT_EQ(stream.Size(), 12);
    float sizes[3];
    std::memcpy(sizes, stream.Memory(), 12);
    EXPECT_EQ(sizes[0], 2);
    EXPECT_EQ(sizes[1], 1);
    EXPECT_EQ(sizes[2], 0.5f);
    TGLCube read;
    stream.SetPosition(0);
    read.ReadCubeSize(stream);
    EXPECT_EQ(read.CubeWidth(), 2);
    EXPECT_EQ(read.CubeDepth(), 0.5f);

    TGLCube copy;
    cube.SetParts(CubePart(cpTop));
    cube.SetNormalDirection(ndInside);
    copy.Assign(&cube);
    EXPECT_EQ(copy.CubeWidth(), 2);
    EXPECT_EQ(copy.Parts(), CubePart(cpTop));
    EXPECT_EQ(copy.NormalDirection(), ndInside);
}

TEST(Cube, RayCast) {
    TGLCube cube;
    cube.SetCubeWidth(2);
    cube.Position()->SetPoint(5, 0, 0);
    TVector point{}, normal{};
    ASSERT_TRUE(cube.RayCastIntersect({0, 0, 0, 1}, {1, 0, 0, 0}, &point, &normal));
    EXPECT_NEAR(point[0], 4, 1e-5);
    EXPECT_NEAR(normal[0], -1, 1e-5);
    EXPECT_FALSE(cube.RayCastIntersect({0, 2, 0, 1}, {1, 0, 0, 0}));
    EXPECT_FALSE(cube.RayCastIntersect({0, 0, 0, 1}, {-1, 0, 0, 0}));
}

TEST(Dodecahedron, FacesAreFlatPentagonsWithOutwardNormals) {
    const auto& vertices = DodecahedronVertices();
    for (const auto& face : DodecahedronFaces()) {
        TAffineVector n = PlaneNormalFromPoints(vertices[size_t(face[0])], vertices[size_t(face[1])],
                                                vertices[size_t(face[2])]);
        TAffineVector centre{0, 0, 0};
        for (int index : face)
            for (size_t k = 0; k < 3; ++k)
                centre[k] += vertices[size_t(index)][k] / 5;
        EXPECT_GT(DotProduct3(n, centre), 0) << face[0];
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

TEST(PlaneCubeRender, TiledPlaneAndOneSidedCube) {
    REQUIRE_SHAPE_SCENE(s, 64, 64);
    auto* plane = s.scene.Objects()->AddNewChild<TGLPlane>();
    plane->Material()->FrontProperties()->Diffuse()->SetColor(1, 0, 0, 1);
    plane->SetStyle(PlaneStyle(psTileTexture));
    plane->SetXTiles(3);
    plane->SetYTiles(2);
    s.render();
    expectColour(s.pixel(32, 32), 255, 0, 0, "plane centre");
    expectColour(s.pixel(18, 18), 255, 0, 0, "plane corner region");
    expectColour(s.pixel(14, 32), 0, 0, 0, "outside the plane");

    plane->SetVisible(false);
    auto* cube = s.scene.Objects()->AddNewChild<TGLCube>();
    cube->Material()->FrontProperties()->Diffuse()->SetColor(0, 0, 1, 1);
    cube->SetParts(CubePart(cpBack)); // faces away from the camera: culled
    s.render();
    expectColour(s.pixel(32, 32), 0, 0, 0, "back face culled");
    cube->SetParts(CubePart(cpFront));
    s.render();
    expectColour(s.pixel(32, 32), 0, 0, 255, "front face");
}

// A library entry naming a second entry draws that entry's texture on unit 1 with the shape's own
// coordinates, alone when the entry has no texture of its own and beside it when it has one.
TEST(PlaneCubeRender, SecondTextureTakesTheShapeCoordinates) {
    REQUIRE_SHAPE_SCENE(s, 64, 64);
    if (!GLExtensions.ARB_multitexture) GTEST_SKIP() << "no multitexture here";
    TGLMaterialLibrary library;
    auto redGreen = pictureOf(8, 8, [](int x, int) {
        return x < 4 ? Rgba{255, 0, 0, 255} : Rgba{0, 255, 0, 255};
    });
    TGLLibMaterial* second = library.AddTextureMaterial("Second", redGreen.get());
    second->Material()->GetTexture()->SetMinFilter(miNearest);
    second->Material()->GetTexture()->SetMagFilter(maNearest);
    TGLLibMaterial* base = library.Materials()->Add();
    base->SetName("Base");
    base->SetTexture2Name("Second");
    base->Material()->FrontProperties()->Diffuse()->SetColor(1, 1, 1, 1);

    auto* plane = s.scene.Objects()->AddNewChild<TGLPlane>();
    plane->Material()->SetMaterialLibrary(&library);
    plane->Material()->SetLibMaterialName("Base");
    s.render();
    expectColour(s.pixel(24, 32), 255, 0, 0, "second unit only: left half");
    expectColour(s.pixel(40, 32), 0, 255, 0, "second unit only: right half");

    // Both units: a white-over-grey main texture replaced on unit 0, the second modulating it.
    auto whiteOverGrey = pictureOf(8, 8, [](int, int y) {
        return y < 4 ? Rgba{255, 255, 255, 255} : Rgba{128, 128, 128, 255};
    });
    useNearestTexture(base->Material(), *whiteOverGrey);
    s.render();
    expectColour(s.pixel(24, 40), 255, 0, 0, "both units: top left");
    expectColour(s.pixel(40, 40), 0, 255, 0, "both units: top right");
    expectColour(s.pixel(24, 24), 128, 0, 0, "both units: bottom left");
    expectColour(s.pixel(40, 24), 0, 128, 0, "both units: bottom right");

    // The single primitive of the cube goes the same way.
    plane->SetVisible(false);
    auto* cube = s.scene.Objects()->AddNewChild<TGLCube>();
    cube->SetParts(CubePart(cpFront));
    cube->Material()->SetMaterialLibrary(&library);
    cube->Material()->SetLibMaterialName("Base");
    s.render();
    expectColour(s.pixel(24, 40), 255, 0, 0, "cube: top left");
    expectColour(s.pixel(40, 24), 0, 128, 0, "cube: bottom right");
}
