#pragma once
// Scene objects of the texture previews: a sprite placed in window pixels over the scene, a sky box of
// six library materials kept around the camera, and a lit sphere.
#include <string>

#include "GL3DScene.h"
#include "GLObjects.h"
#include "GLSkyBox.h"
#include "GLTexture.h"

// Registers the picture classes that read the preview files: "dds" and "jpg".
void InitTexturePreviewFormats();

// A textured rectangle placed and sized in window pixels: X from the left edge and Y down from the top
// edge to its centre. Drawn without depth test; the texture's t = 0 edge is the lower edge on screen.
class TPreviewHUDSprite : public engine3d::TGL3DSceneObject {
public:
    explicit TPreviewHUDSprite(engine3d::TComponent* owner = nullptr);
    float Width() const { return width_; }
    float Height() const { return height_; }
    void SetWidth(float value);
    void SetHeight(float value);
    void DoRender(engine3d::TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;

private:
    float width_ = 16;
    float height_ = 16;
};

// Six faces of a cube centred on the camera, each drawn with a material of the library found by name; a
// face whose name the library does not know is skipped.
class TPreviewSkyBox : public engine3d::TGLImmaterialSceneObject {
public:
    explicit TPreviewSkyBox(engine3d::TComponent* owner = nullptr);
    engine3d::TGLMaterialLibrary* MaterialLibrary() const { return library_; }
    void SetMaterialLibrary(engine3d::TGLMaterialLibrary* library);
    void SetMatName(engine3d::TGLSkyBoxFace face, const std::string& name);
    const std::string& MatName(engine3d::TGLSkyBoxFace face) const { return names_[face]; }
    float CloudsPlaneOffset() const { return cloudsOffset_; }
    float CloudsPlaneSize() const { return cloudsSize_; }
    void SetCloudsPlaneOffset(float value);
    void SetCloudsPlaneSize(float value);
    void DoRender(engine3d::TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;

private:
    engine3d::TGLMaterialLibrary* library_ = nullptr;
    std::string names_[engine3d::cSkyBoxFaceCount];
    float cloudsOffset_ = 0.2f;
    float cloudsSize_ = 32;
};

class TPreviewSphere : public engine3d::TGL3DSceneObject {
public:
    explicit TPreviewSphere(engine3d::TComponent* owner = nullptr);
    float Radius() const { return radius_; }
    void SetRadius(float value);
    engine3d::TVector AxisAlignedDimensionsUnscaled() const override {
        return {radius_, radius_, radius_, 0};
    }
    void BuildList(engine3d::TRenderContextInfo& rci) override;

private:
    float radius_ = 0.5f;
    engine3d::TGLSphereShape shape_;
};
