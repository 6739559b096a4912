// Basic scene shapes. Their geometry is built as plain vertex lists first (what the shape is), then
// issued to OpenGL by a thin renderer (how it is drawn).
#pragma once

#include "GL3DScene.h"
#include "GLSilhouette.h"
#include "GLTexture.h"
#include "VectorLists.h"
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

// Where a primitive's texture coordinates go: through the texture-coordinate routing, to every unit the
// applied material uses, or straight to unit 0, for drawing that binds its own texture there whatever
// routing is in force.
enum TTexCoordFeed : uint8_t { tcfRouted, tcfUnitZero };

// Issues the primitives in immediate mode: texture coordinate, normal (when asked), then vertex.
void RenderPrimitive(const TGLPrimitive& primitive, bool withNormals, TTexCoordFeed feed = tcfRouted);
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

// ---- Wire cube and dodecahedron -----------------------------------------------------------------------

// A cube of edge size about the origin as lines in colour, lighting off; dotted draws it stippled and
// blended.
void DrawWireCube(TRenderContextInfo& rci, bool dotted, const TVector& color, float size);
// The twelve pentagons of a dodecahedron of radius about 0.5, each with its plane's normal.
void DrawDodecahedron();
// The dodecahedron's 20 corners and its faces as five corner indices each.
const std::array<TAffineVector, 20>& DodecahedronVertices();
const std::array<std::array<int, 5>, 12>& DodecahedronFaces();

// ---- Dummy cube ---------------------------------------------------------------------------------------

using TGLVisibilityDeterminationEvent = std::function<bool(TObject* sender, TRenderContextInfo& rci)>;

// An invisible grouping node that can show a wire cube and compile its whole subtree into one list.
class TGLDummyCube : public TGLCameraInvariantObject {
    E3D_DECLARE_CLASS(TGLDummyCube)
public:
    explicit TGLDummyCube(TComponent* owner = nullptr);
    ~TGLDummyCube() override;
    void Assign(const TPersistent* source) override;
    TVector AxisAlignedDimensionsUnscaled() const override;
    bool RayCastIntersect(const TVector&, const TVector&, TVector* = nullptr, TVector* = nullptr) override {
        return false;
    }
    // The mean of the children's barycentres; the node's own position without children.
    TVector BarycenterAbsolutePosition() override;
    void BuildList(TRenderContextInfo& rci) override;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;
    void DestroyHandle() override;
    // Discards the amalgamated list, then the usual structure change.
    void StructureChanged();

    float CubeSize() const { return cubeSize_; }
    void SetCubeSize(float value);
    TGLColor* EdgeColor() const { return edgeColor_.get(); }
    void SetEdgeColor(const TGLColor* value);
    bool VisibleAtRunTime() const { return visibleAtRunTime_; }
    void SetVisibleAtRunTime(bool value);
    bool Amalgamate() const { return amalgamate_; }
    void SetAmalgamate(bool value);
    // 0 while no amalgamated list is compiled.
    GLuint GroupListHandle() const { return groupList_ ? groupList_->Handle() : 0; }
    int GroupListBuilds() const { return groupListBuilds_; }
    TGLVisibilityDeterminationEvent OnVisibilityDetermination;

private:
    bool subtreeChanged() const;
    void discardGroupList();
    float cubeSize_ = 1;
    std::unique_ptr<TGLColor> edgeColor_;
    bool visibleAtRunTime_ = false;
    bool amalgamate_ = false;
    std::unique_ptr<TGLListHandle> groupList_;
    int groupListBuilds_ = 0;
};

// ---- Plane --------------------------------------------------------------------------------------------

enum TPlaneStyle : uint8_t { psSingleQuad, psTileTexture };
using TPlaneStyles = uint8_t;
constexpr TPlaneStyles PlaneStyle(TPlaneStyle style) {
    return static_cast<TPlaneStyles>(1u << style);
}

struct TGLPlaneShape {
    float Width = 1, Height = 1;
    float XOffset = 0, XScope = 1, YOffset = 0, YScope = 1;
    unsigned XTiles = 1, YTiles = 1;
    TPlaneStyles Style = PlaneStyle(psSingleQuad) | PlaneStyle(psTileTexture);
};
// One quad, or one triangle strip per row of tiles, in the plane z = 0 facing +z.
TGLPrimitiveList BuildPlaneGeometry(const TGLPlaneShape& shape);

