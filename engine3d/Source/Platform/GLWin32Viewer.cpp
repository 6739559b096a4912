#include "GLWin32Viewer.h"

#include "GLWin32Context.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace engine3d {

namespace {

// Whether the platform gives OpenGL contexts at all; asked once.
bool openGLLoads() {
    static const bool available = [] {
        QOpenGLContext probe;
        return probe.create();
    }();
    return available;
}

// The settings of the user's environment that choose the window system or the OpenGL driver, or take
// something from it, as they are set: each can be why no context or too old a one is had.
QString settingsThatMayBeWhy() {
    QStringList settings;
    for (const char* name : {"QT_QPA_PLATFORM", "QT_XCB_GL_INTEGRATION",
                             "QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "LIBGL_ALWAYS_INDIRECT",
                             "LIBGL_DRIVERS_PATH", "MESA_GL_VERSION_OVERRIDE", "MESA_EXTENSION_OVERRIDE"})
        if (qEnvironmentVariableIsSet(name))
            settings << QStringLiteral("%1 is \"%2\"").arg(QLatin1String(name), qEnvironmentVariable(name));
    return settings.join(QStringLiteral(", "));
}

// A failure to make a context, with the settings that may be why and what it means for the picture.
QString contextFailureText(QString what) {
    while (what.endsWith(QLatin1Char('.')))
        what.chop(1);
    const QString settings = settingsThatMayBeWhy();
    if (!settings.isEmpty()) what += QStringLiteral(" (") + settings + QLatin1Char(')');
    return what + QStringLiteral(". The picture cannot be drawn.");
}

// Why there is no OpenGL, as far as the program can tell.
QString noOpenGLText() {
    return contextFailureText(
        QStringLiteral("OpenGL is not available: the window system \"%1\" gives no OpenGL context")
            .arg(QGuiApplication::platformName()));
}

TMouseButton buttonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return mbLeft;
    }
}

constexpr int kMessageMargin = 4;
// The control's designed size, at which the room for its words is measured.
constexpr int kDesignedSize = 257;

} // namespace

// The memory context of a viewer: a frame is read back in place of being presented.
class TGLViewerContext : public TGLWin32Context {
    E3D_DECLARE_CLASS(TGLViewerContext)
public:
    explicit TGLViewerContext(TGL3DSceneViewer* viewer = nullptr) : viewer_(viewer) {}
    void SwapBuffers() override {
        if (!viewer_) return;
        const TGL3DSceneBuffer& buffer = *viewer_->buffer_;
        viewer_->frame_ = ReadMemorySurface(buffer.Width(), buffer.Height());
        viewer_->frame_.setDevicePixelRatio(buffer.PixelRatio());
    }

private:
    TGL3DSceneViewer* viewer_;
};

E3D_DEFINE_CLASS(TGLViewerContext, TGLWin32Context)

TGL3DSceneViewer::TGL3DSceneViewer(QWidget* parent)
    : QWidget(parent), buffer_(std::make_unique<TGL3DSceneBuffer>()) {
    openGLAvailable_ = openGLLoads();
    senderObject_.viewer = this;
    setMouseTracking(true);
    // Every pixel is painted, from the frame or with the words.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
    buffer_->OnChange = [this](TObject*) { bufferChanged(); };
    buffer_->OnStructuralChange = [this](TObject*) { bufferStructuralChanged(); };
    buffer_->OnPrepareRender = [this](TObject*) { beforeRender(); };
    buffer_->ContextFactory = [this]() -> TGLContext* { return new TGLViewerContext(this); };
    if (!openGLAvailable_) lastError_ = noOpenGLText();
}

TGL3DSceneViewer::~TGL3DSceneViewer() {
    destroyRC();
    buffer_.reset();
}

void TGL3DSceneViewer::setMessage(const QString& text) {
    if (text == lastError_) return;
    lastError_ = text;
    updateGeometry();
    update();
    if (OnMessageChange) OnMessageChange(Sender());
}

void TGL3DSceneViewer::showError(const QString& text) {
    errorUnseen_ = true;
    setMessage(text);
}

QSize TGL3DSceneViewer::minimumSizeHint() const {
    if (lastError_.isEmpty()) return {0, 0};
    const QRect room(0, 0, kDesignedSize - 2 * kMessageMargin, 0x7FFF);
    const QRect needed = fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, lastError_);
    // A word longer than the line (a setting's name) widens it.
    return {std::max(kDesignedSize, needed.width() + 2 * kMessageMargin),
            std::max(kDesignedSize, needed.height() + 2 * kMessageMargin)};
}

QSize TGL3DSceneViewer::deviceSize() const {
    const qreal ratio = devicePixelRatioF();
    return {std::max(1, int(std::lround(width() * ratio))), std::max(1, int(std::lround(height() * ratio)))};
}

void TGL3DSceneViewer::createRC() {
    if (!openGLAvailable_) return;
    try {
        resizeBuffer();
        buffer_->CreateRC(nullptr, true);
    } catch (const std::exception& e) {
        showError(contextFailureText(QString::fromStdString(e.what())));
    }
}

void TGL3DSceneViewer::resizeBuffer() {
    const QSize device = deviceSize();
    const float ratio = float(devicePixelRatioF());
    // Every frame asks; a buffer already at this size and ratio is left alone, so that a frame activates
    // the context only to render.
    if (device == QSize(buffer_->Width(), buffer_->Height()) && ratio == buffer_->PixelRatio()) return;
    // Forms keep placing HUD objects in the control's own pixels, which the buffer scales by the ratio.
    buffer_->SetPixelRatio(ratio);
    if (auto* context = dynamic_cast<TGLWin32Context*>(buffer_->RenderingContext()))
        if (!context->ResizeMemorySurface(device.width(), device.height())) destroyRC();
    buffer_->Resize(device.width(), device.height());
}

