#include "GLObjects.h"
#include "XOpenGL.h"

#include <algorithm>
#include <cmath>

namespace engine3d {

void RenderPrimitive(const TGLPrimitive& primitive, bool withNormals, TTexCoordFeed feed) {
    auto texCoord = feed == tcfRouted ? xgl.TexCoord2fv : [](const GLfloat* v) { glTexCoord2fv(v); };
    glBegin(primitive.Mode);
    for (const TGLVertex& v : primitive.Vertices) {
        texCoord(v.TexCoord.data());
        if (withNormals) glNormal3fv(v.Normal.data());
        glVertex3fv(v.Position.data());
    }
    glEnd();
}

void RenderPrimitives(const TGLPrimitiveList& primitives, bool withNormals) {
    for (const TGLPrimitive& primitive : primitives)
        RenderPrimitive(primitive, withNormals);
}

// ---- Sprite ------------------------------------------------------------------------------------------

namespace {

TAffineVector scaledTo(TAffineVector v, float length) {
    float current = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (current == 0) return v;
    float factor = length / current;
    return {v[0] * factor, v[1] * factor, v[2] * factor};
}

TAffineVector add(const TAffineVector& a, const TAffineVector& b, float sign) {
    return {a[0] + sign * b[0], a[1] + sign * b[1], a[2] + sign * b[2]};
}

} // namespace

TGLPrimitive BuildSpriteQuad(const TMatrix& modelView, float width, float height, bool mirrorU,
                             bool mirrorV) {
    TAffineVector right = scaledTo({modelView[0][0], modelView[1][0], modelView[2][0]}, width * 0.5f);
    TAffineVector up = scaledTo({modelView[0][1], modelView[1][1], modelView[2][1]}, height * 0.5f);
    float u0 = mirrorU ? 1.f : 0.f, u1 = mirrorU ? 0.f : 1.f;
    float t0 = mirrorV ? 1.f : 0.f, t1 = mirrorV ? 0.f : 1.f;
    TAffineVector minusRight = {-right[0], -right[1], -right[2]};
    TGLPrimitive quad;
    quad.Mode = GL_QUADS;
    quad.Vertices = {
        {add(right, up, 1), {}, {u1, t1}},
        {add(minusRight, up, 1), {}, {u0, t1}},
        {add(minusRight, up, -1), {}, {u0, t0}},
        {add(right, up, -1), {}, {u1, t0}},
    };
    return quad;
}

TAffineVector SpriteRotationAxis(const TMatrix& modelView) {
    return {modelView[0][2], modelView[1][2], modelView[2][2]};
}

// ---- Sphere ------------------------------------------------------------------------------------------

namespace {

using Angle = long double;

constexpr Angle cDegToRad = 3.14159265358979323846264338327950288L / 180.0L;

TAffineVector pointAt(Angle latitude, Angle longitude) {
    return {float(std::cos(latitude) * std::sin(longitude)), float(std::sin(latitude)),
            float(std::cos(latitude) * std::cos(longitude))};
}

TAffineVector negated(const TAffineVector& v, bool negate) {
    return negate ? TAffineVector{-v[0], -v[1], -v[2]} : v;
}

// The cap's own direction with the part along V removed, for a cap whose fan starts at the centre.
TAffineVector centerCapNormal(float axisY, const TAffineVector& v) {
    float along = axisY * v[1];
    return {-along * v[0], axisY - along * v[1], -along * v[2]};
}

TGLPrimitive buildCap(const TGLSphereShape& shape, bool top, Angle latitude, Angle firstLongitude,
                      Angle step) {
    bool inside = shape.NormalDirection == ndInside;
    TCapType cap = top ? shape.TopCap : shape.BottomCap;
    float axisY = top ? 1.f : -1.f;
    Angle sp = std::sin(latitude), cp = std::cos(latitude);
    TAffineVector fanNormal = negated({0, axisY, 0}, inside);
    TGLPrimitive fan;
    fan.Mode = GL_TRIANGLE_FAN;
    fan.Vertices.push_back(
        {cap == ctCenter ? TAffineVector{0, 0, 0} : TAffineVector{0, float(sp), 0}, fanNormal, {0.5f, 0.5f}});
    for (int i = 0; i <= shape.Slices; ++i) {
        Angle t = firstLongitude + i * step;
        TAffineVector v = {float(cp * std::sin(t)), float(sp), float(cp * std::cos(t))};
        TAffineVector normal = cap == ctFlat ? fanNormal : negated(centerCapNormal(axisY, v), inside);
        fan.Vertices.push_back(
            {v, normal, {float(std::sin(t) * 0.5L + 0.5L), float(std::cos(t) * 0.5L + 0.5L)}});
    }
    return fan;
}

} // namespace

TGLPrimitiveList BuildSphereGeometry(const TGLSphereShape& shape) {
    int slices = shape.Slices < 1 ? 1 : shape.Slices;
    int stacks = shape.Stacks < 1 ? 1 : shape.Stacks;
    TGLSphereShape s = shape;
    s.Slices = slices;
    s.Stacks = stacks;
    bool inside = shape.NormalDirection == ndInside;
    Angle top = shape.Top * cDegToRad, bottom = shape.Bottom * cDegToRad;
    Angle start = shape.Start * cDegToRad, stop = shape.Stop * cDegToRad;
    Angle dT = (stop - start) / slices;
    Angle dP = (top - bottom) / stacks;

    TGLPrimitiveList primitives;
    if (shape.Top < 90 && shape.TopCap != ctNone) primitives.push_back(buildCap(s, true, top, start, dT));
    for (int j = 0; j < stacks; ++j) {
        Angle p = top - j * dP;
        Angle p2 = p - dP;
        float t0 = 1.f - float(j) / stacks;
        float t1 = 1.f - float(j + 1) / stacks;
        TGLPrimitive strip;
        strip.Mode = GL_TRIANGLE_STRIP;
        strip.Vertices.reserve(size_t(slices + 1) * 2);
        for (int i = 0; i <= slices; ++i) {
            Angle t = start + i * dT;
            float sCoord = float(i) / slices;
            TAffineVector v1 = pointAt(p, t);
            TAffineVector v2 = pointAt(p2, t);
            strip.Vertices.push_back({v1, negated(v1, inside), {sCoord, t0}});
            strip.Vertices.push_back({v2, negated(v2, inside), {sCoord, t1}});
        }
        primitives.push_back(std::move(strip));
    }
    if (shape.Bottom > -90 && shape.BottomCap != ctNone)
        primitives.push_back(buildCap(s, false, bottom, stop, -dT));
    return primitives;
}

void RenderSphere(const TGLSphereShape& shape, float radius) {
    bool inside = shape.NormalDirection == ndInside;
    glPushAttrib(GL_POLYGON_BIT);
    if (inside) {
        GLint winding = GL_CCW;
        glGetIntegerv(GL_FRONT_FACE, &winding);
        glFrontFace(winding == GL_CCW ? GL_CW : GL_CCW);
    }
    glPushMatrix();
    glScalef(radius, radius, radius);
    RenderPrimitives(BuildSphereGeometry(shape), true);
    glPopMatrix();
    // The attribute pop restores the winding as well.
    glPopAttrib();
}

TGLSilhouette* BuildSphereSilhouette(const TGLSilhouetteParameters& parameters, float radius, int stacks,
                                     int slices) {
    int n = std::max(std::max(stacks, slices), 1);
    TAffineVector s = CrossProduct3(parameters.SeenFrom, {1, 0, 0});
    if (VectorLength(s) < 0.001f) s = CrossProduct3(parameters.SeenFrom, {0, 1, 0});
    TAffineVector t = CrossProduct3(parameters.SeenFrom, s);
    NormalizeVector3(s);
    NormalizeVector3(t);
    auto* silhouette = new TGLSilhouette();
    for (int i = 0; i < n; ++i) {
        double angle = i * 2 * 3.14159265358979323846 / n;
        float c = float(std::cos(angle)) * radius, d = float(std::sin(angle)) * radius;
        silhouette->Vertices().AddPoint(s[0] * c + t[0] * d, s[1] * c + t[1] * d, s[2] * c + t[2] * d);
        silhouette->Indices().Add(i);
        silhouette->Indices().Add((i + 1) % n);
        if (parameters.CappingRequired) {
            silhouette->CapIndices().Add(n);
            silhouette->CapIndices().Add(i);
            silhouette->CapIndices().Add((i + 1) % n);
        }
    }
    if (parameters.CappingRequired) silhouette->Vertices().Add(TVector{0, 0, 0, 1});
    return silhouette;
}

// ---- Scene objects ------------------------------------------------------------------------------------

namespace {

TMatrix currentModelViewMatrix() {
    TMatrix m = IdentityHmgMatrix;
    glGetFloatv(GL_MODELVIEW_MATRIX, &m[0][0]);
    return m;
}

// Setters of the scene shapes store only a changed value; the notice depends on the property.
template <class T> bool storeChanged(T& field, T value) {
    if (field == value) return false;
    field = value;
    return true;
}

} // namespace

E3D_DEFINE_CLASS(TGLSprite, TGL3DSceneObject)

TGLSprite::TGLSprite(TComponent* owner) : TGL3DSceneObject(owner) {
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw) | ObjectStyle(osNoCulling));
}