class TGLPlane : public TGL3DSceneObject {
    E3D_DECLARE_CLASS(TGLPlane)
public:
    explicit TGLPlane(TComponent* owner = nullptr);
    void Assign(const TPersistent* source) override;
    TVector AxisAlignedDimensionsUnscaled() const override;
    bool RayCastIntersect(const TVector& rayStart, const TVector& rayVector,
                          TVector* intersectPoint = nullptr, TVector* intersectNormal = nullptr) override;
    TGLSilhouette* GenerateSilhouette(const TGLSilhouetteParameters& params) override;
    void BuildList(TRenderContextInfo& rci) override;

    float Width() const { return shape_.Width; }
    void SetWidth(float value);
    float Height() const { return shape_.Height; }
    void SetHeight(float value);
    float XOffset() const { return shape_.XOffset; }
    void SetXOffset(float value);
    float XScope() const { return shape_.XScope; }
    void SetXScope(float value);
    bool StoreXScope() const { return shape_.XScope != 1; }
    // At least 1: no tile count can divide the plane into nothing.
    unsigned XTiles() const { return shape_.XTiles; }
    void SetXTiles(unsigned value);
    float YOffset() const { return shape_.YOffset; }
    void SetYOffset(float value);
    float YScope() const { return shape_.YScope; }
    void SetYScope(float value);
    bool StoreYScope() const { return shape_.YScope != 1; }
    unsigned YTiles() const { return shape_.YTiles; }
    void SetYTiles(unsigned value);
    TPlaneStyles Style() const { return shape_.Style; }
    void SetStyle(TPlaneStyles value);
    bool NoZWrite() const { return noZWrite_; }
    // Taken as it is, without a change notice.
    void SetNoZWrite(bool value) { noZWrite_ = value; }
    const TGLPlaneShape& Shape() const { return shape_; }

private:
    template <class T> void setShape(T& field, T value);
    TGLPlaneShape shape_;
    bool noZWrite_ = false;
};

// ---- Cube ---------------------------------------------------------------------------------------------

enum TCubePart : uint8_t { cpTop, cpBottom, cpFront, cpBack, cpLeft, cpRight };
using TCubeParts = uint8_t;
constexpr TCubeParts CubePart(TCubePart part) {
    return static_cast<TCubeParts>(1u << part);
}
constexpr TCubeParts cAllCubeParts = 63;

// One quad per face in parts, in the order front, back, left, right, top, bottom; normals negated
// inside.
TGLPrimitive BuildCubeGeometry(float width, float height, float depth, TCubeParts parts,
                               TNormalDirection normalDirection);

class TGLCube : public TGL3DSceneObject {
    E3D_DECLARE_CLASS(TGLCube)
public:
    explicit TGLCube(TComponent* owner = nullptr);
    void Assign(const TPersistent* source) override;
    TVector AxisAlignedDimensionsUnscaled() const override;
    bool RayCastIntersect(const TVector& rayStart, const TVector& rayVector,
                          TVector* intersectPoint = nullptr, TVector* intersectNormal = nullptr) override;
    TGLSilhouette* GenerateSilhouette(const TGLSilhouetteParameters& params) override;
    void BuildList(TRenderContextInfo& rci) override;

    float CubeWidth() const { return width_; }
    void SetCubeWidth(float value);
    float CubeHeight() const { return height_; }
    void SetCubeHeight(float value);
    float CubeDepth() const { return depth_; }
    void SetCubeDepth(float value);
    TNormalDirection NormalDirection() const { return normalDirection_; }
    void SetNormalDirection(TNormalDirection value);
    TCubeParts Parts() const { return parts_; }
    void SetParts(TCubeParts value);
    // The binary property "CubeSize": width, height and depth as three singles, written only when one
    // of them is not 1.
    static constexpr const char* CubeSizePropertyName = "CubeSize";
    bool StoreCubeSize() const { return width_ != 1 || height_ != 1 || depth_ != 1; }
    void WriteCubeSize(TStream& stream) const;
    void ReadCubeSize(TStream& stream);

private:
    float width_ = 1, height_ = 1, depth_ = 1;
    TNormalDirection normalDirection_ = ndOutside;
    TCubeParts parts_ = cAllCubeParts;
};

// ---- Points -------------------------------------------------------------------------------------------

