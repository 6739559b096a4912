#include "GLSilhouette.h"
#include "GLTestSupport.h"
#include "GeometryBB.h"
#include "Spline.h"
#include "VectorLists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

using namespace engine3d;
using ::testing::HasSubstr;

TEST(VectorLists, CapacityGrowsByTheGrowDelta) {
    TVectorList list;
    std::vector<int> capacities;
    for (int i = 0; i < 33; ++i) {
        capacities.push_back(list.Capacity());
        list.Add(TVector{float(i), 0, 0, 1});
    }
    EXPECT_EQ(capacities[0], 0);
    EXPECT_EQ(capacities[1], 16);
    EXPECT_EQ(capacities[16], 16);
    EXPECT_EQ(capacities[17], 32);
    EXPECT_EQ(list.Capacity(), 48);
    EXPECT_EQ(list.Count(), 33);
    EXPECT_EQ(list[32][0], 32.0f);
}

TEST(VectorLists, GrowthZeroFillAndIndexChecks) {
    TAffineVectorList list;
    list.Add(9, 9, 9);
    list.Flush();
    list.SetCount(5);
    ASSERT_EQ(list.Count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list[i], (TAffineVector{0, 0, 0}));
    EXPECT_THROW(list[5], EListError);
    EXPECT_THROW(list.SetCount(-1), EAssertionFailed);
    TIntegerList integers;
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(integers.Add(i, i + 1, i + 2), 3 * i);
    EXPECT_EQ(integers.Count(), 18);
    EXPECT_EQ(integers.Capacity(), 32);
    EXPECT_EQ(integers.Add(100, 101), 18);
    EXPECT_EQ(integers[19], 101);
    integers.Put(0, -7);
    EXPECT_EQ(integers.Get(0), -7);
    integers.Delete(0);
    EXPECT_EQ(integers[0], 1);
    EXPECT_EQ(integers.Count(), 19);
    EXPECT_EQ(integers.Add(55), 19);
    EXPECT_EQ(integers[19], 55);
}

TEST(VectorLists, FindOrAddUsesBitwiseEquality) {
    TAffineVectorList list;
    EXPECT_EQ(list.FindOrAdd({1, 2, 3}), 0);
    EXPECT_EQ(list.FindOrAdd({0, 0, 0}), 1);
    EXPECT_EQ(list.FindOrAdd({1, 2, 3}), 0);
    EXPECT_EQ(list.FindOrAdd({-0.0f, 0, 0}), 2);
    EXPECT_EQ(list.IndexOf({5, 5, 5}), -1);
}

TEST(VectorLists, WholeListOperations) {
    TAffineVectorList a, b;
    a.Add(1, -2, 3);
    a.Add(-4, 5, 0);
    b.Add(0, 0, 1);
    b.Add(1, 1, 1);
    TAffineVector min, max;
    a.GetExtents(min, max);
    EXPECT_EQ(min, (TAffineVector{-4, -2, 0}));
    EXPECT_EQ(max, (TAffineVector{1, 5, 3}));
    EXPECT_EQ(a.Sum(), (TAffineVector{-3, 3, 3}));
    EXPECT_FLOAT_EQ(a.MaxSpacing(b), 5 + 4 + 1);
    a.Translate({1, 1, 1});
    EXPECT_EQ(a[0], (TAffineVector{2, -1, 4}));
    a.Combine(b, 2);
    EXPECT_EQ(a[1], (TAffineVector{-1, 8, 3}));
    a.SubtractVectors(b);
    EXPECT_EQ(a[1], (TAffineVector{-2, 7, 2}));
    b.Add(0, 0, 0);
    EXPECT_THAT([&] { a.MaxSpacing(b); }, ::testing::ThrowsMessage<EAssertionFailed>(
                                              HasSubstr("engine3d\\Source\\Base\\VectorLists, line ")));
    TVectorList empty;
    empty.GetExtents(min, max);
    EXPECT_GT(min[0], max[0]) << "an empty list has inverted extents";
}

TEST(VectorLists, LerpIntoOneOfItsInputs) {
    TVectorList a, b, r;
    a.Add(TVector{0, 0, 0, 0});
    b.Add(TVector{4, 8, -4, 2});
    r.Lerp(a, b, 0.25f);
    ASSERT_EQ(r.Count(), 1);
    EXPECT_EQ(r[0], (TVector{1, 2, -1, 0.5f}));
    TAffineVectorList affine;
    affine.Add(1, 1, 1);
    EXPECT_THROW(r.Lerp(a, affine, 0.5f), EAssertionFailed);
    // The receiver may be one of the inputs: its items are read before they are overwritten.
    TAffineVectorList c1, c2;
    c1.Add(2, 4, 6);
    c2.Add(4, 8, 10);
    c2.Lerp(c1, c2, 0.5f);
    ASSERT_EQ(c2.Count(), 1);
    EXPECT_EQ(c2[0], (TAffineVector{3, 6, 8}));
    b.Lerp(b, a, 0.5f);
    ASSERT_EQ(b.Count(), 1);
    EXPECT_EQ(b[0], (TVector{2, 4, -2, 1}));
}