void TGLSprite::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLSprite*>(source)) {
        width_ = other->width_;
        height_ = other->height_;
        rotation_ = other->rotation_;
        alphaChannel_ = other->alphaChannel_;
        noZWrite_ = other->noZWrite_;
        mirrorU_ = other->mirrorU_;
        mirrorV_ = other->mirrorV_;
    }
    TGL3DSceneObject::Assign(source);
}

TVector TGLSprite::AxisAlignedDimensionsUnscaled() const {
    float halfWidth = std::fabs(width_) * 0.5f;
    return {halfWidth, std::fabs(height_) * 0.5f, halfWidth, 0};
}

void TGLSprite::SetWidth(float value) {
    if (storeChanged(width_, value)) NotifyChange(this);
}

void TGLSprite::SetHeight(float value) {
    if (storeChanged(height_, value)) NotifyChange(this);
}

void TGLSprite::SetRotation(float value) {
    if (storeChanged(rotation_, value)) NotifyChange(this);
}

void TGLSprite::SetAlphaChannel(float value) {
    if (value == alphaChannel_) return;
    alphaChannel_ = std::clamp(value, 0.f, 1.f);
    NotifyChange(this);
}

void TGLSprite::SetNoZWrite(bool value) {
    noZWrite_ = value;
    NotifyChange(this);
}

void TGLSprite::SetMirrorU(bool value) {
    mirrorU_ = value;
    NotifyChange(this);
}

void TGLSprite::SetMirrorV(bool value) {
    mirrorV_ = value;
    NotifyChange(this);
}

void TGLSprite::BuildList(TRenderContextInfo& rci) {
    if (alphaChannel_ != 1 && rci.StateCache)
        rci.StateCache->StateCacheSetMaterialAlpha(GL_FRONT, alphaChannel_);
    if (noZWrite_) glDepthMask(GL_FALSE);
    TMatrix modelView = currentModelViewMatrix();
    TGLPrimitive quad = BuildSpriteQuad(modelView, width_, height_, mirrorU_, mirrorV_);
    if (rotation_ != 0) {
        TAffineVector axis = SpriteRotationAxis(modelView);
        glPushMatrix();
        glRotatef(rotation_, axis[0], axis[1], axis[2]);
    }
    RenderPrimitive(quad, false);
    if (rotation_ != 0) glPopMatrix();
    if (noZWrite_) glDepthMask(GL_TRUE);
}

E3D_DEFINE_CLASS(TGLQuadricObject, TGL3DSceneObject)

void TGLQuadricObject::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLQuadricObject*>(source)) {
        SetNormals(other->normals_);
        SetNormalDirection(other->normalDirection_);
    }
    TGL3DSceneObject::Assign(source);
}

void TGLQuadricObject::SetNormals(TNormalSmoothing value) {
    if (storeChanged(normals_, value)) SceneObjectStructureChanged();
}

void TGLQuadricObject::SetNormalDirection(TNormalDirection value) {
    if (storeChanged(normalDirection_, value)) SceneObjectStructureChanged();
}

E3D_DEFINE_CLASS(TGLSphere, TGLQuadricObject)

void TGLSphere::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLSphere*>(source)) {
        SetRadius(other->radius_);
        SetSlices(other->slices_);
        SetStacks(other->stacks_);
        SetBottom(other->bottom_);
        SetTop(other->top_);
        // Widen first so that neither setter sees a start above the stop.
        if (other->start_ > stop_) {
            SetStop(other->stop_);
            SetStart(other->start_);
        } else {
            SetStart(other->start_);
            SetStop(other->stop_);
        }
    }
    TGLQuadricObject::Assign(source);
}

TVector TGLSphere::AxisAlignedDimensionsUnscaled() const {
    float r = std::fabs(radius_);
    return {r, r, r, 0};
}

bool TGLSphere::RayCastIntersect(const TVector& rayStart, const TVector& rayVector, TVector* intersectPoint,
                                 TVector* intersectNormal) {
    TVector localStart = SceneObjectAbsoluteToLocal(rayStart);
    TVector direction = rayVector;
    direction[3] = 0;
    TVector localVector = SceneObjectAbsoluteToLocal(direction);
    localVector[3] = 0;
    NormalizeVector(localVector);
    TVector i1{}, i2{};
    if (RaySphereIntersect(localStart, localVector, {0, 0, 0, 1}, radius_, i1, i2) <= 0) return false;
    if (intersectPoint) *intersectPoint = SceneObjectLocalToAbsolute(i1);
    if (intersectNormal) {
        i1[3] = 0;
        *intersectNormal = SceneObjectLocalToAbsolute(i1);
    }
    return true;
}

TGLSilhouette* TGLSphere::GenerateSilhouette(const TGLSilhouetteParameters& params) {
    return BuildSphereSilhouette(params, radius_, stacks_, slices_);
}

void TGLSphere::SetRadius(float value) {
    if (storeChanged(radius_, value)) SceneObjectStructureChanged();
}

void TGLSphere::SetSlices(int value) {
    if (storeChanged(slices_, std::max(value, 1))) SceneObjectStructureChanged();
}

void TGLSphere::SetStacks(int value) {
    if (storeChanged(stacks_, std::max(value, 1))) SceneObjectStructureChanged();
}