// Point size limits and distance attenuation, applied while a points object draws.
class TGLPointParameters : public TGLUpdateAbleObject {
    E3D_DECLARE_CLASS(TGLPointParameters)
public:
    explicit TGLPointParameters(TPersistent* owner = nullptr);
    ~TGLPointParameters() override;
    void Assign(const TPersistent* source) override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    float MinSize() const { return minSize_; }
    void SetMinSize(float value);
    float MaxSize() const { return maxSize_; }
    void SetMaxSize(float value);
    float FadeTresholdSize() const { return fadeTresholdSize_; }
    void SetFadeTresholdSize(float value);
    // Constant, linear and quadratic attenuation.
    TGLCoordinates* DistanceAttenuation() const { return distanceAttenuation_.get(); }
    void SetDistanceAttenuation(const TGLCoordinates* value);
    // The binary property "PointParams": min, max and fade threshold as three singles, written only
    // when they differ from 0, 128 and 1.
    static constexpr const char* PointParamsPropertyName = "PointParams";
    bool StorePointParams() const { return minSize_ != 0 || maxSize_ != 128 || fadeTresholdSize_ != 1; }
    void WritePointParams(TStream& stream) const;
    void ReadPointParams(TStream& stream);
    // Only when Enabled and the point-parameter extension is there.
    void Apply();
    void UnApply();

private:
    bool enabled_ = false;
    float minSize_ = 0;
    float maxSize_ = 128;
    float fadeTresholdSize_ = 1;
    std::unique_ptr<TGLCoordinates> distanceAttenuation_;
};

enum TGLPointStyle : uint8_t { psSquare, psRound, psSmooth, psSmoothAdditive, psSquareAdditive };

// How many points a list of positions and colours draws: with more than one colour no more points than
// colours (each point needs its own); with no positions, the single point at the origin.
int PointsDrawCount(int positionCount, int colorCount);

class TGLPoints : public TGLImmaterialSceneObject {
    E3D_DECLARE_CLASS(TGLPoints)
public:
    explicit TGLPoints(TComponent* owner = nullptr);
    ~TGLPoints() override;
    void Assign(const TPersistent* source) override;
    void BuildList(TRenderContextInfo& rci) override;

    TAffineVectorList& Positions() { return positions_; }
    const TAffineVectorList& Positions() const { return positions_; }
    TVectorList& Colors() { return colors_; }
    const TVectorList& Colors() const { return colors_; }
    bool NoZWrite() const { return noZWrite_; }
    void SetNoZWrite(bool value);
    // A static cloud is compiled into the object's display list.
    bool Static() const { return static_; }
    void SetStatic(bool value);
    float Size() const { return size_; }
    void SetSize(float value);
    bool StoreSize() const { return size_ != 1; }
    TGLPointStyle Style() const { return style_; }
    void SetStyle(TGLPointStyle value);
    TGLPointParameters* PointParameters() const { return pointParameters_.get(); }
    void SetPointParameters(const TGLPointParameters* value);

private:
    TAffineVectorList positions_;
    TVectorList colors_;
    bool noZWrite_ = false;
    bool static_ = false;
    float size_ = 1;
    TGLPointStyle style_ = psSquare;
    std::unique_ptr<TGLPointParameters> pointParameters_;
};

// ---- Lines --------------------------------------------------------------------------------------------

class TGLLineBase : public TGLImmaterialSceneObject {
    E3D_DECLARE_CLASS(TGLLineBase)
public:
    explicit TGLLineBase(TComponent* owner = nullptr);
    ~TGLLineBase() override;
    void Assign(const TPersistent* source) override;

    bool AntiAliased() const { return antiAliased_; }
    void SetAntiAliased(bool value);
    TGLColor* LineColor() const { return lineColor_.get(); }
    void SetLineColor(const TGLColor* value);
    // A 16-bit stipple; 0xFFFF is solid.
    uint16_t LinePattern() const { return linePattern_; }
    void SetLinePattern(uint16_t value);
    float LineWidth() const { return lineWidth_; }
    void SetLineWidth(float value);
    bool StoreLineWidth() const { return lineWidth_ != 1; }

protected:
    // Pushes the attribute bits and sets the line style; RestoreLineStyle pops them.
    void SetupLineStyle();
    void RestoreLineStyle();

private:
    bool antiAliased_ = false;
    std::unique_ptr<TGLColor> lineColor_;
    uint16_t linePattern_ = 0xFFFF;
    float lineWidth_ = 1;
};

class TGLNodedLines;

// A node with its own colour, made from the lines' node colour.
class TGLLinesNode : public TGLNode {
    E3D_DECLARE_CLASS(TGLLinesNode)
public:
    explicit TGLLinesNode(TCollection* collection = nullptr);
    ~TGLLinesNode() override;
    void Assign(const TPersistent* source) override;
    TGLColor* Color() const { return color_.get(); }
    void SetColor(const TGLColor* value);
    // Stored only when it differs from the lines' node colour.
    bool StoreColor() const;

private:
    TGLNodedLines* lines() const;
    std::unique_ptr<TGLColor> color_;
};

