// Objects placed in window pixels and drawn over the scene: HUD sprites and HUD text. The pixel
// layout is computed here as plain numbers; drawing applies it as matrices.
#pragma once

#include "GLObjects.h"

namespace engine3d {

// Where a HUD item lands. X counts pixels from the left edge, Y pixels down from the top, both to the
// item's centre; at a DPI other than 96 positions and sizes grow by DPI / 96.
struct TGLHUDPlacement {
    float X = 0, Y = 0, Z = 0;
    float Rotation = 0; // degrees about the viewing axis
    int ViewportWidth = 1, ViewportHeight = 1;
    int RenderDPI = 96;
};

// The model-view steps of a HUD item: scale to normalised device units, then move to the item's
// centre (in pixels from the viewport's centre, y up).
struct TGLHUDTransform {
    float DPIFactor = 1;
    TAffineVector Scale{};
    TAffineVector Translation{};
};
TGLHUDTransform HUDTransform(const TGLHUDPlacement& placement);

// The sprite's quad about its centre, in pixels scaled by the DPI factor; texture t = 0 is the lower
// edge on screen and the texture repeats xTiles by yTiles times.
TGLPrimitive BuildHUDSpriteQuad(float width, float height, float dpiFactor, int xTiles, int yTiles);

// Window pixel (from the top-left corner) of a point of the HUD quad, rotation left out.
TTexPoint HUDWindowPixel(const TGLHUDPlacement& placement, const TAffineVector& quadPoint);

// Applies the HUD matrices (model-view and an identity projection, both pushed) and draws with depth
// test and depth writes off; the caller binds the material. PopHUDMatrices undoes the matrices.
void PushHUDMatrices(const TGLHUDPlacement& placement, const TMatrix& baseProjection);
void PopHUDMatrices();
void RenderHUDSpriteQuad(const TGLPrimitive& quad);

} // namespace engine3d