void TGLSphere::SetTop(TAngleLimit1 value) {
    if (storeChanged(top_, value)) SceneObjectStructureChanged();
}

void TGLSphere::SetBottom(TAngleLimit1 value) {
    if (storeChanged(bottom_, value)) SceneObjectStructureChanged();
}

void TGLSphere::SetStart(TAngleLimit2 value) {
    if (value == start_) return;
    GLAssert(value <= stop_, "Start must not be above Stop");
    start_ = value;
    SceneObjectStructureChanged();
}

void TGLSphere::SetStop(TAngleLimit2 value) {
    if (value == stop_) return;
    GLAssert(value >= start_, "Stop must not be below Start");
    stop_ = value;
    SceneObjectStructureChanged();
}

void TGLSphere::SetTopCap(TCapType value) {
    if (storeChanged(topCap_, value)) SceneObjectStructureChanged();
}

void TGLSphere::SetBottomCap(TCapType value) {
    if (storeChanged(bottomCap_, value)) SceneObjectStructureChanged();
}

TGLSphereShape TGLSphere::Shape() const {
    TGLSphereShape shape;
    shape.Slices = slices_;
    shape.Stacks = stacks_;
    shape.Top = top_;
    shape.Bottom = bottom_;
    shape.Start = start_;
    shape.Stop = stop_;
    shape.TopCap = topCap_;
    shape.BottomCap = bottomCap_;
    shape.NormalDirection = NormalDirection();
    return shape;
}

void TGLSphere::BuildList(TRenderContextInfo& rci) {
    bool inside = NormalDirection() == ndInside;
    glPushAttrib(GL_POLYGON_BIT);
    if (inside && rci.StateCache) rci.StateCache->InvertGLFrontFace();
    glPushMatrix();
    glScalef(radius_, radius_, radius_);
    RenderPrimitives(BuildSphereGeometry(Shape()), true);
    glPopMatrix();
    if (inside && rci.StateCache) rci.StateCache->InvertGLFrontFace();
    glPopAttrib();
}

// ---- Wire cube and dodecahedron -----------------------------------------------------------------------

void DrawWireCube(TRenderContextInfo& rci, bool dotted, const TVector& color, float size) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_LINE_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_LINE_SMOOTH);
    if (dotted) {
        glEnable(GL_LINE_STIPPLE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glLineStipple(1, 0xCCCC);
    }
    glLineWidth(1);
    float h = size * 0.5f;
    if (rci.StateCache) rci.StateCache->ResetGLMaterialColors();
    glColorMaterial(GL_FRONT, GL_EMISSION);
    glEnable(GL_COLOR_MATERIAL);
    glColor4fv(color.data());
    glBegin(GL_LINE_STRIP);
    glVertex3f(h, -h, -h);
    glVertex3f(h, h, -h);
    glVertex3f(h, h, h);
    glVertex3f(h, -h, h);
    glVertex3f(h, -h, -h);
    glVertex3f(-h, -h, -h);
    glVertex3f(-h, -h, h);
    glVertex3f(-h, h, h);
    glVertex3f(-h, h, -h);
    glVertex3f(h, h, -h);
    glEnd();
    glBegin(GL_LINES);
    glVertex3f(h, h, h);
    glVertex3f(-h, h, h);
    glVertex3f(-h, -h, -h);
    glVertex3f(-h, h, -h);
    glVertex3f(h, -h, h);
    glVertex3f(-h, -h, h);
    glEnd();
    glPopAttrib();
}

const std::array<TAffineVector, 20>& DodecahedronVertices() {
    constexpr float a = 0.48541f, b = 0.18541f, e = 0.3f;
    static const std::array<TAffineVector, 20> vertices = {{
        {-a, 0, b},  {-a, 0, -b}, {a, 0, -b},  {a, 0, b},   {b, -a, 0}, {-b, -a, 0}, {-b, a, 0},
        {b, a, 0},   {0, b, -a},  {0, -b, -a}, {0, -b, a},  {0, b, a},  {-e, -e, e}, {-e, -e, -e},
        {e, -e, -e}, {e, -e, e},  {-e, e, e},  {-e, e, -e}, {e, e, -e}, {e, e, e},
    }};
    return vertices;
}

const std::array<std::array<int, 5>, 12>& DodecahedronFaces() {
    static const std::array<std::array<int, 5>, 12> faces = {{
        {0, 12, 10, 11, 16},
        {1, 17, 8, 9, 13},
        {2, 14, 9, 8, 18},
        {3, 19, 11, 10, 15},
        {4, 14, 2, 3, 15},
        {5, 12, 0, 1, 13},
        {6, 17, 1, 0, 16},
        {7, 19, 3, 2, 18},
        {8, 17, 6, 7, 18},
        {9, 14, 4, 5, 13},
        {10, 12, 5, 4, 15},
        {11, 19, 7, 6, 16},
    }};
    return faces;
}

void DrawDodecahedron() {
    const auto& vertices = DodecahedronVertices();
    for (const auto& face : DodecahedronFaces()) {
        TAffineVector normal = PlaneNormalFromPoints(vertices[static_cast<size_t>(face[0])],
                                                     vertices[static_cast<size_t>(face[1])],
                                                     vertices[static_cast<size_t>(face[2])]);
        glNormal3fv(normal.data());
        glBegin(GL_TRIANGLE_FAN);
        for (int index : face)
            glVertex3fv(vertices[static_cast<size_t>(index)].data());
        glEnd();
    }
}

// ---- Dummy cube ---------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLDummyCube, TGLCameraInvariantObject)

TGLDummyCube::TGLDummyCube(TComponent* owner)
    : TGLCameraInvariantObject(owner), edgeColor_(std::make_unique<TGLColor>(this, TVector{1, 1, 1, 1})) {
    SetCamInvarianceMode(cimNone);
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw));
}

TGLDummyCube::~TGLDummyCube() = default;

void TGLDummyCube::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLDummyCube*>(source)) {
        cubeSize_ = other->cubeSize_;
        edgeColor_->SetColor(other->edgeColor_->Color());
        visibleAtRunTime_ = other->visibleAtRunTime_;
        SetAmalgamate(other->amalgamate_);
        NotifyChange(this);
    }
    TGLCameraInvariantObject::Assign(source);
}

TVector TGLDummyCube::AxisAlignedDimensionsUnscaled() const {
    float half = std::fabs(cubeSize_) * 0.5f;
    return {half, half, half, 0};
}

TVector TGLDummyCube::BarycenterAbsolutePosition() {
    int count = SceneObjectChildCount();
    if (count == 0) return SceneObjectAbsolutePosition();
    TVector sum = {0, 0, 0, 0};
    for (int i = 0; i < count; ++i) {
        TVector centre = SceneObjectChild(i)->BarycenterAbsolutePosition();
        for (size_t k = 0; k < 4; ++k)
            sum[k] += centre[k];
    }
    for (float& component : sum)
        component /= float(count);
    return sum;
}

void TGLDummyCube::SetCubeSize(float value) {
    if (value == cubeSize_) return;
    cubeSize_ = value;
    StructureChanged();
}

void TGLDummyCube::SetEdgeColor(const TGLColor* value) {
    if (value != edgeColor_.get()) edgeColor_->Assign(value);
}

