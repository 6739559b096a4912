#include "Spline.h"

#include <cmath>

namespace engine3d {

TMetaClass const& TCubicSpline::StaticClass() {
    static const TMetaClass meta("TCubicSpline", &TObject::StaticClass());
    return meta;
}
const TMetaClass& TCubicSpline::ClassType() const {
    return StaticClass();
}

namespace {

using TCoefficients = std::array<float, 4>;

// Derivatives at the knots of a natural-end spline through v, by a Cholesky solve of the tridiagonal
// system with diagonal 2, 4, ..., 4, 2 and off-diagonals 1.
std::vector<TCoefficients> computeSegments(const float* v, int n) {
    std::vector<TCoefficients> segments;
    if (n == 1) {
        segments.push_back({0, 0, 0, v[0]});
        return segments;
    }
    std::vector<double> b(n), l(n), m(n), y(n), d(n);
    b[0] = 3.0 * (v[1] - v[0]);
    b[n - 1] = 3.0 * (v[n - 1] - v[n - 2]);
    for (int i = 1; i < n - 1; ++i)
        b[i] = 3.0 * (v[i + 1] - v[i - 1]);
    l[0] = std::sqrt(2.0);
    m[0] = 1.0 / l[0];
    for (int i = 1; i < n - 1; ++i) {
        l[i] = std::sqrt(4.0 - m[i - 1] * m[i - 1]);
        m[i] = 1.0 / l[i];
    }
    l[n - 1] = std::sqrt(2.0 - m[n - 2] * m[n - 2]);
    y[0] = b[0] / l[0];
    for (int i = 1; i < n; ++i)
        y[i] = (b[i] - y[i - 1] * m[i - 1]) / l[i];
    d[n - 1] = y[n - 1] / l[n - 1];
    for (int i = n - 2; i >= 0; --i)
        d[i] = (y[i] - d[i + 1] * m[i]) / l[i];
    for (int i = 0; i < n - 1; ++i) {
        double a = v[i];
        double c = 3.0 * (v[i + 1] - v[i]) - 2.0 * d[i] - d[i + 1];
        double dd = 2.0 * (v[i] - v[i + 1]) + d[i] + d[i + 1];
        double s = i;
        // a + D s' + c s'^2 + dd s'^3 with s' = t - i, expanded in powers of t.
        segments.push_back({static_cast<float>(dd), static_cast<float>(c - 3.0 * s * dd),
                            static_cast<float>(3.0 * s * s * dd - 2.0 * s * c + d[i]),
                            static_cast<float>(-s * s * s * dd + s * s * c - s * d[i] + a)});
    }
    return segments;
}

} // namespace

TCubicSpline::TCubicSpline(const float* x, const float* y, const float* z, const float* w, int nb)
    : nb_(nb > 0 ? nb : 0) {
    const float* channels[4] = {x, y, z, w};
    for (int c = 0; c < 4; ++c)
        if (channels[c] && nb_ > 0) matrices_[c] = computeSegments(channels[c], nb_);
}

float TCubicSpline::evaluate(int channel, float t) const {
    const auto& segments = matrices_[channel];
    if (segments.empty()) return 0.0f;
    int last = static_cast<int>(segments.size()) - 1;
    int i;
    if (t <= 0)
        i = 0;
    else if (t <= static_cast<float>(nb_ - 1))
        i = TruncSingle(t);
    else
        i = nb_ - 1;
    if (i > last) i = last;
    const TCoefficients& k = segments[static_cast<size_t>(i)];
    return ((k[0] * t + k[1]) * t + k[2]) * t + k[3];
}

void TCubicSpline::SplineXY(float t, float& x, float& y) const {
    x = SplineX(t);
    y = SplineY(t);
}

void TCubicSpline::SplineXYZ(float t, float& x, float& y, float& z) const {
    x = SplineX(t);
    y = SplineY(t);
    z = SplineZ(t);
}

TAffineVector TCubicSpline::SplineAffineVector(float t) const {
    return {SplineX(t), SplineY(t), SplineZ(t)};
}

TVector TCubicSpline::SplineVector(float t) const {
    return {SplineX(t), SplineY(t), SplineZ(t), SplineW(t)};
}

} // namespace engine3d
