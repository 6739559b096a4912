#include "GLWin32Viewer.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>

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

QOpenGLContext* nativeContextOf(TGLContext* context);

} // namespace

// The widget's own context seen as an engine context: activation makes the widget current (which binds
// its framebuffer), presenting is the widget's business, and the native context is never destroyed here.
class TGLViewerContext : public TGLContext {
    E3D_DECLARE_CLASS(TGLViewerContext)
public:
    explicit TGLViewerContext(TGL3DSceneViewer* viewer = nullptr) : viewer_(viewer) {}
    ~TGLViewerContext() override {
        try {
            if (IsValid()) DestroyContext();
        } catch (const std::exception&) {
            // Nothing may leave a destructor; the adopted context belongs to the widget anyway.
        }
    }
    bool IsValid() const override { return adopted_ && viewer_ && viewer_->context(); }
    void SwapBuffers() override {}
    TGLDeviceContext RenderOutputDevice() const override {
        return IsValid() ? viewer_->context()->surface() : nullptr;
    }
    QOpenGLContext* Native() const { return IsValid() ? viewer_->context() : nullptr; }

protected:
    void DoCreateContext(TGLDeviceContext) override {
        if (!viewer_ || !viewer_->context() || !viewer_->context()->isValid())
            throw EGLContext("Could not create an OpenGL context with the requested pixel format");
        adopted_ = true;
    }
    void DoCreateMemoryContext(TGLDeviceContext, int, int, int) override {
        throw EGLContext("A viewer draws only into its window");
    }
    void DoShareLists(TGLContext* other) override {
        QOpenGLContext* mine = Native();
        QOpenGLContext* theirs = nativeContextOf(other);
        if (!mine || !theirs || (mine != theirs && !QOpenGLContext::areSharing(mine, theirs)))
            throw EGLContext("Lists are shared only between contexts created sharing them");
    }
    void DoDestroyContext() override { adopted_ = false; }
    void DoActivate() override {
        viewer_->makeCurrent();
        if (!extensionsRead_) {
            ReadGLExtensions();
            extensionsRead_ = true;
        }
    }
    void DoDeactivate() override {
        // Inside the widget's own GL callbacks the widget expects its context to stay current.
        if (!viewer_->inPaint_) viewer_->doneCurrent();
    }

private:
    TGL3DSceneViewer* viewer_;
    bool adopted_ = false;
    bool extensionsRead_ = false;
};

E3D_DEFINE_CLASS(TGLViewerContext, TGLContext)

namespace {

QOpenGLContext* nativeContextOf(TGLContext* context) {
    if (auto* viewerContext = dynamic_cast<TGLViewerContext*>(context)) return viewerContext->Native();
    return nullptr;
}

// Marks the span of a GL callback of the widget.
struct InCallback {
    bool& flag;
    bool saved;
    explicit InCallback(bool& f) : flag(f), saved(f) { flag = true; }
    ~InCallback() { flag = saved; }
};

} // namespace

TGL3DSceneViewer::TGL3DSceneViewer(QWidget* parent)
    : QOpenGLWidget(parent), buffer_(std::make_unique<TGL3DSceneBuffer>()) {
    openGLAvailable_ = openGLLoads();
    senderObject_.viewer = this;
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(100, 100);
    buffer_->ContextFactory = [this]() -> TGLContext* { return new TGLViewerContext(this); };
    buffer_->OnPrepareGLContext = [this](TGL3DSceneBuffer*, TGLContext* context) {
        // Lists are shared with the scene's first context only where the toolkit shares them.
        TGLContext* shared = context->RequestedListSharing();
        QOpenGLContext* theirs = nativeContextOf(shared);
        if (shared && (!theirs || !QOpenGLContext::areSharing(this->context(), theirs)))
            context->RequestListSharing(nullptr);
    };
    buffer_->OnChange = [this](TObject*) { bufferChanged(); };
    buffer_->OnStructuralChange = [this](TObject*) { bufferStructuralChanged(); };
    buffer_->OnPrepareRender = [this](TObject*) { beforeRender(); };
    setFormat(formatForBuffer());
    connect(this, &QOpenGLWidget::resized, this, [this] { framebufferSize_ = deviceSize(); });
}