class TGLLinesNodes : public TGLNodes {
    E3D_DECLARE_CLASS(TGLLinesNodes)
public:
    explicit TGLLinesNodes(TPersistent* owner = nullptr);
    TGLLinesNode* Items(int index) const { return static_cast<TGLLinesNode*>(TGLNodes::Items(index)); }
    TGLLinesNode* Add() { return static_cast<TGLLinesNode*>(TGLNodes::Add()); }

protected:
    void Update(TCollectionItem* item) override;
};

enum TLineNodesAspect : uint8_t { lnaInvisible, lnaAxes, lnaCube, lnaDodecahedron };

class TGLNodedLines : public TGLLineBase {
    E3D_DECLARE_CLASS(TGLNodedLines)
public:
    explicit TGLNodedLines(TComponent* owner = nullptr);
    ~TGLNodedLines() override;
    void Assign(const TPersistent* source) override;
    // Per axis, the largest absolute node coordinate.
    TVector AxisAlignedDimensionsUnscaled() const override;

    TGLLinesNodes* Nodes() const { return nodes_.get(); }
    void SetNodes(const TGLLinesNodes* value);
    void AddNode(float x, float y, float z);
    TLineNodesAspect NodesAspect() const { return nodesAspect_; }
    void SetNodesAspect(TLineNodesAspect value);
    // Nodes still in the previous node colour take a new one.
    TGLColor* NodeColor() const { return nodeColor_.get(); }
    void SetNodeColor(const TGLColor* value);
    float NodeSize() const { return nodeSize_; }
    void SetNodeSize(float value);
    bool StoreNodeSize() const { return nodeSize_ != 1; }

protected:
    // The marker of every node, by NodesAspect.
    void DrawNodes(TRenderContextInfo& rci);

private:
    void nodeColorChanged();
    std::unique_ptr<TGLLinesNodes> nodes_;
    TLineNodesAspect nodesAspect_ = lnaAxes;
    std::unique_ptr<TGLColor> nodeColor_;
    TVector oldNodeColor_ = {0, 0, 1, 1};
    float nodeSize_ = 1;
};

enum TLineSplineMode : uint8_t { lsmLines, lsmCubicSpline, lsmBezierSpline, lsmNURBSCurve, lsmSegments };
enum TLinesOption : uint8_t { loUseNodeColorForLines };
using TLinesOptions = uint8_t;
constexpr TLinesOptions LinesOption(TLinesOption option) {
    return static_cast<TLinesOptions>(1u << option);
}

struct TGLLineVertex {
    TAffineVector Position{};
    TVector Color{};
};
// The vertices the straight and cubic-spline modes draw: a line strip (GL_LINE_STRIP) or separate
// segments (GL_LINES). The curve modes drawn by GL evaluators are not covered here.
struct TGLLineStrip {
    GLenum Mode = GL_LINE_STRIP;
    std::vector<TGLLineVertex> Vertices;
};
TGLLineStrip BuildLineStrip(const TGLLinesNodes& nodes, TLineSplineMode mode, int division);

class TGLLines : public TGLNodedLines {
    E3D_DECLARE_CLASS(TGLLines)
public:
    explicit TGLLines(TComponent* owner = nullptr) : TGLNodedLines(owner) {}
    void Assign(const TPersistent* source) override;
    void BuildList(TRenderContextInfo& rci) override;

    int Division() const { return division_; }
    // Values below 1 store 1.
    void SetDivision(int value);
    TLineSplineMode SplineMode() const { return splineMode_; }
    void SetSplineMode(TLineSplineMode value);
    TLinesOptions Options() const { return options_; }
    void SetOptions(TLinesOptions value);
    int NURBSOrder() const { return nurbsOrder_; }
    void SetNURBSOrder(int value);
    std::vector<float>& NURBSKnots() { return nurbsKnots_; }
    float NURBSTolerance() const { return nurbsTolerance_; }
    void SetNURBSTolerance(float value);

private:
    void drawBezier();
    void drawNURBS();
    int division_ = 10;
    TLineSplineMode splineMode_ = lsmLines;
    TLinesOptions options_ = 0;
    int nurbsOrder_ = 0;
    std::vector<float> nurbsKnots_;
    float nurbsTolerance_ = 50;
};

void InitGLObjects();

} // namespace engine3d
