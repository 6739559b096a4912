#include "unitTplEnvironMap.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <filesystem>

#include "GLEngineInit.h"
#include "GLObjects.h"
#include "GLSkyBox.h"
#include "GLTexture.h"
#include "GLWin32Viewer.h"
#include "UserTempFolder.h"
#include "ViewerRegistry.h"

using namespace engine3d;

namespace {
const TViewerRegistrar registrar("TfrmTplEnvironMap", [] { return new TfrmTplEnvironMap; });

void removeIfExists(const std::string& fileName) {
    std::error_code ignored;
    if (!fileName.empty()) std::filesystem::remove(fileName, ignored);
}
} // namespace

const std::array<const char*, 6> TfrmTplEnvironMap::kFaceMaterials = {"LeftFace", "RightFace", "FrontFace",
                                                                      "BackFace", "TopFace",   "BottomFace"};

TfrmTplEnvironMap::TfrmTplEnvironMap(QWidget* parent)
    : TCustomPRPObjectForm(parent), tempDir_(QStringLiteral("kestrum-cubemap")) {
    // Picture formats by extension and the scene classes; only the first call acts.
    InitEngine3D();
    setObjectName(QStringLiteral("frmTplEnvironMap"));

    GLMaterialLibrary = std::make_unique<TGLMaterialLibrary>();
    for (const char* name : kFaceMaterials) {
        TGLLibMaterial* material = GLMaterialLibrary->Materials()->Add();
        material->SetName(name);
        TGLTexture* texture = material->Material()->GetTexture();
        texture->SetMinFilter(miLinear);
        texture->SetDisabled(false);
    }

    GL3DScene = std::make_unique<TGL3DScene>();
    GL3DScene->SetObjectsSorting(osRenderFarthestFirst);
    LightSrc = GL3DScene->Objects()->AddNewChild<TGLLightSource>();
    LightSrc->Position()->SetPoint(0, 0, -2);
    LightSrc->SetConstAttenuation(1);
    LightSrc->SetSpotCutOff(180);
    GLSkyBox = GL3DScene->Objects()->AddNewChild<TGLSkyBox>();
    GLSkyBox->SetMaterialLibrary(GLMaterialLibrary.get());
    GLSkyBox->SetMatNameLeft("LeftFace");
    GLSkyBox->SetMatNameRight("RightFace");
    GLSkyBox->SetMatNameFront("FrontFace");
    GLSkyBox->SetMatNameBack("BackFace");
    GLSkyBox->SetMatNameTop("TopFace");
    GLSkyBox->SetMatNameBottom("BottomFace");
    GLSkyBox->SetCloudsPlaneOffset(0.2f);
    GLSkyBox->SetCloudsPlaneSize(32);
    // The box is drawn around the camera wherever it stands; placed beyond the sphere, it sorts farthest
    // and is drawn first.
    GLSkyBox->Position()->SetPoint(0, 0, 98);
    PreviewSphere = GL3DScene->Objects()->AddNewChild<TGLSphere>();
    PreviewSphere->SetRadius(0.5f);
    PreviewSphere->Material()->FrontProperties()->SetShininess(128);
    PreviewSphere->Material()->GetTexture()->SetMappingMode(tmmCubeMapReflection);
    GLCamera = GL3DScene->Cameras()->AddNewChild<TGLCamera>();
    GLCamera->Position()->SetPoint(0, 0, -2);
    GLCamera->Direction()->SetVector(0, 0, 1);
    GLCamera->SetFocalLength(50);
    GLCamera->SetDepthOfView(100);

    GL3DSceneViewer = new TGL3DSceneViewer(this);
    GL3DSceneViewer->setObjectName(QStringLiteral("GL3DSceneViewer"));
    GL3DSceneViewer->SetCamera(GLCamera);
    resize(257, 257);
    GL3DSceneViewer->setGeometry(0, 0, 257, 257);
    // Words that come in place of the picture later (a frame that fails) get their room, once the paint
    // that showed them is over.
    GL3DSceneViewer->OnMessageChange = [this](TObject*) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (QMdiSubWindow* frame = SubWindow())
                    frame->resize(frame->size().expandedTo(minimumSizeHint() + frame->size() - size()));
            },
            Qt::QueuedConnection);
    };
    // The context is made with the form, so that a driver that gives none is known before it is sized.
    GL3DSceneViewer->Loaded();
}

QSize TfrmTplEnvironMap::minimumSizeHint() const {
    return GL3DSceneViewer ? GL3DSceneViewer->minimumSizeHint() : QSize();
}

TfrmTplEnvironMap::~TfrmTplEnvironMap() {
    FormClose();
    // The viewer's buffer refers to the camera and the sky box to the library: viewer, scene, library.
    delete GL3DSceneViewer;
    GL3DSceneViewer = nullptr;
    GL3DScene.reset();
    GLMaterialLibrary.reset();
}

void TfrmTplEnvironMap::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    // The object info is left unset: the window keeps an empty caption.
    (void)entry;
    ShowAsChild();
    if (!stream) return;
    FormClose();
    if (!tempDir_.IsValid()) {
        // Without a folder of its own the window writes nothing, and tells why.
        failLoading(tempDir_.ErrorText());
    } else {
        // A body that cannot be read is reported like pictures that cannot be loaded.
        try {
            const TCubeMapFiles cube = WriteCubeMapFiles(*stream, tempDir_.Path().toStdString());
            Header = cube.Header;
            for (size_t i = 0; i < 6; ++i) {
                FaceHeaders[i] = cube.Faces[i].Header;
                Textures[i] = cube.Faces[i].Texture;
                ColorFileNames[i] = cube.Faces[i].ColorFile;
                AlphaFileNames[i] = cube.Faces[i].AlphaFile;
            }
            // Only the colour of each face is shown.
            for (int i = 0; i < 6; ++i)
                GLMaterialLibrary->Materials()->GetItem(i)->Material()->GetTexture()->Image()->LoadFromFile(
                    ColorFileNames[size_t(i)]);
        } catch (const std::exception& error) {
            // A temporary file the disk would not take is told as such, not as a damaged texture.
            failLoading(QString::fromStdString(FileFailureText(error)));
        }
    }
    FormResize();
}

void TfrmTplEnvironMap::FormResize() {
    GL3DSceneViewer->setGeometry(rect());
    GL3DSceneViewer->Invalidate();
}

void TfrmTplEnvironMap::FormClose() {
    for (size_t i = 0; i < 6; ++i) {
        removeIfExists(ColorFileNames[i]);
        removeIfExists(AlphaFileNames[i]);
    }
}

void TfrmTplEnvironMap::failLoading(const QString& reason) {
    QString text = QStringLiteral("Error loading images.");
    if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
    MessageDlg(text, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    if (QMdiSubWindow* frame = SubWindow())
        frame->close();
    else
        close();
}

void TfrmTplEnvironMap::resizeEvent(QResizeEvent* event) {
    TCustomPRPObjectForm::resizeEvent(event);
    Guarded([&] { FormResize(); });
}

void TfrmTplEnvironMap::closeEvent(QCloseEvent* event) {
    Guarded([&] { FormClose(); });
    TCustomPRPObjectForm::closeEvent(event);
}
