#include "TexturePreviewScene.h"

#include "DDS.h"
#include "GLHUDObjects.h"
#include "GLState.h"
#include "PlatformJPEG.h"

using namespace engine3d;

void InitTexturePreviewFormats() {
    static const bool done = [] {
        InitDDS();
        InitJPEGPictureFormat();
        return true;
    }();
    (void)done;
}

// ---- HUD sprite

TPreviewHUDSprite::TPreviewHUDSprite(TComponent* owner) : TGL3DSceneObject(owner) {
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw) | ObjectStyle(osNoCulling));
}

void TPreviewHUDSprite::SetWidth(float value) {
    if (value == width_) return;
    width_ = value;
    NotifyChange(this);
}

void TPreviewHUDSprite::SetHeight(float value) {
    if (value == height_) return;
    height_ = value;
    NotifyChange(this);
}

void TPreviewHUDSprite::DoRender(TRenderContextInfo& rci, bool, bool) {
    if (rci.IgnoreMaterials) return;
    TGLHUDPlacement placement;
    placement.X = Position()->X();
    placement.Y = Position()->Y();
    placement.Z = Position()->Z();
    placement.ViewportWidth = rci.ViewportWidth;
    placement.ViewportHeight = rci.ViewportHeight;
    placement.RenderDPI = rci.RenderDPI;
    const TMatrix baseProjection = rci.Buffer ? rci.Buffer->BaseProjectionMatrix() : IdentityHmgMatrix;
    const TGLPrimitive quad = BuildHUDSpriteQuad(width_, height_, HUDTransform(placement).DPIFactor, 1, 1);
    Material()->Apply(rci);
    do {
        PushHUDMatrices(placement, baseProjection);
        RenderHUDSpriteQuad(quad);
        PopHUDMatrices();
    } while (Material()->UnApply(rci));
    if (SceneObjectChildCount() > 0) RenderChildren(0, SceneObjectChildCount() - 1, rci);
}

// ---- Sky box

TPreviewSkyBox::TPreviewSkyBox(TComponent* owner) : TGLImmaterialSceneObject(owner) {
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw) | ObjectStyle(osNoCulling));
}

void TPreviewSkyBox::SetMaterialLibrary(TGLMaterialLibrary* library) {
    library_ = library;
    SceneObjectStructureChanged();
}

void TPreviewSkyBox::SetMatName(TGLSkyBoxFace face, const std::string& name) {
    names_[face] = name;
    SceneObjectStructureChanged();
}

void TPreviewSkyBox::SetCloudsPlaneOffset(float value) {
    cloudsOffset_ = value;
    SceneObjectStructureChanged();
}

void TPreviewSkyBox::SetCloudsPlaneSize(float value) {
    cloudsSize_ = value;
    SceneObjectStructureChanged();
}

void TPreviewSkyBox::DoRender(TRenderContextInfo& rci, bool, bool renderChildren) {
    if (!library_ || !rci.Buffer || !rci.StateCache) return;
    TGLStateCache& cache = *rci.StateCache;
    const bool depthTest = cache.StateIsEnabled(stDepthTest);
    const bool lighting = cache.StateIsEnabled(stLighting);
    const bool fog = cache.StateIsEnabled(stFog);
    cache.StateCacheDisable(stDepthTest);
    cache.StateCacheDisable(stLighting);
    cache.StateCacheDisable(stFog);
    glDepthMask(GL_FALSE);

    // Centred on the camera, turned with the box's own orientation.
    TMatrix m = rci.Buffer->ModelViewMatrix();
    glLoadMatrixf(m[0].data());
    const TAffineVector up = Up()->AsAffineVector(), direction = Direction()->AsAffineVector();
    const TAffineVector right = CrossProduct3(up, direction);
    const TMatrix orientation = {{{right[0], right[1], right[2], 0},
                                  {up[0], up[1], up[2], 0},
                                  {direction[0], direction[1], direction[2], 0},
                                  {rci.CameraPosition[0], rci.CameraPosition[1], rci.CameraPosition[2], 1}}};
    glMultMatrixf(orientation[0].data());
    float f = 1;
    if (TGLCamera* camera = rci.Scene ? rci.Scene->CurrentCamera() : nullptr)
        f = SkyBoxScale(camera->DepthOfView(), camera->NearPlane());
    glScalef(f, f, f);
    TMatrix current;
    glGetFloatv(GL_MODELVIEW_MATRIX, current[0].data());
    rci.Buffer->PushModelViewMatrix(current);
    struct PopModelView {
        TGL3DSceneBuffer* buffer;
        ~PopModelView() { buffer->PopModelViewMatrix(); }
    } popModelView{rci.Buffer};

    glPushMatrix();
    static constexpr TGLSkyBoxFace order[] = {sbfFront, sbfBack,  sbfTop,   sbfBottom,
                                              sbfLeft,  sbfRight, sbfClouds};
    for (TGLSkyBoxFace face : order) {
        TGLLibMaterial* material = names_[face].empty() ? nullptr : library_->LibMaterialByName(names_[face]);
        if (!material) continue;
        const TGLPrimitive quad = BuildSkyBoxFace(face, sbsFull, cloudsOffset_, cloudsSize_);
        material->Apply(rci);
        do
            RenderPrimitive(quad, false);
        while (material->UnApply(rci));
    }
    glPopMatrix();
    glDepthMask(GL_TRUE);
    if (lighting) cache.StateCacheEnable(stLighting);
    if (fog) cache.StateCacheEnable(stFog);
    if (renderChildren && SceneObjectChildCount() > 0) {
        glScalef(1 / f, 1 / f, 1 / f);
        RenderChildren(0, SceneObjectChildCount() - 1, rci);
    }
    if (depthTest) cache.StateCacheEnable(stDepthTest);
}

// ---- Sphere

TPreviewSphere::TPreviewSphere(TComponent* owner) : TGL3DSceneObject(owner) {}

void TPreviewSphere::SetRadius(float value) {
    if (value == radius_) return;
    radius_ = value;
    SceneObjectStructureChanged();
}

void TPreviewSphere::BuildList(TRenderContextInfo&) {
    RenderSphere(shape_, radius_);
}