void TGLDummyCube::SetVisibleAtRunTime(bool value) {
    if (value == visibleAtRunTime_) return;
    visibleAtRunTime_ = value;
    StructureChanged();
}

void TGLDummyCube::SetAmalgamate(bool value) {
    if (value == amalgamate_) return;
    amalgamate_ = value;
    if (amalgamate_) {
        SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osAltersRenderState));
    } else {
        discardGroupList();
        SetObjectStyle(ObjectStyleFlags() & ~ObjectStyle(osAltersRenderState));
    }
    StructureChanged();
}

void TGLDummyCube::discardGroupList() {
    if (groupList_) groupList_->HandleDestroy();
}

void TGLDummyCube::StructureChanged() {
    if (amalgamate_) discardGroupList();
    SceneObjectStructureChanged();
}

void TGLDummyCube::DestroyHandle() {
    discardGroupList();
    TGLCameraInvariantObject::DestroyHandle();
}

namespace {

// The children's own display lists are never compiled inside the group list, so their structure flags
// stay set until cleared here; a flag seen set again later means the subtree changed.
bool anyStructureChanged(const TGLBaseSceneObject& object) {
    for (int i = 0; i < object.SceneObjectChildCount(); ++i) {
        TGLBaseSceneObject* child = object.SceneObjectChild(i);
        if ((child->Changes() & ObjectChange(ocStructure)) || anyStructureChanged(*child)) return true;
    }
    return false;
}

void clearStructureChanged(TGLBaseSceneObject& object) {
    object.ClearStructureChanged();
    for (int i = 0; i < object.SceneObjectChildCount(); ++i)
        clearStructureChanged(*object.SceneObjectChild(i));
}

} // namespace

bool TGLDummyCube::subtreeChanged() const {
    return (Changes() & ObjectChange(ocStructure)) || anyStructureChanged(*this);
}

void TGLDummyCube::BuildList(TRenderContextInfo& rci) {
    // This program has no design mode: the cube shows only when asked to at run time.
    if (visibleAtRunTime_) DrawWireCube(rci, true, edgeColor_->Color(), cubeSize_);
}

void TGLDummyCube::DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) {
    if (OnVisibilityDetermination && !OnVisibilityDetermination(this, rci)) return;
    if (!amalgamate_ || rci.DirectBuild) {
        TGLCameraInvariantObject::DoRender(rci, renderSelf, renderChildren);
        return;
    }
    if (GroupListHandle() != 0 && subtreeChanged()) discardGroupList();
    if (GroupListHandle() == 0) {
        if (!groupList_) groupList_ = std::make_unique<TGLListHandle>();
        groupList_->AllocateHandle();
        GLAssert(groupList_->Handle() != 0, "Handle=0 for " + Name());
        glNewList(groupList_->Handle(), GL_COMPILE);
        rci.DirectBuild = true;
        try {
            TGLCameraInvariantObject::DoRender(rci, renderSelf, renderChildren);
        } catch (...) {
            rci.DirectBuild = false;
            glEndList();
            throw;
        }
        rci.DirectBuild = false;
        glEndList();
        ++groupListBuilds_;
        clearStructureChanged(*this);
    }
    glCallList(groupList_->Handle());
}

// ---- Plane --------------------------------------------------------------------------------------------

TGLPrimitiveList BuildPlaneGeometry(const TGLPlaneShape& shape) {
    float hw = shape.Width * 0.5f, hh = shape.Height * 0.5f;
    unsigned xTiles = std::max(shape.XTiles, 1u), yTiles = std::max(shape.YTiles, 1u);
    float s0 = 0, s1 = shape.XScope, t0 = 0, t1 = shape.YScope;
    if (shape.Style & PlaneStyle(psTileTexture)) {
        s0 = shape.XOffset;
        s1 = float(xTiles) * shape.XScope + shape.XOffset;
        t0 = shape.YOffset;
        t1 = float(yTiles) * shape.YScope + shape.YOffset;
    }
    TAffineVector normal = {0, 0, 1};
    TGLPrimitiveList primitives;
    if (shape.Style & PlaneStyle(psSingleQuad)) {
        TGLPrimitive quad;
        quad.Mode = GL_QUADS;
        quad.Vertices = {{{hw, hh, 0}, normal, {s1, t1}},
                         {{-hw, hh, 0}, normal, {s0, t1}},
                         {{-hw, -hh, 0}, normal, {s0, t0}},
                         {{hw, -hh, 0}, normal, {s1, t0}}};
        primitives.push_back(std::move(quad));
        return primitives;
    }
    for (unsigned j = 0; j < yTiles; ++j) {
        float yLow = -hh + float(j) * shape.Height / float(yTiles);
        float yHigh = -hh + float(j + 1) * shape.Height / float(yTiles);
        float tLow = t0 + float(j) * (t1 - t0) / float(yTiles);
        float tHigh = t0 + float(j + 1) * (t1 - t0) / float(yTiles);
        TGLPrimitive strip;
        strip.Mode = GL_TRIANGLE_STRIP;
        for (unsigned i = 0; i <= xTiles; ++i) {
            float x = float(i) * shape.Width / float(xTiles) - hw;
            float s = s0 + float(i) * (s1 - s0) / float(xTiles);
            strip.Vertices.push_back({{x, yHigh, 0}, normal, {s, tHigh}});
            strip.Vertices.push_back({{x, yLow, 0}, normal, {s, tLow}});
        }
        primitives.push_back(std::move(strip));
    }
    return primitives;
}

E3D_DEFINE_CLASS(TGLPlane, TGL3DSceneObject)

TGLPlane::TGLPlane(TComponent* owner) : TGL3DSceneObject(owner) {
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw));
}

void TGLPlane::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLPlane*>(source)) {
        SetWidth(other->Width());
        SetHeight(other->Height());
    }
    TGL3DSceneObject::Assign(source);
}

TVector TGLPlane::AxisAlignedDimensionsUnscaled() const {
    return {std::fabs(shape_.Width) * 0.5f, std::fabs(shape_.Height) * 0.5f, 0, 0};
}

bool TGLPlane::RayCastIntersect(const TVector& rayStart, const TVector& rayVector, TVector* intersectPoint,
                                TVector* intersectNormal) {
    TVector start = SceneObjectAbsoluteToLocal(rayStart);
    TVector direction = rayVector;
    direction[3] = 0;
    direction = SceneObjectAbsoluteToLocal(direction);
    // Only a ray running towards the plane z = 0 can meet it.
    if (direction[2] == 0 || start[2] * direction[2] >= 0) return false;
    float t = -start[2] / direction[2];
    TVector hit = {start[0] + t * direction[0], start[1] + t * direction[1], 0, 1};
    if (std::fabs(hit[0]) > shape_.Width * 0.5f || std::fabs(hit[1]) > shape_.Height * 0.5f) return false;
    if (intersectPoint) *intersectPoint = SceneObjectLocalToAbsolute(hit);
    if (intersectNormal) {
        TVector normal = {0, 0, start[2] > 0 ? 1.f : -1.f, 0};
        *intersectNormal = SceneObjectLocalToAbsolute(normal);
        NormalizeVector(*intersectNormal);
    }
    return true;
}

