// The window control that shows a scene: it owns a scene buffer, renders it whenever the toolkit asks
// the control to paint, and keeps the buffer's viewport on the control's size.
#pragma once

#include "GL3DScene.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

namespace engine3d {

enum TVSyncMode : uint8_t { vsmSync, vsmNoSync };

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
using TShiftState = Qt::KeyboardModifiers;
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

class TGLViewerWindow;

// The buffer draws through a context of its own into a native window that fills the control, so that
// nothing else of the program is drawn through OpenGL and the driver needs no more than OpenGL 1.1. The
// window's keys, wheel turns and mouse reach the control as its own, and those it does not use go on to
// its parent. Without OpenGL, and while a failure is shown, the control is a plain window that says why.
class TGL3DSceneViewer : public QWidget {
public:
    explicit TGL3DSceneViewer(QWidget* parent = nullptr);
    ~TGL3DSceneViewer() override;
    TGL3DSceneViewer(const TGL3DSceneViewer&) = delete;
    TGL3DSceneViewer& operator=(const TGL3DSceneViewer&) = delete;

    TGL3DSceneBuffer* Buffer() const { return buffer_.get(); }
    // Takes the given buffer's settings.
    void SetBuffer(const TGL3DSceneBuffer* value) { buffer_->Assign(value); }
    TGLCamera* Camera() const { return buffer_->Camera(); }
    void SetCamera(TGLCamera* camera) { buffer_->SetCamera(camera); }
    TVSyncMode VSync() const { return vsync_; }
    void SetVSync(TVSyncMode value);
    // Degrees over the smaller of width and height; 0 without a camera.
    float FieldOfView() const;
    void SetFieldOfView(float value);
    bool OpenGLAvailable() const { return openGLAvailable_; }
    bool MouseInControl() const { return mouseInControl_; }
    // Creates the native window and the context at once, as after loading a form.
    void Loaded();
    // The buffer's context can be had between context creation and destruction.
    bool RCInstantiated() const { return buffer_->RCInstantiated(); }
    // The last failure of a paint, an event handler or context creation, shown to the user in place of a
    // frame until a later frame renders; without OpenGL, why there is none.
    const QString& LastError() const { return lastError_; }
    // Asks for one frame, drawn from the event loop.
    void Invalidate();
    // Renders a frame and answers it as drawn, or, while a message stands in its place, the message as
    // shown; its device pixel ratio is the control's.
    QImage grabFramebuffer();
    // Room for the message without OpenGL at the control's designed width; none with OpenGL.
    QSize minimumSizeHint() const override;

    TNotifyEvent& BeforeRender() { return buffer_->BeforeRender; }
    TNotifyEvent& PostRender() { return buffer_->PostRender; }
    TNotifyEvent& AfterRender() { return buffer_->AfterRender; }
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // The viewer as an engine object, the sender of its events.
    TObject* Sender() { return &senderObject_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    friend class TGLViewerContext;
    friend class TGLViewerWindow;
    void createRC();
    void destroyRC();
    void resizeBuffer();
    // Renders one frame into the window and presents it; a failure becomes the message shown instead.
    void renderFrame();
    // The window while frames show, the message while one stands.
    void showFrameOrMessage();
    void bufferChanged();
    void bufferStructuralChanged();
    void beforeRender();
    void showError(const std::exception& e);
    // The one guard of an event handler: a failure shows in the control instead of leaving the event.
    void guarded(const std::function<void()>& handler);
    QSurfaceFormat formatForBuffer() const;

    struct SenderObject : TObject {
        TGL3DSceneViewer* viewer = nullptr;
    } senderObject_;
    std::unique_ptr<TGL3DSceneBuffer> buffer_;
    TVSyncMode vsync_ = vsmNoSync;
    bool mouseInControl_ = false;
    bool openGLAvailable_ = true;
    bool pressed_ = false;
    QPoint lastOrigin_;
    QString lastError_;
    // Set by a failure that no frame has shown yet.
    bool errorUnseen_ = false;
    // A frame asked for while the message stands, rendered at the next paint.
    bool framePending_ = false;
    // The native window and the control that holds it; none without OpenGL.
    TGLViewerWindow* window_ = nullptr;
    QWidget* container_ = nullptr;
    // A frame read back before it is presented, while grabFramebuffer asks for one.
    bool grabbing_ = false;
    QImage grabbed_;
};

// The control's entry in the class registry; it is made by the toolkit, so the entry has no factory.
const TMetaClass& SceneViewerClass();
void InitGLWin32Viewer();

} // namespace engine3d
