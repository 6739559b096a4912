#include "GLWin32Viewer.h"

#include "GLWin32Context.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QWindow>

#include <algorithm>

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

// Why there is no OpenGL, as far as the program can tell.
QString noOpenGLText() {
    QString text = QStringLiteral("OpenGL is not available: the window system \"%1\" gives no OpenGL context")
                       .arg(QGuiApplication::platformName());
    // The settings that turn OpenGL off or point at drivers elsewhere are the likely reasons.
    QStringList settings;
    for (const char* name : {"QT_XCB_GL_INTEGRATION", "LIBGL_DRIVERS_PATH"})
        if (qEnvironmentVariableIsSet(name))
            settings << QStringLiteral("%1 is \"%2\"").arg(QLatin1String(name), qEnvironmentVariable(name));
    if (!settings.isEmpty())
        text += QStringLiteral(" (") + settings.join(QStringLiteral(", ")) + QLatin1Char(')');
    return text + QStringLiteral(". The picture cannot be drawn.");
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
// The control's designed size, at which the message without OpenGL is measured.
constexpr int kDesignedSize = 257;

} // namespace

// The native window the buffer draws into: it renders when the window system shows it or a frame is
// asked for, and hands its input to the control.
class TGLViewerWindow : public QWindow {
public:
    explicit TGLViewerWindow(TGL3DSceneViewer* viewer) : viewer_(viewer) {
        setSurfaceType(QSurface::OpenGLSurface);
        // Keys stay with the program's windows, which pass the control's on to it.
        setFlag(Qt::WindowDoesNotAcceptFocus);
    }

protected:
    void exposeEvent(QExposeEvent*) override {
        if (isExposed()) viewer_->renderFrame();
    }
    bool event(QEvent* event) override {
        switch (event->type()) {
        case QEvent::UpdateRequest:
            if (isExposed()) viewer_->renderFrame();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Enter:
        case QEvent::Leave:
            // The window fills the control, so positions are the control's own; the toolkit passes what the
            // control does not take on to its parents.
            QCoreApplication::sendEvent(viewer_, event);
            return true;
        default:
            return QWindow::event(event);
        }
    }

private:
    TGL3DSceneViewer* viewer_;
};

// The platform context on the viewer's window; it reads a frame back before presenting it while the
// viewer asks for one.
class TGLViewerContext : public TGLWin32Context {
    E3D_DECLARE_CLASS(TGLViewerContext)
public:
    explicit TGLViewerContext(TGL3DSceneViewer* viewer = nullptr) : viewer_(viewer) {}
    void SwapBuffers() override {
        if (viewer_ && viewer_->grabbing_) viewer_->grabbed_ = readBack();
        TGLWin32Context::SwapBuffers();
    }

private:
    QImage readBack() const {
        const int width = viewer_->buffer_->Width(), height = viewer_->buffer_->Height();
        QImage image(width, height, QImage::Format_RGBA8888);
        GLint alignment = 4;
        glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadBuffer(Options() & RCOption(rcoDoubleBuffered) ? GL_BACK : GL_FRONT);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
        glPixelStorei(GL_PACK_ALIGNMENT, alignment);
        // OpenGL counts rows from the bottom.
        image = image.mirrored().convertToFormat(QImage::Format_RGB32);
        image.setDevicePixelRatio(viewer_->window_->devicePixelRatio());
        return image;
    }

    TGL3DSceneViewer* viewer_;
};

E3D_DEFINE_CLASS(TGLViewerContext, TGLWin32Context)

TGL3DSceneViewer::TGL3DSceneViewer(QWidget* parent)
    : QWidget(parent), buffer_(std::make_unique<TGL3DSceneBuffer>()) {
    openGLAvailable_ = openGLLoads();
    senderObject_.viewer = this;
    setMouseTracking(true);
    resize(100, 100);
    buffer_->OnChange = [this](TObject*) { bufferChanged(); };
    buffer_->OnStructuralChange = [this](TObject*) { bufferStructuralChanged(); };
    buffer_->OnPrepareRender = [this](TObject*) { beforeRender(); };
    if (!openGLAvailable_) {
        // No native surface at all: one that cannot draw would take the whole program's window with it.
        lastError_ = noOpenGLText();
        return;
    }
    buffer_->ContextFactory = [this]() -> TGLContext* { return new TGLViewerContext(this); };
    window_ = new TGLViewerWindow(this);
    window_->setFormat(formatForBuffer());
    container_ = QWidget::createWindowContainer(window_, this);
    container_->setObjectName(QStringLiteral("GL3DSceneViewerWindow"));
    container_->setGeometry(rect());
    container_->setFocusPolicy(Qt::NoFocus);
}

TGL3DSceneViewer::~TGL3DSceneViewer() {
    destroyRC();
    buffer_.reset();
    // The container frees the window with itself.
    delete container_;
}

QSurfaceFormat TGL3DSceneViewer::formatForBuffer() const {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    static constexpr int depthBits[] = {24, 16, 24, 32};
    format.setDepthBufferSize(depthBits[buffer_->DepthPrecision() % 4]);
    TContextOptions options = buffer_->ContextOptions();
    format.setStencilBufferSize(options & ContextOption(roStencilBuffer) ? 8 : 0);
    format.setAlphaBufferSize(options & ContextOption(roDestinationAlpha) ? 8 : 0);
    format.setSwapBehavior(options & ContextOption(roDoubleBuffer) ? QSurfaceFormat::DoubleBuffer
                                                                   : QSurfaceFormat::SingleBuffer);
    switch (buffer_->AntiAliasing()) {
    case aa2x:
    case aa2xHQ:
        format.setSamples(2);
        break;
    case aa4x:
    case aa4xHQ:
        format.setSamples(4);
        break;
    default:
        break;
    }
    format.setSwapInterval(vsync_ == vsmSync ? 1 : 0);
    return format;
}

