#include "VectorGeometry.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace engine3d {

const float MathEpsilon = std::bit_cast<float>(uint32_t{0x000116C2});
uint8_t Has3DNow = 0;

void InitVectorGeometry() {
    Has3DNow = 0;
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    unsigned int highest = __get_cpuid_max(0x80000000u, nullptr);
    if (highest > 0x80000000u && __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx))
        Has3DNow = (edx >> 31) & 1u;
#endif
}

// ---- Making and copying -----------------------------------------------------------------------------

TAffineVector MakeVector3(float x, float y, float z) {
    return {x, y, z};
}
void MakeVector3(TAffineVector& v, float x, float y, float z) {
    v = {x, y, z};
}
void CopyVector3(const TAffineVector& src, TAffineVector& dst) {
    dst = src;
}
void CopyVector4(const TVector& src, TVector& dst) {
    dst = src;
}
TVector MakeVector4(float x, float y, float z, float w) {
    return {x, y, z, w};
}
void MakeVector4(TVector& v, float x, float y, float z, float w) {
    v = {x, y, z, w};
}
TVector MakeVector4FromVector3(const TAffineVector& v, float w) {
    return {v[0], v[1], v[2], w};
}
TVector MakePoint4(float x, float y, float z) {
    return {x, y, z, 1.0f};
}
TVector PointFromVector3(const TAffineVector& v) {
    return {v[0], v[1], v[2], 1.0f};
}
TVector DirectionFromVector3(const TAffineVector& v) {
    return {v[0], v[1], v[2], 0.0f};
}
void ZeroVector4(TVector& v) {
    v = {0, 0, 0, 0};
}

// ---- Arithmetic -------------------------------------------------------------------------------------

TAffineVector AddVectors3(const TAffineVector& a, const TAffineVector& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
TVector AddVectors4(const TVector& a, const TVector& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2], a[3] + b[3]};
}
void AddToVector3(TAffineVector& a, const TAffineVector& b) {
    a = AddVectors3(a, b);
}

void AddDeltaToVectorArray3(const TAffineVector* in, const TAffineVector& delta, TAffineVector* out, int n) {
    for (int i = 0; i < n; ++i)
        out[i] = AddVectors3(in[i], delta);
}

TAffineVector SubtractVectors3(const TAffineVector& a, const TAffineVector& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
TVector SubtractVectors4(const TVector& a, const TVector& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2], a[3] - b[3]};
}
void SubtractFromVector3(TAffineVector& a, const TAffineVector& b) {
    a = SubtractVectors3(a, b);
}
void SubtractFromVector4(TVector& a, const TVector& b) {
    a = SubtractVectors4(a, b);
}

void AddScaledVector3(TAffineVector& v, const TAffineVector& w, float f) {
    for (int i = 0; i < 3; ++i)
        v[i] += w[i] * f;
}
TVector AddScaledVector4(const TVector& a, const TVector& b, float f) {
    return {a[0] + b[0] * f, a[1] + b[1] * f, a[2] + b[2] * f, a[3] + b[3] * f};
}
TAffineVector CombineVectors3(const TAffineVector& a, const TAffineVector& b, float f, float g) {
    return {f * a[0] + g * b[0], f * a[1] + g * b[1], f * a[2] + g * b[2]};
}
TAffineVector NegatedVector3(const TAffineVector& v) {
    return {-v[0], -v[1], -v[2]};
}
TVector NegatedVector4(const TVector& v) {
    return {-v[0], -v[1], -v[2], -v[3]};
}
void NegateVector3(TAffineVector& v) {
    v = NegatedVector3(v);
}
void ScaleVector3(TAffineVector& v, float f) {
    v = ScaledVector3(v, f);
}
void ScaleVector4(TVector& v, float f) {
    v = ScaledVector4(v, f);
}
TAffineVector ScaledVector3(const TAffineVector& v, float f) {
    return {v[0] * f, v[1] * f, v[2] * f};
}
TVector ScaledVector4(const TVector& v, float f) {
    return {v[0] * f, v[1] * f, v[2] * f, v[3] * f};
}
void MultiplyVector3(TAffineVector& a, const TAffineVector& b) {
    for (int i = 0; i < 3; ++i)
        a[i] *= b[i];
}
void MultiplyVector4(TVector& a, const TVector& b) {
    for (int i = 0; i < 4; ++i)
        a[i] *= b[i];
}
void AbsVector4(TVector& v) {
    for (float& c : v)
        c = std::fabs(c);
}
void MaxVector4(TVector& a, const TVector& b) {
    for (int i = 0; i < 4; ++i)
        if (b[i] > a[i]) a[i] = b[i];
}
TAffineVector LerpVector3(const TAffineVector& a, const TAffineVector& b, float t) {
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}
TVector LerpVector4(const TVector& a, const TVector& b, float t) {
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t,
            a[3] + (b[3] - a[3]) * t};
}
void LerpVectorArray3(const TAffineVector* a, const TAffineVector* b, TAffineVector* out, int n, float t) {
    for (int i = 0; i < n; ++i)
        out[i] = LerpVector3(a[i], b[i], t);
}
void LerpVectorArray4(const TVector* a, const TVector* b, TVector* out, int n, float t) {
    for (int i = 0; i < n; ++i)
        out[i] = LerpVector4(a[i], b[i], t);
}

