#include "GLTestSupport.h"
#include "VectorGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace engine3d;
using engine3d_test::expectNear;

namespace {

TMatrix sampleMatrix() {
    return {{{2, 0, 1, 0}, {1, 3, 0, 0}, {0, 1, 4, 0}, {5, -2, 7, 1}}};
}

} // namespace

TEST(VectorGeometry, GeneralSingularAndAnglePreservingInverses) {
    TMatrix m = sampleMatrix();
    TMatrix inverse = m;
    InvertMatrix(inverse);
    TMatrix product;
    MultiplyMatrices(m, inverse, product);
    expectNear(product, IdentityHmgMatrix);

    TMatrix singular = {{{1, 2, 3, 4}, {2, 4, 6, 8}, {0, 1, 0, 0}, {0, 0, 1, 0}}};
    ASSERT_EQ(MatrixDeterminant(singular), 0.0f);
    InvertMatrix(singular);
    expectNear(singular, IdentityHmgMatrix, "", 0);
    TMatrix zeroRow = sampleMatrix();
    zeroRow[0] = {0, 0, 0, 0};
    expectNear(InvertAnglePreservingMatrix(zeroRow), IdentityHmgMatrix, "", 0);

    // Rotation, uniform scale 2 and a translation: the fast inverse agrees with the general one.
    m = CreateRotationMatrix(TAffineVector{1, 2, 3}, 0.7f);
    ScaleMatrix(m, 2.0f);
    m[3] = {4, -5, 6, 1};
    inverse = m;
    InvertMatrix(inverse);
    expectNear(InvertAnglePreservingMatrix(m), inverse, "", 1e-5f);
}

TEST(VectorGeometry, MultiplyMatricesSafeMayWriteOverAnOperand) {
    TMatrix a = sampleMatrix();
    TMatrix b = CreateRotationMatrix(TAffineVector{0, 0, 1}, 0.5f);
    TMatrix expected;
    MultiplyMatrices(a, b, expected);
    MultiplyMatricesSafe(a, b, a);
    expectNear(a, expected, "", 0);
}

TEST(VectorGeometry, RotationFollowsRowVectorConvention) {
    TMatrix m = CreateRotationMatrix(TAffineVector{0, 0, 2}, static_cast<float>(M_PI / 2));
    TAffineVector r = TransformVector3({1, 0, 0}, m);
    EXPECT_NEAR(r[0], 0, 1e-6);
    EXPECT_NEAR(r[1], -1, 1e-6);
    EXPECT_NEAR(r[2], 0, 1e-6);
}

// Rows 0 and 1 need not be perpendicular: the third row must be normalised too.
TEST(VectorGeometry, NormalizeMatrixOrthonormalisesAndDropsTranslation) {
    TMatrix m = {{{2, 0.1f, 0, 5}, {0.2f, 3, 0, 1}, {9, 9, 9, 9}, {1, 2, 3, 1}}};
    NormalizeMatrix(m);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(VectorLength(m[i]), 1.0f, 1e-6);
        for (int j = i + 1; j < 3; ++j)
            EXPECT_NEAR(DotProduct4(m[i], m[j]), 0.0f, 1e-6);
    }
    EXPECT_TRUE(VectorEquals4(m[3], NullHmgPoint));
}

TEST(VectorGeometry, BitwiseEqualityAndNullTest) {
    EXPECT_FALSE(VectorEquals4({0, 0, 0, 0}, {-0.0f, 0, 0, 0}));
    EXPECT_TRUE(VectorEquals4({1, 2, 3, 4}, {1, 2, 3, 4}));
    EXPECT_FALSE(VectorEquals3({0, 0, 0}, {0, -0.0f, 0}));
    EXPECT_TRUE(VectorIsNull3({-0.0f, 0, 0}));
    EXPECT_FALSE(VectorIsNull3({0, 1e-30f, 0}));
}

