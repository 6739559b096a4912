#include "unitTplMipMap.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "GLEngineInit.h"
#include "GLHUDObjects.h"
#include "GLWin32Viewer.h"
#include "UserTempFolder.h"
#include "ViewerHost.h"
#include "ViewerRegistry.h"

using namespace engine3d;

namespace {
const TViewerRegistrar registrar("TfrmTplMipMap", [] { return new TfrmTplMipMap; });

constexpr uint16_t kMipMapClass = 4;
// One notch of a mouse wheel.
constexpr int kWheelNotch = 120;

QLabel* makeLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    return label;
}

void removeIfExists(const std::string& fileName) {
    std::error_code ignored;
    if (!fileName.empty()) std::filesystem::remove(fileName, ignored);
}

void setUpSprite(TGLHUDSprite* sprite, float z) {
    sprite->Position()->SetPoint(128, 128, z);
    sprite->SetWidth(128);
    sprite->SetHeight(128);
    sprite->Material()->SetBlendingMode(bmTransparency);
    TGLTexture* texture = sprite->Material()->GetTexture();
    texture->SetMinFilter(miLinear);
    texture->SetDisabled(false);
}
} // namespace

TfrmTplMipMap::TfrmTplMipMap(QWidget* parent)
    : TCustomPRPObjectForm(parent),
      tempDir_(QDir(UserTempFolder()).filePath(QStringLiteral("kestrum-mipmap-XXXXXX"))) {
    // Picture formats by extension and the scene classes; only the first call acts.
    InitEngine3D();
    setObjectName(QStringLiteral("frmTplMipMap"));
    setFocusPolicy(Qt::StrongFocus);
    Folder.Count = 0;

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setFrameShape(QFrame::NoFrame);
    ScrollBox->setFocusPolicy(Qt::NoFocus);
    ScrollBox->setWidgetResizable(false);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(ScrollBox);

    Content = new QWidget;
    Content->setObjectName(QStringLiteral("Content"));
    ToolStrip = new QWidget(Content);
    ToolStrip->setObjectName(QStringLiteral("ToolStrip"));
    auto* strip = new QHBoxLayout(ToolStrip);
    strip->setContentsMargins(4, 0, 4, 0);
    strip->addWidget(makeLabel(QStringLiteral("Mip Level:"), nullptr, ToolStrip));
    MipLvl = makeLabel(QStringLiteral("0/0"), "MipLvl", ToolStrip);
    strip->addWidget(MipLvl);
    strip->addSpacing(12);
    strip->addWidget(makeLabel(QStringLiteral("Mode:"), nullptr, ToolStrip));
    IMode = makeLabel(QStringLiteral("Image"), "IMode", ToolStrip);
    strip->addWidget(IMode);
    strip->addStretch();
    ToolStrip->setGeometry(0, 0, 257, kViewerTop);

    GL3DScene = std::make_unique<TGL3DScene>();
    GLCamera = GL3DScene->Cameras()->AddNewChild<TGLCamera>();
    GLCamera->SetCameraStyle(csOrthogonal);
    GLCamera->SetFocalLength(1);
    GLCamera->SetDepthOfView(100);
    GLCamera->Position()->SetPoint(0, 0, 15);
    ImageSprite = GL3DScene->Objects()->AddNewChild<TGLHUDSprite>();
    setUpSprite(ImageSprite, 0);
    AlphaSprite = GL3DScene->Objects()->AddNewChild<TGLHUDSprite>();
    setUpSprite(AlphaSprite, 1);
    AlphaSprite->SetVisible(false);

    GL3DSceneViewer = new TGL3DSceneViewer(Content);
    GL3DSceneViewer->setObjectName(QStringLiteral("GL3DSceneViewer"));
    GL3DSceneViewer->setGeometry(0, kViewerTop, 257, 257);
    GL3DSceneViewer->SetCamera(GLCamera);
    Content->resize(257, kViewerTop + 257);
    ScrollBox->setWidget(Content);

    // The form takes the wheel and the space key wherever they land inside it.
    for (QObject* watched : {static_cast<QObject*>(ScrollBox), static_cast<QObject*>(ScrollBox->viewport()),
                             static_cast<QObject*>(Content), static_cast<QObject*>(GL3DSceneViewer)})
        watched->installEventFilter(this);
    resize(257, kViewerTop + 257);
}