// ---- Products, lengths, distances -------------------------------------------------------------------

float DotProduct3(const TAffineVector& a, const TAffineVector& b) {
    return static_cast<float>(double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2]);
}
float DotProduct4(const TVector& a, const TVector& b) {
    return static_cast<float>(double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2] +
                              double(a[3]) * b[3]);
}
TAffineVector CrossProduct3(const TAffineVector& a, const TAffineVector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
TVector CrossProduct4(const TVector& a, const TVector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0], 0.0f};
}
float PointPlaneDistance3(const TAffineVector& p, const TAffineVector& planePoint,
                          const TAffineVector& planeNormal) {
    return DotProduct3(SubtractVectors3(p, planePoint), planeNormal);
}
float Length2D(float x, float y) {
    return static_cast<float>(std::sqrt(double(x) * x + double(y) * y));
}

static double norm3(float x, float y, float z) {
    return double(x) * x + double(y) * y + double(z) * z;
}

float VectorLength(const TAffineVector& v) {
    return static_cast<float>(std::sqrt(norm3(v[0], v[1], v[2])));
}
float VectorLength(const TVector& v) {
    return static_cast<float>(std::sqrt(norm3(v[0], v[1], v[2])));
}
float VectorNorm3(const TAffineVector& v) {
    return static_cast<float>(norm3(v[0], v[1], v[2]));
}
float VectorNorm3(const TVector& v) {
    return static_cast<float>(norm3(v[0], v[1], v[2]));
}

// A zero vector stays zero instead of turning into NaNs.
static double inverseLength(float x, float y, float z) {
    double n = norm3(x, y, z);
    return n > 0 ? 1.0 / std::sqrt(n) : 0.0;
}

void NormalizeVector3(TAffineVector& v) {
    double k = inverseLength(v[0], v[1], v[2]);
    for (float& c : v)
        c = static_cast<float>(c * k);
}
TAffineVector NormalizedVector3(const TAffineVector& v) {
    TAffineVector r = v;
    NormalizeVector3(r);
    return r;
}
void NormalizeVectorArray3(TAffineVector* list, int n) {
    for (int i = 0; i < n; ++i)
        NormalizeVector3(list[i]);
}
void NormalizeVector(TVector& v) {
    double k = inverseLength(v[0], v[1], v[2]);
    for (int i = 0; i < 3; ++i)
        v[i] = static_cast<float>(v[i] * k);
    v[3] = 0.0f;
}
TVector NormalizedVector4(const TVector& v) {
    TVector r = v;
    NormalizeVector(r);
    return r;
}
TAffineVector RemoveNormalComponent3(const TAffineVector& v, const TAffineVector& n) {
    TAffineVector r = v;
    AddScaledVector3(r, n, -DotProduct3(v, n));
    return r;
}
float VectorDistance3(const TAffineVector& a, const TAffineVector& b) {
    return static_cast<float>(std::sqrt(norm3(a[0] - b[0], a[1] - b[1], a[2] - b[2])));
}
float VectorDistanceSquared3(const TAffineVector& a, const TAffineVector& b) {
    return static_cast<float>(norm3(a[0] - b[0], a[1] - b[1], a[2] - b[2]));
}
float ManhattanDistance3(const TAffineVector& a, const TAffineVector& b) {
    return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]);
}
bool VectorEquals3(const TAffineVector& a, const TAffineVector& b) {
    return std::memcmp(a.data(), b.data(), sizeof(TAffineVector)) == 0;
}
bool VectorEquals4(const TVector& a, const TVector& b) {
    return std::memcmp(a.data(), b.data(), sizeof(TVector)) == 0;
}
bool VectorIsNull3(const TAffineVector& v) {
    return v[0] == 0.0f && v[1] == 0.0f && v[2] == 0.0f;
}