void TGL3DSceneViewer::destroyRC() {
    if (!buffer_ || !buffer_->RCInstantiated()) return;
    try {
        buffer_->DestroyRC();
    } catch (const std::exception& e) {
        showError(QString::fromStdString(e.what()));
    }
}

void TGL3DSceneViewer::Loaded() {
    if (!buffer_->RCInstantiated()) createRC();
}

void TGL3DSceneViewer::renderFrame() {
    frameStale_ = false;
    if (!openGLAvailable_) return;
    bool rendered = false;
    if (width() > 0 && height() > 0) {
        try {
            resizeBuffer();
            if (!buffer_->RCInstantiated()) createRC();
            if (buffer_->RCInstantiated()) {
                buffer_->Render(nullptr);
                rendered = true;
            }
        } catch (const std::exception& e) {
            showError(QString::fromStdString(e.what()));
        }
    }
    // A failure is shown on one frame at least; a frame drawn after that one stands alone.
    if (rendered && !errorUnseen_) setMessage(QString());
    errorUnseen_ = false;
}

void TGL3DSceneViewer::Invalidate() {
    frameStale_ = true;
    update();
}

QImage TGL3DSceneViewer::grabFramebuffer() {
    renderFrame();
    if (lastError_.isEmpty() && !frame_.isNull()) return frame_;
    return grab().toImage();
}

void TGL3DSceneViewer::paintEvent(QPaintEvent*) {
    // A frame rendered for another size or pixel ratio (the window moved to another screen) is no longer
    // the picture.
    if (frameStale_ || frame_.size() != deviceSize() || frame_.devicePixelRatio() != devicePixelRatioF())
        renderFrame();
    QPainter painter(this);
    if (lastError_.isEmpty() && !frame_.isNull()) {
        painter.drawImage(QPoint(0, 0), frame_);
        return;
    }
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    painter.drawText(rect().adjusted(kMessageMargin, kMessageMargin, -kMessageMargin, -kMessageMargin),
                     Qt::AlignCenter | Qt::TextWordWrap, lastError_);
}

void TGL3DSceneViewer::resizeEvent(QResizeEvent*) {
    // The viewport follows at once (a surface the driver cannot make that large says so); the frame at the
    // next paint.
    if (buffer_->RCInstantiated()) guarded([this] { resizeBuffer(); });
    Invalidate();
}

void TGL3DSceneViewer::bufferChanged() {
    if (!buffer_->Rendering() && !buffer_->Freezed()) Invalidate();
}

void TGL3DSceneViewer::bufferStructuralChanged() {
    // A context's pixel format is fixed when it is made: the context is made anew for the new options.
    const bool hadContext = buffer_->RCInstantiated();
    destroyRC();
    if (hadContext) createRC();
    Invalidate();
}

void TGL3DSceneViewer::beforeRender() {
    GLAssert(vsync_ == vsmSync || vsync_ == vsmNoSync, "");
}

void TGL3DSceneViewer::SetVSync(TVSyncMode value) {
    GLAssert(value == vsmSync || value == vsmNoSync, "");
    vsync_ = value;
}

float TGL3DSceneViewer::FieldOfView() const {
    if (!Camera()) return 0;
    return Camera()->GetFieldOfView(static_cast<float>(std::min(width(), height())));
}

void TGL3DSceneViewer::SetFieldOfView(float value) {
    if (Camera()) Camera()->SetFieldOfView(value, static_cast<float>(std::min(width(), height())));
}

void TGL3DSceneViewer::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        showError(QString::fromStdString(e.what()));
    }
}

void TGL3DSceneViewer::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    QPoint p = event->position().toPoint();
    guarded([&] {
        if (OnMouseDown) OnMouseDown(Sender(), buttonOf(event->button()), event->modifiers(), p.x(), p.y());
    });
    event->accept();
}

void TGL3DSceneViewer::mouseReleaseEvent(QMouseEvent* event) {
    QPoint p = event->position().toPoint();
    bool click = pressed_ && rect().contains(p) && event->button() == Qt::LeftButton;
    pressed_ = false;
    guarded([&] {
        if (click && OnClick) OnClick(Sender());
        if (OnMouseUp) OnMouseUp(Sender(), buttonOf(event->button()), event->modifiers(), p.x(), p.y());
    });
    event->accept();
}

void TGL3DSceneViewer::mouseMoveEvent(QMouseEvent* event) {
    QPoint p = event->position().toPoint();
    guarded([&] {
        if (OnMouseMove) OnMouseMove(Sender(), event->modifiers(), p.x(), p.y());
    });
    event->accept();
}

void TGL3DSceneViewer::mouseDoubleClickEvent(QMouseEvent* event) {
    guarded([&] {
        if (OnDblClick) OnDblClick(Sender());
    });
    event->accept();
}

void TGL3DSceneViewer::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    mouseInControl_ = true;
    guarded([&] {
        if (OnMouseEnter) OnMouseEnter(Sender());
    });
}

void TGL3DSceneViewer::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    mouseInControl_ = false;
    guarded([&] {
        if (OnMouseLeave) OnMouseLeave(Sender());
    });
}

const TMetaClass& SceneViewerClass() {
    static const TMetaClass meta("TGL3DSceneViewer", &TObject::StaticClass());
    return meta;
}

void InitGLWin32Viewer() {
    static int initCount = 0;
    if (initCount++ != 0) return;
    RegisterClass(SceneViewerClass());
}

} // namespace engine3d
