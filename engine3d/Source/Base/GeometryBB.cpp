#include "GeometryBB.h"

#include <algorithm>
#include <cmath>

namespace engine3d {

void AddAABB(TAABB& aabb, const TAABB& aabb1) {
    for (int i = 0; i < 3; ++i) {
        aabb.min[i] = std::min(aabb.min[i], aabb1.min[i]);
        aabb.max[i] = std::max(aabb.max[i], aabb1.max[i]);
    }
}

void SetAABB(TAABB& aabb, const TVector& halfExtents) {
    for (int i = 0; i < 3; ++i) {
        aabb.max[i] = std::fabs(halfExtents[i]);
        aabb.min[i] = -aabb.max[i];
    }
}

void AABBTransform(TAABB& aabb, const TMatrix& m) {
    TAABB result;
    for (int corner = 0; corner < 8; ++corner) {
        TAffineVector p = {(corner & 1) ? aabb.max[0] : aabb.min[0], (corner & 2) ? aabb.max[1] : aabb.min[1],
                           (corner & 4) ? aabb.max[2] : aabb.min[2]};
        TAffineVector t = TransformVector3(p, m);
        if (corner == 0)
            result = {t, t};
        else
            AABBInclude(result, t);
    }
    aabb = result;
}

void AABBScale(TAABB& aabb, const TAffineVector& factor) {
    MultiplyVector3(aabb.min, factor);
    MultiplyVector3(aabb.max, factor);
}

void AABBInclude(TAABB& aabb, const TAffineVector& p) {
    for (int i = 0; i < 3; ++i) {
        aabb.min[i] = std::min(aabb.min[i], p[i]);
        aabb.max[i] = std::max(aabb.max[i], p[i]);
    }
}

} // namespace engine3d