TEST(VectorLists, AssignNeedsTheSameItemSize) {
    TSingleList singles;
    singles.Add(1.5f);
    singles.Add(2.5f);
    TIntegerList integers;
    integers.Assign(&singles); // four-byte items both: the bits are copied
    EXPECT_EQ(integers.Count(), 2);
    TVectorList vectors;
    EXPECT_THROW(vectors.Assign(&singles), EConvertError);
    TSingleList copy;
    copy.Assign(&singles);
    EXPECT_EQ(copy[1], 2.5f);
}

TEST(VectorLists, ArchiveRoundTripAndVersionCheck) {
    TVectorList list;
    list.Add(TVector{1, 2, 3, 4});
    list.AddPoint(5, 6, 7);
    std::string saved = list.SaveToString();
    TVectorList loaded;
    loaded.LoadFromString(saved);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded[1], (TVector{5, 6, 7, 1}));
    std::string badVersion = saved;
    badVersion[1] = 2; // the first integer is the archive version
    EXPECT_EQ(engine3d_test::messageOf<EFilerException>([&] { loaded.LoadFromString(badVersion); }),
              "TVectorList : unknown archive version 2");
}

TEST(VectorLists, ExternalMemoryIsNeverFreed) {
    std::vector<float> block = {1, 2, 3};
    {
        TSingleList list;
        list.UseMemory(block.data(), 3);
        list.SetCount(3);
        EXPECT_EQ(list[2], 0.0f) << "new items are zero-filled";
        list.Put(0, 9);
        list.Add(4); // grows: the borrowed block is left alone
    }
    EXPECT_EQ(block[0], 9.0f);
}

TEST(SortByKeyList, SortsKeysAndObjectsTogether) {
    TSingleList keys;
    TPersistentObjectList objects;
    TObject a, b, c;
    for (float k : {3.0f, 1.0f, 2.0f})
        keys.Add(k);
    objects.Add(&a);
    objects.Add(&b);
    objects.Add(&c);
    SortByKeyList(keys, objects);
    EXPECT_EQ(keys[0], 1.0f);
    EXPECT_EQ(keys[1], 2.0f);
    EXPECT_EQ(keys[2], 3.0f);
    EXPECT_EQ(objects[0], &b);
    EXPECT_EQ(objects[1], &c);
    EXPECT_EQ(objects[2], &a);
}

TEST(SortByKeyList, ObjectsMoveWithTheirSortedKeys) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> distance(0, 1000);
    for (int n : {0, 1, 2, 5, 64, 257}) {
        TSingleList keys;
        TPersistentObjectList objects;
        std::vector<TObject> items(static_cast<size_t>(n));
        std::map<TObject*, float> keyOf;
        for (int i = 0; i < n; ++i) {
            float k = (i % 7 == 0) ? 5.0f : distance(random);
            keys.Add(k);
            objects.Add(&items[static_cast<size_t>(i)]);
            keyOf[&items[static_cast<size_t>(i)]] = k;
        }
        SortByKeyList(keys, objects);
        std::set<TObject*> seen;
        for (int i = 0; i < n; ++i) {
            EXPECT_LE(keys[std::max(i - 1, 0)], keys[i]);
            EXPECT_EQ(static_cast<TSingleList&>(keys)[i], keys.List()[i]);
            EXPECT_EQ(keyOf.at(objects[i]), keys[i]) << "object moved with its key";
            seen.insert(objects[i]);
        }
        EXPECT_EQ(seen.size(), static_cast<size_t>(n));
    }
}

struct SplineCase {
    std::vector<float> values;
    float t, expected;
};
class CubicSplineTest : public ::testing::TestWithParam<SplineCase> {};
TEST_P(CubicSplineTest, ValueAt) {
    const SplineCase& c = GetParam();
    TCubicSpline spline(c.values.data(), nullptr, nullptr, nullptr, static_cast<int>(c.values.size()));
    EXPECT_NEAR(spline.SplineX(c.t), c.expected, 1e-5f);
    EXPECT_EQ(spline.SplineY(c.t), 0.0f) << "an empty channel is 0";
}
INSTANTIATE_TEST_SUITE_P(Knots, CubicSplineTest,
                         ::testing::Values(SplineCase{{0, 1, 0}, 0, 0}, SplineCase{{0, 1, 0}, 1, 1},
                                           SplineCase{{0, 1, 0}, 2, 0}, SplineCase{{2, -1, 4, 3, 0}, 3, 3},
                                           SplineCase{{2, -1, 4, 3, 0}, 1, -1},
                                           SplineCase{{2, -1, 4, 3, 0}, 4, 0},
                                           SplineCase{{0, 1, 2, 3}, 1.5f, 1.5f}, SplineCase{{5, 7}, 0.5f, 6},
                                           SplineCase{{4}, 0, 4}, SplineCase{{4}, 3, 4},
                                           SplineCase{{0, 1, 2, 3}, -1, -1}, SplineCase{{0, 1, 2, 3}, 4, 4}));