void TGL3DSceneViewer::showError(const std::exception& e) {
    lastError_ = QString::fromStdString(e.what());
    errorUnseen_ = true;
}

QSize TGL3DSceneViewer::minimumSizeHint() const {
    if (openGLAvailable_) return {0, 0};
    const QRect room(0, 0, kDesignedSize - 2 * kMessageMargin, 0x7FFF);
    const QRect needed = fontMetrics().boundingRect(room, Qt::AlignCenter | Qt::TextWordWrap, lastError_);
    return {kDesignedSize, std::max(kDesignedSize, needed.height() + 2 * kMessageMargin)};
}

void TGL3DSceneViewer::createRC() {
    if (!window_) return;
    try {
        resizeBuffer();
        buffer_->CreateRC(window_, false);
        lastError_.clear();
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TGL3DSceneViewer::resizeBuffer() {
    if (!window_) return;
    // The window's surface holds its size in device pixels; forms keep placing HUD objects in the
    // control's own pixels, which the buffer scales by the ratio.
    const qreal ratio = window_->devicePixelRatio();
    const QSize device = size() * ratio;
    try {
        buffer_->SetPixelRatio(float(ratio));
        buffer_->Resize(std::max(1, device.width()), std::max(1, device.height()));
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TGL3DSceneViewer::destroyRC() {
    if (!buffer_ || !buffer_->RCInstantiated()) return;
    try {
        buffer_->DestroyRC();
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TGL3DSceneViewer::Loaded() {
    // A hidden control still gets its native window and context here.
    if (window_ && !buffer_->RCInstantiated()) createRC();
}

void TGL3DSceneViewer::renderFrame() {
    if (!window_) return;
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    if (origin != lastOrigin_) {
        // A move on screen re-reads the size, as a resize would.
        if (buffer_->RCInstantiated()) resizeBuffer();
        lastOrigin_ = origin;
    }
    bool rendered = false;
    if (width() > 0 && height() > 0) {
        try {
            if (!buffer_->RCInstantiated()) createRC();
            buffer_->Render(nullptr);
            rendered = buffer_->RCInstantiated();
        } catch (const std::exception& e) {
            showError(e);
        }
    }
    // A failure is shown on one frame at least; a frame drawn after that one stands alone.
    if (rendered && !errorUnseen_) lastError_.clear();
    errorUnseen_ = false;
    showFrameOrMessage();
}

void TGL3DSceneViewer::showFrameOrMessage() {
    if (!container_) return;
    const bool message = !lastError_.isEmpty();
    if (container_->isHidden() == message) return;
    container_->setHidden(message);
    if (message) update();
}

void TGL3DSceneViewer::Invalidate() {
    if (container_ && !container_->isHidden()) {
        window_->requestUpdate();
        return;
    }
    framePending_ = container_ != nullptr;
    update();
}

QImage TGL3DSceneViewer::grabFramebuffer() {
    if (window_) {
        grabbing_ = true;
        grabbed_ = QImage();
        renderFrame();
        grabbing_ = false;
        if (lastError_.isEmpty() && !grabbed_.isNull()) return grabbed_;
    }
    return grab().toImage();
}

void TGL3DSceneViewer::paintEvent(QPaintEvent*) {
    // Only the message is drawn here; frames go to the window.
    if (framePending_) {
        framePending_ = false;
        renderFrame();
        if (lastError_.isEmpty()) return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    painter.drawText(rect().adjusted(kMessageMargin, kMessageMargin, -kMessageMargin, -kMessageMargin),
                     Qt::AlignCenter | Qt::TextWordWrap, lastError_);
}

void TGL3DSceneViewer::resizeEvent(QResizeEvent*) {
    if (!container_) return;
    container_->setGeometry(rect());
    // The viewport follows at once, not when the window system has resized the window.
    if (buffer_->RCInstantiated()) resizeBuffer();
    Invalidate();
}

void TGL3DSceneViewer::bufferChanged() {
    if (!buffer_->Rendering() && !buffer_->Freezed()) Invalidate();
}

void TGL3DSceneViewer::bufferStructuralChanged() {
    if (!window_) return;
    // A native window's pixel format is fixed when it is made: the window is made anew for the new
    // options, and the context on it.
    const bool hadContext = buffer_->RCInstantiated();
    destroyRC();
    const bool shown = window_->isVisible();
    if (window_->handle()) window_->destroy();
    window_->setFormat(formatForBuffer());
    if (hadContext) createRC();
    if (shown) window_->setVisible(true);
    showFrameOrMessage();
    Invalidate();
}

void TGL3DSceneViewer::beforeRender() {
    GLAssert(vsync_ == vsmSync || vsync_ == vsmNoSync, "");
}

void TGL3DSceneViewer::SetVSync(TVSyncMode value) {
    GLAssert(value == vsmSync || value == vsmNoSync, "");
    if (value == vsync_) return;
    vsync_ = value;
    if (window_ && !window_->handle()) window_->setFormat(formatForBuffer());
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
        showError(e);
        showFrameOrMessage();
        update();
    }
}

void TGL3DSceneViewer::mousePressEvent(QMouseEvent* event) {
    pressed_ = true;
    // A press in the native window takes the focus as a press in the control would: to the nearest
    // window around it that takes focus by click, which activates its frame.
    for (QWidget* w = this; w; w = w->parentWidget())
        if (w->focusPolicy() & Qt::ClickFocus) {
            w->setFocus(Qt::MouseFocusReason);
            break;
        }
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