TGLSilhouette* TGLPlane::GenerateSilhouette(const TGLSilhouetteParameters& params) {
    float hw = shape_.Width * 0.5f, hh = shape_.Height * 0.5f;
    auto* silhouette = new TGLSilhouette();
    silhouette->Vertices().AddPoint(hw, hh, 0);
    silhouette->Vertices().AddPoint(hw, -hh, 0);
    silhouette->Vertices().AddPoint(-hw, -hh, 0);
    silhouette->Vertices().AddPoint(-hw, hh, 0);
    for (int i = 0; i < 4; ++i) {
        silhouette->Indices().Add(i);
        silhouette->Indices().Add((i + 1) % 4);
    }
    if (params.CappingRequired)
        for (int index : {0, 1, 2, 2, 3, 0})
            silhouette->CapIndices().Add(index);
    return silhouette;
}

template <class T> void TGLPlane::setShape(T& field, T value) {
    if (field == value) return;
    field = value;
    SceneObjectStructureChanged();
}

void TGLPlane::SetWidth(float value) {
    setShape(shape_.Width, value);
}
void TGLPlane::SetHeight(float value) {
    setShape(shape_.Height, value);
}
void TGLPlane::SetXOffset(float value) {
    setShape(shape_.XOffset, value);
}
void TGLPlane::SetXScope(float value) {
    setShape(shape_.XScope, value);
}
void TGLPlane::SetXTiles(unsigned value) {
    setShape(shape_.XTiles, std::max(value, 1u));
}
void TGLPlane::SetYOffset(float value) {
    setShape(shape_.YOffset, value);
}
void TGLPlane::SetYScope(float value) {
    setShape(shape_.YScope, value);
}
void TGLPlane::SetYTiles(unsigned value) {
    setShape(shape_.YTiles, std::max(value, 1u));
}
void TGLPlane::SetStyle(TPlaneStyles value) {
    setShape(shape_.Style, value);
}

void TGLPlane::BuildList(TRenderContextInfo&) {
    if (noZWrite_) glDepthMask(GL_FALSE);
    glNormal3f(0, 0, 1);
    RenderPrimitives(BuildPlaneGeometry(shape_), true);
    if (noZWrite_) glDepthMask(GL_TRUE);
}

// ---- Cube ---------------------------------------------------------------------------------------------

TGLPrimitive BuildCubeGeometry(float width, float height, float depth, TCubeParts parts,
                               TNormalDirection normalDirection) {
    float hw = width * 0.5f, hh = height * 0.5f, hd = depth * 0.5f;
    float n = normalDirection == ndInside ? -1.f : 1.f;
    struct Face {
        TCubePart part;
        TAffineVector normal;
        std::array<TAffineVector, 4> corners; // top right, top left, bottom left, bottom right from outside
    };
    const std::array<Face, 6> faces = {{
        {cpFront, {0, 0, n}, {{{hw, hh, hd}, {-hw, hh, hd}, {-hw, -hh, hd}, {hw, -hh, hd}}}},
        {cpBack, {0, 0, -n}, {{{-hw, hh, -hd}, {hw, hh, -hd}, {hw, -hh, -hd}, {-hw, -hh, -hd}}}},
        {cpLeft, {-n, 0, 0}, {{{-hw, hh, hd}, {-hw, hh, -hd}, {-hw, -hh, -hd}, {-hw, -hh, hd}}}},
        {cpRight, {n, 0, 0}, {{{hw, hh, -hd}, {hw, hh, hd}, {hw, -hh, hd}, {hw, -hh, -hd}}}},
        {cpTop, {0, n, 0}, {{{hw, hh, -hd}, {-hw, hh, -hd}, {-hw, hh, hd}, {hw, hh, hd}}}},
        {cpBottom, {0, -n, 0}, {{{hw, -hh, hd}, {-hw, -hh, hd}, {-hw, -hh, -hd}, {hw, -hh, -hd}}}},
    }};
    constexpr std::array<TTexPoint, 4> texCorners = {{{1, 1}, {0, 1}, {0, 0}, {1, 0}}};
    TGLPrimitive quads;
    quads.Mode = GL_QUADS;
    for (const Face& face : faces) {
        if (!(parts & CubePart(face.part))) continue;
        for (size_t i = 0; i < 4; ++i)
            quads.Vertices.push_back({face.corners[i], face.normal, texCorners[i]});
    }
    return quads;
}

E3D_DEFINE_CLASS(TGLCube, TGL3DSceneObject)

TGLCube::TGLCube(TComponent* owner) : TGL3DSceneObject(owner) {
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw));
}

void TGLCube::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLCube*>(source)) {
        width_ = other->width_;
        height_ = other->height_;
        depth_ = other->depth_;
        parts_ = other->parts_;
        normalDirection_ = other->normalDirection_;
        SceneObjectStructureChanged();
    }
    TGL3DSceneObject::Assign(source);
}

TVector TGLCube::AxisAlignedDimensionsUnscaled() const {
    return {width_ * 0.5f, height_ * 0.5f, depth_ * 0.5f, 0};
}

bool TGLCube::RayCastIntersect(const TVector& rayStart, const TVector& rayVector, TVector* intersectPoint,
                               TVector* intersectNormal) {
    TVector start = SceneObjectAbsoluteToLocal(rayStart);
    TVector direction = rayVector;
    direction[3] = 0;
    direction = SceneObjectAbsoluteToLocal(direction);
    const float half[3] = {width_ * 0.5f, height_ * 0.5f, depth_ * 0.5f};
    // The six face planes in turn: +x, -x, +y, -y, +z, -z; only a face turned towards the ray can be
    // where it enters, so the first hit is the nearest.
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {1.f, -1.f}) {
            size_t a = static_cast<size_t>(axis);
            if (direction[a] * side >= 0) continue;
            float t = (side * half[axis] - start[a]) / direction[a];
            if (t < 0) continue;
            TVector hit = {start[0] + t * direction[0], start[1] + t * direction[1],
                           start[2] + t * direction[2], 1};
            bool inside = true;
            for (int other = 0; other < 3; ++other)
                if (other != axis && std::fabs(hit[static_cast<size_t>(other)]) > half[other]) inside = false;
            if (!inside) continue;
            hit[a] = side * half[axis];
            if (intersectPoint) *intersectPoint = SceneObjectLocalToAbsolute(hit);
            if (intersectNormal) {
                TVector normal = {0, 0, 0, 0};
                normal[a] = side;
                *intersectNormal = SceneObjectLocalToAbsolute(normal);
                NormalizeVector(*intersectNormal);
            }
            return true;
        }
    }
    return false;
}

TGLSilhouette* TGLCube::GenerateSilhouette(const TGLSilhouetteParameters& params) {
    TConnectivity connectivity(true);
    TGLPrimitive quads = BuildCubeGeometry(width_, height_, depth_, parts_, ndOutside);
    for (size_t i = 0; i + 3 < quads.Vertices.size(); i += 4)
        connectivity.AddQuad(quads.Vertices[i].Position, quads.Vertices[i + 1].Position,
                             quads.Vertices[i + 2].Position, quads.Vertices[i + 3].Position);
    TGLSilhouette* silhouette = nullptr;
    connectivity.CreateSilhouette(params, silhouette, false);
    return silhouette;
}

