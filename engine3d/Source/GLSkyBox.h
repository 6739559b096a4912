// The sky box: six textured faces of a cube kept around the camera, plus an optional clouds plane.
// The faces are built as plain quads here; each is drawn with its own material.
#pragma once

#include "GLObjects.h"

#include <array>

namespace engine3d {

enum TGLSkyBoxStyle { sbsFull, sbsTopHalf, sbsBottomHalf, sbTopTwoThirds, sbsTopHalfClamped };

// The drawing order of the faces; the clouds plane comes last.
enum TGLSkyBoxFace { sbfFront, sbfBack, sbfTop, sbfBottom, sbfLeft, sbfRight, sbfClouds };
constexpr int cSkyBoxFaceCount = 7;

// The part of the box that a style keeps, applied to the faces and the clouds plane: translate
// along y, then scale y.
struct TGLSkyBoxStyleTransform {
    float TranslateY = 0;
    float ScaleY = 1;
};
TGLSkyBoxStyleTransform SkyBoxStyleTransform(TGLSkyBoxStyle style);

// The quads of one face on the unit cube (clouds: the plane at height cloudsOffset with edge
// cloudsSize). With sbsTopHalfClamped a side face gets a second quad that stretches its lowest texel
// row down to y = -3.
TGLPrimitive BuildSkyBoxFace(TGLSkyBoxFace face, TGLSkyBoxStyle style, float cloudsOffset, float cloudsSize);

// The scale that puts the box halfway between the near plane and the depth of view.
float SkyBoxScale(float depthOfView, float nearPlane);

} // namespace engine3d