TfrmTplMipMap::~TfrmTplMipMap() {
    FormClose();
    // The viewer's buffer refers to the camera: the viewer goes before the scene.
    delete GL3DSceneViewer;
    GL3DSceneViewer = nullptr;
}

void TfrmTplMipMap::LoadObject(const TPRPFileObject& entry, TPlasmaStream* stream) {
    if (!stream) {
        SetObjectInfo(entry);
        return;
    }
    // The files of a texture shown before are removed first, so that a texture without alpha does not
    // show the previous one's alpha image.
    FormClose();
    TGLTextureImage* image = ImageSprite->Material()->GetTexture()->Image();
    TGLTexture* alphaTexture = AlphaSprite->Material()->GetTexture();
    // A body that cannot be read is reported like a picture that cannot be loaded: a window without a
    // picture is no use to anyone.
    try {
        const TMipmapFiles files = WriteMipmapFiles(*stream, tempDir_.path().toStdString());
        ColorFileName = files.ColorFile;
        AlphaFileName = files.AlphaFile;
        Header = files.Header;
        Texture = files.Texture;
        image->LoadFromFile(ColorFileName);
        // Without an alpha image the alpha mode shows the bare sprite, not the last texture's alpha.
        const bool hasAlpha = std::filesystem::exists(AlphaFileName);
        alphaTexture->SetDisabled(!hasAlpha);
        if (hasAlpha) alphaTexture->Image()->LoadFromFile(AlphaFileName);
    } catch (const std::exception&) {
        MessageDlg(QStringLiteral("Error loading image."), TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
        askToClose();
    }
    MipLvl->setText(QStringLiteral("1/") + QString::number(Texture.LevelCount));

    const float width = float(image->GetWidth()), height = float(image->GetHeight());
    ImageSprite->SetWidth(width);
    ImageSprite->SetHeight(height);
    AlphaSprite->SetWidth(width);
    AlphaSprite->SetHeight(height);
    const int w = int(std::lround(width)), h = int(std::lround(height));

    ScrollBox->setHorizontalScrollBarPolicy(w > kMaxClient ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    ScrollBox->setVerticalScrollBarPolicy(h > kMaxClient ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    const bool maximized = SubWindow() ? SubWindow()->isMaximized() : isMaximized();
    if (!maximized) {
        const int clientWidth = w < kMaxClient ? w : kMaxClient;
        const int clientHeight = h < kMaxClient ? kViewerTop + h : kMaxClient;
        setClientSize(std::max(clientWidth, kMinClient), std::max(clientHeight, kMinClient));
    }
    GL3DSceneViewer->resize(w, h);
    Content->resize(std::max(w, ScrollBox->viewport()->width()), kViewerTop + h);
    ToolStrip->resize(std::max(Content->width(), ToolStrip->sizeHint().width()), kViewerTop);

    if (Folder.Count == 0 && ViewerHost()) {
        for (const TPRPFile& page : ViewerHost()->LoadedLocalPages()) {
            if (page.FileName != entry.FileName) continue;
            for (const TPRPFolder& folder : page.Folders)
                if (folder.ClassType == kMipMapClass) Folder = folder;
        }
    }
    FormResize();
    SetObjectInfo(entry);
}

void TfrmTplMipMap::FormResize() {
    ImageSprite->Position()->SetCoordinate(0, float(GL3DSceneViewer->width()) / 2);
    ImageSprite->Position()->SetCoordinate(1, float(GL3DSceneViewer->height()) / 2);
    AlphaSprite->SetPosition(ImageSprite->Position());
    GL3DSceneViewer->update();
}

void TfrmTplMipMap::FormKeyDown(int key) {
    if (key != Qt::Key_Space) return;
    if (AlphaSprite->Visible()) {
        IMode->setText(QStringLiteral("Image"));
        AlphaSprite->SetVisible(false);
        ImageSprite->SetVisible(true);
    } else {
        IMode->setText(QStringLiteral("Alpha"));
        AlphaSprite->SetVisible(true);
        ImageSprite->SetVisible(false);
    }
    GL3DSceneViewer->update();
}

void TfrmTplMipMap::FormMouseWheelDown() {
    stepTexture(1);
}

void TfrmTplMipMap::FormMouseWheelUp() {
    stepTexture(-1);
}

void TfrmTplMipMap::stepTexture(int step) {
    const std::vector<TPRPFileObject>& objects = Folder.Objects;
    const auto current = std::find_if(objects.begin(), objects.end(), [this](const TPRPFileObject& o) {
        return o.Offset == ObjectInfo.Offset;
    });
    if (current == objects.end()) return;
    const auto count = static_cast<std::ptrdiff_t>(objects.size());
    const std::ptrdiff_t index = ((current - objects.begin()) + step + count) % count;
    const TPRPFileObject next = objects[static_cast<size_t>(index)];
    TPlasmaStream stream;
    TPRPObjectDesc ownKey;
    ExtractObjectData(next, stream, ownKey);
    stream.Header.Version = next.Version;
    stream.Header.MajorVersion = uint16_t(next.MajorVersion & 0xFFFF);
    LoadObject(next, &stream);
}

void TfrmTplMipMap::FormClose() {
    removeIfExists(ColorFileName);
    removeIfExists(AlphaFileName);
}

void TfrmTplMipMap::setClientSize(int width, int height) {
    if (QMdiSubWindow* frame = SubWindow()) {
        const QSize overhead = frame->size() - size();
        frame->resize(QSize(width, height) + overhead);
    } else {
        resize(width, height);
    }
}

void TfrmTplMipMap::askToClose() {
    // Closing frees the window later, from the event loop: the loader still finishes.
    if (QMdiSubWindow* frame = SubWindow())
        frame->close();
    else
        close();
}

bool TfrmTplMipMap::handleWheel(QWheelEvent* event) {
    wheelRemainder_ += event->angleDelta().y();
    Guarded([&] {
        while (wheelRemainder_ <= -kWheelNotch) {
            wheelRemainder_ += kWheelNotch;
            FormMouseWheelDown();
        }
        while (wheelRemainder_ >= kWheelNotch) {
            wheelRemainder_ -= kWheelNotch;
            FormMouseWheelUp();
        }
    });
    event->accept();
    return true;
}

bool TfrmTplMipMap::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) return handleWheel(static_cast<QWheelEvent*>(event));
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        Guarded([&] { FormKeyDown(Qt::Key_Space); });
        return true;
    }
    return TCustomPRPObjectForm::eventFilter(watched, event);
}

void TfrmTplMipMap::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        Guarded([&] { FormKeyDown(event->key()); });
        event->accept();
        return;
    }
    TCustomPRPObjectForm::keyPressEvent(event);
}

void TfrmTplMipMap::wheelEvent(QWheelEvent* event) {
    handleWheel(event);
}

void TfrmTplMipMap::resizeEvent(QResizeEvent* event) {
    TCustomPRPObjectForm::resizeEvent(event);
    Guarded([&] {
        if (Content && GL3DSceneViewer) {
            Content->resize(std::max(GL3DSceneViewer->width(), ScrollBox->viewport()->width()),
                            Content->height());
            ToolStrip->resize(std::max(Content->width(), ToolStrip->sizeHint().width()), kViewerTop);
        }
        FormResize();
    });
}

void TfrmTplMipMap::closeEvent(QCloseEvent* event) {
    Guarded([&] { FormClose(); });
    TCustomPRPObjectForm::closeEvent(event);
}