void TGLCube::SetCubeWidth(float value) {
    if (storeChanged(width_, value)) SceneObjectStructureChanged();
}
void TGLCube::SetCubeHeight(float value) {
    if (storeChanged(height_, value)) SceneObjectStructureChanged();
}
void TGLCube::SetCubeDepth(float value) {
    if (storeChanged(depth_, value)) SceneObjectStructureChanged();
}
void TGLCube::SetNormalDirection(TNormalDirection value) {
    if (storeChanged(normalDirection_, value)) SceneObjectStructureChanged();
}
void TGLCube::SetParts(TCubeParts value) {
    if (storeChanged(parts_, static_cast<TCubeParts>(value & cAllCubeParts))) SceneObjectStructureChanged();
}

void TGLCube::WriteCubeSize(TStream& stream) const {
    const float sizes[3] = {width_, height_, depth_};
    stream.WriteBuffer(sizes, sizeof(sizes));
}

void TGLCube::ReadCubeSize(TStream& stream) {
    float sizes[3] = {1, 1, 1};
    stream.ReadBuffer(sizes, sizeof(sizes));
    width_ = sizes[0];
    height_ = sizes[1];
    depth_ = sizes[2];
    SceneObjectStructureChanged();
}

void TGLCube::BuildList(TRenderContextInfo&) {
    RenderPrimitive(BuildCubeGeometry(width_, height_, depth_, parts_, normalDirection_), true);
}

// ---- Points -------------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLPointParameters, TGLUpdateAbleObject)

TGLPointParameters::TGLPointParameters(TPersistent* owner)
    : TGLUpdateAbleObject(owner),
      distanceAttenuation_(TGLCoordinates::CreateWithVector(this, {1, 0, 0, 0}, csVector)) {}

TGLPointParameters::~TGLPointParameters() = default;

void TGLPointParameters::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLPointParameters*>(source)) {
        minSize_ = other->minSize_;
        maxSize_ = other->maxSize_;
        fadeTresholdSize_ = other->fadeTresholdSize_;
        distanceAttenuation_->Assign(other->distanceAttenuation_.get());
        enabled_ = other->enabled_;
        NotifyChange(this);
        return;
    }
    TGLUpdateAbleObject::Assign(source);
}

void TGLPointParameters::SetEnabled(bool value) {
    if (storeChanged(enabled_, value)) NotifyChange(this);
}
void TGLPointParameters::SetMinSize(float value) {
    if (storeChanged(minSize_, value)) NotifyChange(this);
}
void TGLPointParameters::SetMaxSize(float value) {
    if (storeChanged(maxSize_, value)) NotifyChange(this);
}
void TGLPointParameters::SetFadeTresholdSize(float value) {
    if (storeChanged(fadeTresholdSize_, value)) NotifyChange(this);
}
void TGLPointParameters::SetDistanceAttenuation(const TGLCoordinates* value) {
    distanceAttenuation_->Assign(value);
}

void TGLPointParameters::WritePointParams(TStream& stream) const {
    const float values[3] = {minSize_, maxSize_, fadeTresholdSize_};
    stream.WriteBuffer(values, sizeof(values));
}

void TGLPointParameters::ReadPointParams(TStream& stream) {
    float values[3] = {0, 128, 1};
    stream.ReadBuffer(values, sizeof(values));
    minSize_ = values[0];
    maxSize_ = values[1];
    fadeTresholdSize_ = values[2];
    NotifyChange(this);
}

void TGLPointParameters::Apply() {
    if (!enabled_ || !GLExtensions.ARB_point_parameters) return;
    glPointParameterf(GL_POINT_SIZE_MIN, minSize_);
    glPointParameterf(GL_POINT_SIZE_MAX, maxSize_);
    glPointParameterf(GL_POINT_FADE_THRESHOLD_SIZE, fadeTresholdSize_);
    glPointParameterfv(GL_POINT_DISTANCE_ATTENUATION, distanceAttenuation_->AsAddress());
}

void TGLPointParameters::UnApply() {
    if (!enabled_ || !GLExtensions.ARB_point_parameters) return;
    const float attenuation[3] = {1, 0, 0};
    glPointParameterf(GL_POINT_SIZE_MIN, 0);
    glPointParameterf(GL_POINT_SIZE_MAX, 128);
    glPointParameterf(GL_POINT_FADE_THRESHOLD_SIZE, 1);
    glPointParameterfv(GL_POINT_DISTANCE_ATTENUATION, attenuation);
}

int PointsDrawCount(int positionCount, int colorCount) {
    if (positionCount <= 0) return 1;
    return colorCount > 1 ? std::min(positionCount, colorCount) : positionCount;
}

E3D_DEFINE_CLASS(TGLPoints, TGLImmaterialSceneObject)

TGLPoints::TGLPoints(TComponent* owner)
    : TGLImmaterialSceneObject(owner), pointParameters_(std::make_unique<TGLPointParameters>(this)) {
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw) | ObjectStyle(osNoCulling));
}

TGLPoints::~TGLPoints() = default;

void TGLPoints::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLPoints*>(source)) {
        size_ = other->size_;
        style_ = other->style_;
        positions_.Assign(&other->positions_);
        colors_.Assign(&other->colors_);
        SceneObjectStructureChanged();
    }
    TGLImmaterialSceneObject::Assign(source);
}

void TGLPoints::SetNoZWrite(bool value) {
    if (storeChanged(noZWrite_, value)) SceneObjectStructureChanged();
}

void TGLPoints::SetStatic(bool value) {
    if (!storeChanged(static_, value)) return;
    if (static_)
        SetObjectStyle(ObjectStyleFlags() & ~ObjectStyle(osImmediateDraw));
    else
        SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw));
    SceneObjectStructureChanged();
}

void TGLPoints::SetSize(float value) {
    if (storeChanged(size_, value)) SceneObjectStructureChanged();
}

void TGLPoints::SetStyle(TGLPointStyle value) {
    if (storeChanged(style_, value)) SceneObjectStructureChanged();
}

void TGLPoints::SetPointParameters(const TGLPointParameters* value) {
    pointParameters_->Assign(value);
}

void TGLPoints::BuildList(TRenderContextInfo&) {
    int colorCount = colors_.Count();
    int count = PointsDrawCount(positions_.Count(), colorCount);
    glPushAttrib(GL_ENABLE_BIT);
    if (colorCount == 0)
        glColor4f(1, 1, 1, 1);
    else if (colorCount == 1)
        glColor4fv(colors_.List()[0].data());
    else {
        glColorPointer(4, GL_FLOAT, 0, colors_.List());
        glEnableClientState(GL_COLOR_ARRAY);
    }
    glDisable(GL_LIGHTING);
    static const TAffineVector origin = {0, 0, 0};
    glVertexPointer(3, GL_FLOAT, 0, positions_.Count() > 0 ? positions_.List()->data() : origin.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    if (noZWrite_) glDepthMask(GL_FALSE);
    glPointSize(size_);
    pointParameters_->Apply();
    switch (style_) {
    case psSquare:
        break;
    case psRound:
        glEnable(GL_POINT_SMOOTH);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.5f);
        glDisable(GL_BLEND);
        break;
    case psSmooth:
    case psSmoothAdditive:
        glEnable(GL_POINT_SMOOTH);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_NOTEQUAL, 0);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, style_ == psSmooth ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
        break;
    case psSquareAdditive:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        break;
    }
    glDrawArrays(GL_POINTS, 0, count);
    pointParameters_->UnApply();
    if (noZWrite_) glDepthMask(GL_TRUE);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (colorCount > 1) glDisableClientState(GL_COLOR_ARRAY);
    glPopAttrib();
    glAlphaFunc(GL_GREATER, 0);
}

