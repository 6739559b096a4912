#include "GLState.h"

#include <cstring>

namespace engine3d {

const GLenum cGLStateToGLEnum[cGLStateCount] = {
    GL_ALPHA_TEST,       GL_AUTO_NORMAL,         GL_BLEND,          GL_COLOR_MATERIAL,
    GL_CULL_FACE,        GL_DEPTH_TEST,          GL_DITHER,         GL_FOG,
    GL_LIGHTING,         GL_LINE_SMOOTH,         GL_LINE_STIPPLE,   GL_LOGIC_OP,
    GL_NORMALIZE,        GL_POINT_SMOOTH,        GL_POLYGON_SMOOTH, GL_POLYGON_STIPPLE,
    GL_SCISSOR_TEST,     GL_STENCIL_TEST,        GL_TEXTURE_1D,     GL_TEXTURE_2D,
    GL_TEXTURE_CUBE_MAP, GL_TEXTURE_RECTANGLE_NV};

const TGLStateFunctions cOpenGLStateFunctions = {
    [](GLenum cap) { glEnable(cap); },
    [](GLenum cap) { glDisable(cap); },
    [](GLenum face, GLenum mode) { glPolygonMode(face, mode); },
    [](GLenum face, GLenum pname, GLint param) { glMateriali(face, pname, param); },
    [](GLenum face, GLenum pname, const GLfloat* params) { glMaterialfv(face, pname, params); },
    [](GLenum target, GLuint texture) { glBindTexture(target, texture); },
    [](GLenum mode) { glMatrixMode(mode); },
    [](const GLfloat* m) { glLoadMatrixf(m); },
    []() { glLoadIdentity(); },
    [](GLenum mode) { glFrontFace(mode); },
};

TGLStateCache::TGLStateCache(const TGLStateFunctions& gl) : gl_(gl) {
    std::memset(materialCache_, 0, sizeof(materialCache_));
    shininessCache_[0] = shininessCache_[1] = 0;
    for (GLuint& handle : textureHandle_)
        handle = 0;
    polygonMode_[0] = polygonMode_[1] = 0;
}

int TGLStateCache::faceIndex(GLenum face) const {
    return face == GL_BACK ? 1 : 0;
}

void TGLStateCache::StateCacheEnable(TGLState state) {
    uint32_t bit = 1u << state;
    if (!(enabledStates_ & bit)) {
        enabledStates_ |= bit;
        gl_.Enable(cGLStateToGLEnum[state]);
    }
}

void TGLStateCache::StateCacheDisable(TGLState state) {
    uint32_t bit = 1u << state;
    if (enabledStates_ & bit) {
        enabledStates_ &= ~bit;
        gl_.Disable(cGLStateToGLEnum[state]);
    }
}

void TGLStateCache::SetGLPolygonMode(GLenum face, GLenum mode) {
    if (face == GL_FRONT_AND_BACK) {
        if (polygonMode_[0] != mode || polygonMode_[1] != mode) {
            polygonMode_[0] = polygonMode_[1] = mode;
            gl_.PolygonMode(GL_FRONT_AND_BACK, mode);
        }
        return;
    }
    int i = faceIndex(face);
    if (polygonMode_[i] != mode) {
        polygonMode_[i] = mode;
        gl_.PolygonMode(face, mode);
    }
}

void TGLStateCache::ResetGLPolygonMode() {
    polygonMode_[0] = polygonMode_[1] = 0;
}

void TGLStateCache::SetGLMaterialColors(GLenum face, const TVector& emission, const TVector& ambient,
                                        const TVector& diffuse, const TVector& specular, int shininess) {
    int i = faceIndex(face);
    if (shininessCache_[i] != shininess) {
        gl_.Materiali(face, GL_SHININESS, shininess);
        shininessCache_[i] = shininess;
    }
    auto rgbDiffers = [](const TVector& a, const TVector& b) {
        return !VectorEquals3({a[0], a[1], a[2]}, {b[0], b[1], b[2]});
    };
    TVector* cache = materialCache_[i];
    if (rgbDiffers(cache[0], emission)) {
        gl_.Materialfv(face, GL_EMISSION, emission.data());
        cache[0] = emission;
    }
    if (rgbDiffers(cache[1], ambient)) {
        gl_.Materialfv(face, GL_AMBIENT, ambient.data());
        cache[1] = ambient;
    }
    if (!VectorEquals4(cache[2], diffuse)) {
        gl_.Materialfv(face, GL_DIFFUSE, diffuse.data());
        cache[2] = diffuse;
    }
    if (rgbDiffers(cache[3], specular)) {
        gl_.Materialfv(face, GL_SPECULAR, specular.data());
        cache[3] = specular;
    }
}

void TGLStateCache::StateCacheSetMaterialAlpha(GLenum face, float alpha) {
    TVector& diffuse = materialCache_[faceIndex(face)][2];
    if (std::memcmp(&diffuse[3], &alpha, sizeof(float)) != 0) {
        diffuse[3] = alpha;
        gl_.Materialfv(face, GL_DIFFUSE, diffuse.data());
    }
}

void TGLStateCache::ResetGLMaterialColors() {
    static const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    static const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    static const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    gl_.Materialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    gl_.Materialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    gl_.Materialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    gl_.Materialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    gl_.Materiali(GL_FRONT_AND_BACK, GL_SHININESS, 0);
    // Bytes of 127 make a value no colour given later equals.
    std::memset(materialCache_, 127, sizeof(materialCache_));
    shininessCache_[0] = shininessCache_[1] = 0;
}

void TGLStateCache::StateCacheBindTexture(int textureUnit, GLenum target, GLuint handle) {
    if (textureUnit < 0 || textureUnit > 7) {
        gl_.BindTexture(target, handle);
        return;
    }
    if (textureHandle_[textureUnit] != handle) {
        gl_.BindTexture(target, handle);
        textureHandle_[textureUnit] = handle;
    }
}

void TGLStateCache::ResetGLCurrentTexture() {
    for (GLuint& handle : textureHandle_)
        handle = 0xFFFFFFFFu;
}

void TGLStateCache::SetGLTextureMatrix(const TMatrix& matrix) {
    textureMatrixIsIdentity_ = false;
    gl_.MatrixMode(GL_TEXTURE);
    gl_.LoadMatrixf(matrix[0].data());
    gl_.MatrixMode(GL_MODELVIEW);
}

void TGLStateCache::ResetGLTextureMatrix() {
    if (!textureMatrixIsIdentity_) {
        gl_.MatrixMode(GL_TEXTURE);
        gl_.LoadIdentity();
        gl_.MatrixMode(GL_MODELVIEW);
        textureMatrixIsIdentity_ = true;
    }
}

void TGLStateCache::InvertGLFrontFace() {
    frontFaceCCW_ = !frontFaceCCW_;
    gl_.FrontFace(frontFaceCCW_ ? GL_CCW : GL_CW);
}

void TGLStateCache::ResetGLFrontFace() {
    gl_.FrontFace(GL_CCW);
    frontFaceCCW_ = true;
}

void TGLStateCache::ResetAll() {
    ResetGLPolygonMode();
    ResetGLMaterialColors();
    ResetGLCurrentTexture();
    ResetGLFrontFace();
}

} // namespace engine3d
