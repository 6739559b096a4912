#include "GLSkyBox.h"

namespace engine3d {

namespace {

// Corners of the six cube faces, each seen from inside the box.
constexpr std::array<std::array<TAffineVector, 4>, 6> cFaceCorners = {{
    {{{-1, 1, -1}, {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}}}, // front
    {{{1, 1, 1}, {1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}}},     // back
    {{{-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}, {1, 1, 1}}},     // top
    {{{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}}}, // bottom
    {{{-1, 1, 1}, {-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}}}, // left
    {{{1, 1, -1}, {1, -1, -1}, {1, -1, 1}, {1, 1, 1}}},     // right
}};

// Half a texel's worth inside the edges keeps the seams from sampling the neighbouring border.
constexpr float cLow = 0.002f;
constexpr float cHigh = 0.998f;
constexpr std::array<TTexPoint, 4> cFaceTexCoords = {
    {{cLow, cHigh}, {cLow, cLow}, {cHigh, cLow}, {cHigh, cHigh}}};

bool isSideFace(TGLSkyBoxFace face) {
    return face == sbfFront || face == sbfBack || face == sbfLeft || face == sbfRight;
}

} // namespace

TGLSkyBoxStyleTransform SkyBoxStyleTransform(TGLSkyBoxStyle style) {
    switch (style) {
    case sbsTopHalf:
    case sbsTopHalfClamped:
        return {0.5f, 0.5f};
    case sbsBottomHalf:
        return {-0.5f, 0.5f};
    case sbTopTwoThirds:
        return {1.f / 3.f, 2.f / 3.f};
    case sbsFull:
        break;
    }
    return {};
}

TGLPrimitive BuildSkyBoxFace(TGLSkyBoxFace face, TGLSkyBoxStyle style, float cloudsOffset, float cloudsSize) {
    TGLPrimitive quads;
    quads.Mode = GL_QUADS;
    if (face == sbfClouds) {
        float s = cloudsSize / 2;
        float y = cloudsOffset;
        quads.Vertices = {{{-s, y, s}, {}, {0, 1}},
                          {{-s, y, -s}, {}, {0, 0}},
                          {{s, y, -s}, {}, {1, 0}},
                          {{s, y, s}, {}, {1, 1}}};
        return quads;
    }
    const auto& corners = cFaceCorners[face];
    for (int i = 0; i < 4; ++i)
        quads.Vertices.push_back({corners[i], {}, cFaceTexCoords[i]});
    if (style == sbsTopHalfClamped && isSideFace(face)) {
        TAffineVector low2 = corners[1], low3 = corners[2];
        TAffineVector deep2 = {low2[0], -3, low2[2]}, deep3 = {low3[0], -3, low3[2]};
        quads.Vertices.push_back({low2, {}, {cLow, cLow}});
        quads.Vertices.push_back({deep2, {}, {cLow, cLow}});
        quads.Vertices.push_back({deep3, {}, {cHigh, cLow}});
        quads.Vertices.push_back({low3, {}, {cHigh, cLow}});
    }
    return quads;
}

float SkyBoxScale(float depthOfView, float nearPlane) {
    return (depthOfView + nearPlane) / 2;
}

// ---- Scene object -------------------------------------------------------------------------------------

E3D_DEFINE_CLASS(TGLSkyBox, TGLImmaterialSceneObject)

TGLSkyBox::TGLSkyBox(TComponent* owner) : TGLImmaterialSceneObject(owner) {
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw) | ObjectStyle(osNoCulling));
}

TGLSkyBox::~TGLSkyBox() {
    if (materialLibrary_) materialLibrary_->RemoveFreeNotification(this);
}

void TGLSkyBox::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == materialLibrary_) materialLibrary_ = nullptr;
    TGLImmaterialSceneObject::Notification(component, operation);
}

void TGLSkyBox::SetMaterialLibrary(TGLMaterialLibrary* value) {
    if (materialLibrary_ != value) {
        if (materialLibrary_) materialLibrary_->RemoveFreeNotification(this);
        // A library freed elsewhere must not leave the box pointing at it.
        if (value) value->FreeNotification(this);
    }
    materialLibrary_ = value;
    SceneObjectStructureChanged();
}

void TGLSkyBox::setMatName(TGLSkyBoxFace face, const std::string& value) {
    matNames_[face] = value;
    SceneObjectStructureChanged();
}

