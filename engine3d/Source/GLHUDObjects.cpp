#include "GLHUDObjects.h"

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

} // namespace engine3d
