// Single-precision vector and matrix math. Vectors are row vectors (v times M), so a transform's
// translation stands in row 3; matrices go to glLoadMatrixf exactly as stored.
#pragma once

#include <array>
#include <cstdint>

namespace engine3d {

using TAffineVector = std::array<float, 3>;
using TVector = std::array<float, 4>;
using TMatrix = std::array<TVector, 4>;
using TTexPoint = std::array<float, 2>;
static_assert(sizeof(TMatrix) == 16 * sizeof(float), "a matrix is 16 packed singles");

constexpr int X = 0;
constexpr int Y = 1;
constexpr int Z = 2;
constexpr int W = 3;

// Planes (a, b, c, d) in the order left, top, right, bottom, near, far.
struct TFrustum {
    TVector pLeft, pTop, pRight, pBottom, pNear, pFar;
};

constexpr TMatrix IdentityHmgMatrix = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
constexpr TVector NullHmgVector = {0, 0, 0, 0};
constexpr TVector NullHmgPoint = {0, 0, 0, 1};
constexpr TVector XHmgVector = {1, 0, 0, 0};
constexpr TVector YHmgVector = {0, 1, 0, 0};
constexpr TVector ZHmgVector = {0, 0, 1, 0};
constexpr TAffineVector NullVector = {0, 0, 0};
constexpr TAffineVector XVector = {1, 0, 0};
constexpr TAffineVector YVector = {0, 1, 0};
constexpr TAffineVector ZVector = {0, 0, 1};
constexpr TAffineVector XYZVector = {1, 1, 1};

constexpr float cOne = 1.0f;
constexpr float cZero = 0.0f;
constexpr float cPIdiv180 = 0.017453292f;
constexpr float cInv360 = 1.0f / 360.0f;
constexpr float c180 = 180.0f;
constexpr float c360 = 360.0f;
constexpr long double cPIdiv180Ext = 0.017453292519943295769236907684886L;
constexpr long double c180divPIExt = 57.295779513082320876798154814105L;
// A denormal single (bits 0x000116C2) below which a determinant or squared scale counts as zero.
extern const float MathEpsilon;

// Set once at start-up from the processor's extended CPUID leaf; the routines have one path only.
extern uint8_t Has3DNow;
void InitVectorGeometry();

// Making and copying.
TAffineVector MakeVector3(float x, float y, float z);
void MakeVector3(TAffineVector& v, float x, float y, float z);
void CopyVector3(const TAffineVector& src, TAffineVector& dst);
void CopyVector4(const TVector& src, TVector& dst);
TVector MakeVector4(float x, float y, float z, float w);
void MakeVector4(TVector& v, float x, float y, float z, float w);
TVector MakeVector4FromVector3(const TAffineVector& v, float w);
TVector MakePoint4(float x, float y, float z);
TVector PointFromVector3(const TAffineVector& v);
TVector DirectionFromVector3(const TAffineVector& v);
void ZeroVector4(TVector& v);

// Arithmetic.
TAffineVector AddVectors3(const TAffineVector& a, const TAffineVector& b);
TVector AddVectors4(const TVector& a, const TVector& b);
void AddToVector3(TAffineVector& a, const TAffineVector& b);
void AddDeltaToVectorArray3(const TAffineVector* in, const TAffineVector& delta, TAffineVector* out, int n);
TAffineVector SubtractVectors3(const TAffineVector& a, const TAffineVector& b);
TVector SubtractVectors4(const TVector& a, const TVector& b);
void SubtractFromVector3(TAffineVector& a, const TAffineVector& b);
void SubtractFromVector4(TVector& a, const TVector& b);
void AddScaledVector3(TAffineVector& v, const TAffineVector& w, float f);
TVector AddScaledVector4(const TVector& a, const TVector& b, float f);
TAffineVector CombineVectors3(const TAffineVector& a, const TAffineVector& b, float f, float g);
TAffineVector NegatedVector3(const TAffineVector& v);
TVector NegatedVector4(const TVector& v);
void NegateVector3(TAffineVector& v);
void ScaleVector3(TAffineVector& v, float f);
void ScaleVector4(TVector& v, float f);
TAffineVector ScaledVector3(const TAffineVector& v, float f);
TVector ScaledVector4(const TVector& v, float f);
void MultiplyVector3(TAffineVector& a, const TAffineVector& b);
void MultiplyVector4(TVector& a, const TVector& b);
void AbsVector4(TVector& v);
void MaxVector4(TVector& a, const TVector& b);
TAffineVector LerpVector3(const TAffineVector& a, const TAffineVector& b, float t);
TVector LerpVector4(const TVector& a, const TVector& b, float t);
void LerpVectorArray3(const TAffineVector* a, const TAffineVector* b, TAffineVector* out, int n, float t);
void LerpVectorArray4(const TVector* a, const TVector* b, TVector* out, int n, float t);

// Products, lengths, distances, comparisons.
float DotProduct3(const TAffineVector& a, const TAffineVector& b);
float DotProduct4(const TVector& a, const TVector& b);
TAffineVector CrossProduct3(const TAffineVector& a, const TAffineVector& b);
TVector CrossProduct4(const TVector& a, const TVector& b);
float PointPlaneDistance3(const TAffineVector& p, const TAffineVector& planePoint,
                          const TAffineVector& planeNormal);
float Length2D(float x, float y);
float VectorLength(const TAffineVector& v);
float VectorLength(const TVector& v);
float VectorNorm3(const TAffineVector& v);
float VectorNorm3(const TVector& v);
void NormalizeVector3(TAffineVector& v);
TAffineVector NormalizedVector3(const TAffineVector& v);
void NormalizeVectorArray3(TAffineVector* list, int n);
void NormalizeVector(TVector& v);
TVector NormalizedVector4(const TVector& v);
TAffineVector RemoveNormalComponent3(const TAffineVector& v, const TAffineVector& n);
float VectorDistance3(const TAffineVector& a, const TAffineVector& b);
float VectorDistanceSquared3(const TAffineVector& a, const TAffineVector& b);
float ManhattanDistance3(const TAffineVector& a, const TAffineVector& b);
bool VectorEquals3(const TAffineVector& a, const TAffineVector& b);
bool VectorEquals4(const TVector& a, const TVector& b);
bool VectorIsNull3(const TAffineVector& v);

// Matrices.
TMatrix CreateScaleAndTranslationMatrix(const TVector& scale, const TVector& offset);
TMatrix CreateRotationMatrix(const TAffineVector& axis, float angle);
TMatrix CreateRotationMatrix(const TVector& axis, float angle);
// result must not alias a or b.
void MultiplyMatrices(const TMatrix& a, const TMatrix& b, TMatrix& result);
void MultiplyMatricesSafe(const TMatrix& a, const TMatrix& b, TMatrix& result);
TVector TransformVector4(const TVector& v, const TMatrix& m);
TAffineVector TransformVector3(const TAffineVector& v, const TMatrix& m);
float Determinant3x3(float a1, float a2, float a3, float b1, float b2, float b3, float c1, float c2,
                     float c3);
float MatrixDeterminant(const TMatrix& m);
void AdjointMatrix(TMatrix& m);
void ScaleMatrix(TMatrix& m, float f);
void TransposeMatrix(TMatrix& m);
void NormalizeMatrix(TMatrix& m);
void InvertMatrix(TMatrix& m);
TMatrix InvertAnglePreservingMatrix(const TMatrix& m);

// Planes, frustum and intersection.
TAffineVector PlaneNormalFromPoints(const TAffineVector& p1, const TAffineVector& p2,
                                    const TAffineVector& p3);
void NormalizePlane(TVector& plane);
float PlaneEvaluatePoint(const TVector& plane, const TAffineVector& point);
TFrustum ExtractFrustumPlanes(const TMatrix& modelViewProjection);
bool IsSphereOutsideFrustum(const TAffineVector& centre, const TFrustum& frustum, float radius);
bool IsBoxOutsideFrustum(const TAffineVector& min, const TAffineVector& max, const TFrustum& frustum);
int RaySphereIntersect(const TVector& rayStart, const TVector& rayVector, const TVector& sphereCenter,
                       float sphereRadius, TVector& i1, TVector& i2);
float SphereRayDistanceHelper(float a, float b);

// Scalars.
float PowerSingle(float base, float exponent);
float IntegerPower(float base, int exponent);
long double DegToRad(long double degrees);
long double RadToDeg(long double radians);
float DegToRadSingle(float degrees);
float NormalizeDegAngle(float angle);
void SinCos(long double theta, long double& sine, long double& cosine);
void SinCosSingle(float theta, float& sine, float& cosine);
void SinCosScaled(float theta, float radius, float& sine, float& cosine);
long double ArcTan2Ext(long double y, long double x);
long double TanExt(long double x);
float ReciprocalSqrt(float v);
float RoundSingle(float v);
int RoundToInt(float v);
// Toward zero; out of the 32-bit range (or NaN) the x87 answer -2147483648.
int TruncSingle(float v);
int IntTruncate(float v);
int MaxInteger(int a, int b);
float ClampValue(float v, float min, float max);

} // namespace engine3d
