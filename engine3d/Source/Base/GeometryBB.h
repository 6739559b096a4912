// Axis-aligned bounding boxes for object extents.
#pragma once

#include "VectorGeometry.h"

namespace engine3d {

struct TAABB {
    TAffineVector min;
    TAffineVector max;
};

// Component-wise min of the mins and max of the maxes.
void AddAABB(TAABB& aabb, const TAABB& aabb1);
// max := |v| per component, min := -max.
void SetAABB(TAABB& aabb, const TVector& halfExtents);
// The box of the eight corners transformed (translation included).
void AABBTransform(TAABB& aabb, const TMatrix& m);
// Both corners multiplied component-wise by factor.
void AABBScale(TAABB& aabb, const TAffineVector& factor);
void AABBInclude(TAABB& aabb, const TAffineVector& p);

} // namespace engine3d
