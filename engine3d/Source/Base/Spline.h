// An interpolating cubic spline through up to four float channels, parameter t running from 0 at the
// first point to n - 1 at the last.
#pragma once

#include "BaseClasses.h"
#include "VectorGeometry.h"

#include <array>
#include <vector>

namespace engine3d {

class TCubicSpline : public TObject {
    E3D_DECLARE_CLASS(TCubicSpline)
public:
    // A nullptr channel is empty and evaluates to 0. One point gives a constant channel.
    TCubicSpline(const float* x, const float* y, const float* z, const float* w, int nb);
    int PointCount() const { return nb_; }
    float SplineX(float t) const { return evaluate(0, t); }
    float SplineY(float t) const { return evaluate(1, t); }
    float SplineZ(float t) const { return evaluate(2, t); }
    float SplineW(float t) const { return evaluate(3, t); }
    void SplineXY(float t, float& x, float& y) const;
    void SplineXYZ(float t, float& x, float& y, float& z) const;
    TAffineVector SplineAffineVector(float t) const;
    TVector SplineVector(float t) const;

private:
    using TCoefficients = std::array<float, 4>; // c0 t^3 + c1 t^2 + c2 t + c3
    float evaluate(int channel, float t) const;
    std::array<std::vector<TCoefficients>, 4> matrices_;
    int nb_;
};

} // namespace engine3d
