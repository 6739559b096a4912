// The sky box: six textured faces of a cube kept around the camera, plus an optional clouds plane.
// The faces are built as plain quads here; each is drawn with its own material.
#pragma once

#include "GLObjects.h"

#include <array>

namespace engine3d {

enum TGLSkyBoxStyle { sbsFull, sbsTopHalf, sbsBottomHalf, sbTopTwoThirds, sbsTopHalfClamped };

// The drawing order of the faces; the clouds plane comes last.
enum TGLSkyBoxFace { sbfFront, sbfBack, sbfTop, sbfBottom, sbfLeft, sbfRight, sbfClouds };
constexpr int cSkyBoxFaceCount = 7;

// The part of the box that a style keeps, applied to the faces and the clouds plane: translate
// along y, then scale y.
struct TGLSkyBoxStyleTransform {
    float TranslateY = 0;
    float ScaleY = 1;
};
TGLSkyBoxStyleTransform SkyBoxStyleTransform(TGLSkyBoxStyle style);

// The quads of one face on the unit cube (clouds: the plane at height cloudsOffset with edge
// cloudsSize). With sbsTopHalfClamped a side face gets a second quad that stretches its lowest texel
// row down to y = -3.
TGLPrimitive BuildSkyBoxFace(TGLSkyBoxFace face, TGLSkyBoxStyle style, float cloudsOffset, float cloudsSize);

// The scale that puts the box halfway between the near plane and the depth of view.
float SkyBoxScale(float depthOfView, float nearPlane);

// ---- Scene object -------------------------------------------------------------------------------------

// Six faces of a cube centred on the camera, each drawn with a named material of a material library,
// and an optional clouds plane inside.
class TGLSkyBox : public TGLImmaterialSceneObject {
    E3D_DECLARE_CLASS(TGLSkyBox)
public:
    explicit TGLSkyBox(TComponent* owner = nullptr);
    ~TGLSkyBox() override;
    void Notification(TComponent* component, TOperation operation) override;
    void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;

    TGLMaterialLibrary* MaterialLibrary() const { return materialLibrary_; }
    void SetMaterialLibrary(TGLMaterialLibrary* value);
    const std::string& MatNameTop() const { return matNames_[sbfTop]; }
    void SetMatNameTop(const std::string& value) { setMatName(sbfTop, value); }
    const std::string& MatNameBottom() const { return matNames_[sbfBottom]; }
    void SetMatNameBottom(const std::string& value) { setMatName(sbfBottom, value); }
    const std::string& MatNameLeft() const { return matNames_[sbfLeft]; }
    void SetMatNameLeft(const std::string& value) { setMatName(sbfLeft, value); }
    const std::string& MatNameRight() const { return matNames_[sbfRight]; }
    void SetMatNameRight(const std::string& value) { setMatName(sbfRight, value); }
    const std::string& MatNameFront() const { return matNames_[sbfFront]; }
    void SetMatNameFront(const std::string& value) { setMatName(sbfFront, value); }
    const std::string& MatNameBack() const { return matNames_[sbfBack]; }
    void SetMatNameBack(const std::string& value) { setMatName(sbfBack, value); }
    const std::string& MatNameClouds() const { return matNames_[sbfClouds]; }
    void SetMatNameClouds(const std::string& value) { setMatName(sbfClouds, value); }
    const std::string& MatName(TGLSkyBoxFace face) const { return matNames_[face]; }
    float CloudsPlaneOffset() const { return cloudsPlaneOffset_; }
    void SetCloudsPlaneOffset(float value);
    float CloudsPlaneSize() const { return cloudsPlaneSize_; }
    void SetCloudsPlaneSize(float value);
    TGLSkyBoxStyle Style() const { return style_; }
    // Taken as it is, without a change notice.
    void SetStyle(TGLSkyBoxStyle value) { style_ = value; }

private:
    void setMatName(TGLSkyBoxFace face, const std::string& value);
    TGLMaterialLibrary* materialLibrary_ = nullptr;
    std::array<std::string, cSkyBoxFaceCount> matNames_;
    float cloudsPlaneOffset_ = 0.2f;
    float cloudsPlaneSize_ = 32;
    TGLSkyBoxStyle style_ = sbsFull;
};

void InitGLSkyBox();

} // namespace engine3d
