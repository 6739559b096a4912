// Skips OpenGL state calls that would set a state to the value it already has.
#pragma once

#include "OpenGLImports.h"
#include "VectorGeometry.h"

#include <cstdint>

namespace engine3d {

enum TGLState {
    stAlphaTest,
    stAutoNormal,
    stBlend,
    stColorMaterial,
    stCullFace,
    stDepthTest,
    stDither,
    stFog,
    stLighting,
    stLineSmooth,
    stLineStipple,
    stLogicOp,
    stNormalize,
    stPointSmooth,
    stPolygonSmooth,
    stPolygonStipple,
    stScissorTest,
    stStencilTest,
    stTexture1D,
    stTexture2D,
    stTextureCubeMap,
    stTextureRect
};
constexpr int cGLStateCount = 22;
// The GL capability of each cached state, by index.
extern const GLenum cGLStateToGLEnum[cGLStateCount];

// The GL entry points the cache calls; tests put counting functions here.
struct TGLStateFunctions {
    void (*Enable)(GLenum cap);
    void (*Disable)(GLenum cap);
    void (*PolygonMode)(GLenum face, GLenum mode);
    void (*Materiali)(GLenum face, GLenum pname, GLint param);
    void (*Materialfv)(GLenum face, GLenum pname, const GLfloat* params);
    void (*BindTexture)(GLenum target, GLuint texture);
    void (*MatrixMode)(GLenum mode);
    void (*LoadMatrixf)(const GLfloat* m);
    void (*LoadIdentity)();
    void (*FrontFace)(GLenum mode);
};
extern const TGLStateFunctions cOpenGLStateFunctions;

class TGLStateCache {
public:
    explicit TGLStateCache(const TGLStateFunctions& gl = cOpenGLStateFunctions);

    void StateCacheEnable(TGLState state);
    void StateCacheDisable(TGLState state);
    bool StateIsEnabled(TGLState state) const { return (enabledStates_ >> state) & 1u; }
    void SetGLPolygonMode(GLenum face, GLenum mode);
    void ResetGLPolygonMode();
    void SetGLMaterialColors(GLenum face, const TVector& emission, const TVector& ambient,
                             const TVector& diffuse, const TVector& specular, int shininess);
    void StateCacheSetMaterialAlpha(GLenum face, float alpha);
    void ResetGLMaterialColors();
    // The caller selects the active texture unit (0..7).
    void StateCacheBindTexture(int textureUnit, GLenum target, GLuint handle);
    void ResetGLCurrentTexture();
    void SetGLTextureMatrix(const TMatrix& matrix);
    void ResetGLTextureMatrix();
    void InvertGLFrontFace();
    void ResetGLFrontFace();
    // Polygon mode, material colours, bound textures and front face; enabled states and the texture
    // matrix are left as they are.
    void ResetAll();

    bool FrontFaceCCW() const { return frontFaceCCW_; }
    bool TextureMatrixIsIdentity() const { return textureMatrixIsIdentity_; }

private:
    int faceIndex(GLenum face) const;
    const TGLStateFunctions& gl_;
    TVector materialCache_[2][4]; // face, then emission, ambient, diffuse, specular
    int shininessCache_[2];
    uint32_t enabledStates_ = 0;
    GLuint textureHandle_[8];
    GLenum polygonMode_[2];
    bool frontFaceCCW_ = true;
    bool textureMatrixIsIdentity_ = true;
};

} // namespace engine3d
