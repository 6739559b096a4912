#include "unitTplMipMap.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMetaObject>
#include <QScrollArea>
#include <QScrollBar>
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
    : TCustomPRPObjectForm(parent), tempDir_(QStringLiteral("kestrum-mipmap")) {
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
    // The content (tool strip above picture) keeps at least its own size and fills a larger client area;
    // the scroll bars show whenever it does not fit, so every pixel of both can be reached.
    ScrollBox->setWidgetResizable(true);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The window takes its size from the texture, not from the scroll box's own idea of a smallest size.
    ScrollBox->setMinimumSize(1, 1);
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
    // Room for either mode, so that switching does not widen the strip past the window.
    IMode->setMinimumWidth(std::max(IMode->fontMetrics().horizontalAdvance(QStringLiteral("Image")),
                                    IMode->fontMetrics().horizontalAdvance(QStringLiteral("Alpha"))));
    strip->addWidget(IMode);
    strip->addStretch();
    ToolStrip->setFixedHeight(kViewerTop);

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
    GL3DSceneViewer->setFixedSize(257, 257);
    GL3DSceneViewer->SetCamera(GLCamera);
    // The strip across the top, the picture at its own size below: together the content's smallest size,
    // which the scroll box keeps.
    auto* contentLayout = new QVBoxLayout(Content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(0);
    contentLayout->addWidget(ToolStrip);
    contentLayout->addWidget(GL3DSceneViewer, 0, Qt::AlignLeft | Qt::AlignTop);
    contentLayout->addStretch();
    ScrollBox->setWidget(Content);

    // The form takes the wheel and the space key wherever they land inside it.
    for (QObject* watched : {static_cast<QObject*>(ScrollBox), static_cast<QObject*>(ScrollBox->viewport()),
                             static_cast<QObject*>(Content), static_cast<QObject*>(GL3DSceneViewer)})
        watched->installEventFilter(this);
    resize(257, kViewerTop + 257);
    // Words that come in place of the picture later (a frame that fails) get their room too, once the
    // paint that showed them is over.
    GL3DSceneViewer->OnMessageChange = [this](TObject*) {
        QMetaObject::invokeMethod(
            this, [this] { Guarded([&] { fitToPicture(); }); }, Qt::QueuedConnection);
    };
    // The context is made with the form, so that a driver that gives none is known before it is sized.
    GL3DSceneViewer->Loaded();
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
    if (!tempDir_.IsValid()) {
        // Without a folder of its own the window writes nothing, and tells why.
        failLoading(tempDir_.ErrorText());
    } else {
        // A body that cannot be read is reported like a picture that cannot be loaded: a window without a
        // picture is no use to anyone.
        try {
            const TMipmapFiles files = WriteMipmapFiles(*stream, tempDir_.Path().toStdString());
            ColorFileName = files.ColorFile;
            AlphaFileName = files.AlphaFile;
            Header = files.Header;
            Texture = files.Texture;
            image->LoadFromFile(ColorFileName);
            // Without an alpha image the alpha mode shows the bare sprite, not the last texture's alpha.
            alphaTexture->SetDisabled(!files.HasAlpha);
            if (files.HasAlpha) alphaTexture->Image()->LoadFromFile(AlphaFileName);
        } catch (const std::exception& error) {
            // A temporary file the disk would not take is told as such, not as a damaged texture.
            failLoading(QString::fromStdString(FileFailureText(error)));
        }
    }
    MipLvl->setText(QStringLiteral("1/") + QString::number(Texture.LevelCount));

    const float width = float(image->GetWidth()), height = float(image->GetHeight());
    ImageSprite->SetWidth(width);
    ImageSprite->SetHeight(height);
    AlphaSprite->SetWidth(width);
    AlphaSprite->SetHeight(height);
    pictureSize_ = QSize(int(std::lround(width)), int(std::lround(height)));
    fitToPicture();

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

void TfrmTplMipMap::fitToPicture() {
    // While the drawing shows words in place of the picture, they need room beside a small texture too.
    const QSize least = GL3DSceneViewer->minimumSizeHint();
    const int w = std::max(pictureSize_.width(), least.width());
    const int h = std::max(pictureSize_.height(), least.height());

    // The tool strip stands above the picture and is never narrower than its own texts.
    const int stripWidth = ToolStrip->sizeHint().width();
    const QSize content(std::max(w, stripWidth), kViewerTop + h);
    const bool maximized = SubWindow() ? SubWindow()->isMaximized() : isMaximized();
    if (!maximized) {
        int clientWidth = std::max({w < kMaxClient ? w : kMaxClient, stripWidth, kMinClient});
        int clientHeight = std::max(h < kMaxClient ? kViewerTop + h : kMaxClient, kMinClient);
        // A scroll bar that one side needs takes room from the other; up to the largest client size the
        // window grows by it rather than needing the other bar as well.
        const int barWidth = ScrollBox->verticalScrollBar()->sizeHint().width();
        const int barHeight = ScrollBox->horizontalScrollBar()->sizeHint().height();
        if (content.height() > clientHeight) clientWidth = std::min(clientWidth + barWidth, kMaxClient);
        if (content.width() > clientWidth) clientHeight = std::min(clientHeight + barHeight, kMaxClient);
        setClientSize(clientWidth, clientHeight);
    }
    GL3DSceneViewer->setFixedSize(w, h);
}

void TfrmTplMipMap::FormResize() {
    ImageSprite->Position()->SetCoordinate(0, float(GL3DSceneViewer->width()) / 2);
    ImageSprite->Position()->SetCoordinate(1, float(GL3DSceneViewer->height()) / 2);
    AlphaSprite->SetPosition(ImageSprite->Position());
    GL3DSceneViewer->Invalidate();
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
    GL3DSceneViewer->Invalidate();
}

void TfrmTplMipMap::FormMouseWheelDown() {
    stepTexture(1);
}

void TfrmTplMipMap::FormMouseWheelUp() {
    stepTexture(-1);
}

const TPRPFolder* TfrmTplMipMap::loadedTextures(bool& pageLoaded) const {
    pageLoaded = false;
    const TPRPFolder* textures = nullptr;
    if (!ViewerHost()) return nullptr;
    for (const TPRPFile& page : ViewerHost()->LoadedLocalPages()) {
        if (page.FileName != ObjectInfo.FileName) continue;
        pageLoaded = true;
        for (const TPRPFolder& folder : page.Folders)
            if (folder.ClassType == kMipMapClass) textures = &folder;
    }
    return textures;
}

void TfrmTplMipMap::stepTexture(int step) {
    // The page as it is loaded now: loaded again since this texture was read, it gives its textures as its
    // file holds them now, not the entries of the load before. A page no longer loaded leaves the ones kept.
    bool pageLoaded = false;
    if (const TPRPFolder* textures = loadedTextures(pageLoaded))
        Folder = *textures;
    else if (pageLoaded)
        Folder = TPRPFolder();
    const std::vector<TPRPFileObject>& objects = Folder.Objects;
    // The texture shown, at its place; in a page loaded again it may stand elsewhere.
    auto current = std::find_if(objects.begin(), objects.end(), [this](const TPRPFileObject& o) {
        return o.Offset == ObjectInfo.Offset && o.Desc == ObjectInfo.Desc;
    });
    if (current == objects.end())
        current = std::find_if(objects.begin(), objects.end(),
                               [this](const TPRPFileObject& o) { return o.Desc == ObjectInfo.Desc; });
    if (current == objects.end()) {
        // A texture of a page that is not loaded (a global page) has nothing to step through.
        if (pageLoaded)
            MessageDlg(QStringLiteral("The texture \"") + PageText(ObjectInfo.Desc.Name) +
                           QStringLiteral("\" is no longer in \"") +
                           QString::fromStdString(ObjectInfo.FileName) +
                           QStringLiteral("\" as it is loaded now."),
                       TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
        return;
    }
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

void TfrmTplMipMap::failLoading(const QString& reason) {
    QString text = QStringLiteral("Error loading image.");
    if (!reason.isEmpty()) text += QLatin1Char('\n') + reason;
    MessageDlg(text, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    askToClose();
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
    Guarded([&] { FormResize(); });
}

void TfrmTplMipMap::closeEvent(QCloseEvent* event) {
    Guarded([&] { FormClose(); });
    TCustomPRPObjectForm::closeEvent(event);
}