void TGLSkyBox::SetCloudsPlaneOffset(float value) {
    cloudsPlaneOffset_ = value;
    SceneObjectStructureChanged();
}

void TGLSkyBox::SetCloudsPlaneSize(float value) {
    cloudsPlaneSize_ = value;
    SceneObjectStructureChanged();
}

void TGLSkyBox::DoRender(TRenderContextInfo& rci, bool, bool renderChildren) {
    if (!materialLibrary_) return;
    TGLStateCache* cache = rci.StateCache;
    bool depthTestWasOn = cache && cache->StateIsEnabled(stDepthTest);
    bool lightingWasOn = cache && cache->StateIsEnabled(stLighting);
    bool fogWasOn = cache && cache->StateIsEnabled(stFog);
    if (cache) {
        cache->StateCacheDisable(stDepthTest);
        cache->StateCacheDisable(stLighting);
        cache->StateCacheDisable(stFog);
    }
    glDepthMask(GL_FALSE);

    // Centred on the camera, turned with the box's own orientation.
    TMatrix modelView = rci.Buffer ? rci.Buffer->ModelViewMatrix() : IdentityHmgMatrix;
    glLoadMatrixf(&modelView[0][0]);
    TAffineVector up = Up()->AsAffineVector();
    TAffineVector direction = Direction()->AsAffineVector();
    TAffineVector right = CrossProduct3(up, direction);
    TMatrix orientation = {{{right[0], right[1], right[2], 0},
                            {up[0], up[1], up[2], 0},
                            {direction[0], direction[1], direction[2], 0},
                            {rci.CameraPosition[0], rci.CameraPosition[1], rci.CameraPosition[2], 1}}};
    glMultMatrixf(&orientation[0][0]);
    float f = 1;
    if (Scene() && Scene()->CurrentCamera())
        f = SkyBoxScale(Scene()->CurrentCamera()->DepthOfView(), Scene()->CurrentCamera()->NearPlane());
    else if (rci.Buffer && rci.Buffer->Camera())
        f = SkyBoxScale(rci.Buffer->Camera()->DepthOfView(), rci.Buffer->Camera()->NearPlane());
    glScalef(f, f, f);

    TMatrix boxMatrix = IdentityHmgMatrix;
    glGetFloatv(GL_MODELVIEW_MATRIX, &boxMatrix[0][0]);
    if (rci.Buffer) rci.Buffer->PushModelViewMatrix(boxMatrix);
    struct PopOnExit {
        TGL3DSceneBuffer* buffer;
        ~PopOnExit() {
            if (buffer) buffer->PopModelViewMatrix();
        }
    } popOnExit{rci.Buffer};

    glPushMatrix();
    TGLSkyBoxStyleTransform styleTransform = SkyBoxStyleTransform(style_);
    if (style_ != sbsFull) {
        glTranslatef(0, styleTransform.TranslateY, 0);
        glScalef(1, styleTransform.ScaleY, 1);
    }
    for (int face = 0; face < cSkyBoxFaceCount; ++face) {
        const std::string& name = matNames_[static_cast<size_t>(face)];
        if (name.empty()) continue;
        TGLLibMaterial* material = materialLibrary_->LibMaterialByName(name);
        if (!material) continue;
        TGLPrimitive quads =
            BuildSkyBoxFace(TGLSkyBoxFace(face), style_, cloudsPlaneOffset_, cloudsPlaneSize_);
        material->Apply(rci);
        do
            RenderPrimitive(quads, false);
        while (material->UnApply(rci));
    }
    glPopMatrix();
    glDepthMask(GL_TRUE);
    if (cache && lightingWasOn) cache->StateCacheEnable(stLighting);
    if (cache && fogWasOn) cache->StateCacheEnable(stFog);

    if (renderChildren && SceneObjectChildCount() > 0) {
        glScalef(1 / f, 1 / f, 1 / f);
        RenderChildren(0, SceneObjectChildCount() - 1, rci);
    }
    if (cache && depthTestWasOn) cache->StateCacheEnable(stDepthTest);
}

void InitGLSkyBox() {
    static int initCount = 0;
    if (initCount++ != 0) return;
    RegisterClass(TGLSkyBox::StaticClass());
}

} // namespace engine3d
