#include "GLTestSupport.h"
#include "VectorGeometry.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

using namespace engine3d;
using engine3d_test::expectNear;

namespace {

TMatrix sampleMatrix() {
    return {{{2, 0, 1, 0}, {1, 3, 0, 0}, {0, 1, 4, 0}, {5, -2, 7, 1}}};
}

} // namespace

TEST(VectorGeometry, MathEpsilonIsTheDenormalSingle) {
    EXPECT_EQ(std::bit_cast<uint32_t>(MathEpsilon), 0x000116C2u);
    EXPECT_NEAR(MathEpsilon, 9.99995e-41f, 1e-45f);
}

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

TEST(VectorGeometry, AdjointTimesMatrixIsDeterminantTimesIdentity) {
    TMatrix m = sampleMatrix();
    float det = MatrixDeterminant(m);
    EXPECT_NEAR(det, 25.0f, 1e-4f);
    TMatrix adjoint = m;
    AdjointMatrix(adjoint);
    TMatrix product;
    MultiplyMatrices(m, adjoint, product);
    TMatrix expected = IdentityHmgMatrix;
    ScaleMatrix(expected, det);
    expectNear(product, expected, "", 1e-4f);
}

TEST(VectorGeometry, Determinant3x3ExpandsAlongTheFirstRow) {
    EXPECT_FLOAT_EQ(Determinant3x3(1, 0, 0, 0, 1, 0, 0, 0, 1), 1.0f);
    EXPECT_FLOAT_EQ(Determinant3x3(2, 0, 0, 0, 3, 0, 0, 0, 4), 24.0f);
    EXPECT_FLOAT_EQ(Determinant3x3(1, 2, 3, 4, 5, 6, 7, 8, 9), 0.0f);
}

TEST(VectorGeometry, TransformOfTheOriginGivesTheTranslation) {
    TMatrix m = sampleMatrix();
    TVector r = TransformVector4(NullHmgPoint, m);
    EXPECT_TRUE(VectorEquals4(r, m[3]));
    TAffineVector p = TransformVector3({0, 0, 0}, m);
    EXPECT_EQ(p, (TAffineVector{5, -2, 7}));
}

TEST(VectorGeometry, ScaleAndTranslationMatrixScalesFirst) {
    TMatrix m = CreateScaleAndTranslationMatrix({2, 3, 4, 0}, {1, -2, 5, 0});
    EXPECT_EQ(TransformVector3({1, 1, 1}, m), (TAffineVector{3, 1, 9}));
    EXPECT_EQ(m[3], (TVector{1, -2, 5, 1}));
    EXPECT_EQ(m[0], (TVector{2, 0, 0, 0}));
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

TEST(VectorGeometry, VectorProductsAndDistances) {
    EXPECT_EQ(CrossProduct3(XVector, YVector), ZVector);
    EXPECT_EQ(CrossProduct4(XHmgVector, YHmgVector), ZHmgVector);
    EXPECT_FLOAT_EQ(DotProduct3({1, 2, 3}, {4, 5, 6}), 32.0f);
    EXPECT_FLOAT_EQ(VectorLength(TAffineVector{3, 4, 12}), 13.0f);
    EXPECT_FLOAT_EQ(VectorDistance3({1, 1, 1}, {4, 5, 1}), 5.0f);
    EXPECT_FLOAT_EQ(VectorDistanceSquared3({1, 1, 1}, {4, 5, 1}), 25.0f);
    EXPECT_FLOAT_EQ(ManhattanDistance3({1, 1, 1}, {4, -5, 2}), 10.0f);
    EXPECT_FLOAT_EQ(PointPlaneDistance3({0, 0, 5}, {0, 0, 1}, ZVector), 4.0f);
    EXPECT_EQ(RemoveNormalComponent3({1, 2, 3}, ZVector), (TAffineVector{1, 2, 0}));
    EXPECT_EQ(CombineVectors3({1, 2, 3}, {0, -1, 4}, 2, 3), (TAffineVector{2, 1, 18}));
    EXPECT_FLOAT_EQ(Length2D(3, 4), 5.0f);
    TVector n = NormalizedVector4({0, 3, 4, 7});
    EXPECT_FLOAT_EQ(n[1], 0.6f);
    EXPECT_FLOAT_EQ(n[3], 0.0f);
    EXPECT_EQ(NormalizedVector3({0, 0, 0}), (TAffineVector{0, 0, 0})) << "a zero vector stays zero";
}

TEST(VectorGeometry, ArrayFormsMatchSingleForms) {
    TAffineVector a[3] = {{0, 0, 0}, {1, 2, 3}, {-1, 0, 5}};
    TAffineVector b[3] = {{2, 2, 2}, {3, 2, 1}, {1, 1, 1}};
    TAffineVector out[3];
    LerpVectorArray3(a, b, out, 3, 0.25f);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(out[i], LerpVector3(a[i], b[i], 0.25f));
    AddDeltaToVectorArray3(a, {1, 1, 1}, out, 3);
    EXPECT_EQ(out[2], (TAffineVector{0, 1, 6}));
    AddDeltaToVectorArray3(a, {1, 1, 1}, out, 0); // n = 0 does nothing
    EXPECT_EQ(out[2], (TAffineVector{0, 1, 6}));
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
                                           AngleCase{-540, -180}, AngleCase{725, 5}, AngleCase{190, -170}));

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

