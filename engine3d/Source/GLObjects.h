// Basic scene shapes. Their geometry is built as plain vertex lists first (what the shape is), then
// issued to OpenGL by a thin renderer (how it is drawn).
#pragma once

#include "GL3DScene.h"
#include "GLSilhouette.h"
#include "GLTexture.h"
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

// ---- Scene objects ------------------------------------------------------------------------------------

// A rectangle in the scene that always faces the camera.
class TGLSprite : public TGL3DSceneObject {
    E3D_DECLARE_CLASS(TGLSprite)
public:
    explicit TGLSprite(TComponent* owner = nullptr);
    void Assign(const TPersistent* source) override;
    TVector AxisAlignedDimensionsUnscaled() const override;
    void BuildList(TRenderContextInfo& rci) override;

    float Width() const { return width_; }
    void SetWidth(float value);
    float Height() const { return height_; }
    void SetHeight(float value);
    // Degrees about the viewing axis.
    float Rotation() const { return rotation_; }
    void SetRotation(float value);
    // Opacity applied to the material, kept within 0..1.
    float AlphaChannel() const { return alphaChannel_; }
    void SetAlphaChannel(float value);
    // Written only when it differs from 1.
    bool StoreAlphaChannel() const { return alphaChannel_ != 1; }
    bool NoZWrite() const { return noZWrite_; }
    void SetNoZWrite(bool value);
    bool MirrorU() const { return mirrorU_; }
    void SetMirrorU(bool value);
    bool MirrorV() const { return mirrorV_; }
    void SetMirrorV(bool value);

private:
    float width_ = 1;
    float height_ = 1;
    float rotation_ = 0;
    float alphaChannel_ = 1;
    bool noZWrite_ = false;
    bool mirrorU_ = false;
    bool mirrorV_ = false;
};

// The shading settings shared by the quadric shapes.
class TGLQuadricObject : public TGL3DSceneObject {
    E3D_DECLARE_CLASS(TGLQuadricObject)
public:
    explicit TGLQuadricObject(TComponent* owner = nullptr) : TGL3DSceneObject(owner) {}
    void Assign(const TPersistent* source) override;
    TNormalSmoothing Normals() const { return normals_; }
    void SetNormals(TNormalSmoothing value);
    TNormalDirection NormalDirection() const { return normalDirection_; }
    void SetNormalDirection(TNormalDirection value);

private:
    TNormalSmoothing normals_ = nsSmooth;
    TNormalDirection normalDirection_ = ndOutside;
};

// Latitudes -90..90 and longitudes 0..360, in degrees.
using TAngleLimit1 = int8_t;
using TAngleLimit2 = uint16_t;

// A sphere, or a band or wedge of one, closed by optional caps where it is cut.
class TGLSphere : public TGLQuadricObject {
    E3D_DECLARE_CLASS(TGLSphere)
public:
    explicit TGLSphere(TComponent* owner = nullptr) : TGLQuadricObject(owner) {}
    void Assign(const TPersistent* source) override;
    TVector AxisAlignedDimensionsUnscaled() const override;
    // The whole sphere of Radius about the local origin; the latitude and longitude limits are ignored.
    bool RayCastIntersect(const TVector& rayStart, const TVector& rayVector,
                          TVector* intersectPoint = nullptr, TVector* intersectNormal = nullptr) override;
    TGLSilhouette* GenerateSilhouette(const TGLSilhouetteParameters& params) override;
    void BuildList(TRenderContextInfo& rci) override;

    float Radius() const { return radius_; }
    void SetRadius(float value);
    int Slices() const { return slices_; }
    // Values below 1 store 1.
    void SetSlices(int value);
    int Stacks() const { return stacks_; }
    void SetStacks(int value);
    TAngleLimit1 Top() const { return top_; }
    void SetTop(TAngleLimit1 value);
    TAngleLimit1 Bottom() const { return bottom_; }
    void SetBottom(TAngleLimit1 value);
    TAngleLimit2 Start() const { return start_; }
    // Above the current Stop fails an assertion.
    void SetStart(TAngleLimit2 value);
    TAngleLimit2 Stop() const { return stop_; }
    // Below the current Start fails an assertion.
    void SetStop(TAngleLimit2 value);
    TCapType TopCap() const { return topCap_; }
    void SetTopCap(TCapType value);
    TCapType BottomCap() const { return bottomCap_; }
    void SetBottomCap(TCapType value);
    // The geometry settings in the form the builder takes.
    TGLSphereShape Shape() const;

private:
    float radius_ = 0.5f;
    int slices_ = 16;
    int stacks_ = 16;
    TAngleLimit1 top_ = 90;
    TAngleLimit1 bottom_ = -90;
    TAngleLimit2 start_ = 0;
    TAngleLimit2 stop_ = 360;
    TCapType topCap_ = ctNone;
    TCapType bottomCap_ = ctNone;
};

void InitGLObjects();

} // namespace engine3d