TEST(CubicSpline, PointEvaluationAndSymmetry) {
    float x[] = {0, 1, 0}, y[] = {1, 2, 3}, z[] = {0, 0, 0};
    TCubicSpline spline(x, y, z, nullptr, 3);
    EXPECT_NEAR(spline.SplineX(0.5f), spline.SplineX(1.5f), 1e-6f);
    TAffineVector p = spline.SplineAffineVector(2);
    EXPECT_NEAR(p[1], 3, 1e-5f);
    EXPECT_EQ(spline.SplineW(1), 0.0f);
    TCubicSpline none(nullptr, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(none.SplineX(0.5f), 0.0f);
}

// ---- Silhouettes and boxes --------------------------------------------------------------------------

namespace {

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

// Every vertex of a closed loop of edges appears exactly twice.
bool isClosedLoop(const TIntegerList& indices) {
    std::map<int, int> uses;
    for (int i = 0; i < indices.Count(); ++i)
        ++uses[indices[i]];
    return std::all_of(uses.begin(), uses.end(), [](auto& u) { return u.second == 2; });
}

} // namespace

struct SilhouetteCase {
    TAffineVector seenFrom;
    int edges;
};
class CubeSilhouetteTest : public ::testing::TestWithParam<SilhouetteCase> {};
TEST_P(CubeSilhouetteTest, ClosedLoopOfEdges) {
    for (bool precompute : {false, true}) {
        TConnectivity connectivity(precompute);
        addCube(connectivity);
        ASSERT_EQ(connectivity.FaceCount(), 12);
        ASSERT_EQ(connectivity.EdgeCount(), 18);
        TGLSilhouetteParameters parameters;
        parameters.SeenFrom = GetParam().seenFrom;
        TGLSilhouette* silhouette = nullptr;
        connectivity.CreateSilhouette(parameters, silhouette, false);
        ASSERT_NE(silhouette, nullptr);
        EXPECT_EQ(silhouette->Indices().Count(), 2 * GetParam().edges);
        EXPECT_TRUE(isClosedLoop(silhouette->Indices()));
        EXPECT_EQ(silhouette->Vertices().Count(), GetParam().edges);
        EXPECT_EQ(silhouette->Vertices()[0][3], 1.0f);
        EXPECT_EQ(silhouette->CapIndices().Count(), 0);
        delete silhouette;
    }
}
INSTANTIATE_TEST_SUITE_P(Views, CubeSilhouetteTest,
                         ::testing::Values(SilhouetteCase{{0, 0, 5}, 4}, SilhouetteCase{{0, 0, 1}, 4},
                                           SilhouetteCase{{3, 3, 3}, 6}, SilhouetteCase{{0, 4, 4}, 6}));

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

TEST(GeometryBB, BoxRoutines) {
    TAABB box;
    SetAABB(box, {-1, 2, -3, 0});
    EXPECT_EQ(box.max, (TAffineVector{1, 2, 3}));
    EXPECT_EQ(box.min, (TAffineVector{-1, -2, -3}));
    AddAABB(box, {{-5, 0, 0}, {0, 0, 9}});
    EXPECT_EQ(box.min[0], -5);
    EXPECT_EQ(box.max[2], 9);
    AABBInclude(box, {7, -8, 0});
    EXPECT_EQ(box.max[0], 7);
    EXPECT_EQ(box.min[1], -8);
    AABBScale(box, {2, 1, 1});
    EXPECT_EQ(box.max[0], 14);

    TAABB unit = {{-1, -1, -1}, {1, 1, 1}};
    TMatrix m = CreateRotationMatrix(TAffineVector{0, 0, 1}, static_cast<float>(M_PI / 4));
    m[3] = {10, 0, 0, 1};
    AABBTransform(unit, m);
    EXPECT_NEAR(unit.max[0], 10 + 1.41421f, 1e-4);
    EXPECT_NEAR(unit.min[1], -1.41421f, 1e-4);
    EXPECT_NEAR(unit.max[2], 1, 1e-6);
}