TEST(VectorGeometry, IntegerPower) {
    EXPECT_FLOAT_EQ(IntegerPower(2, 10), 1024);
    EXPECT_FLOAT_EQ(IntegerPower(2, -1), 0.5f);
    EXPECT_FLOAT_EQ(IntegerPower(5, 0), 1);
    EXPECT_FLOAT_EQ(IntegerPower(1, std::numeric_limits<int>::min()), 1);
}

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

TEST(VectorGeometry, ScalarHelpers) {
    EXPECT_EQ(RoundSingle(2.5f), 2.0f);
    EXPECT_EQ(ClampValue(-1, 0, 1), 0);
    EXPECT_EQ(ClampValue(2, 0, 1), 1);
    EXPECT_EQ(ClampValue(0.5f, 0, 1), 0.5f);
    EXPECT_EQ(MaxInteger(3, 7), 7);
    EXPECT_EQ(MaxInteger(7, 3), 7);
    EXPECT_NEAR(static_cast<double>(DegToRad(180)), M_PI, 1e-12);
    EXPECT_NEAR(static_cast<double>(RadToDeg(M_PI)), 180, 1e-9);
    EXPECT_NEAR(DegToRadSingle(90), 1.5707964f, 1e-6);
    EXPECT_NEAR(ReciprocalSqrt(4), 0.5f, 1e-7);
    float s, c;
    SinCosScaled(static_cast<float>(M_PI / 2), 3, s, c);
    EXPECT_NEAR(s, 3, 1e-6);
    EXPECT_NEAR(c, 0, 1e-6);
    SinCosSingle(static_cast<float>(M_PI / 6), s, c);
    EXPECT_NEAR(s, 0.5f, 1e-6);
    EXPECT_NEAR(c, 0.8660254f, 1e-6);
    EXPECT_NEAR(static_cast<double>(ArcTan2Ext(1, -1)), 3 * M_PI / 4, 1e-12);
}

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
    EXPECT_FALSE(IsSphereOutsideFrustum({0, 0, 0}, f, 0.1f));
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

TEST(VectorGeometry, SphereRayDistanceHelper) {
    // a = 5, b = 3: d = 4, e = (25 + 9 - 16) / 8 = 2.25, result sqrt(2.25^2 + 9).
    EXPECT_NEAR(SphereRayDistanceHelper(5, 3), std::sqrt(2.25f * 2.25f + 9), 1e-5);
}

TEST(VectorGeometry, ProcessorProbeSetsAFlag) {
    InitVectorGeometry();
    EXPECT_LE(Has3DNow, 1);
}