TGL3DSceneViewer::~TGL3DSceneViewer() {
    // The base class destroys the context later, when this part of the object is gone.
    QObject::disconnect(contextConnection_);
    destroyRC();
    buffer_.reset();
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

void TGL3DSceneViewer::paintError() {
    // A failed frame leaves the scene's culling, alpha test and polygon mode behind, any of which drops
    // the painter's quads; the buffer's cache learns of the change so that the next frame sets them again.
    static constexpr TGLState dropping[] = {stCullFace, stAlphaTest, stPolygonStipple, stLogicOp};
    for (TGLState state : dropping)
        glDisable(cGLStateToGLEnum[state]);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (buffer_->RCInstantiated()) {
        TGLStateCache& cache = buffer_->StateCache();
        for (TGLState state : dropping)
            cache.StateCacheDisable(state);
        cache.ResetGLPolygonMode();
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().windowText().color());
    painter.drawText(rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, lastError_);
}

void TGL3DSceneViewer::createRC() {
    if (!openGLAvailable_ || !context()) return;
    try {
        resizeBuffer(width(), height());
        buffer_->CreateRC(context()->surface(), false);
        lastError_.clear();
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TGL3DSceneViewer::resizeBuffer(int width, int height) {
    // The widget's framebuffer holds its size in device pixels, rounded as the toolkit rounds it; forms
    // keep placing HUD objects in the widget's own pixels, which the buffer scales by the ratio.
    const qreal ratio = devicePixelRatioF();
    const QSize device = QSize(width, height) * ratio;
    buffer_->SetPixelRatio(float(ratio));
    buffer_->Resize(std::max(1, device.width()), std::max(1, device.height()));
}

void TGL3DSceneViewer::destroyRC() {
    if (!buffer_ || !buffer_->RCInstantiated()) return;
    try {
        if (context()) makeCurrent();
        InCallback guard(inPaint_);
        buffer_->DestroyRC();
    } catch (const std::exception& e) {
        showError(e);
    }
    if (context()) doneCurrent();
}

void TGL3DSceneViewer::Loaded() {
    // A hidden control still gets its native surface and context here.
    if (!openGLAvailable_ || context()) return;
    // Grabbing initialises the widget's context and framebuffer even while nothing is on screen.
    grabFramebuffer();
}

void TGL3DSceneViewer::initializeGL() {
    InCallback guard(inPaint_);
    createRC();
    // The widget's context dies before the widget when it is moved to another top-level window.
    QObject::disconnect(contextConnection_);
    contextConnection_ =
        connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this]() { destroyRC(); });
}

void TGL3DSceneViewer::resizeGL(int width, int height) {
    InCallback guard(inPaint_);
    try {
        resizeBuffer(width, height);
    } catch (const std::exception& e) {
        showError(e);
    }
}

void TGL3DSceneViewer::paintGL() {
    InCallback guard(inPaint_);
    QPoint origin = mapToGlobal(QPoint(0, 0));
    if (origin != lastOrigin_) {
        // A move on screen re-reads the size, as a resize would.
        if (buffer_->RCInstantiated()) resizeGL(width(), height());
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
    if (!lastError_.isEmpty()) paintError();
}

void TGL3DSceneViewer::paintEvent(QPaintEvent* event) {
    if (openGLAvailable_) {
        QOpenGLWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
}

void TGL3DSceneViewer::resizeEvent(QResizeEvent* event) {
    // The toolkit makes a new framebuffer on every resize to a size, also on one that keeps the size: the
    // first after showing a control that was made ready when it joined a window which shows such controls
    // already, or the one that gives a control shrunk to nothing its size back. Its window then goes on
    // showing the framebuffer it was given first for that size, which is never drawn again, and the
    // control stays black until its size changes. So a framebuffer of the right size is kept and drawn
    // again, and a control without a size keeps its framebuffer, though nothing is drawn into it then.
    if (defaultFramebufferObject() != 0 && (event->size().isEmpty() || deviceSize() == framebufferSize_)) {
        update();
        return;
    }
    QOpenGLWidget::resizeEvent(event);
}

QSize TGL3DSceneViewer::deviceSize() const {
    return size() * devicePixelRatio();
}

void TGL3DSceneViewer::bufferChanged() {
    if (!buffer_->Rendering() && !buffer_->Freezed()) update();
}

void TGL3DSceneViewer::bufferStructuralChanged() {
    // The widget's pixel format is fixed once its context exists; the buffer's context is made anew on it.
    if (!context()) setFormat(formatForBuffer());
    if (buffer_->RCInstantiated()) {
        destroyRC();
        makeCurrent();
        {
            InCallback guard(inPaint_);
            createRC();
        }
        doneCurrent();
    }
    update();
}

void TGL3DSceneViewer::beforeRender() {
    GLAssert(vsync_ == vsmSync || vsync_ == vsmNoSync, "");
}

void TGL3DSceneViewer::SetVSync(TVSyncMode value) {
    GLAssert(value == vsmSync || value == vsmNoSync, "");
    if (value == vsync_) return;
    vsync_ = value;
    if (!context()) setFormat(formatForBuffer());
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
        update();
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
    QOpenGLWidget::enterEvent(event);
    mouseInControl_ = true;
    guarded([&] {
        if (OnMouseEnter) OnMouseEnter(Sender());
    });
}

void TGL3DSceneViewer::leaveEvent(QEvent* event) {
    QOpenGLWidget::leaveEvent(event);
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
