#include "GLObjects.h"

#include <algorithm>
#include <cmath>

namespace engine3d {

void RenderPrimitive(const TGLPrimitive& primitive, bool withNormals) {
    glBegin(primitive.Mode);
    for (const TGLVertex& v : primitive.Vertices) {
        glTexCoord2fv(v.TexCoord.data());
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

void InitGLObjects() {
    static int initCount = 0;
    if (initCount++ != 0) return;
    RegisterClass(TGLSphere::StaticClass());
    RegisterClass(TGLSprite::StaticClass());
}

} // namespace engine3d