// ---- Matrices ---------------------------------------------------------------------------------------

TMatrix CreateScaleAndTranslationMatrix(const TVector& scale, const TVector& offset) {
    TMatrix m = IdentityHmgMatrix;
    m[0][0] = scale[0];
    m[1][1] = scale[1];
    m[2][2] = scale[2];
    m[3] = {offset[0], offset[1], offset[2], 1.0f};
    return m;
}

TMatrix CreateRotationMatrix(const TAffineVector& anAxis, float angle) {
    TAffineVector axis = NormalizedVector3(anAxis);
    float s = static_cast<float>(std::sin(double(angle)));
    float c = static_cast<float>(std::cos(double(angle)));
    float t = 1.0f - c;
    float x = axis[0], y = axis[1], z = axis[2];
    TMatrix m;
    m[0] = {t * x * x + c, t * x * y - z * s, t * z * x + y * s, 0};
    m[1] = {t * x * y + z * s, t * y * y + c, t * y * z - x * s, 0};
    m[2] = {t * z * x - y * s, t * y * z + x * s, t * z * z + c, 0};
    m[3] = {0, 0, 0, 1};
    return m;
}

TMatrix CreateRotationMatrix(const TVector& axis, float angle) {
    return CreateRotationMatrix(TAffineVector{axis[0], axis[1], axis[2]}, angle);
}

void MultiplyMatrices(const TMatrix& a, const TMatrix& b, TMatrix& result) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            result[i][j] = static_cast<float>(double(a[i][0]) * b[0][j] + double(a[i][1]) * b[1][j] +
                                              double(a[i][2]) * b[2][j] + double(a[i][3]) * b[3][j]);
}

void MultiplyMatricesSafe(const TMatrix& a, const TMatrix& b, TMatrix& result) {
    TMatrix temp;
    MultiplyMatrices(a, b, temp);
    result = temp;
}

TVector TransformVector4(const TVector& v, const TMatrix& m) {
    TVector r;
    for (int i = 0; i < 4; ++i)
        r[i] = static_cast<float>(double(v[0]) * m[0][i] + double(v[1]) * m[1][i] + double(v[2]) * m[2][i] +
                                  double(v[3]) * m[3][i]);
    return r;
}

TAffineVector TransformVector3(const TAffineVector& v, const TMatrix& m) {
    TAffineVector r;
    for (int i = 0; i < 3; ++i)
        r[i] = static_cast<float>(double(v[0]) * m[0][i] + double(v[1]) * m[1][i] + double(v[2]) * m[2][i] +
                                  m[3][i]);
    return r;
}

static double det3(double a1, double a2, double a3, double b1, double b2, double b3, double c1, double c2,
                   double c3) {
    // Rows (a1 b1 c1), (a2 b2 c2), (a3 b3 c3).
    return a1 * (b2 * c3 - b3 * c2) - b1 * (a2 * c3 - a3 * c2) + c1 * (a2 * b3 - a3 * b2);
}

float Determinant3x3(float a1, float a2, float a3, float b1, float b2, float b3, float c1, float c2,
                     float c3) {
    return static_cast<float>(det3(a1, a2, a3, b1, b2, b3, c1, c2, c3));
}

// Determinant of m without row `row` and column `col`.
static double minor3(const TMatrix& m, int row, int col) {
    double e[3][3];
    for (int i = 0, r = 0; i < 4; ++i) {
        if (i == row) continue;
        for (int j = 0, c = 0; j < 4; ++j) {
            if (j == col) continue;
            e[r][c++] = m[i][j];
        }
        ++r;
    }
    return e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
           e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
           e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
}

float MatrixDeterminant(const TMatrix& m) {
    double d = m[0][0] * minor3(m, 0, 0) - m[0][1] * minor3(m, 0, 1) + m[0][2] * minor3(m, 0, 2) -
               m[0][3] * minor3(m, 0, 3);
    return static_cast<float>(d);
}

void AdjointMatrix(TMatrix& m) {
    TMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sign = ((i + j) & 1) ? -1.0 : 1.0;
            r[i][j] = static_cast<float>(sign * minor3(m, j, i));
        }
    m = r;
}

