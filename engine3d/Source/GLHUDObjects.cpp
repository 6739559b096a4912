#include "GLHUDObjects.h"

#include <algorithm>

namespace engine3d {

TGLHUDTransform HUDTransform(const TGLHUDPlacement& placement) {
    TGLHUDTransform transform;
    transform.DPIFactor = placement.RenderDPI == 96 ? 1.f : placement.RenderDPI / 96.f;
    float f = transform.DPIFactor;
    float width = float(placement.ViewportWidth), height = float(placement.ViewportHeight);
    transform.Scale = {2 / width, 2 / height, 1};
    transform.Translation = {f * placement.X - width / 2, height / 2 - f * placement.Y, placement.Z};
    return transform;
}

TGLPrimitive BuildHUDSpriteQuad(float width, float height, float dpiFactor, int xTiles, int yTiles) {
    float x1 = -width * dpiFactor / 2, x2 = x1 + width * dpiFactor;
    float y1 = height * dpiFactor / 2, y2 = y1 - height * dpiFactor;
    float s = float(xTiles), t = float(yTiles);
    TAffineVector normal = {0, 1, 0};
    TGLPrimitive quad;
    quad.Mode = GL_QUADS;
    quad.Vertices = {{{x1, y2, 0}, normal, {0, 0}},
                     {{x2, y2, 0}, normal, {s, 0}},
                     {{x2, y1, 0}, normal, {s, t}},
                     {{x1, y1, 0}, normal, {0, t}}};
    return quad;
}

TTexPoint HUDWindowPixel(const TGLHUDPlacement& placement, const TAffineVector& quadPoint) {
    TGLHUDTransform transform = HUDTransform(placement);
    float ndcX = (quadPoint[0] + transform.Translation[0]) * transform.Scale[0];
    float ndcY = (quadPoint[1] + transform.Translation[1]) * transform.Scale[1];
    return {(ndcX + 1) / 2 * placement.ViewportWidth, (1 - ndcY) / 2 * placement.ViewportHeight};
}

void PushHUDMatrices(const TGLHUDPlacement& placement, const TMatrix& baseProjection) {
    TGLHUDTransform transform = HUDTransform(placement);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(baseProjection[0].data());
    glScalef(transform.Scale[0], transform.Scale[1], transform.Scale[2]);
    glTranslatef(transform.Translation[0], transform.Translation[1], transform.Translation[2]);
    if (placement.Rotation != 0) glRotatef(placement.Rotation, 0, 0, 1);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
}

void PopHUDMatrices() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void RenderHUDSpriteQuad(const TGLPrimitive& quad) {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    RenderPrimitive(quad, true);
    glDepthMask(GL_TRUE);
    glPopAttrib();
}

// ---- Scene objects ------------------------------------------------------------------------------------

namespace {

const TMatrix& baseProjection(const TRenderContextInfo& rci) {
    return rci.Buffer ? rci.Buffer->BaseProjectionMatrix() : IdentityHmgMatrix;
}

TGLHUDPlacement placementOf(TGLBaseSceneObject* object, float rotation, const TRenderContextInfo& rci) {
    TGLHUDPlacement placement;
    placement.X = object->Position()->X();
    placement.Y = object->Position()->Y();
    placement.Z = object->Position()->Z();
    placement.Rotation = rotation;
    placement.ViewportWidth = std::max(rci.ViewportWidth, 1);
    placement.ViewportHeight = std::max(rci.ViewportHeight, 1);
    placement.RenderDPI = rci.RenderDPI;
    return placement;
}

} // namespace

E3D_DEFINE_CLASS(TGLHUDSprite, TGLSprite)

TGLHUDSprite::TGLHUDSprite(TComponent* owner) : TGLSprite(owner) {
    SetWidth(16);
    SetHeight(16);
}

void TGLHUDSprite::SetXTiles(int value) {
    if (value == xTiles_) return;
    xTiles_ = value;
    SceneObjectStructureChanged();
}

void TGLHUDSprite::SetYTiles(int value) {
    if (value == yTiles_) return;
    yTiles_ = value;
    SceneObjectStructureChanged();
}

TGLHUDPlacement TGLHUDSprite::Placement(const TRenderContextInfo& rci) const {
    return placementOf(const_cast<TGLHUDSprite*>(this), Rotation(), rci);
}

void TGLHUDSprite::DoRender(TRenderContextInfo& rci, bool, bool) {
    if (rci.IgnoreMaterials) return;
    TGLMaterial* material = Material();
    material->Apply(rci);
    do {
        if (AlphaChannel() != 1) {
            if (rci.LightingOffCount > 0) {
                const TVector& diffuse = material->FrontProperties()->Diffuse()->Color();
                glColor4f(diffuse[0], diffuse[1], diffuse[2], AlphaChannel());
            } else if (rci.StateCache) {
                rci.StateCache->StateCacheSetMaterialAlpha(GL_FRONT, AlphaChannel());
            }
        }
        TGLHUDPlacement placement = Placement(rci);
        TGLHUDTransform transform = HUDTransform(placement);
        PushHUDMatrices(placement, baseProjection(rci));
        RenderHUDSpriteQuad(BuildHUDSpriteQuad(Width(), Height(), transform.DPIFactor, xTiles_, yTiles_));
        PopHUDMatrices();
    } while (material->UnApply(rci));
    if (SceneObjectChildCount() > 0) RenderChildren(0, SceneObjectChildCount() - 1, rci);
}

E3D_DEFINE_CLASS(TGLHUDText, TGLImmaterialSceneObject)

TGLHUDText::TGLHUDText(TComponent* owner)
    : TGLImmaterialSceneObject(owner), modulateColor_(std::make_unique<TGLColor>(this, TVector{1, 1, 1, 1})) {
    SetObjectStyle(ObjectStyleFlags() | ObjectStyle(osImmediateDraw) | ObjectStyle(osNoCulling));
}

TGLHUDText::~TGLHUDText() {
    modulateColor_.reset();
    SetBitmapFont(nullptr);
}

void TGLHUDText::Notification(TComponent* component, TOperation operation) {
    // The font is already past its own destructor here: only the link is dropped.
    if (operation == opRemove && component == bitmapFont_) {
        bitmapFont_ = nullptr;
        SceneObjectStructureChanged();
    }
    TGLImmaterialSceneObject::Notification(component, operation);
}

void TGLHUDText::SetBitmapFont(TGLCustomBitmapFont* value) {
    if (value == bitmapFont_) return;
    LinkBitmapFont(bitmapFont_, value, this);
    // A text being destroyed has no structure left to tell about.
    if (modulateColor_) SceneObjectStructureChanged();
}

void TGLHUDText::SetText(const std::string& value) {
    text_ = value;
    SceneObjectStructureChanged();
}

void TGLHUDText::SetRotation(float value) {
    rotation_ = value;
    SceneObjectStructureChanged();
}

void TGLHUDText::SetAlignment(TAlignment value) {
    alignment_ = value;
    SceneObjectStructureChanged();
}

void TGLHUDText::SetLayout(TGLTextLayout value) {
    layout_ = value;
    SceneObjectStructureChanged();
}

void TGLHUDText::SetModulateColor(const TGLColor* value) {
    modulateColor_->Assign(value);
}

void TGLHUDText::DoRender(TRenderContextInfo& rci, bool, bool) {
    if (bitmapFont_ && !text_.empty()) {
        if (rci.StateCache) rci.StateCache->SetGLPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        TGLHUDPlacement placement = placementOf(this, rotation_, rci);
        float f = HUDTransform(placement).DPIFactor;
        PushHUDMatrices(placement, baseProjection(rci));
        glMatrixMode(GL_MODELVIEW);
        glScalef(Scale()->X() * f, Scale()->Y() * f, 1);
        glMatrixMode(GL_PROJECTION);
        glPushAttrib(GL_ENABLE_BIT);
        glDisable(GL_DEPTH_TEST);
        bitmapFont_->RenderString(rci, text_, alignment_, layout_, modulateColor_->Color(), nullptr, false);
        glPopAttrib();
        PopHUDMatrices();
    }
    if (SceneObjectChildCount() > 0) RenderChildren(0, SceneObjectChildCount() - 1, rci);
}

void InitGLHUDObjects() {
    static int initCount = 0;
    if (initCount++ != 0) return;
    RegisterClass(TGLHUDText::StaticClass());
    RegisterClass(TGLHUDSprite::StaticClass());
}

} // namespace engine3d
