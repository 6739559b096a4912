// Silhouettes of connected meshes: capping, adding to an existing outline, and how a second face joins an
// edge.
#include "GLSilhouette.h"

#include <gtest/gtest.h>

using namespace engine3d;

namespace {

// The six faces of the cube -1..1 as quads, each wound counter-clockwise seen from outside.
void addCube(TConnectivity& connectivity) {
    const TAffineVector quads[6][4] = {{{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
                                       {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
                                       {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},
                                       {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
                                       {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},
                                       {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}};
    for (const auto& q : quads)
        connectivity.AddQuad(q[0], q[1], q[2], q[3]);
}

} // namespace

TEST(Connectivity, CappingAndReuse) {
    TConnectivity connectivity;
    addCube(connectivity);
    TGLSilhouetteParameters parameters;
    parameters.SeenFrom = {0, 0, 5};
    parameters.CappingRequired = true;
    TGLSilhouette silhouette;
    TGLSilhouette* target = &silhouette;
    connectivity.CreateSilhouette(parameters, target, false);
    EXPECT_EQ(silhouette.CapIndices().Count(), 30) << "ten hidden triangles";
    EXPECT_EQ(silhouette.Vertices().Count(), 8);
    connectivity.CreateSilhouette(parameters, target, true);
    EXPECT_EQ(silhouette.Indices().Count(), 16) << "added to the existing silhouette";
    connectivity.CreateSilhouette(parameters, target, false);
    EXPECT_EQ(silhouette.Indices().Count(), 8);
}

TEST(Connectivity, SecondFaceJoinsAnEdgeWithoutTurningIt) {
    TConnectivity connectivity;
    connectivity.Vertices().Add(0, 0, 0);
    connectivity.Vertices().Add(1, 0, 0);
    connectivity.Vertices().Add(0, 1, 0);
    EXPECT_EQ(connectivity.AddIndexedEdge(0, 1, 0), 0);
    EXPECT_EQ(connectivity.AddIndexedEdge(1, 2, 0), 1);
    EXPECT_EQ(connectivity.AddIndexedEdge(1, 0, 5), 1) << "2 e + 1 for edge 0";
    EXPECT_EQ(connectivity.EdgeVertices()[0], 0);
    EXPECT_EQ(connectivity.EdgeVertices()[1], 1);
    EXPECT_EQ(connectivity.EdgeFaces()[1], 5);
    EXPECT_EQ(connectivity.EdgeFaces()[3], -1);
    connectivity.Clear();
    EXPECT_EQ(connectivity.EdgeCount(), 0);
}
