// Basic scene shapes. Their geometry is built as plain vertex lists first (what the shape is), then
// issued to OpenGL by a thin renderer (how it is drawn).
#pragma once

#include "GLSilhouette.h"
#include "OpenGLImports.h"
#include "VectorGeometry.h"

#include <vector>

namespace engine3d {

struct TGLVertex {
    TAffineVector Position{};
    TAffineVector Normal{};
    TTexPoint TexCoord{};
};

// One glBegin/glEnd block: GL_QUADS, GL_TRIANGLE_STRIP or GL_TRIANGLE_FAN.
struct TGLPrimitive {
    GLenum Mode = GL_QUADS;
    std::vector<TGLVertex> Vertices;
};
using TGLPrimitiveList = std::vector<TGLPrimitive>;

// Issues the primitives in immediate mode: texture coordinate, normal (when asked), then vertex.
void RenderPrimitive(const TGLPrimitive& primitive, bool withNormals);
void RenderPrimitives(const TGLPrimitiveList& primitives, bool withNormals);

// ---- Sprite ------------------------------------------------------------------------------------------

// A camera-facing rectangle: the model-view matrix's first column gives the right vector and its
// second the up vector, scaled to half the width and height. Vertices: right + up, -right + up,
// -right - up, right - up; mirroring swaps the s or t coordinates.
TGLPrimitive BuildSpriteQuad(const TMatrix& modelView, float width, float height, bool mirrorU, bool mirrorV);
// The viewing axis of the model-view matrix (its third column), the axis of a sprite's rotation.
TAffineVector SpriteRotationAxis(const TMatrix& modelView);

// ---- Sphere ------------------------------------------------------------------------------------------

enum TCapType { ctNone, ctCenter, ctFlat };
enum TNormalSmoothing { nsFlat, nsSmooth, nsNone };
enum TNormalDirection { ndInside, ndOutside };

// Latitudes in degrees -90..90 (y axis up), longitudes 0..360 with 0 along +z.
struct TGLSphereShape {
    int Slices = 16;
    int Stacks = 16;
    int Top = 90;
    int Bottom = -90;
    int Start = 0;
    int Stop = 360;
    TCapType TopCap = ctNone;
    TCapType BottomCap = ctNone;
    TNormalDirection NormalDirection = ndOutside;
};

// The shape on the unit sphere (the radius is applied as a scale when drawing): an optional top cap
// fan, one triangle strip per stack from the top down, an optional bottom cap fan. Inside-facing
// spheres get every normal negated.
TGLPrimitiveList BuildSphereGeometry(const TGLSphereShape& shape);

// Draws the shape scaled by radius; an inside-facing sphere flips the front-face winding around it.
void RenderSphere(const TGLSphereShape& shape, float radius);

// A sphere's outline seen from a point (in the sphere's frame): a circle of max(stacks, slices) edges
// across the viewing direction; with capping, a fan of triangles to an extra centre vertex appended
// last. The silhouette belongs to the caller.
TGLSilhouette* BuildSphereSilhouette(const TGLSilhouetteParameters& parameters, float radius, int stacks,
                                     int slices);

} // namespace engine3d
