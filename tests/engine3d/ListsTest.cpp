#include "GLSilhouette.h"
#include "GLTestSupport.h"
#include "GeometryBB.h"
#include "VectorLists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

using namespace engine3d;

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
    integers.Delete(0);
    EXPECT_EQ(integers[0], 1);
}

TEST(VectorLists, LerpIntoOneOfItsInputs) {
    TVectorList a, b, r;
    a.Add(TVector{0, 0, 0, 0});
    b.Add(TVector{4, 8, -4, 2});
    r.Lerp(a, b, 0.25f);
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
            EXPECT_EQ(keyOf.at(objects[i]), keys[i]) << "object moved with its key";
            seen.insert(objects[i]);
        }
        EXPECT_EQ(seen.size(), static_cast<size_t>(n));
    }
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