// ---- Lines --------------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLLineBase, TGLImmaterialSceneObject)

TGLLineBase::TGLLineBase(TComponent* owner)
    : TGLImmaterialSceneObject(owner), lineColor_(std::make_unique<TGLColor>(this, TVector{1, 1, 1, 1})) {}

TGLLineBase::~TGLLineBase() = default;

void TGLLineBase::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLLineBase*>(source)) {
        lineColor_->SetColor(other->lineColor_->Color());
        SetLinePattern(other->linePattern_);
        SetLineWidth(other->lineWidth_);
        SetAntiAliased(other->antiAliased_);
    }
    TGLImmaterialSceneObject::Assign(source);
}

void TGLLineBase::SetAntiAliased(bool value) {
    if (storeChanged(antiAliased_, value)) SceneObjectStructureChanged();
}
void TGLLineBase::SetLineColor(const TGLColor* value) {
    lineColor_->Assign(value);
}
void TGLLineBase::SetLinePattern(uint16_t value) {
    if (storeChanged(linePattern_, value)) SceneObjectStructureChanged();
}
void TGLLineBase::SetLineWidth(float value) {
    if (storeChanged(lineWidth_, value)) SceneObjectStructureChanged();
}

void TGLLineBase::SetupLineStyle() {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    if (linePattern_ != 0xFFFF) {
        glEnable(GL_LINE_STIPPLE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glLineStipple(1, linePattern_);
    }
    if (antiAliased_) {
        glEnable(GL_LINE_SMOOTH);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_LINE_SMOOTH);
    }
    glLineWidth(lineWidth_);
    if (lineColor_->Alpha() != 1) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4fv(lineColor_->AsAddress());
    } else {
        glColor3fv(lineColor_->AsAddress());
    }
}

void TGLLineBase::RestoreLineStyle() {
    glPopAttrib();
}

E3D_DEFINE_CLASS(TGLLinesNode, TGLNode)

TGLLinesNode::TGLLinesNode(TCollection* collection) : TGLNode(collection) {
    TGLNodedLines* owner = lines();
    color_ = std::make_unique<TGLColor>(this, owner ? owner->NodeColor()->Color() : TVector{0, 0, 1, 1});
    color_->OnNotifyChange = [this](TObject*) {
        if (Collection()) Changed(false);
    };
}

TGLLinesNode::~TGLLinesNode() = default;

TGLNodedLines* TGLLinesNode::lines() const {
    auto* nodes = dynamic_cast<TOwnedCollection*>(Collection());
    return nodes ? dynamic_cast<TGLNodedLines*>(nodes->GetOwner()) : nullptr;
}

void TGLLinesNode::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLLinesNode*>(source)) color_->SetColor(other->color_->Color());
    TGLNode::Assign(source);
}

void TGLLinesNode::SetColor(const TGLColor* value) {
    color_->Assign(value);
}

bool TGLLinesNode::StoreColor() const {
    TGLNodedLines* owner = lines();
    return !owner || !VectorEquals4(color_->Color(), owner->NodeColor()->Color());
}

E3D_DEFINE_CLASS(TGLLinesNodes, TGLNodes)

TGLLinesNodes::TGLLinesNodes(TPersistent* owner)
    : TGLNodes(owner, [](TCollection* nodes) -> TCollectionItem* { return new TGLLinesNode(nodes); }) {}

void TGLLinesNodes::Update(TCollectionItem* item) {
    TOwnedCollection::Update(item);
    if (auto* owner = dynamic_cast<TGLBaseSceneObject*>(GetOwner())) owner->SceneObjectStructureChanged();
}

E3D_DEFINE_CLASS(TGLNodedLines, TGLLineBase)

TGLNodedLines::TGLNodedLines(TComponent* owner)
    : TGLLineBase(owner), nodeColor_(std::make_unique<TGLColor>(this, TVector{0, 0, 1, 1})) {
    nodes_ = std::make_unique<TGLLinesNodes>(this);
    nodeColor_->OnNotifyChange = [this](TObject*) { nodeColorChanged(); };
}

TGLNodedLines::~TGLNodedLines() {
    nodes_.reset();
}

void TGLNodedLines::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLNodedLines*>(source)) {
        SetNodes(other->nodes_.get());
        SetNodesAspect(other->nodesAspect_);
        nodeColor_->SetColor(other->nodeColor_->Color());
    }
    TGLLineBase::Assign(source);
}

TVector TGLNodedLines::AxisAlignedDimensionsUnscaled() const {
    TVector dims = {0, 0, 0, 0};
    for (int i = 0; i < nodes_->Count(); ++i) {
        const TVector& v = nodes_->Items(i)->AsVector();
        for (size_t k = 0; k < 3; ++k)
            dims[k] = std::max(dims[k], std::fabs(v[k]));
    }
    return dims;
}

void TGLNodedLines::SetNodes(const TGLLinesNodes* value) {
    nodes_->Assign(value);
    SceneObjectStructureChanged();
}

void TGLNodedLines::AddNode(float x, float y, float z) {
    nodes_->AddNode(x, y, z);
}

void TGLNodedLines::SetNodesAspect(TLineNodesAspect value) {
    if (storeChanged(nodesAspect_, value)) SceneObjectStructureChanged();
}

void TGLNodedLines::SetNodeColor(const TGLColor* value) {
    nodeColor_->Assign(value);
}

void TGLNodedLines::nodeColorChanged() {
    const TVector& color = nodeColor_->Color();
    for (int i = 0; i < nodes_->Count(); ++i) {
        TGLColor* nodeColor = nodes_->Items(i)->Color();
        if (VectorEquals4(nodeColor->Color(), oldNodeColor_)) nodeColor->SetColor(color);
    }
    oldNodeColor_ = color;
    SceneObjectStructureChanged();
}

void TGLNodedLines::SetNodeSize(float value) {
    if (storeChanged(nodeSize_, value)) SceneObjectStructureChanged();
}

void TGLNodedLines::DrawNodes(TRenderContextInfo& rci) {
    if (nodesAspect_ == lnaInvisible) return;
    glPushAttrib(GL_ENABLE_BIT);
    if (!rci.IgnoreBlending) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glDisable(GL_TEXTURE_2D);
    if (GLExtensions.ARB_texture_cube_map) glDisable(GL_TEXTURE_CUBE_MAP);
    for (int i = 0; i < nodes_->Count(); ++i) {
        TGLLinesNode* node = nodes_->Items(i);
        glPushMatrix();
        glTranslatef(node->X(), node->Y(), node->Z());
        switch (nodesAspect_) {
        case lnaAxes: {
            glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
            glDisable(GL_LIGHTING);
            glEnable(GL_LINE_STIPPLE);
            glLineStipple(1, 0xCCCC);
            float h = nodeSize_ * 0.5f;
            glBegin(GL_LINES);
            for (int axis = 0; axis < 3; ++axis) {
                float colour[3] = {0, 0, 0}, end[3] = {0, 0, 0};
                colour[axis] = 1;
                glColor3fv(colour);
                end[axis] = -h;
                glVertex3fv(end);
                end[axis] = h;
                glVertex3fv(end);
            }
            glEnd();
            glPopAttrib();
            break;
        }
        case lnaCube:
            DrawWireCube(rci, false, node->Color()->Color(), nodeSize_);
            break;
        case lnaDodecahedron:
            if (rci.StateCache)
                rci.StateCache->SetGLMaterialColors(GL_FRONT, {0, 0, 0, 1}, {0.2f, 0.2f, 0.2f, 1},
                                                    node->Color()->Color(), {0, 0, 0, 1}, 0);
            if (nodeSize_ != 1) glScalef(nodeSize_, nodeSize_, nodeSize_);
            DrawDodecahedron();
            break;
        case lnaInvisible:
            break;
        }
        glPopMatrix();
    }
    glPopAttrib();
}