void ScaleMatrix(TMatrix& m, float f) {
    for (TVector& row : m)
        for (float& c : row)
            c *= f;
}

void TransposeMatrix(TMatrix& m) {
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            std::swap(m[i][j], m[j][i]);
}

void NormalizeMatrix(TMatrix& m) {
    m[0][3] = 0;
    NormalizeVector(m[0]);
    m[1][3] = 0;
    NormalizeVector(m[1]);
    // Rows 0 and 1 need not be perpendicular, so the third row is normalised too: then every row is unit.
    m[2] = CrossProduct4(m[0], m[1]);
    NormalizeVector(m[2]);
    m[0] = CrossProduct4(m[1], m[2]);
    m[3] = {0, 0, 0, 1};
}

void InvertMatrix(TMatrix& m) {
    float det = MatrixDeterminant(m);
    if (std::fabs(det) < MathEpsilon) {
        m = IdentityHmgMatrix;
        return;
    }
    AdjointMatrix(m);
    ScaleMatrix(m, 1.0f / det);
}

TMatrix InvertAnglePreservingMatrix(const TMatrix& m) {
    float s2 = VectorNorm3(m[0]);
    if (std::fabs(s2) < MathEpsilon) return IdentityHmgMatrix;
    float k = 1.0f / s2;
    TMatrix r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r[i][j] = m[j][i] * k;
        r[i][3] = 0;
    }
    for (int j = 0; j < 3; ++j)
        r[3][j] = -(r[0][j] * m[3][0] + r[1][j] * m[3][1] + r[2][j] * m[3][2]);
    r[3][3] = 1;
    return r;
}

// ---- Planes and frustum -----------------------------------------------------------------------------

TAffineVector PlaneNormalFromPoints(const TAffineVector& p1, const TAffineVector& p2,
                                    const TAffineVector& p3) {
    return NormalizedVector3(CrossProduct3(SubtractVectors3(p2, p1), SubtractVectors3(p3, p1)));
}

void NormalizePlane(TVector& plane) {
    double k = inverseLength(plane[0], plane[1], plane[2]);
    for (float& c : plane)
        c = static_cast<float>(c * k);
}

float PlaneEvaluatePoint(const TVector& plane, const TAffineVector& point) {
    return static_cast<float>(double(plane[0]) * point[0] + double(plane[1]) * point[1] +
                              double(plane[2]) * point[2] + plane[3]);
}

TFrustum ExtractFrustumPlanes(const TMatrix& m) {
    auto column = [&m](int c) { return TVector{m[0][c], m[1][c], m[2][c], m[3][c]}; };
    TVector c0 = column(0), c1 = column(1), c2 = column(2), c3 = column(3);
    TFrustum f;
    f.pLeft = AddVectors4(c3, c0);
    f.pTop = SubtractVectors4(c3, c1);
    f.pRight = SubtractVectors4(c3, c0);
    f.pBottom = AddVectors4(c3, c1);
    f.pNear = AddVectors4(c3, c2);
    f.pFar = SubtractVectors4(c3, c2);
    for (TVector* p : {&f.pLeft, &f.pTop, &f.pRight, &f.pBottom, &f.pNear, &f.pFar})
        NormalizePlane(*p);
    return f;
}

bool IsSphereOutsideFrustum(const TAffineVector& centre, const TFrustum& frustum, float radius) {
    float negRadius = -radius;
    for (const TVector* p :
         {&frustum.pLeft, &frustum.pTop, &frustum.pRight, &frustum.pBottom, &frustum.pNear, &frustum.pFar})
        if (PlaneEvaluatePoint(*p, centre) < negRadius) return true;
    return false;
}

bool IsBoxOutsideFrustum(const TAffineVector& min, const TAffineVector& max, const TFrustum& frustum) {
    TAffineVector centre = ScaledVector3(AddVectors3(min, max), 0.5f);
    return IsSphereOutsideFrustum(centre, frustum, VectorDistance3(min, max) * 0.5f);
}