struct AngleCase {
    float in, out;
};
class NormalizeDegAngleTest : public ::testing::TestWithParam<AngleCase> {};
TEST_P(NormalizeDegAngleTest, MapsIntoTheHalfOpenRange) {
    EXPECT_FLOAT_EQ(NormalizeDegAngle(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Angles, NormalizeDegAngleTest,
                         ::testing::Values(AngleCase{540, 180}, AngleCase{-190, 170}, AngleCase{180, 180},
                                           AngleCase{-180, -180}, AngleCase{370, 10}, AngleCase{90, 90},
                                           AngleCase{-540, -180}, AngleCase{725, 5}));

struct PowerCase {
    float base, exponent, result;
};
class PowerSingleTest : public ::testing::TestWithParam<PowerCase> {};
TEST_P(PowerSingleTest, Value) {
    float got = PowerSingle(GetParam().base, GetParam().exponent);
    EXPECT_TRUE(got == GetParam().result || std::fabs(got - GetParam().result) <= 1e-5f) << got;
}
INSTANTIATE_TEST_SUITE_P(Powers, PowerSingleTest,
                         ::testing::Values(PowerCase{0, 0, 1}, PowerCase{0, 2, 0}, PowerCase{2, -2, 0.25f},
                                           PowerCase{2, 0.5f, 1.41421356f}, PowerCase{3, 3, 27},
                                           PowerCase{-2, 3, -8}, PowerCase{10, 0, 1},
                                           PowerCase{2, 2147483648.0f, HUGE_VALF}));

struct RoundCase {
    float in;
    int rounded, truncated;
};
class RoundingTest : public ::testing::TestWithParam<RoundCase> {};
TEST_P(RoundingTest, NearestEvenAndTowardZero) {
    EXPECT_EQ(RoundToInt(GetParam().in), GetParam().rounded);
    EXPECT_EQ(TruncSingle(GetParam().in), GetParam().truncated);
    EXPECT_EQ(IntTruncate(GetParam().in), GetParam().truncated);
}
constexpr int kIndefinite = std::numeric_limits<int>::min();
INSTANTIATE_TEST_SUITE_P(
    Rounding, RoundingTest,
    ::testing::Values(RoundCase{0.5f, 0, 0}, RoundCase{1.5f, 2, 1}, RoundCase{2.5f, 2, 2},
                      RoundCase{-1.5f, -2, -1}, RoundCase{-1.9f, -2, -1}, RoundCase{1.9f, 2, 1},
                      RoundCase{3e9f, kIndefinite, kIndefinite}, RoundCase{-3e9f, kIndefinite, kIndefinite},
                      RoundCase{std::numeric_limits<float>::quiet_NaN(), kIndefinite, kIndefinite}));

TEST(VectorGeometry, FrustumOfIdentityIsTheUnitCubeAndCulls) {
    TFrustum f = ExtractFrustumPlanes(IdentityHmgMatrix);
    EXPECT_EQ(f.pLeft, (TVector{1, 0, 0, 1}));
    EXPECT_EQ(f.pRight, (TVector{-1, 0, 0, 1}));
    EXPECT_EQ(f.pTop, (TVector{0, -1, 0, 1}));
    EXPECT_EQ(f.pBottom, (TVector{0, 1, 0, 1}));
    EXPECT_EQ(f.pNear, (TVector{0, 0, 1, 1}));
    EXPECT_EQ(f.pFar, (TVector{0, 0, -1, 1}));
    // Centre at distance -1 from the left plane: touching at -radius is not outside.
    EXPECT_FALSE(IsSphereOutsideFrustum({-2, 0, 0}, f, 1.0f));
    EXPECT_TRUE(IsSphereOutsideFrustum({-2, 0, 0}, f, 0.99f));
    EXPECT_TRUE(IsBoxOutsideFrustum({5, 5, 5}, {6, 6, 6}, f));
    EXPECT_FALSE(IsBoxOutsideFrustum({-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, f));
}

struct RayCase {
    TVector start;
    int hits;
    TVector i1, i2;
};
class RaySphereTest : public ::testing::TestWithParam<RayCase> {};
TEST_P(RaySphereTest, Intersections) {
    TVector i1 = NullHmgVector, i2 = NullHmgVector;
    const RayCase& c = GetParam();
    ASSERT_EQ(RaySphereIntersect(c.start, XHmgVector, NullHmgPoint, 2.0f, i1, i2), c.hits);
    for (int k = 0; k < 3 && c.hits >= 1; ++k) {
        EXPECT_NEAR(i1[k], c.i1[k], 1e-5);
    }
    for (int k = 0; k < 3 && c.hits == 2; ++k) {
        EXPECT_NEAR(i2[k], c.i2[k], 1e-5);
    }
}
INSTANTIATE_TEST_SUITE_P(
    Rays, RaySphereTest,
    ::testing::Values(RayCase{{-5, 0, 0, 1}, 2, {-2, 0, 0, 1}, {2, 0, 0, 1}},
                      RayCase{{0, 0, 0, 1}, 1, {2, 0, 0, 1}, {}}, // from inside: the exit point
                      RayCase{{-5, 3, 0, 1}, 0, {}, {}}, RayCase{{-5, 2, 0, 1}, 1, {0, 2, 0, 1}, {}},
                      RayCase{{5, 0, 0, 1}, 0, {}, {}}));