TGLLineStrip BuildLineStrip(const TGLLinesNodes& nodes, TLineSplineMode mode, int division) {
    TGLLineStrip strip;
    int count = nodes.Count();
    auto nodeVertex = [&](int i) {
        const TVector& v = nodes.Items(i)->AsVector();
        return TGLLineVertex{{v[0], v[1], v[2]}, nodes.Items(i)->Color()->Color()};
    };
    if (mode == lsmSegments) strip.Mode = GL_LINES;
    if (mode != lsmCubicSpline || division < 2 || count < 2) {
        for (int i = 0; i < count; ++i)
            strip.Vertices.push_back(nodeVertex(i));
        if (mode == lsmSegments && strip.Vertices.size() % 2 != 0) strip.Vertices.pop_back();
        return strip;
    }
    std::unique_ptr<TCubicSpline> spline(nodes.CreateNewCubicSpline());
    int samples = (count - 1) * division + 1;
    float step = 1.f / float(division);
    for (int i = 0; i < samples; ++i) {
        float t = float(i) * step;
        int low = std::min(i / division, count - 1);
        TVector color = nodes.Items(low)->Color()->Color();
        if (low + 1 < count) {
            float f = t - float(low);
            const TVector& next = nodes.Items(low + 1)->Color()->Color();
            for (size_t k = 0; k < 4; ++k)
                color[k] = color[k] + (next[k] - color[k]) * f;
        }
        strip.Vertices.push_back({spline->SplineAffineVector(t), color});
    }
    return strip;
}

E3D_DEFINE_CLASS(TGLLines, TGLNodedLines)

void TGLLines::Assign(const TPersistent* source) {
    if (auto* other = dynamic_cast<const TGLLines*>(source)) {
        SetDivision(other->division_);
        SetSplineMode(other->splineMode_);
        SetOptions(other->options_);
    }
    TGLNodedLines::Assign(source);
}

void TGLLines::SetDivision(int value) {
    if (storeChanged(division_, std::max(value, 1))) SceneObjectStructureChanged();
}
void TGLLines::SetSplineMode(TLineSplineMode value) {
    if (storeChanged(splineMode_, value)) SceneObjectStructureChanged();
}
void TGLLines::SetOptions(TLinesOptions value) {
    if (storeChanged(options_, value)) SceneObjectStructureChanged();
}
void TGLLines::SetNURBSOrder(int value) {
    if (storeChanged(nurbsOrder_, value)) SceneObjectStructureChanged();
}
void TGLLines::SetNURBSTolerance(float value) {
    if (storeChanged(nurbsTolerance_, value)) SceneObjectStructureChanged();
}

void TGLLines::drawBezier() {
    int count = Nodes()->Count();
    std::vector<float> positions, colors;
    for (int i = 0; i < count; ++i) {
        const TVector& v = Nodes()->Items(i)->AsVector();
        positions.insert(positions.end(), {v[0], v[1], v[2]});
        const TVector& c = Nodes()->Items(i)->Color()->Color();
        colors.insert(colors.end(), c.begin(), c.end());
    }
    glPushAttrib(GL_EVAL_BIT);
    glMap1f(GL_MAP1_VERTEX_3, 0, 1, 3, count, positions.data());
    glMap1f(GL_MAP1_COLOR_4, 0, 1, 4, count, colors.data());
    glEnable(GL_MAP1_VERTEX_3);
    glEnable(GL_MAP1_COLOR_4);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i <= division_; ++i)
        glEvalCoord1f(float(i) / float(division_));
    glEnd();
    glPopAttrib();
}

void TGLLines::drawNURBS() {
    int count = Nodes()->Count();
    if (division_ < 2 || nurbsOrder_ <= 0 || nurbsKnots_.empty()) return;
    // A knot list that does not match the nodes and order would make the library read past it.
    if (int(nurbsKnots_.size()) != count + nurbsOrder_) return;
    std::vector<float> positions;
    for (int i = 0; i < count; ++i) {
        const TVector& v = Nodes()->Items(i)->AsVector();
        positions.insert(positions.end(), {v[0], v[1], v[2]});
    }
    GLUnurbsObj* renderer = gluNewNurbsRenderer();
    if (!renderer) return;
    gluNurbsProperty(renderer, GLU_SAMPLING_TOLERANCE, nurbsTolerance_);
    gluNurbsProperty(renderer, GLU_DISPLAY_MODE, GLU_FILL);
    gluBeginCurve(renderer);
    gluNurbsCurve(renderer, GLint(nurbsKnots_.size()), nurbsKnots_.data(), 3, positions.data(), nurbsOrder_,
                  GL_MAP1_VERTEX_3);
    gluEndCurve(renderer);
    gluDeleteNurbsRenderer(renderer);
}

void TGLLines::BuildList(TRenderContextInfo& rci) {
    int count = Nodes()->Count();
    if (count <= 1) return;
    SetupLineStyle();
    bool nodeColors = Options() & LinesOption(loUseNodeColorForLines);
    TLineSplineMode mode = splineMode_;
    if (mode == lsmBezierSpline) {
        GLint maxOrder = 0;
        glGetIntegerv(GL_MAX_EVAL_ORDER, &maxOrder);
        // More control points than the evaluator takes would draw nothing at all.
        if (count > maxOrder) mode = lsmLines;
    }
    if (mode == lsmBezierSpline) {
        drawBezier();
    } else if (mode == lsmNURBSCurve) {
        drawNURBS();
    } else {
        TGLLineStrip strip = BuildLineStrip(*Nodes(), mode, division_);
        glBegin(strip.Mode);
        for (const TGLLineVertex& vertex : strip.Vertices) {
            if (nodeColors) glColor4fv(vertex.Color.data());
            glVertex3fv(vertex.Position.data());
        }
        glEnd();
    }
    RestoreLineStyle();
    DrawNodes(rci);
}

void InitGLObjects() {
    static int initCount = 0;
    if (initCount++ != 0) return;
    RegisterClass(TGLSphere::StaticClass());
    RegisterClass(TGLCube::StaticClass());
    RegisterClass(TGLPlane::StaticClass());
    RegisterClass(TGLSprite::StaticClass());
    RegisterClass(TGLPoints::StaticClass());
    RegisterClass(TGLDummyCube::StaticClass());
    RegisterClass(TGLLines::StaticClass());
}

} // namespace engine3d