int RaySphereIntersect(const TVector& rayStart, const TVector& rayVector, const TVector& sphereCenter,
                       float sphereRadius, TVector& i1, TVector& i2) {
    TAffineVector start{rayStart[0], rayStart[1], rayStart[2]};
    TAffineVector dir{rayVector[0], rayVector[1], rayVector[2]};
    TAffineVector centre{sphereCenter[0], sphereCenter[1], sphereCenter[2]};
    float proj = DotProduct3(SubtractVectors3(centre, start), dir);
    TAffineVector p = start;
    AddScaledVector3(p, dir, proj);
    float d2 = sphereRadius * sphereRadius - VectorDistanceSquared3(centre, p);
    auto pointAt = [&](float t) {
        TAffineVector r = start;
        AddScaledVector3(r, dir, t);
        return PointFromVector3(r);
    };
    if (d2 < 0) return 0;
    if (d2 == 0) {
        if (proj > 0) {
            i1 = PointFromVector3(p);
            return 1;
        }
        return 0;
    }
    float d = std::sqrt(d2);
    if (proj >= d) {
        i1 = pointAt(proj - d);
        i2 = pointAt(proj + d);
        return 2;
    }
    if (proj + d >= 0) {
        i1 = pointAt(proj + d);
        return 1;
    }
    return 0;
}

float SphereRayDistanceHelper(float a, float b) {
    double d = std::sqrt(double(a) * a - double(b) * b);
    double e = (double(a) * a + double(b) * b - d * d) / (2 * d);
    return static_cast<float>(std::sqrt(e * e + double(b) * b));
}

// ---- Scalars ----------------------------------------------------------------------------------------

float IntegerPower(float base, int exponent) {
    // Widened before negation so that the lowest integer does not overflow.
    long long n = exponent < 0 ? -static_cast<long long>(exponent) : exponent;
    double result = 1.0, b = base;
    while (n > 0) {
        if (n & 1) result *= b;
        b *= b;
        n >>= 1;
    }
    return static_cast<float>(exponent < 0 ? 1.0 / result : result);
}

float PowerSingle(float base, float exponent) {
    if (exponent == 0.0f) return 1.0f;
    if (base == 0.0f && exponent > 0.0f) return 0.0f;
    float rounded = std::nearbyint(exponent);
    // 2^31 is exact as a float; 2147483647.0f would round up to it and let the int conversion overflow.
    if (rounded == exponent && rounded >= -2147483648.0f && rounded < 2147483648.0f)
        return IntegerPower(base, static_cast<int>(rounded));
    return static_cast<float>(std::exp(double(exponent) * std::log(double(base))));
}

long double DegToRad(long double degrees) {
    return degrees * cPIdiv180Ext;
}
long double RadToDeg(long double radians) {
    return radians * c180divPIExt;
}
float DegToRadSingle(float degrees) {
    return degrees * cPIdiv180;
}

float NormalizeDegAngle(float angle) {
    float a = angle - static_cast<float>(IntTruncate(angle * cInv360)) * c360;
    if (a > c180)
        a -= c360;
    else if (a < -c180)
        a += c360;
    return a;
}

void SinCos(long double theta, long double& sine, long double& cosine) {
    sine = std::sin(theta);
    cosine = std::cos(theta);
}
void SinCosSingle(float theta, float& sine, float& cosine) {
    sine = static_cast<float>(std::sin(double(theta)));
    cosine = static_cast<float>(std::cos(double(theta)));
}
void SinCosScaled(float theta, float radius, float& sine, float& cosine) {
    sine = static_cast<float>(std::sin(double(theta)) * radius);
    cosine = static_cast<float>(std::cos(double(theta)) * radius);
}
long double ArcTan2Ext(long double y, long double x) {
    return std::atan2(y, x);
}
long double TanExt(long double x) {
    return std::tan(x);
}
float ReciprocalSqrt(float v) {
    return static_cast<float>(1.0 / std::sqrt(double(v)));
}

static bool fitsInt(double v) {
    return v >= -2147483648.0 && v < 2147483648.0;
}

float RoundSingle(float v) {
    return std::nearbyint(v);
}

int RoundToInt(float v) {
    double r = std::nearbyint(double(v));
    return fitsInt(r) ? static_cast<int>(r) : std::numeric_limits<int>::min();
}

int TruncSingle(float v) {
    double t = std::trunc(double(v));
    return fitsInt(t) ? static_cast<int>(t) : std::numeric_limits<int>::min();
}

int IntTruncate(float v) {
    return TruncSingle(v);
}
int MaxInteger(int a, int b) {
    return a < b ? b : a;
}

float ClampValue(float v, float min, float max) {
    if (v < min) return min;
    if (v > max) return max;
    return v;
}

} // namespace engine3d
