#pragma once
// The cube-map viewer: the six faces on a sky box around a lit sphere, drawn through the 3D engine.
#include <array>
#include <memory>
#include <string>

#include "PRPForms.h"
#include "PRPTexture.h"
#include "UserTempFolder.h"

namespace engine3d {
class TGL3DScene;
class TGL3DSceneViewer;
class TGLCamera;
class TGLLightSource;
class TGLMaterialLibrary;
class TGLSkyBox;
class TGLSphere;
} // namespace engine3d

class TfrmTplEnvironMap : public TCustomPRPObjectForm {
    Q_OBJECT
public:
    explicit TfrmTplEnvironMap(QWidget* parent = nullptr);
    ~TfrmTplEnvironMap() override;
    void LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) override;
    void FormResize();
    void FormClose();
    QSize sizeHint() const override { return {257, 257}; }
    // The drawing's: room for its words while it shows words in place of the picture.
    QSize minimumSizeHint() const override;

    // The library's materials, in the order the faces are stored.
    static const std::array<const char*, 6> kFaceMaterials;

    engine3d::TGL3DSceneViewer* GL3DSceneViewer = nullptr;
    std::unique_ptr<engine3d::TGLMaterialLibrary> GLMaterialLibrary;
    std::unique_ptr<engine3d::TGL3DScene> GL3DScene;
    engine3d::TGLLightSource* LightSrc = nullptr;
    engine3d::TGLSkyBox* GLSkyBox = nullptr;
    engine3d::TGLSphere* PreviewSphere = nullptr;
    engine3d::TGLCamera* GLCamera = nullptr;

    TBitmapHeader Header;
    std::array<TBitmapHeader, 6> FaceHeaders;
    std::array<TPRPTexture, 6> Textures;
    std::array<std::string, 6> ColorFileNames;
    std::array<std::string, 6> AlphaFileNames;
    // This window's own folder of temporary image files; empty when it could not be made.
    QString TempFolder() const { return tempDir_.Path(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // "Error loading images." with the reason below it, when there is one to tell; then the window closes.
    void failLoading(const QString& reason);
    TPrivateTempFolder tempDir_;
};
